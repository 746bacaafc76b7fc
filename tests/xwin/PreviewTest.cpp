// The page preview on a real X server with a window manager: activation by
// a click, keys and the wheel, the auto-scroll mode with its pointer grab and
// cursors, margin drags with their line and hint, the context menu through
// the printing system's menu manager, and how scrolling repaints.
#include "XTestSupport.h"

#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Menus.h"
#include "platform/controls/OverlayWindow.h"
#include "platform/controls/detail/ControlBridge.h"
#include "platform/core/Guards.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "preview/PageChooser.h"
#include "preview/PopupMenuManager.h"
#include "preview/Preview.h"
#include "preview/detail/PreviewResources.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QFont>
#include <QImage>
#include <QMenu>
#include <QColor>
#include <QPixmap>
#include <QTimer>
#include <QWindow>

#include <memory>

namespace qel::test {

namespace {

class PreviewWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetCaption("Seitenansicht");
        form->SetBounds(120, 80, 720, 620);
        preview = new TdxPreview(form.get());
        preview->SetParent(form.get());
        preview->SetAlign(alClient);
        preview->SetPageCount(12);
        preview->SetZoomFactor(25);
        form->Show();
        ASSERT_TRUE(WaitUntilActive(*form)) << "the window manager gives the new window the focus";
        Settle();
    }
    void TearDown() override { form.reset(); }

    TPoint PageCentre(int Page) const
    {
        const TRect r = preview->PageBounds(Page);
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    void ClickPage(int Page, int Button = 1)
    {
        const TPoint p = OnScreen(preview, PageCentre(Page).X, PageCentre(Page).Y);
        XInput().Click(p.X, p.Y, Button);
        Settle();
    }
    void Key(std::uint32_t Keysym, std::initializer_list<std::uint32_t> Modifiers = {})
    {
        XInput().Key(Keysym, Modifiers);
        Settle();
    }
    void Wheel(int Notches, std::initializer_list<std::uint32_t> Modifiers = {})
    {
        const TPoint p = OnScreen(preview, preview->ClientWidth() / 2, preview->ClientHeight() / 2);
        XInput().Wheel(p.X, p.Y, Notches, Modifiers);
        Settle();
    }

    std::unique_ptr<TForm> form;
    TdxPreview* preview = nullptr;
};

// A colour as the server's pixels hold it.
std::uint32_t Rgb(TColor Color)
{
    const TColor c = ColorToRGB(Color);
    return static_cast<std::uint32_t>(GetRValue(c)) << 16 | static_cast<std::uint32_t>(GetGValue(c)) << 8
           | GetBValue(c);
}

// The screen pixel at a client point of a control.
std::uint32_t ScreenPixel(const TControl* Control, int X, int Y)
{
    const TPoint p = OnScreen(Control, X, Y);
    return XInput().Pixel(p.X, p.Y);
}

// The picture the server shows for a cursor of the program.
bool PointerShows(TCursor Cursor)
{
    const QImage expected =
        detail::QtCursor(Cursor).pixmap().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const TXCursorImage shown = XInput().CursorImage();
    if (shown.Width != expected.width() || shown.Height != expected.height())
        return false;
    for (int y = 0; y < shown.Height; ++y)
        for (int x = 0; x < shown.Width; ++x)
            if (shown.Pixels[static_cast<std::size_t>(y * shown.Width + x)] != expected.pixel(x, y))
                return false;
    return true;
}

// Every menu the program shows, where it showed it, and what is done with
// it once its own loop runs (by default Esc closes it).
class MenuWatch : public QObject {
public:
    explicit MenuWatch(std::function<void(QMenu&)> Action = {}) : m_action(std::move(Action))
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~MenuWatch() override { QCoreApplication::instance()->removeEventFilter(this); }
    const std::vector<TPoint>& Shown() const { return m_shown; }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        auto* menu = qobject_cast<QMenu*>(Watched);
        if (menu && Event->type() == QEvent::Show) {
            m_shown.push_back({menu->x(), menu->y()});
            QTimer::singleShot(0, menu, [this, menu] {
                if (!menu->isVisible())
                    return;
                if (m_action)
                    m_action(*menu);
                else
                    XInput().Key(XK_Escape);
                Settle();
            });
        }
        return false;
    }

private:
    std::function<void(QMenu&)> m_action;
    std::vector<TPoint> m_shown;
};

