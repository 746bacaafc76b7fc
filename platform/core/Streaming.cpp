#include "platform/core/Streaming.h"

#include "platform/core/ClassRegistry.h"
#include "platform/core/Collection.h"
#include "platform/core/Guards.h"
#include "platform/core/Locale.h"
#include "platform/core/Split.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <map>
#include <memory>
#include <unordered_map>
#include <unordered_set>

namespace qel {

namespace {

enum Tag : std::uint8_t {
    tFalse = 1, tTrue = 2, tInt32 = 3, tInt64 = 4, tDouble = 5, tString = 6, tIdent = 7, tSet = 8,
    tBinary = 9, tNil = 10, tReference = 11, tObject = 12, tCollection = 13, tVariant = 14
};

// ---------------------------------------------------------------- writing

class Writer {
public:
    explicit Writer(TComponent* Root) : m_root(Root) {}

    std::string& Out() { return m_out; }

    void U8(std::uint8_t V) { m_out += static_cast<char>(V); }
    template <class T>
    void LE(T V)
    {
        unsigned char b[sizeof(T)];
        std::memcpy(b, &V, sizeof(T));
        if constexpr (std::endian::native == std::endian::big)
            std::reverse(b, b + sizeof(T));
        m_out.append(reinterpret_cast<const char*>(b), sizeof(T));
    }
    void Str(const std::string& S)
    {
        LE<std::uint32_t>(static_cast<std::uint32_t>(S.size()));
        m_out += S;
    }
    std::size_t Placeholder()
    {
        std::size_t at = m_out.size();
        LE<std::uint32_t>(0);
        return at;
    }
    void Patch(std::size_t At, std::uint32_t V)
    {
        unsigned char b[4];
        std::memcpy(b, &V, 4);
        if constexpr (std::endian::native == std::endian::big)
            std::reverse(b, b + 4);
        std::memcpy(m_out.data() + At, b, 4);
    }

    void Component(TComponent* C, int Depth)
    {
        if (Depth > MaxStreamNesting)
            throw EWriteError("Component tree nests too deep to be written");
        C->SetStreamingState(csWriting, true);
        m_written.push_back(C);
        Str(C->ClassName());
        Str(C->Name());
        Entries(C, Depth);
        std::size_t countAt = Placeholder();
        std::uint32_t count = 0;
        C->GetChildren(
            [&](TComponent* Child) {
                Component(Child, Depth + 1);
                ++count;
            },
            m_root);
        Patch(countAt, count);
    }

    // Writes entryCount + entries; returns the count.
    std::uint32_t Entries(TObject* Obj, int Depth);

    void VariantValue(const Variant& V, int Depth)
    {
        if (Depth > MaxStreamNesting)
            throw EWriteError("Variant array nests too deep to be written");
        TVarType type = V.VarType();
        LE<std::uint16_t>(type);
        if (type & varArray) {
            const std::vector<Variant>& items = V.Elements();
            LE<std::uint32_t>(static_cast<std::uint32_t>(items.size()));
            for (const Variant& item : items)
                VariantValue(item, Depth + 1);
            return;
        }
        switch (type) {
        case varEmpty:
        case varNull: return;
        case varSmallint: LE<std::int16_t>(static_cast<std::int16_t>(V.AsInteger())); return;
        case varInteger: LE<std::int32_t>(V.AsInteger()); return;
        case varSingle: LE<float>(static_cast<float>(V.AsDouble())); return;
        case varDouble: LE<double>(V.AsDouble()); return;
        case varCurrency: LE<std::int64_t>(V.AsCurrency().Value); return;
        case varDate: LE<double>(V.AsDate()); return;
        case varOleStr:
        case varString: Str(V.AsString()); return;
        case varBoolean: U8(V.AsBoolean() ? 1 : 0); return;
        case varByte: U8(static_cast<std::uint8_t>(V.AsInteger())); return;
        case varInt64: LE<std::int64_t>(V.AsInt64()); return;
        default: throw EWriteError("Variant of type " + VarTypeAsText(type) + " cannot be written");
        }
    }

    std::string ReferencePath(TComponent* Target) const
    {
        if (Target == m_root)
            return {};
        // Every component of the stream is read back owned by the root, so
        // its own name finds it there.
        if (InTree(Target))
            return Target->Name().empty() ? "\x01" : Target->Name();
        std::string path;
        for (TComponent* c = Target; c; c = c->Owner()) {
            if (c == m_root)
                return path;
            if (c->Name().empty())
                return "\x01";   // cannot be named: written as nil
            path = path.empty() ? c->Name() : c->Name() + "." + path;
        }
        return path;
    }

    void ClearWritingState()
    {
        for (TComponent* c : m_written)
            c->SetStreamingState(csWriting, false);
    }

private:
    // Written with this tree: owned by the root, or placed below it.
    bool InTree(TComponent* C) const
    {
        if (C->Owner() == m_root)
            return true;
        int guard = 0;
        for (TComponent* p = C->GetParentComponent(); p && guard < 1000; p = p->GetParentComponent(), ++guard)
            if (p == m_root)
                return true;
        return false;
    }

