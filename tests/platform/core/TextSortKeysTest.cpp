// Collation keys must order exactly as AnsiCompareText, for plain ASCII
// texts (compared without the collator) and for any other text.
#include "platform/core/Locale.h"
#include "platform/core/TextSortKeys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qel {
namespace {

void ExpectSameOrderAsAnsiCompareText(const std::vector<std::string>& Texts)
{
    TTextSortKeys keys;
    for (const std::string& t : Texts)
        keys.Add(t);
    ASSERT_EQ(keys.Count(), Texts.size());
    for (std::size_t a = 0; a < Texts.size(); ++a)
        for (std::size_t b = 0; b < Texts.size(); ++b)
            ASSERT_EQ(keys.Compare(a, b), AnsiCompareText(Texts[a], Texts[b]))
                << "'" << Texts[a] << "' vs '" << Texts[b] << "'";
}

const std::vector<std::string> kPlain = {
    "abc", "ABD", "ab", "a b", "a  b", "ab ", " ab", "10", "9", "1 0", "Zeta", "zeta", "ZETA", "", " ",
    "abcdefghij", "ABCDEFGHIK", "abcdefgh", "abcdefgh ", "abcdefgh0", "x9", "X10", "0", "a", "A", "z", "Z",
};

TEST(TextSortKeys, PlainTextsOrderAsTheCollator)
{
    ExpectSameOrderAsAnsiCompareText(kPlain);
}

TEST(TextSortKeys, OtherTextsAndMixturesOrderAsTheCollator)
{
    std::vector<std::string> texts = {
        "Äpfel", "äpfel", "Straße", "Strasse", "a-b", "a_b", "a.b", "a\xC2\xAD" "b", "Öl", "oel", "éclair",
        "Eclair", "ĳ", "ij", "a\tb", "€", "$", "ǅ", "ﬁ", "fi", "İ", "ı", "日本", "Ω", "ω",
    };
    // The plain texts before and after the first other one: both kinds of key meet.
    std::vector<std::string> mixed = kPlain;
    mixed.insert(mixed.end(), texts.begin(), texts.end());
    mixed.insert(mixed.end(), kPlain.begin(), kPlain.end());
    ExpectSameOrderAsAnsiCompareText(mixed);
}

} // namespace
} // namespace qel
