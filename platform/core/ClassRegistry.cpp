#include "platform/core/ClassRegistry.h"

#include "platform/core/Collection.h"
#include "platform/core/Strings.h"

#include <algorithm>

namespace qel {

namespace {

// Class names are identifiers; the platform looks them up case-insensitively.
std::string Key(const std::string& name)
{
    std::string k = name;
    std::transform(k.begin(), k.end(), k.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; });
    return k;
}

} // namespace

TClassRegistry& TClassRegistry::Instance()
{
    static TClassRegistry registry;
    return registry;
}

TClassRegistry::TClassRegistry()
{
    // The core classes are registered here rather than by static
    // initialisers, which the linker may drop from a static library.
    Register("TObject", "", {});
    Register("TPersistent", "TObject", {});
    Register("TComponent", "TPersistent", [](TComponent* owner) { return new TComponent(owner); });
    Register("TStrings", "TPersistent", {});
    Register("TStringList", "TStrings", {});
    Register("TCollection", "TPersistent", {});
    Register("TCollectionItem", "TPersistent", {});
}

void TClassRegistry::Register(const std::string& name, const std::string& parent, Factory factory)
{
    m_entries[Key(name)] = Entry{name, parent, std::move(factory)};
}

const TClassRegistry::Entry* TClassRegistry::Find(const std::string& name) const
{
    auto it = m_entries.find(Key(name));
    return it == m_entries.end() ? nullptr : &it->second;
}

bool TClassRegistry::IsRegistered(const std::string& name) const
{
    return Find(name) != nullptr;
}

std::string TClassRegistry::ParentOf(const std::string& name) const
{
    const Entry* e = Find(name);
    return e ? e->parent : std::string();
}

bool TClassRegistry::InheritsFrom(const std::string& cls, const std::string& ancestor) const
{
    if (ancestor.empty())
        return false;
    const std::string target = Key(ancestor);
    std::string current = cls;
    // A parent cycle registered by mistake must not hang the lookup.
    for (std::size_t steps = 0; !current.empty() && steps <= m_entries.size(); ++steps) {
        if (Key(current) == target)
            return true;
        const Entry* e = Find(current);
        if (!e)
            return false;
        current = e->parent;
    }
    return false;
}

TComponent* TClassRegistry::Create(const std::string& name, TComponent* owner) const
{
    const Entry* e = Find(name);
    if (!e)
        throw EClassNotFound("Class " + name + " not found");
    if (!e->factory)
        throw EClassNotFound("Class " + e->name + " cannot be created by name");
    return e->factory(owner);
}

} // namespace qel
