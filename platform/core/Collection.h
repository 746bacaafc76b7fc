#pragma once
// TCollection owns a list of TCollectionItem of one item class and tells its
// owner about changes through Update(item).
#include "platform/core/Component.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qel {

class TCollection;

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
    QEL_CLASS(TCollectionItem)

public:
    // Items are created by their collection (TCollection::Add/Insert), which
    // owns them; the constructor only records the collection.
    explicit TCollectionItem(TCollection* Collection);
    ~TCollectionItem() override;

    TCollection* Collection() const { return m_collection; }
    int Index() const;                       // -1 while not in the collection
    virtual void SetIndex(int Value);        // moves the item; EListError when out of range
    int ID() const { return m_id; }          // unique within the collection, never reused
    virtual std::string DisplayName() const; // the class name by default

protected:
    // Tells the collection that this item (or, AllItems, every item) changed;
    // nothing happens inside an update bracket.
    void Changed(bool AllItems);

private:
    friend class TCollection;
    TCollection* m_collection;
    int m_id{-1};
};

class TCollection : public TPersistent {
    QEL_CLASS(TCollection)

public:
    using ItemFactory = std::function<TCollectionItem*(TCollection*)>;

    TCollection(ItemFactory ItemFactory, const char* ItemClassName, TPersistent* Owner = nullptr);
    ~TCollection() override;   // frees the items, newest first

    TPersistent* Owner() const { return m_owner; }
    const char* ItemClassName() const { return m_itemClassName; }

    int Count() const { return static_cast<int>(m_items.size()); }
    TCollectionItem* Items(int Index) const;   // EListError "List index out of bounds (%d)"
    TCollectionItem* Add();
    TCollectionItem* Insert(int Index);        // Index 0..Count; checked before creating
    void Delete(int Index);
    void Clear();
    TCollectionItem* FindItemID(int ID) const;
    int IndexOf(const TCollectionItem* Item) const;

    // The outermost EndUpdate calls Update(nullptr) once.
    // TUpdateScope (Guards.h) brackets a scope.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return m_updateCount; }

    // From another TCollection: one new item per source item, each Assigned
    // from its source. When an item's Assign fails the collection keeps its
    // old items.
    void Assign(TPersistent* Source) override;

protected:
    // Item changed, or nullptr: the whole collection changed.
    virtual void Update(TCollectionItem* Item);
    // cnAdded once an item is in the list; Delete (and Clear) send cnDeleting,
    // then cnExtracting, while the item is still in the list.
    virtual void Notify(TCollectionItem* Item, TCollectionNotification Action);
    // Calls Update(nullptr) unless inside an update bracket.
    void Changed();

private:
    friend class TCollectionItem;
    std::unique_ptr<TCollectionItem> CreateItem();
    void InsertItem(std::unique_ptr<TCollectionItem> Item);
    void MoveItem(int CurIndex, int NewIndex);
    [[noreturn]] static void IndexError(int Index);

    ItemFactory m_factory;
    const char* m_itemClassName;
    TPersistent* m_owner;
    std::vector<std::unique_ptr<TCollectionItem>> m_items;
    int m_nextID{0};
    int m_updateCount{0};
};

} // namespace qel
