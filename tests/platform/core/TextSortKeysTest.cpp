// Collation keys must order exactly as AnsiCompareText, for printable ASCII
// texts (compared without the collator) and for any other text; a whole
// order exactly as a stable sort by AnsiCompareText.
#include "platform/core/Locale.h"
#include "platform/core/TextSortKeys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
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
    "Customer account 1", "customer account 10", "Customer account", "CUSTOMER ACCOUNT 10 ",
    "a-b", "a_b", "a.b", "a,b", "a'b", "a\"b", "a(b", "a@b", "a/b", "a\\b", "a&b", "a#b", "a%b", "a+b",
    "a<b", "a=b", "a|b", "a~b", "a$b", "a`b", "a^b", "-", "--", "-1", "1-", ".5", "0.5", "!", "?",
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

// --- whole orders ------------------------------------------------------------------

// Order against std::stable_sort by AnsiCompareText, both directions; the
// first place they differ is reported with its texts.
void ExpectOrderOfStableSort(const std::vector<std::string>& Texts, const std::string& What)
{
    TTextSortKeys keys;
    for (const std::string& t : Texts)
        keys.Add(t);
    for (const bool descending : {false, true}) {
        std::vector<std::uint32_t> expected(Texts.size());
        std::iota(expected.begin(), expected.end(), 0u);
        std::stable_sort(expected.begin(), expected.end(), [&](std::uint32_t A, std::uint32_t B) {
            const int c = AnsiCompareText(Texts[A], Texts[B]);
            return (descending ? -c : c) < 0;
        });
        const std::vector<std::uint32_t> actual = keys.Order(descending);
        ASSERT_EQ(actual.size(), expected.size()) << What;
        const auto [a, e] = std::mismatch(actual.begin(), actual.end(), expected.begin());
        EXPECT_TRUE(a == actual.end()) << What << (descending ? ", descending" : "") << ": at place "
                                       << (a - actual.begin()) << " '" << Texts[*a] << "' (" << *a
                                       << ") instead of '" << Texts[*e] << "' (" << *e << ")";
    }
}

// Letters, digits and blanks; with Punctuation, every printable character.
std::string RandomCode(std::mt19937& Rng, std::size_t Length, bool Punctuation)
{
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ";
    std::uniform_int_distribution<int> pick(0, sizeof kChars - 2);
    std::uniform_int_distribution<int> printable(0x20, 0x7E);
    std::string s(Length, ' ');
    for (char& c : s)
        c = Punctuation ? static_cast<char>(printable(Rng)) : kChars[pick(Rng)];
    return s;
}

// Plain texts as real columns hold them: distinct codes, some with
// punctuation, a few names repeated in every case, prefixes shared up to and
// past the 8, 16 and 32 bytes taken at a time, and empty texts.
std::vector<std::string> PlainColumn(std::mt19937& Rng)
{
    std::vector<std::string> texts;
    for (int i = 0; i < 400; ++i)
        texts.push_back(RandomCode(Rng, 1 + i % 20, i % 2 == 0));
    for (int i = 0; i < 600; ++i) {
        std::string name = "Door " + std::to_string(i % 37);
        if (i % 5 == 0)
            name = UpperCase(name);
        else if (i % 7 == 0)
            name = LowerCase(name);
        texts.push_back(name);
    }
    for (const std::size_t shared : {7, 8, 9, 15, 16, 17, 31, 32, 33, 40}) {
        const std::string prefix = "Customer account " + std::string(shared, 'x');
        for (const char* tail : {"", " ", "0", "9", "a", "B", "b", "ab", "AB ", "a0", "zz", "-", "-a", ".", "_"})
            texts.push_back(prefix.substr(0, shared) + tail);
    }
    for (int i = 0; i < 20; ++i)
        texts.push_back("");
    std::shuffle(texts.begin(), texts.end(), Rng);
    return texts;
}

TEST(TextSortKeys, OrderIsAStableSortOnPlainColumns)
{
    std::mt19937 rng(21);
    const std::vector<std::string> texts = PlainColumn(rng);
    ExpectOrderOfStableSort(texts, "plain");
    // One text repeated throughout, and a long one: every comparison ties.
    ExpectOrderOfStableSort(std::vector<std::string>(300, "same"), "one text");
    std::vector<std::string> longOnes(200, std::string(100, 'q'));
    for (std::size_t i = 0; i < longOnes.size(); i += 3)
        longOnes[i].back() = 'Q';
    ExpectOrderOfStableSort(longOnes, "one long text in two cases");
    ExpectOrderOfStableSort({}, "nothing");
}

TEST(TextSortKeys, OrderIsAStableSortWithOtherTextsAmongThem)
{
    const std::vector<std::string> others = {
        "Ärger", "ÄRGER", "Äpfel", "äpfel", "Apfel", "apfel", "Öl", "Straße", "a-b", "a\xC2\xAD" "b", "éclair", "\xE2\x84\xAA" "elvin",
        "Kelvin", "Door 1ä", "DOOR 1Ä", "Door 1", "DOOR 1", "Customer account xx-1", "日本", "€", "ǅ", "ﬁ", "fi",
    };
    for (const std::size_t every : {0, 1, 10, 100}) {
        std::mt19937 rng(static_cast<unsigned>(every));
        std::vector<std::string> texts = PlainColumn(rng);
        if (every == 0) {
            texts[texts.size() / 2] = "Ärger";   // one among a thousand
        } else {
            std::uniform_int_distribution<std::size_t> pick(0, others.size() - 1);
            for (std::size_t i = 0; i < texts.size(); i += every)
                texts[i] = others[pick(rng)];
        }
        ExpectOrderOfStableSort(texts, "other texts every " + std::to_string(every));
    }
    // Pairs, so every relation between two kinds of text shows on its own.
    std::vector<std::string> all = kPlain;
    all.insert(all.end(), others.begin(), others.end());
    for (const std::string& a : all)
        for (const std::string& b : all)
            ExpectOrderOfStableSort({a, b}, "'" + a + "', '" + b + "'");
}

} // namespace
} // namespace qel
