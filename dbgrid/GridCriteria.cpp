#include "dbgrid/GridCriteria.h"

#include "dbgrid/DBTreeListControl.h"
#include "platform/core/Component.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Locale.h"
#include "platform/data/DataSet.h"
#include "platform/data/Field.h"

#include <functional>

namespace qel {

std::string TdxDBGridCriteriaItem::GetCaption() const
{
    return m_column ? m_column->Caption() : std::string();
}

Variant TdxDBGridCriteriaItem::GetDataValue(void* Data) const
{
    if (!m_column)
        return Variant::Null();
    Variant v;
    m_column->GetNodeFilterValue(static_cast<TdxTreeListNode*>(Data), v);
    return v;
}

std::string TdxDBGridCriteriaItem::GetFilterName() const
{
    TField* field = m_column ? m_column->Field() : nullptr;
    if (!field)
        return {};
    if (!field->Origin().empty())
        return field->Origin();
    std::string name = field->FieldName();
    if (field->Lookup())
        name = field->KeyFields();
    if (IsValidIdent(name))
        return name;
    std::string quoted = "[";
    for (char c : name) {
        quoted += c;
        if (c == ']')
            quoted += ']';
    }
    return quoted + "]";
}

void TdxDBGridCriteria::SetCaseInsensitive(bool Value)
{
    if (m_caseInsensitive == Value)
        return;
    m_caseInsensitive = Value;
    InvalidatePreparedValues();
}

TdxCriteriaItemClass TdxDBGridCriteria::GetItemClass() const
{
    return [](TdxCriteriaItemList* Parent) -> std::unique_ptr<TdxCriteriaItem> {
        return std::make_unique<TdxDBGridCriteriaItem>(Parent);
    };
}

Variant TdxDBGridCriteria::PrepareValue(const Variant& Value) const
{
    Variant v = TdxCriteria::PrepareValue(Value);
    if (v.VarType() == varCurrency)
        return Variant(v.AsDouble());
    if (m_caseInsensitive && v.IsString())
        return Variant(AnsiUpperCase(v.AsString()));
    return v;
}

void TdxDBGridCriteria::Changed()
{
    TdxCriteria::Changed();
    std::function<void(TdxCriteriaItemList*)> bind = [&](TdxCriteriaItemList* List) {
        for (int i = 0; i < List->Count(); ++i) {
            TdxCustomCriteriaItem* item = List->Items(i);
            if (item->IsList()) {
                bind(static_cast<TdxCriteriaItemList*>(item));
            } else if (auto* leaf = dynamic_cast<TdxDBGridCriteriaItem*>(item)) {
                leaf->SetColumn(m_grid && !leaf->ColumnName().empty() ? m_grid->ColumnByName(leaf->ColumnName())
                                                                      : nullptr);
            }
        }
    };
    bind(Root());
}

TdxCriteriaItem* TdxDBGridCriteria::AddCondition(TdxCriteriaItemList* List, TdxDBTreeListColumn* Column,
                                                 bool Negate, const std::string& DisplayValue,
                                                 const Variant& Value, std::uint8_t OperatorKind)
{
    TdxCriteriaItem* leaf = AddItem(List, Column ? Column->Name() : std::string(), OperatorKind, DisplayValue, Value);
    leaf->SetNegate(Negate);
    Changed();
    return leaf;
}

bool TdxDBGridCriteria::IsCustomCondition(const std::string& ColumnName) const
{
    const TdxCriteriaItem* leaf = FindItemByColumnName(ColumnName);
    if (!leaf)
        return false;
    return leaf->Parent() != Root() || (leaf->OperatorKind() != 0 && leaf->OperatorKind() != 1);
}

// ---------------------------------------------------------------------------

namespace {

struct ConditionRow {
    const char* Text;
    std::uint8_t Operator;
    bool Negate;
};

constexpr ConditionRow Conditions[dxFilterConditionCount] = {
    {"equals", 1, false},
    {"does not equal", 1, true},
    {"is greater than", 2, false},
    {"is greater than or equal to", 4, false},
    {"is less than", 3, false},
    {"is less than or equal to", 5, false},
    {"blanks", 0, false},
    {"non blanks", 0, true},
};

bool IsBlank(const Variant& Value)
{
    return Value.IsEmptyOrNull() || (Value.IsString() && Value.AsString().empty());
}

void AddFromRow(TdxDBGridCriteria& Criteria, TdxCriteriaItemList* List, TdxDBTreeListColumn* Column,
                const TdxFilterCondition& Row)
{
    const ConditionRow& c = Conditions[Row.Index];
    const bool blanks = Row.Index >= 6 || IsBlank(Row.Value);
    Criteria.AddCondition(List, Column, c.Negate, blanks ? std::string() : Row.DisplayText,
                          blanks ? Variant::Null() : Row.Value, blanks ? std::uint8_t{0} : c.Operator);
}

} // namespace

std::string dxFilterConditionText(int Index)
{
    return Index >= 0 && Index < dxFilterConditionCount ? Conditions[Index].Text : "";
}

int dxFilterConditionIndex(const TdxCriteriaItem& Leaf)
{
    switch (Leaf.OperatorKind()) {
    case 0: return Leaf.Negate() ? 7 : 6;
    case 1: return Leaf.Negate() ? 1 : 0;
    case 2: return 2;
    case 4: return 3;
    case 3: return 4;
    default: return 5;
    }
}

bool IsFilterConditionUsable(const TdxFilterCondition& Condition, TdxFilterOperators Allowed)
{
    if (Condition.Index < 0 || Condition.Index >= dxFilterConditionCount)
        return false;
    if (!(Allowed & (1u << Condition.Index)))
        return false;
    if (Condition.Index >= 2 && Condition.Index <= 5)
        return !IsBlank(Condition.Value);
    return true;
}

Variant ConvertFilterValue(const Variant& Value, int FilterVarType)
{
    if (IsBlank(Value) || FilterVarType == 13)
        return Value;
    switch (FilterVarType) {
    case varSmallint: {
        const std::int32_t i = Value.AsInteger();
        if (i < -32768 || i > 32767)
            throw EConvertError("'" + Value.AsString() + "' is not a valid integer value");
        return Variant::FromSmallint(static_cast<std::int16_t>(i));
    }
    case varInteger: return Variant(Value.AsInteger());
    case varInt64: return Variant(Value.AsInt64());
    case varSingle:
    case varDouble: return Variant(Value.AsDouble());
    case varCurrency: return Variant(Value.AsCurrency());
    case varDate: return Variant::FromDate(Value.AsDate());
    case varBoolean: return Variant(Value.AsBoolean());
    default: return Variant(Value.AsString());
    }
}

void ApplyCustomFilterConditions(TdxDBGridCriteria& Criteria, TdxDBTreeListColumn* Column,
                                 const TdxFilterCondition& First, const TdxFilterCondition& Second, bool OrJoin)
{
    if (!Column)
        return;
    const TdxFilterOperators allowed = Column->GetFilterOperators();
    const bool first = IsFilterConditionUsable(First, allowed);
    const bool second = IsFilterConditionUsable(Second, allowed);
    Criteria.RemoveColumnItems(Column->Name());
    if (first && second) {
        TdxCriteriaItemList* list = Criteria.AddList(nullptr, OrJoin ? dxBoolOr : dxBoolAnd);
        AddFromRow(Criteria, list, Column, First);
        AddFromRow(Criteria, list, Column, Second);
    } else if (first || second) {
        AddFromRow(Criteria, nullptr, Column, first ? First : Second);
    }
    Criteria.Changed();
}

void ReadCustomFilterConditions(const TdxDBGridCriteria& Criteria, const std::string& ColumnName,
                                TdxFilterCondition& First, TdxFilterCondition& Second, bool& OrJoin)
{
    First = TdxFilterCondition{0, Variant::Null(), {}};
    Second = TdxFilterCondition{};
    OrJoin = false;
    const TdxCriteriaItem* leaf = Criteria.FindItemByColumnName(ColumnName);
    if (!leaf)
        return;
    First = TdxFilterCondition{dxFilterConditionIndex(*leaf), leaf->Value(), leaf->DisplayValue()};
    TdxCriteriaItemList* list = leaf->Parent();
    if (!list || list == Criteria.Root())
        return;
    OrJoin = list->BoolOperator() == dxBoolOr;
    for (int i = list->IndexOf(leaf) + 1; i < list->Count(); ++i)
        if (!list->Items(i)->IsList()) {
            const auto* next = static_cast<const TdxCriteriaItem*>(list->Items(i));
            Second = TdxFilterCondition{dxFilterConditionIndex(*next), next->Value(), next->DisplayValue()};
            break;
        }
}

} // namespace qel
