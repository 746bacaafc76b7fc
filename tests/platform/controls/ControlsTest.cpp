// Aligned layout, input reaching controls (filters, key handlers, mouse and
// capture), and painting and pictures of forms.
#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/Clipboard.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Grids.h"
#include "platform/controls/HintWindow.h"
#include "platform/controls/Forms.h"
#include "platform/controls/InputFilter.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"
#include "platform/controls/detail/ControlBridge.h"
#include "platform/core/Guards.h"
#include "platform/graphics/Bitmap.h"

#include "ControlTestSupport.h"
#include "ScreenTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include <memory>
#include <vector>

namespace qel {
namespace {

using test::Make;

TEST(ControlLayout, AlignedChildrenShareTheClientArea)
{
    TForm form(nullptr);
    form.SetClientWidth(400);
    form.SetClientHeight(300);
    auto* top = Make<TPanel>(&form, 0, 0, 50, 30);
    top->SetAlign(alTop);
    auto* bottom = Make<TStatusBar>(&form, 0, 0, 50, 20);   // alBottom by default
    auto* left = Make<TPanel>(&form, 0, 0, 60, 10);
    left->SetAlign(alLeft);
    auto* right = Make<TPanel>(&form, 0, 0, 70, 10);
    right->SetAlign(alRight);
    auto* client = Make<TPanel>(&form, 0, 0, 10, 10);
    client->SetAlign(alClient);

    EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 400, 30));
    EXPECT_EQ(bottom->BoundsRect(), Rect(0, 280, 400, 300));
    EXPECT_EQ(left->BoundsRect(), Rect(0, 30, 60, 280));
    EXPECT_EQ(right->BoundsRect(), Rect(330, 30, 400, 280));
    EXPECT_EQ(client->BoundsRect(), Rect(60, 30, 330, 280));

    // Resizing the form, hiding a child and changing an aligned size re-lay out.
    form.SetClientWidth(500);
    EXPECT_EQ(client->BoundsRect(), Rect(60, 30, 430, 280));
    left->SetVisible(false);
    EXPECT_EQ(client->BoundsRect(), Rect(0, 30, 430, 280));
    top->SetHeight(50);
    EXPECT_EQ(client->BoundsRect(), Rect(0, 50, 430, 280));

    // A panel's border narrows what its own aligned children get.
    client->SetBorderWidth(4);
    auto* inner = Make<TPanel>(client, 0, 0, 5, 5);
    inner->SetAlign(alClient);
    EXPECT_EQ(inner->BoundsRect(), Rect(5, 5, 430 - 5, 230 - 5));

    // An update lock defers the layout to its end.
    {
        TAlignLock lock(form);
        form.SetClientHeight(400);
        EXPECT_EQ(bottom->Top(), 280);
    }
    EXPECT_EQ(bottom->Top(), 380);
}

TEST(ControlInput, FilterSwallowsKeysBeforeTheControl)
{
    TForm form(nullptr);
    auto* edit = Make<TEdit>(&form, 8, 8, 120, 21);
    std::vector<std::uint16_t> keyDowns;
    edit->OnKeyDown = [&](TObject*, std::uint16_t& key, TShiftState) { keyDowns.push_back(key); };
    form.Show();
    edit->SetFocus();

    std::vector<TInputEvent> seen;
    {
        TInputFilterScope filter([&](const TInputEvent& e) {
            seen.push_back(e);
            return e.Kind == iekKeyDown && e.Key == 'B';
        });
        SimulateKey('A');
        SimulateKey('B');
        SimulateKey('C');
    }
    EXPECT_EQ(edit->Text(), "ac");
    EXPECT_EQ(keyDowns, (std::vector<std::uint16_t>{'A', 'C'}));
    // Each real event once: down and up for three keys.
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen[2].Kind, iekKeyDown);
    EXPECT_EQ(seen[2].Key, 'B');
    EXPECT_EQ(seen[2].Target, edit);

    // Removed filters see nothing.
    SimulateKey('D');
    EXPECT_EQ(seen.size(), 6u);
    EXPECT_EQ(edit->Text(), "acd");

    // Mouse events carry the target and its client position; a swallowed
    // right-button release gets no context menu.
    auto* panel = Make<TPanel>(&form, 10, 40, 100, 50);
    auto* popup = new TPopupMenu(&form);
    panel->SetPopupMenu(popup);
    int popups = 0;
    auto previous = TPopupMenu::SetPopupHook([&](TPopupMenu&, int, int) { ++popups; });
    Finally restore([&] { TPopupMenu::SetPopupHook(previous); });
    seen.clear();
    {
        TInputFilterScope filter([&](const TInputEvent& e) {
            seen.push_back(e);
            return e.Kind == iekMouseUp && e.Button == mbRight;
        });
        SimulateClick(panel, 5, 6, mbRight);
    }
    EXPECT_EQ(popups, 0);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].Target, panel);
    EXPECT_EQ(seen[0].ClientPos, Point(5, 6));
    SimulateClick(panel, 5, 6, mbRight);
    EXPECT_EQ(popups, 1) << "without the filter the panel's popup menu shows";
    EXPECT_EQ(popup->PopupComponent(), panel);
    form.Hide();
}

