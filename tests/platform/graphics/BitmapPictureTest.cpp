// Bitmaps, icons and pictures: file and stream round trips, bad input, and
// image lists with greyed drawing.
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Picture.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Stream.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace qel {
namespace {

// A 20 x 10 bitmap: red left half, blue right half, one green pixel.
std::unique_ptr<TBitmap> Sample()
{
    auto b = std::make_unique<TBitmap>(20, 10);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clRed);
    c->FillRect({0, 0, 10, 10});
    c->Brush()->SetColor(clBlue);
    c->FillRect({10, 0, 20, 10});
    c->SetPixels(3, 4, clLime);
    return b;
}

TEST(BitmapTest, SizesNewPixelsAndLimits)
{
    TBitmap b;
    EXPECT_TRUE(b.Empty());
    // Drawing on an empty bitmap is a harmless no-op.
    b.Canvas()->Rectangle(0, 0, 10, 10);
    b.Canvas()->TextOut(0, 0, "x");
    EXPECT_EQ(b.Pixel(0, 0), CLR_INVALID);

    b.SetSize(4, 3);
    EXPECT_EQ(b.Pixel(3, 2), clWhite);
    b.SetPixel(1, 1, clRed);
    b.SetSize(6, 6);                      // growing keeps what was there
    EXPECT_EQ(b.Pixel(1, 1), clRed);
    EXPECT_EQ(b.Pixel(5, 5), clWhite);
    b.SetSize(-5, 2);
    EXPECT_TRUE(b.Empty());

    b.SetSize(8, 8);
    EXPECT_EQ(test::MessageOf<EOutOfResources>([&] { b.SetSize(100000, 100000); }),
              "Out of Resources") << "a huge bitmap was allocated";
    EXPECT_EQ(b.Width(), 8);              // unchanged
    int changes = 0;
    b.OnChange = [&](TObject*) { ++changes; };
    b.SetWidth(9);
    EXPECT_EQ(changes, 1);
}

TEST(BitmapTest, FileRoundTripsInBmpAndPng)
{
    test::TempDir dir;
    auto src = Sample();
    for (const char* name : {"a.bmp", "a.png"}) {
        const std::string path = dir.File(name);
        src->SaveToFile(path);
        TBitmap back;
        back.LoadFromFile(path);
        EXPECT_EQ(back.Width(), 20);
        EXPECT_EQ(back.Pixel(0, 0), clRed);
        EXPECT_EQ(back.Pixel(15, 5), clBlue);
        EXPECT_EQ(back.Pixel(3, 4), clLime);
    }
    EXPECT_EQ(test::ReadFileBytes(dir.File("a.bmp")).substr(0, 2), "BM");
    EXPECT_EQ(test::ReadFileBytes(dir.File("a.png")).substr(1, 3), "PNG");
    // Saving an empty bitmap is refused and leaves no file behind.
    TBitmap empty;
    EXPECT_THROW(empty.SaveToFile(dir.File("e.bmp")), EInvalidGraphic);
    EXPECT_FALSE(std::filesystem::exists(dir.File("e.bmp")));
}

TEST(BitmapTest, StreamsReadExactlyTheirOwnBytes)
{
    auto a = Sample();
    TPngImage png;
    png.Assign(a.get());
    png.SetPixel(0, 0, clYellow);
    TMemoryStream s;
    a->SaveToStream(s);
    png.SaveToStream(s);
    s.WriteLE<std::int32_t>(4711);
    s.SetPosition(0);
    TBitmap first, second;
    first.LoadFromStream(s);
    second.LoadFromStream(s);
    EXPECT_EQ(s.ReadLE<std::int32_t>(), 4711);
    EXPECT_EQ(first.Pixel(3, 4), clLime);
    EXPECT_EQ(second.Pixel(0, 0), clYellow);
    EXPECT_TRUE(first.Equals(a.get()));
}

TEST(BitmapTest, CorruptDataRaisesAndKeepsThePicture)
{
    test::TempDir dir;
    auto b = Sample();
    // A BMP header that promises more than there is, and garbage.
    for (const std::string& bytes : {std::string("BM\xff\xff\x00\x00garbagegarbage", 20), std::string("not a picture at all")}) {
        TStringStream s(bytes);
        EXPECT_THROW(b->LoadFromStream(s), EInvalidGraphic);
        EXPECT_EQ(s.Position(), 0);
        EXPECT_EQ(b->Width(), 20);
        EXPECT_EQ(b->Pixel(3, 4), clLime);
    }
    test::WriteFileBytes(dir.File("broken.png"), "\x89PNG\r\n\x1a\n truncated");
    {
        const std::string message = test::MessageOf<EInvalidGraphic>([&] { b->LoadFromFile(dir.File("broken.png")); });
        EXPECT_NE(message.find("broken.png"), std::string::npos) << message;
    }
    EXPECT_THROW(b->LoadFromFile(dir.File("missing.bmp")), EFOpenError);
    EXPECT_EQ(b->Pixel(3, 4), clLime);
}

TEST(BitmapTest, TransparentColourDefaultsToTheBottomLeftPixel)
{
    auto b = Sample();
    b->SetPixel(0, 9, clFuchsia);
    EXPECT_EQ(b->TransparentColor(), clFuchsia);
    b->SetTransparent(true);
    TBitmap target(20, 10);
    target.Canvas()->Brush()->SetColor(clBlack);
    target.Canvas()->FillRect({0, 0, 20, 10});
    target.Canvas()->Draw(0, 0, b.get());
    EXPECT_EQ(target.Pixel(0, 9), clBlack);      // the transparent pixel shows through
    EXPECT_EQ(target.Pixel(0, 0), clRed);
    b->SetTransparentColor(clBlue);
    EXPECT_EQ(b->TransparentMode(), tmFixed);
    target.Canvas()->FillRect({0, 0, 20, 10});
    target.Canvas()->StretchDraw({0, 0, 10, 5}, b.get());
    EXPECT_EQ(target.Pixel(7, 2), clBlack);     // blue half left out, shrunk
    EXPECT_EQ(target.Pixel(2, 2), clRed);
    EXPECT_EQ(target.Pixel(12, 2), clBlack);

    // CopyRect copies between canvases, stretched.
    TBitmap copy(10, 10);
    copy.Canvas()->CopyRect({0, 0, 10, 10}, b->Canvas(), {8, 0, 13, 5});
    EXPECT_EQ(copy.Pixel(0, 0), clRed);
    EXPECT_EQ(copy.Pixel(9, 9), clBlue);
}

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

TEST(ImageListTest, StripsMasksAndNotifications)
{
    TImageList list(10, 10);
    int changes = 0;
    list.OnChange = [&](TObject*) { ++changes; };
    auto strip = Sample();   // 20 wide: two images
    EXPECT_EQ(list.Add(strip.get(), nullptr), 0);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(changes, 1);
    TBitmap img(10, 10);
    img.Canvas()->Brush()->SetColor(clFuchsia);
    img.Canvas()->FillRect({0, 0, 10, 10});
    img.Canvas()->Brush()->SetColor(clGreen);
    img.Canvas()->FillRect({2, 2, 8, 8});
    EXPECT_EQ(list.AddMasked(&img, clFuchsia), 2);
    EXPECT_EQ(list.Add(nullptr, nullptr), -1);

    TBitmap target(30, 30);
    target.Canvas()->Brush()->SetColor(clYellow);
    target.Canvas()->FillRect({0, 0, 30, 30});
    list.Draw(target.Canvas(), 5, 5, 2);
    EXPECT_EQ(target.Pixel(5, 5), clYellow);      // masked out
    EXPECT_EQ(target.Pixel(10, 10), clGreen);
    list.Draw(target.Canvas(), 0, 0, 99);         // out of range: nothing
    list.Draw(target.Canvas(), 0, 0, -1);

    TBitmap got;
    list.GetBitmap(1, &got);
    EXPECT_EQ(got.Width(), 10);
    EXPECT_EQ(got.Pixel(0, 0), clBlue);

    list.BeginUpdate();
    list.Delete(0);
    list.Move(0, 1);
    list.EndUpdate();
    EXPECT_EQ(changes, 3);                        // one notification for the bracket
    EXPECT_THROW(list.Delete(5), EInvalidOperation);
    list.SetWidth(12);                            // resizing empties the list
    EXPECT_EQ(list.Count(), 0);
}

TEST(ImageListTest, DisabledImagesAreDrawnEmbossed)
{
    TImageList list(10, 10);
    TBitmap img(10, 10);
    img.Canvas()->Brush()->SetColor(clWhite);
    img.Canvas()->FillRect({0, 0, 10, 10});
    img.Canvas()->Brush()->SetColor(clRed);
    img.Canvas()->FillRect({2, 2, 6, 6});
    list.Add(&img, nullptr);

    TBitmap target(20, 20);
    target.Canvas()->Brush()->SetColor(clBtnFace);
    target.Canvas()->FillRect({0, 0, 20, 20});
    list.Draw(target.Canvas(), 0, 0, 0, false);
    // The shape in the shadow colour, its highlight one pixel down-right; no red, no white background.
    EXPECT_EQ(target.Pixel(2, 2), ColorToRGB(clBtnShadow));
    EXPECT_EQ(target.Pixel(5, 5), ColorToRGB(clBtnShadow));
    EXPECT_EQ(target.Pixel(6, 6), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(target.Pixel(6, 3), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(target.Pixel(0, 0), ColorToRGB(clBtnFace));
    EXPECT_EQ(target.Pixel(8, 8), ColorToRGB(clBtnFace));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_NE(target.Pixel(x, y), clRed);
}

} // namespace
} // namespace qel