// Builds the standard way and counts.
struct CountingBuilder : TdxStandardPSPopupMenuBuilder {
    static inline int built = 0;
    TPopupMenu* BuildPopupMenu(TControl* Control, TPopupMenu* Menu) override
    {
        ++built;
        return TdxStandardPSPopupMenuBuilder::BuildPopupMenu(Control, Menu);
    }
};

TfmPageChooser* OpenChooser()
{
    for (int i = 0; i < Screen().FormCount(); ++i)
        if (auto* c = dynamic_cast<TfmPageChooser*>(Screen().Forms(i)); c && c->Showing())
            return c;
    return nullptr;
}

bool OnTheScreen(const TForm& Form)
{
    return Form.Widget()->windowHandle() && Form.Widget()->windowHandle()->isExposed();
}

} // namespace

TEST_F(PreviewWindow, TheClickThatActivatesTheWindowOnlyActivatesIt)
{
    TForm other(nullptr);
    other.SetCaption("Andere");
    other.SetBounds(900, 80, 300, 200);
    other.Show();
    ASSERT_TRUE(WaitUntilActive(other));
    Settle();
    ASSERT_EQ(preview->SelectedPageIndex(), 0);
    ClickPage(1);
    EXPECT_TRUE(WaitUntilActive(*form));
    EXPECT_EQ(preview->SelectedPageIndex(), 0) << "the page under the activating click is not selected";
    EXPECT_TRUE(preview->Focused());
    ClickPage(1);
    EXPECT_EQ(preview->SelectedPageIndex(), 1) << "the next click selects";

    // Nor does it toggle the zoom on the selected page.
    ClickAt(&other, 20, 20);
    ASSERT_TRUE(WaitUntilActive(other));
    ClickPage(1);
    EXPECT_TRUE(WaitUntilActive(*form));
    EXPECT_EQ(preview->ZoomFactor(), 25);
    EXPECT_EQ(preview->SelectedPageIndex(), 1);

    // A window the program itself opens under the pointer takes the first click.
    const TPoint inside = OnScreen(&other, 20, 20);
    other.Hide();
    XInput().MoveTo(inside.X, inside.Y);
    Settle();
    std::vector<bool> activating;
    other.OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
        activating.push_back(other.ClickActivating());
    };
    other.Show();
    ASSERT_TRUE(WaitUntilActive(other));
    Settle();
    XInput().Click(inside.X, inside.Y);
    Settle();
    EXPECT_EQ(activating, std::vector<bool>{false});
    other.Hide();
}

TEST_F(PreviewWindow, KeysMoveTheSelectionAndTheWheelScrollsAndZooms)
{
    ClickPage(1);
    ASSERT_TRUE(preview->Focused());
    ASSERT_EQ(preview->ColumnCount(), 3);
    // Three pages across, twelve in all.
    const std::pair<std::uint32_t, int> moves[] = {{XK_End, 11}, {XK_Prior, 10}, {XK_Left, 9}, {XK_Up, 6},
                                                   {XK_Right, 7}, {XK_Down, 10}, {XK_Home, 0}, {XK_Next, 1}};
    for (const auto& [key, page] : moves) {
        Key(key);
        EXPECT_EQ(preview->SelectedPageIndex(), page) << "after key " << key;
    }

    // Each notch of the wheel scrolls a line, also when several come within
    // a millisecond; with Ctrl each zooms by a step.
    const int top = preview->ScrollPos().Y;
    Wheel(-4);
    EXPECT_EQ(preview->ScrollPos().Y, top + 4 * 30);
    Wheel(4);
    EXPECT_EQ(preview->ScrollPos().Y, top);
    Wheel(3, {XK_Control_L});
    EXPECT_EQ(preview->ZoomFactor(), 55);
    Wheel(-4, {XK_Control_L});
    EXPECT_EQ(preview->ZoomFactor(), 15);
}

