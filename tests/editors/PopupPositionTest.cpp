// Popup placement inside the work area.
#include "TestSupport.h"

#include "editors/PopupPosition.h"
#include "platform/core/Strings.h"
#include "platform/graphics/Bitmap.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

TEST(PopupPosition, StaysInsideTheWorkAreaNearEachEdge)
{
    const TRect work = Rect(0, 0, 1000, 800);
    struct Row {
        const char* name;
        TPoint p;
        TPoint expected;
    };
    // A 200 x 150 popup under an owner 20 high.
    const Row rows[] = {
        {"middle: unchanged", {400, 300}, {400, 300}},
        {"bottom edge: flips above the owner", {400, 700}, {400, 530}},
        {"right edge: moves left", {900, 300}, {800, 300}},
        {"left edge: moves right", {-50, 300}, {0, 300}},
        {"top edge: never above the work area", {400, -30}, {400, 0}},
        {"bottom-right corner: flips and moves left", {950, 790}, {800, 620}},
        {"exactly fitting at the bottom", {400, 650}, {400, 650}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(AdjustPopupPosition(r.p, 200, 150, 20, work), r.expected) << r.name;

    // Room neither below nor above: the larger side, inside the work area.
    EXPECT_EQ(AdjustPopupPosition({10, 100}, 100, 750, 20, work), Point(10, 50));
    EXPECT_EQ(AdjustPopupPosition({10, 700}, 100, 750, 20, work), Point(10, 0));
    // A work area that does not start at 0 (a task bar on the left and top).
    EXPECT_EQ(AdjustPopupPosition({0, 0}, 100, 100, 20, Rect(60, 30, 1000, 800)), Point(60, 30));
}

} // namespace
} // namespace qel
