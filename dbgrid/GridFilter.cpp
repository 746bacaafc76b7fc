#include "dbgrid/GridFilter.h"

#include "dbgrid/CustomFilterDialog.h"
#include "dbgrid/DBGrid.h"
#include "editors/PopupListBox.h"
#include "platform/controls/Application.h"
#include "platform/controls/PopupWindow.h"
#include "platform/core/Guards.h"
#include "platform/core/Locale.h"
#include "platform/core/Strings.h"
#include "platform/core/Stream.h"
#include "platform/data/DataSet.h"

#include <algorithm>

namespace qel {

namespace {

bool IsBlankValue(const Variant& Value)
{
    return Value.IsEmptyOrNull() || (Value.IsString() && Value.AsString().empty());
}

} // namespace

void TdxDBGridFilterValues::Clear()
{
    m_entries.clear();
    m_blanksSeen = false;
}

void TdxDBGridFilterValues::Add(const Variant& Value, const std::string& Text, bool Sorted)
{
    if (IsBlankValue(Value)) {
        m_blanksSeen = true;
        return;
    }
    if (!Sorted) {
        m_entries.push_back({Text, Value});
        return;
    }
    Variant v = Value;
    std::string text = Text;
    if (m_caseInsensitive && v.IsString()) {
        v = Variant(AnsiUpperCase(v.AsString()));
        text = AnsiUpperCase(text);
    }
    auto it = std::lower_bound(m_entries.begin(), m_entries.end(), v,
                               [](const Entry& E, const Variant& X) { return Variant::Compare(E.Value, X) < 0; });
    if (it != m_entries.end() && Variant::Compare(it->Value, v) == 0)
        return;
    if (m_maxCount > 0 && Count() >= m_maxCount)
        return;
    m_entries.insert(it, Entry{text, v});
}

// ---------------------------------------------------------------------------

TdxDBGridFilter::TdxDBGridFilter(TCustomdxDBGrid* Grid) : m_grid(Grid), m_criteria(Grid) {}

void TdxDBGridFilter::SetActive(bool Value)
{
    if (m_active == Value)
        return;
    // The grid's DefaultFields switching off switches the filter off: first.
    if (Value && m_grid)
        m_grid->SetDefaultFields(false);
    m_active = Value;
    if (!Value)
        m_criteria.Clear();
    Apply();
}

void TdxDBGridFilter::SetAutoDataSetFilter(bool Value)
{
    if (m_autoDataSetFilter == Value)
        return;
    if (!Value && m_grid && m_grid->DataSet()) {
        m_grid->DataSet()->SetFilter("");
        m_grid->DataSet()->SetFiltered(false);
    }
    m_autoDataSetFilter = Value;
    Apply();
}

void TdxDBGridFilter::SetCaseInsensitive(bool Value)
{
    if (m_caseInsensitive == Value)
        return;
    m_caseInsensitive = Value;
    m_criteria.SetCaseInsensitive(Value);
    if (m_autoDataSetFilter)
        Apply();
}

void TdxDBGridFilter::SetFilterStatus(TdxDBGridFilterStatus Value)
{
    if (m_filterStatus == Value)
        return;
    m_filterStatus = Value;
    Apply();
}

void TdxDBGridFilter::RestoreDefaults()
{
    m_active = false;
    m_autoDataSetFilter = false;
    m_caseInsensitive = false;
    m_criteria.SetCaseInsensitive(false);
    m_dropDownCount = 12;
    m_dropDownWidth = 0;
    m_filterStatus = fsAuto;
    m_maxDropDownCount = 1000;
}

void TdxDBGridFilter::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TdxDBGridFilter*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    TMemoryStream criteria;
    src->m_criteria.SaveToStream(criteria);
    criteria.SetPosition(0);
    m_criteria.LoadFromStream(criteria);   // raises before anything below changes
    m_active = src->m_active;
    m_autoDataSetFilter = src->m_autoDataSetFilter;
    m_caseInsensitive = src->m_caseInsensitive;
    m_criteria.SetCaseInsensitive(m_caseInsensitive);
    m_dropDownCount = src->m_dropDownCount;
    m_dropDownWidth = src->m_dropDownWidth;
    m_filterStatus = src->m_filterStatus;
    m_maxDropDownCount = src->m_maxDropDownCount;
    Apply();
}

