#pragma once
// TCustomdxTreeListReportLink: the report link that turns a tree list (and,
// through the data-bound links of DBGridReportLink.h, a grid) into report
// cells: a bands row, a column-header row, one row per printed node with
// its indent, images, value cells, preview and row footers, and a footer
// row. TdxTreeListReportLink prints a TdxTreeList.
//
//   TdxTreeListReportLink link(owner);
//   link.SetComponent(tree);
//   link.SetOptions(link.Options() - TdxTreeListPaintOptions{tlpoBands});
//   link.SetActive(true);                        // builds
//
// A build is one pass over the chosen nodes that appends rows in top order,
// measured at the size the text is drawn. Cells remember where they came
// from by identities (TreeListReportAccess.h), so a custom-draw event that
// runs while a preview is open, after the control rebuilt its nodes, gets
// the live node or none, never a freed one.
#include "printing/ReportLink.h"
#include "printing/TreeListReportAccess.h"
#include "treelist/TreeListControl.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qel {

namespace detail {
struct TTreeListReportBuild;
}

enum TdxTreeListPaintOption : std::uint8_t {
    tlpoBands, tlpoHeaders, tlpoFooters, tlpoRowFooters, tlpoPreview, tlpoPreviewGrid, tlpoGrid,
    tlpoFlatCheckMarks, tlpoImages, tlpoStateImages, tlpoTransparentColumnGraphic, tlpoGraphicAsText,
    tlpo3DEffects, tlpoSoft3D, tlpoRowFooterGrid, tlpoCheckMarksAsText
};
using TdxTreeListPaintOptions = TSet<TdxTreeListPaintOption, 16>;
// The first ten, tlpoSoft3D and tlpoRowFooterGrid.
inline constexpr TdxTreeListPaintOptions dxDefaultTreeListPaintOptions = TdxTreeListPaintOptions::FromBits(25599);

enum TdxTreeListDrawMode : std::uint8_t { tldmStrict, tldmOddEven, tldmBorrowSource };

// The options' names as stored links write them.
const std::vector<std::string>& dxTreeListPaintOptionNames();

// What a cell's source is (the kind of its TdxReportCellSource).
enum TdxTLReportSourceKind : std::uint8_t {
    tlskNone, tlskBand, tlskColumn, tlskNode, tlskFooterLevel, tlskHeaderRow
};
// The kinds of cells custom drawing tells apart.
enum TdxTLReportCellKind : std::uint8_t {
    tlckNone, tlckBand, tlckCell, tlckFooter, tlckRowFooter, tlckHeader, tlckPreview
};

// What a row cell of the report is (its Data).
enum TdxTLReportRowTag : int {
    dxTLRowNode = 1, dxTLRowGroup, dxTLRowFooterRow, dxTLRowClosingLine, dxTLRowBands, dxTLRowHeader, dxTLRowFooter
};

// Makes a data item of one class under a parent cell (which owns it).
using TdxReportCellDataClass = TAbstractdxReportCellData* (*)(TdxReportCell* Parent);
template <class T>
TAbstractdxReportCellData* dxNewReportCellData(TdxReportCell* Parent)
{
    return Parent->AddDataItem<T>();
}

class TCustomdxTreeListReportLink;

using TdxTLReportLinkCustomDrawBandCellEvent = std::function<void(
    TBasedxReportLink* Sender, TCanvas& ACanvas, const TRect& ABoundsRect, const TRect& AClientRect,
    TdxTreeListBand* ABand, std::string& AText, TColor& AColor, TFont* AFont, TdxTextAlignX& ATextAlignX,
    TdxTextAlignY& ATextAlignY, bool& ADone)>;
using TdxTLReportLinkCustomDrawCellEvent = std::function<void(
    TBasedxReportLink* Sender, TCanvas& ACanvas, const TRect& ABoundsRect, const TRect& AClientRect,
    TdxTreeListNode* ANode, TdxTreeListColumn* AColumn, std::string& AText, TColor& AColor, TFont* AFont,
    TdxTextAlignX& ATextAlignX, TdxTextAlignY& ATextAlignY, bool& ADone)>;
