// Pictures: loading by extension, icons through streams.
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Picture.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Stream.h"
#include "GraphicsTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>


namespace qel {
namespace {

using test::Sample;

TEST(PictureTest, LoadsByExtensionThroughTheRegistry)
{
    test::TempDir dir;
    auto b = Sample();
    b->SaveToFile(dir.File("p.png"));
    b->SaveToFile(dir.File("p.bmp"));
    b->SaveToFile(dir.File("p.jpg"));
    TPicture pic;
    int changes = 0;
    pic.OnChange = [&](TObject*) { ++changes; };
    pic.LoadFromFile(dir.File("p.png"));
    EXPECT_STREQ(pic.Graphic()->ClassName(), "TPngImage");
    EXPECT_EQ(pic.Width(), 20);
    pic.LoadFromFile(dir.File("p.jpg"));
    EXPECT_STREQ(pic.Graphic()->ClassName(), "TJPEGImage");
    pic.LoadFromFile(dir.File("p.bmp"));
    EXPECT_STREQ(pic.Graphic()->ClassName(), "TBitmap");
    EXPECT_EQ(pic.Bitmap()->Pixel(3, 4), clLime);
    EXPECT_EQ(changes, 3);

    // Unsupported and unknown formats are clear errors; the picture stays.
    test::WriteFileBytes(dir.File("x.wmf"), "whatever");
    EXPECT_EQ(test::MessageOf<EInvalidGraphic>([&] { pic.LoadFromFile(dir.File("x.wmf")); }),
              "Unsupported picture format");
    EXPECT_EQ(test::MessageOf<EInvalidGraphic>([&] { pic.LoadFromFile(dir.File("x.xyz")); }),
              "Unknown picture file extension (.xyz)");
    test::WriteFileBytes(dir.File("bad.png"), "this is no png");
    EXPECT_THROW(pic.LoadFromFile(dir.File("bad.png")), EInvalidGraphic);
    EXPECT_STREQ(pic.Graphic()->ClassName(), "TBitmap");
    EXPECT_EQ(pic.Width(), 20);

    // Copies are independent; asking for an icon replaces the bitmap.
    TPicture other;
    other.Assign(&pic);
    pic.Bitmap()->SetPixel(3, 4, clRed);
    EXPECT_EQ(other.Bitmap()->Pixel(3, 4), clLime);
    EXPECT_TRUE(other.Icon()->Empty());
    EXPECT_NE(TPicture::GraphicFilter().find("*.png"), std::string::npos);
}

TEST(PictureTest, IconsRoundTripThroughStreams)
{
    TBitmap b(16, 16);
    b.Canvas()->Brush()->SetColor(clNavy);
    b.Canvas()->FillRect({0, 0, 16, 16});
    TIcon icon;
    icon.Assign(&b);
    TMemoryStream s;
    icon.SaveToStream(s);
    s.WriteLE<std::uint8_t>(7);
    s.SetPosition(0);
    TIcon back;
    back.LoadFromStream(s);
    EXPECT_EQ(back.Width(), 16);
    EXPECT_EQ(s.ReadLE<std::uint8_t>(), 7);
    EXPECT_THROW(back.SetWidth(4), EInvalidGraphicOperation);
    TBitmap target(16, 16);
    target.Canvas()->Draw(0, 0, &back);
    EXPECT_EQ(target.Pixel(8, 8), clNavy);
}

} // namespace
} // namespace qel
