#include "platform/storage/Registry.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Split.h"
#include "platform/core/Strings.h"
#include "platform/core/Stream.h"
#include "platform/storage/detail/FillStrings.h"
#include "platform/storage/detail/SettingsFile.h"

#include <QDir>
#include <QStandardPaths>
#include <QString>

#include <algorithm>
#include <bit>
#include <cctype>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>

namespace qel {

// How the tree is laid out in the store file (detail/SettingsFile.h). Every
// name is case-folded and escaped to [a-z0-9_] to form the key, and the
// original spelling is kept as a value beside it:
//   r<root in hex>/k<key>/k<sub key>/_   = the sub key's own spelling (marks that it exists)
//   .../n<value>                         = the value name's own spelling
//   .../v<value>                         = type letter + data: s text, e text,
//                                          i decimal integer, b hex bytes
namespace {

using detail::SettingsMap;

// A file's size and modification time: a change means another program
// wrote it, and it is read again.
struct FileStamp {
    std::uintmax_t size = 0;
    std::filesystem::file_time_type modified{};
    bool exists = false;
    bool operator==(const FileStamp&) const = default;
};

FileStamp StampOf(const std::string& File)
{
    std::error_code ec;
    FileStamp stamp;
    const auto status = std::filesystem::status(File, ec);
    if (ec || !std::filesystem::exists(status))
        return stamp;
    stamp.exists = true;
    stamp.size = std::filesystem::file_size(File, ec);
    stamp.modified = std::filesystem::last_write_time(File, ec);
    return stamp;
}

struct Store {
    std::string file;
    bool loaded = false;
    bool damaged = false;
    FileStamp stamp;
    SettingsMap values;
    // Batching: while updates are open, writes change `values` only; the
    // file is written when the outermost update ends.
    int updateCount = 0;
    bool dirty = false;
};

Store& TheStore()
{
    static Store store;
    return store;
}

std::string DefaultStoreFile()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (dir.isEmpty())
        dir = QDir::homePath() + QStringLiteral("/.config");
    return (dir + QStringLiteral("/qel/registry.ini")).toStdString();
}

// The store's values, read from the file when first needed and again when
// another program changed it (never while a batch holds unwritten changes).
SettingsMap& Settings()
{
    Store& s = TheStore();
    if (s.file.empty())
        s.file = DefaultStoreFile();
    if (s.loaded && (s.dirty || StampOf(s.file) == s.stamp))
        return s.values;
    s.loaded = true;
    s.damaged = false;
    s.values.clear();
    s.stamp = StampOf(s.file);
    if (!s.stamp.exists)
        return s.values;
    std::string bytes;
    try {
        TMemoryStream data;
        data.LoadFromFile(s.file);
        bytes = data.Bytes();
    } catch (const Exception&) {
        s.damaged = true;   // unreadable: never overwritten either
        return s.values;
    }
    if (!detail::ParseSettingsFile(bytes, s.values)) {
        s.values.clear();
        s.damaged = true;
    }
    return s.values;
}

// Nullptr when the store file is damaged: it then reads as empty.
const SettingsMap* ReadableSettings()
{
    const SettingsMap& q = Settings();
    return TheStore().damaged ? nullptr : &q;
}

SettingsMap& WritableSettings(const std::string& What)
{
    SettingsMap& q = Settings();
    if (TheStore().damaged)
        throw ERegistryException(What + ": the settings store file \"" + TheStore().file +
                                 "\" is damaged and is left as it is");
    return q;
}

// Writes the values to the file, whole or not at all. On failure the values
// go back to what the file holds, so memory and file never disagree.
void WriteStore(const std::string& What)
{
    Store& s = TheStore();
    try {
        const std::filesystem::path parent = std::filesystem::path(s.file).parent_path();
        if (!parent.empty())
            std::filesystem::create_directories(parent);
        SafeWriteFile(s.file, [&](TStream& Out) { Out.WriteBytes(detail::SerializeSettingsFile(s.values)); });
    } catch (const std::exception&) {
        s.loaded = false;
        s.dirty = false;
        throw ERegistryException(What + ": the settings store file \"" + s.file + "\" cannot be written");
    }
    s.dirty = false;
    s.stamp = StampOf(s.file);
}

// A change made to the values: written at once, or when the batch ends.
void Commit(SettingsMap&, const std::string& What)
{
    Store& s = TheStore();
    s.dirty = true;
    if (s.updateCount == 0)
        WriteStore(What);
}

bool Contains(const SettingsMap& Q, const std::string& Key)
{
    return Q.count(Key) != 0;
}

std::string ValueOf(const SettingsMap& Q, const std::string& Key)
{
    const auto it = Q.find(Key);
    return it == Q.end() ? std::string() : it->second;
}

// Removes a key and everything below it.
void RemoveTree(SettingsMap& Q, const std::string& Key)
{
    Q.erase(Key);
    const std::string prefix = Key + '/';
    for (auto it = Q.lower_bound(prefix); it != Q.end() && it->first.compare(0, prefix.size(), prefix) == 0;)
        it = Q.erase(it);
}

// Names directly below `Group`: the groups holding further keys, or the keys.
std::vector<std::string> Children(const SettingsMap& Q, const std::string& Group, bool Groups)
{
    std::vector<std::string> names;
    const std::string prefix = Group + '/';
    for (auto it = Q.lower_bound(prefix); it != Q.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
        const std::string rest = it->first.substr(prefix.size());
        const std::size_t slash = rest.find('/');
        if ((slash != std::string::npos) != Groups)
            continue;
        std::string name = rest.substr(0, slash);
        if (names.empty() || names.back() != name)
            names.push_back(std::move(name));
    }
    return names;
}

std::string Fold(const std::string& Name)
{
    return QString::fromUtf8(Name.data(), static_cast<qsizetype>(Name.size())).toCaseFolded().toStdString();
}

std::string Escape(const std::string& Name)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string folded = Fold(Name);
    std::string out;
    out.reserve(folded.size() * 3);
    for (unsigned char c : folded) {
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            out += static_cast<char>(c);
        } else {
            out += '_';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string GroupOf(HKEY Root, const std::vector<std::string>& Segments)
{
    char buf[16];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, Root, 16);
    (void)ec;
    std::string group = "r";
    group.append(buf, end);
    for (const std::string& seg : Segments) {
        group += "/k";
        group += Escape(seg);
    }
    return group;
}

std::string Marker(const std::string& Group)
{
    return Group + "/_";
}
std::string NameKey(const std::string& Group, const std::string& Name)
{
    return Group + "/n" + Escape(Name);
}
std::string ValueKey(const std::string& Group, const std::string& Name)
{
    return Group + "/v" + Escape(Name);
}

bool GroupExists(const SettingsMap& Q, HKEY Root, const std::vector<std::string>& Segments)
{
    return Segments.empty() || Contains(Q, Marker(GroupOf(Root, Segments)));
}

std::string ToHex(const std::string& Bytes)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(Bytes.size() * 2);
    for (unsigned char c : Bytes) {
        out += hex[c >> 4];
        out += hex[c & 15];
    }
    return out;
}

