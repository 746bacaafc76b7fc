// Borders of painted controls: drawn by the platform around the client
// area, with the window scroll bars inside them; client coordinates (paint,
// mouse, children, screen mapping) start inside the border.
#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Bitmap.h"

#include <gtest/gtest.h>

#include <vector>

namespace qel {
namespace {

class Painted : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::vector<TPoint> Downs;

protected:
    void Paint() override
    {
        Canvas()->Brush()->SetColor(clYellow);
        Canvas()->FillRect(ClientRect());
    }
    void MouseDown(TMouseButton, TShiftState, int X, int Y) override { Downs.push_back({X, Y}); }
};

struct BorderFixture {
    TForm form{nullptr};
    Painted* c;
    BorderFixture()
    {
        form.SetBounds(0, 0, 300, 200);
        c = new Painted(&form);
        c->SetParent(&form);
        c->SetBounds(10, 10, 120, 80);
        form.Show();
    }
};

TEST(ControlBorder, TheClientAreaShrinksByTheBorderAndTheBars)
{
    BorderFixture f;
    EXPECT_EQ(f.c->BorderStyle(), bsNone);
    EXPECT_EQ(f.c->ClientRect(), Rect(0, 0, 120, 80));
    f.c->SetBorderStyle(bsSingle);
    EXPECT_TRUE(f.c->Ctl3D());
    EXPECT_EQ(f.c->ClientRect(), Rect(0, 0, 116, 76)) << "a 3D border takes 2 pixels a side";
    f.c->SetCtl3D(false);
    EXPECT_EQ(f.c->ClientRect(), Rect(0, 0, 118, 78)) << "a flat border takes 1";
    f.c->SetCtl3D(true);
    f.c->SetScrollInfo(SB_VERT, {0, 999, 10, 0});
    f.c->SetScrollInfo(SB_HORZ, {0, 999, 10, 0});
    const int sb = GetSystemMetrics(SM_CXVSCROLL);
    EXPECT_EQ(f.c->ClientRect(), Rect(0, 0, 116 - sb, 76 - sb));
    f.c->SetClientWidth(100);
    EXPECT_EQ(f.c->Width(), 100 + 4 + sb);
    EXPECT_TRUE(f.c->HandleAllocated());
}

TEST(ControlBorder, ThePlatformDrawsTheBorderAndScrollBarsSitInsideIt)
{
    BorderFixture f;
    f.c->SetBorderStyle(bsSingle);
    f.c->SetCtl3D(false);
    f.c->SetScrollInfo(SB_VERT, {0, 999, 10, 0});
    const int sb = GetSystemMetrics(SM_CXVSCROLL);
    const auto picture = GrabControl(f.c);
    EXPECT_EQ(picture->Pixel(0, 0), ColorToRGB(clWindowFrame));
    EXPECT_EQ(picture->Pixel(119, 40), ColorToRGB(clWindowFrame)) << "the border runs outside the bar";
    EXPECT_EQ(picture->Pixel(1, 1), clYellow) << "Paint fills the client area from its (0, 0)";
    EXPECT_EQ(picture->Pixel(118 - sb, 78), clYellow);
    EXPECT_NE(picture->Pixel(119 - sb, 40), clYellow) << "the bar stands right of the client area";

    f.c->SetCtl3D(true);
    const auto sunken = GrabControl(f.c);
    EXPECT_EQ(sunken->Pixel(0, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(sunken->Pixel(119, 79), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(sunken->Pixel(2, 2), clYellow);
}

TEST(ControlBorder, MouseChildrenAndScreenMappingUseClientCoordinates)
{
    BorderFixture f;
    auto* child = new TPanel(f.c);
    child->SetParent(f.c);
    child->SetBounds(5, 6, 20, 20);
    const TPoint childOnScreen = child->ClientToScreen({0, 0});
    f.c->SetBorderStyle(bsSingle);
    EXPECT_EQ(child->BoundsRect(), Bounds(5, 6, 20, 20)) << "children keep their client position";
    EXPECT_EQ(child->ClientToScreen({0, 0}), (TPoint{childOnScreen.X + 2, childOnScreen.Y + 2}));
    EXPECT_EQ(f.c->ClientToScreen({0, 0}), (TPoint{f.form.ClientToScreen({10, 10}).X + 2,
                                                   f.form.ClientToScreen({10, 10}).Y + 2}));
    EXPECT_EQ(f.c->ScreenToClient(f.c->ClientToScreen({7, 9})), (TPoint{7, 9}));

    SimulateClick(f.c, 40, 30);
    ASSERT_EQ(f.c->Downs.size(), 1u);
    EXPECT_EQ(f.c->Downs[0], (TPoint{40, 30}));

    // Scrolling moves the client area and the children once.
    f.c->ScrollBy(0, -4);
    EXPECT_EQ(child->Top(), 2);
    f.c->SetBorderStyle(bsNone);
    EXPECT_EQ(child->BoundsRect(), Bounds(5, 2, 20, 20));
}

TEST(ControlBorder, APanelsBorderIsTheControlBorder)
{
    TForm form(nullptr);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(0, 0, 100, 50);
    auto* inner = new TPanel(panel);
    inner->SetParent(panel);
    inner->SetAlign(alClient);
    EXPECT_EQ(inner->BoundsRect(), Rect(1, 1, 99, 49)) << "the raised bevel";
    panel->SetBorderStyle(bsSingle);
    panel->SetCtl3D(false);
    EXPECT_EQ(panel->ClientRect(), Rect(0, 0, 98, 48));
    EXPECT_EQ(inner->BoundsRect(), Rect(1, 1, 97, 47)) << "the bevel inside the border";
}

} // namespace
} // namespace qel
