#pragma once
// TdxRegIniWrapper: one read/write interface over an INI file (TIniFile),
// an in-memory INI file (TMemIniFile) or a key of the settings store.
//
// Over the settings store a section is a sub-key of the wrapped key and an
// ident is a value name. A missing integer or Boolean value answers the
// default (the store itself would raise); a value of another type raises the
// store's ERegistryException. Binary values live only in the
// settings store: over an INI file reading answers size 0 and writing stores
// nothing and raises nothing (layout code writes its binary values whatever
// the storage, and an INI layout simply goes without them); the write
// answers whether it stored the value.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qel {

class TCustomIniFile;
class TRegistry;

class TdxRegIniWrapper {
public:
    // Works on Ini, which the caller owns and keeps alive (and, for a
    // TMemIniFile, writes out with UpdateFile).
    explicit TdxRegIniWrapper(TCustomIniFile* Ini);
    // Works on the settings-store key at KeyPath ('\'-separated, from the
    // current user's root); the key is created on the first write.
    explicit TdxRegIniWrapper(const std::string& KeyPath);
    ~TdxRegIniWrapper();
    TdxRegIniWrapper(const TdxRegIniWrapper&) = delete;
    TdxRegIniWrapper& operator=(const TdxRegIniWrapper&) = delete;

    bool IsRegistry() const { return m_ini == nullptr; }

    std::int32_t ReadInteger(const std::string& Section, const std::string& Ident, std::int32_t Default);
    void WriteInteger(const std::string& Section, const std::string& Ident, std::int32_t Value);
    bool ReadBool(const std::string& Section, const std::string& Ident, bool Default);
    void WriteBool(const std::string& Section, const std::string& Ident, bool Value);
    std::string ReadString(const std::string& Section, const std::string& Ident, const std::string& Default);
    void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value);

    // Copies the value into Buffer and answers its size: 0 when the value is
    // missing or the storage is an INI file. A value larger than BufSize
    // raises ERegistryException and copies nothing.
    int ReadBinaryData(const std::string& Section, const std::string& Ident, void* Buffer, int BufSize);
    // The whole value (empty when missing or over an INI file).
    std::vector<std::uint8_t> ReadBinaryData(const std::string& Section, const std::string& Ident);
    // Answers false (and stores nothing) over an INI file.
    bool WriteBinaryData(const std::string& Section, const std::string& Ident, const void* Buffer, int BufSize);

    bool SectionExists(const std::string& Section);
    void EraseSection(const std::string& Section);

private:
    // Opens the section's key; false when it does not exist and Create is false.
    bool OpenSection(const std::string& Section, bool Create);

    TCustomIniFile* m_ini{nullptr};
    std::string m_keyPath;
    std::unique_ptr<TRegistry> m_registry;
};

} // namespace qel
