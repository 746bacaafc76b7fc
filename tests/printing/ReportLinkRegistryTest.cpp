#include "printing/ReportLinkRegistry.h"

#include "platform/controls/Forms.h"
#include "platform/controls/StdCtrls.h"
#include "platform/graphics/Bitmap.h"
#include "printing/PSEngine.h"
#include "printing/PSPrintStyle.h"
#include "printing/PreviewWindowBase.h"
#include "printing/ReportLink.h"
#include "printing/ReportLinkDesignWindow.h"

#include "ReportTestLink.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

using test::TReportTestLink;

class TRegB : public TComponent {
    QEL_CLASS(TRegB)
public:
    using TComponent::TComponent;
};
class TRegD : public TRegB {
    QEL_CLASS(TRegD)
public:
    using TRegB::TRegB;
};
class TRegE : public TRegB {
    QEL_CLASS(TRegE)
public:
    using TRegB::TRegB;
};
class TRegF : public TRegD {
    QEL_CLASS(TRegF)
public:
    using TRegD::TRegD;
};
const bool g_registered = RegisterClass<TRegB>("TRegB", "TComponent") && RegisterClass<TRegD>("TRegD", "TRegB") &&
                          RegisterClass<TRegE>("TRegE", "TRegB") && RegisterClass<TRegF>("TRegF", "TRegD");

struct RegistryScope {
    ~RegistryScope()
    {
        dxPSClearReportLinkRegistry();
        while (dxPSPreviewWindowClassCount() > 0)
            UnregisterPreviewWindowClass();
    }
};

TEST(ReportLinkRegistry, TheNearestRegisteredClassFindsTheLink)
{
    ASSERT_TRUE(g_registered);
    RegistryScope scope;
    dxPSRegisterReportLink("L1", "TRegB");
    dxPSRegisterReportLink("L2", "TRegD");
    EXPECT_EQ(dxPSLinkClassByComponentClass("TRegD"), "L2");
    EXPECT_EQ(dxPSLinkClassByComponentClass("TRegE"), "L1");
    EXPECT_EQ(dxPSLinkClassByComponentClass("TRegF"), "L2");   // D is nearer than B
    EXPECT_EQ(dxPSLinkClassByComponentClass("TComponent"), "");
    // The newest exact registration wins; an older one for an ancestor does not.
    dxPSRegisterReportLink("L0", "TRegB");
    EXPECT_EQ(dxPSLinkClassByComponentClass("TRegE"), "L0");
    EXPECT_EQ(dxPSLinkClassByComponentClass("TRegF"), "L2");

    dxPSRegisterReportLink("L1", "TRegB");   // the same triple again: kept once
    EXPECT_EQ(dxPSReportLinkRegistrationCount(), 3);
    dxPSRegisterReportLink("", "TRegB");
    dxPSRegisterReportLink("L9", "");
    EXPECT_EQ(dxPSReportLinkRegistrationCount(), 3);
    dxPSUnregisterReportLink("L0", "TRegB", "anders");   // not that triple
    EXPECT_EQ(dxPSReportLinkRegistrationCount(), 3);
    dxPSUnregisterReportLink("L0", "TRegB");
    EXPECT_EQ(dxPSLinkClassByComponentClass("TRegE"), "L1");

    TComponent owner(nullptr);
    EXPECT_TRUE(dxPSIsSupportedComponent(new TRegE(&owner)));
    EXPECT_FALSE(dxPSIsSupportedComponent(new TComponent(&owner)));
    EXPECT_TRUE(TClassRegistry::Instance().IsRegistered("L2"));
}

TEST(ReportLinkRegistry, PreviewWindowsAreUsedNewestFirst)
{
    RegistryScope scope;
    UnregisterPreviewWindowClass();   // nothing registered: nothing happens
    EXPECT_EQ(dxPSPreviewWindowClass(), "");
    RegisterPreviewWindowClass("TStandard");
    RegisterPreviewWindowClass("TEigene");
    EXPECT_EQ(dxPSPreviewWindowClass(), "TEigene");
    UnregisterPreviewWindowClass("TStandard");
    EXPECT_EQ(dxPSPreviewWindowClassCount(), 1);
    UnregisterPreviewWindowClass();
    EXPECT_EQ(dxPSPreviewWindowClassCount(), 0);
    EXPECT_EQ(dxPSPreviewWindowClass(), "");
}

TEST(ReportLinkRegistry, ALinkRefusesAComponentGivenToAnotherLinkClass)
{
    RegistryScope scope;
    dxPSRegisterReportLink("TAndererLink", "TRegB");
    TComponent owner(nullptr);
    auto* link = new TReportTestLink(&owner);
    auto* foreign = new TRegD(&owner);
    EXPECT_EQ(test::MessageOf<EdxReportLink>([&] { link->SetComponent(foreign); }),
              "Component \"TRegD\" not supported by TdxComponentPrinter");
    EXPECT_EQ(link->Component(), nullptr);
    link->SetComponent(new TComponent(&owner));   // no link class named for it
    EXPECT_NE(link->Component(), nullptr);
}

// ----- the standard style -------------------------------------------------------------------------

