// Aligned layout, input reaching controls (filters, key handlers, mouse and
// capture), page control changes, painting and pictures of forms, hints, the
// clipboard, the screen and form placement.
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

#include "ScreenTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include <memory>
#include <vector>

namespace qel {
namespace {

template <class C>
C* Make(TWinControl* parent, int l, int t, int w, int h)
{
    auto* c = new C(parent);
    c->SetParent(parent);
    c->SetBounds(l, t, w, h);
    return c;
}

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

TEST(PageControl, OnChangingCanRefuse)
{
    TForm form(nullptr);
    form.SetClientWidth(300);
    form.SetClientHeight(200);
    auto* pages = Make<TPageControl>(&form, 0, 0, 300, 200);
    std::vector<TTabSheet*> sheets;
    for (const char* caption : {"&General", "&Margins", "&Header"}) {
        auto* sheet = new TTabSheet(&form);
        sheet->SetPageControl(pages);
        sheet->SetCaption(caption);
        sheets.push_back(sheet);
    }
    EXPECT_EQ(pages->ActivePageIndex(), 0);
    bool allow = false;
    std::vector<int> seenDuringChanging;
    int changes = 0;
    pages->OnChanging = [&](TObject*, bool& allowChange) {
        seenDuringChanging.push_back(pages->ActivePageIndex());
        allowChange = allow;
    };
    pages->OnChange = [&](TObject*) { ++changes; };
    form.Show();

    const TRect tab = pages->TabRect(1);
    ASSERT_FALSE(tab.IsEmpty());
    SimulateClick(pages, tab.Left + tab.Width() / 2, tab.Top + tab.Height() / 2);
    EXPECT_EQ(pages->ActivePageIndex(), 0) << "the refusal keeps the page";
    EXPECT_EQ(pages->ActivePage(), sheets[0]);
    EXPECT_EQ(changes, 0);
    ASSERT_EQ(seenDuringChanging.size(), 1u);
    EXPECT_EQ(seenDuringChanging[0], 0) << "OnChanging sees the page being left";

    allow = true;
    SimulateClick(pages, tab.Left + tab.Width() / 2, tab.Top + tab.Height() / 2);
    EXPECT_EQ(pages->ActivePage(), sheets[1]);
    EXPECT_EQ(changes, 1);

    // Accelerators and SelectNextPage ask too; a hidden tab is skipped;
    // setting the page from code asks nobody.
    allow = false;
    SimulateKey('H', {ssAlt});
    EXPECT_EQ(pages->ActivePageIndex(), 1);
    allow = true;
    SimulateKey('H', {ssAlt});
    EXPECT_EQ(pages->ActivePageIndex(), 2);
    sheets[0]->SetTabVisible(false);
    pages->SelectNextPage(true);
    EXPECT_EQ(pages->ActivePageIndex(), 1);
    const std::size_t asked = seenDuringChanging.size();
    pages->SetActivePage(sheets[2]);
    EXPECT_EQ(pages->ActivePage(), sheets[2]);
    EXPECT_EQ(seenDuringChanging.size(), asked);
    EXPECT_TRUE(pages->TabRect(0).IsEmpty());

    // Freeing a sheet takes its tab away.
    delete sheets[1];
    EXPECT_EQ(pages->PageCount(), 2);
    EXPECT_EQ(pages->ActivePage(), sheets[2]);
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

TEST(Controls, ALabelClickedRunsItsOnClick)
{
    TForm form(nullptr);
    auto* label = Make<TLabel>(&form, 10, 10, 80, 16);
    label->SetCaption("Zoom Ste&p:");
    int clicks = 0;
    label->OnClick = [&](TObject*) { ++clicks; };
    form.Show();
    SimulateClick(label, 5, 5);
    EXPECT_EQ(clicks, 1);
    SimulateMouseDown(label, mbLeft, 5, 5);
    SimulateMouseUp(label, mbLeft, 200, 5);
    EXPECT_EQ(clicks, 1) << "released outside it";
    form.Hide();
}

TEST(Controls, StandardControlsKeepTheirState)
{
    TForm form(nullptr);
    auto* check = Make<TCheckBox>(&form, 0, 0, 100, 17);
    int clicks = 0;
    check->OnClick = [&](TObject*) { ++clicks; };
    check->SetChecked(true);
    EXPECT_EQ(clicks, 1) << "setting the state runs OnClick, as on the platform";
    check->SetAllowGrayed(true);
    check->Toggle();
    EXPECT_EQ(check->State(), cbUnchecked);
    check->Toggle();
    EXPECT_EQ(check->State(), cbGrayed);

    auto* combo = Make<TComboBox>(&form, 0, 20, 100, 21);
    combo->SetStyle(csDropDownList);
    TObject tag;
    combo->Items()->AddObject("Portrait", nullptr);
    combo->Items()->AddObject("Landscape", &tag);
    combo->SetItemIndex(1);
    EXPECT_EQ(combo->Text(), "Landscape");
    EXPECT_EQ(combo->Items()->Objects(1), &tag);
    combo->SetItemIndex(7);
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_THROW(combo->Items()->Get(5), EStringListError);

    auto* list = Make<TListBox>(&form, 0, 50, 100, 80);
    list->SetMultiSelect(true);
    list->Items()->SetText("a\r\nb\r\nc");
    list->SetSelected(0, true);
    list->SetSelected(2, true);
    EXPECT_EQ(list->SelCount(), 2);
    EXPECT_THROW(list->Selected(3), EListError);

    auto* memo = Make<TMemo>(&form, 0, 140, 100, 60);
    memo->Lines()->Add("first");
    memo->Lines()->Add("second");
    EXPECT_EQ(memo->Lines()->Count(), 2);
    EXPECT_EQ(memo->Text(), "first\r\nsecond\r\n");

    auto* edit = Make<TEdit>(&form, 0, 210, 100, 21);
    auto* updown = Make<TUpDown>(&form, 0, 0, 16, 21);
    updown->SetMin(1);
    updown->SetMax(3);
    updown->SetAssociate(edit);
    EXPECT_EQ(edit->Text(), "1");
    updown->ClickButton(btNext);
    updown->ClickButton(btNext);
    updown->ClickButton(btNext);
    EXPECT_EQ(updown->Position(), 3);
    updown->SetWrap(true);
    updown->ClickButton(btNext);
    EXPECT_EQ(edit->Text(), "1");
    EXPECT_EQ(updown->Left(), edit->Left() + edit->Width());

    auto* bar = Make<TScrollBar>(&form, 0, 240, 100, 17);
    EXPECT_THROW(bar->SetParams(0, 10, 5), EInvalidOperation);
    bar->SetParams(500, 0, 100);
    EXPECT_EQ(bar->Position(), 100);

    EXPECT_THROW(edit->SetFocus(), EInvalidOperation) << "the form is not shown";
    auto* outer = Make<TPanel>(&form, 0, 0, 50, 50);
    auto* inner = Make<TPanel>(outer, 0, 0, 20, 20);
    EXPECT_THROW(outer->SetParent(inner), EInvalidOperation) << "no cycles in the control tree";
    EXPECT_EQ(inner->Parent(), outer);
}

TEST(Controls, DrawGridMovesTheCurrentCellUnlessRefused)
{
    TForm form(nullptr);
    auto* grid = Make<TDrawGrid>(&form, 0, 0, 200, 100);
    grid->SetColCount(4);
    grid->SetRowCount(10);
    EXPECT_THROW(grid->SetFixedCols(4), EInvalidOperation);
    std::vector<std::pair<int, int>> drawn;
    grid->OnDrawCell = [&](TObject*, int c, int r, TRect, TGridDrawState s) {
        if (s.Contains(gdSelected))
            drawn.push_back({c, r});
    };
    grid->OnSelectCell = [](TObject*, int c, int, bool& canSelect) { canSelect = c != 3; };
    form.Show();
    grid->SetFocus();
    SimulateKey(VK_RIGHT);
    SimulateKey(VK_RIGHT);
    EXPECT_EQ(grid->Col(), 2) << "column 3 refuses";
    SimulateKey(VK_END, {ssCtrl});
    EXPECT_EQ(grid->Row(), 9);
    EXPECT_GT(grid->TopRow(), 1) << "the grid scrolled the current row into view";
    const TRect cell = grid->CellRect(1, grid->TopRow());
    SimulateClick(grid, cell.Left + 2, cell.Top + 2);
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->Row(), grid->TopRow());
    GrabControl(grid);
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn.back(), std::make_pair(1, grid->TopRow()));
    form.Hide();
}

TEST(Controls, DrawGridScrollBarsFollowTheRowsThatDoNotFit)
{
    TForm form(nullptr);
    // Seven 64-pixel rows, three and a half of them in view, no fixed row.
    auto* grid = Make<TDrawGrid>(&form, 0, 0, 4 * 64 + 30, 3 * 64 + 32);
    grid->SetFixedCols(0);
    grid->SetFixedRows(0);
    grid->SetGridLineWidth(0);
    grid->SetDefaultColWidth(64);
    grid->SetDefaultRowHeight(64);
    grid->SetColCount(4);
    grid->SetRowCount(7);
    grid->SetScrollBars(ssVertical);
    form.Show();
    ASSERT_TRUE(grid->ScrollBarVisible(SB_VERT));
    EXPECT_FALSE(grid->ScrollBarVisible(SB_HORZ)) << "only the bar asked for";
    TScrollInfo info = grid->GetScrollInfo(SB_VERT);
    EXPECT_EQ(info.Max, 6);
    EXPECT_EQ(info.Page, 3) << "whole rows only";

    grid->ScrollBarAction(sbVertical, scBottom);
    EXPECT_EQ(grid->TopRow(), 4) << "the last row ends in view, no empty room below it";
    EXPECT_EQ(grid->GetScrollPos(SB_VERT), 4);
    grid->ScrollBarAction(sbVertical, scPageUp);
    EXPECT_EQ(grid->TopRow(), 1);
    SimulateWheel(grid, 120, 10, 10);
    EXPECT_EQ(grid->TopRow(), 0) << "a row a notch";
    SimulateKey(grid, VK_END, {ssCtrl});
    EXPECT_EQ(grid->GetScrollPos(SB_VERT), grid->TopRow()) << "keys move the thumb too";
    EXPECT_GT(grid->TopRow(), 0);

    grid->SetRowCount(3);
    EXPECT_FALSE(grid->ScrollBarVisible(SB_VERT)) << "all rows fit";
    EXPECT_EQ(grid->TopRow(), 0);
    grid->SetRowCount(7);
    EXPECT_TRUE(grid->ScrollBarVisible(SB_VERT));
    grid->SetScrollBars(ssNone);
    EXPECT_FALSE(grid->ScrollBarVisible(SB_VERT));
    form.Hide();
}

TEST(HintWindow, ShowsAtTheMeasuredSizeUntilReleased)
{
    THintWindow hint(nullptr);
    // Headless there is no desktop font for status bars: 8 points.
    TFont desktop;
    EXPECT_FALSE(Screen().GetStatusBarFont(desktop));
    EXPECT_EQ(hint.Font()->Size(), 8);
    const TRect r = hint.CalcHintRect(200, "Left: 12.5 mm");
    EXPECT_GT(r.Width(), 20);
    EXPECT_GT(r.Height(), 5);
    hint.ActivateHint(Bounds(100, 100, r.Width(), r.Height()), "Left: 12.5 mm");
    EXPECT_TRUE(hint.Active());
    EXPECT_EQ(hint.Width(), r.Width());
    hint.ReleaseHandle();
    EXPECT_FALSE(hint.Active());
}

TEST(Clipboard, TextAndPicturesRoundTrip)
{
    test::ClipboardScope clipboard;
    Clipboard().SetAsText("Seite 1");
    EXPECT_EQ(Clipboard().AsText(), "Seite 1");
    EXPECT_TRUE(Clipboard().HasFormat(CF_TEXT));
    // Pictures go through the clipboard with their pixels.
    TBitmap picture(10, 6);
    picture.Canvas()->Brush()->SetColor(clRed);
    picture.Canvas()->FillRect(Rect(0, 0, 10, 6));
    picture.SetPixel(9, 5, clBlue);
    Clipboard().Assign(picture);
    EXPECT_TRUE(Clipboard().HasFormat(CF_BITMAP));
    TBitmap pasted;
    ASSERT_TRUE(Clipboard().GetBitmap(pasted));
    EXPECT_EQ(pasted.Width(), 10);
    EXPECT_EQ(pasted.Height(), 6);
    EXPECT_EQ(ColorToRGB(pasted.Pixel(0, 0)), clRed);
    EXPECT_EQ(ColorToRGB(pasted.Pixel(9, 5)), clBlue);
    Clipboard().Clear();
    EXPECT_FALSE(Clipboard().GetBitmap(pasted));
}

TEST(Screen, ProgramCursorsAreSeeThroughWhereTheirBitmapIsTransparent)
{
    TBitmap arrow(16, 16);
    arrow.Canvas()->Brush()->SetColor(clFuchsia);
    arrow.Canvas()->FillRect(Rect(0, 0, 16, 16));
    arrow.Canvas()->Brush()->SetColor(clBlack);
    arrow.Canvas()->FillRect(Rect(4, 4, 12, 12));
    Screen().SetCursorImage(140, arrow, 8, 8);
    QImage shown = detail::QtCursor(140).pixmap().toImage();
    EXPECT_EQ(qAlpha(shown.pixel(1, 1)), 255) << "a plain bitmap is opaque";
    arrow.SetTransparentColor(clFuchsia);
    Screen().SetCursorImage(140, arrow, 8, 8);
    shown = detail::QtCursor(140).pixmap().toImage();
    EXPECT_EQ(qAlpha(shown.pixel(1, 1)), 0);
    EXPECT_EQ(qAlpha(shown.pixel(8, 8)), 255);
    EXPECT_EQ(detail::QtCursor(140).hotSpot(), QPoint(8, 8));
    Screen().ClearCursorImage(140);
    EXPECT_FALSE(Screen().CursorDefined(140));
}

TEST(Screen, HeadlessDefaultsAndTheCursorGuard)
{
    EXPECT_EQ(Screen().WorkAreaRect(), Rect(0, 0, 1280, 1024));
    {
        TCursorGuard busy(crHourGlass);
        EXPECT_EQ(Screen().Cursor(), crHourGlass);
    }
    EXPECT_EQ(Screen().Cursor(), crDefault);
}

TEST(FormPlacement, CentredOnTheWorkAreaOrTheOwnerForm)
{
    const TRect workArea = Rect(0, 0, 800, 560);
    test::VirtualScreenScope screen(800, 600, &workArea);
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 100);
    form.SetPosition(poScreenCenter);
    form.Show();
    EXPECT_EQ(form.BoundsRect(), Rect(300, 230, 500, 330));
    EXPECT_EQ(Screen().ActiveForm(), &form);
    form.SetWindowState(wsMaximized);
    EXPECT_EQ(form.BoundsRect(), workArea);
    EXPECT_EQ(form.Placement().NormalBounds, Rect(300, 230, 500, 330)) << "the restored rectangle is kept";
    form.SetWindowState(wsNormal);
    EXPECT_EQ(form.BoundsRect(), Rect(300, 230, 500, 330));
    // A dialog owned by the form is centred on it.
    TForm dialog(&form);
    dialog.SetBounds(0, 0, 100, 50);
    dialog.SetPosition(poOwnerFormCenter);
    dialog.Show();
    EXPECT_EQ(dialog.BoundsRect(), Rect(350, 255, 450, 305));
}

} // namespace
} // namespace qel
