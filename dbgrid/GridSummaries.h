#pragma once
// The grid's summaries while it loads records: the group summary of each
// group row, the items of the level's summary group (in the group row text
// or in group footer rows) and the footer summary of each column. The grid
// calls Prepare before its record walk, AddRecord for every record node that
// passes the filter (the record read through the walk's reader, or the
// dataset standing on it) and Finish after
// the walk; a regrouping without a walk calls AddStoredRecord instead of
// AddRecord. The texts come from here.
#include "dbgrid/SummaryItems.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qel {

class TCustomdxDBGrid;
class TField;
class TdxDBGridNode;
class TRecordReader;
class TdxRowValueSource;

class TdxDBGridSummaries {
public:
    explicit TdxDBGridSummaries(TCustomdxDBGrid* Grid) : m_grid(Grid) {}

    // Resolves fields and summary groups per group level; clears the footers
    // unless KeepFooters (a regrouping of the loaded rows walks no records, so
    // the footers keep what the last walk computed).
    void Prepare(bool KeepFooters = false);
    // The operands come from the dataset's current record, or from Reader's
    // record Handle when a reader is given (the cursor then stays put).
    void AddRecord(TdxDBGridNode* Node, const TRecordReader* Reader = nullptr, std::int64_t Handle = 0);
    // One record's share, its operands read from Record (any form of the
    // row-value source); false when the source could not tell one of them.
    bool AddRecord(TdxDBGridNode* Node, const TdxRowValueSource& Record);
    // A regrouped row's share of its group rows' summaries, the operands taken
    // from the values the row holds (the held-row form of the row-value source) instead
    // of a record. A summarised field that no column holds has no stored
    // value: the row gives no value for it. The footers are not touched.
    void AddStoredRecord(TdxDBGridNode* Node);
    // A recount from the rows without a record walk (a refilter): after
    // Prepare, AddRowRecord for every record row that shows, in walk order,
    // then Finish. The operands come from the values the rows hold
    // (the held-row form of the row-value source); CanAddRowRecords is false when a
    // summarised field is held by no column, AddRowRecord false when the row
    // holds no value of one: only a walk can count then.
    bool CanAddRowRecords() const;
    bool AddRowRecord(TdxDBGridNode* Node);
    // Counts, averages, footers into the columns; LoadedRecordCount is the
    // number of records that passed the filter. After a regrouping only the
    // footer counts are set again: the other footers were finished by the walk.
    void Finish(std::int64_t LoadedRecordCount, bool Regrouped = false);

    // After one record's row was rewritten in place, or moved to another
    // group, without a reload: the summaries of the groups above Node (every
    // group when Node is nullptr) and the footers are recomputed from the
    // rows' stored values. CanRefreshFromRows is false when a summarised
    // field is kept by no column of the row: only a reload can recompute then.
    bool CanRefreshFromRows(TdxDBGridNode* Node) const;
    void RefreshFromRows(TdxDBGridNode* Node, std::int64_t LoadedRecordCount);

    // A column's footer follows it (To < 0: the column left the grid).
    void MoveColumnSlot(int From, int To);
    // A field that is freed is read no more; true when one was kept here.
    bool FieldRemoved(const void* Field);
    // The summary groups changed: a level's group that is gone is forgotten.
    void GroupsChanged();

    // The summary group of a group level (nullptr when none).
    TdxDBGridSummaryGroup* LevelGroup(int Level) const;
    // " " + the summary text + the items of the level's group; the part of
    // the group row text after the value.
    std::string GroupRowSuffix(TdxTreeListNode* Node) const;
    // The footer text of a column (empty when it shows nothing).
    std::string FooterText(int Column) const;
    bool IsLevelFooter(int Level) const;
    // The group-footer cell under Column for the group at Level that Node closes.
    bool IsExistRowFooterCell(TdxTreeListNode* Node, int Column, int Level) const;
    std::string RowFooterText(TdxTreeListNode* Node, int Column, int Level) const;

private:
    struct LevelInfo {
        TField* SummaryField{nullptr};
        TdxDBGridSummaryGroup* Group{nullptr};
        std::vector<TField*> ItemFields;
    };
    // A record's operand of one field, read once per record however many
    // summaries use it.
    struct OperandSlot {
        TField* Field{nullptr};
        bool Read{false};
        bool Has{false};
        double Value{0.0};
    };
    // A record's operand of Field for a summary of Type: from the current
    // record while loading, from a row's stored values on a refresh.
    using OperandReader = std::function<bool(TField* Field, TdxSummaryType Type, double& Value)>;
    TdxTreeListNode* GroupNodeAt(TdxTreeListNode* Node, int Level) const;
    // Every group row of the grid, parents before their children.
    void ForEachGroupRow(const std::function<void(TdxDBGridNode* Group)>& Action) const;
    // One record's share of Group's summaries at its level (kept in Summary);
    // Hook also hands the group operand to the grid's OnGroupSummaryValue.
    // Operand is an OperandReader or, on the load's hot path, a lambda (no call through std::function).
    template <class Operand>
    void AccumulateGroup(TdxDBGridNode* Group, TdxDBGridNodeSummary& Summary, const LevelInfo& Info,
                         TdxDBTreeListColumn* Column, bool Hook, const Operand& Read);
    // One record's share of every group row above Node.
    template <class Operand>
    void AddToGroups(TdxDBGridNode* Node, const Operand& Read);
    // One record's share of a column's footer summary.
    template <class Operand>
    void AccumulateFooter(TdxSummaryValue& Footer, TdxDBTreeListColumn* Column, TdxDBGridNode* Row,
                          const Operand& Read);
    // Counts and averages of the footers, and their values into the columns.
    void FinishFooters(std::int64_t LoadedRecordCount);
    void AddOperandField(TField* Field);
    // Read once per record, from the source AddRecord was given.
    bool RecordOperand(TField* Field, TdxSummaryType Type, double& Value);
    // One record's share of its group rows and of the footers.
    void AddOperands(TdxDBGridNode* Node);
    // The operand as a row's stored values give it (none where no column keeps the field).
    OperandReader StoredOperand(TdxDBGridNode* Row) const;
    // Whether Held answers true for every field a summary reads (group summaries, items, footers).
    template <class Held>
    bool HoldsOperands(const Held& IsHeld) const;
    // Recomputes one group row from the record rows below it.
    void RefreshGroup(TdxDBGridNode* Group);

    TCustomdxDBGrid* m_grid;
    std::vector<LevelInfo> m_levels;
    std::vector<TdxSummaryValue> m_footers;   // per column index
    std::vector<OperandSlot> m_operands;
    const TdxRowValueSource* m_source{nullptr};   // where AddRecord reads the record's operands
    bool m_held{true};                            // whether it could tell every one
    std::vector<TdxDBTreeListColumn*> m_footerColumns;   // per column index, resolved once per load
    std::vector<std::size_t> m_summedFooters;            // the column indexes with a footer summary
};

} // namespace qel
