#pragma once
// Where a tree list keeps its layout, and under which names.
//
// The storage is anything with integer and Boolean values by section and
// key: the settings wrapper TdxRegIniWrapper (over an INI file, an in-memory
// INI file or a settings-store key) through TdxTreeListRegIniLayoutStorage.
//
// Names. Every section name contains a '.', which no component name can
// hold, so the tree list's sections never clash with a section named after
// a component (such as the application's "DBGRID1" with its captions):
//
//   [<Name>.Layout]            the control (<Name>: the control's Name, or "TreeList")
//     ColumnCount              columns stored
//     BandCount                bands stored
//     HeaderPanelRowCount      rows of the header panel
//     SortCount                sorted columns
//   [<Name>.Band.<i>]          band i (0-based, position in the bands)
//     Width, Visible
//   [<Name>.Column.<key>]      a column; <key> is its Name, or "#" and its index when unnamed
//     Index                    position in the column list
//     Width, Visible
//     BandIndex, RowIndex, ColIndex   header place
//     Sorted                   0 none, 1 down, 2 up
//     SortIndex                place among the sorted columns, -1 when unsorted
//
// Restore reads everything first, checks it, then applies it inside one
// update: values out of range are clamped or ignored, and a missing value
// keeps what the control has.
#include <string>

namespace qel {

class TCustomIniFile;
class TdxRegIniWrapper;

class TdxTreeListLayoutStorage {
public:
    virtual ~TdxTreeListLayoutStorage() = default;
    virtual int ReadInteger(const std::string& Section, const std::string& Key, int Default) = 0;
    virtual void WriteInteger(const std::string& Section, const std::string& Key, int Value) = 0;
    virtual bool ReadBool(const std::string& Section, const std::string& Key, bool Default) = 0;
    virtual void WriteBool(const std::string& Section, const std::string& Key, bool Value) = 0;
};

// The storage over an INI file (the application's grid layout file).
class TdxTreeListIniLayoutStorage : public TdxTreeListLayoutStorage {
public:
    explicit TdxTreeListIniLayoutStorage(TCustomIniFile& Ini) : m_ini(Ini) {}
    int ReadInteger(const std::string& Section, const std::string& Key, int Default) override;
    void WriteInteger(const std::string& Section, const std::string& Key, int Value) override;
    bool ReadBool(const std::string& Section, const std::string& Key, bool Default) override;
    void WriteBool(const std::string& Section, const std::string& Key, bool Value) override;

private:
    TCustomIniFile& m_ini;
};

// The storage over the settings wrapper.
class TdxTreeListRegIniLayoutStorage : public TdxTreeListLayoutStorage {
public:
    explicit TdxTreeListRegIniLayoutStorage(TdxRegIniWrapper& Wrapper) : m_wrapper(Wrapper) {}
    int ReadInteger(const std::string& Section, const std::string& Key, int Default) override;
    void WriteInteger(const std::string& Section, const std::string& Key, int Value) override;
    bool ReadBool(const std::string& Section, const std::string& Key, bool Default) override;
    void WriteBool(const std::string& Section, const std::string& Key, bool Value) override;
    TdxRegIniWrapper& Wrapper() const { return m_wrapper; }

private:
    TdxRegIniWrapper& m_wrapper;
};

namespace TreeListLayoutNames {
std::string ControlSection(const std::string& ControlName);
std::string BandSection(const std::string& ControlName, int Band);
std::string ColumnSection(const std::string& ControlName, const std::string& ColumnName, int Index);
inline constexpr const char* ColumnCount = "ColumnCount";
inline constexpr const char* BandCount = "BandCount";
inline constexpr const char* HeaderPanelRowCount = "HeaderPanelRowCount";
inline constexpr const char* SortCount = "SortCount";
inline constexpr const char* Index = "Index";
inline constexpr const char* Width = "Width";
inline constexpr const char* Visible = "Visible";
inline constexpr const char* BandIndex = "BandIndex";
inline constexpr const char* RowIndex = "RowIndex";
inline constexpr const char* ColIndex = "ColIndex";
inline constexpr const char* Sorted = "Sorted";
inline constexpr const char* SortIndex = "SortIndex";
} // namespace TreeListLayoutNames

} // namespace qel
