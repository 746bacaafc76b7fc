// The memory dataset's record order: ids survive the order being written
// out, and no number that is not a live record's id finds a slot.
#include "platform/data/RecordOrder.h"

#include <gtest/gtest.h>

#include <vector>

namespace qel::test {
namespace {

void Append(TRecordOrder& Order, TRecordOrder::TSlot Slot)
{
    Order.Reserve(Slot, Order.Count());
    Order.Add(Slot, Order.Count());
}

TEST(RecordOrder, IdsStayTheSameWhenTheOrderIsWrittenOutAndFindOnlyLiveRecords)
{
    TRecordOrder order;
    for (TRecordOrder::TSlot s = 0; s < 5; ++s)
        Append(order, s);
    std::vector<TRecordOrder::TId> ids;
    for (TRecordOrder::TSlot s = 0; s < 5; ++s)
        ids.push_back(order.IdOf(s));
    auto rejects = [&](const char* What) {
        for (const TRecordOrder::TId id : {TRecordOrder::TId{-1}, TRecordOrder::TId{0}, TRecordOrder::TId{3},
                                           ids[2] + 1, ids[2] + (TRecordOrder::TId{1} << 32), ids[4] + 1})
            EXPECT_EQ(order.Find(id), TRecordOrder::NoSlot) << What << " " << id;
    };
    rejects("appended only");

    order.Remove(1);   // writes the order out
    EXPECT_EQ(order.Find(ids[1]), TRecordOrder::NoSlot);
    for (const TRecordOrder::TSlot s : {0u, 2u, 3u, 4u}) {
        EXPECT_EQ(order.IdOf(s), ids[s]);
        EXPECT_EQ(order.Find(ids[s]), s);
    }
    rejects("written out");

    // The freed slot holds a new record with a new id, later than every other.
    order.Reserve(1, 0);
    order.Add(1, 0);
    EXPECT_EQ(order.SlotAt(0), 1u);
    EXPECT_GT(order.IdOf(1), ids[4]);
    EXPECT_EQ(order.Find(ids[1]), TRecordOrder::NoSlot);
    EXPECT_EQ(order.PosOf(4, -1), 4);
    EXPECT_EQ(order.Snapshot(), (std::vector<TRecordOrder::TSlot>{1, 0, 2, 3, 4}));

    // After a clear, the same slots get ids no earlier bookmark had.
    order.Clear();
    Append(order, 0);
    for (const TRecordOrder::TId id : ids)
        EXPECT_EQ(order.Find(id), TRecordOrder::NoSlot);
    EXPECT_EQ(order.Find(order.IdOf(0)), 0u);
}

} // namespace
} // namespace qel::test
