// Overlays follow the pointer, draw themselves and leave the window under
// them untouched.
#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/OverlayWindow.h"
#include "platform/controls/StdCtrls.h"
#include "platform/graphics/Bitmap.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

TEST(OverlayWindow, FollowsThePointerAndDrawsOnlyItself)
{
    TForm form(nullptr);
    form.SetBounds(50, 50, 300, 200);
    auto* box = new TPaintBox(&form);
    box->SetParent(&form);
    box->SetAlign(alClient);
    box->OnPaint = [box](TObject*) {
        box->Canvas()->Brush()->SetColor(clTeal);
        box->Canvas()->FillRect(box->ClientRect());
    };
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    form.Show();
    edit->SetFocus();
    const auto before = GrabControl(&form);

    TBitmap arrow;
    arrow.SetSize(9, 9);
    arrow.Canvas()->Brush()->SetColor(clRed);
    arrow.Canvas()->FillRect(Rect(0, 0, 9, 9));
    TOverlayWindow overlay(nullptr);
    overlay.SetImage(&arrow);
    overlay.SetHotSpot({4, 4});
    overlay.SetFollowPointer(true);
    const TPoint start = box->ClientToScreen({100, 60});
    overlay.ShowAt(start);
    EXPECT_TRUE(overlay.Visible());
    EXPECT_EQ(overlay.BoundsRect(), Bounds(start.X - 4, start.Y - 4, 9, 9));

    SimulateMouseMove(box, 150, 90);
    const TPoint moved = box->ClientToScreen({150, 90});
    EXPECT_EQ(overlay.BoundsRect(), Bounds(moved.X - 4, moved.Y - 4, 9, 9));
    EXPECT_EQ(GrabControl(&overlay)->Pixel(4, 4), clRed) << "the overlay draws its image";
    EXPECT_TRUE(GrabControl(&form)->Equals(before.get())) << "nothing was drawn on the window under it";
    EXPECT_TRUE(edit->Focused());

    overlay.SetFollowPointer(false);
    SimulateMouseMove(box, 10, 10);
    EXPECT_EQ(overlay.BoundsRect(), Bounds(moved.X - 4, moved.Y - 4, 9, 9));
    overlay.HideOverlay();
    EXPECT_FALSE(overlay.Visible());
    EXPECT_TRUE(GrabControl(&form)->Equals(before.get()));
}

TEST(OverlayWindow, WithoutAnImageItPaintsThroughOnPaint)
{
    TOverlayWindow line(nullptr);
    line.SetBounds(0, 0, 2, 40);
    line.SetColor(clBlue);
    int paints = 0;
    line.OnPaint = [&](TObject*) { ++paints; };
    line.ShowAt({200, 100});
    const auto picture = GrabControl(&line);
    EXPECT_EQ(picture->Width(), 2);
    EXPECT_EQ(picture->Pixel(1, 39), clBlue);
    EXPECT_GE(paints, 1);
}

} // namespace
} // namespace qel