bool FromHex(const std::string& Text, std::string& Bytes)
{
    if (Text.size() % 2 != 0)
        return false;
    Bytes.clear();
    Bytes.reserve(Text.size() / 2);
    for (std::size_t i = 0; i < Text.size(); i += 2) {
        unsigned v = 0;
        auto [p, ec] = std::from_chars(Text.data() + i, Text.data() + i + 2, v, 16);
        if (ec != std::errc() || p != Text.data() + i + 2)
            return false;
        Bytes += static_cast<char>(v);
    }
    return true;
}

} // namespace

void SetSettingsStoreFile(const std::string& Path)
{
    Store& s = TheStore();
    if (s.dirty && !s.damaged)
        WriteStore("Unable to write pending settings");
    s.loaded = false;
    s.damaged = false;
    s.dirty = false;
    s.values.clear();
    s.file = Path;
}

void TSettingsStore::BeginUpdate()
{
    ++TheStore().updateCount;
}

void TSettingsStore::EndUpdate()
{
    Store& s = TheStore();
    if (s.updateCount == 0)
        return;
    if (--s.updateCount == 0 && s.dirty)
        WriteStore("Unable to write settings");
}

int TSettingsStore::UpdateCount() const
{
    return TheStore().updateCount;
}

TSettingsStore& SettingsStore()
{
    static TSettingsStore store;
    return store;
}

