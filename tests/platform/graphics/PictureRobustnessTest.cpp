// Damaged BMP, PNG, JPEG and ICO data: every load either decodes a picture
// within the size limit or raises one of our exceptions, keeping the old
// picture and the stream position.
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Picture.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Stream.h"
#include "TestSupport.h"
#include "fuzz/Mutator.h"
#include "fuzz/PictureSamples.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

using fuzz::PictureSamples;

// Loads the input through every reader; failures keep the old picture.
void Exercise(const std::string& input, const test::TempDir* dir = nullptr)
{
    EXPECT_EQ(fuzz::CheckPictureLoad(input), "");

    if (!dir)
        return;
    for (const char* ext : {"bmp", "png", "jpg", "ico"}) {
        const std::string path = dir->File(std::string("fuzz.") + ext);
        test::WriteFileBytes(path, input);
        TPicture picture;
        picture.Bitmap()->SetSize(2, 2);
        try {
            picture.LoadFromFile(path);
            EXPECT_LE(static_cast<long long>(picture.Width()) * picture.Height(), MaxBitmapPixels);
        } catch (const Exception&) {
            EXPECT_EQ(picture.Width(), 2) << ext;
        }
    }
}

} // namespace

TEST(PictureRobustness, DamagedPicturesDecodeOrKeepTheOldOne)
{
    test::TempDir dir;
    // The mutations start from pictures that load.
    for (const std::string& sample : PictureSamples()) {
        TStringStream s(sample);
        if (sample.compare(0, 4, std::string("\0\0\1\0", 4)) == 0) {
            TIcon icon;
            EXPECT_NO_THROW(icon.LoadFromStream(s));
        } else {
            TBitmap b;
            EXPECT_NO_THROW(b.LoadFromStream(s));
            EXPECT_EQ(b.Width(), 9);
        }
    }
    test::Mutator mutator(PictureSamples(), test::FuzzSeed(1989u),
                          {"BM", "\x89PNG\r\n\x1a\n", "IHDR", "IDAT", "IEND", "\xFF\xD8\xFF", "\xFF\xC0", "\xFF\xDA",
                           std::string("\0\0\1\0", 4), std::string("\x28\0\0\0", 4)});
    for (int i = 0; i < test::FuzzIterations(4000); ++i) {
        const std::string input = mutator.Next();
        SCOPED_TRACE("iteration " + std::to_string(i));
        Exercise(input, i % 10 == 0 ? &dir : nullptr);
        if (::testing::Test::HasFailure())
            break;
    }
}

// Header fields that size the image, at their extremes in each format.
TEST(PictureRobustness, ExtremeSizeFieldsAreRefusedBeforeAllocating)
{
    const std::vector<std::string> samples = PictureSamples();
    const std::uint32_t extremes[] = {0x7FFFFFFFu, 0xFFFFFFFFu, 0x80000000u, 0x00010000u, 0x00004000u};
    // BMP width/height at 18/22, PNG IHDR width/height at 16/20 (big-endian),
    // the icon's first entry offset/size at 18/14 and its BMP sizes beyond.
    const std::pair<std::size_t, std::vector<std::size_t>> fields[] = {
        {0, {2, 10, 14, 18, 22, 28, 34, 46}}, {1, {8, 16, 20}}, {3, {6, 7, 14, 18, 26, 30}}, {4, {10, 18, 22, 46}}};
    for (const auto& [sample, offsets] : fields) {
        for (std::size_t at : offsets) {
            for (std::uint32_t v : extremes) {
                std::string damaged = samples[sample];
                for (int k = 0; k < 4 && at + static_cast<std::size_t>(k) < damaged.size(); ++k)
                    damaged[at + static_cast<std::size_t>(k)] = static_cast<char>((v >> (8 * k)) & 0xFF);
                SCOPED_TRACE("sample " + std::to_string(sample) + " offset " + std::to_string(at));
                Exercise(damaged);
            }
        }
    }
}

// Little-endian fields of a hand-made picture header.
std::string LE(std::uint32_t Value, int Bytes)
{
    std::string out;
    for (int i = 0; i < Bytes; ++i)
        out += static_cast<char>((Value >> (8 * i)) & 0xFF);
    return out;
}

// A BMP with a 40-byte info header and PixelBytes bytes of pixels after it.
std::string Bmp(int Width, int Height, int BitCount, int Compression, const std::string& Pixels)
{
    const int palette = BitCount <= 8 ? 4 << BitCount : 0;
    const std::uint32_t offset = 14 + 40 + static_cast<std::uint32_t>(palette);
    std::string info = LE(40, 4) + LE(static_cast<std::uint32_t>(Width), 4) + LE(static_cast<std::uint32_t>(Height), 4)
                       + LE(1, 2) + LE(static_cast<std::uint32_t>(BitCount), 2)
                       + LE(static_cast<std::uint32_t>(Compression), 4) + LE(static_cast<std::uint32_t>(Pixels.size()), 4)
                       + LE(2835, 4) + LE(2835, 4) + LE(0, 4) + LE(0, 4);
    return "BM" + LE(offset + static_cast<std::uint32_t>(Pixels.size()), 4) + LE(0, 4) + LE(offset, 4) + info
           + std::string(static_cast<std::size_t>(palette), '\x40') + Pixels;
}

