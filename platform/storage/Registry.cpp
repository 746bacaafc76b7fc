#include "platform/storage/Registry.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Split.h"
#include "platform/core/Strings.h"
#include "platform/storage/detail/FillStrings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QString>

#include <algorithm>
#include <bit>
#include <cctype>
#include <charconv>
#include <cstring>
#include <map>
#include <memory>

namespace qel {

// How the tree is laid out in the QSettings file. QSettings compares keys
// case-sensitively and gives '\', '/' and '%' meanings of its own, so every
// name is case-folded and escaped to [a-z0-9_] to form the QSettings key,
// and the original spelling is kept as a value beside it:
//   r<root in hex>/k<key>/k<sub key>/_   = the sub key's own spelling (marks that it exists)
//   .../n<value>                         = the value name's own spelling
//   .../v<value>                         = type letter + data: s text, e text,
//                                          i decimal integer, b hex bytes
namespace {

// A file's size and modification time: what QSettings looks at to decide
// whether to read a file again.
struct FileStamp {
    qint64 size = -1;
    QDateTime modified;
    bool operator==(const FileStamp&) const = default;
};

struct Store {
    std::string file;
    std::unique_ptr<QSettings> settings;
    bool damaged = false;
    // Files found damaged, by absolute path, as they were then. QSettings
    // keeps parsed files in a process-wide cache and reports the format error
    // only when it reads the file; opened again unchanged, a damaged file
    // would look sound and the next write would overwrite it.
    std::map<QString, FileStamp> knownDamaged;
};

FileStamp StampOf(const QFileInfo& info)
{
    return info.exists() ? FileStamp{info.size(), info.lastModified().toUTC()} : FileStamp{};
}

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

// True when a value of the file, or an element of a value list, starts with
// a typed form that QSettings reads through QDataStream ("@Variant(...)",
// "@DateTime(...)", any '@' form but the plain ones), or an escape anywhere
// spells '@'. In QDataStream a damaged length asks for gigabytes. This store
// writes strings only; QSettings doubles a leading '@' of a string and never
// escapes one, so a file holding such a value was not written here.
bool HasTypedValues(const QByteArray& data)
{
    const auto n = data.size();
    auto escapeIsAt = [&](qsizetype& i) {   // data[i] is the backslash; i ends on its last character
        if (i + 1 >= n)
            return false;
        const char c = data[i + 1];
        int value = -1;
        if (c == 'x' || c == 'X') {
            value = 0;
            i += 1;
            while (i + 1 < n && std::isxdigit(static_cast<unsigned char>(data[i + 1])) && value <= 0xFFFF)
                value = value * 16 + QByteArray(1, data[++i]).toInt(nullptr, 16);
        } else if (c >= '0' && c <= '7') {
            value = 0;
            for (int k = 0; k < 3 && i + 1 < n && data[i + 1] >= '0' && data[i + 1] <= '7'; ++k)
                value = value * 8 + (data[++i] - '0');
        } else {
            ++i;
        }
        return value == '@';
    };
    bool inValue = false, elementStart = false, quoted = false;
    for (qsizetype i = 0; i < n; ++i) {
        const char c = data[i];
        if (c == '\n' || c == '\r') {
            inValue = elementStart = quoted = false;
            continue;
        }
        if (!inValue) {
            if (c == '=') {
                inValue = true;
                elementStart = true;
            }
            continue;
        }
        if (c == '\\') {
            if (i + 1 < n && (data[i + 1] == '\n' || data[i + 1] == '\r')) {   // a continued line
                i += (data[i + 1] == '\r' && i + 2 < n && data[i + 2] == '\n') ? 2 : 1;
                continue;
            }
            if (escapeIsAt(i))
                return true;
            elementStart = false;
            continue;
        }
        if (elementStart && (c == ' ' || c == '\t'))
            continue;
        if (c == '"') {
            quoted = !quoted;
            continue;
        }
        if (elementStart && c == '@') {
            // "@@" is an escaped '@'; QSettings itself writes strings holding
            // NUL as "@String(...)"; these and the plain geometry forms are
            // read without QDataStream.
            static const char* const plain[] = {"@", "String(", "ByteArray(", "Rect(", "Size(", "Point("};
            const QByteArray rest = data.mid(i + 1, 16);
            if (std::none_of(std::begin(plain), std::end(plain), [&](const char* p) { return rest.startsWith(p); }))
                return true;
        }
        elementStart = c == ',' && !quoted;
    }
    return false;
}

QSettings& Settings()
{
    Store& s = TheStore();
    if (!s.settings) {
        if (s.file.empty())
            s.file = DefaultStoreFile();
        QFile raw(QString::fromStdString(s.file));
        const bool foreign = raw.open(QIODevice::ReadOnly) && HasTypedValues(raw.readAll());
        raw.close();
        if (foreign) {
            // Not parsed at all: an empty store over a file that stays as it is.
            s.settings = std::make_unique<QSettings>(QString(), QSettings::IniFormat);
            s.damaged = true;
            return *s.settings;
        }
        s.settings = std::make_unique<QSettings>(QString::fromStdString(s.file), QSettings::IniFormat);
        // QSettings parses a section's lines only when it is first read, and
        // only then reports their format errors: parse everything now, before
        // the damage check, so that no write overwrites a damaged file.
        (void)s.settings->allKeys();
        const QFileInfo info(QString::fromStdString(s.file));
        const QString path = info.absoluteFilePath();
        const FileStamp stamp = StampOf(info);
        if (s.settings->status() == QSettings::FormatError) {
            s.damaged = true;
            s.knownDamaged[path] = stamp;
        } else if (auto it = s.knownDamaged.find(path); it != s.knownDamaged.end()) {
            s.damaged = it->second == stamp && stamp.size >= 0;
            if (!s.damaged)
                s.knownDamaged.erase(it);   // repaired or replaced since
        }
    }
    return *s.settings;
}

// Nullptr when the store file is damaged: it then reads as empty.
QSettings* ReadableSettings()
{
    QSettings& q = Settings();
    return TheStore().damaged ? nullptr : &q;
}

QSettings& WritableSettings(const std::string& what)
{
    QSettings& q = Settings();
    if (TheStore().damaged)
        throw ERegistryException(what + ": the settings store file \"" + TheStore().file +
                                 "\" is damaged and is left as it is");
    return q;
}

void Commit(QSettings& q, const std::string& what)
{
    q.sync();
    if (q.status() != QSettings::NoError)
        throw ERegistryException(what + ": the settings store file \"" + TheStore().file +
                                 "\" cannot be written");
}

std::string Fold(const std::string& name)
{
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())).toCaseFolded().toStdString();
}

