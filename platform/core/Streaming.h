#pragma once
// Component streaming: a whole component tree (published properties, extra
// entries from DefineProperties, child components) written to and read from
// a byte stream.
//
// Stream format, version 1. Stored layouts, filters and style files keep
// these bytes, so a change needs a new version and a reader for the old one.
// All integers little-endian; "str" is a u32 byte count + UTF-8 bytes.
//
//   stream     = "QELC" u16 version(=1) component
//   component  = str className, str name, u32 entryCount, entry*,
//                u32 childCount, component*          (children from GetChildren)
//   entry      = str name, value                     (published properties in
//                                                     registration order, then
//                                                     defined properties)
//   value      = u8 tag, payload:
//     1 False, 2 True                                 (no payload)
//     3 Int32  i32 | 4 Int64 i64 | 5 Double f64
//     6 String str | 7 Ident str (enumeration name)
//     8 Set      u32 count, str*                      (element names)
//     9 Binary   i32 count, bytes                     (binary properties and
//                                                     defined binary blocks)
//     10 Nil                                          (component reference)
//     11 Reference str                                (path of names: "" the root,
//                                                     "Name" a component of the root,
//                                                     "A.B" through owners)
//     12 Object  u32 entryCount, entry*               (nested persistent)
//     13 Collection u32 itemCount, (u32 entryCount, entry*)*
//     14 Variant u16 varType, data                    (Empty/Null none; Smallint i16;
//                                                     Integer i32; Single f32; Double,
//                                                     Date f64; Currency i64 (x10^4);
//                                                     OleStr, String str; Boolean u8;
//                                                     Byte u8; Int64 i64; array
//                                                     (varArray|varVariant): u32 count,
//                                                     (u16 varType, data)*)
//
// Written: properties that are stored (stored-predicate) and differ from
// their default; nested objects only when they hold something; collections
// always (an empty one clears the target's items on reading).
//
// Reading parses the whole stream into memory first, checking every count,
// length and nesting level against the bytes that remain and allocating
// only for what it has read (memory and time grow with the stream's size,
// whatever counts it declares); a corrupt or
// truncated stream raises EReadError and nothing is touched. It then checks
// the classes (EClassNotFound) and properties ("Property X does not exist",
// EReadError) against the registries and the existing objects, and only then
// applies the values. To know a new component's entries (defined ones and
// nested objects) before anything is created, the reader constructs one
// scratch instance per class, without owner, and frees it again; a
// component's constructor and destructor must allow that.
//
// Reading into an existing component is read into a new object first: the
// tree is applied to a fresh instance of the target's class (made by name,
// without owner; its children created under it, references resolved within
// it, no Loaded calls) and freed again. A setter or defined property's
// reader that refuses a value there fails the read before the target is
// touched. Only then are the values applied to the target. Should a setter
// still refuse there (one that depends on the target's own state), the
// reader puts back, newest first, what it recorded before changing it: the
// simple published properties (references included) of the target and of
// its existing components that were read into, the target's name, and their
// parent components; errors while putting back are ignored. Nested objects,
// collection items and entries from DefineProperties of existing components
// are not put back. The components this read created are freed and the
// exception propagates. A value a fresh instance refuses is refused even
// where the target would take it. A target whose class cannot be made by
// name gets no dry run, only the putting back. A new component that fails
// is freed with everything the read created.
#include "platform/core/Component.h"
#include "platform/core/PropertyRegistry.h"
#include "platform/core/Stream.h"
#include "platform/core/Variant.h"

#include <cstdint>
#include <functional>
#include <string>

namespace qel {

inline constexpr char ComponentStreamSignature[4] = {'Q', 'E', 'L', 'C'};
inline constexpr std::uint16_t ComponentStreamVersion = 1;
// Components, nested objects, collections and Variant arrays nest at most this deep.
inline constexpr int MaxStreamNesting = 64;

// Given to DefineProperties: declares extra named entries of an object.
// While writing, an entry is written when HasData is true; while reading,
// the reader callback of the entry with the name found in the stream runs.
class TFiler {
public:
    virtual ~TFiler() = default;
    // A simple value (for example a Boolean "BuiltInStyle" always written).
    virtual void DefineProperty(const std::string& Name, const std::function<void(const Variant&)>& ReadData,
                                const std::function<Variant()>& WriteData, bool HasData) = 0;
    // A named byte block: WriteData writes into the stream given; ReadData
    // gets a stream holding exactly the block, positioned at its start.
    virtual void DefineBinaryProperty(const std::string& Name, const std::function<void(TStream&)>& ReadData,
                                      const std::function<void(TStream&)>& WriteData, bool HasData) = 0;
    // The root component being written or read.
    TComponent* Root() const { return m_root; }

protected:
    explicit TFiler(TComponent* Root) : m_root(Root) {}

private:
    TComponent* m_root;
};

struct TReadOptions {
    // Entries of unknown properties (a newer program's stream) are skipped
    // instead of raising "Property X does not exist".
    bool SkipUnknownProperties = false;
    // The instance read into was just made, and the caller drops it when the
    // read fails: the values go to it straight away, without the trial on a
    // fresh instance and without putting anything back (a picture in the
    // stream is decoded once).
    bool NewTarget = false;
};

// Writes Root with its children (GetChildren) at the stream's position.
// csWriting is set on every written component while writing.
void WriteComponent(TStream& Stream, TComponent* Root);

// Reads one component tree from the stream's position. Instance null:
// the root is created by its class name (class registry) with Owner; else
// the stream is read into Instance (its class name in the stream is not
// checked, its name is taken from the stream when the owner has no other
// component of that name). Children are matched by name among the existing
// children of their parent (else among Root's components), or created with
// Root as owner; Parent, when given, becomes the root's parent component.
// csLoading and csReading are set on every read component while reading;
// afterwards Loaded() runs on each, in read order. References to other
// components are resolved after the whole tree is read; unresolved ones are
// nil. On failure the stream position is restored.
TComponent* ReadComponent(TStream& Stream, TComponent* Instance, TComponent* Owner,
                          TComponent* Parent = nullptr, const TReadOptions& Options = {});

// Memory-stream conveniences: Dest is replaced by the stream of Root
// (position 0 afterwards); Source is read from its start.
void SaveComponentToMemory(TComponent* Root, TMemoryStream& Dest);
TComponent* LoadComponentFromMemory(TMemoryStream& Source, TComponent* Instance, TComponent* Owner,
                                    TComponent* Parent = nullptr, const TReadOptions& Options = {});

} // namespace qel
