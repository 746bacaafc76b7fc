#pragma once
// Class name -> factory and parent class: "is-a" tests by name and virtual
// construction by name, for streaming and the registries of the components.
#include "platform/core/Component.h"

#include <concepts>
#include <functional>
#include <string>
#include <unordered_map>

namespace qel {

class TClassRegistry {
public:
    using Factory = std::function<TComponent*(TComponent* Owner)>;  // empty for non-component classes

    // Function-local static, so registration from static initialisers in
    // any translation unit is safe.
    static TClassRegistry& Instance();

    // Registering a name again replaces its parent and factory.
    void Register(const std::string& Name, const std::string& Parent, Factory AFactory);
    bool IsRegistered(const std::string& Name) const;
    // Cls is Ancestor or derives from it along the registered parents.
    bool InheritsFrom(const std::string& Cls, const std::string& Ancestor) const;
    std::string ParentOf(const std::string& Name) const;   // "" when unknown or a root
    // EClassNotFound "Class TFoo not found"; a class without factory cannot
    // be created by name either.
    TComponent* Create(const std::string& Name, TComponent* Owner) const;

private:
    TClassRegistry();
    struct Entry {
        std::string name;     // as registered
        std::string parent;
        Factory factory;
    };
    const Entry* Find(const std::string& Name) const;

    std::unordered_map<std::string, Entry> m_entries;   // key: lower-case name
};

// RegisterClass<TFoo>("TFoo", "TParent"): components constructible from an
// owner get a factory, other classes are registered for "is-a" only.
template <class T>
bool RegisterClass(const std::string& Name, const std::string& Parent)
{
    TClassRegistry::Factory factory;
    if constexpr (std::derived_from<T, TComponent> && std::constructible_from<T, TComponent*>)
        factory = [](TComponent* Owner) -> TComponent* { return new T(Owner); };
    TClassRegistry::Instance().Register(Name, Parent, std::move(factory));
    return true;
}

} // namespace qel

#define QEL_REGISTER_CLASS_CONCAT2(a, b) a##b
#define QEL_REGISTER_CLASS_CONCAT(a, b) QEL_REGISTER_CLASS_CONCAT2(a, b)
// At namespace scope in a .cpp: QEL_REGISTER_CLASS(TFoo, TParent);
// Put it in the .cpp that defines TFoo's members: the libraries are static,
// and the linker drops an object file nobody references.
#define QEL_REGISTER_CLASS(cls, parent)                                            \
    [[maybe_unused]] static const bool QEL_REGISTER_CLASS_CONCAT(qelRegistered_, __LINE__) = \
        ::qel::RegisterClass<cls>(#cls, #parent)