std::string RefusalOf(const std::string& Input)
{
    TBitmap bitmap(2, 2);
    TStringStream s(Input);
    try {
        bitmap.LoadFromStream(s);
    } catch (const Exception& e) {
        EXPECT_EQ(s.Position(), 0);
        EXPECT_EQ(bitmap.Width(), 2);
        return e.what();
    }
    return "(loaded " + std::to_string(bitmap.Width()) + " x " + std::to_string(bitmap.Height()) + ")";
}

TEST(PictureRobustness, UncompressedPicturesClaimingMorePixelsThanTheirBytesHoldAreRefused)
{
    const std::string invalid = "Bitmap image is not valid";
    // 78 bytes claiming 4 x 7,800,000 pixels: 125 MB for nothing.
    const std::string hostile = Bmp(4, 7800000, 24, 0, std::string(24, '\x7F'));
    ASSERT_EQ(hostile.size(), 78u);
    EXPECT_EQ(RefusalOf(hostile), invalid);
    EXPECT_EQ(RefusalOf(Bmp(4, -7800000, 32, 3, std::string(24, '\x7F'))), invalid) << "top-down, bit fields";
    EXPECT_EQ(RefusalOf(Bmp(30000, 2000, 1, 0, std::string(64, '\x7F'))), invalid) << "one bit per pixel";
    EXPECT_EQ(RefusalOf(Bmp(3000, 3000, 8, 0, std::string(64, '\x7F'))), invalid) << "palette";
    // The core header of the oldest BMPs: 16-bit sizes.
    const std::string core = "BM" + LE(26 + 12, 4) + LE(0, 4) + LE(26, 4) + LE(12, 4) + LE(4000, 2) + LE(4000, 2)
                             + LE(1, 2) + LE(24, 2) + std::string(12, '\x7F');
    EXPECT_EQ(RefusalOf(core), invalid);
    // Raw formats this system does not read claim sizes in text.
    EXPECT_EQ(RefusalOf("P6\n6000 6000\n255\n" + std::string(64, '\x7F')), invalid);

    // Pictures whose bytes hold what they claim still load, rows padded or not.
    EXPECT_EQ(RefusalOf(Bmp(3, 2, 24, 0, std::string(2 * 12, '\x7F'))), "(loaded 3 x 2)");
    EXPECT_EQ(RefusalOf(Bmp(3, 2, 24, 0, std::string(2 * 9 + 3, '\x7F'))), "(loaded 3 x 2)");
    // A compressed picture may well hold more pixels than bytes: 1000 x 4 from
    // RLE runs of 250 pixels.
    std::string runs;
    for (int row = 0; row < 4; ++row)
        runs += std::string("\xFA\x01\xFA\x02\xFA\x03\xFA\x04", 8) + std::string("\0\0", 2);
    runs += std::string("\0\1", 2);
    EXPECT_EQ(RefusalOf(Bmp(1000, 4, 8, 1, runs)), "(loaded 1000 x 4)");
}

TEST(PictureRobustness, ABudgetBoundsWhatAllPicturesDecodeTogether)
{
    const std::string picture = Bmp(60, 50, 24, 0, std::string(50 * 180, '\x10'));   // 3,000 pixels
    auto load = [&] {
        TBitmap bitmap;
        TStringStream s(picture);
        bitmap.LoadFromStream(s);
    };
    {
        TPictureDecodeBudget budget(7000);
        EXPECT_NO_THROW(load());
        EXPECT_EQ(budget.Remaining(), 4000);
        {
            TPictureDecodeBudget inner(100000);
            EXPECT_NO_THROW(load());
            EXPECT_EQ(inner.Remaining(), 97000);
            EXPECT_EQ(test::MessageOf<EOutOfResources>(load), "Out of Resources") << "the outer budget counts too";
            EXPECT_EQ(inner.Remaining(), 97000) << "a refused picture costs nothing";
        }
        EXPECT_EQ(budget.Remaining(), 1000);
        TIcon icon;
        TBitmap small(40, 40);
        icon.Assign(&small);
        TMemoryStream ico;
        icon.SaveToStream(ico);
        ico.SetPosition(0);
        EXPECT_THROW(icon.LoadFromStream(ico), EOutOfResources) << "icons count as well";
    }
    EXPECT_NO_THROW(load());
    EXPECT_NO_THROW(load());
}

TEST(PictureRobustness, KeptPicturesDecodeOrKeepTheOldOne)
{
    test::TempDir dir;
    for (const auto& [name, input] : test::RegressionInputs("picture")) {
        SCOPED_TRACE(name);
        Exercise(input, &dir);
    }
}

} // namespace qel
