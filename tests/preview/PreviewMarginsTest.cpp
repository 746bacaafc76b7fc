// The seven margins: their limits against the page and each other, including
// pages too small for a margin's own minimum; values and pixels on the
// selected page; dragging by simulated mouse; hidden and disabled margins;
// the hint texts in every unit and the hints' timing on the test clock.
#include "PreviewTestSupport.h"

#include "platform/controls/Clock.h"
#include "platform/controls/OverlayWindow.h"
#include "platform/core/Locale.h"
#include "platform/core/MathUtils.h"
#include "preview/detail/PreviewResources.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

using test::PreviewHarness;

struct Limits {
    int Min, Max;
    bool operator==(const Limits&) const = default;
};

Limits LimitsOf(const TdxPreviewMargin* M) { return {M->ActualMinValue(), M->ActualMaxValue()}; }

// Whatever the page leaves: every margin keeps its limits in order, its own
// minimum at 0 or above, its value at its minimum or above and a drag range
// that is not inverted. (A page too small for all minimums together cannot
// also keep every value inside limits that depend on the others.)
void ExpectSound(const TdxPreviewMargins& Margins)
{
    for (int k = 0; k < dxPreviewMarginCount; ++k) {
        const TdxPreviewMargin* m = Margins.Items(static_cast<TdxPreviewMarginType>(k));
        SCOPED_TRACE(TdxPreviewMargin::Caption(m->Kind()));
        EXPECT_GE(m->MinValue(), 0);
        EXPECT_LE(m->ActualMinValue(), m->ActualMaxValue());
        EXPECT_GE(m->Value(), m->MinValue());
        EXPECT_LE(m->MinPixel(), m->MaxPixel());
    }
}

void ExpectWithinLimits(const TdxPreviewMargins& Margins)
{
    for (int k = 0; k < dxPreviewMarginCount; ++k) {
        const TdxPreviewMargin* m = Margins.Items(static_cast<TdxPreviewMarginType>(k));
        SCOPED_TRACE(TdxPreviewMargin::Caption(m->Kind()));
        EXPECT_GE(m->Value(), m->ActualMinValue());
        EXPECT_LE(m->Value(), m->ActualMaxValue());
    }
}

TEST(PreviewMargins, LimitsAgainstThePageAndEachOther)
{
    PreviewHarness h;
    TdxPreview& p = *h.preview;
    p.SetPageCount(1);
    TdxPreviewMargins& m = *p.Margins();
    // A4, 500 x 500 of useful area, header and footer room 127, defaults 254 / 0 / 127.
    EXPECT_EQ(LimitsOf(m.Left()), (Limits{0, 2100 - (0 + 500 + 254)}));
    EXPECT_EQ(LimitsOf(m.Top()), (Limits{127 + 127, 2970 - (254 + 500)}));
    EXPECT_EQ(LimitsOf(m.Right()), (Limits{0, 1346}));
    EXPECT_EQ(LimitsOf(m.Bottom()), (Limits{254, 2216}));
    EXPECT_EQ(LimitsOf(m.Gutter()), (Limits{0, 2100 - (254 + 500 + 254)}));
    EXPECT_EQ(LimitsOf(m.Header()), (Limits{0, 2970 - (254 + 127 + 500)}));
    EXPECT_EQ(LimitsOf(m.Footer()), (Limits{0, 2089}));
    // The bottom's lower limit is kept by the top's upper one: the footer's minimum counts.
    m.Footer()->SetMinValue(300);
    EXPECT_EQ(m.Top()->ActualMaxValue(), 2970 - (427 + 500));
    // A margin's own maximum cuts its limit; MinValue and Value follow it down.
    m.Left()->SetMinValue(400);
    m.Left()->SetMaxValue(300);
    EXPECT_EQ(m.Left()->MinValue(), 300);
    EXPECT_EQ(m.Left()->Value(), 300);
    EXPECT_EQ(m.Left()->ActualMaxValue(), 300);
    m.Left()->SetMaxValue(-7);
    EXPECT_EQ(m.Left()->MaxValue(), -1);
    m.Left()->SetValue(99999);
    EXPECT_EQ(m.Left()->Value(), 1346);
    ExpectSound(m);
    ExpectWithinLimits(m);
}

