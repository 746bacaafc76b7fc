#include "printing/ReportCells.h"
#include "printing/ReportUnits.h"

#include "platform/graphics/Canvas.h"

#include "platform/graphics/Bitmap.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace qel {
namespace {

// ----- the format word ---------------------------------------------------------------------------

struct FieldCase {
    const char* Name;
    dxFormat::TField Field;
    std::vector<int> Values;
    int Stored;   // what the field holds for a value: value + Stored
    std::function<void(TdxReportItem&, int)> Set;
    std::function<int(TdxReportItem&)> Get;
};

template <class T, class V>
std::function<void(TdxReportItem&, int)> Setter(void (T::*F)(V))
{
    return [F](TdxReportItem& Item, int Value) { (dynamic_cast<T&>(Item).*F)(static_cast<V>(Value)); };
}

template <class T, class V>
std::function<int(TdxReportItem&)> Getter(V (T::*F)() const)
{
    return [F](TdxReportItem& Item) { return static_cast<int>((dynamic_cast<T&>(Item).*F)()); };
}

TEST(ReportCellFormat, EveryFieldRoundTripsFromAllZerosAndAllOnesLeavingItsNeighbours)
{
    const std::vector<FieldCase> cases = {
        {"TextAlignX", dxFormat::TextAlignX, {taLeft, taCenterX, taRight}, 1,
         Setter(&TdxReportCellText::SetTextAlignX), Getter(&TdxReportCellText::TextAlignX)},
        {"TextAlignY", dxFormat::TextAlignY, {taTop, taCenterY, taBottom}, 1,
         Setter(&TdxReportCellText::SetTextAlignY), Getter(&TdxReportCellText::TextAlignY)},
        {"EndEllipsis", dxFormat::EndEllipsis, {0, 1}, 0, Setter(&TdxReportCellText::SetEndEllipsis),
         Getter(&TdxReportCellText::EndEllipsis)},
        {"Multiline", dxFormat::Multiline, {0, 1}, 0, Setter(&TdxReportCellText::SetMultiline),
         Getter(&TdxReportCellText::Multiline)},
        {"Transparent", dxFormat::Transparent, {0, 1}, 0, Setter(&TdxReportVisualItem::SetTransparent),
         Getter(&TdxReportVisualItem::Transparent)},
        {"ImageTransparent", dxFormat::ImageTransparent, {0, 1}, 0,
         Setter(&TdxReportCellCustomImage::SetImageTransparent), Getter(&TdxReportCellCustomImage::ImageTransparent)},
        {"FlatBorder", dxFormat::FlatBorder, {0, 1}, 0, Setter(&TdxReportCellCheck::SetFlatBorder),
         Getter(&TdxReportCellCheck::FlatBorder)},
        {"Checked", dxFormat::Checked, {0, 1}, 0, Setter(&TdxReportCellCheck::SetChecked),
         Getter(&TdxReportCellCheck::Checked)},
        {"Enabled", dxFormat::Enabled, {0, 1}, 0, Setter(&TdxReportCellCheck::SetEnabled),
         Getter(&TdxReportCellCheck::Enabled)},
        {"EdgeMode", dxFormat::EdgeMode, {cemFlat, cem3D, cemNoBorder}, 0, Setter(&TdxReportVisualItem::SetEdgeMode),
         Getter(&TdxReportVisualItem::EdgeMode)},
        {"OuterEdgeStyle", dxFormat::OuterEdgeStyle, {cesNone, cesSunken, cesRaised}, 0,
         Setter(&TdxReportVisualItem::SetOuterEdgeStyle), Getter(&TdxReportVisualItem::OuterEdgeStyle)},
        {"InnerEdgeStyle", dxFormat::InnerEdgeStyle, {cesNone, cesSunken, cesRaised}, 0,
         Setter(&TdxReportVisualItem::SetInnerEdgeStyle), Getter(&TdxReportVisualItem::InnerEdgeStyle)},
        {"SortOrder", dxFormat::SortOrder, {csoNone, csoUp, csoDown}, 0, Setter(&TdxReportCellText::SetSortOrder),
         Getter(&TdxReportCellText::SortOrder)},
        {"CheckPos", dxFormat::CheckPos, {ccpLeft, ccpCenter, ccpRight}, 0, Setter(&TdxReportCellCheck::SetCheckPos),
         Getter(&TdxReportCellCheck::CheckPos)},
        {"UseParentColor", dxFormat::UseParentColor, {0, 1}, 0, Setter(&TdxReportVisualItem::SetUseParentColor),
         Getter(&TdxReportVisualItem::UseParentColor)},
    };
    TdxReportCell root(nullptr);
    auto* check = root.AddDataItem<TdxReportCellCheckImage>();
    auto* image = root.AddDataItem<TdxReportCellImage>();
    for (const FieldCase& c : cases) {
        TdxReportItem& item = std::string(c.Name) == "ImageTransparent" ? static_cast<TdxReportItem&>(*image)
                                                                         : static_cast<TdxReportItem&>(*check);
        auto& visual = dynamic_cast<TdxReportVisualItem&>(item);
        for (std::uint32_t start : {0u, 0xFFFFFFFFu}) {
            for (int value : c.Values) {
                visual.SetFormat(start);
                c.Set(item, value);
                EXPECT_EQ(c.Get(item), value) << c.Name << " from " << std::hex << start;
                EXPECT_EQ(dxFormat::Get(visual.Format(), c.Field), std::uint32_t(value + c.Stored)) << c.Name;
                EXPECT_EQ(visual.Format() & ~dxFormat::Mask(c.Field), start & ~dxFormat::Mask(c.Field))
                    << c.Name << " touched a neighbour from " << std::hex << start;
            }
        }
    }
    // Cell sides as a set in the low four bits.
    for (std::uint32_t start : {0u, 0xFFFFFFFFu}) {
        check->SetFormat(start);
        check->SetCellSides({csTop, csBottom});
        EXPECT_EQ(check->CellSides(), (TdxCellSides{csTop, csBottom}));
        EXPECT_EQ(check->Format(), (start & ~0xFu) | 0xAu);
    }
    // An alignment field never written reads as the first value.
    check->SetFormat(0);
    EXPECT_EQ(check->TextAlignX(), taLeft);
    EXPECT_EQ(check->TextAlignY(), taTop);
}

TEST(ReportCellFormat, NewItemsAreTransparentWithAllSidesAndTheirParentsColour)
{
    TdxReportCell root(nullptr);
    root.SetColor(clYellow);
    auto* row = root.AddCell();
    auto* text = row->AddDataItem<TdxReportCellString>();
    EXPECT_TRUE(text->Transparent());
    EXPECT_EQ(text->CellSides(), csAll);
    EXPECT_EQ(text->TextAlignX(), taLeft);
    EXPECT_EQ(text->TextAlignY(), taCenterY);
    EXPECT_EQ(text->Color(), clYellow);
    EXPECT_EQ(text->FontIndex(), -1);
    auto* check = row->AddDataItem<TdxReportCellCheck>();
    EXPECT_EQ(check->CheckPos(), ccpCenter);
    EXPECT_TRUE(check->Enabled());
    EXPECT_TRUE(check->FlatBorder());
}

// ----- items ---------------------------------------------------------------------------------------

TEST(ReportItems, ColourFollowsTheNearestAncestorUntilAnItemGetsItsOwn)
{
    TdxReportCell root(nullptr);
    root.SetColor(clSilver);
    auto* band = root.AddCell();
    auto* row = band->AddCell();
    auto* text = row->AddDataItem<TdxReportCellString>();
    EXPECT_EQ(text->Color(), clSilver);
    band->SetColor(clAqua);   // band stops inheriting; the row and the text follow it
    EXPECT_FALSE(band->UseParentColor());
    EXPECT_EQ(text->Color(), clAqua);
    text->SetColor(clAqua);   // the same colour keeps the inheritance
    EXPECT_TRUE(text->UseParentColor());
    text->SetColor(clRed);
    EXPECT_FALSE(text->UseParentColor());
    band->SetColor(clLime);
    EXPECT_EQ(text->Color(), clRed);
    text->SetUseParentColor(true);
    EXPECT_EQ(text->Color(), clLime);
    // Moving an inheriting item takes the new parent's colour.
    auto* other = root.AddCell();
    other->SetColor(clNavy);
    text->SetParent(other);
    EXPECT_EQ(text->Color(), clNavy);
    EXPECT_EQ(row->DataItemCount(), 0);
    EXPECT_EQ(other->DataItemCount(), 1);
}

TEST(ReportItems, AssignCopiesTheEffectiveColourAndTheWholeWordButNotTheInheritance)
{
    TdxReportCell root(nullptr);
    root.SetColor(clTeal);
    auto* a = root.AddDataItem<TdxReportCellString>();
    a->SetBoundsRect({1, 2, 30, 40});
    a->SetFontIndex(3);
    a->SetText("Tür 17");
    a->SetIndent(5);
    a->SetData(77);
    a->SetSource(TdxReportCellSource(4, 123456789));
    a->SetMultiline(true);
    TdxReportCell other(nullptr);
    other.SetColor(clRed);
    auto* b = other.AddDataItem<TdxReportCellString>();
    b->Assign(a);
    EXPECT_EQ(b->BoundsRect(), (TRect{1, 2, 30, 40}));
    EXPECT_EQ(b->Color(), clTeal);
    EXPECT_FALSE(b->UseParentColor());
    EXPECT_EQ(b->Format() & ~dxFormat::Mask(dxFormat::UseParentColor),
              a->Format() & ~dxFormat::Mask(dxFormat::UseParentColor));
    EXPECT_EQ(b->FontIndex(), 3);
    EXPECT_EQ(b->Text(), "Tür 17");
    EXPECT_EQ(b->Indent(), 5);
    EXPECT_EQ(b->Data(), 77);
    EXPECT_EQ(b->Source(), TdxReportCellSource(4, 123456789));
    EXPECT_EQ(b->Source().Kind(), 4);
    EXPECT_EQ(b->Source().Identity(), 123456789u);
    EXPECT_THROW(TdxReportCellSource(1, TdxReportCellSource::MaxIdentity + 1), EInvalidOperation);

    a->SetFontIndex(-5);
    EXPECT_EQ(a->FontIndex(), -1);
}

TEST(ReportItems, CheckStateAndTheTextRule)
{
    TdxReportCell root(nullptr);
    auto* check = root.AddDataItem<TdxReportCellCheck>();
    EXPECT_EQ(check->State(), dxcsUnchecked);
    check->SetChecked(true);
    EXPECT_EQ(check->State(), dxcsChecked);
    check->SetEnabled(false);
    EXPECT_EQ(check->State(), dxcsGrayed);

    // A text while centred moves the check to the left; centring clears the text.
    check->SetCheckPos(ccpCenter);
    check->SetText("erlaubt");
    EXPECT_EQ(check->CheckPos(), ccpLeft);
    EXPECT_EQ(check->Text(), "erlaubt");
    check->SetCheckPos(ccpRight);
    check->SetText("x");
    EXPECT_EQ(check->CheckPos(), ccpRight);
    check->SetCheckPos(ccpCenter);
    EXPECT_EQ(check->Text(), "");
    check->SetText("");
    EXPECT_EQ(check->CheckPos(), ccpCenter);
}

TEST(ReportItems, CheckGlyphStatesFollowTheGlyphWidthAndCount)
{
    TdxReportCell root(nullptr);
    auto* check = root.AddDataItem<TdxReportCellCheckImage>();
    EXPECT_FALSE(check->HasStateImage(dxcsUnchecked));   // no glyph yet
    TBitmap glyph(26, 13);                                // two 13-pixel images of three
    check->SetGlyph(&glyph);
    check->SetGlyphCount(2);
    EXPECT_TRUE(check->HasStateImage(dxcsUnchecked));
    EXPECT_TRUE(check->HasStateImage(dxcsChecked));
    EXPECT_FALSE(check->HasStateImage(dxcsGrayed));
    check->SetGlyphCount(9);
    EXPECT_EQ(check->GlyphCount(), 6);
    check->SetGlyphCount(0);
    EXPECT_EQ(check->GlyphCount(), 1);
    EXPECT_TRUE(check->HasStateImage(dxcsUnchecked));
    EXPECT_FALSE(check->HasStateImage(dxcsChecked));   // one image 26 wide
    auto* copy = static_cast<TdxReportCellCheckImage*>(check->Clone(&root));
    EXPECT_EQ(copy->GlyphIfAny()->Width(), 26);
    EXPECT_EQ(copy->GlyphCount(), 1);
}

TEST(ReportItems, ContentRectangleInsetsBySidesAndEdgeMode)
{
    TdxReportCell root(nullptr);
    auto* box = root.AddDataItem<TdxReportCellBox>();
    const TRect r{0, 0, 100, 50};
    EXPECT_TRUE(box->HasBorder());
    EXPECT_EQ(box->GetInnerBounds(r, 4), (TRect{4, 4, 96, 46}));
    box->SetCellSides({csLeft, csBottom});
    EXPECT_EQ(box->GetInnerBounds(r, 4), (TRect{4, 0, 100, 46}));
    box->SetCellSides(csAll);
    box->SetEdgeMode(cem3D);
    EXPECT_FALSE(box->HasBorder());   // three-dimensional without a style
    EXPECT_EQ(box->GetInnerBounds(r, 4), r);
    box->SetOuterEdgeStyle(cesSunken);
    box->SetInnerEdgeStyle(cesRaised);
    EXPECT_TRUE(box->HasBorder());
    EXPECT_EQ(box->GetInnerBounds(r, 4), (TRect{8, 8, 92, 42}));
    // No border line, yet the content keeps the inset of one line.
    box->SetEdgeMode(cemNoBorder);
    EXPECT_FALSE(box->HasBorder());
    EXPECT_EQ(box->GetInnerBounds(r, 4), (TRect{4, 4, 96, 46}));
    box->SetEdgeMode(cemFlat);
    box->SetCellSides({});
    EXPECT_FALSE(box->HasBorder());
}

TEST(ReportItems, TreeKeepsOrderParentsAndAbsolutePositionsPast32Bits)
{
    TdxReportCells cells;
    TdxReportCell* root = cells.Cells();
    EXPECT_EQ(root->Color(), clWhite);
    auto* row1 = root->AddCell();
    auto* row2 = root->AddCell();
    const std::int64_t far = 3'000'000'000LL;
    row2->SetBoundsRect64({10, far, 500, far + 2100});
    auto* text = row2->AddDataItem<TdxReportCellString>();
    text->SetBoundsRect({5, 100, 50, 2000});
    EXPECT_EQ(text->AbsoluteRect(), (TRect64{15, far + 100, 60, far + 2000}));
    EXPECT_EQ(row2->GetReportCells(), &cells);
    EXPECT_EQ(text->GetReportCells(), &cells);
    EXPECT_EQ(row2->GetPrevSibling(), row1);
    EXPECT_EQ(row1->GetPrevSibling(), nullptr);
    EXPECT_EQ(text->GetPrevSibling(), nullptr);
    EXPECT_EQ(row2->Index(), 1);
    EXPECT_EQ(row2->AsCell(), row2);
    EXPECT_EQ(text->AsCell(), nullptr);

    delete row1;   // leaves its parent's list
    ASSERT_EQ(root->CellCount(), 1);
    EXPECT_EQ(root->Cells(0), row2);
    EXPECT_THROW(root->Cells(1), EListError);

    // A cell moved into another tree takes that tree's owner, children too.
    TdxReportCells others;
    auto* child = row2->AddCell();
    row2->SetParent(others.Cells());
    EXPECT_EQ(child->GetReportCells(), &others);
    EXPECT_EQ(root->CellCount(), 0);
}

TEST(ReportItems, CopyingACellCopiesItsTreeAndItsOwnBounds)
{
    TdxReportCells source;
    TdxReportCell* band = source.Cells()->AddCell();
    band->SetBoundsRect({0, 10, 300, 60});
    for (int i = 0; i < 2; ++i) {
        TdxReportCell* child = band->AddCell();
        child->SetBoundsRect({i * 150, 0, (i + 1) * 150, 25});
        child->SetColor(i ? clRed : clBlue);
        child->AddDataItem<TdxReportCellString>()->SetText("Spalte " + std::to_string(i));
    }
    band->AddDataItem<TdxReportCellBox>();

    TdxReportCells target;
    TdxReportCell* copy = target.Cells()->AddCell();
    copy->AddDataItem<TdxReportCellBox>();   // replaced by the copy
    copy->Assign(band);
    EXPECT_EQ(copy->BoundsRect(), band->BoundsRect());
    ASSERT_EQ(copy->CellCount(), 2);
    ASSERT_EQ(copy->DataItemCount(), 1);
    for (int i = 0; i < 2; ++i) {
        EXPECT_NE(copy->Cells(i), band->Cells(i));
        EXPECT_EQ(copy->Cells(i)->BoundsRect(), band->Cells(i)->BoundsRect());
        EXPECT_EQ(copy->Cells(i)->Color(), band->Cells(i)->Color());
        EXPECT_EQ(copy->Cells(i)->GetReportCells(), &target);
        auto* text = dynamic_cast<TdxReportCellString*>(copy->Cells(i)->DataItems(0));
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->Text(), "Spalte " + std::to_string(i));
    }