    TComponent* m_root;
    std::string m_out;
    std::vector<TComponent*> m_written;
};

class WriterFiler : public TFiler {
public:
    WriterFiler(TComponent* Root, Writer& W, std::uint32_t& Count) : TFiler(Root), m_w(W), m_count(Count) {}

    void DefineProperty(const std::string& Name, const std::function<void(const Variant&)>&,
                        const std::function<Variant()>& WriteData, bool HasData) override
    {
        if (!HasData || !WriteData)
            return;
        m_w.Str(Name);
        m_w.U8(tVariant);
        m_w.VariantValue(WriteData(), 0);
        ++m_count;
    }
    void DefineBinaryProperty(const std::string& Name, const std::function<void(TStream&)>&,
                              const std::function<void(TStream&)>& WriteData, bool HasData) override
    {
        if (!HasData || !WriteData)
            return;
        TMemoryStream block;
        WriteData(block);
        if (block.Size() > INT32_MAX)
            throw EWriteError("Binary property " + Name + " is too large");
        m_w.Str(Name);
        m_w.U8(tBinary);
        m_w.LE<std::int32_t>(static_cast<std::int32_t>(block.Size()));
        m_w.Out().append(reinterpret_cast<const char*>(block.Memory()), static_cast<std::size_t>(block.Size()));
        ++m_count;
    }

private:
    Writer& m_w;
    std::uint32_t& m_count;
};

std::uint32_t Writer::Entries(TObject* Obj, int Depth)
{
    if (Depth > MaxStreamNesting)
        throw EWriteError("Object nests too deep to be written");
    std::size_t countAt = Placeholder();
    std::uint32_t count = 0;
    for (const TPropInfo* info : GetPropList(Obj)) {
        bool simple = info->Kind != pkPersistent && info->Kind != pkCollection;
        // A value nobody could set again is not written.
        if ((simple && info->IsReadOnly()) || !IsStoredProp(Obj, *info))
            continue;
        std::size_t entryAt = m_out.size();
        Str(info->Name);
        switch (info->Kind) {
        case pkInteger:
        case pkColor:
            U8(tInt32);
            LE<std::int32_t>(static_cast<std::int32_t>(info->GetOrd(Obj)));
            break;
        case pkInt64:
            U8(tInt64);
            LE<std::int64_t>(info->GetOrd(Obj));
            break;
        case pkBoolean: U8(info->GetOrd(Obj) ? tTrue : tFalse); break;
        case pkEnumeration: {
            std::int64_t n = info->GetOrd(Obj);
            if (n >= 0 && n < static_cast<std::int64_t>(info->EnumNames.size())) {
                U8(tIdent);
                Str(info->EnumNames[static_cast<std::size_t>(n)]);
            } else {
                U8(tInt32);
                LE<std::int32_t>(static_cast<std::int32_t>(n));
            }
            break;
        }
        case pkSet: {
            auto bits = static_cast<std::uint64_t>(info->GetOrd(Obj));
            U8(tSet);
            std::size_t at = Placeholder();
            std::uint32_t n = 0;
            for (std::size_t i = 0; i < info->EnumNames.size() && i < 64; ++i) {
                if (bits & (std::uint64_t{1} << i)) {
                    Str(info->EnumNames[i]);
                    ++n;
                }
            }
            Patch(at, n);
            break;
        }
        case pkFloat:
            U8(tDouble);
            LE<double>(info->GetFloat(Obj));
            break;
        case pkString:
            U8(tString);
            Str(info->GetStr(Obj));
            break;
        case pkBinary: {
            std::string bytes = info->GetStr(Obj);
            if (bytes.size() > INT32_MAX)
                throw EWriteError("Binary property " + info->Name + " is too large");
            U8(tBinary);
            LE<std::int32_t>(static_cast<std::int32_t>(bytes.size()));
            m_out += bytes;
            break;
        }
        case pkVariant:
            U8(tVariant);
            VariantValue(info->GetVar(Obj), 0);
            break;
        case pkComponent: {
            std::string path = ReferencePath(dynamic_cast<TComponent*>(info->GetObj(Obj)));
            if (path == "\x01") {
                m_out.resize(entryAt);
                continue;
            }
            U8(tReference);
            Str(path);
            break;
        }
        case pkPersistent: {
            U8(tObject);
            if (Entries(info->GetObj(Obj), Depth + 1) == 0) {
                m_out.resize(entryAt);   // nothing to say about it
                continue;
            }
            break;
        }
        case pkCollection: {
            auto* coll = dynamic_cast<TCollection*>(info->GetObj(Obj));
            if (!coll) {
                m_out.resize(entryAt);
                continue;
            }
            U8(tCollection);
            LE<std::uint32_t>(static_cast<std::uint32_t>(coll->Count()));
            for (int i = 0; i < coll->Count(); ++i)
                Entries(coll->Items(i), Depth + 1);
            break;
        }
        }
        ++count;
    }
    WriterFiler filer(m_root, *this, count);
    CallDefineProperties(Obj, filer);
    Patch(countAt, count);
    return count;
}

// ---------------------------------------------------------------- parsing

struct Entry;

struct Value {
    Tag tag = tNil;
    std::int64_t i = 0;
    double d = 0;
    std::string s;                          // string, ident, binary, reference
    std::vector<std::string> names;         // set
    Variant v;                              // variant
    std::vector<Entry> entries;             // object
    std::vector<std::vector<Entry>> items;  // collection
};

struct Entry {
    std::string name;
    Value value;
    bool skip = false;   // unknown, and the caller asked to skip such entries
};

struct Node {
    std::string className;
    std::string name;
    std::vector<Entry> entries;
    std::vector<Node> children;
    TComponent* match = nullptr;   // the existing component this node is read into
};

[[noreturn]] void Corrupt(const std::string& Why)
{
    throw EReadError("Invalid component stream: " + Why);
}

class Parser {
public:
    Parser(const char* Data, std::size_t Size) : m_p(Data), m_end(Data + Size), m_begin(Data) {}