TEST(PreviewMargins, AHeaderOf200RaisesTheTopTo327AndAFooterTheBottom)
{
    PreviewHarness h;
    TdxPreview& p = *h.preview;
    p.SetPageCount(1);
    std::vector<TdxPreviewMarginType> changed;
    p.OnMarginChanged = [&](TObject*, TdxPreviewMargin* M) { changed.push_back(M->Kind()); };
    int recalculations = 0;
    p.SetOnCalcPageCount([&](TObject*) { ++recalculations; });
    recalculations = 0;
    p.Margins()->Header()->SetValue(200);
    EXPECT_EQ(p.Margins()->Top()->Value(), 327);
    EXPECT_EQ(changed, (std::vector<TdxPreviewMarginType>{pmHeader, pmTop}));
    EXPECT_EQ(recalculations, 1) << "only the page margins change the room for content";
    p.Margins()->Footer()->SetValue(300);
    EXPECT_EQ(p.Margins()->Bottom()->Value(), 427);
    // Inside an update bracket nothing is recalculated until the end.
    recalculations = 0;
    p.BeginUpdate();
    p.Margins()->Left()->SetValue(300);
    p.Margins()->Right()->SetValue(300);
    EXPECT_EQ(recalculations, 0);
    p.EndUpdate();
    EXPECT_EQ(recalculations, 1);
}

TEST(PreviewMargins, PagesTooSmallForAMarginsOwnMinimumNeverInvertItsLimits)
{
    PreviewHarness h;
    TdxPreview& p = *h.preview;
    p.SetPageCount(1);
    TdxPreviewMargins& m = *p.Margins();
    // A gutter of at least 800 fits A4; a page 1500 wide leaves it only 492.
    m.Gutter()->SetMinValue(800);
    ASSERT_EQ(m.Gutter()->Value(), 800);
    p.SetOriginalPageSize({1500, 2970});
    EXPECT_EQ(m.Gutter()->Value(), 800) << "not below its own minimum";
    EXPECT_EQ(LimitsOf(m.Gutter()), (Limits{800, 800}));
    ExpectSound(m);
    ExpectWithinLimits(m);

    // A header of at least 1500 on a page turned to landscape (2100 high).
    PreviewHarness h2;
    TdxPreview& q = *h2.preview;
    q.SetPageCount(1);
    TdxPreviewMargins& n = *q.Margins();
    n.Header()->SetMinValue(1500);
    ASSERT_EQ(n.Top()->Value(), 1627);
    q.SetOrientation(ppoLandscape);
    EXPECT_EQ(n.Header()->Value(), 1500);
    ExpectSound(n);
    // The drag of such a margin stays where it is.
    q.SetSelectedPageIndex(0);
    const int line = n.Header()->ValueToPixel(1500);
    EXPECT_EQ(n.Header()->MinPixel(), line);
    EXPECT_EQ(n.Header()->MaxPixel(), line);

    // No room left: a minimum becomes 0, never negative.
    PreviewHarness h3;
    TdxPreview& r = *h3.preview;
    r.SetPageCount(1);
    TdxPreviewMargins& o = *r.Margins();
    o.Left()->SetMinValue(600);
    r.SetOriginalPageSize({1000, 2970});
    o.Right()->SetMinValue(10);   // the room is 1000 - (600 + 500 + 0) < 0
    EXPECT_EQ(o.Right()->MinValue(), 0);
    o.Right()->SetMinValue(-50);
    EXPECT_EQ(o.Right()->MinValue(), 0);
    ExpectSound(o);
    ExpectSound(o);

    // A header of at least 2000 on a page cut to 2000 high leaves header and footer no room.
    PreviewHarness h4;
    TdxPreview& t = *h4.preview;
    t.SetPageCount(1);
    t.Margins()->Header()->SetMinValue(2000);
    t.SetOriginalPageSize({2100, 2000});
    t.SetMinHeaderSize(100);
    EXPECT_EQ(t.MinHeaderSize(), 0);
    t.SetMinFooterSize(100);
    EXPECT_EQ(t.MinFooterSize(), 0);
    ExpectSound(*t.Margins());
}

