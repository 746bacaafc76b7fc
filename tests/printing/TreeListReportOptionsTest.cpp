// The tree-list report link's settings: defaults, which changes ask for a
// rebuild, what is taken from the tree list and from another link.
#include "printing/TreeListReportLink.h"

#include "TreeListReportTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace qel {
namespace {

struct LinkOnTree {
    std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
    TdxTreeList* tree = new TdxTreeList(owner.get());
    TdxTreeListReportLink* link = new TdxTreeListReportLink(owner.get());

    LinkOnTree()
    {
        tree->CreateColumn()->SetCaption("Name");
        tree->Add()->SetString(0, "x");
        link->SetComponent(tree);
        link->SetActive(true);
    }
};

TEST(TreeListReportOptions, DefaultsAndRestoreDefaults)
{
    LinkOnTree t;
    TdxTreeListReportLink& l = *t.link;
    auto expectDefaults = [&] {
        EXPECT_EQ(l.Options().ToBits(), 25599u);
        EXPECT_FALSE(l.AutoNodesExpand());
        EXPECT_TRUE(l.BandsOnEveryPage());
        EXPECT_TRUE(l.HeadersOnEveryPage());
        EXPECT_FALSE(l.FootersOnEveryPage());
        EXPECT_EQ(l.DrawMode(), tldmStrict);
        EXPECT_EQ(l.ExpandLevel(), -1);
        EXPECT_TRUE(l.ExtendedSelect());
        EXPECT_FALSE(l.FixedTransparent());
        EXPECT_FALSE(l.OnlySelected());
        EXPECT_EQ(l.PreviewLineCount(), -1);
        EXPECT_FALSE(l.SupportedCustomDraw());
        EXPECT_EQ(l.GraphicAsTextValue(), "(GRAPHIC)");
        EXPECT_EQ(l.BandColor(), 0xC0C0C0);
        EXPECT_EQ(l.GroupNodeColor(), 0xC0C0C0);
        EXPECT_EQ(l.HeaderColor(), 0xC0C0C0);
        EXPECT_EQ(l.RowFooterColor(), 0xC0C0C0);
        EXPECT_EQ(l.EvenColor(), l.Color());
        EXPECT_EQ(l.PreviewColor(), l.Color());
        EXPECT_EQ(l.GridLineColor(), clBlack);
        for (TFont* f : {l.BandFont(), l.EvenFont(), l.FooterFont(), l.GroupNodeFont(), l.HeaderFont(),
                         l.OddFont(), l.PreviewFont(), l.RowFooterFont()})
            EXPECT_TRUE(f->Equals(*l.Font()));
    };
    expectDefaults();

    TFont bold;
    bold.SetName("Liberation Sans");
    bold.SetStyle({fsBold});
    l.SetOptions({tlpoGrid});
    l.SetDrawMode(tldmOddEven);
    l.SetExpandLevel(3);
    l.SetBandColor(clRed);
    l.SetEvenColor(clYellow);
    l.SetGraphicAsTextValue("Bild");
    l.SetHeaderFont(&bold);
    l.SetRowFooterFont(&bold);
    l.SetBandsOnEveryPage(false);
    l.RestoreDefaults();
    expectDefaults();
    EXPECT_TRUE(l.RebuildNeeded());
}

// The written value stays within bounds; the colour and font aliases share
// their values; the borrow-source switches set the draw mode whatever is written.
TEST(TreeListReportOptions, EdgeValuesAndAliases)
{
    LinkOnTree t;
    TdxTreeListReportLink& l = *t.link;
    l.SetExpandLevel(-5);
    EXPECT_EQ(l.ExpandLevel(), -1);
    l.SetPreviewLineCount(-7);
    EXPECT_EQ(l.PreviewLineCount(), -1);
    l.SetOddColor(clRed);
    EXPECT_EQ(l.Color(), clRed);
    EXPECT_EQ(l.OddColor(), clRed);

    EXPECT_FALSE(l.ExtendedColorManage());
    l.SetExtendedColorManage(false);
    EXPECT_EQ(l.DrawMode(), tldmBorrowSource);
    EXPECT_TRUE(l.ExtendedColorManage());
    EXPECT_TRUE(l.UseColumnFont());
    l.SetDrawMode(tldmOddEven);
    l.SetUseColumnFont(false);
    EXPECT_EQ(l.DrawMode(), tldmBorrowSource);

    l.SetGraphicAsTextValue("(graphic)");
    EXPECT_FALSE(l.IsGraphicAsTextValueStored());
    l.SetGraphicAsTextValue("Bild");
    EXPECT_TRUE(l.IsGraphicAsTextValueStored());
}

struct RebuildCase {
    const char* Name;
    std::function<void(TdxTreeListReportLink&)> Change;
    bool Rebuilds;
};

class TreeListReportRebuild : public ::testing::TestWithParam<RebuildCase> {};

TEST_P(TreeListReportRebuild, ChangesAskForARebuildWhenTheyChangeTheCells)
{
    LinkOnTree t;
    ASSERT_FALSE(t.link->RebuildNeeded());
    GetParam().Change(*t.link);
    EXPECT_EQ(t.link->RebuildNeeded(), GetParam().Rebuilds);
}

using L = TdxTreeListReportLink;
INSTANTIATE_TEST_SUITE_P(
    Setters, TreeListReportRebuild,
    ::testing::Values(
        RebuildCase{"SameValueChangesNothing", [](L& l) { l.SetAutoNodesExpand(false); }, false},
        RebuildCase{"AutoNodesExpand", [](L& l) { l.SetAutoNodesExpand(true); }, true},
        RebuildCase{"BandColorWithBands", [](L& l) { l.SetBandColor(clRed); }, true},
        RebuildCase{"BandColorWithoutBands",
                    [](L& l) {
                        l.SetOptions(l.Options() - TdxTreeListPaintOptions{tlpoBands});
                        l.Rebuild();
                        l.SetBandColor(clRed);
                    },
                    false},
        RebuildCase{"EvenColorOutsideOddEven", [](L& l) { l.SetEvenColor(clRed); }, false},
        RebuildCase{"EvenColorInOddEven",
                    [](L& l) {
                        l.SetDrawMode(tldmOddEven);
                        l.Rebuild();
                        l.SetEvenColor(clRed);
                    },
                    true},
        // The expand level chooses among expanded nodes too: every change rebuilds.
        RebuildCase{"ExpandLevelWithoutAutoExpand", [](L& l) { l.SetExpandLevel(0); }, true},
        RebuildCase{"PreviewColorWithPreview", [](L& l) { l.SetPreviewColor(clRed); }, true},
        RebuildCase{"RowFooterColorWithoutRowFooters",
                    [](L& l) {
                        l.SetOptions(l.Options() - TdxTreeListPaintOptions{tlpoRowFooters});
                        l.Rebuild();
                        l.SetRowFooterColor(clRed);
                    },
                    false},
        RebuildCase{"GraphicAsTextValueWithoutTheOption", [](L& l) { l.SetGraphicAsTextValue("x"); }, false},
        RebuildCase{"GridLineColor", [](L& l) { l.SetGridLineColor(clRed); }, true},
        RebuildCase{"AFont", [](L& l) { l.PreviewFont()->SetSize(20); }, true},
        RebuildCase{"SupportedCustomDraw", [](L& l) { l.SetSupportedCustomDraw(true); }, true},
        RebuildCase{"OptionsSet", [](L& l) { l.SetOptions(l.Options() + TdxTreeListPaintOptions{tlpo3DEffects}); },
                    true}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST(TreeListReportOptions, RestoreFromOriginalTakesTheLookOfTheTreeList)
{
    LinkOnTree t;
    TdxTreeList& tree = *t.tree;
    tree.SetShowBands(true);
    tree.SetShowHeader(false);
    tree.SetShowFooter(true);
    tree.SetShowGrid(false);
    tree.SetOptions(tree.Options() + TdxTreeListOptions{aoPreview});
    tree.SetPreviewLines(3);
    tree.SetLookAndFeel(lfFlat);
    tree.SetBandColor(clRed);
    tree.SetGroupNodeTextColor(clBlue);
    tree.Font()->SetName("Liberation Serif");
    tree.HeaderFont()->SetStyle({fsItalic});
    t.link->RestoreFromOriginal();
    const TdxTreeListPaintOptions o = t.link->Options();
    EXPECT_TRUE(o.Contains(tlpoBands));
    EXPECT_FALSE(o.Contains(tlpoHeaders));
    EXPECT_TRUE(o.Contains(tlpoFooters));
    EXPECT_FALSE(o.Contains(tlpoGrid));
    EXPECT_TRUE(o.Contains(tlpoPreview));
    EXPECT_FALSE(o.Contains(tlpoImages));
    EXPECT_TRUE(o.Contains(tlpo3DEffects));
    EXPECT_TRUE(o.Contains(tlpoSoft3D));
    EXPECT_EQ(t.link->PreviewLineCount(), 3);
    EXPECT_EQ(t.link->BandColor(), clRed);
    EXPECT_EQ(t.link->Font()->Name(), "Liberation Serif");
    EXPECT_EQ(t.link->FooterFont()->Name(), "Liberation Serif");
    EXPECT_EQ(t.link->GroupNodeFont()->Color(), clBlue);
    EXPECT_TRUE(t.link->HeaderFont()->Style().Contains(fsItalic));

    tree.SetLookAndFeel(lfUltraFlat);
    tree.SetOptionsEx(tree.OptionsEx() + TdxTreeListOptionsEx{aoAutoCalcPreviewLines});
    t.link->RestoreFromOriginal();
    EXPECT_FALSE(t.link->Options().Contains(tlpo3DEffects));
    EXPECT_FALSE(t.link->Options().Contains(tlpoSoft3D));
    EXPECT_EQ(t.link->PreviewLineCount(), -1);
}

TEST(TreeListReportOptions, AssignCopiesTheLinksSettingsButNotTheSampleTextOrTheEvents)
{
    LinkOnTree t;
    TdxTreeListReportLink& from = *t.link;
    TdxTreeListReportLink to(nullptr);
    from.SetAutoNodesExpand(true);
    from.SetBandsOnEveryPage(false);
    from.SetDrawMode(tldmOddEven);
    from.SetExpandLevel(2);
    from.SetOnlySelected(true);
    from.SetOptions({tlpoHeaders});
    from.SetPreviewLineCount(4);
    from.SetEvenColor(clYellow);
    from.SetRowFooterColor(clLime);
    from.RowFooterFont()->SetStyle({fsBold});
    from.SetGraphicAsTextValue("Bild");
    from.SetHorzDelimitByBands(true);
    from.OnCustomDrawCell = [](auto&&...) {};
    to.Assign(&from);
    EXPECT_TRUE(to.AutoNodesExpand());
    EXPECT_FALSE(to.BandsOnEveryPage());
    EXPECT_EQ(to.DrawMode(), tldmOddEven);
    EXPECT_EQ(to.ExpandLevel(), 2);
    EXPECT_TRUE(to.OnlySelected());
    EXPECT_EQ(to.Options(), TdxTreeListPaintOptions{tlpoHeaders});
    EXPECT_EQ(to.PreviewLineCount(), 4);
    EXPECT_EQ(to.EvenColor(), clYellow);
    EXPECT_EQ(to.RowFooterColor(), clLime);
    EXPECT_TRUE(to.RowFooterFont()->Style().Contains(fsBold));
    EXPECT_EQ(to.GraphicAsTextValue(), "(GRAPHIC)");
    EXPECT_FALSE(to.HorzDelimitByBands());
    EXPECT_FALSE(to.OnCustomDrawCell);
}

TEST(TreeListReportOptions, WhatRepeatsOnEveryPage)
{
    LinkOnTree t;
    TdxTreeListReportLink& l = *t.link;
    EXPECT_TRUE(l.GetHeadersOnEveryPage());
    l.SetOptions(l.Options() - TdxTreeListPaintOptions{tlpoBands});
    EXPECT_TRUE(l.GetHeadersOnEveryPage());   // the headers alone
    l.SetHeadersOnEveryPage(false);
    EXPECT_FALSE(l.GetHeadersOnEveryPage());
    l.SetHeadersOnEveryPage(true);
    l.SetBandsOnEveryPage(false);              // then neither repeats
    EXPECT_FALSE(l.GetHeadersOnEveryPage());
    l.SetFootersOnEveryPage(true);
    l.SetOptions(l.Options() - TdxTreeListPaintOptions{tlpoFooters});
    EXPECT_FALSE(l.GetFootersOnEveryPage());   // without the footer row
    l.SetOptions(l.Options() + TdxTreeListPaintOptions{tlpoFooters});
    EXPECT_TRUE(l.GetFootersOnEveryPage());
    t.tree->ClearNodes();
    EXPECT_FALSE(l.GetFootersOnEveryPage());   // nothing to repeat between
}

} // namespace
} // namespace qel

#include "platform/core/Stream.h"
#include "platform/core/Streaming.h"

namespace qel {
namespace {

std::string StreamOf(TComponent* Link)
{
    TMemoryStream stream;
    SaveComponentToMemory(Link, stream);
    return stream.Bytes();
}

// A stored link reads back with its settings, its fonts and its page; the
// borrow-source switches are written only when true, the sample text only
// when it is not the default.
TEST(TreeListReportStreaming, AStoredLinkReadsBackAsItWas)
{
    TComponent owner(nullptr);
    auto* link = new TdxTreeListReportLink(&owner);
    link->SetName("TreeReport");
    std::string bytes = StreamOf(link);
    EXPECT_EQ(bytes.find("ExtendedColorManage"), std::string::npos);
    EXPECT_EQ(bytes.find("UseColumnFont"), std::string::npos);
    EXPECT_EQ(bytes.find("GraphicAsTextValue"), std::string::npos);

    link->SetDrawMode(tldmBorrowSource);
    link->SetOptions({tlpoHeaders, tlpoGrid, tlpoCheckMarksAsText});
    link->SetExpandLevel(2);
    link->SetAutoNodesExpand(true);
    link->SetBandColor(clRed);
    link->SetPreviewLineCount(3);
    link->SetGraphicAsTextValue("Bild");
    link->HeaderFont()->SetStyle({fsItalic});
    link->RowFooterFont()->SetName("Liberation Serif");
    link->SetColor(clYellow);
    link->SetTransparent(false);
    link->SetReportTitleText("Zutrittsmatrix");
    link->PrinterPage()->SetDMPaper(9);
    link->PrinterPage()->PageFooter()->CenterTitle()->SetText("Page [Page #] of [Total Pages]");
    bytes = StreamOf(link);
    EXPECT_NE(bytes.find("ExtendedColorManage"), std::string::npos);
    EXPECT_NE(bytes.find("UseColumnFont"), std::string::npos);

    TMemoryStream stream;
    SaveComponentToMemory(link, stream);
    TComponent other(nullptr);
    auto* copy = new TdxTreeListReportLink(&other);
    LoadComponentFromMemory(stream, copy, &other);
    EXPECT_EQ(copy->DrawMode(), tldmBorrowSource);
    EXPECT_EQ(copy->Options(), (TdxTreeListPaintOptions{tlpoHeaders, tlpoGrid, tlpoCheckMarksAsText}));
    EXPECT_EQ(copy->ExpandLevel(), 2);
    EXPECT_TRUE(copy->AutoNodesExpand());
    EXPECT_EQ(copy->BandColor(), clRed);
    EXPECT_EQ(copy->PreviewLineCount(), 3);
    EXPECT_EQ(copy->GraphicAsTextValue(), "Bild");
    EXPECT_TRUE(copy->HeaderFont()->Style().Contains(fsItalic));
    EXPECT_EQ(copy->RowFooterFont()->Name(), "Liberation Serif");
    EXPECT_EQ(copy->Color(), clYellow);
    EXPECT_FALSE(copy->Transparent());
    EXPECT_EQ(copy->ReportTitleText(), "Zutrittsmatrix");
    EXPECT_EQ(copy->PrinterPage()->DMPaper(), 9);
    EXPECT_EQ(copy->PrinterPage()->PageFooter()->CenterTitle()->Text(),
              link->PrinterPage()->PageFooter()->CenterTitle()->Text());
}

} // namespace
} // namespace qel