    std::size_t Consumed() const { return static_cast<std::size_t>(m_p - m_begin); }

    void Header()
    {
        Need(6, "header");
        if (std::memcmp(m_p, ComponentStreamSignature, 4) != 0)
            Corrupt("wrong signature");
        m_p += 4;
        auto version = LE<std::uint16_t>();
        if (version != ComponentStreamVersion)
            Corrupt("unsupported version " + std::to_string(version));
    }

    Node Component(int Depth)
    {
        Deeper(Depth);
        Node n;
        n.className = Str("class name");
        if (n.className.empty())
            Corrupt("empty class name");
        n.name = Str("component name");
        n.entries = Entries(Depth);
        // Nothing is allocated ahead on a count: a damaged count fails when
        // the bytes run out, having cost only what was really there.
        std::uint32_t children = Count(16, "child count");
        for (std::uint32_t i = 0; i < children; ++i)
            n.children.push_back(Component(Depth + 1));
        return n;
    }

private:
    void Need(std::uint64_t Bytes, const char* What)
    {
        if (Bytes > static_cast<std::uint64_t>(m_end - m_p))
            Corrupt(std::string(What) + " runs past the end of the stream (truncated or damaged)");
    }
    static void Deeper(int Depth)
    {
        if (Depth > MaxStreamNesting)
            Corrupt("nesting deeper than " + std::to_string(MaxStreamNesting) + " levels");
    }
    template <class T>
    T LE()
    {
        Need(sizeof(T), "value");
        unsigned char b[sizeof(T)];
        std::memcpy(b, m_p, sizeof(T));
        m_p += sizeof(T);
        if constexpr (std::endian::native == std::endian::big)
            std::reverse(b, b + sizeof(T));
        T v;
        std::memcpy(&v, b, sizeof(T));
        return v;
    }
    std::string Str(const char* What)
    {
        auto len = LE<std::uint32_t>();
        Need(len, What);
        std::string s(m_p, len);
        m_p += len;
        return s;
    }
    // A count of elements that take at least MinBytes each.
    std::uint32_t Count(std::uint64_t MinBytes, const char* What)
    {
        auto n = LE<std::uint32_t>();
        Need(n * MinBytes, What);
        return n;
    }

    std::vector<Entry> Entries(int Depth)
    {
        Deeper(Depth);
        std::uint32_t n = Count(5, "entry count");   // name length + tag
        std::vector<Entry> entries;
        for (std::uint32_t i = 0; i < n; ++i) {
            Entry& e = entries.emplace_back();
            e.name = Str("property name");
            if (e.name.empty())
                Corrupt("empty property name");
            e.value = ParseValue(Depth);
        }
        return entries;
    }

    Value ParseValue(int Depth)
    {
        Value v;
        v.tag = static_cast<Tag>(LE<std::uint8_t>());
        switch (v.tag) {
        case tFalse:
        case tTrue:
        case tNil: break;
        case tInt32: v.i = LE<std::int32_t>(); break;
        case tInt64: v.i = LE<std::int64_t>(); break;
        case tDouble: v.d = LE<double>(); break;
        case tString:
        case tIdent:
        case tReference: v.s = Str("string"); break;
        case tSet: {
            std::uint32_t n = Count(4, "set");
            for (std::uint32_t i = 0; i < n; ++i)
                v.names.push_back(Str("set element"));
            break;
        }
        case tBinary: {
            auto len = LE<std::int32_t>();
            if (len < 0)
                Corrupt("negative binary length");
            Need(static_cast<std::uint64_t>(len), "binary block");
            v.s.assign(m_p, static_cast<std::size_t>(len));
            m_p += len;
            break;
        }
        case tObject: v.entries = Entries(Depth + 1); break;
        case tCollection: {
            Deeper(Depth + 1);
            std::uint32_t n = Count(4, "collection");
            for (std::uint32_t i = 0; i < n; ++i)
                v.items.push_back(Entries(Depth + 1));
            break;
        }
        case tVariant: v.v = ParseVariant(Depth + 1); break;
        default: Corrupt("unknown value tag " + std::to_string(static_cast<int>(v.tag)));
        }
        return v;
    }