TEST(PreviewMargins, LinesSitOnTheSelectedPageAndTheGutterShiftsTheLeftOne)
{
    PreviewHarness h(1000, 1200);
    TdxPreview& p = *h.preview;
    p.SetPageCount(2);
    p.SetSelectedPageIndex(0);
    const TRect page = p.PageBounds(0);
    TdxPreviewMargins& m = *p.Margins();
    EXPECT_EQ(m.Left()->LineRect(), Rect(page.Left + 96, page.Top, page.Left + 97, page.Bottom));
    EXPECT_EQ(m.Right()->LineRect().Left, page.Right - 1 - 96);
    EXPECT_EQ(m.Bottom()->LineRect().Top, page.Bottom - 1 - 96);
    EXPECT_EQ(m.Header()->LineRect().Top, page.Top + 48);
    m.Gutter()->SetValue(100);
    EXPECT_EQ(m.Left()->LineRect().Left, page.Left + MulDiv(354, 96, 254));
    EXPECT_EQ(m.Gutter()->LineRect().Left, page.Left + MulDiv(100, 96, 254));
    // Where both lie close, the left margin wins the hit test over the gutter.
    m.Gutter()->SetValue(0);
    m.Left()->SetValue(5);
    TdxPreviewMargin* hit = nullptr;
    const TdxPreviewHitTests hits = p.HitTest({page.Left + 1, page.Top + 300}, &hit);
    EXPECT_EQ(hit, m.Left());
    EXPECT_TRUE(hits.Contains(phtPage));
    EXPECT_TRUE(hits.Contains(phtMarginLeft));
    // Values and pixels: the line's own pixel is the value, others go
    // through the zoom (at 50 %, 10 pixels further stand for 53 tenths).
    p.SetZoomFactor(50);
    const int at = m.Top()->ValueToPixel(m.Top()->Value());
    EXPECT_EQ(at, p.PageBounds(0).Top + 48);
    EXPECT_EQ(m.Top()->PixelToValue(at), 254);
    EXPECT_EQ(m.Top()->PixelToValue(at + 10), 307);
    // Not on another page; nothing outside the client area.
    EXPECT_EQ(p.HitTest({-5, 5}), TdxPreviewHitTests{});
}

struct DragHarness : PreviewHarness {
    TdxPreviewMargin* margin;
    std::vector<std::string> events;
    DragHarness(TdxPreviewMarginType Kind) : PreviewHarness(1000, 1200)
    {
        preview->SetPageCount(1);
        margin = preview->Margins()->Items(Kind);
        preview->OnBeforeDragMargin = [this](TObject*, TdxPreviewMargin*) { events.push_back("before"); };
        preview->OnDragMargin = [this](TObject*, TdxPreviewMargin* M) {
            events.push_back("drag " + std::to_string(M->DragPos()));
        };
        preview->OnAfterDragMargin = [this](TObject*, TdxPreviewMargin*) { events.push_back("after"); };
    }
    int Line() const { return margin->ValueToPixel(margin->Value()); }
    int Across() const { return preview->PageBounds(0).Left + 300; }
};

