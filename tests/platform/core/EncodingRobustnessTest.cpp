// Encodings at file boundaries: any byte string converts without crashing,
// and what comes out is valid in its own encoding and round-trips from there.
#include "platform/core/Encoding.h"

#include "fuzz/Mutator.h"

#include <gtest/gtest.h>

using namespace qel;

namespace {

void Exercise(const std::string& input)
{
    // Any byte string is some Windows-1252 text and comes back byte for byte.
    const std::string fromCp = Cp1252ToUtf8(input);
    EXPECT_EQ(Utf8ToCp1252(fromCp), input);

    // Bad UTF-8 is replaced, so the UTF-16 result is valid and round-trips.
    const std::u16string wide = Utf8ToUtf16(input);
    const std::string narrow = Utf16ToUtf8(wide);
    EXPECT_EQ(Utf8ToUtf16(narrow), wide);
    EXPECT_EQ(Utf16LEBytesToUtf8(Utf8ToUtf16LEBytes(narrow)), narrow);
    (void)Utf8ToCp1252(input);

    // The bytes as UTF-16LE (lone surrogates, an odd tail): valid UTF-8 out.
    const std::string fromWide = Utf16LEBytesToUtf8(input);
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(fromWide)), fromWide);
    EXPECT_LE(fromWide.size(), input.size() / 2 * 3 + 3);
}

} // namespace

TEST(EncodingRobustness, AnyBytesConvertAndRoundTrip)
{
    test::Mutator mutator({"Grüße €", "日本語 \xF0\x9F\x98\x80", std::string("\x3D\xD8\x00\xDE\x00\xD8\x41\x00", 8),
                           "\xC0\x80\xED\xA0\x80\xF4\x90\x80\x80\xE2\x82"},
                          test::FuzzSeed(1252u),
                          {"\xC3", "\xE2\x82", "\xF0\x9F\x98", "\xED\xA0\x80", "\x80", "\x00\xD8", "\x00\xDC"});
    for (int i = 0; i < test::FuzzIterations(3000); ++i) {
        const std::string input = mutator.Next();
        SCOPED_TRACE("iteration " + std::to_string(i));
        Exercise(input);
        if (::testing::Test::HasFailure())
            break;
    }
}

TEST(EncodingRobustness, KeptInputsConvert)
{
    for (const auto& [name, input] : test::RegressionInputs("encoding")) {
        SCOPED_TRACE(name);
        Exercise(input);
    }
}
