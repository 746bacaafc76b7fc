#include "treelist/LayoutStorage.h"

#include "editors/RegIniWrapper.h"
#include "platform/storage/IniFile.h"

namespace qel {

int TdxTreeListIniLayoutStorage::ReadInteger(const std::string& Section, const std::string& Key, int Default)
{
    return m_ini.ReadInteger(Section, Key, Default);
}

void TdxTreeListIniLayoutStorage::WriteInteger(const std::string& Section, const std::string& Key, int Value)
{
    m_ini.WriteInteger(Section, Key, Value);
}

bool TdxTreeListIniLayoutStorage::ReadBool(const std::string& Section, const std::string& Key, bool Default)
{
    return m_ini.ReadBool(Section, Key, Default);
}

void TdxTreeListIniLayoutStorage::WriteBool(const std::string& Section, const std::string& Key, bool Value)
{
    m_ini.WriteBool(Section, Key, Value);
}

int TdxTreeListRegIniLayoutStorage::ReadInteger(const std::string& Section, const std::string& Key, int Default)
{
    return m_wrapper.ReadInteger(Section, Key, Default);
}

void TdxTreeListRegIniLayoutStorage::WriteInteger(const std::string& Section, const std::string& Key, int Value)
{
    m_wrapper.WriteInteger(Section, Key, Value);
}

bool TdxTreeListRegIniLayoutStorage::ReadBool(const std::string& Section, const std::string& Key, bool Default)
{
    return m_wrapper.ReadBool(Section, Key, Default);
}

void TdxTreeListRegIniLayoutStorage::WriteBool(const std::string& Section, const std::string& Key, bool Value)
{
    m_wrapper.WriteBool(Section, Key, Value);
}

namespace TreeListLayoutNames {

std::string ControlSection(const std::string& ControlName)
{
    return ControlName + ".Layout";
}

std::string BandSection(const std::string& ControlName, int Band)
{
    return ControlName + ".Band." + std::to_string(Band);
}

std::string ColumnSection(const std::string& ControlName, const std::string& ColumnName, int Index)
{
    return ControlName + ".Column." + (ColumnName.empty() ? "#" + std::to_string(Index) : ColumnName);
}

} // namespace TreeListLayoutNames

} // namespace qel
