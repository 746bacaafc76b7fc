// The DrawText layout on its own, with a fixed-pitch font: every character
// 10 wide, lines 16 high, so the expected positions can be worked out by hand.
#include "platform/graphics/Canvas.h"
#include "platform/graphics/TextLayout.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace qel {
namespace {

class FixedPitch : public TTextMetrics {
public:
    double RunWidth(std::u16string_view Run) const override { return 10.0 * static_cast<double>(Run.size()); }
    int LineHeight() const override { return 16; }
    double AveCharWidth() const override { return 10; }
};

std::vector<std::u16string> Texts(const TDrawTextLayout& layout)
{
    std::vector<std::u16string> out;
    for (const TTextLine& l : layout.Lines)
        out.push_back(l.Text);
    return out;
}

TEST(TextLayout, WordBreakFillsLinesGreedilyAndDropsTheBreakingBlanks)
{
    FixedPitch m;
    const TDrawTextLayout l = LayoutText("aaa bbb  ccc dd", {0, 0, 75, 100}, DT_WORDBREAK, m);
    EXPECT_EQ(Texts(l), (std::vector<std::u16string>{u"aaa bbb", u"ccc dd"}));
    EXPECT_EQ(l.Lines[1].Y, 16);
    EXPECT_EQ(l.Height, 32);
    // A word wider than the rectangle stays whole on its own line...
    EXPECT_EQ(Texts(LayoutText("ab incomprehensible c", {0, 0, 50, 0}, DT_WORDBREAK, m)),
              (std::vector<std::u16string>{u"ab", u"incomprehensible", u"c"}));
    // ...unless the edit-control rule breaks it where the width ends.
    EXPECT_EQ(Texts(LayoutText("abcdefgh", {0, 0, 30, 0}, DT_WORDBREAK | DT_EDITCONTROL, m)),
              (std::vector<std::u16string>{u"abc", u"def", u"gh"}));
    // Hard breaks in every form; a trailing one adds no line, an inner empty one stays.
    EXPECT_EQ(Texts(LayoutText("a\r\nb\n\nc\rd\n", {0, 0, 500, 0}, DT_WORDBREAK, m)),
              (std::vector<std::u16string>{u"a", u"b", u"", u"c", u"d"}));
}

TEST(TextLayout, TabsExpandToStopsOfEightAverageCharactersOrReadAsBlanks)
{
    FixedPitch m;
    TDrawTextLayout l = LayoutText("a\tbc\td", {0, 0, 500, 0}, DT_SINGLELINE | DT_EXPANDTABS, m);
    EXPECT_DOUBLE_EQ(l.TabWidth, 80);
    EXPECT_EQ(l.Lines[0].Text, u"a\tbc\td");
    EXPECT_DOUBLE_EQ(l.Lines[0].Width, 170);   // stops at 80 and 160, then "d"
    // A tab right on a stop moves on to the next one.
    EXPECT_DOUBLE_EQ(TabbedWidth(u"abcdefgh\tx", 80, m), 170);
    l = LayoutText("a\tb", {0, 0, 500, 0}, DT_SINGLELINE, m);
    EXPECT_EQ(l.Lines[0].Text, u"a b");
    EXPECT_DOUBLE_EQ(l.TabWidth, 0);
}

TEST(TextLayout, EndEllipsisKeepsTheLongestPrefixThatFitsWithTheDots)
{
    FixedPitch m;
    TDrawTextLayout l = LayoutText("abcdefghij", {0, 0, 65, 16}, DT_SINGLELINE | DT_END_ELLIPSIS, m);
    EXPECT_EQ(l.Lines[0].Text, u"abc...");
    EXPECT_DOUBLE_EQ(l.Lines[0].Width, 60);
    // A line that fits is left alone; with room for nothing but the dots they stand alone.
    EXPECT_EQ(LayoutText("abcdef", {0, 0, 60, 16}, DT_SINGLELINE | DT_END_ELLIPSIS, m).Lines[0].Text, u"abcdef");
    EXPECT_EQ(LayoutText("abcdef", {0, 0, 5, 16}, DT_SINGLELINE | DT_END_ELLIPSIS, m).Lines[0].Text, u"...");
    // Each wrapped line is cut on its own.
    EXPECT_EQ(Texts(LayoutText("ab\nabcdefg", {0, 0, 50, 0}, DT_END_ELLIPSIS, m)),
              (std::vector<std::u16string>{u"ab", u"ab..."}));
}

// Narrow and wide letters, so that a guess from the average width is off.
class Proportional : public TTextMetrics {
public:
    double RunWidth(std::u16string_view Run) const override
    {
        double w = 0;
        for (char16_t c : Run)
            w += c == u'i' ? 3 : c == u'W' ? 17 : c == u'.' ? 4 : 9;
        return w;
    }
    int LineHeight() const override { return 16; }
    double AveCharWidth() const override { return 9; }
};

TEST(TextLayout, EndEllipsisFindsTheLongestFittingPrefixWhateverTheLetterWidths)
{
    const Proportional m;
    std::mt19937 rng(7);
    const char letters[] = {'i', 'W', 'a'};
    for (int round = 0; round < 400; ++round) {
        std::string text(1 + rng() % 40, 'a');
        for (char& c : text)
            c = letters[rng() % 3];
        const int width = static_cast<int>(rng() % 300);
        const std::u16string cut = LayoutText(text, {0, 0, width, 16}, DT_SINGLELINE | DT_END_ELLIPSIS, m).Lines[0].Text;
        // By hand: the whole text when it fits, else the longest prefix that fits with the dots.
        const std::u16string whole(text.begin(), text.end());
        std::u16string expected = whole;
        if (m.RunWidth(whole) > width) {
            std::size_t keep = 0;
            for (std::size_t k = 1; k < whole.size(); ++k)
                if (m.RunWidth(std::u16string_view(whole).substr(0, k)) + 12 <= width)
                    keep = k;
            expected = whole.substr(0, keep) + u"...";
        }
        ASSERT_EQ(cut, expected) << text << " in " << width;
    }
}

TEST(TextLayout, CalcRectMeasuresTheWidestLineAndAllLines)
{
    FixedPitch m;
    TDrawTextLayout l = LayoutText("one\nthree\nx", {5, 7, 6, 8}, DT_CALCRECT, m);
    EXPECT_EQ(l.Bounds, (TRect{5, 7, 55, 55}));
    EXPECT_EQ(l.Height, 48);
    // A vertically centred single line answers its height alone when measured,
    // its offset plus height when drawn.
    EXPECT_EQ(LayoutText("x", {0, 0, 100, 40}, DT_SINGLELINE | DT_VCENTER | DT_CALCRECT, m).Height, 16);
    EXPECT_EQ(LayoutText("x", {0, 0, 100, 40}, DT_SINGLELINE | DT_VCENTER, m).Height, 12 + 16);
    // Empty text: no lines, no width, a line high only for a single line.
    l = LayoutText("", {5, 5, 50, 50}, DT_CALCRECT, m);
    EXPECT_TRUE(l.Lines.empty());
    EXPECT_EQ(l.Bounds, (TRect{5, 5, 5, 5}));
    EXPECT_EQ(l.Height, 16);
    EXPECT_EQ(LayoutText("&", {5, 5, 50, 50}, DT_CALCRECT | DT_SINGLELINE, m).Bounds, (TRect{5, 5, 5, 21}));
}

TEST(TextLayout, PrefixMarksTheAcceleratorOnTheLineThatShowsIt)
{
    FixedPitch m;
    TDrawTextLayout l = LayoutText("Save && &Close", {0, 0, 500, 0}, DT_SINGLELINE, m);
    EXPECT_EQ(l.Lines[0].Text, u"Save & Close");
    EXPECT_EQ(l.Lines[0].Underline, 7);
    l = LayoutText("first\nse&cond", {0, 0, 500, 0}, 0, m);
    EXPECT_EQ(l.Lines[0].Underline, -1);
    EXPECT_EQ(l.Lines[1].Underline, 2);
    EXPECT_EQ(LayoutText("a&b", {0, 0, 500, 0}, DT_NOPREFIX, m).Lines[0].Text, u"a&b");
    l = LayoutText("a&b", {0, 0, 500, 0}, DT_HIDEPREFIX, m);
    EXPECT_EQ(l.Lines[0].Text, u"ab");
    EXPECT_EQ(l.Lines[0].Underline, -1);
    // An accelerator cut off by the ellipsis is not underlined anywhere.
    l = LayoutText("abcdefg&h", {0, 0, 60, 16}, DT_SINGLELINE | DT_END_ELLIPSIS, m);
    EXPECT_EQ(l.Lines[0].Text, u"abc...");
    EXPECT_EQ(l.Lines[0].Underline, -1);
    // The prefix counts UTF-16 units as they are drawn: "Ä" is one, the key emoji two.
    l = LayoutText("\xC3\x84\xF0\x9F\x94\x91&x", {0, 0, 500, 0}, DT_SINGLELINE, m);
    EXPECT_EQ(l.Lines[0].Underline, 3);
}

TEST(TextLayout, SingleLineJoinsBreaksAndAlignsInBothDirections)
{
    FixedPitch m;
    TDrawTextLayout l = LayoutText("a\r\nb\rc", {0, 0, 100, 40}, DT_SINGLELINE | DT_WORDBREAK, m);
    EXPECT_EQ(Texts(l), (std::vector<std::u16string>{u"a b c"}));
    const TRect cell{10, 20, 110, 60};   // 100 x 40
    l = LayoutText("abcd", cell, DT_SINGLELINE | DT_CENTER | DT_VCENTER, m);
    EXPECT_EQ(l.Lines[0].X, 10 + (100 - 40) / 2);
    EXPECT_EQ(l.Lines[0].Y, 20 + (40 - 16) / 2);
    l = LayoutText("abcd", cell, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM, m);
    EXPECT_EQ(l.Lines[0].X, 110 - 40);
    EXPECT_EQ(l.Lines[0].Y, 60 - 16);
    // Vertical placement is for single lines only; each wrapped line aligns by itself.
    l = LayoutText("ab\nabcd", cell, DT_RIGHT | DT_VCENTER, m);
    EXPECT_EQ(l.Lines[0].X, 90);
    EXPECT_EQ(l.Lines[1].X, 70);
    EXPECT_EQ(l.Lines[0].Y, 20);
}

}  // namespace
}  // namespace qel
