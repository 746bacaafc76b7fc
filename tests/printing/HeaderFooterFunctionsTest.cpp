#include "printing/HeaderFooterFunctions.h"

#include "TestSupport.h"
#include "platform/core/Locale.h"
#include "platform/core/Strings.h"
#include "platform/core/SystemInfo.h"
#include "platform/core/Utf8.h"
#include "platform/graphics/Bitmap.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <typeindex>
#include <typeinfo>
#include <vector>

namespace qel {
namespace {

struct HFTest : ::testing::Test {
    LocaleScope locale;   // German settings: no AM/PM texts
    TdxStandardHFFunctionLibrary library;
    TdxHFFunctionFormatObject format;
    HFTest()
    {
        format.SetCurrentPage(2);
        format.SetTotalPages(5);
        format.SetStartPageIndex(1);
        format.SetDateTime(EncodeDate(2026, 3, 9) + EncodeTime(14, 5, 7, 0));
        format.SetDateFormat("dd.MM.yyyy");
        format.SetTimeFormat("HH:mm");
    }
    std::string Process(const std::string& s) { return library.Process(s, &format); }
};

TEST_F(HFTest, EachValueIsFramedByOneBlankOnEachSide)
{
    EXPECT_EQ(Process("Page [Page #] of [Total Pages]"), "Page  2  of  5 ");
    format.SetPageNumberFormat(pnfUpperRoman);
    format.SetCurrentPage(4);
    format.SetTotalPages(9);
    EXPECT_EQ(Process("[Page # of Pages #]"), " IV Of IX ");
    EXPECT_EQ(Process("[page #]"), " IV ") << "templates match without regard to case";
    EXPECT_EQ(Process("[Date Printed] [Time Printed]"), " 09.03.2026   14:05 ");
    EXPECT_EQ(Process("[Date & Time Printed]"), " 09.03.2026 14:05 ");
    auto framed = [](const std::string& v) { return v.empty() ? v : " " + v + " "; };
    EXPECT_EQ(Process("[User Name]/[Machine Name]"), framed(format.UserName()) + "/" + framed(format.MachineName()));
    EXPECT_EQ(format.UserName(), Utf8Prefix(GetUserName(), 255));
    // Without a format object a function yields its own template.
    EXPECT_EQ(library.Process("x[Page #]", nullptr), "x [Page #] ");
}

TEST_F(HFTest, StartIndexShiftsPageAndTotalInEveryStyle)
{
    format.SetStartPageIndex(10);
    format.SetCurrentPage(1);
    const std::vector<std::pair<TdxPageNumberFormat, std::string>> rows{
        {pnfNumeral, " 10 Of 14 "}, {pnfChars, " j Of n "}, {pnfUpperChars, " J Of N "},
        {pnfRoman, " x Of xiv "}, {pnfUpperRoman, " X Of XIV "}};
    for (const auto& [style, expected] : rows) {
        format.SetPageNumberFormat(style);
        EXPECT_EQ(Process("[Page # of Pages #]"), expected) << style;
    }
    // An empty report asks for page 0: "0" in every style, never a letter or nothing.
    format.SetStartPageIndex(1);
    format.SetCurrentPage(0);
    format.SetTotalPages(0);
    for (const auto& row : rows) {
        format.SetPageNumberFormat(row.first);
        EXPECT_EQ(Process("[Page #]/[Total Pages]"), " 0 / 0 ") << row.first;
    }
}

TEST_F(HFTest, UnknownEmptyAndStrayBracketsStayLiteral)
{
    EXPECT_EQ(Process("[Nothing] [] [Page #]"), "[Nothing] []  2 ");
    EXPECT_EQ(Process("x [ [Page #]"), "x [  2 ");
    EXPECT_EQ(Process("[[Page #]]"), "[ 2 ]");
    EXPECT_EQ(Process("[Page #] [Total Pages"), " 2  [Total Pages") << "a [ without ] ends the expansion";
    EXPECT_EQ(Process("["), "[");
    EXPECT_EQ(Process("%s %d %n [Page #] 100%"), "%s %d %n  2  100%") << "never a format string";
}

TEST_F(HFTest, LongRunsOfBracketsAndManyPlaceholdersExpandAsShortOnes)
{
    // Titles come from style files: a run of "[" that opens nothing, closed
    // far away, and thousands of placeholders in one text.
    const std::string run(1 << 16, '[');
    EXPECT_EQ(Process(run + "]"), run + "]");
    EXPECT_EQ(Process(run + "Page #]"), run.substr(1) + " 2 ");
    EXPECT_EQ(Process(run + "x][Total Pages]"), run + "x] 5 ");
    std::string many, expanded;
    for (int i = 0; i < 10000; ++i) {
        many += "[Page #]-";
        expanded += " 2 -";
    }
    EXPECT_EQ(Process(many), expanded);
}

TEST_F(HFTest, PageNumbersBeyondTheIntegerRangeAreWrittenInDigits)
{
    format.SetCurrentPage(INT_MAX);
    format.SetTotalPages(INT_MAX);
    format.SetStartPageIndex(INT_MAX);
    for (const TdxPageNumberFormat style : {pnfNumeral, pnfChars, pnfUpperChars, pnfRoman, pnfUpperRoman}) {
        format.SetPageNumberFormat(style);
        EXPECT_EQ(Process("[Page # of Pages #]"), " 4294967293 Of 4294967293 ") << style;
    }
    format.SetCurrentPage(0);
    format.SetStartPageIndex(INT_MIN);
    format.SetPageNumberFormat(pnfNumeral);
    EXPECT_EQ(Process("[Page #]"), " -2147483649 ");
}

TEST_F(HFTest, AnEmptyValueDoesNotHideTheNextPlaceholder)
{
    format.SetDateFormat("");
    EXPECT_EQ(Process("[Date Printed][Page #]"), " 2 ");
    EXPECT_EQ(Process("[Date Printed][Date Printed][Total Pages]x"), " 5 x");
}

TEST_F(HFTest, LongTextsAndValuesAreNotCut)
{
    std::string picture;
    for (int i = 0; i < 40; ++i)
        picture += "dd.MM.yyyy ";
    format.SetDateFormat(picture);
    const std::string date = Process("[Date Printed]");
    EXPECT_EQ(date.size(), 2 + 40 * 11u);
    std::string text(5000, 'x');
    EXPECT_EQ(Process(text + "[Page #]"), text + " 2 ");
}

TEST_F(HFTest, TwelveHourPicturesUseTheTwentyFourHourClockWithoutDesignators)
{
    EXPECT_EQ(FormatHFTime("hh:mm tt", format.DateTime()), "14:05");
    EXPECT_EQ(FormatHFTime("tt h:mm:ss", format.DateTime()), "14:05:07");
    EXPECT_EQ(FormatHFTime("'h' hh:mm", format.DateTime()), "h 02:05") << "no designator asked: as written";

    TFormatSettings english = FormatSettings();
    english.TimeAMString = "AM";
    english.TimePMString = "PM";
    LocaleScope scope(english);
    EXPECT_EQ(FormatHFTime("hh:mm tt", format.DateTime()), "02:05 PM");
}

TEST_F(HFTest, FormatListsFollowTheLocale)
{
    TStringList dates;
    FillDateFormatList(dates);
    EXPECT_EQ(test::Lines(dates),
              (std::vector<std::string>{"dd.MM.yyyy", "dddd, d. MMMM yyyy", "d. MMMM yyyy", "dd.MM.yy", "yyyy-MM-dd",
                                        "d-MMM-yy", "dd/MM/yyyy", "MMMM yyyy", "d MMMM yyyy", "MMMM yy", "MMM-yy"}));

    TFormatSettings us = FormatSettings();
    us.ShortDateFormat = "M/d/yy";
    us.LongDateFormat = "MMMM d, yyyy";
    us.DateSeparator = '/';
    us.TimeLeadingZero = false;
    {
        LocaleScope scope(us);
        TStringList usDates;
        FillDateFormatList(usDates);
        EXPECT_EQ(usDates.Get(1), "dddd, MMMM d, yyyy");
        EXPECT_EQ(usDates.Get(3), "M/d/yyyy");
        EXPECT_EQ(usDates.Get(6), "M.d.yy");
        EXPECT_EQ(usDates.Get(7), "MMMM , yyyy");
        TStringList times;
        FillTimeFormatList(times);
        EXPECT_EQ(test::Lines(times), (std::vector<std::string>{"h:mm tt", "h:mm:ss tt", "H:mm", "H:mm:ss"}));
    }
    EXPECT_EQ(PageNumberFormatList()->Count(), 5);
    EXPECT_EQ(PageNumberFormatList()->Get(3), "i, ii, iii, iv, v, ...");

    TStringList formatted;
    formatted.Add("keep");
    TStringList pictures;
    pictures.Add("hh:mm tt");
    pictures.Add("HH:mm:ss");
    GetFormattedTimeStrings(pictures, formatted, format.DateTime());
    EXPECT_EQ(test::Lines(formatted), (std::vector<std::string>{"keep", "14:05", "14:05:07"}));
}

// Every template the library offers is a working placeholder: it names its
// own function, the library finds it by that name, and it expands.
TEST_F(HFTest, EveryListedTemplateExpandsThroughItsOwnFunction)
{
    TStringList templates;
    library.GetTemplates(templates);
    ASSERT_EQ(templates.Count(), library.Count());
    ASSERT_GT(templates.Count(), 0);
    for (int i = 0; i < templates.Count(); ++i) {
        const std::string t = templates.Get(i);
        SCOPED_TRACE(t);
        EXPECT_EQ(templates.Objects(i), library.Functions(i));
        EXPECT_EQ(library.Functions(i)->TemplateString(), t);
        EXPECT_EQ(library.IndexOf(t), i);
        EXPECT_EQ(library.IndexOf(UpperCase(t)), i) << "templates are found without regard to case";
        EXPECT_NE(Process(t), t) << "a listed template is never left literal";
        EXPECT_FALSE(library.Functions(i)->Hint().empty());
        EXPECT_EQ(library.Functions(i)->Glyph()->Width(), 16);
    }
    // The date and time functions the library hands out are the ones that expand to them.
    EXPECT_EQ(Process(library.DateFunction()->TemplateString()), " 09.03.2026 ");
    EXPECT_EQ(Process(library.TimeFunction()->TemplateString()), " 14:05 ");
    EXPECT_EQ(library.TimeFunction()->GetName(), "Time");
    // The authentication functions expand to the user's and the machine's names.
    for (int i = 0; i < library.Count(); ++i)
        if (library.Functions(i)->GetCategory() == std::type_index(typeid(TdxHFFunctionAuthenticationCategory))) {
            const std::string value = Process(library.Functions(i)->TemplateString());
            EXPECT_TRUE(value == " " + format.UserName() + " " || value == " " + format.MachineName() + " ") << value;
        }

    TdxHFFunction f;
    f.SetTemplateString("Custom");
    EXPECT_EQ(f.TemplateString(), "[Custom]");
    f.SetTemplateString("[Half");
    EXPECT_EQ(f.TemplateString(), "[Half]");
    EXPECT_EQ(f.GetName(), "Unknown");
}

TEST_F(HFTest, ACopiedLibraryHasItsOwnFunctionsOfTheSameClasses)
{
    TdxHFFunctionLibrary copy;
    copy.Assign(&library);
    ASSERT_EQ(copy.Count(), library.Count());
    for (int i = 0; i < copy.Count(); ++i) {
        EXPECT_NE(copy.Functions(i), library.Functions(i));
        EXPECT_EQ(std::type_index(typeid(*copy.Functions(i))), std::type_index(typeid(*library.Functions(i))));
    }
    const int machine = copy.IndexOfClass<TdxHFMachineNameFunction>();
    ASSERT_GE(machine, 0);
    EXPECT_NE(dynamic_cast<TdxHFMachineNameFunction*>(copy.Functions(machine)), nullptr);
    copy.Delete(copy.IndexOf("[Page #]"));
    EXPECT_EQ(copy.IndexOf("[PAGE #]"), -1);
    EXPECT_EQ(copy.Process("[Page #][Total Pages]", &format), "[Page #] 5 ") << "a deleted function no longer expands";
    EXPECT_THROW(copy.Delete(copy.Count()), EListError);
    int visited = 0;
    copy.ForEach([](TdxHFFunction*, void* data) { ++*static_cast<int*>(data); }, &visited);
    EXPECT_EQ(visited, copy.Count());
}

TEST(HFProcessWide, ExpandsThroughTheSharedLibraryAndFormatObject)
{
    TdxHFFunctionFormatObject& f = dxHFFormatObject();
    const int page = f.CurrentPage();
    f.SetCurrentPage(3);
    EXPECT_EQ(ProcessHFString("[Page #]"), " 3 ");
    f.SetCurrentPage(page);
    // The shared library offers the standard templates.
    TStringList shared, standard;
    GetStandardHFFunctionTemplates(shared);
    TdxStandardHFFunctionLibrary().GetTemplates(standard);
    EXPECT_EQ(test::Lines(shared), test::Lines(standard));
}

} // namespace
} // namespace qel