TEST_F(PreviewWindow, AutoScrollHoldsThePointerShowsItsCursorsAndEndsByKeyOrButton)
{
    preview->SetZoomFactor(100);
    Settle();
    const TPoint centre = OnScreen(preview, preview->ClientWidth() / 2, preview->ClientHeight() / 2);
    const TCursor both = detail::PreviewCursor(detail::crdxPreviewScrollBoth);
    const TCursor down = detail::PreviewCursor(detail::crdxPreviewScrollDown);

    // A click of the middle button starts the mode, which stays on after the release.
    {
        bool grabbed = false, bothShown = false, downShown = false, scrolled = false;
        TScriptWhen script([&] { return preview->AutoScrolling(); }, [&] {
            grabbed = XInput().PointerGrabbed();
            bothShown = WaitUntil([&] { return PointerShows(both); });
            XInput().MoveTo(centre.X, centre.Y + 80);
            Settle();
            downShown = WaitUntil([&] { return PointerShows(down); });
            const int top = preview->ScrollPos().Y;
            scrolled = WaitUntil([&] { return preview->ScrollPos().Y > top; });
            XInput().MoveTo(centre.X, centre.Y);
            Settle();
            Key(XK_Escape);
        });
        XInput().Click(centre.X, centre.Y, 2);
        ASSERT_TRUE(WaitUntil([&] { return script.Ran(); }));
        Settle();
        EXPECT_TRUE(grabbed) << "the mode holds the pointer";
        EXPECT_TRUE(bothShown) << "the cursor for both directions";
        EXPECT_TRUE(downShown) << "below the indicator, the cursor downwards";
        EXPECT_TRUE(scrolled);
        EXPECT_FALSE(preview->AutoScrolling()) << "Esc ends it";
        EXPECT_FALSE(XInput().PointerGrabbed());
        EXPECT_FALSE(PointerShows(both));
    }

    // Released after the pointer moved off the indicator, it ends.
    {
        TScriptWhen script([&] { return preview->AutoScrolling(); }, [&] {
            XInput().MoveTo(centre.X + 80, centre.Y);
            Settle();
            XInput().Release(2);
            Settle();
        });
        XInput().MoveTo(centre.X, centre.Y);
        XInput().Press(2);
        Settle();
        ASSERT_TRUE(WaitUntil([&] { return script.Ran(); }));
        EXPECT_FALSE(preview->AutoScrolling());
        EXPECT_FALSE(XInput().PointerGrabbed());
    }

    // Another press ends it and does nothing else.
    {
        const int selected = preview->SelectedPageIndex();
        TScriptWhen script([&] { return preview->AutoScrolling(); }, [&] {
            const TPoint other = OnScreen(preview, 20, 20);
            XInput().Click(other.X, other.Y);
            Settle();
        });
        XInput().Click(centre.X, centre.Y, 2);
        ASSERT_TRUE(WaitUntil([&] { return script.Ran(); }));
        Settle();
        EXPECT_FALSE(preview->AutoScrolling());
        EXPECT_EQ(preview->SelectedPageIndex(), selected);
        EXPECT_FALSE(XInput().PointerGrabbed());
    }
}

