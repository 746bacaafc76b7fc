// The grid's keyboard table and the deletion of records.
#include "dbgrid/DBGrid.h"

#include "editors/PopupListBox.h"
#include "platform/controls/Application.h"
#include "platform/controls/Keyboard.h"
#include "platform/core/Guards.h"
#include "platform/data/DataSet.h"

#include <algorithm>

namespace qel {

bool TCustomdxDBGrid::ConfirmDelete(bool Selection) const
{
    if (!m_options.Contains(egoConfirmDelete))
        return true;
    return Application().MessageBox(Selection ? "Delete all selected records?" : "Delete record?", "Confirm",
                                    MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

void TCustomdxDBGrid::DeleteSelection()
{
    TDataSet* ds = DataSet();
    if (!LinkActive() || !ds)
        return;
    HideEditor();
    // The records go by bookmark: nodes are freed by the reloads deletion causes.
    std::vector<TBookmark> marks;
    if (IsBookmarkSelection() && SelectedBookmarkCount() > 0) {
        for (int i = 0; i < SelectedBookmarkCount(); ++i)
            marks.push_back(GetSelectedBookmark(i));
    } else {
        for (int i = 0; i < SelectedCount(); ++i) {
            auto* n = dynamic_cast<TdxDBGridNode*>(GetSelectedItem(i));
            if (n && !IsGroupRow(n) && !n->Bookmark.empty())
                marks.push_back(n->Bookmark);
        }
    }
    PostOrCancelPendingEdit();
    {
        TDisableControlsGuard disabled(ds);
        const TBookmark current = ds->GetBookmark();
        for (const TBookmark& b : marks) {
            if (b.empty() || !ds->BookmarkValid(b))
                continue;
            ds->GotoBookmark(b);
            ds->Delete();
            RemoveSelectedBookmark(b);
        }
        if (!current.empty() && ds->BookmarkValid(current))
            ds->GotoBookmark(current);
    }
    ClearSelection();
}

void TCustomdxDBGrid::DropDownFilter(int ColumnIndex)
{
    TdxDBTreeListColumn* column = GetColumn(ColumnIndex);
    const TRect header = column ? GetHeaderRect(ColumnIndex) : TRect{};
    if (!column || header.Width() <= 0 || header.Height() <= 0)
        return;
    if (!m_filterPopup)
        m_filterPopup = std::make_unique<TdxDBGridFilterPopupListBox>(this);
    m_filterPopup->Open(column, header);
}

bool TCustomdxDBGrid::BufferModeKey(std::uint16_t& Key, TShiftState Shift)
{
    TDataSet* ds = DataSet();
    const bool ctrl = Shift.Contains(ssCtrl);
    const bool shift = Shift.Contains(ssShift);
    const bool rowSelect = m_options.Contains(egoRowSelect);
    // The rows are the dataset's buffer: the ends are the dataset's.
    if ((Key == VK_HOME || Key == VK_END) && !shift && (rowSelect || ctrl)) {
        HideEditor();
        if (Key == VK_HOME)
            ds->First();
        else
            ds->Last();
        if (!ctrl) {
            ClearSelection();
            if (TdxTreeListNode* node = GetFocusedNode())
                SelectNode(node, true);
        }
        Key = 0;
        return true;
    }
    const bool unchangedInsert = IsUnchangedInsert() && !IsEditing();
    if ((Key == VK_UP || Key == VK_DOWN || Key == VK_INSERT) && ds->CanModify() && m_options.Contains(egoEditing) &&
        !rowSelect) {
        if (Key == VK_UP && unchangedInsert && ds->Eof()) {
            ds->Cancel();
            Key = 0;
            return true;
        }
        if (Key == VK_DOWN) {
            if (unchangedInsert) {
                if (!ds->Eof())
                    ds->Cancel();
                Key = 0;
                return true;
            }
            TCustomdxDBTreeListControl::KeyDown(Key, Shift);
            if (m_options.Contains(egoCanAppend) && m_options.Contains(egoCanInsert) && ds->Eof()) {
                if (SelectedCount() == 1 || SelectedBookmarkCount() == 1)
                    ClearSelection();
                ds->Append();
            }
            Key = 0;
            return true;
        }
        if (Key == VK_INSERT && !ctrl && m_options.Contains(egoCanInsert) && m_options.Contains(egoCanNavigation)) {
            ClearSelection();
            ds->Insert();
            Key = 0;
            return true;
        }
    }
    if (m_options.Contains(egoMultiSelect) && shift &&
        (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_HOME || Key == VK_END)) {
        // Extend the selection row by row, as Shift+Up / Shift+Down do, so the
        // dataset follows and the range stays whole.
        TdxTreeListNode* focused = GetFocusedNode();
        int steps = 1;
        if ((Key == VK_PRIOR || Key == VK_NEXT) && focused) {
            const int rows = std::max(1, GetVisibleRowCount());
            const int offset = GetAbsoluteIndex(focused) - GetTopIndex();
            if (Key == VK_PRIOR)
                steps = offset > 0 ? offset : rows - 1;
            else
                steps = offset < rows - 1 ? rows - 1 - offset : rows - 1;
            steps = std::max(1, steps);
        } else {
            steps = std::max(1, ds->RecordCount());
        }
        const std::uint16_t step = Key == VK_PRIOR || Key == VK_HOME ? VK_UP : VK_DOWN;
        for (int i = 0; i < steps; ++i) {
            if (step == VK_UP ? ds->Bof() && i > 0 : ds->Eof() && i > 0)
                break;
            std::uint16_t k = step;
            TCustomdxDBTreeListControl::KeyDown(k, TShiftState{ssShift});
        }
        Key = 0;
        return true;
    }
    return false;
}

void TCustomdxDBGrid::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    if (FilterDropDownKey(Key, Shift))
        return;
    // The user's handler runs first, once; it is detached meanwhile so the
    // tree list's handling does not call it again, and comes back whatever happens.
    TKeyEvent userHandler = std::move(OnKeyDown);
    OnKeyDown = nullptr;
    Finally restore([&] {
        if (!OnKeyDown)
            OnKeyDown = std::move(userHandler);
    });
    if (userHandler)
        userHandler(this, Key, Shift);
    if (Key == 0)
        return;
    // Esc cancels a header drag; the record is left alone.
    if (Key == VK_ESCAPE && IsColumnDragging()) {
        TCustomdxDBTreeListControl::KeyDown(Key, Shift);
        return;
    }
    auto* focused = dynamic_cast<TdxDBGridNode*>(GetFocusedNode());
    // A Shift range in the record window starts at the focused row.
    if (IsPartialLoadMode() && Shift.Contains(ssShift) && !SelectionAnchor() && focused)
        SetSelectionAnchor(focused);
    // The incremental search edits its own text with these.
    if (IsSearching() && (Key == VK_BACK || Key == VK_ESCAPE || Key == VK_DELETE ||
                          (Key == VK_RETURN && (Shift.Contains(ssShift) || Shift.Contains(ssCtrl))))) {
        TCustomdxDBTreeListControl::KeyDown(Key, Shift);
        return;
    }
    if (LinkActive() && DataSet() && DataSetKey(Key, Shift, focused))
        return;
    if (m_options.Contains(egoRowSelect) && focused && !IsGroupRow(focused) && (Key == VK_LEFT || Key == VK_RIGHT)) {
        // One line sideways, as the horizontal scroll bar's arrows do.
        constexpr int LineStep = 16;
        SetLeftCoord(LeftCoord() + (Key == VK_LEFT ? -LineStep : LineStep));
        Key = 0;
        return;
    }
    TCustomdxDBTreeListControl::KeyDown(Key, Shift);
}

bool TCustomdxDBGrid::FilterDropDownKey(std::uint16_t& Key, TShiftState Shift)
{
    // An open header drop-down takes the keys: Enter accepts, Esc and F4 cancel.
    if (!IsFilterDropDownOpen())
        return false;
    if (Key == VK_RETURN || Key == VK_ESCAPE || Key == VK_F4) {
        const bool accept = Key == VK_RETURN;
        Key = 0;
        m_filterPopup->Close(accept);
        return true;
    }
    if (m_filterPopup->ListBox()->HandleKey(Key, Shift)) {
        Key = 0;
        return true;
    }
    return false;
}

bool TCustomdxDBGrid::DataSetKey(std::uint16_t& Key, TShiftState Shift, TdxDBGridNode* Focused)
{
    TDataSet* ds = DataSet();
    if (Key == VK_DELETE && Shift.Contains(ssCtrl) && !IsEditing()) {
        Key = 0;
        if (m_options.Contains(egoCanDelete) && m_options.Contains(egoCanNavigation) && !IsReadOnlyLink() &&
            Focused && !IsGroupRow(Focused) && !(ds->Bof() && ds->Eof()) && ds->CanModify()) {
            const bool selection = SelectedBookmarkCount() > 0 || SelectedCount() > 0;
            if (ConfirmDelete(selection)) {
                if (selection)
                    DeleteSelection();
                else
                    Focused->DeleteRecord();
            }
        }
        return true;
    }
    if (Key == VK_ESCAPE && !IsEditing()) {
        m_link->Reset();
        Key = 0;
        return true;
    }
    if (IsBufferMode())
        return BufferModeKey(Key, Shift);
    return RecordRowsKey(Key, Shift, Focused);
}

bool TCustomdxDBGrid::RecordRowsKey(std::uint16_t& Key, TShiftState Shift, TdxDBGridNode* Focused)
{
    TDataSet* ds = DataSet();
    const bool unchangedInsert = IsUnchangedInsert() && !IsEditing();
    const bool rowSelect = m_options.Contains(egoRowSelect);
    if (!rowSelect && Focused && IsGroupRow(Focused) && (Key == VK_LEFT || Key == VK_RIGHT)) {
        if (Key == VK_LEFT && Focused->Expanded())
            Focused->Collapse(false);
        else if (Key == VK_RIGHT && !Focused->Expanded())
            Focused->Expand(false);
        Key = 0;
        return true;
    }
    const bool mayInsert = ds->CanModify() && m_options.Contains(egoCanInsert) && m_options.Contains(egoCanNavigation);
    if (Key == VK_INSERT && !Shift.Contains(ssCtrl) && !rowSelect && mayInsert) {
        HideEditor();
        ClearSelection();
        ds->Insert();
        ShowEditor();
        Key = 0;
        return true;
    }
    const bool editState = ds->State() == dsInsert || ds->State() == dsEdit;
    if (Key == VK_UP && editState) {
        if (unchangedInsert && ds->Eof()) {
            ds->Cancel();
            Key = 0;
            return true;
        }
        if (Focused && !GetPrevVisibleNode(Focused))
            ds->Post();
    }
    if (Key == VK_DOWN && Focused && !GetNextVisibleNode(Focused)) {
        if (unchangedInsert) {
            Key = 0;
            return true;
        }
        if (m_options.Contains(egoCanAppend) && mayInsert) {
            if (SelectedCount() == 1)
                ClearSelection();
            ds->Append();
            Key = 0;
            return true;
        }
        if (editState)
            ds->Post();
    }
    return false;
}

} // namespace qel