    Variant ParseVariant(int Depth)
    {
        Deeper(Depth);
        auto type = LE<std::uint16_t>();
        if (type == (varArray | varVariant)) {
            std::uint32_t n = Count(2, "variant array");
            std::vector<Variant> items;
            for (std::uint32_t i = 0; i < n; ++i)
                items.push_back(ParseVariant(Depth + 1));
            return Variant::Array(std::move(items));
        }
        switch (type) {
        case varEmpty: return Variant();
        case varNull: return Variant::Null();
        case varSmallint: return Variant::FromSmallint(LE<std::int16_t>());
        case varInteger: return Variant(static_cast<int>(LE<std::int32_t>()));
        case varSingle: return Variant::FromSingle(LE<float>());
        case varDouble: return Variant(LE<double>());
        case varCurrency: return Variant(Currency::FromInt64(LE<std::int64_t>()));
        case varDate: return Variant::FromDate(LE<double>());
        case varOleStr: return Variant::FromWideString(Str("string"));
        case varString: return Variant(Str("string"));
        case varBoolean: return Variant(LE<std::uint8_t>() != 0);
        case varByte: return Variant::FromByte(LE<std::uint8_t>());
        case varInt64: return Variant(static_cast<std::int64_t>(LE<std::int64_t>()));
        default: Corrupt("unknown variant type " + std::to_string(type));
        }
    }

    const char* m_p;
    const char* m_end;
    const char* m_begin;
};

// ---------------------------------------------------------------- reading

bool Fits(const TPropInfo& Info, const Value& V)
{
    switch (Info.Kind) {
    case pkInteger:
    case pkColor: return V.tag == tInt32 || (V.tag == tInt64 && V.i >= INT32_MIN && V.i <= INT32_MAX);
    case pkInt64: return V.tag == tInt32 || V.tag == tInt64;
    case pkBoolean: return V.tag == tFalse || V.tag == tTrue;
    // An ordinal outside the names would reach the setter as an enumerator
    // that does not exist (as SetPropValue, refused).
    case pkEnumeration:
        if (V.tag == tIdent)
            return Info.EnumValue(V.s) >= 0;
        return V.tag == tInt32 && V.i >= 0 && V.i < static_cast<std::int64_t>(Info.EnumNames.size());
    case pkSet:
        if (V.tag != tSet)
            return false;
        for (const std::string& n : V.names)
            if (Info.EnumValue(n) < 0 || Info.EnumValue(n) >= 64)
                return false;
        return true;
    case pkFloat: return V.tag == tDouble || V.tag == tInt32 || V.tag == tInt64;
    case pkString: return V.tag == tString;
    case pkBinary: return V.tag == tBinary;
    case pkVariant: return V.tag == tVariant;
    case pkComponent: return V.tag == tReference || V.tag == tNil;
    case pkPersistent: return V.tag == tObject;
    case pkCollection: return V.tag == tCollection;
    }
    return false;
}

// Records which extra entries an object defines, without running any callback.
class CollectingFiler : public TFiler {
public:
    explicit CollectingFiler(TComponent* Root) : TFiler(Root) {}
    void DefineProperty(const std::string& Name, const std::function<void(const Variant&)>&,
                        const std::function<Variant()>&, bool) override
    {
        m_defined.emplace(LowerCase(Name), tVariant);
    }
    void DefineBinaryProperty(const std::string& Name, const std::function<void(TStream&)>&,
                              const std::function<void(TStream&)>&, bool) override
    {
        m_defined.emplace(LowerCase(Name), tBinary);
    }
    const std::map<std::string, Tag>& Defined() const { return m_defined; }

private:
    std::map<std::string, Tag> m_defined;
};

class ReaderFiler : public TFiler {
public:
    ReaderFiler(TComponent* Root, const Entry& E) : TFiler(Root), m_entry(E) {}
    bool Found() const { return m_found; }