TEST(ControlInput, KeyHandlersFilterAndPreviewCharacters)
{
    TForm form(nullptr);
    auto* edit = Make<TEdit>(&form, 8, 8, 120, 21);
    // Digits only; '.' becomes ','.
    edit->OnKeyPress = [](TObject*, TKeyChar& key) {
        if (key == U'.')
            key = U',';
        else if (key >= 0x20 && (key < U'0' || key > U'9'))
            key = 0;
    };
    std::string previewed;
    form.SetKeyPreview(true);
    form.OnKeyPress = [&](TObject*, TKeyChar& key) { previewed += KeyCharToUtf8(key); };
    form.Show();
    edit->SetFocus();
    SimulateText("1a2.5");
    EXPECT_EQ(edit->Text(), "12,5");
    EXPECT_EQ(previewed, "1a2.5");

    // The form's key preview can take a key away from the control.
    form.OnKeyDown = [](TObject*, std::uint16_t& key, TShiftState) {
        if (key == VK_BACK)
            key = 0;
    };
    SimulateKey(VK_BACK);
    EXPECT_EQ(edit->Text(), "12,5");
    form.Hide();
}

TEST(ControlInput, MenuShortcutsAndMouseCapture)
{
    TForm form(nullptr);
    auto* menu = new TMainMenu(&form);
    auto* file = new TMenuItem(&form);
    file->SetCaption("&File");
    menu->Items()->Add(file);
    auto* print = new TMenuItem(&form);
    print->SetCaption("&Print...");
    print->SetShortCut(TextToShortCut("Ctrl+P"));
    int printed = 0;
    print->OnClick = [&](TObject*) { ++printed; };
    file->Add(print);
    // A punctuation key declared by its text runs its item.
    auto* percent100 = new TMenuItem(&form);
    percent100->SetCaption("Percent &100");
    percent100->SetShortCut(TextToShortCut("Ctrl+\\"));
    int zoomed = 0;
    percent100->OnClick = [&](TObject*) { ++zoomed; };
    file->Add(percent100);
    form.SetMenu(menu);
    EXPECT_EQ(file->Find("print..."), print);
    auto* edit = Make<TEdit>(&form, 8, 8, 120, 21);
    form.Show();
    edit->SetFocus();
    SimulateKey('P', {ssCtrl});
    EXPECT_EQ(printed, 1);
    EXPECT_EQ(edit->Text(), "");
    SimulateKey(VK_OEM_5, {ssCtrl});
    EXPECT_EQ(zoomed, 1);
    EXPECT_EQ(edit->Text(), "");
    print->SetEnabled(false);
    SimulateKey('P', {ssCtrl});
    EXPECT_EQ(printed, 1) << "a disabled item does not run";

    // While a control has the capture, the mouse goes to it; losing the
    // capture to another control is reported.
    struct Tracker : TCustomControl {
        using TCustomControl::TCustomControl;
        std::vector<TPoint> moves;
        int lost = 0;
        void MouseMove(TShiftState, int X, int Y) override { moves.push_back({X, Y}); }
        void MouseCaptureLost() override { ++lost; }
    };
    auto* tracker = new Tracker(&form);
    tracker->SetParent(&form);
    tracker->SetBounds(10, 40, 50, 50);
    auto* other = Make<TPanel>(&form, 100, 40, 50, 50);
    tracker->SetCapture();
    EXPECT_TRUE(tracker->MouseCapture());
    SimulateMouseMove(other, 5, 5);
    ASSERT_EQ(tracker->moves.size(), 1u);
    EXPECT_EQ(tracker->moves[0], Point(95, 5));
    tracker->ReleaseCapture();
    EXPECT_EQ(tracker->lost, 0) << "releasing it yourself is not a loss";
    tracker->SetCapture();
    other->SetCapture();
    EXPECT_EQ(tracker->lost, 1);
    EXPECT_EQ(TControl::CaptureControl(), other);
    other->ReleaseCapture();
    form.Hide();
}

TEST(ControlPainting, FormsRenderToPng)
{
    test::TempDir dir;
    TForm form(nullptr);
    form.SetCaption("Page Setup");
    form.SetClientWidth(320);
    form.SetClientHeight(200);
    form.SetColor(clBtnFace);
    auto* box = Make<TPaintBox>(&form, 10, 10, 100, 60);
    int paints = 0;
    box->OnPaint = [&](TObject*) {
        ++paints;
        TCanvas* c = box->Canvas();
        c->Brush()->SetColor(clRed);
        c->FillRect(Rect(0, 0, 100, 60));
    };
    auto* label = Make<TLabel>(&form, 120, 10, 10, 10);
    label->SetCaption("&Orientation");
    EXPECT_GT(label->Width(), 20) << "an auto-sized label fits its text";
    Make<TButton>(&form, 230, 160, 75, 25)->SetCaption("OK");
    auto* status = Make<TStatusBar>(&form, 0, 0, 10, 19);
    status->Panels()->Add()->SetText("Ready");

    const std::string file = dir.File("form.png");
    SaveControlImage(&form, file);
    TBitmap saved;
    saved.LoadFromFile(file);
    EXPECT_EQ(saved.Width(), form.Width());
    EXPECT_EQ(saved.Height(), form.Height());
    EXPECT_GT(paints, 0);
    EXPECT_EQ(ColorToRGB(saved.Pixel(50, 30)), clRed) << "the paint box painted through its canvas";
    EXPECT_EQ(ColorToRGB(saved.Pixel(200, 100)), ColorToRGB(clBtnFace));

    std::unique_ptr<TBitmap> shot = GrabControl(box);
    EXPECT_EQ(shot->Width(), 100);
    EXPECT_EQ(shot->Height(), 60);
}

} // namespace
} // namespace qel