TEST_F(PreviewWindow, AMarginDragShowsTheLineAndTheTopmostHintInTheDesktopsStatusBarFontAndEscCancelsIt)
{
    // What a desktop theme names as its status-bar font.
    const QFont desktops = QApplication::font("QStatusBar");
    QFont status("DejaVu Serif");
    status.setPointSize(13);
    QApplication::setFont(status, "QStatusBar");
    Finally restore([&] { QApplication::setFont(desktops, "QStatusBar"); });

    preview->SetZoomFactor(50);
    Settle();
    TdxPreviewMargin* left = preview->Margins()->Left();
    const int value = left->Value();
    const TRect line = left->LineRect();
    const TPoint start = OnScreen(preview, line.Left, line.Top + line.Height() / 3);
    XInput().MoveTo(start.X, start.Y);
    Settle();
    EXPECT_TRUE(WaitUntil([] { return PointerShows(detail::PreviewCursor(detail::crdxPreviewVertMargin)); }));

    XInput().Press(1);
    Settle();
    ASSERT_EQ(preview->DraggingMargin(), left);
    EXPECT_TRUE(XInput().PointerGrabbed()) << "the drag holds the pointer";
    for (const int dx : {40, 60}) {
        XInput().MoveTo(start.X + dx, start.Y + 10);
        Settle();
        TOverlayWindow* dragged = preview->MarginDragLine();
        TdxPreviewHintWindow* hint = preview->MarginHintWindow();
        ASSERT_TRUE(dragged && hint);
        const TXRect at = XInput().Geometry(XWindowOf(*dragged));
        EXPECT_EQ(at.X, start.X + dx) << "the line follows the pointer";
        EXPECT_EQ(at.Width, 1);
        EXPECT_TRUE(WaitUntil([&] { return XInput().Pixel(at.X, at.Y) == Rgb(preview->MarginColor()); }))
            << "the line is on the screen";
        // The topmost window on the screen is the hint, beside the line at the pointer.
        const std::vector<std::uint32_t> stack = XInput().Stacking();
        ASSERT_FALSE(stack.empty());
        const TXRect h = XInput().Geometry(stack.back());
        EXPECT_EQ(h, (TXRect{hint->Left(), hint->Top(), hint->Width(), hint->Height()}));
        EXPECT_EQ(h.X + h.Width + 5, start.X + dx) << "the left margin's hint stands left of the line";
        EXPECT_EQ(h.Y, start.Y + 10 + 5) << "below the pointer";
        EXPECT_EQ(hint->Font()->Name(), "DejaVu Serif");
        EXPECT_EQ(hint->Font()->Size(), 13);
        EXPECT_EQ(h.Height, hint->Canvas()->TextHeight("0") + 6) << "sized for the desktop's font";
    }
    Key(XK_Escape);
    EXPECT_EQ(preview->DraggingMargin(), nullptr);
    EXPECT_EQ(left->Value(), value) << "Esc cancels";
    EXPECT_EQ(preview->MarginDragLine(), nullptr);
    EXPECT_EQ(preview->MarginHintWindow(), nullptr);
    EXPECT_FALSE(XInput().PointerGrabbed());
    XInput().Release(1);
    Settle();
    EXPECT_EQ(left->Value(), value) << "nor does the release after Esc move it";

    // Released, the drag moves the margin.
    XInput().MoveTo(start.X, start.Y);
    XInput().Press(1);
    XInput().MoveTo(start.X + 30, start.Y);
    XInput().Release(1);
    Settle();
    EXPECT_EQ(left->Value(), left->PixelToValue(left->ValueToPixel(value) + 30));
    EXPECT_FALSE(XInput().PointerGrabbed());
}