std::string SettingsStoreFile()
{
    Store& s = TheStore();
    if (s.file.empty())
        s.file = DefaultStoreFile();
    return s.file;
}

TRegistry::TRegistry() = default;

TRegistry::~TRegistry() = default;

void TRegistry::SetRootKey(HKEY Value)
{
    CloseKey();
    m_rootKey = Value;
}

std::vector<std::string> TRegistry::Resolve(const std::string& Key) const
{
    std::vector<std::string> segments;
    if (Key.empty() || Key[0] != '\\')
        segments = m_current;
    // Doubled, leading and trailing backslashes name no segment.
    for (std::string& seg : SplitString(Key, '\\'))
        if (!seg.empty())
            segments.push_back(std::move(seg));
    return segments;
}

bool TRegistry::OpenKey(const std::string& Key, bool CanCreate)
{
    std::vector<std::string> segments = Resolve(Key);
    if (CanCreate) {
        if (!CreateKey(Key))
            return false;
    } else {
        const SettingsMap* q = ReadableSettings();
        if (!q || !GroupExists(*q, m_rootKey, segments))
            return false;
    }
    m_current = std::move(segments);
    m_currentPath.clear();
    for (const std::string& seg : m_current)
        m_currentPath += (m_currentPath.empty() ? "" : "\\") + seg;
    m_open = true;
    m_readOnly = false;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& Key)
{
    if (!OpenKey(Key, false))
        return false;
    m_readOnly = true;
    return true;
}

void TRegistry::CloseKey()
{
    m_open = false;
    m_readOnly = false;
    m_current.clear();
    m_currentPath.clear();
}

bool TRegistry::CreateKey(const std::string& Key)
{
    std::vector<std::string> segments = Resolve(Key);
    std::string what = "Unable to create key " + Key;
    SettingsMap& q = WritableSettings(what);
    std::vector<std::string> prefix;
    bool changed = false;
    for (const std::string& seg : segments) {
        prefix.push_back(seg);
        std::string marker = Marker(GroupOf(m_rootKey, prefix));
        if (!Contains(q, marker)) {
            q[marker] = seg;
            changed = true;
        }
    }
    if (changed)
        Commit(q, what);
    return true;
}

bool TRegistry::KeyExists(const std::string& Key)
{
    const SettingsMap* q = ReadableSettings();
    return q && GroupExists(*q, m_rootKey, Resolve(Key));
}

bool TRegistry::DeleteKey(const std::string& Key)
{
    std::vector<std::string> segments = Resolve(Key);
    if (segments.empty() || !KeyExists(Key))
        return false;
    SettingsMap& q = WritableSettings("Unable to delete key " + Key);
    RemoveTree(q, GroupOf(m_rootKey, segments));
    Commit(q, "Unable to delete key " + Key);
    return true;
}

std::vector<std::string> TRegistry::KeyNames()
{
    std::vector<std::string> names;
    const SettingsMap* q = ReadableSettings();
    if (!q)
        return names;
    const std::string group = GroupOf(m_rootKey, m_current);
    for (const std::string& child : Children(*q, group, true)) {
        if (child[0] != 'k')
            continue;
        const std::string marker = group + '/' + child + "/_";
        if (Contains(*q, marker))
            names.push_back(ValueOf(*q, marker));
    }
    return names;
}