void TdxDBGridFilter::SetColumnValue(TdxDBTreeListColumn* Column, const Variant& Value, const std::string& Text)
{
    m_criteria.RemoveColumnItems(Column->Name());
    m_criteria.AddCondition(nullptr, Column, false, Text, Value, 1);
    Apply();
}

void TdxDBGridFilter::SetColumnBlanks(TdxDBTreeListColumn* Column, bool NonBlanks)
{
    m_criteria.RemoveColumnItems(Column->Name());
    m_criteria.AddCondition(nullptr, Column, NonBlanks, "", Variant::Null(), 0);
    Apply();
}

void TdxDBGridFilter::ClearColumn(TdxDBTreeListColumn* Column)
{
    m_criteria.RemoveColumnItems(Column->Name());
    m_criteria.Changed();
    Apply();
}

bool TdxDBGridFilter::Custom(TdxDBTreeListColumn* Column)
{
    if (!ShowCustomFilterDialog(Column, m_criteria))
        return false;
    Apply();
    return true;
}

void TdxDBGridFilter::ClearAll()
{
    m_criteria.Clear();
    m_criteria.Changed();
    Apply();
}

TdxColumnFilterState TdxDBGridFilter::ColumnFilterState(const TdxDBTreeListColumn* Column, Variant& Value) const
{
    Value = Variant::Null();
    const TdxCriteriaItem* leaf = Column ? m_criteria.FindItemByColumnName(Column->Name()) : nullptr;
    if (!leaf)
        return cfsNone;
    if (m_criteria.IsCustomCondition(Column->Name()))
        return cfsCustom;
    Value = leaf->Value();
    if (IsBlankValue(Value))
        return leaf->Negate() ? cfsNonBlanks : cfsBlanks;
    return cfsValue;
}

bool TdxDBGridFilter::HasCondition(const TdxDBTreeListColumn* Column) const
{
    return Column && m_criteria.FindItemByColumnName(Column->Name()) != nullptr;
}

bool TdxDBGridFilter::StatusPanelVisible() const
{
    switch (m_filterStatus) {
    case fsNone: return false;
    case fsAlways: return true;
    default: return m_grid && m_grid->IsFilterActive() && m_criteria.Root()->Count() > 0;
    }
}

std::vector<std::string> TdxDBGridFilter::DropDownItems(const TdxDBGridFilterValues& Values)
{
    std::vector<std::string> items{"(All)", "(Custom...)"};
    if (Values.BlanksSeen()) {
        items.push_back("(Blanks)");
        items.push_back("(NonBlanks)");
    }
    for (int i = 0; i < Values.Count(); ++i)
        items.push_back(Values.Items(i).Text);
    return items;
}

int TdxDBGridFilter::DropDownSelection(const TdxDBTreeListColumn* Column, const TdxDBGridFilterValues& Values) const
{
    Variant v;
    const int first = Values.BlanksSeen() ? 4 : 2;
    switch (ColumnFilterState(Column, v)) {
    case cfsBlanks: return Values.BlanksSeen() ? 2 : 0;
    case cfsNonBlanks: return Values.BlanksSeen() ? 3 : 0;
    case cfsCustom: return 1;
    case cfsValue: {
        const Variant prepared = m_criteria.PrepareValue(v);
        for (int i = 0; i < Values.Count(); ++i)
            if (Variant::Compare(m_criteria.PrepareValue(Values.Items(i).Value), prepared) == 0)
                return first + i;
        return 0;
    }
    default: return 0;
    }
}

bool TdxDBGridFilter::AcceptDropDownItem(TdxDBTreeListColumn* Column, const TdxDBGridFilterValues& Values,
                                         int Index)
{
    const int first = Values.BlanksSeen() ? 4 : 2;
    if (!Column || Index < 0 || Index >= first + Values.Count())
        return true;
    if (Index == 0)
        ClearColumn(Column);
    else if (Index == 1)
        return false;
    else if (Index < first)
        SetColumnBlanks(Column, Index == 3);
    else
        SetColumnValue(Column, Values.Items(Index - first).Value, Values.Items(Index - first).Text);
    return true;
}

void TdxDBGridFilter::ReadCriteria(TStream& Stream)
{
    TMemoryStream block;
    block.LoadFromStream(Stream);
    block.SetPosition(0);
    TdxDBGridCriteria scratch(m_grid);
    scratch.LoadFromStream(block);
    block.SetPosition(0);
    m_criteria.LoadFromStream(block);
    Apply();
}

