#pragma once
// The grid's filter criteria: leaves bound to grid columns by component name,
// and the conditions of the custom filter dialog with how a condition
// becomes a leaf.
#include "dbgrid/Criteria.h"
#include "dbgrid/DBTreeListColumn.h"

#include <string>

namespace qel {

class TCustomdxDBTreeListControl;

class TdxDBGridCriteriaItem : public TdxCriteriaItem {
    QEL_CLASS(TdxDBGridCriteriaItem)
public:
    explicit TdxDBGridCriteriaItem(TdxCriteriaItemList* Parent) : TdxCriteriaItem(Parent) {}

    // nullptr until the criteria binds it (and when the column is gone).
    TdxDBTreeListColumn* Column() const { return m_column; }
    void SetColumn(TdxDBTreeListColumn* Value) { m_column = Value; }

    std::string GetCaption() const override;
    // Data is the node.
    Variant GetDataValue(void* Data) const override;
    // The field's Origin, else its name (a lookup field's key field), in
    // brackets when it is no identifier, a "]" in it doubled.
    std::string GetFilterName() const override;

private:
    TdxDBTreeListColumn* m_column{nullptr};
};

class TdxDBGridCriteria : public TdxCriteria {
    QEL_CLASS(TdxDBGridCriteria)
public:
    explicit TdxDBGridCriteria(TCustomdxDBTreeListControl* Grid) : m_grid(Grid) {}

    TCustomdxDBTreeListControl* Grid() const { return m_grid; }
    // Follows the filter's CaseInsensitive; string operands are compared upper-cased.
    bool CaseInsensitive() const { return m_caseInsensitive; }
    void SetCaseInsensitive(bool Value);

    TdxCriteriaItemClass GetItemClass() const override;
    // Currency compares as Double; strings upper-cased when case-insensitive.
    Variant PrepareValue(const Variant& Value) const override;
    // Binds every leaf to the grid column named by its ColumnName.
    void Changed() override;

    // A leaf for Column in List (the root for nullptr), then re-bound.
    TdxCriteriaItem* AddCondition(TdxCriteriaItemList* List, TdxDBTreeListColumn* Column, bool Negate,
                                  const std::string& DisplayValue, const Variant& Value, std::uint8_t OperatorKind);
    // Whether the column's first leaf is custom: it sits in a sub-list, or its
    // operator is neither "=" nor "Is Null".
    bool IsCustomCondition(const std::string& ColumnName) const;

private:
    TCustomdxDBTreeListControl* m_grid;
    bool m_caseInsensitive{false};
};

// ---- the custom filter dialog's conditions ---------------------------------------------------

// "equals" … "non blanks"; the index is the chooser's item value.
inline constexpr int dxFilterConditionCount = 8;
std::string dxFilterConditionText(int Index);
// The chooser index of a leaf: "=" 0 (1 negated), ">" 2, ">=" 3, "<" 4, "<=" 5, "Is Null" 6 (7 negated).
int dxFilterConditionIndex(const TdxCriteriaItem& Leaf);

// One row of the dialog: the chooser index (-1: no condition) and the value
// the user entered (Null when the editor is empty) with its text.
struct TdxFilterCondition {
    int Index{-1};
    Variant Value = Variant::Null();
    std::string DisplayText;
};

// Whether a row makes a condition: an index in range that the column allows;
// a comparison (greater, less, …) needs a value, while equals and does-not-
// equal with no value mean blanks and non-blanks.
bool IsFilterConditionUsable(const TdxFilterCondition& Condition, TdxFilterOperators Allowed);

// Converts the entered value to the column's filter type (no conversion for
// type 13 or an empty value). EConvertError when it does not convert.
Variant ConvertFilterValue(const Variant& Value, int FilterVarType);

// What OK does: remove the column's leaves, then add the usable rows: one
// as a plain leaf at the root, two as a sub-list joined by OR or AND. With no
// usable row the column ends without conditions.
void ApplyCustomFilterConditions(TdxDBGridCriteria& Criteria, TdxDBTreeListColumn* Column,
                                 const TdxFilterCondition& First, const TdxFilterCondition& Second, bool OrJoin);

// The dialog's rows for a column: its first leaf in the first row and, when
// that leaf sits in a sub-list, the list's second leaf in the second row;
// OrJoin from the list's operator.
void ReadCustomFilterConditions(const TdxDBGridCriteria& Criteria, const std::string& ColumnName,
                                TdxFilterCondition& First, TdxFilterCondition& Second, bool& OrJoin);

} // namespace qel
