#include "platform/core/PropertyRegistry.h"

#include "platform/core/ClassRegistry.h"
#include "platform/core/Component.h"
#include "platform/core/Locale.h"
#include "platform/core/Split.h"

#include <deque>
#include <unordered_map>

namespace qel {

namespace {

// Class and property names are identifiers: ASCII case folding suffices.

struct ClassEntry {
    std::deque<TPropInfo> props;   // deque: pointers handed out stay valid
    std::vector<TDefinePropertiesProc> defines;
    std::string lastName;
};

struct Flat {
    std::uint64_t generation = 0;
    std::vector<const TPropInfo*> list;
    std::unordered_map<std::string, const TPropInfo*> byName;
};

struct Registry {
    std::unordered_map<std::string, ClassEntry> classes;   // key: lower-case class name
    std::unordered_map<std::string, Flat> cache;
    std::uint64_t generation = 1;
};

void RegisterCoreProperties();

Registry& TheRegistry()
{
    static Registry r;
    static bool core = false;
    if (!core) {
        core = true;
        RegisterCoreProperties();
    }
    return r;
}

// TComponent's own published properties; Name travels in the component
// header of a stream, so it is not stored as a property.
void RegisterCoreProperties()
{
    TPropertyRegistrar<TComponent>("TComponent")
        .String("Name", &TComponent::Name, [](TComponent& C, const std::string& V) { C.SetName(V); })
        .StoredIf([](const TComponent&) { return false; })
        .Integer("Tag", &TComponent::Tag, &TComponent::SetTag, 0);
}

// The class and its registered ancestors, the class itself first.
std::vector<std::string> Chain(const std::string& ClassName)
{
    std::vector<std::string> chain;
    const TClassRegistry& classes = TClassRegistry::Instance();
    std::string current = ClassName;
    // A parent cycle registered by mistake must not hang the lookup.
    for (int guard = 0; !current.empty() && guard < 256; ++guard) {
        chain.push_back(current);
        current = classes.ParentOf(current);
    }
    return chain;
}

const Flat& Flatten(const std::string& ClassName)
{
    Registry& r = TheRegistry();
    Flat& flat = r.cache[LowerCase(ClassName)];
    if (flat.generation == r.generation)
        return flat;
    flat = Flat{};
    flat.generation = r.generation;
    std::vector<std::string> chain = Chain(ClassName);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        auto found = r.classes.find(LowerCase(*it));
        if (found == r.classes.end())
            continue;
        for (const TPropInfo& p : found->second.props) {
            std::string key = LowerCase(p.Name);
            auto existing = flat.byName.find(key);
            if (existing != flat.byName.end()) {
                for (const TPropInfo*& slot : flat.list)
                    if (slot == existing->second)
                        slot = &p;
                existing->second = &p;
            } else {
                flat.list.push_back(&p);
                flat.byName.emplace(std::move(key), &p);
            }
        }
    }
    return flat;
}

const TPropInfo& Require(TObject* Instance, const std::string& Name)
{
    const TPropInfo* info = FindPropInfo(Instance, Name);
    if (!info)
        throw EPropertyError("Property " + Name + " does not exist");
    return *info;
}

std::string SetToText(const TPropInfo& Info, std::uint64_t Bits)
{
    std::string text;
    for (std::size_t i = 0; i < Info.EnumNames.size() && i < 64; ++i) {
        if (Bits & (std::uint64_t{1} << i)) {
            if (!text.empty())
                text += ',';
            text += Info.EnumNames[i];
        }
    }
    return text;
}

std::uint64_t TextToSet(const TPropInfo& Info, const std::string& Value)
{
    std::string text = Trim(Value);
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']')
        text = text.substr(1, text.size() - 2);
    std::uint64_t bits = 0;
    for (const std::string& piece : SplitString(text, ',')) {
        const std::string item = Trim(piece);
        if (item.empty())
            continue;
        int bit = Info.EnumValue(item);
        if (bit < 0 || bit >= 64)
            throw EPropertyError("Invalid property element: " + item);
        bits |= std::uint64_t{1} << bit;
    }
    return bits;
}

