// Window features the preview and the dialogs build on: window scroll bars
// of painted controls, system metrics, the pointer position, window shapes,
// and handing a swallowed mouse event to its control.
#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/InputFilter.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/Guards.h"
#include "platform/graphics/Bitmap.h"

#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <algorithm>
#include <memory>
#include <vector>

namespace qel {
namespace {

// A painted control that records its scroll messages and, like the
// preview, moves the bar itself only when asked to.
class ScrollProbe : public TCustomControl {
public:
    explicit ScrollProbe(TComponent* AOwner) : TCustomControl(AOwner) {}
    struct Message {
        TScrollBarKind Kind;
        TScrollCode Code;
        int Pos;
    };
    std::vector<Message> Messages;
    bool Follow = false;

protected:
    void DoScroll(TScrollBarKind Kind, TScrollCode Code, int Pos) override
    {
        Messages.push_back({Kind, Code, Pos});
        if (Follow && Code == scLineDown)
            SetScrollPos(Kind == sbVertical ? SB_VERT : SB_HORZ, GetScrollPos(SB_VERT) + 30);
    }
};

TEST(WindowScrollBars, RangePageAndPositionFollowThePlatformRules)
{
    TForm form(nullptr);
    auto* c = new ScrollProbe(&form);
    c->SetParent(&form);
    c->SetBounds(0, 0, 200, 100);
    auto* child = new TPanel(c);
    child->SetParent(c);
    child->SetAlign(alClient);
    form.Show();

    EXPECT_FALSE(c->ScrollBarVisible(SB_VERT));
    EXPECT_EQ(c->ClientRect(), Rect(0, 0, 200, 100));

    // Page cut to the range, position to Max - Page + 1.
    EXPECT_EQ(c->SetScrollInfo(SB_VERT, {0, 499, 100, 450}), 400);
    TScrollInfo i = c->GetScrollInfo(SB_VERT);
    EXPECT_EQ(i.Page, 100);
    EXPECT_EQ(i.Pos, 400);
    EXPECT_TRUE(c->ScrollBarVisible(SB_VERT));
    EXPECT_TRUE(c->ScrollBarEnabled(SB_VERT));
    // The bar takes its room from the client area; aligned children follow.
    const int sbw = GetSystemMetrics(SM_CXVSCROLL);
    EXPECT_EQ(sbw, 16);
    EXPECT_EQ(c->ClientRect(), Rect(0, 0, 200 - sbw, 100));
    EXPECT_EQ(child->Width(), 200 - sbw);

    EXPECT_EQ(c->SetScrollPos(SB_VERT, -5), 400);
    EXPECT_EQ(c->GetScrollPos(SB_VERT), 0);

    // A page that covers the range hides the bar, or disables it on request.
    c->SetScrollInfo(SB_VERT, {0, 99, 500, 20});
    EXPECT_FALSE(c->ScrollBarVisible(SB_VERT));
    EXPECT_EQ(c->GetScrollInfo(SB_VERT).Page, 100);
    EXPECT_EQ(c->GetScrollPos(SB_VERT), 0);
    EXPECT_EQ(child->Width(), 200);
    c->SetScrollInfo(SB_VERT, {0, 99, 500, 20}, true);
    EXPECT_TRUE(c->ScrollBarVisible(SB_VERT));
    EXPECT_FALSE(c->ScrollBarEnabled(SB_VERT));

    // Both bars leave the corner to neither; inverted ranges and unknown bars are harmless.
    c->SetScrollInfo(SB_HORZ, {10, 5, 0, 7});
    EXPECT_FALSE(c->ScrollBarVisible(SB_HORZ));
    EXPECT_EQ(c->GetScrollInfo(SB_HORZ).Max, 10);
    c->SetScrollInfo(SB_HORZ, {0, 999, 150, 0});
    EXPECT_EQ(c->ClientRect(), Rect(0, 0, 200 - sbw, 100 - GetSystemMetrics(SM_CYHSCROLL)));
    EXPECT_EQ(c->SetScrollInfo(7, {0, 10, 1, 5}), 0);
    EXPECT_EQ(c->GetScrollInfo(7).Max, 0);
    form.Hide();
}

TEST(WindowScrollBars, UserActionsReachTheControlWhichMovesTheThumb)
{
    TForm form(nullptr);
    auto* c = new ScrollProbe(&form);
    c->SetParent(&form);
    c->SetBounds(0, 0, 200, 100);
    form.Show();
    c->SetScrollInfo(SB_VERT, {0, 999, 100, 0});

    // A click on the lower arrow of the real bar: a line down, then the end
    // of scrolling; the position waits for the control.
    const int x = c->ClientWidth() + GetSystemMetrics(SM_CXVSCROLL) / 2;
    SimulateClick(c, x, 97);
    ASSERT_GE(c->Messages.size(), 2u);
    EXPECT_EQ(c->Messages.front().Code, scLineDown);
    EXPECT_EQ(c->Messages.front().Kind, sbVertical);
    EXPECT_EQ(c->Messages.back().Code, scEndScroll);
    EXPECT_EQ(c->GetScrollPos(SB_VERT), 0);

    c->Messages.clear();
    c->Follow = true;
    SimulateClick(c, x, 97);
    EXPECT_EQ(c->GetScrollPos(SB_VERT), 30);

    // Thumb positions arrive clamped; a hidden bar reports nothing.
    c->Messages.clear();
    c->ScrollBarAction(sbVertical, scTrack, 5000);
    ASSERT_EQ(c->Messages.size(), 1u);
    EXPECT_EQ(c->Messages[0].Pos, 900);
    c->ScrollBarAction(sbHorizontal, scLineDown);
    EXPECT_EQ(c->Messages.size(), 1u);
    form.Hide();
}

TEST(WindowScrollBars, ScrollingMovesTheClientAreaAndChildrenOnly)
{
    TForm form(nullptr);
    auto* c = new ScrollProbe(&form);
    c->SetParent(&form);
    c->SetBounds(0, 0, 200, 100);
    auto* child = new TPanel(c);
    child->SetParent(c);
    child->SetBounds(10, 40, 50, 20);
    form.Show();
    c->SetScrollInfo(SB_VERT, {0, 999, 100, 0});
    c->ScrollWindow(0, -25);
    EXPECT_EQ(child->Top(), 15);
    EXPECT_TRUE(c->ScrollBarVisible(SB_VERT));
    EXPECT_EQ(c->ClientRect(), Rect(0, 0, 200 - GetSystemMetrics(SM_CXVSCROLL), 100));
    form.Hide();
}

// A painted control that records the clip box of each paint.
class PaintProbe : public TCustomControl {
public:
    explicit PaintProbe(TComponent* AOwner) : TCustomControl(AOwner) { SetOpaque(true); }
    std::vector<TRect> Clips;

protected:
    void Paint() override
    {
        Clips.push_back(Canvas()->ClipRect());
        Canvas()->Brush()->SetColor(clWhite);
        Canvas()->FillRect(ClientRect());
    }
};

TEST(WindowScrollBars, UpdatePaintsOnlyWhatWasInvalidatedSoScrollingPaintsTheStrip)
{
    TForm form(nullptr);
    auto* c = new PaintProbe(&form);
    c->SetParent(&form);
    c->SetBounds(0, 0, 200, 100);
    c->SetBorderStyle(bsSingle);
    form.Show();
    Application().ProcessMessages();   // on the screen
    c->Clips.clear();
    c->InvalidateRect(Rect(10, 10, 20, 30));
    c->Update();
    ASSERT_EQ(c->Clips.size(), 1u);
    EXPECT_EQ(c->Clips[0], Rect(10, 10, 20, 30));
    c->Clips.clear();
    c->ScrollWindow(0, -25);
    c->Update();
    ASSERT_EQ(c->Clips.size(), 1u);
    EXPECT_EQ(c->Clips[0], Rect(0, c->ClientHeight() - 25, c->ClientWidth(), c->ClientHeight()));
    c->Clips.clear();
    c->Update();
    EXPECT_TRUE(c->Clips.empty()) << "nothing left to paint";
    form.Hide();
}

// The colours down the middle of the vertical bar, top to bottom.
std::vector<TColor> BarColumn(TCustomControl* C)
{
    const std::unique_ptr<TBitmap> picture = GrabControl(C);
    const int x = C->ClientWidth() + GetSystemMetrics(SM_CXVSCROLL) / 2;
    std::vector<TColor> column;
    for (int y = 0; y < C->ClientHeight(); ++y)
        column.push_back(picture->Pixel(x, y));
    return column;
}

bool Holds(const std::vector<TColor>& Colors, TColor Color)
{
    return std::find(Colors.begin(), Colors.end(), ColorToRGB(Color)) != Colors.end();
}

TEST(WindowScrollBars, FlatLooksDrawTheBarsTheirWayAndKeepWhatTheBarsDo)
{
    TForm form(nullptr);
    auto* c = new ScrollProbe(&form);
    c->SetParent(&form);
    c->SetBounds(0, 0, 200, 150);
    form.Show();
    c->SetScrollInfo(SB_VERT, {0, 999, 100, 300});
    c->SetScrollInfo(SB_HORZ, {0, 499, 100, 0});
    const std::vector<TColor> standard = BarColumn(c);

    c->SetScrollBarStyle(sbsFlat);
    EXPECT_EQ(c->ScrollBarStyle(), sbsFlat);
    const std::vector<TColor> flat = BarColumn(c);
    EXPECT_NE(flat, standard);
    EXPECT_TRUE(Holds(flat, clBtnShadow)) << "flat parts carry a shadow frame";
    EXPECT_TRUE(Holds(flat, clBtnFace)) << "the thumb";

    c->SetScrollBarStyle(sbsUltraFlat);
    const std::vector<TColor> ultra = BarColumn(c);
    EXPECT_FALSE(Holds(ultra, clBtnShadow)) << "no edges away from the pointer";
    EXPECT_TRUE(Holds(ultra, clBtnFace));

    // Range, page, position, showing and the user's actions are the bars' own.
    const TScrollInfo i = c->GetScrollInfo(SB_VERT);
    EXPECT_EQ(i.Max, 999);
    EXPECT_EQ(i.Page, 100);
    EXPECT_EQ(i.Pos, 300);
    EXPECT_TRUE(c->ScrollBarVisible(SB_HORZ));
    c->SetScrollInfo(SB_VERT, {0, 99, 500, 0}, true);
    EXPECT_TRUE(c->ScrollBarVisible(SB_VERT));
    EXPECT_FALSE(c->ScrollBarEnabled(SB_VERT));
    c->SetScrollInfo(SB_VERT, {0, 999, 100, 0});
    SimulateClick(c, c->ClientWidth() + GetSystemMetrics(SM_CXVSCROLL) / 2, c->ClientHeight() - 3);
    ASSERT_GE(c->Messages.size(), 2u);
    EXPECT_EQ(c->Messages.front().Code, scLineDown);
    EXPECT_EQ(c->Messages.back().Code, scEndScroll);

    c->SetScrollBarStyle(sbsStandard);
    c->SetScrollInfo(SB_VERT, {0, 999, 100, 300});
    EXPECT_EQ(BarColumn(c), standard);
    form.Hide();
}

TEST(WindowFeatures, MetricsPointerAndWindowShape)
{
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), Screen().Width());
    EXPECT_EQ(GetSystemMetrics(SM_NETWORK), 0) << "no network printer connection here";
    EXPECT_EQ(GetSystemMetrics(SM_MOUSEWHEELPRESENT), 1) << "headless, a wheel is assumed";
    EXPECT_EQ(GetSystemMetrics(9999), 0);

