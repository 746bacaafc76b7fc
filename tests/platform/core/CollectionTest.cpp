#include "platform/core/Collection.h"
#include "platform/core/Guards.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qel {
namespace {

class TColumnItem : public TCollectionItem {
    QEL_CLASS(TColumnItem)

public:
    using TCollectionItem::TCollectionItem;
    ~TColumnItem() override
    {
        if (freed)
            freed->push_back(caption);
    }

    void SetCaption(const std::string& value)
    {
        caption = value;
        Changed(false);
    }
    void Assign(TPersistent* source) override
    {
        if (auto* src = dynamic_cast<TColumnItem*>(source)) {
            if (src->caption == "poison")
                throw EConvertError("bad caption");
            SetCaption(src->caption);
            return;
        }
        TCollectionItem::Assign(source);
    }

    std::string caption;
    std::vector<std::string>* freed = nullptr;
};

// Records every Update and Notify call.
class TColumns : public TCollection {
    QEL_CLASS(TColumns)

public:
    TColumns()
        : TCollection([](TCollection* c) { return new TColumnItem(c); }, "TColumnItem")
    {
    }
    TColumnItem* Column(int i) const { return static_cast<TColumnItem*>(Items(i)); }
    TColumnItem* AddColumn(const std::string& caption)
    {
        auto* item = static_cast<TColumnItem*>(Add());
        item->caption = caption;
        return item;
    }
    std::vector<std::string> Captions() const
    {
        std::vector<std::string> v;
        for (int i = 0; i < Count(); ++i)
            v.push_back(Column(i)->caption);
        return v;
    }

    std::vector<TCollectionItem*> updates;
    std::vector<std::pair<TCollectionItem*, TCollectionNotification>> notes;

protected:
    void Update(TCollectionItem* item) override { updates.push_back(item); }
    void Notify(TCollectionItem* item, TCollectionNotification action) override
    {
        notes.emplace_back(item, action);
    }
};

using V = std::vector<std::string>;

TEST(Collection, IndexMovesItemsAndIDsStayUniqueAndIncreasing)
{
    TColumns cols;
    auto* a = cols.AddColumn("a");
    auto* b = cols.AddColumn("b");
    auto* c = cols.AddColumn("c");
    EXPECT_EQ(a->ID(), 0);
    EXPECT_EQ(c->ID(), 2);
    a->SetIndex(2);
    EXPECT_EQ(cols.Captions(), (V{"b", "c", "a"}));
    c->SetIndex(0);
    EXPECT_EQ(cols.Captions(), (V{"c", "b", "a"}));
    EXPECT_EQ(b->Index(), 1);
    EXPECT_THROW(b->SetIndex(3), EListError);
    EXPECT_THROW(b->SetIndex(-1), EListError);
    EXPECT_EQ(cols.Captions(), (V{"c", "b", "a"}));

    cols.Delete(cols.IndexOf(b));
    auto* d = cols.AddColumn("d");
    EXPECT_EQ(d->ID(), 3);   // IDs are never reused
    EXPECT_EQ(cols.FindItemID(1), nullptr);
    EXPECT_EQ(cols.FindItemID(3), d);
    EXPECT_EQ(d->Collection(), &cols);
    EXPECT_EQ(d->DisplayName(), "TColumnItem");
}

TEST(Collection, InsertChecksTheIndexBeforeCreating)
{
    TColumns cols;
    cols.AddColumn("a");
    auto* x = static_cast<TColumnItem*>(cols.Insert(0));
    x->caption = "x";
    EXPECT_EQ(cols.Captions(), (V{"x", "a"}));
    EXPECT_EQ(test::MessageOf<EListError>([&] { cols.Insert(5); }), "List index out of bounds (5)");
    EXPECT_EQ(cols.Count(), 2);
    EXPECT_THROW(cols.Items(2), EListError);
    EXPECT_THROW(cols.Delete(-1), EListError);
}

TEST(Collection, ChangesReachUpdateAndTheBracketCallsItOnce)
{
    TColumns cols;
    auto* a = cols.AddColumn("a");
    ASSERT_EQ(cols.updates, (std::vector<TCollectionItem*>{nullptr}));
    ASSERT_EQ(cols.notes.size(), 1u);
    EXPECT_EQ(cols.notes[0], std::make_pair(static_cast<TCollectionItem*>(a), cnAdded));
    cols.updates.clear();

    a->SetCaption("A");   // a single item changed
    EXPECT_EQ(cols.updates, (std::vector<TCollectionItem*>{a}));
    cols.updates.clear();

    cols.BeginUpdate();
    {
        TUpdateScope inner(cols);
        cols.AddColumn("b");
        a->SetCaption("A2");
        cols.Delete(0);
    }
    EXPECT_TRUE(cols.updates.empty());
    cols.EndUpdate();
    EXPECT_EQ(cols.updates, (std::vector<TCollectionItem*>{nullptr}));
    cols.EndUpdate();   // unbalanced: ignored
    EXPECT_EQ(cols.UpdateCount(), 0);
    ASSERT_GE(cols.notes.size(), 2u);
    EXPECT_EQ(cols.notes[cols.notes.size() - 2].second, cnDeleting);
    EXPECT_EQ(cols.notes.back().second, cnExtracting);
}

TEST(Collection, ClearAndDestructionFreeItemsNewestFirst)
{
    std::vector<std::string> freed;
    {
        TColumns cols;
        for (const char* s : {"a", "b", "c"})
            cols.AddColumn(s)->freed = &freed;
        cols.updates.clear();
        cols.Clear();
        EXPECT_EQ(freed, (V{"c", "b", "a"}));
        EXPECT_EQ(cols.updates, (std::vector<TCollectionItem*>{nullptr}));   // one Update for the lot
        cols.AddColumn("d")->freed = &freed;
        cols.AddColumn("e")->freed = &freed;
    }
    EXPECT_EQ(freed, (V{"c", "b", "a", "e", "d"}));
}

TEST(Collection, AssignCopiesEveryItemOrNothing)
{
    TColumns src, dst;
    src.AddColumn("x");
    src.AddColumn("y");
    dst.AddColumn("old");
    dst.Assign(&src);
    EXPECT_EQ(dst.Captions(), (V{"x", "y"}));
    EXPECT_NE(dst.Column(0), src.Column(0));

    dst.Assign(&dst);   // self-assignment keeps the items
    EXPECT_EQ(dst.Captions(), (V{"x", "y"}));

    src.AddColumn("poison");
    EXPECT_THROW(dst.Assign(&src), EConvertError);
    EXPECT_EQ(dst.Captions(), (V{"x", "y"}));

    // Items of a class without Assign support name both classes.
    TCollection plain([](TCollection* c) { return new TCollectionItem(c); }, "TCollectionItem");
    plain.Add();
    EXPECT_EQ(test::MessageOf<EConvertError>([&] { dst.Assign(&plain); }),
              "Cannot assign a TCollectionItem to a TColumnItem");
    EXPECT_THROW(dst.Assign(nullptr), EConvertError);
}

} // namespace
} // namespace qel