TEST_F(PreviewWindow, TheContextMenuKeysAndTheRightButtonShowOneMenuThroughTheManager)
{
    auto* menu = new TPopupMenu(form.get());
    int chosen = 0;
    for (const char* caption : {"Eins", "Zwei"}) {
        auto* item = new TMenuItem(menu);
        item->SetCaption(caption);
        item->OnClick = [&chosen, caption](TObject*) { chosen = caption[0] == 'Z' ? 2 : 1; };
        menu->Items()->Add(item);
    }
    preview->SetPopupMenu(menu);
    dxPSPopupMenuRegister(preview);
    dxPSPopupMenuBuilderRegister(dxPSPopupMenuBuilderClassOf<CountingBuilder>());
    Finally unregister([&] {
        dxPSPopupMenuBuilderUnregister(dxPSPopupMenuBuilderClassOf<CountingBuilder>());
        dxPSPopupMenuUnregister(preview);
    });
    ClickPage(1);
    ASSERT_TRUE(preview->Focused());
    const TPoint origin = OnScreen(preview, 0, 0);

    for (const auto& keys : {std::pair<std::uint32_t, bool>{XK_F10, true}, {XK_Menu, false}}) {
        CountingBuilder::built = 0;
        MenuWatch watch;
        XInput().Key(keys.first, keys.second ? std::initializer_list<std::uint32_t>{XK_Shift_L}
                                             : std::initializer_list<std::uint32_t>{});
        ASSERT_TRUE(WaitUntil([&] { return !watch.Shown().empty() && !QApplication::activePopupWidget(); }));
        Settle();
        EXPECT_EQ(watch.Shown(), std::vector<TPoint>{origin}) << "one menu, at the control's corner";
        EXPECT_EQ(CountingBuilder::built, 1) << "through the manager's builder";
    }

    CountingBuilder::built = 0;
    MenuWatch watch([](QMenu& Shown) {
        for (QAction* a : Shown.actions())
            if (a->text() == "Zwei") {
                const QRect r = Shown.actionGeometry(a);
                const QPoint p = Shown.mapToGlobal(r.center());
                XInput().Click(p.x(), p.y());
            }
    });
    const TPoint at = OnScreen(preview, PageCentre(1).X, PageCentre(1).Y);
    XInput().Click(at.X, at.Y, 3);
    ASSERT_TRUE(WaitUntil([&] { return chosen != 0 && !QApplication::activePopupWidget(); }));
    Settle();
    EXPECT_EQ(watch.Shown(), std::vector<TPoint>{at}) << "one menu, at the pointer";
    EXPECT_EQ(CountingBuilder::built, 1);
    EXPECT_EQ(chosen, 2) << "the item clicked in the real menu runs";
}

TEST_F(PreviewWindow, TheChooserHoldsThePointerPicksWithTheMouseAndAClickElsewhereCancels)
{
    const TPoint anchor = OnScreen(preview, 10, 10);
    int rows = 1, columns = 1;
    bool grabbed = false;
    {
        TScriptWhen script([] { return OpenChooser() && OnTheScreen(*OpenChooser()); }, [&] {
            TfmPageChooser* chooser = OpenChooser();
            grabbed = XInput().PointerGrabbed();
            TControl* grid = chooser->Grid();
            const TPoint first = OnScreen(grid, 10, 10);
            XInput().MoveTo(first.X, first.Y);
            XInput().Press(1);
            Settle();
            // Past the grid's edge the grid grows.
            XInput().MoveTo(first.X + 2 * 26, first.Y + 26);
            Settle();
            EXPECT_EQ(chooser->LineText(), "2 x 3 Pages");
            XInput().Release(1);
            Settle();
        });
        EXPECT_TRUE(dxChooseMultiplePages(nullptr, -1, anchor, rows, columns, 4, 5, 20));
        ASSERT_TRUE(script.Ran());
    }
    EXPECT_TRUE(grabbed) << "the chooser holds the pointer";
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(columns, 3);
    EXPECT_FALSE(XInput().PointerGrabbed());

    TForm other(nullptr);
    other.SetCaption("Andere");
    other.SetBounds(1000, 500, 300, 200);
    other.Show();
    ASSERT_TRUE(WaitUntilActive(other));
    // The focus events of the activation, handled before the chooser opens:
    // one arriving late would deactivate the chooser and cancel it unclicked.
    Settle();
    int clicks = 0;
    other.OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++clicks; };
    {
        TScriptWhen script([] { return OpenChooser() && OnTheScreen(*OpenChooser()); }, [&] {
            const TPoint p = OnScreen(&other, 30, 30);
            XInput().Click(p.X, p.Y);
            Settle();
        });
        EXPECT_FALSE(dxChooseMultiplePages(nullptr, -1, anchor, rows, columns, 4, 5, 20));
        ASSERT_TRUE(script.Ran());
    }
    EXPECT_EQ(OpenChooser(), nullptr);
    EXPECT_EQ(clicks, 0) << "the click that cancels goes to the chooser";
    other.Hide();
}