TEST(PreviewMarginDrag, ABottomDragStopsAtTheLimitAndCommitsWhereItIsReleased)
{
    DragHarness h(pmBottom);
    TdxPreview& p = *h.preview;
    const int line = h.Line();
    SimulateMouseDown(&p, mbLeft, h.Across(), line + 2);
    ASSERT_EQ(p.DraggingMargin(), h.margin);
    EXPECT_TRUE(p.MouseCapture());
    EXPECT_EQ(p.Cursor(), detail::PreviewCursor(detail::crdxPreviewHorzMargin));
    // The dragged line is an overlay across the page at the drag position.
    TOverlayWindow* overlay = p.MarginDragLine();
    ASSERT_TRUE(overlay && overlay->Visible());
    EXPECT_EQ(overlay->Top(), p.ClientToScreen({0, line}).Y);
    EXPECT_EQ(overlay->Height(), 1);

    // Far up: the line stops at the pixel of the upper limit.
    SimulateMouseMove(&p, h.Across(), line - 5000);
    const int top = h.margin->MinPixel();
    EXPECT_EQ(h.margin->DragPos(), top);
    EXPECT_EQ(overlay->Top(), p.ClientToScreen({0, top}).Y);
    SimulateMouseMove(&p, h.Across(), line - 6000);   // the same clamped place: no event
    ASSERT_NE(p.MarginHintWindow(), nullptr);
    EXPECT_EQ(p.MarginHintWindow()->Caption(), "Bottom Margin: 221,6 mm");
    EXPECT_EQ(h.events, (std::vector<std::string>{"before", "drag " + std::to_string(line), "drag " + std::to_string(top)}));
    SimulateMouseUp(&p, mbLeft, h.Across(), line - 6000);
    EXPECT_EQ(h.margin->Value(), 2216);
    EXPECT_EQ(h.events.back(), "after");
    EXPECT_EQ(p.DraggingMargin(), nullptr);
    EXPECT_EQ(p.MarginDragLine(), nullptr);
    EXPECT_EQ(p.MarginHintWindow(), nullptr);
    EXPECT_FALSE(p.MouseCapture());
}

TEST(PreviewMarginDrag, ReleasedWherePressedOrCancelledTheValueStays)
{
    DragHarness h(pmLeft);
    TdxPreview& p = *h.preview;
    h.margin->SetValue(250);   // between pixels: a round trip through pixels would change it
    const int line = h.Line();
    const int y = p.PageBounds(0).Top + 200;
    SimulateMouseDown(&p, mbLeft, line + 1, y);
    SimulateMouseMove(&p, line + 40, y);
    SimulateMouseMove(&p, line + 1, y);
    SimulateMouseUp(&p, mbLeft, line + 1, y);
    EXPECT_EQ(h.margin->Value(), 250);

    // Esc ends a drag without a value; so does another button.
    SimulateMouseDown(&p, mbLeft, line, y);
    SimulateMouseMove(&p, line + 40, y);
    SimulateKey(VK_ESCAPE);
    EXPECT_EQ(p.DraggingMargin(), nullptr);
    EXPECT_FALSE(p.MouseCapture());
    EXPECT_EQ(h.margin->Value(), 250);
    EXPECT_EQ(h.events.back(), "after");
    SimulateMouseDown(&p, mbLeft, line, y);
    SimulateMouseMove(&p, line + 40, y);
    SimulateMouseDown(&p, mbRight, line + 40, y);
    EXPECT_EQ(p.DraggingMargin(), nullptr);
    EXPECT_EQ(h.margin->Value(), 250);
    SimulateMouseUp(&p, mbRight, line + 40, y);
    SimulateMouseUp(&p, mbLeft, line + 40, y);
    EXPECT_EQ(h.margin->Value(), 250);

    // A drag released elsewhere commits the pixel's value.
    SimulateMouseDown(&p, mbLeft, line, y);
    SimulateMouseMove(&p, line + 48, y);
    SimulateMouseUp(&p, mbLeft, line + 48, y);
    EXPECT_EQ(h.margin->Value(), h.margin->PixelToValue(line + 48));
    EXPECT_EQ(h.margin->Value(), MulDiv(MulDiv(line + 48 - p.PageBounds(0).Left, 100, 100), 254, 96));
}