// Footer cells have no node (nullptr).
using TdxTLReportLinkCustomDrawFooterCellEvent = TdxTLReportLinkCustomDrawCellEvent;
using TdxTLReportLinkCustomDrawHeaderCellEvent = std::function<void(
    TBasedxReportLink* Sender, TCanvas& ACanvas, const TRect& ABoundsRect, const TRect& AClientRect,
    TdxTreeListColumn* AColumn, std::string& AText, TColor& AColor, TFont* AFont, TdxTextAlignX& ATextAlignX,
    TdxTextAlignY& ATextAlignY, TdxCellSortOrder& ASorted, bool& ADone)>;
using TdxTLReportLinkCustomDrawPreviewCellEvent = std::function<void(
    TBasedxReportLink* Sender, TCanvas& ACanvas, const TRect& ABoundsRect, const TRect& AClientRect,
    TdxTreeListNode* ANode, std::string& AText, TColor& AColor, TColor& ATextColor, TFont* AFont, bool& ADone)>;
using TdxTLReportLinkCustomDrawRowFooterCellEvent = std::function<void(
    TBasedxReportLink* Sender, TCanvas& ACanvas, const TRect& ABoundsRect, const TRect& AClientRect,
    TdxTreeListNode* ANode, TdxTreeListColumn* AColumn, int AFooterIndex, std::string& AText, TColor& AColor,
    TFont* AFont, TdxTextAlignX& ATextAlignX, TdxTextAlignY& ATextAlignY, bool& ADone)>;

class TCustomdxTreeListReportLink : public TBasedxReportLink {
    QEL_CLASS(TCustomdxTreeListReportLink)
public:
    static constexpr TColor DefaultFixedColor = 0xC0C0C0;
    static constexpr const char* DefaultGraphicAsTextValue = "(GRAPHIC)";

    explicit TCustomdxTreeListReportLink(TComponent* AOwner);
    ~TCustomdxTreeListReportLink() override;

    TCustomdxTreeListControl* TreeListControl() const;

    // ----- published properties (a change that needs one asks for a rebuild)
    bool AutoNodesExpand() const { return m_autoNodesExpand; }
    void SetAutoNodesExpand(bool Value);
    TColor BandColor() const { return m_bandColor; }
    void SetBandColor(TColor Value);
    TFont* BandFont() const { return m_bandFont.get(); }
    void SetBandFont(TFont* Value) { m_bandFont->Assign(Value); }
    bool BandsOnEveryPage() const { return m_bandsOnEveryPage; }
    void SetBandsOnEveryPage(bool Value);
    TdxTreeListDrawMode DrawMode() const { return m_drawMode; }
    void SetDrawMode(TdxTreeListDrawMode Value);
    // -1: every level. Reads -1 whenever the link's kind of control has no levels to choose.
    int ExpandLevel() const;
    // Values below -1 are stored as -1.
    void SetExpandLevel(int Value);
    // Both read true exactly in tldmBorrowSource; writing either, whatever
    // the value, sets tldmBorrowSource (stored links write them only when true).
    bool ExtendedColorManage() const { return m_drawMode == tldmBorrowSource; }
    void SetExtendedColorManage(bool Value);
    bool UseColumnFont() const { return m_drawMode == tldmBorrowSource; }
    void SetUseColumnFont(bool Value);
    bool ExtendedSelect() const { return m_extendedSelect; }
    void SetExtendedSelect(bool Value);
    TColor EvenColor() const { return m_evenColor; }
    void SetEvenColor(TColor Value);
    TFont* EvenFont() const { return m_evenFont.get(); }
    void SetEvenFont(TFont* Value) { m_evenFont->Assign(Value); }
    bool FixedTransparent() const { return m_fixedTransparent; }
    void SetFixedTransparent(bool Value);
    TFont* FooterFont() const { return m_footerFont.get(); }
    void SetFooterFont(TFont* Value) { m_footerFont->Assign(Value); }
    // Shown in place of a graphic by the design window's sample only.
    const std::string& GraphicAsTextValue() const { return m_graphicAsTextValue; }
    void SetGraphicAsTextValue(const std::string& Value);
    // Stored only when it differs (case aside) from "(GRAPHIC)".
    bool IsGraphicAsTextValueStored() const;
    TColor GridLineColor() const { return m_gridLineColor; }
    void SetGridLineColor(TColor Value);
    TColor GroupNodeColor() const { return m_groupNodeColor; }
    void SetGroupNodeColor(TColor Value);
    TFont* GroupNodeFont() const { return m_groupNodeFont.get(); }
    void SetGroupNodeFont(TFont* Value) { m_groupNodeFont->Assign(Value); }
    TColor HeaderColor() const { return m_headerColor; }
    void SetHeaderColor(TColor Value);
    TFont* HeaderFont() const { return m_headerFont.get(); }
    void SetHeaderFont(TFont* Value) { m_headerFont->Assign(Value); }
    bool HorzDelimitByBands() const { return m_horzDelimitByBands; }
    void SetHorzDelimitByBands(bool Value);
    // The same value as Color.
    TColor OddColor() const { return Color(); }
    void SetOddColor(TColor Value) { SetColor(Value); }
    TFont* OddFont() const { return m_oddFont.get(); }
    void SetOddFont(TFont* Value) { m_oddFont->Assign(Value); }
    bool OnlySelected() const { return m_onlySelected; }
    void SetOnlySelected(bool Value);
    TdxTreeListPaintOptions Options() const { return m_options; }
    void SetOptions(TdxTreeListPaintOptions Value);
    TColor PreviewColor() const { return m_previewColor; }
    void SetPreviewColor(TColor Value);
    TFont* PreviewFont() const { return m_previewFont.get(); }
    void SetPreviewFont(TFont* Value) { m_previewFont->Assign(Value); }
    // -1: as many lines as the preview text takes. Values below -1 are stored as -1.
    int PreviewLineCount() const { return m_previewLineCount; }
    void SetPreviewLineCount(int Value);
    TColor RowFooterColor() const { return m_rowFooterColor; }
    void SetRowFooterColor(TColor Value);
    TFont* RowFooterFont() const { return m_rowFooterFont.get(); }
    void SetRowFooterFont(TFont* Value) { m_rowFooterFont->Assign(Value); }
    bool SupportedCustomDraw() const { return m_supportedCustomDraw; }
    void SetSupportedCustomDraw(bool Value);