    void DefineProperty(const std::string& Name, const std::function<void(const Variant&)>& ReadData,
                        const std::function<Variant()>&, bool) override
    {
        if (m_found || !SameNoCase(Name, m_entry.name))
            return;
        m_found = true;
        if (m_entry.value.tag != tVariant)
            throw EReadError("Invalid property value for " + m_entry.name);
        if (ReadData)
            ReadData(m_entry.value.v);
    }
    void DefineBinaryProperty(const std::string& Name, const std::function<void(TStream&)>& ReadData,
                              const std::function<void(TStream&)>&, bool) override
    {
        if (m_found || !SameNoCase(Name, m_entry.name))
            return;
        m_found = true;
        if (m_entry.value.tag != tBinary)
            throw EReadError("Invalid property value for " + m_entry.name);
        if (ReadData) {
            TMemoryStream block;
            block.SetBytes(m_entry.value.s);
            ReadData(block);
        }
    }

private:
    const Entry& m_entry;
    bool m_found = false;
};

class Loader {
public:
    Loader(TComponent* Owner, TComponent* Parent, const TReadOptions& Options)
        : m_owner(Owner), m_parent(Parent), m_options(Options)
    {
    }

    TComponent* Run(Node& Root, TComponent* Instance)
    {
        Validate(Root, Instance);
        m_probes.clear();
        if (Instance && !m_options.NewTarget) {
            DryRun(Root, Instance);
            m_guarded.insert(Instance);
            MarkMatched(Root.children);
        }
        try {
            return Apply(Root, Instance);
        } catch (...) {
            Rollback();
            throw;
        }
    }

private:
    struct Fixup {
        TObject* obj;
        const TPropInfo* info;
        std::string path;
    };

    // ---- validation: nothing is changed here

    TComponent* Probe(const std::string& ClassName)
    {
        auto& slot = m_probes[LowerCase(ClassName)];
        if (!slot)
            slot.reset(TClassRegistry::Instance().Create(ClassName, nullptr));
        return slot.get();
    }

    void Validate(Node& Root, TComponent* Instance)
    {
        TComponent* context = Instance ? Instance : Probe(Root.className);
        if (!Root.name.empty() && !IsValidIdent(Root.name))
            throw EReadError("'" + Root.name + "' is not a valid component name.");
        m_rootForMatching = Instance;
        ValidateEntries(context, Root.entries, context, !Instance);
        for (Node& child : Root.children)
            ValidateNode(child, Instance);
    }

    void ValidateNode(Node& N, TComponent* ExistingParent)
    {
        if (!N.name.empty() && !IsValidIdent(N.name))
            throw EReadError("'" + N.name + "' is not a valid component name.");
        N.match = FindExisting(N, ExistingParent);
        if (!N.match) {
            if (!TClassRegistry::Instance().IsRegistered(N.className))
                throw EClassNotFound("Class " + N.className + " not found");
            if (!N.name.empty()) {
                if (!m_newNames.insert(LowerCase(N.name)).second)
                    throw EReadError("A component named " + N.name + " already exists");
            }
        }
        TComponent* context = N.match ? N.match : Probe(N.className);
        ValidateEntries(context, N.entries, context, !N.match);
        for (Node& child : N.children)
            ValidateNode(child, N.match);
    }

    // An existing component the node is read into: a child of the same name
    // of the existing parent, else a component of the root's; a clash with
    // a component of another class is refused.
    TComponent* FindExisting(const Node& N, TComponent* ExistingParent)
    {
        if (N.name.empty() || !m_rootForMatching)
            return nullptr;
        TComponent* found = nullptr;
        if (ExistingParent)
            ExistingParent->GetChildren(
                [&](TComponent* C) {
                    if (!found && SameNoCase(C->Name(), N.name))
                        found = C;
                },
                m_rootForMatching);
        if (!found)
            found = m_rootForMatching->FindComponent(N.name);
        if (!found)
            return nullptr;
        if (!SameNoCase(found->ClassName(), N.className))
            throw EReadError("A component named " + N.name + " already exists");
        if (!m_matched.insert(found).second)
            throw EReadError("A component named " + N.name + " already exists");
        return found;
    }

    void ValidateEntries(TObject* Obj, std::vector<Entry>& Entries, TComponent* FilerRoot, bool Scratch)
    {
        std::unique_ptr<CollectingFiler> defined;
        for (Entry& e : Entries) {
            const TPropInfo* info = FindPropInfo(Obj, e.name);
            if (info) {
                if (!Fits(*info, e.value))
                    throw EReadError("Invalid property value for " + e.name);
                bool simple = info->Kind != pkPersistent && info->Kind != pkCollection;
                if (simple && info->IsReadOnly())
                    throw EReadError("Property " + e.name + " is read-only");
                if (info->Kind == pkPersistent) {
                    TObject* nested = info->GetObj(Obj);
                    if (!nested)
                        throw EReadError("Property " + e.name + " has no object to read into");
                    ValidateEntries(nested, e.value.entries, FilerRoot, Scratch);
                } else if (info->Kind == pkCollection) {
                    auto* coll = dynamic_cast<TCollection*>(info->GetObj(Obj));
                    if (!coll)
                        throw EReadError("Property " + e.name + " has no collection to read into");
                    ValidateItems(coll, e.value.items, FilerRoot, Scratch);
                }
                continue;
            }
            if (!defined) {
                defined = std::make_unique<CollectingFiler>(FilerRoot);
                CallDefineProperties(Obj, *defined);
            }
            auto it = defined->Defined().find(LowerCase(e.name));
            if (it != defined->Defined().end()) {
                if (it->second != e.value.tag)
                    throw EReadError("Invalid property value for " + e.name);
                continue;
            }
            if (!m_options.SkipUnknownProperties)
                throw EReadError("Property " + e.name + " does not exist");
            e.skip = true;
        }
    }

