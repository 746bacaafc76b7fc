#pragma once
// The per-user settings store in place of the system registry: a tree of
// keys ("Software\Tessaro\PrintingSystem\DesignTime\FormLayouts\x.y"), each
// with named, typed values (string, integer, binary).
//
// Key and value names keep the case they were created with and compare
// case-insensitively. The store lives in one INI-format file chosen by
// SettingsStoreFile() (its grammar in detail/SettingsFile.h), written whole
// through SafeWriteFile; every write reaches the file at once unless a batch
// (TSettingsStore::BeginUpdate) is open. A change of the file by another
// program is read before the next access.
//
// A store file that cannot be parsed (anything this store would not write,
// typed "@Variant(...)" values included) reads as an empty store and is never
// overwritten: every write to it raises ERegistryException, so the damaged
// file stays for a person to look at. Any name and value reads back as written.
#include "platform/core/Object.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qel {

class TStrings;

// The file every TRegistry works on. The default is
// <generic config dir>/qel/registry.ini; tests point it at a temporary file.
// Setting it writes pending changes of the old file first.
void SetSettingsStoreFile(const std::string& Path);
std::string SettingsStoreFile();

// Batches the writes of every TRegistry, best through TUpdateScope:
//   TUpdateScope batch(SettingsStore());
// Inside, changes are held in memory (and read back from there); the file is
// written once, when the outermost update ends. An exception leaving the
// scope still writes the changes made before it, each of them whole; when
// the file cannot be written, EndUpdate raises ERegistryException and the
// store goes back to what the file holds.
class TSettingsStore {
public:
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const;
};
TSettingsStore& SettingsStore();

using HKEY = std::uint32_t;
inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr HKEY HKEY_USERS = 0x80000003u;

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

class TRegistry : public TObject {
    QEL_CLASS(TRegistry)
public:
    TRegistry();
    ~TRegistry() override;

    // Each root is a tree of its own in the store; HKEY_CURRENT_USER is the
    // default and the only one the program uses. Setting it closes the key.
    HKEY RootKey() const { return m_rootKey; }
    void SetRootKey(HKEY Value);

    // Key paths use '\'; a leading '\' starts from the root, otherwise the
    // path is relative to the current key. Returns false when the key does
    // not exist and CanCreate is false.
    bool OpenKey(const std::string& Key, bool CanCreate);
    // Writes on a key opened read-only raise ERegistryException.
    bool OpenKeyReadOnly(const std::string& Key);
    void CloseKey();
    // The open key's path from the root, without a leading '\' ("" when none).
    std::string CurrentPath() const { return m_currentPath; }
    bool HasCurrentKey() const { return m_open; }

    // Creates the key and its missing parents; ERegistryException
    // "Unable to create key X" when the store cannot be written.
    bool CreateKey(const std::string& Key);
    bool KeyExists(const std::string& Key);
    // Removes the key with all its sub-keys and values.
    bool DeleteKey(const std::string& Key);
    bool HasSubKeys();
    void GetKeyNames(TStrings& Strings);
    void GetValueNames(TStrings& Strings);
    std::vector<std::string> KeyNames();
    std::vector<std::string> ValueNames();

    bool ValueExists(const std::string& Name);
    bool DeleteValue(const std::string& Name);
    TRegDataType GetDataType(const std::string& Name);
    // Bytes the value occupies (strings: UTF-8 bytes plus a terminator);
    // -1 when the value does not exist.
    int GetDataSize(const std::string& Name);

    // Reading a value that does not exist raises ERegistryException
    // "Failed to get data for 'X'" (except ReadString, which gives "", and
    // ReadBinaryData, which gives 0 bytes, as the platform's do); one of
    // another type "Invalid data type for 'X'".
    std::string ReadString(const std::string& Name);
    void WriteString(const std::string& Name, const std::string& Value);
    void WriteExpandString(const std::string& Name, const std::string& Value);
    std::int32_t ReadInteger(const std::string& Name);
    void WriteInteger(const std::string& Name, std::int32_t Value);
    bool ReadBool(const std::string& Name);     // an integer value, true when non-zero
    void WriteBool(const std::string& Name, bool Value);
    double ReadFloat(const std::string& Name);  // a binary value of 8 bytes
    void WriteFloat(const std::string& Name, double Value);
    // Copies the value into Buffer and returns its size; a value larger than
    // BufSize raises ERegistryException ("Invalid data type for 'X'") and
    // copies nothing.
    int ReadBinaryData(const std::string& Name, void* Buffer, int BufSize);
    void WriteBinaryData(const std::string& Name, const void* Buffer, int BufSize);

private:
    std::vector<std::string> Resolve(const std::string& Key) const;
    std::string CheckedRaw(const std::string& Name, char Type);
    void WriteRaw(const std::string& Name, char Type, const std::string& Payload);

    HKEY m_rootKey = HKEY_CURRENT_USER;
    bool m_open = false;
    bool m_readOnly = false;
    std::vector<std::string> m_current;  // segments of the open key, as given
    std::string m_currentPath;
};

} // namespace qel