    SetCursorPos(123, 45);
    EXPECT_EQ(GetCursorPos(), Point(123, 45));
    TForm form(nullptr);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(10, 10, 50, 50);
    form.Show();
    SimulateMouseMove(panel, 5, 7);
    EXPECT_EQ(GetCursorPos(), panel->ClientToScreen({5, 7}));

    TRegion shape;
    EXPECT_FALSE(panel->GetWindowRgn(shape));
    const TRegion ellipse = TRegion::CreateEllipse({0, 0, 50, 50});
    panel->SetWindowRgn(&ellipse);
    ASSERT_TRUE(panel->GetWindowRgn(shape));
    EXPECT_TRUE(shape == ellipse);
    EXPECT_FALSE(shape.Contains({1, 1}));
    panel->SetWindowRgn(nullptr);
    EXPECT_FALSE(panel->GetWindowRgn(shape));
    form.Hide();
}

TEST(WindowFeatures, AFormShowsTheIconItWasGivenAndForgetsItWhenCleared)
{
    TForm form(nullptr);
    EXPECT_TRUE(form.Icon() == nullptr || form.Icon()->Empty());
    TBitmap picture(16, 16);
    picture.Canvas()->Brush()->SetColor(clRed);
    picture.Canvas()->FillRect(Rect(0, 0, 16, 16));
    TIcon icon;
    icon.Assign(&picture);
    form.SetIcon(&icon);
    picture.Canvas()->Brush()->SetColor(clBlue);
    picture.Canvas()->FillRect(Rect(0, 0, 16, 16));
    icon.Assign(&picture);
    ASSERT_NE(form.Icon(), nullptr);
    EXPECT_EQ(form.Icon()->Width(), 16);
    EXPECT_FALSE(form.Widget()->windowIcon().isNull());
    const QImage shown = form.Widget()->windowIcon().pixmap(16, 16).toImage();
    EXPECT_EQ(shown.pixelColor(8, 8), QColor(Qt::red)) << "a copy: later changes of the caller's icon do not show";
    form.SetIcon(nullptr);
    EXPECT_TRUE(form.Icon()->Empty());
    EXPECT_TRUE(form.Widget()->windowIcon().isNull());
}

