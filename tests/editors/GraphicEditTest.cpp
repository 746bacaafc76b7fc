// The graphic editor.
#include "EditorTestSupport.h"

#include "editors/GraphicEdit.h"
#include "platform/controls/Automation.h"
#include "platform/controls/Shell.h"
#include "platform/core/Locale.h"
#include "platform/core/Stream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Picture.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

using test::EditorForm;

TEST(GraphicEdit, PictureBytesRoundTripAndKeysEditThePicture)
{
    EditorForm f;
    auto* g = f.StandAlone<TdxInplaceGraphicEdit>();
    TBitmap bmp(4, 3);
    bmp.SetPixel(1, 1, clRed);
    TMemoryStream stream;
    bmp.SaveToStream(stream);
    g->SetEditingValue(Variant(stream.Bytes()));
    EXPECT_EQ(g->Picture()->Width(), 4);
    const Variant back = g->GetEditingValue();
    TdxInplaceGraphicEdit other(nullptr);
    other.SetEditingValue(back);
    EXPECT_EQ(other.Picture()->Bitmap()->Pixel(1, 1), clRed);

    EXPECT_THROW(g->SetEditingValue(Variant("no picture")), Exception);
    EXPECT_EQ(g->Picture()->Width(), 4) << "bad bytes keep the picture";

    SimulateKey('C', {ssCtrl});
    SimulateKey(VK_DELETE);
    EXPECT_TRUE(g->GetEditingValue().IsNull());
    EXPECT_TRUE(g->Modified());
    SimulateKey('V', {ssCtrl});
    EXPECT_EQ(g->Picture()->Width(), 4) << "pasted back from the clipboard";

    EXPECT_EQ(TdxInplaceGraphicEdit::PictureRect(Rect(0, 0, 100, 50), 200, 50, true, true), Bounds(0, 12, 100, 25))
        << "scaled down keeping the proportions";
    EXPECT_EQ(TdxInplaceGraphicEdit::PictureRect(Rect(0, 0, 100, 50), 20, 10, true, true), Bounds(40, 20, 20, 10));
    EXPECT_EQ(TdxInplaceGraphicEdit::PictureRect(Rect(0, 0, 100, 50), 20, 10, false, false), Bounds(0, 0, 20, 10));
}

} // namespace
} // namespace qel
