#pragma once
// Published properties: registered once per class (by class name), found by
// name at run time, read and written as Variants, and streamed by
// Streaming.h. A class's lookup walks the class registry's parent chain, so
// a class inherits its parent's properties; registering a name again in a
// subclass replaces the inherited entry (for example to change its default).
//
// Registration, typically in the class's .cpp:
//   static const bool registered = [] {
//       TPropertyRegistrar<TFoo>("TFoo")
//           .Integer("Width", &TFoo::Width, &TFoo::SetWidth, 64)
//           .Enumeration("Align", &TFoo::Align, &TFoo::SetAlign, {"alNone", "alTop"}, alNone)
//           .Persistent("Font", &TFoo::Font)
//           .String("Hint", &TFoo::Hint, &TFoo::SetHint).StoredIf([](const TFoo& f) { return f.ShowHint(); });
//       return true;
//   }();
#include "platform/core/Component.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Object.h"
#include "platform/core/Variant.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace qel {

class TFiler;

enum TPropKind : std::uint8_t {
    pkInteger,      // 32-bit integer
    pkInt64,
    pkBoolean,
    pkFloat,        // double
    pkString,       // UTF-8
    pkEnumeration,  // streamed by name
    pkSet,          // bit set, streamed as element names
    pkColor,        // 32-bit colour value
    pkVariant,
    pkComponent,    // reference to another component, streamed by name
    pkPersistent,   // owned object whose published properties are streamed inline
    pkCollection,   // TCollection: items streamed with their published properties
    pkBinary        // byte block
};

// "Integer", "Enumeration", ... for listings.
const char* PropKindName(TPropKind Kind);

struct TPropInfo {
    std::string Name;
    TPropKind Kind = pkInteger;
    std::vector<std::string> EnumNames;   // enumeration and set element names by ordinal
    // Not written when the value equals it. Ordinal kinds without a default
    // are always written; strings default to "", floats to 0, Variants to Empty.
    std::optional<Variant> Default;
    std::function<bool(TObject*)> Stored;  // unset: stored

    // Accessors by kind: ordinal kinds (integer, int64, boolean, enumeration,
    // set bits, colour) use GetOrd/SetOrd; strings and binary GetStr/SetStr;
    // components, persistents and collections GetObj (and components SetObj).
    // A missing setter makes the property read-only.
    std::function<std::int64_t(TObject*)> GetOrd;
    std::function<void(TObject*, std::int64_t)> SetOrd;
    std::function<double(TObject*)> GetFloat;
    std::function<void(TObject*, double)> SetFloat;
    std::function<std::string(TObject*)> GetStr;
    std::function<void(TObject*, const std::string&)> SetStr;
    std::function<Variant(TObject*)> GetVar;
    std::function<void(TObject*, const Variant&)> SetVar;
    std::function<TObject*(TObject*)> GetObj;
    std::function<void(TObject*, TComponent*)> SetObj;

    bool IsReadOnly() const;
    // Index of an enumeration or set element name (case-insensitive), -1 when unknown.
    int EnumValue(const std::string& Ident) const;
};

// Properties of ClassName itself and its ancestors, ancestors' first.
std::vector<const TPropInfo*> GetPropList(const std::string& ClassName);
std::vector<const TPropInfo*> GetPropList(const TObject* Instance);
// Case-insensitive; nullptr when the class has no such published property.
const TPropInfo* FindPropInfo(const std::string& ClassName, const std::string& PropName);
const TPropInfo* FindPropInfo(const TObject* Instance, const std::string& PropName);
inline const TPropInfo* GetPropInfo(const TObject* Instance, const std::string& PropName)
{
    return FindPropInfo(Instance, PropName);
}
inline bool IsPublishedProp(const TObject* Instance, const std::string& PropName)
{
    return FindPropInfo(Instance, PropName) != nullptr;
}

// By name as a Variant: integers and colours as Integer, Int64, Boolean,
// Double, strings (binary as a byte string), enumerations as their name,
// sets as "a,b", component references as the component's name ("" for nil).
// EPropertyError "Property X does not exist", and for persistent and
// collection properties "Property X has no simple value".
Variant GetPropValue(TObject* Instance, const std::string& PropName);
// Converts Value as the kind requires (enumerations take a name or an
// ordinal, sets "a,b" / "[a,b]" or their bits, component references a name
// looked up among the instance's owner's components, Empty/Null/"" for nil).
// EPropertyError for unknown or read-only properties and values the kind
// cannot take; EConvertError from the Variant conversions.
void SetPropValue(TObject* Instance, const std::string& PropName, const Variant& Value);

// True when the property would be written: stored and not at its default.
bool IsStoredProp(TObject* Instance, const TPropInfo& Info);

