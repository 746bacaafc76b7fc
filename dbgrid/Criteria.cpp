#include "dbgrid/Criteria.h"

#include "dbgrid/detail/CriteriaStreamIO.h"
#include "platform/core/Stream.h"
#include "platform/data/FilterExpression.h"

#include <algorithm>
#include <optional>

namespace qel {

namespace {

// The smallest item in a stream: a list header with no children
// (IsList, Negate, BoolOperator, child count).
constexpr std::int64_t MinStreamItemSize = 1 + 1 + 1 + 4;

TdxCriteriaItem* FindLeaf(const TdxCriteriaItemList& List, const std::string& Name)
{
    for (int i = 0; i < List.Count(); ++i) {
        TdxCustomCriteriaItem* item = List.Items(i);
        if (item->IsList()) {
            if (auto* found = FindLeaf(static_cast<const TdxCriteriaItemList&>(*item), Name))
                return found;
        } else if (static_cast<TdxCriteriaItem*>(item)->ColumnName() == Name) {
            return static_cast<TdxCriteriaItem*>(item);
        }
    }
    return nullptr;
}

// Nesting of sub-lists below List (0 when it holds leaves only).
int ListDepth(const TdxCriteriaItemList& List)
{
    int depth = 0;
    for (int i = 0; i < List.Count(); ++i)
        if (const TdxCustomCriteriaItem* item = List.Items(i); item->IsList())
            depth = std::max(depth, 1 + ListDepth(static_cast<const TdxCriteriaItemList&>(*item)));
    return depth;
}

std::string Quoted(const std::string& Text)
{
    // Doubled quotes keep a value such as O'Neil one literal of the expression.
    std::string result = "'";
    for (char c : Text) {
        result += c;
        if (c == '\'')
            result += '\'';
    }
    return result + "'";
}

} // namespace

// What an item gives the filter text: its text and how deep the dataset's
// filter parser goes into it, or, when its outcome does not depend on the
// record (an empty list is true), that constant.
struct TdxCriteria::TFilterPiece {
    std::optional<bool> Constant;
    std::string Text;
    int Depth = 0;
};

TdxCriteria::TdxCriteria() : m_root(std::make_unique<TdxCriteriaItemList>(nullptr))
{
    m_root->m_criteria = this;
}

TdxCriteria::~TdxCriteria() = default;

TdxCriteriaItem* TdxCriteria::AddItem(TdxCriteriaItemList* List, const std::string& ColumnName,
                                      std::uint8_t OperatorKind, const std::string& DisplayValue,
                                      const Variant& Value)
{
    if (!List)
        List = m_root.get();
    if (List->Criteria() != this)
        throw EInvalidOperation("The list belongs to another criteria");
    dxCriteriaOperator(OperatorKind);   // raises for an unknown kind
    std::unique_ptr<TdxCriteriaItem> item = GetItemClass()(List);
    if (!item)
        throw EInvalidOperation("The criteria created no item");
    item->SetColumnName(ColumnName);
    item->SetOperatorKind(OperatorKind);
    item->SetDisplayValue(DisplayValue);
    item->SetValue(Value);
    TdxCriteriaItem* result = item.get();
    List->Add(std::move(item));
    return result;
}

TdxCriteriaItemList* TdxCriteria::AddList(TdxCriteriaItemList* List, std::uint8_t BoolOperator)
{
    if (!List)
        List = m_root.get();
    if (List->Criteria() != this)
        throw EInvalidOperation("The list belongs to another criteria");
    auto list = std::make_unique<TdxCriteriaItemList>(List);
    list->SetBoolOperator(BoolOperator);
    TdxCriteriaItemList* result = list.get();
    List->Add(std::move(list));
    return result;
}

void TdxCriteria::Clear()
{
    m_root->Clear();
    m_root->SetNegate(false);
    m_root->SetBoolOperator(dxBoolAnd);
}

TdxCriteriaItem* TdxCriteria::FindItemByColumnName(const std::string& Name) const
{
    return FindLeaf(*m_root, Name);
}

void TdxCriteria::RemoveColumnItems(const std::string& Name)
{
    while (TdxCriteriaItem* item = FindItemByColumnName(Name)) {
        TdxCriteriaItemList* parent = item->Parent();
        parent->Delete(parent->IndexOf(item));
        TidyList(parent);
    }
}

void TdxCriteria::TidyList(TdxCriteriaItemList* List)
{
    // A sub-list the removal empties goes, and so does every list that
    // empties in turn, up to the root: no condition of the user's is left
    // standing as an empty list that passes every record.
    while (List != m_root.get()) {
        TdxCriteriaItemList* parent = List->Parent();
        if (List->Count() == 0) {
            parent->Delete(parent->IndexOf(List));
            List = parent;
            continue;
        }
        if (List->Count() == 1) {
            std::unique_ptr<TdxCustomCriteriaItem> child = List->Extract(List->Items(0));
            // NOT (x) stays NOT (x) when the list around x goes away.
            if (List->Negate())
                child->SetNegate(!child->Negate());
            parent->Delete(parent->IndexOf(List));
            parent->Add(std::move(child));
        }
        return;
    }
}

Variant TdxCriteria::PrepareValue(const Variant& Value) const
{
    return Value;
}

void TdxCriteria::Changed()
{
    InvalidatePreparedValues();
}

bool TdxCriteria::Evaluate(void* Data) const
{
    return EvaluateList(*m_root, Data);
}

bool TdxCriteria::EvaluateList(const TdxCriteriaItemList& List, void* Data) const
{
    const bool isOr = List.BoolOperator() == dxBoolOr;
    bool result = true;
    for (int i = 0; i < List.Count(); ++i) {
        // The outcome is settled once an AND meets false or an OR meets true.
        if (i > 0 && result == isOr)
            break;
        const TdxCustomCriteriaItem* item = List.Items(i);
        result = item->IsList() ? EvaluateList(static_cast<const TdxCriteriaItemList&>(*item), Data)
                                : EvaluateItem(static_cast<const TdxCriteriaItem&>(*item), Data);
    }
    return List.Negate() ? !result : result;
}

bool TdxCriteria::EvaluateItem(const TdxCriteriaItem& Item, void* Data) const
{
    if (Item.m_preparedGeneration != m_generation) {
        Item.m_preparedValue = PrepareValue(Item.Value());
        Item.m_preparedGeneration = m_generation;
    }
    const bool result = dxCriteriaOperator(Item.OperatorKind())
                            .Compare(PrepareValue(Item.GetDataValue(Data)), Item.m_preparedValue);
    return Item.Negate() ? !result : result;
}

std::string TdxCriteria::GetDisplayText() const
{
    return DisplayText(*m_root);
}

std::string TdxCriteria::GetFilterText() const
{
    const TFilterPiece piece = FilterPiece(*m_root, true);
    // True for every record is no filter; false for every record is a
    // comparison of two literals.
    if (piece.Constant)
        return *piece.Constant ? std::string() : "(TRUE = FALSE)";
    return piece.Text;
}

bool TdxCriteria::FilterTextFitsParser(const TdxCriteriaItemList& List) const
{
    // The parser starts two levels down.
    return 2 + FilterPiece(List, false).Depth <= TFilterExpression::MaxDepth;
}

std::string TdxCriteria::DisplayText(const TdxCriteriaItemList& List) const
{
    std::string text;
    for (int i = 0; i < List.Count(); ++i) {
        if (i > 0)
            text += List.BoolOperator() == dxBoolAnd ? " AND " : " OR ";
        const TdxCustomCriteriaItem* item = List.Items(i);
        if (item->IsList()) {
            text += "(" + DisplayText(static_cast<const TdxCriteriaItemList&>(*item)) + ")";
            continue;
        }
        text += "(" + LeafText(static_cast<const TdxCriteriaItem&>(*item), true) + ")";
    }
    if (List.Negate())
        text = "NOT (" + text + ")";
    return text;
}

std::string TdxCriteria::LeafText(const TdxCriteriaItem& Leaf, bool Display) const
{
    // "= <blank>" has no literal in a filter expression: it is the test
    // for a blank value there.
    const bool blankTest = Leaf.OperatorKind() == 0 || (!Display && Leaf.Value().IsEmptyOrNull());
    std::string t = (Display ? Leaf.GetCaption() : Leaf.GetFilterName()) + " " +
                    dxCriteriaOperator(blankTest ? 0 : Leaf.OperatorKind()).GetText();
    if (!blankTest)
        t += " " + (Display ? Leaf.DisplayValue() : OperandText(Leaf.Value()));
    return Leaf.Negate() ? "NOT (" + t + ")" : t;
}

TdxCriteria::TFilterPiece TdxCriteria::FilterPiece(const TdxCriteriaItemList& List, bool WithText) const
{
    // A list whose outcome is settled without the record leaves the text:
    // the parser has no "()", and an empty list is true.
    const bool isOr = List.BoolOperator() == dxBoolOr;
    TFilterPiece piece;
    bool anyText = false;
    for (int i = 0; i < List.Count() && !piece.Constant; ++i) {
        const TdxCustomCriteriaItem* item = List.Items(i);
        TFilterPiece child;
        if (item->IsList()) {
            child = FilterPiece(static_cast<const TdxCriteriaItemList&>(*item), WithText);
        } else {
            if (WithText)
                child.Text = LeafText(static_cast<const TdxCriteriaItem&>(*item), false);
            child.Depth = item->Negate() ? 4 : 0;
        }
        if (child.Constant) {
            // False settles an AND, true an OR; the other one changes nothing.
            if (*child.Constant == isOr)
                piece.Constant = isOr;
            continue;
        }
        if (anyText)
            piece.Text += isOr ? " OR " : " AND ";
        // Each parenthesis costs the parser three levels (OR, AND, unary), each NOT one.
        piece.Text += "(" + child.Text + ")";
        piece.Depth = std::max(piece.Depth, 3 + child.Depth);
        anyText = true;
    }
    if (!piece.Constant && !anyText)
        piece.Constant = List.Count() == 0 || !isOr;
    if (piece.Constant) {
        piece.Constant = *piece.Constant != List.Negate();
        piece.Text.clear();
        piece.Depth = 0;
    } else if (List.Negate()) {
        piece.Text = "NOT (" + piece.Text + ")";
        piece.Depth += 4;
    }
    return piece;
}

std::string TdxCriteria::OperandText(const Variant& Value) const
{
    if (Value.IsEmptyOrNull())
        return {};
    // A date keeps its time of day (shown only when it is not midnight):
    // cut to the date, the expression would test another moment than
    // Evaluate does.
    if (Value.VarType() == varDate || Value.IsString())
        return Quoted(Value.AsString());
    return Value.AsString();
}

void TdxCriteria::SaveToStream(TStream& Stream) const
{
    const TdxCriteriaItemList& root = *m_root;
    // The stream stores the root's children only, read back under an AND
    // root that is not negated; any other root goes in as one sub-list.
    const bool wrapRoot = root.Negate() || (root.BoolOperator() == dxBoolOr && root.Count() > 1);
    if (ListDepth(root) + (wrapRoot ? 1 : 0) > MaxNestingDepth || !FilterTextFitsParser(root))
        throw EWriteError(detail::CriteriaWriteError);

    // Built in memory first, so a refused value leaves Stream untouched.
    TMemoryStream buffer;
    if (wrapRoot) {
        buffer.WriteLE<std::int32_t>(1);
        root.WriteToStream(buffer);
    } else {
        buffer.WriteLE<std::int32_t>(root.Count());
        for (int i = 0; i < root.Count(); ++i)
            root.Items(i)->WriteToStream(buffer);
    }
    Stream.WriteBuffer(buffer.Memory(), buffer.Size());
}

void TdxCriteria::LoadFromStream(TStream& Stream)
{
    detail::CriteriaReader reader(Stream);
    auto root = std::make_unique<TdxCriteriaItemList>(nullptr);
    root->m_criteria = this;
    ReadItems(reader, root.get(), reader.ReadInt32(), 1);
    // A filter the dataset could not apply is no filter to load.
    if (!FilterTextFitsParser(*root))
        detail::CriteriaReadFailed();
    // Only a complete tree replaces the current one.
    m_root.swap(root);
    InvalidatePreparedValues();
}

void TdxCriteria::ReadItems(detail::CriteriaReader& Reader, TdxCriteriaItemList* List, std::int64_t Count,
                            int Depth)
{
    if (Count < 0 || Count > Reader.Remaining() / MinStreamItemSize)
        detail::CriteriaReadFailed();
    for (std::int64_t i = 0; i < Count; ++i) {
        const std::uint8_t isList = Reader.ReadByte();
        const std::uint8_t negate = Reader.ReadByte();
        if (isList > 1 || negate > 1)
            detail::CriteriaReadFailed();
        TdxCustomCriteriaItem* item;
        if (isList) {
            const std::uint8_t boolOperator = Reader.ReadByte();
            const std::int32_t childCount = Reader.ReadInt32();
            if (boolOperator > dxBoolOr || Depth > MaxNestingDepth)
                detail::CriteriaReadFailed();
            auto list = std::make_unique<TdxCriteriaItemList>(List);
            list->SetBoolOperator(boolOperator);
            TdxCriteriaItemList* sub = list.get();
            List->Add(std::move(list));
            ReadItems(Reader, sub, childCount, Depth + 1);
            item = sub;
        } else {
            const std::string displayValue = Reader.ReadCountedText();
            const std::string columnName = Reader.ReadCountedText();
            const std::uint8_t operatorKind = Reader.ReadByte();
            if (operatorKind > dxMaxOperatorKind)
                detail::CriteriaReadFailed();
            const Variant value = Reader.ReadTaggedValue();
            if (detail::CriteriaOperandFault(value) || !detail::CriteriaOperandFitsKind(value, operatorKind))
                detail::CriteriaReadFailed();
            item = AddItem(List, columnName, operatorKind, displayValue, value);
        }
        item->SetNegate(negate != 0);
        item->ReadData(Reader.Stream());
    }
}

} // namespace qel
