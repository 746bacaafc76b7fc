#include "dbgrid/GridSummaries.h"

#include "dbgrid/DBGrid.h"
#include "platform/data/DataSet.h"
#include "platform/data/Field.h"
#include "platform/core/Guards.h"

namespace qel {

namespace {

TFieldType SummaryFieldType(const TField* Field, TdxSummaryType Type)
{
    if (!Field || Type == cstCount)
        return ftUnknown;
    const TFieldType t = Field->DataType();
    return t == ftDate || t == ftTime || t == ftDateTime ? t : ftUnknown;
}

// A record's operand as Source gives Field: nothing for Count, the value as
// a float otherwise (no value for Null or text that is no number). Held
// turns false where the source cannot tell, which gives no value.
bool SourceOperand(const TdxRowValueSource& Source, TField* Field, TdxSummaryType Type, double& Value, bool& Held)
{
    Value = 0.0;
    if (Type == cstCount || !Field)
        return Type == cstCount;
    Variant v;
    if (!Source.Value(Field, v)) {
        Held = false;
        return false;
    }
    return SummaryOperand(v, Value);
}

} // namespace

void TdxDBGridSummaries::Prepare(bool KeepFooters)
{
    m_levels.clear();
    // Rows kept from the previous load start from nothing.
    ForEachGroupRow([](TdxDBGridNode* Group) { Group->SetSummary(nullptr); });
    TDataSet* ds = m_grid->DataSet();
    TdxDBGridSummaryGroups* groups = m_grid->SummaryGroups();
    // The grid hears when a field read here is freed (FieldRemoved).
    auto listen = [this](TField* Field) {
        if (Field)
            Field->FreeNotification(m_grid);
    };
    for (int l = 0; l < m_grid->GroupColumnCount(); ++l) {
        TdxDBTreeListColumn* column = m_grid->GetGroupColumn(l);
        LevelInfo info;
        info.SummaryField = ds && !column->SummaryField().empty() ? ds->FindField(column->SummaryField()) : nullptr;
        listen(info.SummaryField);
        // Only a column with neither a group name nor a summary of its own takes the default group.
        if (column->SummaryGroupName().empty())
            info.Group = column->SummaryType() == cstNone ? groups->FindDefaultGroup() : nullptr;
        else
            info.Group = groups->FindGroupByName(column->SummaryGroupName());
        if (info.Group) {
            TdxDBGridSummaryItems* items = info.Group->SummaryItems();
            for (int i = 0; i < items->Count(); ++i) {
                info.ItemFields.push_back(ds && !items->Items(i)->SummaryField().empty()
                                              ? ds->FindField(items->Items(i)->SummaryField())
                                              : nullptr);
                listen(info.ItemFields.back());
            }
        }
        m_levels.push_back(std::move(info));
    }
    const auto columns = static_cast<std::size_t>(std::max(0, m_grid->GetColumnCount()));
    if (!KeepFooters || m_footers.size() != columns)
        m_footers.assign(columns, TdxSummaryValue{});
    m_operands.clear();
    for (const LevelInfo& info : m_levels) {
        AddOperandField(info.SummaryField);
        for (TField* f : info.ItemFields)
            AddOperandField(f);
    }
    m_footerColumns.assign(m_footers.size(), nullptr);
    m_summedFooters.clear();
    for (std::size_t c = 0; c < m_footers.size(); ++c)
        if (TdxDBTreeListColumn* column = m_grid->GetColumn(static_cast<int>(c))) {
            m_footerColumns[c] = column;
            AddOperandField(column->FooterSummaryField());
            if (column->SummaryFooterType() != cstNone)
                m_summedFooters.push_back(c);
        }
}

void TdxDBGridSummaries::MoveColumnSlot(int From, int To)
{
    qel::MoveColumnSlot(m_footers, From, To);
    qel::MoveColumnSlot(m_footerColumns, From, To);
    m_summedFooters.clear();
    for (std::size_t c = 0; c < m_footerColumns.size(); ++c)
        if (m_footerColumns[c] && m_footerColumns[c]->SummaryFooterType() != cstNone)
            m_summedFooters.push_back(c);
}

bool TdxDBGridSummaries::FieldRemoved(const void* Field)
{
    bool kept = false;
    auto forget = [&](TField*& Kept) {
        if (Kept == Field) {
            Kept = nullptr;
            kept = true;
        }
    };
    for (LevelInfo& info : m_levels) {
        forget(info.SummaryField);
        for (TField*& f : info.ItemFields)
            forget(f);
    }
    kept = std::erase_if(m_operands, [Field](const OperandSlot& S) { return S.Field == Field; }) > 0 || kept;
    return kept;
}

void TdxDBGridSummaries::GroupsChanged()
{
    TdxDBGridSummaryGroups* groups = m_grid->SummaryGroups();
    for (LevelInfo& info : m_levels) {
        if (!info.Group)
            continue;
        bool present = false;
        for (int i = 0; i < groups->Count() && !present; ++i)
            present = groups->Items(i) == info.Group;
        if (!present) {
            info.Group = nullptr;
            info.ItemFields.clear();
        }
    }
}

void TdxDBGridSummaries::ForEachGroupRow(const std::function<void(TdxDBGridNode* Group)>& Action) const
{
    std::vector<TdxTreeListNode*> stack;
    for (int r = 0; r < m_grid->GetCount(); ++r)
        stack.push_back(m_grid->GetItem(r));
    while (!stack.empty()) {
        TdxTreeListNode* n = stack.back();
        stack.pop_back();
        if (n->Count() == 0)
            continue;
        Action(static_cast<TdxDBGridNode*>(n));
        for (int i = 0; i < n->Count(); ++i)
            stack.push_back(n->GetItem(i));
    }
}

void TdxDBGridSummaries::AddOperandField(TField* Field)
{
    if (!Field)
        return;
    for (const OperandSlot& s : m_operands)
        if (s.Field == Field)
            return;
    m_operands.push_back({Field, false, false, 0.0});
}

bool TdxDBGridSummaries::RecordOperand(TField* Field, TdxSummaryType Type, double& Value)
{
    const auto read = [&](double& To) { return SourceOperand(*m_source, Field, Type, To, m_held); };
    if (Type != cstCount && Field)
        for (OperandSlot& s : m_operands)
            if (s.Field == Field) {
                if (!s.Read) {
                    s.Has = read(s.Value);
                    s.Read = true;
                }
                Value = s.Value;
                return s.Has;
            }
    return read(Value);
}

void TdxDBGridSummaries::AddRecord(TdxDBGridNode* Node, const TRecordReader* Reader, std::int64_t Handle)
{
    if (!Reader) {
        AddRecord(Node, TdxCursorRowSource());
        return;
    }
    TdxRecordRowSource record(*Reader);
    record.SetRecord(Handle);
    AddRecord(Node, record);
}

bool TdxDBGridSummaries::AddRecord(TdxDBGridNode* Node, const TdxRowValueSource& Record)
{
    TValueRestorer<const TdxRowValueSource*> source(m_source, &Record);
    m_held = true;
    AddOperands(Node);
    return m_held;
}

void TdxDBGridSummaries::AddOperands(TdxDBGridNode* Node)
{
    for (OperandSlot& s : m_operands)
        s.Read = false;
    const auto operand = [this](TField* Field, TdxSummaryType Type, double& Value) {
        return RecordOperand(Field, Type, Value);
    };
    AddToGroups(Node, operand);
    for (std::size_t c : m_summedFooters)
        AccumulateFooter(m_footers[c], m_footerColumns[c], Node, operand);
}

void TdxDBGridSummaries::AddStoredRecord(TdxDBGridNode* Node)
{
    const TdxHeldRowSource held(*m_grid, Node);
    bool all = true;
    AddToGroups(Node, [&](TField* Field, TdxSummaryType Type, double& Value) {
        return SourceOperand(held, Field, Type, Value, all);
    });
}

bool TdxDBGridSummaries::AddRowRecord(TdxDBGridNode* Node)
{
    return AddRecord(Node, TdxHeldRowSource(*m_grid, Node));
}

template <class Operand>
void TdxDBGridSummaries::AddToGroups(TdxDBGridNode* Node, const Operand& Read)
{
    int level = Node->GetLevel();
    for (TdxTreeListNode* p = Node->Parent(); p; p = p->Parent()) {
        if (--level >= static_cast<int>(m_levels.size()))
            continue;
        const LevelInfo& info = m_levels[static_cast<std::size_t>(level)];
        TdxDBTreeListColumn* column = m_grid->GetGroupColumn(level);
        const std::size_t itemCount = info.ItemFields.size();
        const bool hook = static_cast<bool>(m_grid->OnGroupSummaryValue);
        if (column->SummaryType() == cstNone && itemCount == 0 && !hook)
            continue;
        auto* g = static_cast<TdxDBGridNode*>(p);
        TdxDBGridNodeSummary* summary = g->Summary();
        if (!summary) {
            g->SetSummary(std::make_unique<TdxDBGridNodeSummary>());
            summary = g->Summary();
        }
        if (summary->Items.size() != itemCount)
            summary->Items.resize(itemCount);
        AccumulateGroup(g, *summary, info, column, hook, Read);
    }
}

template <class Operand>
void TdxDBGridSummaries::AccumulateGroup(TdxDBGridNode* Group, TdxDBGridNodeSummary& Summary, const LevelInfo& Info,
                                         TdxDBTreeListColumn* Column, bool Hook, const Operand& Read)
{
    if (Column->SummaryType() != cstNone || Hook) {
        double v = 0.0;
        const bool has = Read(Info.SummaryField, Column->SummaryType(), v);
        if (has && Column->OnSummary)
            m_grid->CallOut([&] { Column->OnSummary(Column, Group, v); });
        if (Hook && (has || Column->SummaryType() == cstNone))
            m_grid->CallOut([&] { m_grid->OnGroupSummaryValue(m_grid, Group, v, m_grid->DataSet()); });
        Summary.Group.Add(Column->SummaryType(), v, has);
    }
    for (std::size_t i = 0; i < Summary.Items.size(); ++i) {
        TdxDBGridSummaryItem* item = Info.Group->SummaryItems()->Items(static_cast<int>(i));
        double v = 0.0;
        const bool has = Read(Info.ItemFields[i], item->SummaryType(), v);
        if (has && item->OnSummary)
            m_grid->CallOut([&] { item->OnSummary(item, Group, v); });
        Summary.Items[i].Add(item->SummaryType(), v, has);
    }
}

template <class Operand>
void TdxDBGridSummaries::AccumulateFooter(TdxSummaryValue& Footer, TdxDBTreeListColumn* Column, TdxDBGridNode* Row,
                                          const Operand& Read)
{
    if (!Column || Column->SummaryFooterType() == cstNone)
        return;
    double v = 0.0;
    const bool has = Read(Column->FooterSummaryField(), Column->SummaryFooterType(), v);
    if (has && Column->OnSummaryFooter)
        m_grid->CallOut([&] { Column->OnSummaryFooter(Column, Row, v); });
    Footer.Add(Column->SummaryFooterType(), v, has);
}

void TdxDBGridSummaries::FinishFooters(std::int64_t LoadedRecordCount)
{
    for (std::size_t c = 0; c < m_footers.size(); ++c) {
        TdxDBTreeListColumn* column = m_grid->GetColumn(static_cast<int>(c));
        if (!column || column->SummaryFooterType() == cstNone)
            continue;
        m_footers[c].Finish(column->SummaryFooterType(), LoadedRecordCount);
        column->SetFooterValue(m_footers[c].Value, m_footers[c].ShownInFooter(column->SummaryFooterType()));
    }
}

void TdxDBGridSummaries::Finish(std::int64_t LoadedRecordCount, bool Regrouped)
{
    // Record counts of the group rows, children before parents.
    struct Frame {
        TdxTreeListNode* Node;
        int Next;
        std::int64_t Count;
    };
    std::vector<Frame> frames;
    for (int r = 0; r < m_grid->GetCount(); ++r) {
        frames.push_back({m_grid->GetItem(r), 0, 0});
        while (!frames.empty()) {
            Frame& f = frames.back();
            if (frames.size() == m_levels.size() && f.Next == 0) {
                // The lowest group rows hold only record rows: no need to visit them.
                f.Count = f.Node->Count();
                f.Next = f.Node->Count();
            }
            if (f.Next < f.Node->Count()) {
                TdxTreeListNode* child = f.Node->GetItem(f.Next++);
                if (child->Count() > 0)
                    frames.push_back({child, 0, 0});
                else
                    ++f.Count;
                continue;
            }
            const Frame done = f;
            frames.pop_back();
            if (!frames.empty())
                frames.back().Count += done.Count;
            auto* g = static_cast<TdxDBGridNode*>(done.Node);
            const int level = static_cast<int>(frames.size());
            if (!g->Summary() || level >= static_cast<int>(m_levels.size()))
                continue;
            g->Summary()->Group.Finish(m_grid->GetGroupColumn(level)->SummaryType(), done.Count);
            const LevelInfo& info = m_levels[static_cast<std::size_t>(level)];
            for (std::size_t i = 0; i < g->Summary()->Items.size() && info.Group; ++i)
                g->Summary()->Items[i].Finish(info.Group->SummaryItems()->Items(static_cast<int>(i))->SummaryType(),
                                            done.Count);
        }
    }
    if (!Regrouped) {
        FinishFooters(LoadedRecordCount);
        return;
    }
    // Sums, extremes and averages were finished by the walk; dividing the
    // kept average again would be wrong. Only the count is stated anew.
    for (std::size_t c = 0; c < m_footers.size(); ++c) {
        TdxDBTreeListColumn* column = m_grid->GetColumn(static_cast<int>(c));
        if (column && column->SummaryFooterType() == cstCount) {
            m_footers[c].Finish(cstCount, LoadedRecordCount);
            column->SetFooterValue(m_footers[c].Value, true);
        }
    }
}

TdxDBGridSummaryGroup* TdxDBGridSummaries::LevelGroup(int Level) const
{
    return Level >= 0 && Level < static_cast<int>(m_levels.size()) ? m_levels[static_cast<std::size_t>(Level)].Group
                                                                      : nullptr;
}

std::string TdxDBGridSummaries::GroupRowSuffix(TdxTreeListNode* Node) const
{
    std::string text = " ";
    const int level = Node ? Node->GetLevel() : -1;
    if (level < 0 || level >= static_cast<int>(m_levels.size()))
        return text;
    const LevelInfo& info = m_levels[static_cast<std::size_t>(level)];
    TdxDBTreeListColumn* column = m_grid->GetGroupColumn(level);
    const auto* summary = static_cast<TdxDBGridNode*>(Node)->Summary();
    if (column->SummaryType() != cstNone && summary && summary->Group.Shown(column->SummaryType()))
        text += FormatSummaryValue(column->SummaryType(), column->SummaryFormat(),
                                   SummaryFieldType(info.SummaryField, column->SummaryType()), false,
                                   summary->Group.Value) +
                " ";
    if (info.Group && summary) {
        std::vector<std::string> texts;
        TdxDBGridSummaryItems* items = info.Group->SummaryItems();
        for (int i = 0; i < items->Count() && i < static_cast<int>(summary->Items.size()); ++i) {
            TdxDBGridSummaryItem* item = items->Items(i);
            const TdxSummaryValue& v = summary->Items[static_cast<std::size_t>(i)];
            if (!item->ColumnName().empty() || !v.Shown(item->SummaryType()))
                continue;
            texts.push_back(FormatSummaryValue(item->SummaryType(), item->SummaryFormat(),
                                               SummaryFieldType(info.ItemFields[static_cast<std::size_t>(i)],
                                                                item->SummaryType()),
                                               false, v.Value));
        }
        text += JoinSummaryTexts(info.Group->BeginSummaryText(), texts, m_grid->SummarySeparator(),
                                 info.Group->EndSummaryText());
    }
    return text;
}

std::string TdxDBGridSummaries::FooterText(int Column) const
{
    TdxDBTreeListColumn* column = m_grid->GetColumn(Column);
    return column ? column->GetSummaryFooterText() : std::string();
}

bool TdxDBGridSummaries::IsLevelFooter(int Level) const
{
    TdxDBGridSummaryGroup* g = LevelGroup(Level);
    return g && g->SummaryItems()->HasColumnItems();
}

TdxTreeListNode* TdxDBGridSummaries::GroupNodeAt(TdxTreeListNode* Node, int Level) const
{
    while (Node && Node->GetLevel() > Level)
        Node = Node->Parent();
    return Node && Node->GetLevel() == Level ? Node : nullptr;
}

bool TdxDBGridSummaries::IsExistRowFooterCell(TdxTreeListNode* Node, int Column, int Level) const
{
    TdxDBGridSummaryGroup* g = LevelGroup(Level);
    TdxDBTreeListColumn* column = m_grid->GetColumn(Column);
    if (!g || !column || !GroupNodeAt(Node, Level))
        return false;
    const int i = g->SummaryItems()->IndexOfColumn(column->Name());
    return i >= 0 && g->SummaryItems()->Items(i)->SummaryType() != cstNone;
}

std::string TdxDBGridSummaries::RowFooterText(TdxTreeListNode* Node, int Column, int Level) const
{
    if (!IsExistRowFooterCell(Node, Column, Level))
        return {};
    TdxDBGridSummaryGroup* g = LevelGroup(Level);
    const int i = g->SummaryItems()->IndexOfColumn(m_grid->GetColumn(Column)->Name());
    const auto* summary = static_cast<TdxDBGridNode*>(GroupNodeAt(Node, Level))->Summary();
    TdxDBGridSummaryItem* item = g->SummaryItems()->Items(i);
    if (!summary || i >= static_cast<int>(summary->Items.size()) ||
        !summary->Items[static_cast<std::size_t>(i)].Shown(item->SummaryType()))
        return {};
    return FormatSummaryValue(item->SummaryType(), item->SummaryFormat(),
                              SummaryFieldType(m_levels[static_cast<std::size_t>(Level)].ItemFields[
                                                   static_cast<std::size_t>(i)],
                                               item->SummaryType()),
                              true, summary->Items[static_cast<std::size_t>(i)].Value);
}

// The refresh from the rows' stored values (GridSummaryRefresh.cpp) reads through an OperandReader.
template void TdxDBGridSummaries::AccumulateGroup<TdxDBGridSummaries::OperandReader>(
    TdxDBGridNode*, TdxDBGridNodeSummary&, const LevelInfo&, TdxDBTreeListColumn*, bool, const OperandReader&);
template void TdxDBGridSummaries::AccumulateFooter<TdxDBGridSummaries::OperandReader>(
    TdxSummaryValue&, TdxDBTreeListColumn*, TdxDBGridNode*, const OperandReader&);

} // namespace qel