TEST(PreviewMarginDrag, HiddenMarginsAreNotThereDisabledOnesCannotBeDragged)
{
    DragHarness h(pmTop);
    TdxPreview& p = *h.preview;
    const int line = h.Line();
    const TRect page = p.PageBounds(0);
    const auto pixelAtLine = [&] { return GrabControl(&p)->Pixel(page.Left + 301, line); };
    const TColor withLine = pixelAtLine();
    EXPECT_NE(withLine, ColorToRGB(clWindow));

    h.margin->SetEnabled(false);
    EXPECT_EQ(pixelAtLine(), withLine) << "drawn";
    EXPECT_EQ(p.HitTest({page.Left + 300, line}), TdxPreviewHitTests{phtPage});
    SimulateMouseMove(&p, page.Left + 300, line);
    EXPECT_NE(p.Cursor(), detail::PreviewCursor(detail::crdxPreviewHorzMargin));
    const int zoom = p.ZoomFactor();
    SimulateClick(&p, page.Left + 300, line);
    EXPECT_EQ(p.DraggingMargin(), nullptr);
    EXPECT_NE(p.ZoomFactor(), zoom) << "a click on the page elsewhere zooms";

    PreviewHarness h2(1000, 1200);
    h2.preview->SetPageCount(1);
    TdxPreviewMargin* top = h2.preview->Margins()->Top();
    const TRect page2 = h2.preview->PageBounds(0);
    const int line2 = top->ValueToPixel(top->Value());
    top->SetVisible(false);
    EXPECT_EQ(GrabControl(h2.preview)->Pixel(page2.Left + 301, line2), ColorToRGB(clWindow)) << "not drawn";
    EXPECT_EQ(h2.preview->HitTest({page2.Left + 300, line2}), TdxPreviewHitTests{phtPage});
    // The options switch every margin.
    h2.preview->SetOptionsView(h2.preview->OptionsView() - TdxPreviewOptionsView{povMargins});
    EXPECT_FALSE(h2.preview->Margins()->Left()->Visible());
    h2.preview->SetOptionsBehavior({});
    EXPECT_FALSE(h2.preview->Margins()->Left()->Enabled());
}

TEST(PreviewHints, UnitTextsUseTheLocalesSeparator)
{
    LocaleScope german;
    EXPECT_EQ(PreviewUnitText(254, pmuCentimeters), "2,54 cm");
    EXPECT_EQ(PreviewUnitText(254, pmuMillimeters), "25,4 mm");
    EXPECT_EQ(PreviewUnitText(254, pmuPoints), "72 pt");
    EXPECT_EQ(PreviewUnitText(254, pmuInches), "1 \"");
    EXPECT_EQ(PreviewUnitText(127, pmuPicas), "3 pi");
    EXPECT_EQ(PreviewUnitText(100, pmuInches), "0,39 \"");
    EXPECT_EQ(PreviewUnitText(254, pmuDefault), "25,4 mm") << "a metric locale";
    TFormatSettings us = DefaultFormatSettings();
    us.DecimalSeparator = '.';
    us.MeasureMetric = false;
    LocaleScope english(us);
    EXPECT_EQ(PreviewUnitText(254, pmuCentimeters), "2.54 cm");
    EXPECT_EQ(PreviewUnitText(127, pmuDefault), "0.5 \"");
    PreviewHarness h;
    h.preview->SetMeasurementUnits(pmuCentimeters);
    EXPECT_EQ(h.preview->PageSizeText(), "21 cm x 29.7 cm");
}

