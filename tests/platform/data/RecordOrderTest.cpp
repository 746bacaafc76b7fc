// The memory dataset's record order: ids stay the same when the order or
// the id tables are written out, and no number but a live record's id
// finds a slot.
#include "platform/data/RecordOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace qel::test {
namespace {

using TSlot = TRecordOrder::TSlot;
using TId = TRecordOrder::TId;

void Append(TRecordOrder& Order, TSlot Slot)
{
    Order.Reserve(Slot, Order.Count());
    Order.Add(Slot, Order.Count());
}

TEST(RecordOrder, IdsSurviveEveryChangeOfFormAndOnlyLiveOnesFindASlot)
{
    TRecordOrder order;
    for (TSlot s = 0; s < 6; ++s)
        Append(order, s);
    std::vector<TId> ids;
    for (TSlot s = 0; s < 6; ++s)
        ids.push_back(order.IdOf(s));
    for (std::size_t i = 1; i < ids.size(); ++i)
        EXPECT_EQ(ids[i], ids[i - 1] + 1);   // close together, in posting order
    auto expectFound = [&](std::vector<TSlot> Live, const char* What) {
        for (TSlot s = 0; s < 6; ++s) {
            const bool live = std::find(Live.begin(), Live.end(), s) != Live.end();
            EXPECT_EQ(order.IsLive(s), live) << What << " slot " << s;
            EXPECT_EQ(order.Find(ids[s]), live ? s : TRecordOrder::NoSlot) << What << " slot " << s;
            if (live) {
                EXPECT_EQ(order.IdOf(s), ids[s]) << What << " slot " << s;
            }
        }
        const TId last = *std::max_element(ids.begin(), ids.end());
        for (const TId id : {TId{-1}, TId{0}, ids.front() - 1, last + 1, last + (TId{1} << 32)})
            EXPECT_EQ(order.Find(id), TRecordOrder::NoSlot) << What << " " << id;
    };
    expectFound({0, 1, 2, 3, 4, 5}, "appended");

    order.Remove(4);   // the order is written out; slot 4 is free
    order.Remove(1);
    expectFound({0, 2, 3, 5}, "two deleted");
    EXPECT_EQ(order.Snapshot(), (std::vector<TSlot>{0, 2, 3, 5}));

    // A freed slot taken again: the id tables are written out; the new
    // record's id comes after every other, and the old id stays unknown.
    order.Reserve(4, 0);
    order.Add(4, 0);
    const TId newId = order.IdOf(4);
    EXPECT_EQ(newId, ids.back() + 1);
    EXPECT_EQ(order.Find(ids[4]), TRecordOrder::NoSlot);
    ids[4] = newId;
    expectFound({0, 2, 3, 5, 4}, "slot reused, new id");
    EXPECT_EQ(order.Snapshot(), (std::vector<TSlot>{4, 0, 2, 3, 5}));
    EXPECT_EQ(order.PosOf(5, -1), 4);
    EXPECT_EQ(order.PosOf(4, 0), 0);

    // After a clear, the same slots get ids no earlier record had.
    order.Clear();
    Append(order, 0);
    for (const TId id : ids)
        EXPECT_EQ(order.Find(id), TRecordOrder::NoSlot);
    EXPECT_EQ(order.IdOf(0), newId + 1);
    EXPECT_EQ(order.Find(newId + 1), 0u);
}

} // namespace
} // namespace qel::test