    // The whole object: border, root, and the repeated cells the source has.
    source.SetBorderColor(clBtnShadow);
    source.SetBorderWidth(2);
    source.HeaderCell()->AddCell();
    target.Assign(&source);
    EXPECT_EQ(target.BorderColor(), ColorToRGB(clBtnShadow));
    EXPECT_EQ(target.BorderWidth(), 2);
    EXPECT_EQ(target.Cells()->CellCount(), 1);
    ASSERT_TRUE(target.HasHeaderCell());
    EXPECT_EQ(target.HeaderCell()->CellCount(), 1);
    EXPECT_EQ(target.HeaderCell()->Color(), 0xC0C0C0);
    EXPECT_FALSE(target.HasFooterCell());
}

// ----- pools -----------------------------------------------------------------------------------------

TEST(ReportPools, FontsByObjectAndBrushesByResolvedColour)
{
    TdxPSReportFontPool fonts;
    TFont outside;
    outside.SetName("Arial");
    outside.SetSize(10);
    const int first = fonts.Add(&outside);
    const int second = fonts.Add(&outside);   // an outside font twice: two entries
    EXPECT_NE(first, second);
    EXPECT_EQ(fonts.Count(), 2);
    EXPECT_EQ(fonts.Add(fonts.Items(first)), first);
    EXPECT_EQ(fonts.PointSize(first), 10);
    fonts.PrepareFonts(9600);
    EXPECT_EQ(fonts.Items(first)->Height(), -1333);
    EXPECT_EQ(fonts.Items(first)->Size(), 10);
    EXPECT_EQ(outside.Height(), -13);   // the outside font is untouched
    EXPECT_THROW(fonts.Items(2), EListError);

    TdxPSReportBrushPool brushes;
    TBrush* face = brushes.GetBrush(clBtnFace);
    EXPECT_EQ(brushes.GetBrush(ColorToRGB(clBtnFace)), face);   // same RGB, same brush
    EXPECT_NE(brushes.GetBrush(clWhite), face);
    EXPECT_EQ(brushes.Count(), 2);
    EXPECT_EQ(face->Color(), ColorToRGB(clBtnFace));
}

