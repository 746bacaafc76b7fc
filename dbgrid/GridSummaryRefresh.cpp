// Summaries recomputed from the rows' stored values after a record changed
// in place, so group and footer texts follow an edit without a reload.
#include "dbgrid/DBGrid.h"
#include "dbgrid/GridSummaries.h"
#include "dbgrid/RowValueSource.h"

#include "platform/data/Field.h"

namespace qel {

namespace {

bool NeedsOperand(TField* Field, TdxSummaryType Type)
{
    return Field && Type != cstNone && Type != cstCount;
}

// Record rows in tree order below Node (the whole tree for nullptr).
template <class F>
void ForEachRecordRow(TCustomdxDBGrid* Grid, TdxTreeListNode* Node, F Action)
{
    std::vector<TdxTreeListNode*> stack;
    if (Node) {
        stack.push_back(Node);
    } else {
        for (int r = Grid->GetCount() - 1; r >= 0; --r)
            stack.push_back(Grid->GetItem(r));
    }
    while (!stack.empty()) {
        TdxTreeListNode* n = stack.back();
        stack.pop_back();
        if (n->Count() == 0) {
            Action(static_cast<TdxDBGridNode*>(n));
            continue;
        }
        for (int i = n->Count() - 1; i >= 0; --i)
            stack.push_back(n->GetItem(i));
    }
}

} // namespace

TdxDBGridSummaries::OperandReader TdxDBGridSummaries::StoredOperand(TdxDBGridNode* Row) const
{
    return [this, Row](TField* Field, TdxSummaryType Type, double& Value) {
        Value = 0.0;
        if (Type == cstCount || !Field)
            return Type == cstCount;
        Variant held;
        return TdxHeldRowSource(*m_grid, Row).Value(Field, held) && SummaryOperand(held, Value);
    };
}

template <class Held>
bool TdxDBGridSummaries::HoldsOperands(const Held& IsHeld) const
{
    if (static_cast<int>(m_levels.size()) != m_grid->GroupColumnCount())
        return false;
    for (std::size_t l = 0; l < m_levels.size(); ++l) {
        const LevelInfo& info = m_levels[l];
        TdxDBTreeListColumn* column = m_grid->GetGroupColumn(static_cast<int>(l));
        if (NeedsOperand(info.SummaryField, column->SummaryType()) && !IsHeld(info.SummaryField))
            return false;
        for (std::size_t i = 0; i < info.ItemFields.size() && info.Group; ++i) {
            const TdxSummaryType type = info.Group->SummaryItems()->Items(static_cast<int>(i))->SummaryType();
            if (NeedsOperand(info.ItemFields[i], type) && !IsHeld(info.ItemFields[i]))
                return false;
        }
    }
    for (int c = 0; c < m_grid->GetColumnCount(); ++c) {
        TdxDBTreeListColumn* column = m_grid->GetColumn(c);
        if (column && NeedsOperand(column->FooterSummaryField(), column->SummaryFooterType()) &&
            !IsHeld(column->FooterSummaryField()))
            return false;
    }
    return true;
}

bool TdxDBGridSummaries::CanRefreshFromRows(TdxDBGridNode* Node) const
{
    const TdxHeldRowSource held(*m_grid, Node);
    Variant value;
    return Node && HoldsOperands([&](TField* Field) { return held.Value(Field, value); });
}

bool TdxDBGridSummaries::CanAddRowRecords() const
{
    return HoldsOperands([this](TField* Field) { return m_grid->RowsHoldField(Field); });
}

void TdxDBGridSummaries::RefreshGroup(TdxDBGridNode* Group)
{
    const int level = Group->GetLevel();
    Group->SetSummary(nullptr);
    if (level < 0 || level >= static_cast<int>(m_levels.size()))
        return;
    const LevelInfo& info = m_levels[static_cast<std::size_t>(level)];
    TdxDBTreeListColumn* column = m_grid->GetGroupColumn(level);
    const std::size_t itemCount = info.Group ? info.ItemFields.size() : 0;
    if (column->SummaryType() == cstNone && itemCount == 0)
        return;
    auto summary = std::make_unique<TdxDBGridNodeSummary>();
    summary->Items.resize(itemCount);
    std::int64_t records = 0;
    ForEachRecordRow(m_grid, Group, [&](TdxDBGridNode* Row) {
        ++records;
        AccumulateGroup(Group, *summary, info, column, false, StoredOperand(Row));
    });
    summary->Group.Finish(column->SummaryType(), records);
    for (std::size_t i = 0; i < itemCount; ++i)
        summary->Items[i].Finish(info.Group->SummaryItems()->Items(static_cast<int>(i))->SummaryType(), records);
    Group->SetSummary(std::move(summary));
}

void TdxDBGridSummaries::RefreshFromRows(TdxDBGridNode* Node, std::int64_t LoadedRecordCount)
{
    // The other rows of the groups are read where they are, not filled.
    TdxPendingRowsReading reading(*m_grid);
    if (Node) {
        for (TdxTreeListNode* p = Node->Parent(); p; p = p->Parent())
            RefreshGroup(static_cast<TdxDBGridNode*>(p));
    } else {
        ForEachGroupRow([this](TdxDBGridNode* Group) { RefreshGroup(Group); });
    }

    bool footers = false;
    m_footers.assign(static_cast<std::size_t>(std::max(0, m_grid->GetColumnCount())), TdxSummaryValue{});
    for (int c = 0; c < m_grid->GetColumnCount(); ++c)
        footers = footers || (m_grid->GetColumn(c) && m_grid->GetColumn(c)->SummaryFooterType() != cstNone);
    if (!footers)
        return;
    ForEachRecordRow(m_grid, nullptr, [&](TdxDBGridNode* Row) {
        const OperandReader operand = StoredOperand(Row);
        for (std::size_t c = 0; c < m_footers.size(); ++c)
            AccumulateFooter(m_footers[c], m_grid->GetColumn(static_cast<int>(c)), Row, operand);
    });
    FinishFooters(LoadedRecordCount);
}

} // namespace qel
