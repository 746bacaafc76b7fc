// The picture preview window on a real X server: its client size inside the
// window manager's frame, the picture on the screen, and closing it by the
// window manager.
#include "XTestSupport.h"

#include "platform/controls/Application.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "preview/PicturePreview.h"
#include "printing/PrintControls.h"

#include <gtest/gtest.h>

namespace qel::test {

TEST(PicturePreviewWindow, A200By100PictureShowsIn245By165PixelsInsideTheFrameAndTheWindowManagerClosesIt)
{
    TBitmap picture(200, 100);
    picture.Canvas()->Brush()->SetColor(clRed);
    picture.Canvas()->FillRect(Rect(0, 0, 200, 100));
    picture.SetPixel(199, 99, clBlue);
    bool ran = false, framed = false, drawn = false, closed = false;
    TXRect client{};
    TModalFormHookScope hook([&](TForm& F) {
        ran = true;
        auto& form = static_cast<TfmPicturePreview&>(F);
        ASSERT_TRUE(WaitUntilActive(form));
        const std::uint32_t window = XWindowOf(form);
        client = XInput().Geometry(window);
        for (std::uint32_t top : XInput().Stacking())
            if (top != window && XInput().Holds(top, window)) {
                const TXRect frame = XInput().Geometry(top);
                framed = frame.Width > client.Width && frame.Height > client.Height;
            }
        const auto at = [&](int X, int Y) {
            const TPoint p = OnScreen(form.PaintPanel(), X, Y);
            return XInput().Pixel(p.X, p.Y);
        };
        drawn = WaitUntil([&] { return at(10, 10) == 0xff0000 && at(199, 99) == 0x0000ff; });
        XInput().Key(XK_F4, {XK_Alt_L});
        closed = WaitUntil([&] { return !form.Showing() || form.ModalResult() != mrNone; });
    });
    dxShowPicturePreview(&picture);
    ASSERT_TRUE(ran);
    EXPECT_EQ(client.Width, 245);
    EXPECT_EQ(client.Height, 165);
    EXPECT_EQ(client.X, (Screen().Width() - 245) / 2) << "centred on the screen";
    EXPECT_TRUE(framed) << "the window manager frames it";
    EXPECT_TRUE(drawn) << "the picture at its natural size";
    EXPECT_TRUE(closed) << "Alt+F4 closes it";
}

} // namespace qel::test