    // ----- the link's answers
    void RestoreDefaults() override;
    bool GetHeadersOnEveryPage() const override;
    bool GetFootersOnEveryPage() const override;
    bool IsItemCustomDrawn(const TAbstractdxReportCellData& Item) const override;
    void GetDelimiters(TdxReportCells& Cells, std::vector<std::int64_t>& HorzDelimiters,
                       std::vector<std::int64_t>& VertDelimiters) override;
    void SetComponent(TComponent* Value) override;
    void Assign(TPersistent* Source) override;

    // Without an item: whether cells carry their sources (SupportedCustomDraw).
    // With one: it carries a source and its kind's event is assigned.
    bool IsCustomDrawn(const TdxReportItem* Item) const;
    // The kind of a cell from its source and its parent's.
    static TdxTLReportCellKind GetCellKind(const TdxReportItem& Item);
    // The class of the data item that prints a column's value.
    virtual TdxReportCellDataClass GetDataItemClass(TdxTreeListColumn* Column, TdxTreeListNode* Node);
    // The column whose value a column shows (a wrapper column's).
    virtual TdxTreeListColumn* GetRealColumn(TdxTreeListColumn* Column, TdxTreeListNode* Node);
    virtual bool IsGraphicColumn(TdxTreeListColumn* Column) const;
    virtual bool IsHyperLinkColumn(TdxTreeListColumn* Column) const;
    // When either answers true the link has no levels to choose and ExpandLevel reads -1.
    virtual bool IsExpandLevelFixed() const { return false; }
    virtual bool IsExpandLevelFixedEx() const { return false; }
    // Whether nodes of the control can be expanded at all (the design window asks).
    virtual bool CanExpandNodes() const { return true; }
    // The reader of the control the last build used (nullptr before one).
    TdxTreeListReportAccess* Access() const { return m_access.get(); }
    // The grid options in force (the control's under tldmBorrowSource).
    bool EffectiveGrid() const;
    bool EffectivePreviewGrid() const;

