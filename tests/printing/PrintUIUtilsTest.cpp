#include "printing/PrintUIUtils.h"

#include "platform/controls/Application.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/StdCtrls.h"

#include "ScreenTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace qel {
namespace {

// Records the message boxes and beeps of one test and answers with `answer`.
class MessageScript {
public:
    explicit MessageScript(TModalResult answer)
        : m_dlg([this, answer](const TMessageDlgParams& p) {
              shown.push_back(p);
              return answer;
          }),
          m_previousBeep(SetBeepHook([this](unsigned type) { beeps.push_back(type); }))
    {
        m_previousTitle = Application().Title();
        Application().SetTitle("Access Matrix");
    }
    ~MessageScript()
    {
        SetBeepHook(std::move(m_previousBeep));
        Application().SetTitle(m_previousTitle);
    }

    std::vector<TMessageDlgParams> shown;
    std::vector<unsigned> beeps;

private:
    TMessageDlgHookScope m_dlg;
    TBeepHook m_previousBeep;
    std::string m_previousTitle;
};

TEST(MessageBoxes, ErrorAndWarningUseTheApplicationTitle)
{
    MessageScript script(mrOk);
    MessageError("Printer not ready");
    MessageWarning("Invalid page ranges");
    ASSERT_EQ(script.shown.size(), 2u);
    EXPECT_EQ(script.shown[0].Text, "Printer not ready");
    EXPECT_EQ(script.shown[0].Caption, "Access Matrix");
    EXPECT_EQ(script.shown[0].Type, mtError);
    EXPECT_EQ(script.shown[0].Buttons, TMsgDlgButtons{mbOK});
    EXPECT_EQ(script.shown[1].Type, mtWarning);
    EXPECT_EQ(script.shown[1].Caption, "Access Matrix");
    EXPECT_EQ(script.beeps, (std::vector<unsigned>{MB_ICONEXCLAMATION, MB_ICONEXCLAMATION}));
}

TEST(MessageBoxes, QuestionIsTrueOnlyOnYes)
{
    {
        MessageScript script(mrYes);
        EXPECT_TRUE(MessageQuestion("File \"a.prn\" already exists. Overwrite ?"));
        ASSERT_EQ(script.shown.size(), 1u);
        EXPECT_EQ(script.shown[0].Type, mtConfirmation);
        EXPECT_TRUE(script.shown[0].Buttons.Contains(mbYes));
        EXPECT_TRUE(script.shown[0].Buttons.Contains(mbNo));
        EXPECT_EQ(script.beeps, (std::vector<unsigned>{MB_ICONQUESTION}));
    }
    for (TModalResult answer : {mrNo, mrCancel, mrNone}) {
        MessageScript script(answer);
        EXPECT_FALSE(MessageQuestion("Overwrite ?"));
    }
}

TEST(WorkArea, ComesFromTheScreen)
{
    const TRect custom = Rect(0, 30, 1024, 738);
    test::VirtualScreenScope screen(1024, 768, &custom);
    EXPECT_EQ(GetWorkArea(), custom);
}

TEST(FontInfoText, CaptionAndVisibleColour)
{
    TLabel label(nullptr);
    label.SetColor(clWhite);
    TFont font;
    font.SetName("Arial");
    font.SetSize(10);
    font.SetStyle({fsBold});
    font.SetColor(clRed);
    SetFontInfoText(&label, &font);
    EXPECT_EQ(label.Caption(), "10 pt. Arial  [Bold]");
    EXPECT_EQ(label.Font()->Color(), clRed);

    // White on a clWindow (white) control would not show.
    label.SetColor(clWindow);
    font.SetColor(clWhite);
    SetFontInfoText(&label, &font);
    EXPECT_EQ(label.Font()->Color(), clWindowText);

    SetFontInfoText(&label, nullptr);
    EXPECT_EQ(label.Caption(), "");
    EXPECT_NO_THROW(SetFontInfoText(nullptr, &font));
}

} // namespace
} // namespace qel
