// The edit-mask engine on representative masks: parsing of sections, value
// and display text in both directions, typing and deleting under the mask.
#include "editors/EditMask.h"
#include "platform/core/Locale.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

TEST(EditMask, SectionsSaveLiteralsAndBlank)
{
    const TEditMask phone("(000) 000-0000;1;_");
    EXPECT_TRUE(phone.SaveLiterals());
    EXPECT_EQ(phone.BlankChar(), U'_');
    EXPECT_EQ(phone.Length(), 14);
    EXPECT_EQ(phone.EmptyText(), "(___) ___-____");
    EXPECT_TRUE(phone.IsLiteral(0));
    EXPECT_TRUE(phone.IsRequired(1));

    const TEditMask noLiterals("00/00/0000;0;*");
    EXPECT_FALSE(noLiterals.SaveLiterals());
    EXPECT_EQ(noLiterals.BlankChar(), U'*');
    EXPECT_EQ(noLiterals.EmptyText(), "**.**.****") << "'/' is the locale's date separator";

    // Missing sections take the defaults; an escaped ';' belongs to the mask.
    const TEditMask plain("99\\;99");
    EXPECT_TRUE(plain.SaveLiterals());
    EXPECT_EQ(plain.EmptyText(), "__;__");
    EXPECT_TRUE(TEditMask("").Empty());
    EXPECT_EQ(TEditMask("").FormatText("free text"), "free text");
}

TEST(EditMask, ValueAndDisplayTextRoundTrip)
{
    const TEditMask phone("(000) 000-0000;1;_");
    EXPECT_EQ(phone.FormatText("(030) 123-4567"), "(030) 123-4567");
    EXPECT_EQ(phone.ValueText("(030) 12_-____"), "(030) 12 -    ") << "blanks are stored as spaces";

    const TEditMask date("00/00/0000;0;_");
    EXPECT_EQ(date.FormatText("24122026"), "24.12.2026");
    EXPECT_EQ(date.ValueText("24.12.2026"), "24122026");
    EXPECT_EQ(date.FormatText("24x2"), "24._2.____") << "a character that does not fit leaves a blank";

    // Case sections convert what they hold; <> ends the conversion.
    const TEditMask cased(">LL<ll<>L;0; ");
    EXPECT_EQ(cased.FormatText("abCDe"), "ABcde");
    EXPECT_EQ(cased.FormatText("äöÜÖx"), "ÄÖüöx") << "letters beyond ASCII";

    // '!' fills a short value from the right.
    EXPECT_EQ(TEditMask("!9999;0;_").FormatText("42"), "__42");
    EXPECT_EQ(TEditMask("9999;0;_").FormatText("42"), "42__");
    EXPECT_EQ(TEditMask("#999;0;_").FormatText("-1x"), "-1__");
}

TEST(EditMask, ValidationNamesTheFirstMissingRequiredPosition)
{
    const TEditMask m("LL-09;1;_");
    int pos = 0;
    EXPECT_TRUE(m.Validate("AB-1_", pos)) << "9 is optional";
    EXPECT_EQ(pos, -1);
    EXPECT_FALSE(m.Validate("A_-1_", pos));
    EXPECT_EQ(pos, 1);
    EXPECT_FALSE(m.Validate("AB-_5", pos));
    EXPECT_EQ(pos, 3);
    EXPECT_EQ(m.FilledCount("A_-1_"), 2);
}

TEST(EditMask, TypingSkipsLiteralsAndRefusesWhatDoesNotFit)
{
    LocaleScope locale;
    const TEditMask m("(000) 000;1;_");
    std::string d = m.EmptyText();
    int caret = 0;
    EXPECT_TRUE(m.TypeChar(d, caret, 0, U'0'));
    EXPECT_EQ(d, "(0__) ___");
    EXPECT_EQ(caret, 2);
    EXPECT_FALSE(m.TypeChar(d, caret, 0, U'x')) << "a letter in a digit position";
    EXPECT_EQ(d, "(0__) ___");
    for (char32_t c : {U'3', U'0', U'1'})
        EXPECT_TRUE(m.TypeChar(d, caret, 0, c));
    EXPECT_EQ(d, "(030) 1__");
    EXPECT_EQ(caret, 7) << "the caret jumped the literals";

    m.Backspace(d, caret, 0);
    EXPECT_EQ(d, "(030) ___");
    EXPECT_EQ(caret, 6);
    m.Backspace(d, caret, 0);
    EXPECT_EQ(d, "(03_) ___") << "backspace passes over literals to the previous edit position";
    EXPECT_EQ(caret, 3);

    // A selection is cleared by what replaces it; literals stay.
    caret = 0;
    EXPECT_TRUE(m.TypeChar(d, caret, 9, U'9'));
    EXPECT_EQ(d, "(9__) ___");
    caret = 0;
    m.DeleteChars(d, caret, 0);
    EXPECT_EQ(d, "(___) ___");

    // Nothing after the last edit position.
    d = "(123) 456";
    caret = 9;
    EXPECT_FALSE(m.TypeChar(d, caret, 0, U'7'));
    EXPECT_EQ(m.PrevEditPos(0), -1);
    EXPECT_EQ(m.NextEditPos(9), 9);
}

} // namespace
} // namespace qel