TComponent* FindReferenced(TObject* Instance, const std::string& Name)
{
    auto* self = dynamic_cast<TComponent*>(Instance);
    if (!self)
        return nullptr;
    if (self->Owner())
        if (TComponent* c = self->Owner()->FindComponent(Name))
            return c;
    return self->FindComponent(Name);
}

} // namespace

const char* PropKindName(TPropKind Kind)
{
    switch (Kind) {
    case pkInteger: return "Integer";
    case pkInt64: return "Int64";
    case pkBoolean: return "Boolean";
    case pkFloat: return "Float";
    case pkString: return "String";
    case pkEnumeration: return "Enumeration";
    case pkSet: return "Set";
    case pkColor: return "Color";
    case pkVariant: return "Variant";
    case pkComponent: return "Component";
    case pkPersistent: return "Persistent";
    case pkCollection: return "Collection";
    case pkBinary: return "Binary";
    }
    return "Unknown";
}

bool TPropInfo::IsReadOnly() const
{
    switch (Kind) {
    case pkFloat: return !SetFloat;
    case pkString:
    case pkBinary: return !SetStr;
    case pkVariant: return !SetVar;
    case pkComponent: return !SetObj;
    case pkPersistent:
    case pkCollection: return false;   // filled in place
    default: return !SetOrd;
    }
}

int TPropInfo::EnumValue(const std::string& Ident) const
{
    std::string key = LowerCase(Ident);
    for (std::size_t i = 0; i < EnumNames.size(); ++i)
        if (LowerCase(EnumNames[i]) == key)
            return static_cast<int>(i);
    return -1;
}

namespace detail {

void RegisterProperty(const std::string& ClassName, TPropInfo Info)
{
    Registry& r = TheRegistry();
    ClassEntry& entry = r.classes[LowerCase(ClassName)];
    std::string key = LowerCase(Info.Name);
    entry.lastName = key;
    ++r.generation;
    for (TPropInfo& p : entry.props) {
        if (LowerCase(p.Name) == key) {
            p = std::move(Info);
            return;
        }
    }
    entry.props.push_back(std::move(Info));
}

TPropInfo& LastRegisteredProperty(const std::string& ClassName)
{
    ClassEntry& entry = TheRegistry().classes[LowerCase(ClassName)];
    for (TPropInfo& p : entry.props)
        if (LowerCase(p.Name) == entry.lastName)
            return p;
    throw EPropertyError("No property registered for " + ClassName);
}

void RegisterDefineProperties(const std::string& ClassName, TDefinePropertiesProc Proc)
{
    TheRegistry().classes[LowerCase(ClassName)].defines.push_back(std::move(Proc));
}

} // namespace detail

std::vector<const TPropInfo*> GetPropList(const std::string& ClassName)
{
    return Flatten(ClassName).list;
}

std::vector<const TPropInfo*> GetPropList(const TObject* Instance)
{
    return Instance ? GetPropList(Instance->ClassName()) : std::vector<const TPropInfo*>{};
}

const TPropInfo* FindPropInfo(const std::string& ClassName, const std::string& PropName)
{
    const Flat& flat = Flatten(ClassName);
    auto it = flat.byName.find(LowerCase(PropName));
    return it == flat.byName.end() ? nullptr : it->second;
}

const TPropInfo* FindPropInfo(const TObject* Instance, const std::string& PropName)
{
    return Instance ? FindPropInfo(Instance->ClassName(), PropName) : nullptr;
}

Variant GetPropValue(TObject* Instance, const std::string& PropName)
{
    const TPropInfo& info = Require(Instance, PropName);
    switch (info.Kind) {
    case pkInteger:
    case pkColor: return Variant(static_cast<std::int32_t>(info.GetOrd(Instance)));
    case pkInt64: return Variant(info.GetOrd(Instance));
    case pkBoolean: return Variant(info.GetOrd(Instance) != 0);
    case pkEnumeration: {
        std::int64_t n = info.GetOrd(Instance);
        if (n >= 0 && n < static_cast<std::int64_t>(info.EnumNames.size()))
            return Variant(info.EnumNames[static_cast<std::size_t>(n)]);
        return Variant(static_cast<std::int32_t>(n));
    }
    case pkSet: return Variant(SetToText(info, static_cast<std::uint64_t>(info.GetOrd(Instance))));
    case pkFloat: return Variant(info.GetFloat(Instance));
    case pkString:
    case pkBinary: return Variant(info.GetStr(Instance));
    case pkVariant: return info.GetVar(Instance);
    case pkComponent: {
        auto* c = dynamic_cast<TComponent*>(info.GetObj(Instance));
        return Variant(c ? c->Name() : std::string());
    }
    case pkPersistent:
    case pkCollection: break;
    }
    throw EPropertyError("Property " + info.Name + " has no simple value");
}