TEST_F(PreviewWindow, TheFlatLooksDrawTheirBorderAndBarsOnTheScreenAndUltraFlatFramesThePartUnderThePointer)
{
    preview->SetZoomFactor(100);
    Settle();
    ASSERT_TRUE(preview->ScrollBarVisible(SB_VERT));
    const auto shows = [](const TControl* C, int X, int Y, std::uint32_t Rgb) {
        return WaitUntil([&] { return ScreenPixel(C, X, Y) == Rgb; });
    };
    const std::uint32_t face = Rgb(clBtnFace), shadow = Rgb(clBtnShadow);
    const std::uint32_t track = QColor::fromRgb(face).lighter(112).rgb() & 0xffffff;

    preview->SetLookAndFeel(plfFlat);
    Settle();
    // The bar stands right of the client area; its up arrow at the top.
    int bar = preview->ClientWidth();
    const int trackY = preview->ClientHeight() - 24;
    EXPECT_TRUE(shows(preview, -1, 20, shadow)) << "a sunken one-pixel border";
    EXPECT_TRUE(shows(preview, bar, 0, shadow)) << "flat parts have a shadow frame";
    EXPECT_TRUE(shows(preview, bar + 8, trackY, track)) << "on a light track";

    preview->SetLookAndFeel(plfUltraFlat);
    Settle();
    bar = preview->ClientWidth();
    EXPECT_TRUE(shows(preview, bar, 0, face)) << "ultra-flat parts have no frame";
    EXPECT_TRUE(shows(preview, bar + 8, trackY, track));
    const TPoint arrow = OnScreen(preview, bar + 8, 8);
    XInput().MoveTo(arrow.X, arrow.Y);
    Settle();
    EXPECT_TRUE(shows(preview, bar, 0, Rgb(clHighlight))) << "until the pointer is over them";
    const TPoint away = OnScreen(preview, 40, 40);
    XInput().MoveTo(away.X, away.Y);
    Settle();
    EXPECT_TRUE(shows(preview, bar, 0, face));

    preview->SetLookAndFeel(plfStandard);
    Settle();
    EXPECT_FALSE(ScreenPixel(preview, preview->ClientWidth() + 8, trackY) == track) << "the desktop's own bars again";
}

TEST_F(PreviewWindow, AScrollByALinePaintsOnlyTheUncoveredStripAndTheScreenShowsTheWholeView)
{
    preview->SetZoomFactor(100);
    preview->SetFocus();
    Settle();
    std::vector<TRect> clips;
    preview->OnDrawPageContent = [&](TObject*, TCanvas& Canvas, const TRect&, int) { clips.push_back(Canvas.ClipRect()); };
    const int top = preview->ScrollPos().Y;
    Key(XK_Down, {XK_Control_L});
    ASSERT_EQ(preview->ScrollPos().Y, top + 30);
    ASSERT_TRUE(WaitUntil([&] { return !clips.empty(); }));
    for (const TRect& clip : clips)
        EXPECT_GE(clip.Top, preview->ClientHeight() - 30) << "only the strip the scroll uncovered is painted";

    // What moved and what was painted make the view a full paint makes.
    const std::unique_ptr<TBitmap> full = GrabControl(preview);
    const int inset = preview->BorderInset();
    const auto same = [&] {
        for (int y = 5; y < preview->ClientHeight(); y += 37)
            for (int x = 5; x < preview->ClientWidth(); x += 41)
                if (ScreenPixel(preview, x, y) != Rgb(full->Pixel(inset + x, inset + y)))
                    return false;
        return true;
    };
    EXPECT_TRUE(WaitUntil(same));
}

} // namespace qel::test
