// A report link's print-style menu through the installed builder: the styles
// the link supports, the current style's item checked, what picking an item
// leads to, and the menu outliving its styles, its manager and its link.
#include "preview/PageSetupMenuBuilder.h"
#include "preview/PreviewDialogs.h"
#include "printing/PrintStyles.h"
#include "printing/ReportLink.h"

#include "platform/controls/Menus.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace qel {
namespace {

// Records what a link asks of its printer after page setup.
class TFollowUpPrinter : public TAbstractdxComponentPrinter {
public:
    using TAbstractdxComponentPrinter::TAbstractdxComponentPrinter;
    std::vector<std::string> Log;
    void Preview(bool Modal, TBasedxReportLink*) override { Log.push_back(Modal ? "preview modal" : "preview"); }
    void Print(bool ShowDialog, TBasedxReportLink*) override { Log.push_back(ShowDialog ? "print dialog" : "print"); }
};

struct LinkStyleMenu : ::testing::Test {
    TComponent owner{nullptr};
    TdxPrintStyleManager* manager = new TdxPrintStyleManager(&owner);
    TBasedxReportLink* link = new TBasedxReportLink(&owner);
    TFollowUpPrinter* printer = new TFollowUpPrinter(&owner);
    TPopupMenu menu{nullptr};
    TMenuItem* root = menu.Items();
    std::vector<std::string> pageSetups;   // the captions of the styles page setup ran on
    bool pressPreview = false;
    bool pressPrint = false;
    int defineRuns = 0;