    TdxTLReportLinkCustomDrawBandCellEvent OnCustomDrawBandCell;
    TdxTLReportLinkCustomDrawCellEvent OnCustomDrawCell;
    TdxTLReportLinkCustomDrawFooterCellEvent OnCustomDrawFooterCell;
    TdxTLReportLinkCustomDrawHeaderCellEvent OnCustomDrawHeaderCell;
    TdxTLReportLinkCustomDrawPreviewCellEvent OnCustomDrawPreviewCell;
    TdxTLReportLinkCustomDrawRowFooterCellEvent OnCustomDrawRowFooterCell;

protected:
    void ConstructReport(TdxReportCells& Cells) override;
    void RebuildReport() override;
    void DoCustomDrawItem(TCanvas& Canvas, TAbstractdxReportCellData& Item, const TRect& Rect, bool& Done) override;
    void InternalRestoreFromOriginal() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // Puts one node's value of one column into a data item of the class
    // GetDataItemClass gave.
    virtual void FillDataItem(TAbstractdxReportCellData& Item, TdxTreeListColumn* Column, TdxTreeListNode* Node) = 0;
    // The working state of one build; always paired, also when the build fails.
    virtual void PrepareConstruct(TdxReportCells& Cells);
    virtual void UnprepareConstruct();
    // For a group row: the column whose text fills it (none for a plain tree list).
    virtual TdxTreeListColumn* GetGroupColumn(TdxTreeListNode* /*Node*/) { return nullptr; }
    virtual std::unique_ptr<TdxTreeListReportAccess> CreateAccess(TCustomdxTreeListControl* Control);
    // Added to the width of band 0 (0 for a plain tree list).
    virtual int LeftOffset() const;

    // The six kinds of custom drawing; each fires its event.
    virtual void DoCustomDrawBandCell(TCanvas& Canvas, const TRect& BoundsRect, const TRect& ClientRect,
                                      TdxTreeListBand* Band, std::string& Text, TColor& Color, TFont* Font,
                                      TdxTextAlignX& TextAlignX, TdxTextAlignY& TextAlignY, bool& Done);
    virtual void DoCustomDrawCell(TCanvas& Canvas, const TRect& BoundsRect, const TRect& ClientRect,
                                  TdxTreeListNode* Node, TdxTreeListColumn* Column, std::string& Text, TColor& Color,
                                  TFont* Font, TdxTextAlignX& TextAlignX, TdxTextAlignY& TextAlignY, bool& Done);
    virtual void DoCustomDrawFooterCell(TCanvas& Canvas, const TRect& BoundsRect, const TRect& ClientRect,
                                        TdxTreeListColumn* Column, std::string& Text, TColor& Color, TFont* Font,
                                        TdxTextAlignX& TextAlignX, TdxTextAlignY& TextAlignY, bool& Done);
    virtual void DoCustomDrawHeaderCell(TCanvas& Canvas, const TRect& BoundsRect, const TRect& ClientRect,
                                        TdxTreeListColumn* Column, std::string& Text, TColor& Color, TFont* Font,
                                        TdxTextAlignX& TextAlignX, TdxTextAlignY& TextAlignY,
                                        TdxCellSortOrder& Sorted, bool& Done);
    virtual void DoCustomDrawPreviewCell(TCanvas& Canvas, const TRect& BoundsRect, const TRect& ClientRect,
                                         TdxTreeListNode* Node, std::string& Text, TColor& Color, TColor& TextColor,
                                         TFont* Font, bool& Done);
    virtual void DoCustomDrawRowFooterCell(TCanvas& Canvas, const TRect& BoundsRect, const TRect& ClientRect,
                                           TdxTreeListNode* Node, TdxTreeListColumn* Column, int FooterIndex,
                                           std::string& Text, TColor& Color, TFont* Font, TdxTextAlignX& TextAlignX,
                                           TdxTextAlignY& TextAlignY, bool& Done);

    // Pieces of FillDataItem that the data-bound links share.
    void FillString(TdxReportCellString& Item, TdxTreeListColumn* Column, TdxTreeListNode* Node);
    void FillCheck(TdxReportCellCheckImage& Item, TCheckBoxState State, const TBitmap* Glyph, int GlyphCount);
    // A copy of the list's image: the report keeps nothing of the list.
    void FillListImage(TdxReportCellCustomImage& Item, TImageList* List, int Index);
    // The picture a value holds (none when it holds no picture).
    void FillGraphic(TdxReportCellGraphic& Item, const Variant& Value, bool Stretch, bool Center);
    static TdxTextAlignX AlignXOf(TAlignment Value);