std::string Escape(const std::string& name)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string folded = Fold(name);
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

QString GroupOf(HKEY root, const std::vector<std::string>& segments)
{
    char buf[16];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, root, 16);
    (void)ec;
    std::string group = "r";
    group.append(buf, end);
    for (const std::string& seg : segments) {
        group += "/k";
        group += Escape(seg);
    }
    return QString::fromStdString(group);
}

QString Marker(const QString& group)
{
    return group + QStringLiteral("/_");
}
QString NameKey(const QString& group, const std::string& name)
{
    return group + QStringLiteral("/n") + QString::fromStdString(Escape(name));
}
QString ValueKey(const QString& group, const std::string& name)
{
    return group + QStringLiteral("/v") + QString::fromStdString(Escape(name));
}

bool GroupExists(QSettings& q, HKEY root, const std::vector<std::string>& segments)
{
    return segments.empty() || q.contains(Marker(GroupOf(root, segments)));
}

std::string ToHex(const std::string& bytes)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out += hex[c >> 4];
        out += hex[c & 15];
    }
    return out;
}

bool FromHex(const std::string& text, std::string& bytes)
{
    if (text.size() % 2 != 0)
        return false;
    bytes.clear();
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        unsigned v = 0;
        auto [p, ec] = std::from_chars(text.data() + i, text.data() + i + 2, v, 16);
        if (ec != std::errc() || p != text.data() + i + 2)
            return false;
        bytes += static_cast<char>(v);
    }
    return true;
}

} // namespace

void SetSettingsStoreFile(const std::string& Path)
{
    Store& s = TheStore();
    if (s.settings && !s.damaged)
        s.settings->sync();
    s.settings.reset();
    s.damaged = false;
    s.file = Path;
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
        QSettings* q = ReadableSettings();
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
    QSettings& q = WritableSettings(what);
    std::vector<std::string> prefix;
    bool changed = false;
    for (const std::string& seg : segments) {
        prefix.push_back(seg);
        QString marker = Marker(GroupOf(m_rootKey, prefix));
        if (!q.contains(marker)) {
            q.setValue(marker, QString::fromStdString(seg));
            changed = true;
        }
    }
    if (changed)
        Commit(q, what);
    return true;
}

bool TRegistry::KeyExists(const std::string& Key)
{
    QSettings* q = ReadableSettings();
    return q && GroupExists(*q, m_rootKey, Resolve(Key));
}