TEST(WindowFeatures, SwallowedMouseEventsCanBeHandedToTheControl)
{
    TForm form(nullptr);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(10, 10, 80, 40);
    auto* popup = new TPopupMenu(&form);
    panel->SetPopupMenu(popup);
    int popups = 0;
    auto previous = TPopupMenu::SetPopupHook([&](TPopupMenu&, int, int) { ++popups; });
    Finally restore([&] { TPopupMenu::SetPopupHook(previous); });
    std::vector<TPoint> ups;
    panel->OnMouseUp = [&](TObject*, TMouseButton b, TShiftState, int x, int y) {
        if (b == mbRight)
            ups.push_back({x, y});
    };
    form.Show();
    {
        // What the context-menu manager does: the control sees its release, then the manager's menu shows.
        TInputFilterScope filter([&](const TInputEvent& e) {
            if (e.Kind != iekMouseUp || e.Button != mbRight || e.Target != panel)
                return false;
            DeliverInputEvent(e);
            popup->Popup(e.ScreenPos.X, e.ScreenPos.Y);
            return true;
        });
        SimulateClick(panel, 7, 8, mbRight);
    }
    ASSERT_EQ(ups.size(), 1u);
    EXPECT_EQ(ups[0], Point(7, 8));
    EXPECT_EQ(popups, 1) << "only the manager's menu, no second one from the platform";

    TInputEvent none;
    DeliverInputEvent(none);
    form.Hide();
}

} // namespace
} // namespace qel
