// Bitmaps: sizes, file and stream round trips, bad input, transparency.
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

} // namespace
} // namespace qel
