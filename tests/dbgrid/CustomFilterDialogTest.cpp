// The "Custom AutoFilter" dialog filled as a user would: the operators a
// column offers, reopening, a value of the wrong type, Cancel.
#include "dbgrid/CustomFilterDialog.h"

#include "GridTestSupport.h"
#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/Dialogs.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/StdCtrls.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

struct DialogFixture : GridFixture {
    TdxDBTreeListColumn* number = grid->Columns(0);
    TdxDBTreeListColumn* active = grid->Columns(3);
    TdxDBGridFilter* filter = grid->Filter();
    DialogFixture()
    {
        number->SetName("colNumber");
        grid->Columns(1)->SetName("colTitle");
        active->SetName("colActive");
        filter->SetActive(true);
    }
};

void Fill(TfmCustomDialog& D, int First, const std::string& Text1, int Second = -1, const std::string& Text2 = "",
          bool Or = false)
{
    D.cbOperator1->SetConditionIndex(First);
    D.Edit1->SetText(Text1);
    D.cbOperator2->SetConditionIndex(Second);
    D.Edit2->SetText(Text2);
    (Or ? D.rbOr : D.rbAnd)->SetChecked(true);
}

// The pixels of a control's picture other than its background (inside its
// border, left of its button): the text.
int TextPixels(TControl* Control)
{
    const auto picture = GrabControl(Control);
    const TColor background = picture->Pixel(3, 3);
    int n = 0;
    for (int x = 3; x < picture->Width() - 20; ++x)
        for (int y = 3; y < picture->Height() - 3; ++y)
            n += picture->Pixel(x, y) != background ? 1 : 0;
    return n;
}

} // namespace

TEST(CustomFilterDialog, TheChoosersShowTheirCondition)
{
    DialogFixture f;
    TfmCustomDialog d(nullptr, f.number);
    EXPECT_GT(TextPixels(d.cbOperator1), 0) << "equals";
    EXPECT_EQ(TextPixels(d.cbOperator2), 0) << "no condition";
    d.cbOperator2->SetConditionIndex(2);
    EXPECT_GT(TextPixels(d.cbOperator2), 0) << "is greater than";
}

TEST(CustomFilterDialog, TabGoesFromEachConditionToItsValue)
{
    DialogFixture f;
    TModalFormHookScope hook([](TForm& Form) {
        auto& d = dynamic_cast<TfmCustomDialog&>(Form);
        auto holdsFocus = [](TWinControl* C) {
            TWinControl* a = Screen().ActiveControl();
            return a && (a == C || C->ContainsControl(a));
        };
        d.cbOperator1->SetFocus();
        SimulateKey(VK_TAB);
        EXPECT_TRUE(holdsFocus(d.Edit1));
        d.cbOperator2->SetFocus();
        SimulateKey(VK_TAB);
        EXPECT_TRUE(holdsFocus(d.Edit2));
        d.btnCancel->Click();
    });
    f.filter->Custom(f.number);
}

TEST(CustomFilterDialog, TwoConditionsAndReopening)
{
    DialogFixture f;
    {
        TModalFormHookScope hook([](TForm& Form) {
            auto& d = dynamic_cast<TfmCustomDialog&>(Form);
            EXPECT_EQ(d.Caption(), "Custom AutoFilter");
            EXPECT_EQ(d.LColumnName->Caption(), "NUMBER");
            EXPECT_EQ(d.cbOperator1->ConditionIndex(), 0);   // equals
            EXPECT_EQ(d.cbOperator2->ConditionIndex(), -1);  // no condition
            Fill(d, 4, "3", 2, "8", true);
            d.btnOK->Click();
        });
        EXPECT_TRUE(f.filter->Custom(f.number));
    }
    EXPECT_EQ(f.Rows(), (std::vector<std::string>{"1", "2", "9", "10"}));
    TModalFormHookScope hook([](TForm& Form) {
        auto& d = dynamic_cast<TfmCustomDialog&>(Form);
        EXPECT_EQ(d.cbOperator1->ConditionIndex(), 4);
        EXPECT_EQ(d.Edit1->Text(), "3");
        EXPECT_EQ(d.cbOperator2->ConditionIndex(), 2);
        EXPECT_EQ(d.Edit2->Text(), "8");
        EXPECT_TRUE(d.rbOr->Checked());
        d.btnCancel->Click();
    });
    EXPECT_FALSE(f.filter->Custom(f.number));
    EXPECT_EQ(f.Rows().size(), 4u);
}

TEST(CustomFilterDialog, AValueOfTheWrongTypeKeepsTheDialogOpen)
{
    DialogFixture f;
    std::vector<std::string> messages;
    TMessageDlgHookScope answer([&](const TMessageDlgParams& P) {
        messages.push_back(P.Text);
        return mrOk;
    });
    TModalFormHookScope hook([](TForm& Form) {
        auto& d = dynamic_cast<TfmCustomDialog&>(Form);
        Fill(d, 2, "abc");
        d.SetModalResult(mrOk);
        EXPECT_FALSE(d.CloseQuery());
        d.Edit1->SetText("7");
        d.btnOK->Click();
    });
    EXPECT_TRUE(f.filter->Custom(f.number));
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(f.Rows(), (std::vector<std::string>{"8", "9", "10"}));
}

TEST(CustomFilterDialog, EmptyComparisonsDropOutAndCheckColumnsOfferFewerOperators)
{
    DialogFixture f;
    f.filter->SetColumnValue(f.number, Variant(4), "4");
    TModalFormHookScope hook([](TForm& Form) {
        auto& d = dynamic_cast<TfmCustomDialog&>(Form);
        Fill(d, 2, "", 5, "");   // two comparisons with nothing to compare with
        d.btnOK->Click();
    });
    EXPECT_TRUE(f.filter->Custom(f.number));
    EXPECT_FALSE(f.filter->HasCondition(f.number));
    EXPECT_EQ(f.Rows().size(), 10u);

    TfmCustomDialog d(nullptr, f.active);
    EXPECT_EQ(d.cbOperator1->Descriptions()->Count(), 4);
    EXPECT_EQ(d.cbOperator1->Descriptions()->Get(2), "blanks");
}

TEST(CustomFilterDialog, CheckColumnsCompareTheirBooleanValue)
{
    // The dialog gives the same rows as the header filter's value.
    DialogFixture f;
    for (const auto& [condition, rows] : {std::pair<int, std::vector<std::string>>{0, {"2", "4", "6", "8", "10"}},
                                          {1, {"1", "3", "5", "7", "9"}}}) {
        TModalFormHookScope hook([&, condition = condition](TForm& Form) {
            auto& d = dynamic_cast<TfmCustomDialog&>(Form);
            Fill(d, condition, "True");
            d.btnOK->Click();
        });
        EXPECT_TRUE(f.filter->Custom(f.active));
        EXPECT_EQ(f.Rows(), rows) << "condition " << condition;
    }
}