TEST(StandardPrintStyle, CaptionDefaultsAndGeneratingEvents)
{
    {
        TdxPSUnitUser units;
        EXPECT_EQ(dxDefaultPrintStyleClass(), "TdxPSPrintStyle");
    }
    EXPECT_EQ(dxDefaultPrintStyleClass(), "TBasedxPrintStyle");

    TComponent owner(nullptr);
    auto* manager = new TdxPrintStyleManager(&owner);
    auto* style = dynamic_cast<TdxPSPrintStyle*>(manager->AddStyle("TdxPSPrintStyle"));
    ASSERT_NE(style, nullptr);
    EXPECT_EQ(style->StyleCaption(), "Standard Style");
    EXPECT_FALSE(style->StyleGlyph()->Empty());
    style->RestoreDefaults();
    EXPECT_EQ(style->PrinterPage()->PageFooter()->CenterTitle()->Get(0), "[Page #]");
    EXPECT_EQ(style->PrinterPage()->PageFooter()->RightTitle()->Get(0), "[Date Printed]");

    std::vector<std::string> log;
    style->OnBeforeGenerating = [&](TObject*) { log.push_back("before"); };
    style->OnAfterGenerating = [&](TObject*) { log.push_back("after"); };
    auto* link = new TReportTestLink(&owner);
    link->SetStyleManager(manager);
    link->OnRowBuilt = [&](int Row) {
        if (Row == 0)
            log.push_back("build");
    };
    link->SetComponent(new TComponent(&owner));
    link->SetActive(true);
    EXPECT_EQ(log, (std::vector<std::string>{"before", "build", "after"}));
}

// ----- design windows ------------------------------------------------------------------------------

class TTestDesignWindow : public TAbstractdxReportLinkDesignWindow {
    QEL_CLASS(TTestDesignWindow)
public:
    using TAbstractdxReportLinkDesignWindow::TAbstractdxReportLinkDesignWindow;
    static inline std::function<void(TTestDesignWindow&)> OnRun;
};
const bool g_windowRegistered = RegisterClass<TTestDesignWindow>("TTestDesignWindow", "TAbstractdxReportLinkDesignWindow");

TEST(ReportDesignWindow, ButtonsCaptionAndTheApplyRule)
{
    ASSERT_TRUE(g_windowRegistered);
    TComponent owner(nullptr);
    auto* link = new TReportTestLink(&owner);
    auto* source = new TComponent(&owner);
    source->SetName("Matrix");
    link->SetComponent(source);
    TAbstractdxReportLinkDesignWindow window(nullptr);
    window.SetClientWidth(500);
    window.SetClientHeight(300);
    EXPECT_EQ(window.Caption(), "Report Designer");
    window.SetReportLink(link);
    EXPECT_EQ(window.Caption(), "Report Designer : Matrix");
    EXPECT_EQ(window.HelpButton()->Name(), "btnHelp");
    // No help context: Help hidden, OK, Cancel and Apply one place to the right.
    EXPECT_FALSE(window.HelpButton()->Visible());
    EXPECT_EQ(window.ApplyButton()->Left(), 500 - 4 - 75);
    EXPECT_EQ(window.CancelButton()->Left(), 500 - 4 - 75 - 79);
    EXPECT_EQ(window.OKButton()->Left(), 500 - 4 - 75 - 2 * 79);
    EXPECT_EQ(window.OKButton()->Top(), 300 - 6 - 23);
    window.SetHelpContext(17);
    window.LayoutButtons();
    EXPECT_TRUE(window.HelpButton()->Visible());
    EXPECT_EQ(window.HelpButton()->Left(), 500 - 4 - 75);
    EXPECT_EQ(window.OKButton()->Left(), 500 - 4 - 75 - 3 * 79);
    EXPECT_TRUE(window.BorderIcons().Contains(biHelp));
    // At run time the title button shows and the restore buttons do not.
    EXPECT_TRUE(window.TitlePropertiesButton()->Visible());
    EXPECT_FALSE(window.RestoreDefaultsButton()->Visible());
    EXPECT_EQ(window.TitlePropertiesButton()->TabOrder(), 0);
    // Apply needs a preview showing, which there is none of here.
    window.SetModified(true);
    EXPECT_FALSE(window.ApplyButton()->Enabled());
}

TEST(ReportDesignWindow, DesignReportKeepsOrGivesBackTheSettings)
{
    RegistryScope scope;
    TComponent owner(nullptr);
    auto* link = new TReportTestLink(&owner);
    link->SetComponent(new TComponent(&owner));
    EXPECT_FALSE(link->DesignReport());   // nothing registered
    dxPSRegisterReportLink("TReportTestLinkClass", "TRegB", "TTestDesignWindow");
    EXPECT_FALSE(link->HasDesignWindow());   // registered for another class name
    dxPSRegisterReportLink(link->ClassName(), "TRegE", "TTestDesignWindow");
    EXPECT_TRUE(link->HasDesignWindow());
    EXPECT_FALSE(link->DesignReport());   // no runner installed
    auto& runners = dxReportLinkDialogRunners();
    bool accept = false;
    runners.DesignWindow = [&](TAbstractdxReportLinkDesignWindow& Window) {
        EXPECT_EQ(Window.ReportLink(), link);
        link->SetColor(clRed);
        Window.SetModified(true);
        return accept;
    };
    EXPECT_FALSE(link->DesignReport());
    EXPECT_EQ(link->Color(), clWhite);   // cancelled: given back
    accept = true;
    EXPECT_TRUE(link->DesignReport());
    EXPECT_EQ(link->Color(), clRed);
    runners = {};
}

} // namespace
} // namespace qel
