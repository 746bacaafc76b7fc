// What the grid keeps while it runs a load, a regrouping, a refilter, a
// summary refresh or an export, and what it does when the user's handlers
// pull something away underneath (see TCustomdxDBGrid::Keeping). A column
// that leaves the grid is forgotten at once, kept or not.
#include "dbgrid/DBGrid.h"

#include "platform/controls/Messages.h"
#include "platform/core/Exceptions.h"
#include "platform/data/Field.h"

#include <algorithm>

namespace qel {

namespace {

// Stops a kept operation; Keeping catches it. An EAbort, so that it stays
// silent should it ever escape.
class EKeptChanged : public EAbort {
public:
    EKeptChanged() : EAbort("The grid changed during the operation") {}
};

bool SameObject(const void* A, const void* B)
{
    return A == B;
}

} // namespace

void TCustomdxDBGrid::Keeping(const std::function<void()>& Operation)
{
    if (m_keeping) {
        Operation();
        return;
    }
    bool changed = false;
    try {
        m_keeping = true;
        m_keptChanged = false;
        RunThenUnlessFreed(
            this,
            [&] {
                try {
                    Operation();
                } catch (const EKeptChanged&) {
                }
            },
            [this] { m_keeping = false; });
        changed = m_keptChanged;
    } catch (const EdxControlFreed& e) {
        if (e.Control != this)
            CatchUp(m_keptChanged);
        throw;
    } catch (...) {
        CatchUp(m_keptChanged);
        throw;
    }
    CatchUp(changed);
}

void TCustomdxDBGrid::CheckKept() const
{
    if (m_keeping && m_keptChanged)
        throw EKeptChanged();
}

void TCustomdxDBGrid::NoteKeptChange()
{
    if (m_keeping)
        m_keptChanged = true;
}

bool TCustomdxDBGrid::RowsHeld(bool Relink)
{
    if (Relink) {
        // The operation itself never relinks: any relink meanwhile comes from
        // the user's code, and the link going or coming leaves nothing it keeps.
        if (!m_keeping && m_readingRows == 0)
            return false;
        m_waitRelink = true;
        NoteKeptChange();
        return true;
    }
    if (m_holdRows == 0)
        return false;
    m_waitReload = true;
    return true;
}

void TCustomdxDBGrid::CatchUp(bool Changed)
{
    const bool relink = std::exchange(m_waitRelink, false);
    const bool reload = std::exchange(m_waitReload, false);
    m_keptChanged = false;
    if ((!relink && !reload && !Changed) || m_destroying || IsControlLoading())
        return;
    if (m_catchingUp) {
        // Changed again while the rows were rebuilt: they are not trusted.
        if (Changed || relink) {
            ClearRows();
            m_hiddenNodes.clear();
        }
        return;
    }
    TValueRestorer<bool> catching(m_catchingUp, true);
    if (relink) {
        RelinkActive();
        return;
    }
    if (!LinkActive())
        return;
    if (Changed) {
        // The stopped operation's rows may stand in a grouping that is gone.
        ClearRows();
        m_hiddenNodes.clear();
    }
    if (IsBufferMode())
        RebuildBufferNodes();
    else
        ReloadNodes();
    SyncFocusToRecord();
}

void TCustomdxDBGrid::ReadPendingRow(const std::function<void()>& Read)
{
    ++m_holdRows;
    ++m_readingRows;
    RunThenUnlessFreed(this, Read, [this] {
        --m_holdRows;
        if (--m_readingRows > 0 || m_keeping || (!m_waitReload && !m_waitRelink) ||
            std::exchange(m_catchUpPosted, true))
            return;
        PostCall(this, [this] {
            m_catchUpPosted = false;
            // Inside a kept operation, its own end catches up.
            if (!m_keeping && m_holdRows == 0)
                CatchUp(false);
        });
    });
}

void TCustomdxDBGrid::HoldRowsWhile(const std::function<void()>& Read)
{
    Keeping([&] {
        ++m_holdRows;
        RunThenUnlessFreed(
            this,
            [&] {
                // What is read of a row not yet read comes from its record: the row stays as light as it was.
                TdxPendingRowsReading reading(*this, TdxPendingRowsReading::HoldRow);
                try {
                    Read();
                } catch (const EKeptChanged&) {
                    // A row read its values through a handler that changed the grid: the
                    // reader learns of it, the rows are rebuilt all the same.
                    CheckUnchangedWhileHeld();
                    throw;
                }
            },
            [this] { --m_holdRows; });
    });
}

void TCustomdxDBGrid::CheckUnchangedWhileHeld() const
{
    if (m_keeping && m_keptChanged)
        throw EInvaliddxTreeListOperation("The grid changed while it was read; what was read is not kept");
}

// ----- handlers of a kept operation ---------------------------------------------------------------

void TCustomdxDBGrid::DoRefreshNodeData(TdxTreeListNode* Node)
{
    CallOut([&] { TCustomdxDBTreeListControl::DoRefreshNodeData(Node); });
}

void TCustomdxDBGrid::DoBeforeCalcSummary()
{
    CallOut([&] { TCustomdxDBTreeListControl::DoBeforeCalcSummary(); });
}

void TCustomdxDBGrid::LoadColumnValue(TdxDBTreeListControlNode* Node, TdxDBTreeListColumn* Column)
{
    // The field's and the column's text handlers run here.
    CallOut([&] { TCustomdxDBTreeListControl::LoadColumnValue(Node, Column); });
}

void TCustomdxDBGrid::LoadNodeData(TdxDBTreeListControlNode* Node)
{
    CallOut([&] { TCustomdxDBTreeListControl::LoadNodeData(Node); });
}

// ----- what goes away -------------------------------------------------------------------------

void TCustomdxDBGrid::ColumnRemoved(TdxTreeListColumn* Column, int Index)
{
    // Column is half destroyed when it is freed: only its address is compared.
    TCustomdxDBTreeListControl::ColumnRemoved(Column, Index);
    MoveColumnSlot(m_rowFields, Index, -1);
    auto gone = [Column](TdxDBTreeListColumn* C) { return SameObject(C, Column); };
    std::erase_if(m_rowGroupColumns, gone);
    if (std::erase_if(m_groupColumns, gone) > 0) {
        // Detached without being freed: the freed one left through RegroupColumn.
        for (std::size_t i = 0; i < m_groupColumns.size(); ++i)
            m_groupColumns[i]->SetGroupIndexDirect(static_cast<int>(i));
        m_regroupRequested = true;
    }
    if (gone(m_pendingGroupColumn))
        m_pendingGroupColumn = nullptr;
    if (gone(m_groupDragColumn))
        m_groupDragColumn = nullptr;
    if (m_filterPopup)
        m_filterPopup->ColumnRemoved(Column);
    m_summaries->MoveColumnSlot(Index, -1);
    m_filter->Criteria()->Changed();   // no condition stays bound to it
    InvalidateRowIndexes();
    NoteKeptChange();
}

void TCustomdxDBGrid::ColumnMoved(int From, int To)
{
    TCustomdxDBTreeListControl::ColumnMoved(From, To);
    MoveColumnSlot(m_rowFields, From, To);
    m_summaries->MoveColumnSlot(From, To);
    NoteKeptChange();
}

void TCustomdxDBGrid::MoveRowColumnSlots(int From, int To)
{
    TCustomdxDBTreeListControl::MoveRowColumnSlots(From, To);
    // The rows the filter hides come back with the columns' values as they stand.
    for (const auto& n : m_hiddenNodes)
        static_cast<TdxDBGridNode*>(n.get())->MoveColumnSlot(From, To);
}

void TCustomdxDBGrid::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomdxDBTreeListControl::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    // A freed field is only a component by now: it is recognised by its address.
    const void* gone = AComponent;
    bool kept = false;
    for (auto& bound : m_rowFields)
        if (bound.second == gone) {
            bound.second = nullptr;   // the rows hold no value of a field that is gone
            kept = true;
        }
    if (m_summaries->FieldRemoved(gone) || kept)
        NoteKeptChange();
}

} // namespace qel
