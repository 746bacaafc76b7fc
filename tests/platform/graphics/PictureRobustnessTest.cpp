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

TEST(PictureRobustness, KeptPicturesDecodeOrKeepTheOldOne)
{
    test::TempDir dir;
    for (const auto& [name, input] : test::RegressionInputs("picture")) {
        SCOPED_TRACE(name);
        Exercise(input, &dir);
    }
}

} // namespace qel
