#pragma once
// Which summaries a grid shows (summary items collected in named summary
// groups, one of which may be the default group), how one summary value is
// accumulated over records, and the one routine that turns a summary value
// into the text of a group row or of the footer.
//
//   auto* g = static_cast<TdxDBGridSummaryGroup*>(grid.SummaryGroups()->Add());
//   g->SetName("Totals");
//   g->SetDefaultGroup(true);
//   auto* i = g->SummaryItems()->Add();
//   i->SetSummaryField("Amount");
//   i->SetSummaryType(cstSum);
//
// Group names are unique case-sensitively ("A" and "a" may coexist), while a
// column's SummaryGroupName finds the first group whose name matches it
// case-insensitively (FindGroupByName). Where two items of a group name the
// same column, that column's cell in the group footer shows the first of them.
#include "dbgrid/DBTreeListColumn.h"   // TdxSummaryType
#include "platform/core/ChangeLink.h"
#include "platform/core/Collection.h"
#include "platform/core/Variant.h"
#include "platform/data/DataSetTypes.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qel {

class TdxTreeListNode;
class TField;
class TdxDBGridSummaryGroup;
class TdxDBGridSummaryGroups;

// The format used when a summary has none of its own.
std::string SummaryFormatDefaults(TdxSummaryType SummaryType, bool IsFooter);

// The text of a summary value. An explicit Format is used as it is; for a
// date, time or date-and-time field (not for cstCount) the value is shown in
// the short date/time formats between a prefix and a suffix, the prefix being
// Format itself when one is given.
std::string FormatSummaryValue(TdxSummaryType SummaryType, const std::string& Format, TFieldType FieldType,
                               bool IsFooter, double Value);
// The same for a value summarised over Field: the date and time rule applies
// when Field is a date, time or date-and-time field (never for cstCount).
std::string FormatSummaryFieldValue(TdxSummaryType SummaryType, const std::string& Format, const TField* Field,
                                    bool IsFooter, double Value);

// A record's value as a summary operand: numbers, Currency, dates and
// Booleans convert; a string converts when it reads as a number. Null, Empty
// and anything else give false and never raise.
bool SummaryOperand(const Variant& Value, double& Out);

// One summary being accumulated over records. Null values take no part: Sum
// adds nothing for them, Min and Max ignore them (a summary that saw only
// Nulls stays unassigned and shows no text), Avg averages the values that
// are there. Count is the record count, set when the summary is finished.
struct TdxSummaryValue {
    double Value{0.0};
    bool Assigned{false};
    std::int64_t ValueCount{0};   // operands taken (the divisor of Avg)

    // One record. HasValue false: the record had no operand (Null).
    void Add(TdxSummaryType SummaryType, double Operand, bool HasValue);
    void Add(TdxSummaryType SummaryType, const Variant& Operand);
    // After the walk: Count takes RecordCount, Avg divides by the operands taken.
    void Finish(TdxSummaryType SummaryType, std::int64_t RecordCount);
    void Clear() { *this = TdxSummaryValue{}; }
    // Whether there is anything to show: Count always, the others once a value was taken.
    bool Shown(TdxSummaryType SummaryType) const;
    // In the footer a sum or average of nothing is the plain sum, 0: only Min
    // and Max without a value show nothing.
    bool ShownInFooter(TdxSummaryType SummaryType) const;
};

// What a group node holds: its group column's summary and one entry per
// item of that column's summary group. Record nodes hold none.
struct TdxDBGridNodeSummary {
    TdxSummaryValue Group;
    std::vector<TdxSummaryValue> Items;
};

// The group-row text of a summary group: Begin, the shown texts joined by
// Separator, End. Empty texts are not shown; with nothing shown the whole
// text is empty (no begin or end text around nothing).
std::string JoinSummaryTexts(const std::string& BeginText, const std::vector<std::string>& Texts,
                             const std::string& Separator, const std::string& EndText);

using TdxSummaryEvent = std::function<void(TObject* Sender, TdxTreeListNode* Node, double& Value)>;

class TdxDBGridSummaryItems;

class TdxDBGridSummaryItem : public TCollectionItem {
    QEL_CLASS(TdxDBGridSummaryItem)
public:
    explicit TdxDBGridSummaryItem(TCollection* Collection) : TCollectionItem(Collection) {}

