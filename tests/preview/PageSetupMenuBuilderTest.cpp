// The print-style menu: what a build leaves in the root, which item is
// checked for a filtered list or none, the styles the items stand for after
// one is freed, and replacing the builder class.
#include "preview/PageSetupMenuBuilder.h"

#include "platform/controls/Menus.h"
#include "platform/core/Strings.h"
#include "printing/PrintStyles.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace qel {
namespace {

struct StyleMenu : ::testing::Test {
    TComponent owner{nullptr};
    TdxPrintStyleManager* manager = new TdxPrintStyleManager(&owner);
    TPopupMenu menu{nullptr};
    TMenuItem* root = menu.Items();
    std::unique_ptr<TAbstractdxPSPageSetupMenuBuilder> builder = dxPSPageSetupMenuBuilderClass()->Create();
    std::vector<TObject*> clicked;
    int defineClicks = 0;

    StyleMenu()
    {
        for (const char* caption : {"Standard", "Landscape", "Draft"}) {
            TBasedxPrintStyle* style = manager->AddStyle();
            style->SetStyleCaption(caption);
            style->SetDescription(std::string(caption) + " pages");
        }
    }
    TBasedxPrintStyle* Style(int Index) const { return manager->Styles(Index); }
    void Build(std::initializer_list<int> Listed, TBasedxPrintStyle* Current, bool DefineItem)
    {
        TStringList styles;
        for (int i : Listed)
            styles.AddObject(Style(i)->StyleCaption(), Style(i));
        builder->BuildPageSetupMenu(
            root, [this](TObject*) { ++defineClicks; }, [this](TObject* Sender) { clicked.push_back(Sender); },
            Current, &styles, DefineItem);
    }
    std::vector<std::string> Captions() const
    {
        std::vector<std::string> captions;
        for (int i = 0; i < root->Count(); ++i)
            captions.push_back((root->Items(i)->Checked() ? "*" : "") + root->Items(i)->Caption());
        return captions;
    }
};

TEST_F(StyleMenu, AnEmptyListGivesTheDefineItemAloneAndABuildReplacesTheLast)
{
    Build({}, nullptr, true);
    EXPECT_EQ(Captions(), std::vector<std::string>{"Define Print &Styles..."});
    root->Items(0)->Click();
    EXPECT_EQ(defineClicks, 1);
    Build({}, nullptr, false);
    EXPECT_EQ(root->Count(), 0);

    Build({0, 1, 2}, Style(0), true);
    Build({1, 2}, Style(1), false);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"*Landscape", "Draft"}));
    const TMenuItem* item = root->Items(0);
    EXPECT_TRUE(item->RadioItem());
    EXPECT_EQ(item->GroupIndex(), 1);
    EXPECT_EQ(item->Hint(), "Landscape pages");
}

TEST_F(StyleMenu, TheCurrentStylesOwnItemIsCheckedWhateverTheListLeavesOut)
{
    // A link that filters "Landscape" out: the current style "Draft" is the
    // manager's third but the menu's second.
    Build({0, 2}, Style(2), true);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Standard", "*Draft", "-", "Define Print &Styles..."}));
    Build({1, 2}, Style(1), true);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"*Landscape", "Draft", "-", "Define Print &Styles..."}))
        << "the current style first in a list that starts later";
    Build({0, 1, 2}, nullptr, false);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Standard", "Landscape", "Draft"})) << "no current style";
}

TEST_F(StyleMenu, ItemsStandForTheirStylesUntilAStyleIsFreed)
{
    Build({0, 1, 2}, Style(0), false);
    root->Items(1)->Click();
    ASSERT_EQ(clicked.size(), 1u);
    EXPECT_EQ(builder->ExtractPrintStyleFromObj(clicked[0]), Style(1));
    EXPECT_EQ(builder->ExtractPrintStyleFromObj(Style(1)), nullptr) << "not a menu item";
    delete Style(1);
    EXPECT_EQ(builder->ExtractPrintStyleFromObj(root->Items(1)), nullptr);
    EXPECT_EQ(builder->ExtractPrintStyleFromObj(root->Items(2)), manager->Styles(1));
    TComponent notAMenu(nullptr);
    builder->BuildPageSetupMenu(&notAMenu, nullptr, nullptr, nullptr, nullptr, true);
    EXPECT_EQ(root->Count(), 3) << "a root that is no menu item is ignored";
}

class CountingBuilder : public TdxStandardPSPageSetupMenuBuilder {};

TEST_F(StyleMenu, TheNewestRegisteredBuilderClassIsUsed)
{
    const auto* standard = dxPSPageSetupMenuBuilderClassOf<TdxStandardPSPageSetupMenuBuilder>();
    const auto* mine = dxPSPageSetupMenuBuilderClassOf<CountingBuilder>();
    EXPECT_EQ(dxPSPageSetupMenuBuilderClass(), standard);
    dxPSRegisterPageSetupMenuBuilder(mine);
    EXPECT_EQ(dxPSPageSetupMenuBuilderClass(), mine);
    EXPECT_NE(dynamic_cast<CountingBuilder*>(dxPSPageSetupMenuBuilderClass()->Create().get()), nullptr);
    dxPSUnregisterPageSetupMenuBuilder(mine);
    EXPECT_EQ(dxPSPageSetupMenuBuilderClass(), standard);
}

} // namespace
} // namespace qel