    void ValidateItems(TCollection* Coll, std::vector<std::vector<Entry>>& Items, TComponent* FilerRoot,
                       bool Scratch)
    {
        if (Items.empty())
            return;
        // An item to check against: an existing one, or a new one in a
        // scratch object's collection.
        TCollectionItem* sample = Coll->Count() > 0 ? Coll->Items(0) : (Scratch ? Coll->Add() : nullptr);
        for (auto& item : Items) {
            if (sample) {
                ValidateEntries(sample, item, FilerRoot, Scratch);
                continue;
            }
            // No item to ask: the published properties of the item class are
            // checked now, other entries (defined ones) while applying.
            for (Entry& e : item) {
                const TPropInfo* info = FindPropInfo(Coll->ItemClassName(), e.name);
                if (info && !Fits(*info, e.value))
                    throw EReadError("Invalid property value for " + e.name);
            }
        }
    }

    // ---- dry run: the tree applied to a fresh instance first

    // A setter or defined-property reader that refuses a value on a fresh
    // object raises here, before the target is touched. A class that cannot
    // be made by name without an owner gets no dry run; the undo log of the
    // real run still covers it.
    void DryRun(Node& Root, TComponent* Instance)
    {
        std::unique_ptr<TComponent> scratch;
        try {
            if (TClassRegistry::Instance().IsRegistered(Instance->ClassName()))
                scratch.reset(TClassRegistry::Instance().Create(Instance->ClassName(), nullptr));
        } catch (...) {
        }
        if (!scratch)
            return;
        m_dryRun = true;
        // On failure scratch frees itself and what it owns.
        Finally endDryRun([this] { EndDryRun(); });
        Apply(Root, scratch.get());
    }

    void EndDryRun()
    {
        // Everything the dry run created is owned by the scratch root, which
        // frees it in one pass (no removal broadcast per component).
        m_created.clear();
        m_loaded.clear();
        m_fixups.clear();
        m_root = nullptr;
        m_dryRun = false;
    }

    void MarkMatched(const std::vector<Node>& Nodes)
    {
        for (const Node& n : Nodes) {
            if (n.match)
                m_guarded.insert(n.match);
            MarkMatched(n.children);
        }
    }

    // ---- undo log of the real run: simple published properties, the
    // root's name and parents of existing components, as they were before
    // this read changed them

    void Remember(TObject* Obj, const TPropInfo& Info)
    {
        if (m_dryRun || !m_guarded.count(Obj))
            return;
        switch (Info.Kind) {
        case pkInteger:
        case pkColor:
        case pkInt64:
        case pkBoolean:
        case pkEnumeration:
        case pkSet:
            if (Info.GetOrd && Info.SetOrd)
                m_undo.push_back([Obj, &Info, old = Info.GetOrd(Obj)] { Info.SetOrd(Obj, old); });
            return;
        case pkFloat:
            if (Info.GetFloat && Info.SetFloat)
                m_undo.push_back([Obj, &Info, old = Info.GetFloat(Obj)] { Info.SetFloat(Obj, old); });
            return;
        case pkString:
        case pkBinary:
            if (Info.GetStr && Info.SetStr)
                m_undo.push_back([Obj, &Info, old = Info.GetStr(Obj)] { Info.SetStr(Obj, old); });
            return;
        case pkVariant:
            if (Info.GetVar && Info.SetVar)
                m_undo.push_back([Obj, &Info, old = Info.GetVar(Obj)] { Info.SetVar(Obj, old); });
            return;
        case pkComponent:
            if (Info.GetObj && Info.SetObj)
                m_undo.push_back([Obj, &Info, old = dynamic_cast<TComponent*>(Info.GetObj(Obj))] {
                    Info.SetObj(Obj, old);
                });
            return;
        case pkPersistent:
        case pkCollection: return;   // not restored
        }
    }

    void RememberParent(TComponent* C)
    {
        if (!m_dryRun && m_guarded.count(C))
            m_undo.push_back([C, old = C->GetParentComponent()] { C->SetParentComponent(old); });
    }

    // ---- applying

    void Track(TComponent* C)
    {
        C->SetStreamingState(csLoading, true);
        C->SetStreamingState(csReading, true);
        m_loaded.push_back(C);
    }