void TdxDBGridFilter::Apply()
{
    if (m_grid)
        m_grid->ApplyFilter();
}

// ---------------------------------------------------------------------------

TdxDBGridFilterPopupListBox::TdxDBGridFilterPopupListBox(TCustomdxDBGrid* Grid)
    : m_grid(Grid), m_window(std::make_unique<TPopupWindow>(nullptr))
{
    m_list = new TCustomdxPopupListBox(m_window.get());
    m_list->SetParent(m_window.get());
    m_list->OnItemClick = [this](TObject*) { Close(true); };
    m_window->OnClose = [this](TObject*, TPopupCloseReason Reason) {
        if (!m_closing && Reason != pcrCode)
            m_column = nullptr;   // a press outside or Esc: nothing is applied
    };
}

TdxDBGridFilterPopupListBox::~TdxDBGridFilterPopupListBox()
{
    m_window->OnClose = nullptr;
}

bool TdxDBGridFilterPopupListBox::IsOpen() const
{
    return m_window->IsPopped();
}

void TdxDBGridFilterPopupListBox::Open(TdxDBTreeListColumn* Column, const TRect& HeaderRect)
{
    if (!Column || HeaderRect.Width() <= 0 || HeaderRect.Height() <= 0)
        return;
    if (IsOpen())
        Close(false);
    m_column = Column;
    TdxDBGridFilter* filter = m_grid->Filter();
    m_grid->CollectFilterValues(Column, m_values);
    m_list->SetColor(m_grid->Color());
    m_list->SetFont(m_grid->Font());
    m_list->SetBorderKind(m_grid->LookAndFeel() == lfUltraFlat ? 1 : 3);
    const std::vector<std::string> items = TdxDBGridFilter::DropDownItems(m_values);
    {
        TUpdateScope<TStrings> update(*m_list->Items());
        m_list->Items()->Clear();
        for (const std::string& t : items)
            m_list->Items()->Add(t);
    }
    m_list->SetItemIndex(filter->DropDownSelection(Column, m_values));

    const int count = static_cast<int>(items.size());
    const int rows = filter->DropDownCount() > 0 && count >= filter->DropDownCount() ? filter->DropDownCount() : count;
    int contentWidth = filter->DropDownWidth();
    if (contentWidth <= 0) {
        contentWidth = HeaderRect.Width();
        TCanvas* canvas = m_list->Canvas();
        canvas->Font()->Assign(m_grid->Font());
        for (const std::string& t : items)
            contentWidth = std::max(contentWidth, canvas->TextWidth(t) + 4);
    }
    const int width = std::max(HeaderRect.Width(), contentWidth + 2 * m_list->BorderSize());
    const int height = m_list->HeightForRows(rows);
    TPoint p = m_grid->ClientToScreen({HeaderRect.Left, HeaderRect.Bottom});
    const TRect work = Screen().WorkAreaRect();
    p.X = std::max(work.Left, std::min(p.X, work.Right - width));
    if (p.Y + height > work.Bottom)
        p.Y = m_grid->ClientToScreen({0, HeaderRect.Top}).Y - height;
    m_list->SetBounds(0, 0, width, height);
    m_window->Popup(m_grid, Bounds(p.X, p.Y, width, height));
}

void TdxDBGridFilterPopupListBox::Close(bool Accept)
{
    TdxDBTreeListColumn* column = m_column;
    const int index = m_list->ItemIndex();
    {
        TValueRestorer<bool> closing(m_closing, true);
        m_window->ClosePopup(pcrCode);
    }
    m_column = nullptr;
    if (!Accept || !column || index < 0)
        return;
    TdxDBGridFilter* filter = m_grid->Filter();
    if (!filter->AcceptDropDownItem(column, m_values, index))
        filter->Custom(column);
}

void TdxDBGridFilterPopupListBox::ColumnRemoved(const TdxTreeListColumn* Column)
{
    if (m_column && static_cast<const void*>(m_column) == static_cast<const void*>(Column)) {
        TValueRestorer<bool> closing(m_closing, true);
        m_window->ClosePopup(pcrCode);
        m_column = nullptr;
    }
}

} // namespace qel