    // The column (component name) whose group-footer cell shows the item;
    // empty: shown in the group row text.
    const std::string& ColumnName() const { return m_columnName; }
    void SetColumnName(const std::string& Value);
    const std::string& SummaryField() const { return m_summaryField; }
    void SetSummaryField(const std::string& Value);
    const std::string& SummaryFormat() const { return m_summaryFormat; }
    void SetSummaryFormat(const std::string& Value);
    TdxSummaryType SummaryType() const { return m_summaryType; }
    void SetSummaryType(TdxSummaryType Value);

    // Resolved by the grid before each load; not owned.
    TObject* Field() const { return m_field; }
    void SetField(TObject* Value) { m_field = Value; }

    void Assign(TPersistent* Source) override;

    TdxSummaryEvent OnSummary;

private:
    std::string m_columnName;
    std::string m_summaryField;
    std::string m_summaryFormat;
    TdxSummaryType m_summaryType{cstNone};
    TObject* m_field{nullptr};
};

class TdxDBGridSummaryItems : public TCollection {
    QEL_CLASS(TdxDBGridSummaryItems)
public:
    explicit TdxDBGridSummaryItems(TdxDBGridSummaryGroup* Group);

    TdxDBGridSummaryGroup* Group() const { return m_group; }
    TdxDBGridSummaryItem* Items(int Index) const
    {
        return static_cast<TdxDBGridSummaryItem*>(TCollection::Items(Index));
    }
    TdxDBGridSummaryItem* Add() { return static_cast<TdxDBGridSummaryItem*>(TCollection::Add()); }
    // The first item whose ColumnName names Column (case-insensitive); -1 when none.
    int IndexOfColumn(const std::string& ColumnName) const;
    // Whether an item names a column (the level then has a group footer row).
    bool HasColumnItems() const;

protected:
    void Update(TCollectionItem* Item) override;

private:
    TdxDBGridSummaryGroup* m_group;
};

class TdxDBGridSummaryGroup : public TCollectionItem {
    QEL_CLASS(TdxDBGridSummaryGroup)
public:
    explicit TdxDBGridSummaryGroup(TCollection* Collection);
    ~TdxDBGridSummaryGroup() override;

    const std::string& Name() const { return m_name; }
    // EInvaliddxTreeListOperation "Invalidate group name!" for an empty name,
    // "Invalidate group name: duplicate!" for the exact name of another group
    // of the collection; the previous name stays.
    void SetName(const std::string& Value);
    bool DefaultGroup() const { return m_defaultGroup; }
    // True clears the flag on every other group of the collection.
    void SetDefaultGroup(bool Value);
    const std::string& BeginSummaryText() const { return m_beginSummaryText; }
    void SetBeginSummaryText(const std::string& Value);
    const std::string& EndSummaryText() const { return m_endSummaryText; }
    void SetEndSummaryText(const std::string& Value);
    TdxDBGridSummaryItems* SummaryItems() const { return m_summaryItems.get(); }
    void SetSummaryItems(TdxDBGridSummaryItems* Value);

    std::string DisplayName() const override;
    void Assign(TPersistent* Source) override;

private:
    friend class TdxDBGridSummaryItems;
    void ItemsChanged();

    std::string m_name;
    bool m_defaultGroup{false};
    std::string m_beginSummaryText;
    std::string m_endSummaryText;
    std::unique_ptr<TdxDBGridSummaryItems> m_summaryItems;
};

class TdxDBGridSummaryGroups : public TCollection {
    QEL_CLASS(TdxDBGridSummaryGroups)
public:
    // Control: the owning grid (a TPersistent owner for streaming); may be nullptr.
    explicit TdxDBGridSummaryGroups(TPersistent* Control);

    TPersistent* Control() const { return Owner(); }
    TdxDBGridSummaryGroup* Items(int Index) const
    {
        return static_cast<TdxDBGridSummaryGroup*>(TCollection::Items(Index));
    }
    TdxDBGridSummaryGroup* Add() { return static_cast<TdxDBGridSummaryGroup*>(TCollection::Add()); }

    // The first group marked DefaultGroup; nullptr when none.
    TdxDBGridSummaryGroup* FindDefaultGroup() const;
    // The first group whose name equals Name case-insensitively; nullptr when none.
    TdxDBGridSummaryGroup* FindGroupByName(const std::string& Name) const;
    // Renames the ColumnName of every item that names OldName (case-insensitive).
    void RenameColumn(const std::string& OldName, const std::string& NewName);

    // A group, an item or the list changed: the control relayouts (unless it is loading).
    TChangeLinks& Changes() { return m_changes; }

protected:
    void Update(TCollectionItem* Item) override;

private:
    friend class TdxDBGridSummaryGroup;
    TChangeLinks m_changes;
};

} // namespace qel
