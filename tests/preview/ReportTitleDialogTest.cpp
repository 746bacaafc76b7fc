// The report title dialog scripted as a user works it, through the runner
// the report link calls: what it shows, what comes back, the colour box
// following Transparent, defaults, the font, the keys and the tab it keeps.
#include "preview/ReportTitleProperties.h"

#include "platform/controls/Automation.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/Guards.h"
#include "platform/storage/Registry.h"
#include "preview/PreviewDialogs.h"
#include "printing/PSEngine.h"
#include "printing/PrintControls.h"
#include "printing/PrintGraphicUtils.h"
#include "printing/ReportLink.h"
#include "printing/ReportTitle.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace qel {
namespace {

struct ReportTitleDialog : ::testing::Test {
    TdxReportTitle title;
    ReportTitleDialog()
    {
        dxInstallPreviewDialogs();
        title.SetText("Zutrittsmatrix");
        title.SetMode(tmOnFirstPage);
        title.SetTextAlignX(taRight);
        title.SetColor(clYellow);
        title.SetTransparent(false);
    }
    // As the link runs it: on a copy that it takes back when the runner says so.
    bool Run(const std::function<void(TdxfmReportTitleProperties&)>& Script, int HelpContext = 0)
    {
        TModalFormHookScope hook([&](TForm& F) { Script(dynamic_cast<TdxfmReportTitleProperties&>(F)); });
        return dxReportLinkDialogRunners().ReportTitle(title, HelpContext);
    }
};

TEST_F(ReportTitleDialog, ShowsTheTitleAndOKWithoutAChangeLeavesItAlone)
{
    TdxReportTitlePropertiesDlgData none;
    EXPECT_FALSE(dxReportTitlePropertiesDlg(none)) << "no title";

    EXPECT_FALSE(Run([](TdxfmReportTitleProperties& F) {
        EXPECT_EQ(F.Caption(), "Report Title");
        EXPECT_EQ(F.memText->Text(), "Zutrittsmatrix");
        EXPECT_EQ(F.cbxMode->Text(), "On First Page");
        EXPECT_EQ(F.cbxTextAlignX->Text(), "Right");
        EXPECT_EQ(F.cbxTextAlignY->Text(), "Center");
        EXPECT_EQ(F.ccbxColor->ColorValue(), clYellow);
        EXPECT_TRUE(F.ccbxColor->Enabled());
        EXPECT_FALSE(F.chbxTransparent->Checked());
        EXPECT_EQ(F.edFont->Text(), FontToText(F.ReportTitle()->Font()));
        EXPECT_FALSE(F.btnHelp->Visible());
        F.btnOK->Click();
    }));
    EXPECT_EQ(title.Text(), "Zutrittsmatrix");

    // Changed, then cancelled: nothing comes back.
    EXPECT_FALSE(Run([](TdxfmReportTitleProperties& F) {
        F.memText->SetText("Anders");
        EXPECT_TRUE(F.Modified());
        F.btnCancel->Click();
    }, 1234));
    EXPECT_EQ(title.Text(), "Zutrittsmatrix");
}

TEST_F(ReportTitleDialog, TransparentTogglesTheColourBoxAndTheChangesComeBackOnOK)
{
    std::vector<bool> colourEnabled;
    EXPECT_TRUE(Run([&](TdxfmReportTitleProperties& F) {
        F.PageControl->SetActivePage(F.tshProperties);
        SimulateKey(F.ccbxColor, VK_DOWN);
        colourEnabled.push_back(F.ccbxColor->Enabled());
        SimulateKey(F.chbxTransparent, VK_SPACE);
        colourEnabled.push_back(F.ccbxColor->Enabled());
        SimulateKey(F.chbxTransparent, VK_SPACE);
        colourEnabled.push_back(F.ccbxColor->Enabled());
        SimulateKey(F.cbxMode, VK_DOWN);
        SimulateKey(F.cbxTextAlignY, VK_DOWN);
        SimulateKey(F.chbxAdjustOnScale, VK_SPACE);
        F.btnOK->Click();
    }));
    EXPECT_EQ(colourEnabled, (std::vector<bool>{true, false, true}));
    EXPECT_FALSE(title.Transparent());
    EXPECT_NE(title.Color(), clYellow);
    EXPECT_EQ(title.Mode(), tmOnEveryTopPage);
    EXPECT_EQ(title.TextAlignY(), taBottom);
    EXPECT_TRUE(title.AdjustOnReportScale());
    EXPECT_EQ(title.Text(), "Zutrittsmatrix");
}

TEST_F(ReportTitleDialog, DefaultsAndTheFontAreChangesOfTheirOwn)
{
    EXPECT_TRUE(Run([](TdxfmReportTitleProperties& F) {
        F.btnRestoreDefaults->Click();
        EXPECT_EQ(F.memText->Text(), "");
        EXPECT_FALSE(F.ccbxColor->Enabled()) << "transparent by default";
        F.btnOK->Click();
    }));
    EXPECT_EQ(title.Text(), "");
    EXPECT_EQ(title.Mode(), tmOnEveryTopPage);

    TCommonDialogHookScope fonts([](TCommonDialog& D) {
        auto& dialog = dynamic_cast<TFontDialog&>(D);
        EXPECT_EQ(dialog.Font()->Name(), "Times New Roman") << "starts from the title's font";
        dialog.Font()->SetName("Arial");
        dialog.Font()->SetSize(20);
        return true;
    });
    std::string shown;
    EXPECT_TRUE(Run([&](TdxfmReportTitleProperties& F) {
        F.btnFont->Click();
        shown = F.edFont->Text();
        F.btnOK->Click();
    }));
    EXPECT_EQ(title.Font()->Name(), "Arial");
    EXPECT_EQ(title.Font()->Size(), 20);
    EXPECT_EQ(shown, FontToText(title.Font()));
}

TEST_F(ReportTitleDialog, EscInTheTextCancelsAndAcceleratorsChangeTabs)
{
    EXPECT_FALSE(Run([](TdxfmReportTitleProperties& F) {
        EXPECT_EQ(F.PageControl->ActivePage(), F.tshText);
        SimulateKey('P', {ssAlt});
        EXPECT_EQ(F.PageControl->ActivePage(), F.tshProperties);
        SimulateKey('T', {ssAlt});
        EXPECT_EQ(F.PageControl->ActivePage(), F.tshText);
        SimulateKey(F.memText, 'X');
        SimulateKey(F.memText, VK_ESCAPE);
        EXPECT_EQ(F.ModalResult(), mrCancel);
    }));
    EXPECT_EQ(title.Text(), "Zutrittsmatrix");
}

TEST_F(ReportTitleDialog, OpensOnTheTabShowingWhenItLastClosed)
{
    test::TempDir dir;
    const std::string previousStore = SettingsStoreFile();
    SetSettingsStoreFile(dir.File("settings.ini"));
    dxPSEngine()->SetRegistryPath("Software\\Tessaro\\Test");
    Finally restore([&] {
        dxPSEngine()->SetRegistryPath("");
        SetSettingsStoreFile(previousStore);
    });
    Run([](TdxfmReportTitleProperties& F) {
        F.PageControl->SetActivePage(F.tshProperties);
        F.btnCancel->Click();
    });
    bool reopened = false;
    Run([&](TdxfmReportTitleProperties& F) { reopened = F.PageControl->ActivePage() == F.tshProperties; });
    EXPECT_TRUE(reopened);
}

} // namespace
} // namespace qel