// Extra named entries of a class beside its properties (see TFiler); run
// for every registered ancestor, ancestors first.
using TDefinePropertiesProc = std::function<void(TObject*, TFiler&)>;
void CallDefineProperties(TObject* Instance, TFiler& Filer);

namespace detail {
void RegisterProperty(const std::string& ClassName, TPropInfo Info);
TPropInfo& LastRegisteredProperty(const std::string& ClassName);
void RegisterDefineProperties(const std::string& ClassName, TDefinePropertiesProc Proc);

template <class T>
T& Self(TObject* Obj, const std::string& Prop)
{
    T* t = dynamic_cast<T*>(Obj);
    if (!t)
        throw EPropertyError("Property " + Prop + " is not available on a " +
                             std::string(Obj ? Obj->ClassName() : "nil"));
    return *t;
}

template <class T, class G>
using GetterResult = std::remove_cvref_t<std::invoke_result_t<G, T&>>;

template <class V>
std::int64_t OrdinalOf(const V& AValue)
{
    if constexpr (std::is_enum_v<V>)
        return static_cast<std::int64_t>(AValue);
    else if constexpr (requires { AValue.ToBits(); })
        return static_cast<std::int64_t>(AValue.ToBits());
    else
        return static_cast<std::int64_t>(AValue);
}

template <class V>
V FromOrdinal(std::int64_t N)
{
    if constexpr (std::is_same_v<V, bool>)
        return N != 0;
    else if constexpr (requires { V::FromBits(0); })
        return V::FromBits(static_cast<std::uint64_t>(N));
    else
        return static_cast<V>(N);
}
} // namespace detail

template <class T>
class TPropertyRegistrar {
public:
    explicit TPropertyRegistrar(std::string ClassName) : m_class(std::move(ClassName)) {}

    template <class G, class S>
    TPropertyRegistrar& Integer(const std::string& Name, G Get, S Set, std::optional<std::int64_t> Default = {})
    {
        return Ordinal(pkInteger, Name, Get, Set, Default, {});
    }
    template <class G, class S>
    TPropertyRegistrar& Int64(const std::string& Name, G Get, S Set, std::optional<std::int64_t> Default = {})
    {
        return Ordinal(pkInt64, Name, Get, Set, Default, {});
    }
    template <class G, class S>
    TPropertyRegistrar& Boolean(const std::string& Name, G Get, S Set, std::optional<bool> Default = {})
    {
        std::optional<std::int64_t> d;
        if (Default)
            d = *Default ? 1 : 0;
        return Ordinal(pkBoolean, Name, Get, Set, d, {});
    }
    template <class G, class S>
    TPropertyRegistrar& Color(const std::string& Name, G Get, S Set, std::optional<std::int64_t> Default = {})
    {
        return Ordinal(pkColor, Name, Get, Set, Default, {});
    }
    // Names by ordinal; Default is the ordinal.
    template <class G, class S>
    TPropertyRegistrar& Enumeration(const std::string& Name, G Get, S Set, std::vector<std::string> Names,
                                    std::optional<std::int64_t> Default = {})
    {
        return Ordinal(pkEnumeration, Name, Get, Set, Default, std::move(Names));
    }
    // Element names by bit; Default as bits.
    template <class G, class S>
    TPropertyRegistrar& Set(const std::string& Name, G Get, S Set, std::vector<std::string> Names,
                            std::optional<std::uint64_t> Default = {})
    {
        std::optional<std::int64_t> d;
        if (Default)
            d = static_cast<std::int64_t>(*Default);
        return Ordinal(pkSet, Name, Get, Set, d, std::move(Names));
    }
    template <class G, class S>
    TPropertyRegistrar& Float(const std::string& Name, G Get, S Set, double Default = 0.0)
    {
        TPropInfo p = Make(pkFloat, Name);
        p.Default = Variant(Default);
        p.GetFloat = [Get, Name](TObject* O) { return static_cast<double>(std::invoke(Get, detail::Self<T>(O, Name))); };
        if constexpr (!std::is_null_pointer_v<S>) {
            using V = detail::GetterResult<T, G>;
            p.SetFloat = [Set, Name](TObject* O, double AValue) { std::invoke(Set, detail::Self<T>(O, Name), static_cast<V>(AValue)); };
        }
        return Add(std::move(p));
    }
    template <class G, class S>
    TPropertyRegistrar& String(const std::string& Name, G Get, S Set, std::string Default = {})
    {
        return Text(pkString, Name, Get, Set, Variant(std::move(Default)));
    }
    // Get returns the bytes as a std::string; nothing is written while empty.
    template <class G, class S>
    TPropertyRegistrar& Binary(const std::string& Name, G Get, S Set)
    {
        return Text(pkBinary, Name, Get, Set, Variant(std::string()));
    }
    template <class G, class S>
    TPropertyRegistrar& VariantProp(const std::string& Name, G Get, S Set)
    {
        TPropInfo p = Make(pkVariant, Name);
        p.Default = Variant();
        p.GetVar = [Get, Name](TObject* O) { return Variant(std::invoke(Get, detail::Self<T>(O, Name))); };
        if constexpr (!std::is_null_pointer_v<S>)
            p.SetVar = [Set, Name](TObject* O, const Variant& AValue) { std::invoke(Set, detail::Self<T>(O, Name), AValue); };
        return Add(std::move(p));
    }
    // A reference to another component; Get returns a pointer to the
    // referenced class, a component of another class is set as nil.
    template <class G, class S>
    TPropertyRegistrar& Component(const std::string& Name, G Get, S Set)
    {
        using P = detail::GetterResult<T, G>;
        TPropInfo p = Make(pkComponent, Name);
        p.GetObj = [Get, Name](TObject* O) -> TObject* { return std::invoke(Get, detail::Self<T>(O, Name)); };
        if constexpr (!std::is_null_pointer_v<S>)
            p.SetObj = [Set, Name](TObject* O, TComponent* C) {
                std::invoke(Set, detail::Self<T>(O, Name), dynamic_cast<P>(C));
            };
        return Add(std::move(p));
    }
    // An owned sub-object (Get returns a pointer); reading fills it in place.
    template <class G>
    TPropertyRegistrar& Persistent(const std::string& Name, G Get)
    {
        TPropInfo p = Make(pkPersistent, Name);
        p.GetObj = [Get, Name](TObject* O) -> TObject* { return std::invoke(Get, detail::Self<T>(O, Name)); };
        return Add(std::move(p));
    }
    // An owned TCollection (Get returns a pointer); reading replaces its items.
    template <class G>
    TPropertyRegistrar& Collection(const std::string& Name, G Get)
    {
        TPropInfo p = Make(pkCollection, Name);
        p.GetObj = [Get, Name](TObject* O) -> TObject* { return std::invoke(Get, detail::Self<T>(O, Name)); };
        return Add(std::move(p));
    }

