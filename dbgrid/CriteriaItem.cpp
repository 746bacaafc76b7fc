#include "dbgrid/CriteriaItem.h"

#include "dbgrid/Criteria.h"
#include "dbgrid/detail/CriteriaStreamIO.h"
#include "platform/core/Stream.h"

#include <algorithm>

namespace qel {

// --- TdxCustomCriteriaItem ---------------------------------------------------

TdxCustomCriteriaItem::TdxCustomCriteriaItem(TdxCriteriaItemList* Parent) : m_parent(Parent) {}

TdxCriteria* TdxCustomCriteriaItem::Criteria() const
{
    const TdxCustomCriteriaItem* item = this;
    while (item->m_parent)
        item = item->m_parent;
    return item->IsList() ? static_cast<const TdxCriteriaItemList*>(item)->OwnerCriteria() : nullptr;
}

void TdxCustomCriteriaItem::ReadData(TStream&) {}

void TdxCustomCriteriaItem::WriteToStream(TStream& Stream) const
{
    Stream.WriteLE<std::uint8_t>(IsList() ? 1 : 0);
    Stream.WriteLE<std::uint8_t>(m_negate ? 1 : 0);
}

// --- TdxCriteriaItemList -----------------------------------------------------

TdxCriteriaItemList::TdxCriteriaItemList(TdxCriteriaItemList* Parent) : TdxCustomCriteriaItem(Parent) {}

TdxCriteriaItemList::~TdxCriteriaItemList()
{
    Clear();
}

void TdxCriteriaItemList::SetBoolOperator(std::uint8_t Value)
{
    if (Value != dxBoolAnd && Value != dxBoolOr)
        throw EInvalidOperation("Invalid boolean operator " + std::to_string(Value));
    m_boolOperator = Value;
}

TdxCustomCriteriaItem* TdxCriteriaItemList::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        return nullptr;
    return m_items[static_cast<std::size_t>(Index)].get();
}

int TdxCriteriaItemList::IndexOf(const TdxCustomCriteriaItem* Item) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_items[static_cast<std::size_t>(i)].get() == Item)
            return i;
    return -1;
}

void TdxCriteriaItemList::Add(std::unique_ptr<TdxCustomCriteriaItem> Item)
{
    if (!Item)
        return;
    Item->m_parent = this;
    m_items.push_back(std::move(Item));
}

void TdxCriteriaItemList::Delete(int Index)
{
    if (Index < 0 || Index >= Count())
        return;
    // Out of the list first, so the list never holds a half-destroyed child.
    std::unique_ptr<TdxCustomCriteriaItem> item = std::move(m_items[static_cast<std::size_t>(Index)]);
    m_items.erase(m_items.begin() + Index);
}

std::unique_ptr<TdxCustomCriteriaItem> TdxCriteriaItemList::Extract(TdxCustomCriteriaItem* Item)
{
    const int index = IndexOf(Item);
    if (index < 0)
        return nullptr;
    std::unique_ptr<TdxCustomCriteriaItem> item = std::move(m_items[static_cast<std::size_t>(index)]);
    m_items.erase(m_items.begin() + index);
    item->m_parent = nullptr;
    return item;
}

void TdxCriteriaItemList::Clear()
{
    // Free the children outside the vector, so that nothing they do while
    // being destroyed can see a list in the middle of clearing.
    auto items = std::move(m_items);
    m_items.clear();
    items.clear();
}

void TdxCriteriaItemList::WriteToStream(TStream& Stream) const
{
    TdxCustomCriteriaItem::WriteToStream(Stream);
    Stream.WriteLE<std::uint8_t>(m_boolOperator);
    Stream.WriteLE<std::int32_t>(Count());
    for (const auto& item : m_items)
        item->WriteToStream(Stream);
}

// --- TdxCriteriaItem ---------------------------------------------------------

TdxCriteriaItem::TdxCriteriaItem(TdxCriteriaItemList* Parent) : TdxCustomCriteriaItem(Parent) {}

void TdxCriteriaItem::SetOperatorKind(std::uint8_t Value)
{
    dxCriteriaOperator(Value);   // raises for an unknown kind
    m_operatorKind = Value;
}

void TdxCriteriaItem::SetValue(const Variant& Value)
{
    // Refused here rather than when a saved filter is loaded again.
    if (const char* fault = detail::CriteriaOperandFault(Value))
        throw EInvalidOperation(std::string("Invalid criteria operand: ") + fault);
    m_value = Value;
    m_preparedGeneration = 0;
}

std::string TdxCriteriaItem::GetCaption() const
{
    return m_columnName;
}

void TdxCriteriaItem::WriteToStream(TStream& Stream) const
{
    if (detail::CriteriaOperandFault(m_value) || !detail::CriteriaOperandFitsKind(m_value, m_operatorKind))
        throw EWriteError(detail::CriteriaWriteError);
    TdxCustomCriteriaItem::WriteToStream(Stream);
    detail::WriteCountedText(Stream, m_displayValue);
    detail::WriteCountedText(Stream, m_columnName);
    Stream.WriteLE<std::uint8_t>(m_operatorKind);
    detail::WriteTaggedValue(Stream, m_value);
}

} // namespace qel