void SetPropValue(TObject* Instance, const std::string& PropName, const Variant& Value)
{
    const TPropInfo& info = Require(Instance, PropName);
    if (info.Kind == pkPersistent || info.Kind == pkCollection)
        throw EPropertyError("Property " + info.Name + " has no simple value");
    if (info.IsReadOnly())
        throw EPropertyError("Property " + info.Name + " is read-only");
    switch (info.Kind) {
    case pkInteger:
    case pkColor: info.SetOrd(Instance, Value.AsInteger()); return;
    case pkInt64: info.SetOrd(Instance, Value.AsInt64()); return;
    case pkBoolean: info.SetOrd(Instance, Value.AsBoolean() ? 1 : 0); return;
    case pkEnumeration: {
        std::int64_t n = -1;
        if (Value.IsString())
            n = info.EnumValue(Value.AsString());
        else if (!Value.IsEmptyOrNull())
            n = Value.AsInt64();
        if (n < 0 || n >= static_cast<std::int64_t>(info.EnumNames.size()))
            throw EPropertyError("Invalid property value");
        info.SetOrd(Instance, n);
        return;
    }
    case pkSet:
        info.SetOrd(Instance, static_cast<std::int64_t>(Value.IsString() ? TextToSet(info, Value.AsString())
                                                                         : static_cast<std::uint64_t>(Value.AsInt64())));
        return;
    case pkFloat: info.SetFloat(Instance, Value.AsDouble()); return;
    case pkString:
    case pkBinary: info.SetStr(Instance, Value.AsString()); return;
    case pkVariant: info.SetVar(Instance, Value); return;
    case pkComponent: {
        std::string name = Value.IsEmptyOrNull() ? std::string() : Value.AsString();
        TComponent* target = nullptr;
        if (!name.empty()) {
            target = FindReferenced(Instance, name);
            if (!target)
                throw EPropertyError("Invalid property value");
        }
        info.SetObj(Instance, target);
        return;
    }
    case pkPersistent:
    case pkCollection: break;
    }
}

bool IsStoredProp(TObject* Instance, const TPropInfo& Info)
{
    if (Info.Stored && !Info.Stored(Instance))
        return false;
    switch (Info.Kind) {
    case pkFloat: return !Info.Default || Info.GetFloat(Instance) != Info.Default->AsDouble();
    case pkString:
    case pkBinary: return !Info.Default || Info.GetStr(Instance) != Info.Default->AsString();
    case pkVariant: {
        Variant v = Info.GetVar(Instance);
        // Compare() treats 1 and 1.0 alike; a default differs in type too.
        return !Info.Default || v.VarType() != Info.Default->VarType() || v != *Info.Default;
    }
    case pkComponent:
    case pkPersistent:
    case pkCollection: return Info.GetObj(Instance) != nullptr;
    default: return !Info.Default || Info.GetOrd(Instance) != Info.Default->AsInt64();
    }
}

void CallDefineProperties(TObject* Instance, TFiler& Filer)
{
    if (!Instance)
        return;
    Registry& r = TheRegistry();
    std::vector<std::string> chain = Chain(Instance->ClassName());
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        auto found = r.classes.find(LowerCase(*it));
        if (found == r.classes.end())
            continue;
        // Copy: a callback may register further classes.
        std::vector<TDefinePropertiesProc> defines = found->second.defines;
        for (const TDefinePropertiesProc& proc : defines)
            proc(Instance, Filer);
    }
    if (auto* component = dynamic_cast<TComponent*>(Instance))
        component->DefineProperties(Filer);
}

} // namespace qel