    std::string UniqueName(TComponent* Owner, TComponent* Self, const std::string& Name)
    {
        if (!Owner)
            return Name;
        TComponent* other = Owner->FindComponent(Name);
        if (!other || other == Self)
            return Name;
        for (int i = 1;; ++i) {
            std::string candidate = Name + "_" + std::to_string(i);
            TComponent* o = Owner->FindComponent(candidate);
            if (!o || o == Self)
                return candidate;
        }
    }

    TComponent* Apply(Node& Root, TComponent* Instance)
    {
        TComponent* comp = Instance;
        if (!comp) {
            comp = TClassRegistry::Instance().Create(Root.className, m_owner);
            m_created.push_back(comp);
        }
        m_root = comp;
        Track(comp);
        if (!Root.name.empty() && !SameNoCase(Root.name, comp->Name())) {
            if (!m_dryRun && Instance)
                m_undo.push_back([comp, old = comp->Name()] { comp->SetName(old); });
            comp->SetName(UniqueName(comp->Owner(), comp, Root.name));
        }
        // The scratch root of a dry run stays unattached.
        if (m_parent && !m_dryRun) {
            RememberParent(comp);
            comp->SetParentComponent(m_parent);
        }
        ApplyEntries(comp, Root.entries);
        for (Node& child : Root.children)
            ApplyNode(child, comp);

        for (const Fixup& f : m_fixups) {
            TComponent* target = Resolve(f.path);
            Remember(f.obj, *f.info);
            f.info->SetObj(f.obj, target);
        }
        m_fixups.clear();
        if (m_dryRun)
            return comp;

        // From here on the tree is complete: no more rollback.
        std::vector<TComponent*> loaded = std::move(m_loaded);
        m_loaded.clear();
        m_created.clear();
        m_undo.clear();
        for (TComponent* c : loaded)
            c->SetStreamingState(csReading, false);
        for (TComponent* c : loaded)
            c->Loaded();
        return comp;
    }

    void ApplyNode(Node& N, TComponent* Parent)
    {
        // A dry run creates every component, existing ones included.
        TComponent* comp = m_dryRun ? nullptr : N.match;
        if (!comp) {
            comp = TClassRegistry::Instance().Create(N.className, m_root);
            m_created.push_back(comp);
            Track(comp);
            // In a dry run a new name may equal that of an existing component
            // owned elsewhere, which the real run leaves where it is.
            if (!N.name.empty())
                comp->SetName(m_dryRun ? UniqueName(m_root, comp, N.name) : N.name);
            comp->SetParentComponent(Parent);
        } else {
            Track(comp);
            // A parentless component of the root stays so when it is one of the root's children.
            if (comp->GetParentComponent() != Parent && (comp->HasParent() || Parent != m_root)) {
                RememberParent(comp);
                comp->SetParentComponent(Parent);
            }
        }
        ApplyEntries(comp, N.entries);
        for (Node& child : N.children)
            ApplyNode(child, comp);
    }

    void ApplyEntries(TObject* Obj, const std::vector<Entry>& Entries)
    {
        for (const Entry& e : Entries) {
            if (e.skip)
                continue;
            const TPropInfo* info = FindPropInfo(Obj, e.name);
            if (info) {
                ApplyValue(Obj, *info, e.value);
                continue;
            }
            ReaderFiler filer(m_root, e);
            CallDefineProperties(Obj, filer);
            if (!filer.Found() && !m_options.SkipUnknownProperties)
                throw EReadError("Property " + e.name + " does not exist");
        }
    }

    void ApplyValue(TObject* Obj, const TPropInfo& Info, const Value& V)
    {
        if (!Fits(Info, V))
            throw EReadError("Invalid property value for " + Info.Name);
        if (Info.Kind != pkComponent || V.tag == tNil)
            Remember(Obj, Info);   // references are remembered when fixed up
        switch (Info.Kind) {
        case pkInteger:
        case pkColor:
        case pkInt64: Info.SetOrd(Obj, V.i); return;
        case pkBoolean: Info.SetOrd(Obj, V.tag == tTrue ? 1 : 0); return;
        case pkEnumeration: Info.SetOrd(Obj, V.tag == tIdent ? Info.EnumValue(V.s) : V.i); return;
        case pkSet: {
            std::uint64_t bits = 0;
            for (const std::string& n : V.names)
                bits |= std::uint64_t{1} << Info.EnumValue(n);
            Info.SetOrd(Obj, static_cast<std::int64_t>(bits));
            return;
        }
        case pkFloat: Info.SetFloat(Obj, V.tag == tDouble ? V.d : static_cast<double>(V.i)); return;
        case pkString:
        case pkBinary: Info.SetStr(Obj, V.s); return;
        case pkVariant: Info.SetVar(Obj, V.v); return;
        case pkComponent:
            if (V.tag == tNil)
                Info.SetObj(Obj, nullptr);
            else
                m_fixups.push_back(Fixup{Obj, &Info, V.s});
            return;
        case pkPersistent: {
            TObject* nested = Info.GetObj(Obj);
            if (!nested)
                throw EReadError("Property " + Info.Name + " has no object to read into");
            ApplyEntries(nested, V.entries);
            return;
        }
        case pkCollection: {
            auto* coll = dynamic_cast<TCollection*>(Info.GetObj(Obj));
            if (!coll)
                throw EReadError("Property " + Info.Name + " has no collection to read into");
            TUpdateScope update(*coll);
            coll->Clear();
            for (const std::vector<Entry>& item : V.items)
                ApplyEntries(coll->Add(), item);
            return;
        }
        }
    }

