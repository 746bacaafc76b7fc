#include "platform/core/ClassRegistry.h"

#include "platform/core/Collection.h"
#include "platform/core/Strings.h"

#include <algorithm>

namespace qel {

namespace {

// Class names are identifiers; the platform looks them up case-insensitively.
std::string Key(const std::string& Name)
{
    std::string k = Name;
    std::transform(k.begin(), k.end(), k.begin(),
                   [](char C) { return (C >= 'A' && C <= 'Z') ? char(C - 'A' + 'a') : C; });
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
    Register("TComponent", "TPersistent", [](TComponent* Owner) { return new TComponent(Owner); });
    Register("TStrings", "TPersistent", {});
    Register("TStringList", "TStrings", {});
    Register("TCollection", "TPersistent", {});
    Register("TCollectionItem", "TPersistent", {});
}

void TClassRegistry::Register(const std::string& Name, const std::string& Parent, Factory AFactory)
{
    m_entries[Key(Name)] = Entry{Name, Parent, std::move(AFactory)};
}

const TClassRegistry::Entry* TClassRegistry::Find(const std::string& Name) const
{
    auto it = m_entries.find(Key(Name));
    return it == m_entries.end() ? nullptr : &it->second;
}

bool TClassRegistry::IsRegistered(const std::string& Name) const
{
    return Find(Name) != nullptr;
}

std::string TClassRegistry::ParentOf(const std::string& Name) const
{
    const Entry* e = Find(Name);
    return e ? e->parent : std::string();
}

bool TClassRegistry::InheritsFrom(const std::string& Cls, const std::string& Ancestor) const
{
    if (Ancestor.empty())
        return false;
    const std::string target = Key(Ancestor);
    std::string current = Cls;
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

TComponent* TClassRegistry::Create(const std::string& Name, TComponent* Owner) const
{
    const Entry* e = Find(Name);
    if (!e)
        throw EClassNotFound("Class " + Name + " not found");
    if (!e->factory)
        throw EClassNotFound("Class " + e->name + " cannot be created by name");
    return e->factory(Owner);
}

} // namespace qel