    // The property registered last is written only while Pred answers true.
    TPropertyRegistrar& StoredIf(std::function<bool(const T&)> Pred)
    {
        std::string name = detail::LastRegisteredProperty(m_class).Name;
        detail::LastRegisteredProperty(m_class).Stored = [Pred = std::move(Pred), name](TObject* O) {
            return Pred(detail::Self<T>(O, name));
        };
        return *this;
    }
    // Extra entries (binary blocks, simple values) of this class.
    TPropertyRegistrar& DefineProperties(std::function<void(T&, TFiler&)> Proc)
    {
        detail::RegisterDefineProperties(m_class, [Proc = std::move(Proc)](TObject* O, TFiler& F) {
            if (T* t = dynamic_cast<T*>(O))
                Proc(*t, F);
        });
        return *this;
    }

private:
    TPropInfo Make(TPropKind Kind, const std::string& Name) const
    {
        TPropInfo p;
        p.Name = Name;
        p.Kind = Kind;
        return p;
    }
    TPropertyRegistrar& Add(TPropInfo P)
    {
        detail::RegisterProperty(m_class, std::move(P));
        return *this;
    }
    template <class G, class S>
    TPropertyRegistrar& Ordinal(TPropKind Kind, const std::string& Name, G Get, S Set,
                                std::optional<std::int64_t> Default, std::vector<std::string> Names)
    {
        using V = detail::GetterResult<T, G>;
        TPropInfo p = Make(Kind, Name);
        p.EnumNames = std::move(Names);
        if (Default)
            p.Default = Variant(*Default);
        p.GetOrd = [Get, Name](TObject* O) { return detail::OrdinalOf<V>(std::invoke(Get, detail::Self<T>(O, Name))); };
        if constexpr (!std::is_null_pointer_v<S>)
            p.SetOrd = [Set, Name](TObject* O, std::int64_t AValue) {
                std::invoke(Set, detail::Self<T>(O, Name), detail::FromOrdinal<V>(AValue));
            };
        return Add(std::move(p));
    }
    template <class G, class S>
    TPropertyRegistrar& Text(TPropKind Kind, const std::string& Name, G Get, S Set, Variant Default)
    {
        TPropInfo p = Make(Kind, Name);
        p.Default = std::move(Default);
        p.GetStr = [Get, Name](TObject* O) { return std::string(std::invoke(Get, detail::Self<T>(O, Name))); };
        if constexpr (!std::is_null_pointer_v<S>)
            p.SetStr = [Set, Name](TObject* O, const std::string& AValue) { std::invoke(Set, detail::Self<T>(O, Name), AValue); };
        return Add(std::move(p));
    }

    std::string m_class;
};

} // namespace qel