    // "" is the root; "A.B" walks owned components from the root, else from
    // the root's owners (a reference to a component outside the tree).
    TComponent* Resolve(const std::string& Path) const
    {
        if (Path.empty())
            return m_root;
        const std::vector<std::string> segs = SplitString(Path, '.');
        auto descend = [&](TComponent* Base, std::size_t From) -> TComponent* {
            TComponent* c = Base;
            for (std::size_t i = From; c && i < segs.size(); ++i)
                c = segs[i].empty() ? nullptr : c->FindComponent(segs[i]);
            return c;
        };
        for (TComponent* base = m_root; base; base = base->Owner()) {
            if (TComponent* c = descend(base, 0))
                return c;
            if (SameNoCase(base->Name(), segs[0]))
                if (TComponent* c = descend(base, 1))
                    return c;
        }
        return nullptr;
    }

    void Rollback()
    {
        // Old values back first, newest first, while the created components
        // still exist (a restored reference may have pointed at one of them
        // in between). A restore that raises is skipped: the original
        // failure is what the caller hears about.
        std::vector<std::function<void()>> undo = std::move(m_undo);
        m_undo.clear();
        for (auto it = undo.rbegin(); it != undo.rend(); ++it) {
            try {
                (*it)();
            } catch (...) {
            }
        }
        std::vector<TComponent*> created = std::move(m_created);
        std::unordered_set<TComponent*> createdSet(created.begin(), created.end());
        for (TComponent* c : m_loaded) {
            if (!createdSet.count(c)) {
                c->SetStreamingState(csReading, false);
                c->SetStreamingState(csLoading, false);
            }
        }
        m_loaded.clear();
        for (auto it = created.rbegin(); it != created.rend(); ++it)
            delete *it;
    }

    TComponent* m_owner;
    TComponent* m_parent;
    TReadOptions m_options;
    TComponent* m_rootForMatching = nullptr;
    TComponent* m_root = nullptr;
    std::unordered_map<std::string, std::unique_ptr<TComponent>> m_probes;
    std::unordered_set<std::string> m_newNames;
    std::unordered_set<TComponent*> m_matched;
    std::vector<TComponent*> m_created;
    std::vector<TComponent*> m_loaded;
    std::vector<Fixup> m_fixups;
    bool m_dryRun = false;
    std::unordered_set<const TObject*> m_guarded;   // existing components the read changes
    std::vector<std::function<void()>> m_undo;
};

} // namespace

void WriteComponent(TStream& Stream, TComponent* Root)
{
    if (!Root)
        throw EWriteError("No component to write");
    Writer w(Root);
    w.Out().append(ComponentStreamSignature, 4);
    w.LE<std::uint16_t>(ComponentStreamVersion);
    {
        Finally clear([&w] { w.ClearWritingState(); });
        w.Component(Root, 0);
    }
    Stream.WriteBuffer(w.Out().data(), static_cast<std::int64_t>(w.Out().size()));
}

TComponent* ReadComponent(TStream& Stream, TComponent* Instance, TComponent* Owner, TComponent* Parent,
                          const TReadOptions& Options)
{
    std::int64_t start = Stream.Position();
    std::string bytes = Stream.ReadBytes(Stream.Remaining());
    try {
        Parser parser(bytes.data(), bytes.size());
        parser.Header();
        Node root = parser.Component(0);
        std::size_t consumed = parser.Consumed();
        bytes.clear();
        bytes.shrink_to_fit();
        Loader loader(Owner, Parent, Options);
        TComponent* result = loader.Run(root, Instance);
        Stream.SetPosition(start + static_cast<std::int64_t>(consumed));
        return result;
    } catch (...) {
        Stream.SetPosition(start);
        throw;
    }
}

void SaveComponentToMemory(TComponent* Root, TMemoryStream& Dest)
{
    TMemoryStream fresh;
    WriteComponent(fresh, Root);
    Dest.SetBytes(fresh.Bytes());
}

TComponent* LoadComponentFromMemory(TMemoryStream& Source, TComponent* Instance, TComponent* Owner,
                                    TComponent* Parent, const TReadOptions& Options)
{
    Source.SetPosition(0);
    return ReadComponent(Source, Instance, Owner, Parent, Options);
}

} // namespace qel
