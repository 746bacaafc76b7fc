#pragma once
// Scope guards: the one way in this code base to undo, restore or close a
// bracket when a scope ends, also when an exception leaves it early.
//
//   Finally done([&] { list.EndUpdate(); });
//   TValueRestorer keep(m_loading, true);   // m_loading is true until scope end
//   TUpdateScope scope(strings);            // BeginUpdate now, EndUpdate at scope end
#include <exception>
#include <utility>

namespace qel {

// Runs a call when the scope ends. While another exception unwinds, an
// exception from the call is dropped so the first one reaches its handler.
template <class F>
class Finally {
public:
    explicit Finally(F Action) : m_f(std::move(Action)), m_uncaught(std::uncaught_exceptions()) {}
    ~Finally() noexcept(false)
    {
        if (m_dismissed)
            return;
        if (std::uncaught_exceptions() > m_uncaught) {
            try {
                m_f();
            } catch (...) {
            }
        } else {
            m_f();
        }
    }
    Finally(const Finally&) = delete;
    Finally& operator=(const Finally&) = delete;

    // The call will not run (the work it would undo succeeded).
    void Dismiss() { m_dismissed = true; }

private:
    F m_f;
    int m_uncaught;
    bool m_dismissed = false;
};

// Sets a variable for the length of a scope and puts its old value back.
template <class T>
class TValueRestorer {
public:
    explicit TValueRestorer(T& Target) : m_target(Target), m_old(Target) {}
    TValueRestorer(T& Target, T Value) : m_target(Target), m_old(Target) { m_target = std::move(Value); }
    ~TValueRestorer() { m_target = std::move(m_old); }
    TValueRestorer(const TValueRestorer&) = delete;
    TValueRestorer& operator=(const TValueRestorer&) = delete;

    const T& OldValue() const { return m_old; }

private:
    T& m_target;
    T m_old;
};

// BeginUpdate now, EndUpdate when the scope ends, for anything with that bracket.
template <class T>
class TUpdateScope {
public:
    explicit TUpdateScope(T& Target) : m_target(Target) { m_target.BeginUpdate(); }
    ~TUpdateScope() noexcept(false)
    {
        if (std::uncaught_exceptions() > m_uncaught) {
            try {
                m_target.EndUpdate();
            } catch (...) {
            }
        } else {
            m_target.EndUpdate();
        }
    }
    TUpdateScope(const TUpdateScope&) = delete;
    TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
    T& m_target;
    int m_uncaught = std::uncaught_exceptions();
};

}  // namespace qel
