// The date and time and the page number format dialogs scripted as a user
// works them, and the page-number edit's notations.
#include "preview/DateTimeFormats.h"
#include "preview/PSValueEdit.h"
#include "preview/PageNumberFormat.h"

#include "platform/controls/Automation.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/Locale.h"
#include "printing/HeaderFooterFunctions.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace qel {
namespace {

// Answers the dialogs' questions and keeps their texts.
struct Questions {
    std::vector<std::string> asked;
    TModalResult answer = mrYes;
    TMessageDlgHookScope hook{[this](const TMessageDlgParams& P) {
        asked.push_back(P.Text);
        return answer;
    }};
};

template <class Form, class Data>
bool RunScripted(bool (*Dialog)(Data&), Data& Record, const std::function<void(Form&)>& Script, bool* Shown = nullptr)
{
    TModalFormHookScope hook([&](TForm& F) {
        if (Shown)
            *Shown = true;
        Script(dynamic_cast<Form&>(F));
    });
    return Dialog(Record);
}

std::unique_ptr<TStringList> List(std::initializer_list<const char*> Items)
{
    auto list = std::make_unique<TStringList>();
    for (const char* item : Items)
        list->Add(item);
    return list;
}

// ----- the page-number edit --------------------------------------------------------------------

TEST(PSValueEdit, ShowsReadsAndAcceptsTheNotationOfItsType)
{
    TdxPSValueEdit edit(nullptr);
    EXPECT_EQ(edit.Text(), "1");
    edit.SetMaxValue(10000);
    edit.SetValue(1994);
    const std::pair<TdxPageNumberFormat, const char*> shown[] = {
        {pnfRoman, "mcmxciv"}, {pnfUpperRoman, "MCMXCIV"}, {pnfNumeral, "1994"}};
    for (const auto& [type, text] : shown) {
        edit.SetIntValueType(type);
        EXPECT_EQ(edit.Text(), text) << int(type);
        EXPECT_EQ(edit.AsInteger(), 1994);
    }
    edit.SetValue(30);
    edit.SetIntValueType(pnfChars);
    EXPECT_EQ(edit.Text(), "dd");
    edit.SetIntValueType(pnfUpperChars);
    edit.SetText("  ");
    EXPECT_EQ(edit.AsInteger(), 1) << "an empty text reads as 1";
    edit.SetText("C");
    EXPECT_EQ(edit.AsInteger(), 3);

    const auto accepts = [&](TdxPageNumberFormat Type, const std::u32string& Chars) {
        edit.SetIntValueType(Type);
        std::u32string taken;
        for (char32_t c : Chars)
            if (edit.IsValidChar(c))
                taken += c;
        return taken;
    };
    EXPECT_EQ(accepts(pnfChars, U"aZz1-"), U"az");
    EXPECT_EQ(accepts(pnfUpperChars, U"aZz1-"), U"Z");
    EXPECT_EQ(accepts(pnfRoman, U"xivXabm"), U"xivm");
    EXPECT_EQ(accepts(pnfUpperRoman, U"xivXabM"), U"XM");
    EXPECT_EQ(accepts(pnfNumeral, U"12-+a"), U"12+") << "no negative page numbers";
    EXPECT_TRUE(edit.IsValidChar(U'\b'));

    // A floating value type is a plain spin edit.
    edit.SetIntValueType(pnfRoman);
    edit.SetValueType(svtFloat);
    edit.SetDecimal(0);
    EXPECT_EQ(edit.Text(), "3");
    EXPECT_TRUE(edit.IsValidChar(U'-'));
    EXPECT_FALSE(edit.IsValidChar(U'x'));
}

// ----- date and time ----------------------------------------------------------------------------

struct DateTimeFormats : ::testing::Test {
    LocaleScope locale;
    std::unique_ptr<TStringList> dates = List({"dd.MM.yyyy", "d. MMMM yyyy", "yyyy-MM-dd"});
    std::unique_ptr<TStringList> times = List({"HH:mm", "HH:mm:ss"});
    TdxDateTimeFormatsDlgData data;
    DateTimeFormats()
    {
        data.DateFormats = dates.get();
        data.TimeFormats = times.get();
        data.DateFormatIndex = 1;
        data.TimeFormatIndex = 0;
        data.AutoUpdateDateTime = false;
    }
    bool Run(const std::function<void(TdxfmDateTimeFormats&)>& Script, bool* Shown = nullptr)
    {
        return RunScripted<TdxfmDateTimeFormats>(dxDateTimeFormatsDlg, data, Script, Shown);
    }
};

TEST_F(DateTimeFormats, IndicesOutsideTheirListsOrAMissingListShowNothing)
{
    for (auto change : std::vector<std::function<void(TdxDateTimeFormatsDlgData&)>>{
             [](auto& D) { D.DateFormatIndex = 3; },   // the number of date formats
             [](auto& D) { D.TimeFormatIndex = -1; },
             [](auto& D) { D.TimeFormatIndex = 2; },
             [](auto& D) { D.DateFormats = nullptr; },
             [](auto& D) { D.TimeFormats = nullptr; }}) {
        TdxDateTimeFormatsDlgData bad = data;
        change(bad);
        bool shown = false;
        EXPECT_FALSE(RunScripted<TdxfmDateTimeFormats>(dxDateTimeFormatsDlg, bad,
                                                       [](TdxfmDateTimeFormats& F) { F.btnOK->Click(); }, &shown));
        EXPECT_FALSE(shown);
    }
}

TEST_F(DateTimeFormats, ShowsTheFormatsAppliedToNowAndOKWithoutAChangeAnswersFalse)
{
    bool shown = false;
    EXPECT_FALSE(Run(
        [&](TdxfmDateTimeFormats& F) {
            EXPECT_EQ(F.Caption(), "Date and Time");
            TStringList expected;
            GetFormattedDateStrings(*dates, expected, Now());
            ASSERT_EQ(F.lbxDateFormats->Items()->Count(), 3);
            EXPECT_EQ(F.lbxDateFormats->Items()->Get(2), expected.Get(2));
            EXPECT_EQ(F.lbxDateFormats->ItemIndex(), 1);
            EXPECT_EQ(F.lbxTimeFormats->ItemIndex(), 0);
            EXPECT_FALSE(F.chbxAutoUpdate->Checked());
            EXPECT_FALSE(F.btnDefault->Visible());
            EXPECT_FALSE(F.btnHelp->Visible());
            EXPECT_EQ(F.btnOK->Left() + F.btnOK->Width(), F.btnCancel->Left() - 6) << "OK beside Cancel";
            EXPECT_EQ(F.btnCancel->Left() + F.btnCancel->Width(), F.ClientWidth() - 8) << "Cancel in Help's place";
            F.btnOK->Click();
        },
        &shown));
    EXPECT_TRUE(shown);
    EXPECT_EQ(data.DateFormatIndex, 1);

    dxDateTimeFormatsHelpContext = 17;
    int helpLeft = 0, cancelRight = 0;
    Run([&](TdxfmDateTimeFormats& F) {
        EXPECT_TRUE(F.btnHelp->Visible());
        EXPECT_TRUE(F.BorderIcons().Contains(biHelp));
        helpLeft = F.btnHelp->Left();
        cancelRight = F.btnCancel->Left() + F.btnCancel->Width();
    });
    dxDateTimeFormatsHelpContext = 0;
    EXPECT_EQ(cancelRight, helpLeft - 6);
}

TEST_F(DateTimeFormats, TheChoiceAndTheDefaultComeBackOnOK)
{
    Questions questions;
    data.ShowAsDefaultButton = true;
    TStringList dateTexts, timeTexts;
    EXPECT_TRUE(Run([&](TdxfmDateTimeFormats& F) {
        EXPECT_TRUE(F.btnDefault->Visible());
        EXPECT_TRUE(F.btnDefault->Enabled());
        SimulateKey(F.lbxDateFormats, VK_DOWN);
        SimulateKey(F.lbxTimeFormats, VK_DOWN);
        SimulateKey(F.chbxAutoUpdate, VK_SPACE);
        dateTexts.Assign(F.lbxDateFormats->Items());
        timeTexts.Assign(F.lbxTimeFormats->Items());
        F.btnDefault->Click();
        F.btnOK->Click();
    }));
    EXPECT_EQ(data.DateFormatIndex, 2);
    EXPECT_EQ(data.TimeFormatIndex, 1);
    EXPECT_TRUE(data.AutoUpdateDateTime);
    EXPECT_TRUE(data.SetDateTimeFormatAsDefault);
    ASSERT_EQ(questions.asked.size(), 1u);
    EXPECT_EQ(questions.asked[0], "Do you want to change the default date and time formats to match \"" +
                                      dateTexts.Get(2) + "\"  - \"" + timeTexts.Get(1) + "\" ?");

    // Saying no to the default is no change; a double click on a list is OK.
    questions.answer = mrNo;
    data.SetDateTimeFormatAsDefault = false;
    EXPECT_FALSE(Run([&](TdxfmDateTimeFormats& F) { F.btnDefault->Click(); }));
    EXPECT_TRUE(Run([&](TdxfmDateTimeFormats& F) {
        const TRect item = F.lbxDateFormats->ItemRect(0);
        SimulateClick(F.lbxDateFormats, item.Left + 5, item.Top + 3);
        SimulateDblClick(F.lbxDateFormats, item.Left + 5, item.Top + 3);
        EXPECT_EQ(F.ModalResult(), mrOk);
    }));
    EXPECT_EQ(data.DateFormatIndex, 0);
    EXPECT_FALSE(data.SetDateTimeFormatAsDefault);
}

// ----- page numbers ----------------------------------------------------------------------------

struct PageNumberFormat : ::testing::Test {
    TdxPageNumberFormatDlgData data;
    PageNumberFormat()
    {
        data.PageNumberFormats = PageNumberFormatList();
        data.StartPageIndex = 12;
    }
    bool Run(const std::function<void(TdxfmPageNumberFormat&)>& Script, bool* Shown = nullptr)
    {
        return RunScripted<TdxfmPageNumberFormat>(dxPageNumberFormatDlg, data, Script, Shown);
    }
};

TEST_F(PageNumberFormat, AnIndexPastTheListOrTheFormatsShowsNothing)
{
    const std::unique_ptr<TStringList> six = List({"1", "a", "A", "i", "I", "?"});
    for (auto [list, index] : {std::pair<TStrings*, int>{data.PageNumberFormats, 5}, {six.get(), 5},
                               {data.PageNumberFormats, -1}, {nullptr, 0}}) {
        TdxPageNumberFormatDlgData bad = data;
        bad.PageNumberFormats = list;
        bad.PageNumberFormatIndex = index;
        bool shown = false;
        EXPECT_FALSE(RunScripted<TdxfmPageNumberFormat>(dxPageNumberFormatDlg, bad,
                                                        [](TdxfmPageNumberFormat& F) { F.btnOK->Click(); }, &shown));
        EXPECT_FALSE(shown) << index;
    }
}

TEST_F(PageNumberFormat, ChangingTheFormatKeepsTheNumberAndChangesItsText)
{
    std::vector<std::string> texts;
    EXPECT_FALSE(Run([&](TdxfmPageNumberFormat& F) {
        EXPECT_EQ(F.Caption(), "Page Number Format");
        EXPECT_EQ(F.cbxPageNumberingFormat->ItemIndex(), 0);
        texts.push_back(F.sePageNumber->Text());
        SimulateKey(F.cbxPageNumberingFormat, VK_DOWN);
        SimulateKey(F.cbxPageNumberingFormat, VK_DOWN);   // A, B, C
        texts.push_back(F.sePageNumber->Text());
        SimulateKey(F.cbxPageNumberingFormat, VK_UP);
        SimulateKey(F.cbxPageNumberingFormat, VK_UP);
        texts.push_back(F.sePageNumber->Text());
        EXPECT_TRUE(F.Modified());
        F.btnCancel->Click();
    }));
    EXPECT_EQ(texts, (std::vector<std::string>{"12", "L", "12"}));
    EXPECT_EQ(data.PageNumberFormatIndex, 0);

    EXPECT_FALSE(Run([](TdxfmPageNumberFormat& F) { F.btnOK->Click(); })) << "OK without a change";
}

TEST_F(PageNumberFormat, ARomanStartPageTypedReadsAsItsNumber)
{
    data.PageNumberFormatIndex = pnfRoman;
    data.StartPageIndex = 3;
    data.ShowAsDefaultButton = true;
    Questions questions;
    EXPECT_TRUE(Run([&](TdxfmPageNumberFormat& F) {
        EXPECT_EQ(F.sePageNumber->Text(), "iii");
        F.sePageNumber->SetFocus();
        F.sePageNumber->SelectAll();
        SimulateText("x1iv");   // the digit is refused
        EXPECT_EQ(F.sePageNumber->Text(), "xiv");
        F.btnDefault->Click();
        SimulateKey(VK_RETURN);
    }));
    EXPECT_EQ(data.StartPageIndex, 14);
    EXPECT_EQ(data.PageNumberFormatIndex, pnfRoman);
    EXPECT_TRUE(data.SetPageNumberFormatAsDefault);
    EXPECT_EQ(questions.asked,
              (std::vector<std::string>{
                  "Do you want to change the default Page numbering format to match \"i, ii, iii, iv, v, ...\" ?"}));
}

} // namespace
} // namespace qel