bool TRegistry::DeleteKey(const std::string& Key)
{
    std::vector<std::string> segments = Resolve(Key);
    if (segments.empty() || !KeyExists(Key))
        return false;
    QSettings& q = WritableSettings("Unable to delete key " + Key);
    q.remove(GroupOf(m_rootKey, segments));
    Commit(q, "Unable to delete key " + Key);
    return true;
}

std::vector<std::string> TRegistry::KeyNames()
{
    std::vector<std::string> names;
    QSettings* q = ReadableSettings();
    if (!q)
        return names;
    QString group = GroupOf(m_rootKey, m_current);
    q->beginGroup(group);
    const QStringList children = q->childGroups();
    q->endGroup();
    for (const QString& child : children) {
        if (!child.startsWith(QLatin1Char('k')))
            continue;
        QString marker = group + QLatin1Char('/') + child + QStringLiteral("/_");
        if (q->contains(marker))
            names.push_back(q->value(marker).toString().toStdString());
    }
    return names;
}

std::vector<std::string> TRegistry::ValueNames()
{
    std::vector<std::string> names;
    QSettings* q = ReadableSettings();
    if (!q)
        return names;
    QString group = GroupOf(m_rootKey, m_current);
    q->beginGroup(group);
    const QStringList keys = q->childKeys();
    q->endGroup();
    for (const QString& key : keys)
        if (key.startsWith(QLatin1Char('n')))
            names.push_back(q->value(group + QLatin1Char('/') + key).toString().toStdString());
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
    QSettings* q = ReadableSettings();
    return q && q->contains(ValueKey(GroupOf(m_rootKey, m_current), Name));
}

bool TRegistry::DeleteValue(const std::string& Name)
{
    if (!ValueExists(Name))
        return false;
    std::string what = "Failed to delete value '" + Name + "'";
    if (m_readOnly)
        throw ERegistryException(what);
    QSettings& q = WritableSettings(what);
    QString group = GroupOf(m_rootKey, m_current);
    q.remove(ValueKey(group, Name));
    q.remove(NameKey(group, Name));
    Commit(q, what);
    return true;
}

TRegDataType TRegistry::GetDataType(const std::string& Name)
{
    QSettings* q = ReadableSettings();
    if (!q)
        return rdUnknown;
    QString raw = q->value(ValueKey(GroupOf(m_rootKey, m_current), Name)).toString();
    if (raw.isEmpty())
        return rdUnknown;
    switch (raw[0].unicode()) {
    case 's': return rdString;
    case 'e': return rdExpandString;
    case 'i': return rdInteger;
    case 'b': return rdBinary;
    default: return rdUnknown;
    }
}

int TRegistry::GetDataSize(const std::string& Name)
{
    QSettings* q = ReadableSettings();
    if (!q)
        return -1;
    QString key = ValueKey(GroupOf(m_rootKey, m_current), Name);
    if (!q->contains(key))
        return -1;
    std::string raw = q->value(key).toString().toStdString();
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
std::string TRegistry::CheckedRaw(const std::string& Name, char type)
{
    QSettings* q = ReadableSettings();
    QString key = ValueKey(GroupOf(m_rootKey, m_current), Name);
    if (!q || !q->contains(key))
        throw ERegistryException("Failed to get data for '" + Name + "'");
    std::string raw = q->value(key).toString().toStdString();
    char stored = raw.empty() ? '\0' : raw[0];
    bool ok = stored == type || (type == 's' && stored == 'e');
    if (!ok)
        throw ERegistryException("Invalid data type for '" + Name + "'");
    return raw.substr(1);
}

void TRegistry::WriteRaw(const std::string& Name, char type, const std::string& payload)
{
    std::string what = "Failed to set data for '" + Name + "'";
    if (m_readOnly)
        throw ERegistryException(what + ": the key is open read-only");
    QSettings& q = WritableSettings(what);
    // A key deleted behind this object's back comes back, as it would when a
    // value is written through an open handle of a re-created key.
    if (!m_current.empty() && !q.contains(Marker(GroupOf(m_rootKey, m_current)))) {
        std::vector<std::string> prefix;
        for (const std::string& seg : m_current) {
            prefix.push_back(seg);
            QString marker = Marker(GroupOf(m_rootKey, prefix));
            if (!q.contains(marker))
                q.setValue(marker, QString::fromStdString(seg));
        }
    }
    QString group = GroupOf(m_rootKey, m_current);
    // Overwriting keeps the name's first spelling, as the registry does.
    if (!q.contains(NameKey(group, Name)))
        q.setValue(NameKey(group, Name), QString::fromStdString(Name));
    q.setValue(ValueKey(group, Name), QString::fromStdString(std::string(1, type) + payload));
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