    LinkStyleMenu()
    {
        dxInstallPreviewDialogs();
        for (const char* caption : {"Standard", "Landscape", "Draft"})
            manager->AddStyle()->SetStyleCaption(caption);
        link->SetStyleManager(manager);
        link->SetComponentPrinter(printer);
        // No dialog shows: page setup and Define Print Styles only record.
        TdxPrintStyleDialogRunners& styles = dxPrintStyleDialogRunners();
        styles.PageSetup = [this](TBasedxPrintStyle& Style, TComponent*, int, bool* Preview, bool* Print) {
            pageSetups.push_back(Style.StyleCaption());
            *Preview = pressPreview;
            *Print = pressPrint;
            return true;
        };
        styles.DefinePrintStyles = [this](TdxPrintStyleManager&, const std::string&, int, bool*, bool*) {
            ++defineRuns;
        };
    }
    ~LinkStyleMenu() override
    {
        dxPrintStyleDialogRunners() = {};
        dxInstallPreviewDialogs();
    }
    TBasedxPrintStyle* Style(const std::string& Caption) const
    {
        for (int i = 0; i < manager->Count(); ++i)
            if (manager->Styles(i)->StyleCaption() == Caption)
                return manager->Styles(i);
        return nullptr;
    }
    void FilterOut(const std::string& Caption)
    {
        link->OnFilterStyle = [Caption](TBasedxReportLink*, TBasedxPrintStyle* S, bool& Supported) {
            Supported = S->StyleCaption() != Caption;
        };
    }
    std::vector<std::string> Captions() const
    {
        std::vector<std::string> captions;
        for (int i = 0; i < root->Count(); ++i)
            captions.push_back((root->Items(i)->Checked() ? "*" : "") + root->Items(i)->Caption());
        return captions;
    }
    TMenuItem* Item(const std::string& Caption) const
    {
        for (int i = 0; i < root->Count(); ++i)
            if (root->Items(i)->Caption() == Caption)
                return root->Items(i);
        return nullptr;
    }
};

using Texts = std::vector<std::string>;

TEST_F(LinkStyleMenu, ListsTheSupportedStylesAndChecksTheCurrentStylesOwnItem)
{
    // "Draft" is the manager's third style but the menu's second.
    manager->SetCurrentStyle(Style("Draft"));
    FilterOut("Landscape");
    ASSERT_TRUE(link->BuildPageSetupMenu(root));
    EXPECT_EQ(Captions(), (Texts{"Standard", "*Draft", "-", "Define Print &Styles..."}));

    // The current style stays in the menu whatever the filter says.
    FilterOut("Draft");
    ASSERT_TRUE(link->BuildPageSetupMenu(root, false));
    EXPECT_EQ(Captions(), (Texts{"Standard", "Landscape", "*Draft"}));

    // Without a manager there is no style and none is checked.
    link->SetStyleManager(nullptr);
    ASSERT_TRUE(link->BuildPageSetupMenu(root));
    EXPECT_EQ(Captions(), Texts{"Define Print &Styles..."});
    ASSERT_TRUE(link->BuildPageSetupMenu(root, false));
    EXPECT_TRUE(Captions().empty());
}

TEST_F(LinkStyleMenu, PickingAStyleMakesItCurrentAndRunsPageSetupWhichMayLeadToPreviewOrPrint)
{
    ASSERT_TRUE(link->BuildPageSetupMenu(root));
    Item("Landscape")->Click();
    EXPECT_EQ(manager->CurrentStyle(), Style("Landscape"));
    EXPECT_EQ(pageSetups, Texts{"Landscape"});
    EXPECT_TRUE(printer->Log.empty());

    pressPreview = true;
    Item("Draft")->Click();
    pressPreview = false;
    pressPrint = true;
    Item("Standard")->Click();
    EXPECT_EQ(pageSetups, (Texts{"Landscape", "Draft", "Standard"}));
    EXPECT_EQ(printer->Log, (Texts{"preview modal", "print dialog"}));

    Item("Define Print &Styles...")->Click();
    EXPECT_EQ(defineRuns, 1);
}

TEST_F(LinkStyleMenu, TheMenuOutlivesItsStylesItsManagerAndItsLink)
{
    ASSERT_TRUE(link->BuildPageSetupMenu(root));
    // A style freed after the build: its item does nothing.
    TMenuItem* landscape = Item("Landscape");
    delete Style("Landscape");
    landscape->Click();
    EXPECT_TRUE(pageSetups.empty());

    // The link on another manager: the old menu's styles are not its styles.
    TdxPrintStyleManager other(nullptr);
    other.AddStyle()->SetStyleCaption("Other");
    link->SetStyleManager(&other);
    Item("Draft")->Click();
    EXPECT_TRUE(pageSetups.empty());
    EXPECT_NE(other.CurrentStyle(), nullptr);
    EXPECT_EQ(manager->CurrentStyle(), Style("Standard"));

    // The link freed: neither kind of item reaches it.
    link->SetStyleManager(manager);
    ASSERT_TRUE(link->BuildPageSetupMenu(root));
    delete link;
    link = nullptr;
    Item("Draft")->Click();
    Item("Define Print &Styles...")->Click();
    EXPECT_TRUE(pageSetups.empty());
    EXPECT_EQ(defineRuns, 0);
    EXPECT_EQ(manager->CurrentStyle(), Style("Standard"));
}

TEST_F(LinkStyleMenu, AFilterThatFreesAStyleOrTheLinkWhileTheMenuIsBuilt)
{
    manager->AddStyle()->SetStyleCaption("Wide");
    manager->SetCurrentStyle(Style("Landscape"));   // never asked about: always supported
    // Asked about "Standard", the handler frees "Draft", not asked about yet.
    link->OnFilterStyle = [this](TBasedxReportLink*, TBasedxPrintStyle* S, bool&) {
        if (S->StyleCaption() == "Standard")
            delete Style("Draft");
    };
    ASSERT_TRUE(link->BuildPageSetupMenu(root, false));
    EXPECT_EQ(Captions(), (Texts{"Standard", "*Landscape", "Wide"}));
    // Asked about "Wide", it frees "Standard", already taken.
    link->OnFilterStyle = [this](TBasedxReportLink*, TBasedxPrintStyle* S, bool&) {
        if (S->StyleCaption() == "Wide")
            delete Style("Standard");
    };
    ASSERT_TRUE(link->BuildPageSetupMenu(root, false));
    EXPECT_EQ(Captions(), (Texts{"*Landscape", "Wide"}));

    // The link freed from its own filter: nothing is built.
    link->OnFilterStyle = [this](TBasedxReportLink*, TBasedxPrintStyle*, bool&) {
        // The handler goes with the link: nothing of it is touched after.
        delete std::exchange(link, nullptr);
    };
    root->Clear();
    EXPECT_FALSE(link->BuildPageSetupMenu(root));
    EXPECT_EQ(link, nullptr);
    EXPECT_EQ(root->Count(), 0);
}

} // namespace
} // namespace qel
