#pragma once
// The grid's filter: its settings, the criteria the header drop-downs and
// the custom dialog build, and the value list a header drop-down offers.
//
// The drop-down's items: "(All)", "(Custom...)", then "(Blanks)" and
// "(NonBlanks)" when blank values were seen, then the distinct values.
#include "dbgrid/GridCriteria.h"
#include "platform/core/Component.h"

#include <memory>
#include <string>
#include <vector>

namespace qel {

class TCustomdxDBGrid;
class TPopupWindow;
class TCustomdxPopupListBox;

enum TdxDBGridFilterStatus : std::uint8_t { fsAuto, fsNone, fsAlways };

// The distinct values of a column for its drop-down.
class TdxDBGridFilterValues {
public:
    struct Entry {
        std::string Text;
        Variant Value;
    };

    bool CaseInsensitive() const { return m_caseInsensitive; }
    void SetCaseInsensitive(bool Value) { m_caseInsensitive = Value; }
    int MaxCount() const { return m_maxCount; }
    void SetMaxCount(int Value) { m_maxCount = Value; }
    bool BlanksSeen() const { return m_blanksSeen; }

    void Clear();
    // Sorted: blanks only mark BlanksSeen; a value already there or one past
    // MaxCount (when above 0) is skipped; strings upper-cased when case-insensitive.
    // Not sorted: appended as given, without limit or duplicate check.
    void Add(const Variant& Value, const std::string& Text, bool Sorted);
    int Count() const { return static_cast<int>(m_entries.size()); }
    const Entry& Items(int Index) const { return m_entries.at(static_cast<std::size_t>(Index)); }

private:
    std::vector<Entry> m_entries;
    bool m_caseInsensitive{false};
    bool m_blanksSeen{false};
    int m_maxCount{1000};
};

// A column's filter state: 0 none, 1 blanks, 2 non-blanks, 3 a value, 4 custom.
enum TdxColumnFilterState { cfsNone, cfsBlanks, cfsNonBlanks, cfsValue, cfsCustom };

class TdxDBGridFilter : public TPersistent {
    QEL_CLASS(TdxDBGridFilter)
public:
    explicit TdxDBGridFilter(TCustomdxDBGrid* Grid);

    bool Active() const { return m_active; }
    // Off clears the criteria.
    void SetActive(bool Value);
    bool AutoDataSetFilter() const { return m_autoDataSetFilter; }
    void SetAutoDataSetFilter(bool Value);
    bool CaseInsensitive() const { return m_caseInsensitive; }
    void SetCaseInsensitive(bool Value);
    TdxDBGridCriteria* Criteria() { return &m_criteria; }
    const TdxDBGridCriteria* Criteria() const { return &m_criteria; }
    int DropDownCount() const { return m_dropDownCount; }
    void SetDropDownCount(int Value) { m_dropDownCount = Value; }
    int DropDownWidth() const { return m_dropDownWidth; }
    void SetDropDownWidth(int Value) { m_dropDownWidth = Value; }
    TdxDBGridFilterStatus FilterStatus() const { return m_filterStatus; }
    void SetFilterStatus(TdxDBGridFilterStatus Value);
    int MaxDropDownCount() const { return m_maxDropDownCount; }
    void SetMaxDropDownCount(int Value) { m_maxDropDownCount = Value; }
    void RestoreDefaults();
    void Assign(TPersistent* Source) override;
    // The streamed "Criteria" block: parsed whole before the conditions are
    // replaced, so a damaged block leaves them as they were; then applied.
    void ReadCriteria(TStream& Stream);

    // Replaces the column's conditions by "= Value".
    void SetColumnValue(TdxDBTreeListColumn* Column, const Variant& Value, const std::string& Text);
    // Replaces them by the blanks (or non-blanks) test.
    void SetColumnBlanks(TdxDBTreeListColumn* Column, bool NonBlanks);
    void ClearColumn(TdxDBTreeListColumn* Column);
    // The custom dialog for the column; applies and answers true on OK.
    bool Custom(TdxDBTreeListColumn* Column);
    void ClearAll();
    TdxColumnFilterState ColumnFilterState(const TdxDBTreeListColumn* Column, Variant& Value) const;
    bool HasCondition(const TdxDBTreeListColumn* Column) const;
    bool StatusPanelVisible() const;

    // The drop-down's items for the values, and the item that matches the column's state.
    static std::vector<std::string> DropDownItems(const TdxDBGridFilterValues& Values);
    int DropDownSelection(const TdxDBTreeListColumn* Column, const TdxDBGridFilterValues& Values) const;
    // What picking item Index does: 0 clears, 1 is the custom dialog (answers
    // false: the caller opens it), blanks / non-blanks, else the value.
    bool AcceptDropDownItem(TdxDBTreeListColumn* Column, const TdxDBGridFilterValues& Values, int Index);

private:
    void Apply();

    TCustomdxDBGrid* m_grid;
    TdxDBGridCriteria m_criteria;
    bool m_active{false};
    bool m_autoDataSetFilter{false};
    bool m_caseInsensitive{false};
    int m_dropDownCount{12};
    int m_dropDownWidth{0};
    TdxDBGridFilterStatus m_filterStatus{fsAuto};
    int m_maxDropDownCount{1000};
};

// The header drop-down: a popup list under a column header. The grid
// creates it on first use and keeps it; keys reach it through the grid.
class TdxDBGridFilterPopupListBox {
public:
    explicit TdxDBGridFilterPopupListBox(TCustomdxDBGrid* Grid);
    ~TdxDBGridFilterPopupListBox();

    TdxDBTreeListColumn* Column() const { return m_column; }
    TdxDBGridFilterValues& Values() { return m_values; }
    TCustomdxPopupListBox* ListBox() const { return m_list; }
    TPopupWindow* Window() const { return m_window.get(); }
    bool IsOpen() const;

    // Fills the list for Column and shows it under HeaderRect (client coordinates of the grid).
    void Open(TdxDBTreeListColumn* Column, const TRect& HeaderRect);
    // Closes; Accept applies the selected item (the custom dialog for "(Custom...)").
    void Close(bool Accept);
    // The column went away (maybe half destroyed: only its address is compared).
    void ColumnRemoved(const TdxTreeListColumn* Column);

private:
    TCustomdxDBGrid* m_grid;
    std::unique_ptr<TPopupWindow> m_window;
    TCustomdxPopupListBox* m_list{nullptr};   // child of the window
    TdxDBTreeListColumn* m_column{nullptr};
    TdxDBGridFilterValues m_values;
    bool m_closing{false};
};

} // namespace qel
