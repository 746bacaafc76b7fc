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

} // namespace
} // namespace qel
