// The picture preview window: its size and status text from the picture, the
// picture drawn at its natural size, and the hourglass while it is built.
#include "preview/PicturePreview.h"

#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/ComCtrls.h"
#include "platform/graphics/Bitmap.h"
#include "printing/PrintControls.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

TEST(PicturePreview, A200By100PictureGivesA245By165WindowAndItsSizeInTheStatusBar)
{
    TBitmap picture(200, 100);
    picture.Canvas()->Brush()->SetColor(clRed);
    picture.Canvas()->FillRect(Rect(0, 0, 200, 100));
    picture.SetPixel(199, 99, clBlue);
    TRect bounds, panel;
    std::string caption, status;
    TCursor cursorShown = crNone;
    TColor corner = clNone, inside = clNone;
    {
        TModalFormHookScope hook([&](TForm& F) {
            auto& form = static_cast<TfmPicturePreview&>(F);
            bounds = form.BoundsRect();
            caption = form.Caption();
            status = form.StatusBar()->Panels()->Items(0)->Text();
            panel = form.PaintPanel()->BoundsRect();
            cursorShown = Screen().Cursor();
            const std::unique_ptr<TBitmap> shot = GrabControl(form.PaintPanel());
            inside = shot->Pixel(10, 10);
            corner = shot->Pixel(199, 99);
            form.Close();
        });
        dxShowPicturePreview(&picture);
    }
    EXPECT_EQ(bounds.Width(), 245);
    EXPECT_EQ(bounds.Height(), 165);
    EXPECT_EQ(caption, "Picture Preview");
    EXPECT_EQ(status, "Width : 200   Height : 100");
    EXPECT_EQ(panel, Bounds(5, 5, 205, 105));
    EXPECT_EQ(inside, clRed);
    EXPECT_EQ(corner, clBlue);
    EXPECT_EQ(cursorShown, crDefault) << "the hourglass goes once the window shows";
    EXPECT_EQ(Screen().Cursor(), crDefault);
}

TEST(PicturePreview, WithoutAPictureItOpensEmptyAndTheHourglassAlwaysGoes)
{
    TfmPicturePreview plain(nullptr);
    EXPECT_EQ(Screen().Cursor(), crHourGlass) << "while it is built";
    const TRect designed = plain.BoundsRect();
    plain.SetPicture(nullptr);
    EXPECT_EQ(plain.BoundsRect(), designed);
    EXPECT_EQ(plain.StatusBar()->Panels()->Items(0)->Text(), "");
    EXPECT_EQ(plain.StatusBar()->Panels()->Items(0)->Width(), 250);
    {
        // Freed without being shown, it still gives the cursor back.
        TfmPicturePreview unshown(nullptr);
    }
    EXPECT_EQ(Screen().Cursor(), crHourGlass) << "the first window's wait goes on";
    TModalFormHookScope hook([](TForm& F) { F.Close(); });
    plain.ShowModal();
    EXPECT_EQ(Screen().Cursor(), crDefault);
}

} // namespace
} // namespace qel