TEST(PreviewHints, AMarginHintComesAfterHalfASecondAndGoesAfterTen)
{
    TManualClockScope clock;
    PreviewHarness h(1000, 1200);
    TdxPreview& p = *h.preview;
    p.SetPageCount(1);
    p.SetMeasurementUnits(pmuMillimeters);
    TdxPreviewMargin* left = p.Margins()->Left();
    const int x = left->ValueToPixel(left->Value()), y = p.PageBounds(0).Top + 300;
    SimulateMouseMove(&p, x + 2, y);
    clock.Advance(499);
    EXPECT_EQ(p.MarginHintWindow(), nullptr);
    clock.Advance(1);
    TdxPreviewHintWindow* hint = p.MarginHintWindow();
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->Visible());
    EXPECT_EQ(hint->Caption(), "Left Margin: 25,4 mm");
    // Left of the pointer and below it.
    const TPoint pointer = p.ClientToScreen({x + 2, y});
    EXPECT_EQ(hint->Left(), pointer.X - hint->Width() - 5);
    EXPECT_EQ(hint->Top(), pointer.Y + 5);
    clock.Advance(10000);
    EXPECT_NE(p.MarginHintWindow(), nullptr);
    clock.Advance(500);
    EXPECT_EQ(p.MarginHintWindow(), nullptr) << "10001 ms after it came";

    // A move before the time cancels it; one over the page elsewhere shows nothing.
    SimulateMouseMove(&p, x + 1, y);
    clock.Advance(300);
    SimulateMouseMove(&p, x + 200, y);
    clock.Advance(1000);
    EXPECT_EQ(p.MarginHintWindow(), nullptr);

    // The owner may refuse, and an inactive window shows no hints.
    bool allow = false;
    p.OnCanShowMarginHint = [&](TObject*, bool& Can) { Can = allow; };
    SimulateMouseMove(&p, x + 2, y);
    clock.Advance(600);
    EXPECT_EQ(p.MarginHintWindow(), nullptr);
    allow = true;
    SimulateMouseMove(&p, x + 1, y);
    clock.Advance(600);
    ASSERT_NE(p.MarginHintWindow(), nullptr);
    // Keys and the wheel hide it; losing activation lets the check take it away.
    SimulateKey(&p, VK_MENU);
    EXPECT_EQ(p.MarginHintWindow(), nullptr);
    SimulateMouseMove(&p, x + 2, y);
    clock.Advance(500);
    ASSERT_NE(p.MarginHintWindow(), nullptr);
    Application().SetActive(false);
    clock.Advance(500);
    EXPECT_EQ(p.MarginHintWindow(), nullptr);
    Application().SetActive(true);
    EXPECT_EQ(clock.ActiveTimers(), 0);
}

TEST(PreviewHints, ThePageNumberHintFollowsTheTrackedThumb)
{
    PreviewHarness h(400, 500, false);
    TdxPreview& p = *h.preview;
    p.SetZoomFactor(30);
    p.SetPageCount(20);
    std::vector<std::pair<int, int>> asked;
    p.OnGetPageNumberHint = [&](TObject*, int First, int Last, std::string& Text) {
        asked.emplace_back(First, Last);
        Text += "!";
    };
    EXPECT_EQ(p.PageNumberHintText(), "Page:  1 - 2!");
    const int pitch = p.ZoomedPageSize().Y + p.Gap();
    p.ScrollBarAction(sbVertical, scTrack, pitch * 5);
    ASSERT_NE(p.PageNumberHintWindow(), nullptr);
    EXPECT_EQ(p.PageNumberHintWindow()->Caption(), "Page:  6 - 7!");
    EXPECT_EQ(p.ScrollPos().Y, pitch * 5) << "thumb tracking";
    p.ScrollBarAction(sbVertical, scEndScroll);
    EXPECT_EQ(p.PageNumberHintWindow(), nullptr);
    // Without thumb tracking only the final position moves the view.
    p.SetOptionsBehavior(p.OptionsBehavior() - TdxPreviewOptionsBehavior{pobThumbTracking});
    p.ScrollBarAction(sbVertical, scTrack, 0);
    EXPECT_EQ(p.ScrollPos().Y, pitch * 5);
    EXPECT_EQ(p.PageNumberHintWindow()->Caption(), "Page:  1 - 2!");
    p.ScrollBarAction(sbVertical, scPosition, 0);
    EXPECT_EQ(p.ScrollPos().Y, 0);
}

} // namespace
} // namespace qel
