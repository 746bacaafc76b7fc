#pragma once
// A filter criteria: a tree of AND/OR lists and leaves that evaluates itself
// for a record, renders itself as display text and as a filter expression,
// and saves itself to and loads itself from a binary stream.
#include "dbgrid/CriteriaItem.h"
#include "dbgrid/CriteriaOperator.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qel {

class TStream;
namespace detail {
class CriteriaReader;
}

// Creates a leaf with the given parent; the class of new leaves.
using TdxCriteriaItemClass = std::unique_ptr<TdxCriteriaItem> (*)(TdxCriteriaItemList* Parent);

class TdxCriteria : public TObject {
    QEL_CLASS(TdxCriteria)
public:
    TdxCriteria();
    ~TdxCriteria() override;

    TdxCriteriaItemList* Root() const { return m_root.get(); }

    // A new leaf of GetItemClass() appended to List (the root when nullptr).
    TdxCriteriaItem* AddItem(TdxCriteriaItemList* List, const std::string& ColumnName,
                             std::uint8_t OperatorKind, const std::string& DisplayValue,
                             const Variant& Value);
    // A new sub-list appended to List (the root when nullptr).
    TdxCriteriaItemList* AddList(TdxCriteriaItemList* List, std::uint8_t BoolOperator);
    // Frees every item; the root becomes AND and not negated.
    void Clear();

    // The first leaf, depth-first in list order, whose ColumnName equals Name
    // exactly; nullptr when there is none.
    TdxCriteriaItem* FindItemByColumnName(const std::string& Name) const;
    // Frees every leaf of the column and tidies the lists they leave behind.
    void RemoveColumnItems(const std::string& Name);

    // Whether the record passes. Operands are prepared once and reused for
    // every record until the criteria changes (see InvalidatePreparedValues).
    bool Evaluate(void* Data) const;

    // The caption for the filter status panel.
    std::string GetDisplayText() const;
    // The expression handed to a dataset as its filter.
    std::string GetFilterText() const;

    // The root's children; an OR or negated root is written as one sub-list
    // child so that the stream keeps its meaning. EWriteError for an array
    // operand, and then nothing is written.
    void SaveToStream(TStream& Stream) const;
    // Replaces the tree with the one in the stream. On a corrupt or short
    // stream raises EReadError and keeps the current tree.
    void LoadFromStream(TStream& Stream);

    // The class of new leaves.
    virtual TdxCriteriaItemClass GetItemClass() const = 0;
    // The form in which values are compared; a plain copy here.
    virtual Variant PrepareValue(const Variant& Value) const;
    // Called by the owner after it changed the tree or what PrepareValue
    // answers; the grid re-binds its leaves here.
    virtual void Changed();

    // Forgets the prepared operands; needed whenever PrepareValue would now
    // answer differently. Changed() calls it.
    void InvalidatePreparedValues() { ++m_generation; }

    // The deepest nesting of lists that a stream may hold; recursion over
    // the tree (evaluation, text, destruction) stays bounded by it. A tree
    // whose filter text nests deeper than the dataset's filter parser takes
    // (TFilterExpression::MaxDepth; about 30 plain or 13 negated lists) is
    // refused on saving and loading as well.
    static constexpr int MaxNestingDepth = 128;

private:
    bool EvaluateList(const TdxCriteriaItemList& List, void* Data) const;
    bool EvaluateItem(const TdxCriteriaItem& Item, void* Data) const;
    struct TFilterPiece;
    std::string DisplayText(const TdxCriteriaItemList& List) const;
    std::string LeafText(const TdxCriteriaItem& Leaf, bool Display) const;
    // The filter text of List (without the text itself unless WithText).
    TFilterPiece FilterPiece(const TdxCriteriaItemList& List, bool WithText) const;
    // Whether the dataset's filter parser takes the filter text of List.
    bool FilterTextFitsParser(const TdxCriteriaItemList& List) const;
    std::string OperandText(const Variant& Value) const;
    void TidyList(TdxCriteriaItemList* List);
    void ReadItems(detail::CriteriaReader& Reader, TdxCriteriaItemList* List, std::int64_t Count, int Depth);

    std::unique_ptr<TdxCriteriaItemList> m_root;
    std::uint64_t m_generation{1};
};

} // namespace qel