std::vector<std::string> TRegistry::ValueNames()
{
    std::vector<std::string> names;
    const SettingsMap* q = ReadableSettings();
    if (!q)
        return names;
    const std::string group = GroupOf(m_rootKey, m_current);
    for (const std::string& key : Children(*q, group, false))
        if (key[0] == 'n')
            names.push_back(ValueOf(*q, group + '/' + key));
    return names;
}

void TRegistry::GetKeyNames(TStrings& Strings)
{
    detail::FillStrings(Strings, KeyNames());
}

void TRegistry::GetValueNames(TStrings& Strings)
{
    detail::FillStrings(Strings, ValueNames());
}

bool TRegistry::HasSubKeys()
{
    return !KeyNames().empty();
}

bool TRegistry::ValueExists(const std::string& Name)
{
    const SettingsMap* q = ReadableSettings();
    return q && Contains(*q, ValueKey(GroupOf(m_rootKey, m_current), Name));
}

bool TRegistry::DeleteValue(const std::string& Name)
{
    if (!ValueExists(Name))
        return false;
    std::string what = "Failed to delete value '" + Name + "'";
    if (m_readOnly)
        throw ERegistryException(what);
    SettingsMap& q = WritableSettings(what);
    const std::string group = GroupOf(m_rootKey, m_current);
    q.erase(ValueKey(group, Name));
    q.erase(NameKey(group, Name));
    Commit(q, what);
    return true;
}

TRegDataType TRegistry::GetDataType(const std::string& Name)
{
    const SettingsMap* q = ReadableSettings();
    if (!q)
        return rdUnknown;
    const std::string raw = ValueOf(*q, ValueKey(GroupOf(m_rootKey, m_current), Name));
    if (raw.empty())
        return rdUnknown;
    switch (raw[0]) {
    case 's': return rdString;
    case 'e': return rdExpandString;
    case 'i': return rdInteger;
    case 'b': return rdBinary;
    default: return rdUnknown;
    }
}

int TRegistry::GetDataSize(const std::string& Name)
{
    const SettingsMap* q = ReadableSettings();
    if (!q)
        return -1;
    const std::string key = ValueKey(GroupOf(m_rootKey, m_current), Name);
    if (!Contains(*q, key))
        return -1;
    const std::string raw = ValueOf(*q, key);
    if (raw.empty())
        return -1;
    switch (raw[0]) {
    case 's':
    case 'e': return static_cast<int>(raw.size());   // text plus terminator
    case 'i': return 4;
    case 'b': return static_cast<int>((raw.size() - 1) / 2);
    default: return -1;
    }
}

// The stored text of a value after its type letter; raises when the value is
// missing or of another type.
std::string TRegistry::CheckedRaw(const std::string& Name, char Type)
{
    const SettingsMap* q = ReadableSettings();
    const std::string key = ValueKey(GroupOf(m_rootKey, m_current), Name);
    if (!q || !Contains(*q, key))
        throw ERegistryException("Failed to get data for '" + Name + "'");
    const std::string raw = ValueOf(*q, key);
    char stored = raw.empty() ? '\0' : raw[0];
    bool ok = stored == Type || (Type == 's' && stored == 'e');
    if (!ok)
        throw ERegistryException("Invalid data type for '" + Name + "'");
    return raw.substr(1);
}

