// The button with a glyph: the glyph beside the caption, greyed when disabled.
#include "platform/controls/Automation.h"
#include "platform/controls/Buttons.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Bitmap.h"

#include "ControlTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace qel {
namespace {

using test::Make;

TEST(BitBtn, ShowsItsGlyphBesideTheCaptionAndGreysItWhenDisabled)
{
    TForm form(nullptr);
    form.SetClientWidth(200);
    form.SetClientHeight(60);
    auto* button = Make<TBitBtn>(&form, 10, 10, 160, 30);
    button->SetCaption("Background");
    TBitmap glyph(20, 12);
    glyph.Canvas()->Brush()->SetColor(clRed);
    glyph.Canvas()->FillRect(Rect(0, 0, 20, 12));
    const auto redPixels = [&] {
        const std::unique_ptr<TBitmap> shot = GrabControl(button);
        int n = 0;
        for (int y = 0; y < shot->Height(); ++y)
            for (int x = 0; x < shot->Width(); ++x)
                n += ColorToRGB(shot->Pixel(x, y)) == RGB(255, 0, 0) ? 1 : 0;
        return n;
    };
    form.Show();
    EXPECT_EQ(redPixels(), 0);
    button->SetGlyph(&glyph);
    EXPECT_EQ(button->Glyph()->Width(), 20);
    EXPECT_GE(redPixels(), 20 * 12);
    button->SetEnabled(false);
    EXPECT_EQ(redPixels(), 0) << "greyed";
    button->SetEnabled(true);
    button->SetGlyph(nullptr);
    EXPECT_TRUE(button->Glyph()->Empty());
    EXPECT_EQ(redPixels(), 0);
    form.Hide();
}

} // namespace
} // namespace qel
