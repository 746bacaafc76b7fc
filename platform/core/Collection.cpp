#include "platform/core/Collection.h"

#include "platform/core/Guards.h"

#include <algorithm>

namespace qel {

// ---- TCollectionItem --------------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* Collection)
    : m_collection(Collection)
{
}

TCollectionItem::~TCollectionItem() = default;

int TCollectionItem::Index() const
{
    return m_collection ? m_collection->IndexOf(this) : -1;
}

void TCollectionItem::SetIndex(int Value)
{
    const int current = Index();
    if (current < 0 || current == Value)
        return;
    m_collection->MoveItem(current, Value);
    Changed(true);
}

std::string TCollectionItem::DisplayName() const
{
    return ClassName();
}

void TCollectionItem::Changed(bool AllItems)
{
    // An item still being built (not yet in the list) reports nothing.
    if (!m_collection || m_collection->UpdateCount() != 0 || Index() < 0)
        return;
    m_collection->Update(AllItems ? nullptr : this);
}

// ---- TCollection ------------------------------------------------------------

TCollection::TCollection(ItemFactory ItemFactory, const char* ItemClassName, TPersistent* Owner)
    : m_factory(std::move(ItemFactory)), m_itemClassName(ItemClassName), m_owner(Owner)
{
}

TCollection::~TCollection()
{
    // The derived part is gone: no Update or Notify calls from here on.
    m_updateCount = 1;
    while (!m_items.empty())
        m_items.pop_back();
}

void TCollection::IndexError(int Index)
{
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

TCollectionItem* TCollection::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        IndexError(Index);
    return m_items[static_cast<std::size_t>(Index)].get();
}

int TCollection::IndexOf(const TCollectionItem* Item) const
{
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].get() == Item)
            return static_cast<int>(i);
    return -1;
}

std::unique_ptr<TCollectionItem> TCollection::CreateItem()
{
    std::unique_ptr<TCollectionItem> item(m_factory(this));
    if (!item)
        throw EInvalidOperation(std::string("Cannot create an item of class ") + m_itemClassName);
    item->m_collection = this;
    return item;
}

void TCollection::InsertItem(std::unique_ptr<TCollectionItem> Item)
{
    TCollectionItem* item = Item.get();
    item->m_id = m_nextID++;
    m_items.push_back(std::move(Item));
    Notify(item, cnAdded);
    Changed();
}

TCollectionItem* TCollection::Add()
{
    std::unique_ptr<TCollectionItem> item = CreateItem();
    TCollectionItem* result = item.get();
    InsertItem(std::move(item));
    return result;
}

TCollectionItem* TCollection::Insert(int Index)
{
    // Checked first: a bad index must not leave a new item at the end.
    if (Index < 0 || Index > Count())
        IndexError(Index);
    TCollectionItem* item = Add();
    item->SetIndex(Index);
    return item;
}

void TCollection::Delete(int Index)
{
    TCollectionItem* item = Items(Index);
    // As on the platform: "deleting", then "extracting" as it leaves the list.
    // Notify may have moved or removed items: look the item up again each time.
    Notify(item, cnDeleting);
    if (IndexOf(item) < 0)
        return;
    Notify(item, cnExtracting);
    const int at = IndexOf(item);
    if (at < 0)
        return;
    std::unique_ptr<TCollectionItem> owned = std::move(m_items[static_cast<std::size_t>(at)]);
    m_items.erase(m_items.begin() + at);
    owned.reset();
    Changed();
}

void TCollection::Clear()
{
    if (m_items.empty())
        return;
    TUpdateScope scope(*this);
    while (!m_items.empty())
        Delete(Count() - 1);
}

TCollectionItem* TCollection::FindItemID(int ID) const
{
    for (const auto& item : m_items)
        if (item->m_id == ID)
            return item.get();
    return nullptr;
}

void TCollection::MoveItem(int CurIndex, int NewIndex)
{
    if (NewIndex < 0 || NewIndex >= Count())
        IndexError(NewIndex);
    auto first = m_items.begin();
    if (CurIndex < NewIndex)
        std::rotate(first + CurIndex, first + CurIndex + 1, first + NewIndex + 1);
    else
        std::rotate(first + NewIndex, first + CurIndex, first + CurIndex + 1);
}

void TCollection::BeginUpdate()
{
    ++m_updateCount;
}

void TCollection::EndUpdate()
{
    if (m_updateCount == 0)
        return;   // unbalanced; nothing to end
    if (--m_updateCount == 0)
        Changed();
}

void TCollection::Changed()
{
    if (m_updateCount == 0)
        Update(nullptr);
}

void TCollection::Update(TCollectionItem*)
{
}

void TCollection::Notify(TCollectionItem*, TCollectionNotification)
{
}

void TCollection::Assign(TPersistent* Source)
{
    if (Source == this)
        return;
    auto* src = dynamic_cast<TCollection*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    TUpdateScope scope(*this);
    // Build and fill the new items first; only when all of them took their
    // source's values do they replace the old ones.
    std::vector<std::unique_ptr<TCollectionItem>> fresh;
    fresh.reserve(src->m_items.size());
    for (const auto& from : src->m_items) {
        fresh.push_back(CreateItem());
        fresh.back()->Assign(from.get());
    }
    Clear();
    for (auto& item : fresh)
        InsertItem(std::move(item));
}

} // namespace qel