void TRegistry::WriteRaw(const std::string& Name, char Type, const std::string& Payload)
{
    std::string what = "Failed to set data for '" + Name + "'";
    if (m_readOnly)
        throw ERegistryException(what + ": the key is open read-only");
    SettingsMap& q = WritableSettings(what);
    // A key deleted behind this object's back comes back, as it would when a
    // value is written through an open handle of a re-created key.
    if (!m_current.empty() && !Contains(q, Marker(GroupOf(m_rootKey, m_current)))) {
        std::vector<std::string> prefix;
        for (const std::string& seg : m_current) {
            prefix.push_back(seg);
            std::string marker = Marker(GroupOf(m_rootKey, prefix));
            if (!Contains(q, marker))
                q[marker] = seg;
        }
    }
    const std::string group = GroupOf(m_rootKey, m_current);
    // Overwriting keeps the name's first spelling, as the registry does.
    if (!Contains(q, NameKey(group, Name)))
        q[NameKey(group, Name)] = Name;
    q[ValueKey(group, Name)] = std::string(1, Type) + Payload;
    Commit(q, what);
}

std::string TRegistry::ReadString(const std::string& Name)
{
    // The platform reads a missing string as empty rather than failing.
    if (!ValueExists(Name))
        return {};
    return CheckedRaw(Name, 's');
}

void TRegistry::WriteString(const std::string& Name, const std::string& Value)
{
    WriteRaw(Name, 's', Value);
}

void TRegistry::WriteExpandString(const std::string& Name, const std::string& Value)
{
    WriteRaw(Name, 'e', Value);
}

std::int32_t TRegistry::ReadInteger(const std::string& Name)
{
    std::string text = CheckedRaw(Name, 'i');
    std::int32_t value = 0;
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || p != text.data() + text.size())
        throw ERegistryException("Invalid data type for '" + Name + "'");
    return value;
}

void TRegistry::WriteInteger(const std::string& Name, std::int32_t Value)
{
    WriteRaw(Name, 'i', std::to_string(Value));
}

bool TRegistry::ReadBool(const std::string& Name)
{
    return ReadInteger(Name) != 0;
}

void TRegistry::WriteBool(const std::string& Name, bool Value)
{
    WriteInteger(Name, Value ? 1 : 0);
}

double TRegistry::ReadFloat(const std::string& Name)
{
    double value = 0;
    std::string bytes;
    if (!FromHex(CheckedRaw(Name, 'b'), bytes) || bytes.size() != sizeof value)
        throw ERegistryException("Invalid data type for '" + Name + "'");
    // Stored little-endian, as the platform's registry holds a Double.
    unsigned char b[sizeof value];
    std::memcpy(b, bytes.data(), sizeof value);
    if constexpr (std::endian::native == std::endian::big)
        std::reverse(b, b + sizeof value);
    std::memcpy(&value, b, sizeof value);
    return value;
}

void TRegistry::WriteFloat(const std::string& Name, double Value)
{
    unsigned char b[sizeof Value];
    std::memcpy(b, &Value, sizeof Value);
    if constexpr (std::endian::native == std::endian::big)
        std::reverse(b, b + sizeof Value);
    WriteRaw(Name, 'b', ToHex(std::string(reinterpret_cast<const char*>(b), sizeof Value)));
}

int TRegistry::ReadBinaryData(const std::string& Name, void* Buffer, int BufSize)
{
    // A missing value reads as no bytes, as on the platform (a layout
    // without a stored filter, for example).
    if (!ValueExists(Name))
        return 0;
    std::string bytes;
    if (!FromHex(CheckedRaw(Name, 'b'), bytes))
        throw ERegistryException("Invalid data type for '" + Name + "'");
    if (static_cast<std::size_t>(BufSize < 0 ? 0 : BufSize) < bytes.size())
        throw ERegistryException("Invalid data type for '" + Name + "'");
    if (!bytes.empty())
        std::memcpy(Buffer, bytes.data(), bytes.size());
    return static_cast<int>(bytes.size());
}

void TRegistry::WriteBinaryData(const std::string& Name, const void* Buffer, int BufSize)
{
    if (BufSize < 0)
        throw ERegistryException("Failed to set data for '" + Name + "'");
    std::string bytes;
    if (BufSize > 0)
        bytes.assign(static_cast<const char*>(Buffer), static_cast<std::size_t>(BufSize));
    WriteRaw(Name, 'b', ToHex(bytes));
}

} // namespace qel