TEST(ReportPools, CompactTextKeepsShortTextsInlineAndLongOnesWhole)
{
    detail::TCompactText t;
    EXPECT_TRUE(t.Empty());
    t.Assign("123456789012345");   // 15 bytes: inline
    EXPECT_EQ(t.View(), "123456789012345");
    const std::string longText(40, 'x');
    t.Assign(longText);
    EXPECT_EQ(t.View(), longText);
    t.Assign(t.View().substr(2, 5));   // from its own heap block
    EXPECT_EQ(t.View(), "xxxxx");
    detail::TCompactText copy(t);
    t.Assign("");
    EXPECT_TRUE(t.Empty());
    EXPECT_EQ(copy.View(), "xxxxx");
}

// ----- units ------------------------------------------------------------------------------------------

TEST(ReportUnits, ConversionsStayIn64BitsAndRefuseWhatDoesNotFit)
{
    EXPECT_EQ(dxReportUnitsPerInch(), 9600);
    // A million rows of 21 pixels is past 2^31 units.
    EXPECT_EQ(dxPixelsToReportUnits(21'000'001), 2'100'000'100LL);
    EXPECT_EQ(dxPixelsToReportUnits(22'000'000), 2'200'000'000LL);
    EXPECT_EQ(dxReportUnitsToPixelsCeil(1067), 11);   // 10.67 pixels round up
    EXPECT_EQ(dxReportUnitsToPixelsCeil(1100), 11);
    EXPECT_EQ(dxReportUnitsToPixelsCeil(-150), -1);
    EXPECT_EQ(test::MessageOf<EdxReportLink>([] { dxPixelsToReportUnits(dxMaxReportExtent); }),
              "The report is too large to be printed");
    EXPECT_THROW(dxReportMulDiv(1, 2, 0), EdxReportLink);
    EXPECT_THROW(dxToCanvasCoord(3'000'000'000LL), EdxReportLink);
    EXPECT_EQ(dxToCanvasCoord(-5), -5);
}

TEST(ReportUnits, LayoutTextIsMeasuredAtTheSizeItIsDrawn)
{
    TFont font;
    font.SetName("Arial");
    font.SetSize(10);
    const std::string text = "Zutritt erlaubt für Tür 12 und Tür 13 bis Mitternacht";
    // At report units the 10-point font is 1,333 units high where the screen
    // has 13 pixels (1,300 units): the text needs more room than the screen says.
    TCanvas& screen = dxScreenMeasureCanvas();
    screen.SetFont(&font);
    const int screenWidth = screen.TextWidth(text);
    TCanvas& units = dxReportMeasureCanvas();
    TFont big;
    big.Assign(&font);
    dxSetFontToReportUnits(big);
    EXPECT_EQ(big.Height(), -1333);
    units.Font()->SetPixelsPerInch(dxReportUnitsPerInch());
    units.SetFont(&big);
    const int unitWidth = units.TextWidth(text);
    EXPECT_GT(unitWidth, screenWidth * 100);
    // Wrapped into exactly the width the screen measures, the drawn size needs a second line.
    const int oneLine = dxMeasureTextHeightPixels(font, "Tür", 200, DT_WORDBREAK);
    EXPECT_GT(oneLine, 0);
    EXPECT_EQ(dxMeasureTextHeightPixels(font, text, screenWidth, DT_WORDBREAK), 2 * oneLine);
    EXPECT_EQ(dxMeasureTextHeightPixels(font, text, screenWidth + screenWidth / 20, DT_WORDBREAK), oneLine);
    EXPECT_EQ(dxMeasureTextHeightPixels(font, "", 100, DT_WORDBREAK), 0);
}

} // namespace
} // namespace qel
