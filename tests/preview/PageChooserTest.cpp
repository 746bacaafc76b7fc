// The multiple-page chooser scripted through the modal-form hook: growing
// within the maxima, choosing by mouse and by keys, cancelling every way,
// opening up and to the left near the screen's corner, and a popup freed
// while it runs.
#include "preview/PageChooser.h"

#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/graphics/Bitmap.h"

#include "ScreenTestSupport.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

struct Chosen {
    bool ok;
    int rows, columns;
};

// Runs the chooser at Pos with Script driving it.
Chosen Choose(TPoint Pos, int Rows, int Columns, int MaxRows, int MaxColumns,
              std::function<void(TfmPageChooser&)> Script)
{
    TModalFormHookScope hook([&](TForm& F) { Script(static_cast<TfmPageChooser&>(F)); });
    Chosen c{false, Rows, Columns};
    c.ok = dxChooseMultiplePages(nullptr, 0, Pos, c.rows, c.columns, MaxRows, MaxColumns, 22);
    return c;
}

// The centre of a grid cell counted from the anchored corner (cells are 26 x 26 without pictures).
TPoint CellCentre(TfmPageChooser& C, int Column, int Row)
{
    const TCustomControl* g = C.Grid();
    const int x = C.Direction() == TfmPageChooser::dirUpLeft || C.Direction() == TfmPageChooser::dirDownLeft
                      ? g->ClientWidth() - 5 - 26 * Column - 13
                      : 1 + 26 * Column + 13;
    const int y = C.Direction() == TfmPageChooser::dirUpLeft || C.Direction() == TfmPageChooser::dirUpRight
                      ? g->ClientHeight() - 1 - 26 * Row - 13
                      : 1 + 26 * Row + 13;
    return {x, y};
}

TEST(PageChooser, ADragGrowsTheGridOnlyUpToTheMaxima)
{
    int columnsSeen = 0, rowsSeen = 0;
    std::string line;
    const Chosen c = Choose({100, 100}, 1, 1, 2, 3, [&](TfmPageChooser& C) {
        EXPECT_EQ(C.Direction(), TfmPageChooser::dirDownRight);
        EXPECT_EQ(C.BoundsRect().TopLeft(), Point(100, 100));
        TCustomControl* g = C.Grid();
        SimulateMouseDown(g, mbLeft, 10, 10);
        SimulateMouseMove(g, 2000, 2000);
        columnsSeen = C.GridColumns();
        rowsSeen = C.GridRows();
        line = C.LineText();
        const TPoint p = CellCentre(C, 1, 0);
        SimulateMouseMove(g, p.X, p.Y);
        SimulateMouseUp(g, mbLeft, p.X, p.Y);
    });
    EXPECT_EQ(columnsSeen, 3);
    EXPECT_EQ(rowsSeen, 2);
    EXPECT_EQ(line, "2 x 3 Pages");
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.rows, 1);
    EXPECT_EQ(c.columns, 2);
}

TEST(PageChooser, ReleasingOverTheTextLineWithNothingSelectedCancels)
{
    bool noneSelected = false;
    const Chosen c = Choose({100, 100}, 2, 2, 4, 4, [&](TfmPageChooser& C) {
        TCustomControl* g = C.Grid();
        // The button still held from the press that opened it: no tracking,
        // and the line lies past the grid.
        SimulateMouseMove(g, 20, g->ClientHeight() - 6);
        noneSelected = C.SelectedRows() == 0 && C.LineText() == "Cancel";
        SimulateMouseUp(g, mbLeft, 20, g->ClientHeight() - 6);
    });
    EXPECT_TRUE(noneSelected);
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(c.rows, 2) << "left as they were";
    EXPECT_EQ(c.columns, 2);
}

TEST(PageChooser, NearTheBottomRightCornerItOpensUpAndLeftAndArrowsGrowAwayFromTheAnchor)
{
    test::VirtualScreenScope screen(1280, 1024);
    TRect bounds;
    std::string line;
    const Chosen c = Choose({1270, 1000}, 1, 1, 4, 4, [&](TfmPageChooser& C) {
        EXPECT_EQ(C.Direction(), TfmPageChooser::dirUpLeft);
        SimulateKey(VK_LEFT);     // one column, and a row to go with it
        SimulateKey(VK_LEFT);
        SimulateKey(VK_UP);
        SimulateKey(VK_UP);
        SimulateKey(VK_DOWN);     // back one row
        SimulateKey(VK_RIGHT);
        SimulateKey(VK_RIGHT);
        SimulateKey(VK_RIGHT);    // never below one
        SimulateKey(VK_LEFT);
        bounds = C.BoundsRect();
        line = C.LineText();
        SimulateKey(VK_RETURN);
    });
    EXPECT_EQ(bounds.Right, 1280) << "ends at the work area's edge";
    EXPECT_EQ(bounds.Bottom, 1000 - 22) << "above the anchoring control";
    EXPECT_EQ(line, "2 x 2 Pages");
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.rows, 2);
    EXPECT_EQ(c.columns, 2);
}

TEST(PageChooser, EscAPressOutsideLosingActivationOrNoAnswerCancel)
{
    EXPECT_FALSE(Choose({100, 100}, 2, 2, 4, 4, [](TfmPageChooser&) { SimulateKey(VK_ESCAPE); }).ok);
    EXPECT_FALSE(Choose({100, 100}, 2, 2, 4, 4, [](TfmPageChooser& C) {
                     SimulateKey(VK_RIGHT);
                     SimulateMouseDown(C.Grid(), mbLeft, -20, 5);
                 }).ok);
    EXPECT_FALSE(Choose({100, 100}, 2, 2, 4, 4, [](TfmPageChooser&) {
                     SimulateKey(VK_RIGHT);
                     Application().SetActive(false);
                     Application().SetActive(true);
                 }).ok);
    EXPECT_FALSE(Choose({100, 100}, 2, 2, 4, 4, [](TfmPageChooser&) { SimulateKey(VK_RIGHT); }).ok)
        << "a script that leaves it running";
    // Enter with a block chosen by the keys alone.
    const Chosen c = Choose({100, 100}, 3, 1, 4, 4, [](TfmPageChooser&) {
        SimulateKey(VK_DOWN);
        SimulateKey(VK_RETURN);
    });
    EXPECT_TRUE(c.ok);
    EXPECT_EQ(c.rows, 1);
    EXPECT_EQ(c.columns, 1);
}

TEST(PageChooser, SelectedCellsAreHighlightedAndAFreedPopupEndsTheLoop)
{
    TColor first = clNone, outside = clNone;
    Choose({100, 100}, 2, 2, 2, 2, [&](TfmPageChooser& C) {
        TCustomControl* g = C.Grid();
        const TPoint p = CellCentre(C, 0, 0);
        SimulateMouseMove(g, p.X, p.Y);
        const std::unique_ptr<TBitmap> shot = GrabControl(g);
        first = shot->Pixel(p.X, p.Y);
        const TPoint q = CellCentre(C, 1, 1);
        outside = shot->Pixel(q.X, q.Y);
        SimulateKey(VK_ESCAPE);
    });
    EXPECT_EQ(first, ColorToRGB(clHighlight));
    EXPECT_EQ(outside, ColorToRGB(clWindow));

    EXPECT_FALSE(Choose({100, 100}, 2, 2, 2, 2, [](TfmPageChooser& C) { delete &C; }).ok);
    EXPECT_EQ(TControl::CaptureControl(), nullptr);
}

} // namespace
} // namespace qel
