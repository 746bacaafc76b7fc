#pragma once
// The registered classes of a replaceable builder (menu builders), newest
// last: the list is made by the first registration and freed when its last
// class leaves it.
#include <algorithm>
#include <memory>
#include <vector>

namespace qel::detail {

template <class C>
class TBuilderClassList {
public:
    void Register(const C* Class)
    {
        if (!m_classes)
            m_classes = std::make_unique<std::vector<const C*>>();
        m_classes->push_back(Class);
    }
    void Unregister(const C* Class)
    {
        if (!m_classes)
            return;
        m_classes->erase(std::remove(m_classes->begin(), m_classes->end(), Class), m_classes->end());
        if (m_classes->empty())
            m_classes.reset();
    }
    // Takes the newest class out until the list is gone.
    void Clear()
    {
        while (m_classes)
            Unregister(m_classes->back());
    }
    // The newest class, or Default when none is registered.
    const C* Current(const C* Default) const { return m_classes ? m_classes->back() : Default; }
    bool Exists() const { return m_classes != nullptr; }

private:
    std::unique_ptr<std::vector<const C*>> m_classes;
};

} // namespace qel::detail