    // The fonts the cells of the running build use, by index in the font pool.
    detail::TTreeListReportBuild* Build() const { return m_build.get(); }

private:
    friend struct detail::TTreeListReportBuild;
    void FontChanged();
    template <class T>
    void Change(T& Field, T Value, bool Rebuild = true);
    void ChooseNodes();
    void BuildColumnLayout();
    void MeasureRows();
    void RegisterFonts(TdxReportCells& Cells);
    // Rows (TreeListReportRows.cpp).
    void AddBandsRow(TdxReportCells& Cells);
    void AddHeaderRow(TdxReportCells& Cells);
    void AddNodeRow(TdxReportCells& Cells, int Index);
    void AddRowFooters(TdxReportCells& Cells, TdxTreeListNode* Node, int Row, std::int64_t& Top);
    void AddFooterRow(TdxReportCells& Cells);
    void AddClosingLine(TdxReportCells& Cells);
    void AddIndentCells(TdxReportCell& Row, TdxTreeListNode* Node, int Levels, int RowIndex, bool RowFooterRow);
    void AddValueCells(TdxReportCell& Row, TdxTreeListNode* Node, int RowIndex, int Indent, int Height, bool HasImage);
    void AddGroupCell(TdxReportCell& Row, TdxTreeListNode* Node, int RowIndex, int Indent, int Height);
    int AddImageCells(TdxReportCell& Row, TdxTreeListNode* Node, int RowIndex, int Right, int Height);
    void AddPreviewCell(TdxReportCell& Row, TdxTreeListNode* Node, int RowIndex, int Indent, int Top, int Bottom);
    int NodeRowHeight(TdxTreeListNode* Node, int& PreviewHeight);
    int NodeIndent(TdxTreeListNode* Node) const;
    TColor RowColor(TdxTreeListNode* Node, int RowIndex, bool RowFooterRow) const;
    TColor CellColor(TdxTreeListNode* Node, int Column, int RowIndex) const;
    bool RowTransparent(TdxTreeListNode* Node) const;
    int CellFontIndex(TdxTreeListNode* Node, int Column, int RowIndex) const;
    TdxReportCellSource NodeSource(TdxTreeListNode* Node);
    TdxReportCellSource ColumnSource(TdxTreeListColumn* Column);
    void Set3DEdge(TdxReportVisualItem& Item) const;

    bool m_autoNodesExpand{false};
    bool m_bandsOnEveryPage{true};
    TdxTreeListDrawMode m_drawMode{tldmStrict};
    int m_expandLevel{-1};
    bool m_extendedSelect{true};
    bool m_fixedTransparent{false};
    std::string m_graphicAsTextValue{DefaultGraphicAsTextValue};
    bool m_horzDelimitByBands{false};
    bool m_onlySelected{false};
    TdxTreeListPaintOptions m_options{dxDefaultTreeListPaintOptions};
    int m_previewLineCount{-1};
    bool m_supportedCustomDraw{false};
    TColor m_bandColor{DefaultFixedColor};
    TColor m_evenColor{clWhite};
    TColor m_gridLineColor{clBlack};
    TColor m_groupNodeColor{DefaultFixedColor};
    TColor m_headerColor{DefaultFixedColor};
    TColor m_previewColor{clWhite};
    TColor m_rowFooterColor{DefaultFixedColor};
    std::unique_ptr<TFont> m_bandFont;
    std::unique_ptr<TFont> m_evenFont;
    std::unique_ptr<TFont> m_footerFont;
    std::unique_ptr<TFont> m_groupNodeFont;
    std::unique_ptr<TFont> m_headerFont;
    std::unique_ptr<TFont> m_oddFont;
    std::unique_ptr<TFont> m_previewFont;
    std::unique_ptr<TFont> m_rowFooterFont;
    std::vector<std::unique_ptr<TChangeLink>> m_fontLinks;
    // Handed to custom-draw events; a change is noticed and drawn with.
    std::unique_ptr<TFont> m_scratchFont;
    TChangeLink m_scratchFontLink;
    bool m_scratchFontChanged{false};

    std::unique_ptr<TdxTreeListReportAccess> m_access;
    std::unique_ptr<detail::TTreeListReportBuild> m_build;
};

class TdxTreeListReportLink : public TCustomdxTreeListReportLink {
    QEL_CLASS(TdxTreeListReportLink)
public:
    explicit TdxTreeListReportLink(TComponent* AOwner) : TCustomdxTreeListReportLink(AOwner) {}

protected:
    void FillDataItem(TAbstractdxReportCellData& Item, TdxTreeListColumn* Column, TdxTreeListNode* Node) override;
};

// Registers TdxTreeListReportLink for TdxTreeList with the link registry
// (and the class registry); the first call acts, later ones count.
void dxRegisterTreeListReportLink();
void dxUnregisterTreeListReportLink();

} // namespace qel
