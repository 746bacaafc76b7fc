#include "editors/RegIniWrapper.h"

#include "platform/storage/IniFile.h"
#include "platform/storage/Registry.h"

#include "platform/core/Exceptions.h"

#include <algorithm>

namespace qel {

TdxRegIniWrapper::TdxRegIniWrapper(TCustomIniFile* Ini) : m_ini(Ini)
{
    if (!Ini)
        throw EInvalidOperation("TdxRegIniWrapper needs an INI file");
}

TdxRegIniWrapper::TdxRegIniWrapper(const std::string& KeyPath)
    : m_keyPath(KeyPath), m_registry(std::make_unique<TRegistry>())
{
}

TdxRegIniWrapper::~TdxRegIniWrapper() = default;

bool TdxRegIniWrapper::OpenSection(const std::string& Section, bool Create)
{
    std::string path = "\\" + m_keyPath;
    if (!Section.empty())
        path += (path.size() > 1 ? "\\" : "") + Section;
    m_registry->CloseKey();
    return Create ? m_registry->OpenKey(path, true) : m_registry->OpenKeyReadOnly(path);
}

std::int32_t TdxRegIniWrapper::ReadInteger(const std::string& Section, const std::string& Ident, std::int32_t Default)
{
    if (m_ini)
        return m_ini->ReadInteger(Section, Ident, Default);
    if (!OpenSection(Section, false) || !m_registry->ValueExists(Ident))
        return Default;
    return m_registry->ReadInteger(Ident);
}

void TdxRegIniWrapper::WriteInteger(const std::string& Section, const std::string& Ident, std::int32_t Value)
{
    if (m_ini) {
        m_ini->WriteInteger(Section, Ident, Value);
        return;
    }
    OpenSection(Section, true);
    m_registry->WriteInteger(Ident, Value);
}

bool TdxRegIniWrapper::ReadBool(const std::string& Section, const std::string& Ident, bool Default)
{
    if (m_ini)
        return m_ini->ReadBool(Section, Ident, Default);
    if (!OpenSection(Section, false) || !m_registry->ValueExists(Ident))
        return Default;
    return m_registry->ReadBool(Ident);
}

void TdxRegIniWrapper::WriteBool(const std::string& Section, const std::string& Ident, bool Value)
{
    if (m_ini) {
        m_ini->WriteBool(Section, Ident, Value);
        return;
    }
    OpenSection(Section, true);
    m_registry->WriteBool(Ident, Value);
}

std::string TdxRegIniWrapper::ReadString(const std::string& Section, const std::string& Ident, const std::string& Default)
{
    if (m_ini)
        return m_ini->ReadString(Section, Ident, Default);
    if (!OpenSection(Section, false) || !m_registry->ValueExists(Ident))
        return Default;
    return m_registry->ReadString(Ident);
}

void TdxRegIniWrapper::WriteString(const std::string& Section, const std::string& Ident, const std::string& Value)
{
    if (m_ini) {
        m_ini->WriteString(Section, Ident, Value);
        return;
    }
    OpenSection(Section, true);
    m_registry->WriteString(Ident, Value);
}

int TdxRegIniWrapper::ReadBinaryData(const std::string& Section, const std::string& Ident, void* Buffer, int BufSize)
{
    if (m_ini || !OpenSection(Section, false) || !m_registry->ValueExists(Ident))
        return 0;
    return m_registry->ReadBinaryData(Ident, Buffer, BufSize);
}

std::vector<std::uint8_t> TdxRegIniWrapper::ReadBinaryData(const std::string& Section, const std::string& Ident)
{
    std::vector<std::uint8_t> data;
    if (m_ini || !OpenSection(Section, false) || !m_registry->ValueExists(Ident))
        return data;
    const int size = m_registry->GetDataSize(Ident);
    if (size <= 0)
        return data;
    data.resize(static_cast<std::size_t>(size));
    data.resize(static_cast<std::size_t>(m_registry->ReadBinaryData(Ident, data.data(), size)));
    return data;
}

bool TdxRegIniWrapper::WriteBinaryData(const std::string& Section, const std::string& Ident, const void* Buffer, int BufSize)
{
    if (m_ini)
        return false;
    OpenSection(Section, true);
    m_registry->WriteBinaryData(Ident, Buffer, std::max(0, BufSize));
    return true;
}

bool TdxRegIniWrapper::SectionExists(const std::string& Section)
{
    if (m_ini)
        return m_ini->SectionExists(Section);
    return OpenSection(Section, false);
}

void TdxRegIniWrapper::EraseSection(const std::string& Section)
{
    if (m_ini) {
        m_ini->EraseSection(Section);
        return;
    }
    if (Section.empty())
        return;   // never the wrapped key itself
    m_registry->CloseKey();
    const std::string path = "\\" + m_keyPath + (m_keyPath.empty() ? "" : "\\") + Section;
    if (m_registry->KeyExists(path))
        m_registry->DeleteKey(path);
}

} // namespace qel
