#pragma once
// The report cell tree: what a component becomes when it is printed. A link
// builds it once (in screen pixels, converted to report units afterwards);
// the renderer pages and draws it as often as preview and printer ask.
//
//   TdxReportCells cells(link);
//   TdxReportCell* row = cells.Cells()->AddCell();          // owned by the root
//   row->SetBoundsRect({0, 0, 300, 21});
//   auto* text = row->AddDataItem<TdxReportCellString>();    // owned by the row
//   text->SetBoundsRect({0, 0, 100, 21});
//   text->SetText("Tür 1");
//
// A cell owns its child cells and its data items (each in a contiguous
// array) and frees them last first; an item removes itself from its parent
// when it is freed. Every visual item carries its bounds relative to its
// parent, a colour, a font index into the link's font pool and one 32-bit
// format word. Bounds are kept with 64-bit tops and bottoms, because rows of
// a tall report lie past 2^31 report units.
#include "platform/core/Component.h"
#include "platform/core/TSet.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Graphics.h"
#include "printing/PrinterPage.h"
#include "printing/detail/CompactText.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace qel {

class TBasedxReportLink;
class TBitmap;
class TCanvas;
class TGraphic;
class TImageList;
class TdxPSReportRenderer;
class TdxReportCell;
class TdxReportCells;
class TAbstractdxReportCellData;

// ----- format word values ----------------------------------------------------------------
enum TdxCellSide : std::uint8_t { csLeft, csTop, csRight, csBottom };
using TdxCellSides = TSet<TdxCellSide>;
inline constexpr TdxCellSides csAll{csLeft, csTop, csRight, csBottom};

enum TdxTextAlignX : std::uint8_t { taLeft, taCenterX, taRight };
// 0 flat, 1 three-dimensional, 2 no border line.
enum TdxCellEdgeMode : std::uint8_t { cemFlat, cem3D, cemNoBorder };
enum TdxCellEdgeStyle : std::uint8_t { cesNone, cesSunken, cesRaised };
// 0 none; the mark points up for 1 and down for 2.
enum TdxCellSortOrder : std::uint8_t { csoNone, csoUp, csoDown };
enum TdxCellCheckPos : std::uint8_t { ccpLeft, ccpCenter, ccpRight };
enum TdxCellImageLayout : std::uint8_t { cilImageLeft, cilImageTop, cilImageRight, cilImageBottom, cilImageCenter };
// 0 at its own size, 1 centred, 2 stretched, 3 stretched keeping its proportions.
enum TdxGraphicDrawMode : std::uint8_t { gdmNone, gdmCenter, gdmStretch, gdmStretchProportional };

// The packed format word of a visual item: bit positions and widths.
namespace dxFormat {
struct TField {
    unsigned Offset;
    unsigned Width;
};
inline constexpr TField CellSides{0, 4};
inline constexpr TField TextAlignX{4, 2};   // stored value + 1
inline constexpr TField TextAlignY{6, 2};   // stored value + 1
inline constexpr TField EndEllipsis{9, 1};
inline constexpr TField Multiline{10, 1};
inline constexpr TField Transparent{11, 1};
inline constexpr TField ImageTransparent{12, 1};
inline constexpr TField FlatBorder{13, 1};
inline constexpr TField Checked{14, 1};
inline constexpr TField Enabled{15, 1};
inline constexpr TField EdgeMode{16, 2};
inline constexpr TField OuterEdgeStyle{18, 2};
inline constexpr TField InnerEdgeStyle{20, 2};
inline constexpr TField SortOrder{22, 2};
inline constexpr TField CheckPos{26, 2};
inline constexpr TField UseParentColor{28, 1};

constexpr std::uint32_t Mask(TField F) { return ((std::uint32_t{1} << F.Width) - 1) << F.Offset; }
constexpr std::uint32_t Get(std::uint32_t Word, TField F) { return (Word & Mask(F)) >> F.Offset; }
constexpr std::uint32_t Set(std::uint32_t Word, TField F, std::uint32_t Value)
{
    return (Word & ~Mask(F)) | ((Value << F.Offset) & Mask(F));
}

// All four sides, left and vertically centred text, transparent, image
// transparent, flat check border, enabled, check in the centre, parent colour.
inline constexpr std::uint32_t Default = 0x1400B89Fu;
} // namespace dxFormat

// What a cell carries as its source for custom drawing: a kind and an
// identity that the owning link gives and resolves. The engine stores and
// copies it and never looks behind it. Kind 0 is "no source".
class TdxReportCellSource {
public:
    static constexpr std::uint64_t MaxIdentity = (std::uint64_t{1} << 56) - 1;

    constexpr TdxReportCellSource() = default;
    // EInvalidOperation for an identity above MaxIdentity.
    TdxReportCellSource(std::uint8_t Kind, std::uint64_t Identity);

    constexpr std::uint8_t Kind() const { return static_cast<std::uint8_t>(m_value >> 56); }
    constexpr std::uint64_t Identity() const { return m_value & MaxIdentity; }
    constexpr bool IsEmpty() const { return Kind() == 0; }
    constexpr bool operator==(const TdxReportCellSource&) const = default;

private:
    std::uint64_t m_value{0};
};

// ----- items ----------------------------------------------------------------------------------
class TdxReportItem : public TPersistent {
    QEL_CLASS(TdxReportItem)
public:
    // Removes itself from its parent's list.
    ~TdxReportItem() override;

    TdxReportCell* Parent() const { return m_parent; }
    // Leaves the old parent's list and joins the end of the new one's.
    void SetParent(TdxReportCell* Value);
    bool HasParent() const { return m_parent != nullptr; }
    int Data() const { return m_data; }
    void SetData(int Value) { m_data = Value; }
    TdxReportCellSource Source() const { return m_source; }
    void SetSource(TdxReportCellSource Value) { m_source = Value; }

    // The owning TdxReportCells, asked of the parent; nullptr without one.
    virtual TdxReportCells* GetReportCells() const;
    virtual bool IsCell() const { return false; }
    TdxReportCell* AsCell();
    // The virtual constructor: a new item of this item's class under
    // AParent, which owns it; without a parent the caller owns it.
    virtual TdxReportItem* Create(TdxReportCell* AParent) const = 0;
    // A new item of this class under AParent (owned as by Create), assigned from this one.
    TdxReportItem* Clone(TdxReportCell* AParent) const;
    // The item before this one in the parent's list of its own kind; nullptr for the first.
    TdxReportItem* GetPrevSibling() const;
    // Position in the parent's list of its own kind; -1 without parent.
    int Index() const;

    // Copies Data and Source.
    void Assign(TPersistent* Source) override;

protected:
    TdxReportItem() = default;

private:
    friend class TdxReportCell;
    TdxReportCell* m_parent{nullptr};
    TdxReportCellSource m_source;
    int m_data{0};
};

class TdxReportVisualItem : public TdxReportItem {
    QEL_CLASS(TdxReportVisualItem)
public:
    // Relative to the parent cell. The 32-bit form is for items inside rows;
    // rows of a report past 2^31 units need the 64-bit form.
    TRect BoundsRect() const;
    void SetBoundsRect(const TRect& Value);
    TRect64 BoundsRect64() const { return {m_left, m_top, m_right, m_bottom}; }
    void SetBoundsRect64(const TRect64& Value);
    int Left() const { return m_left; }
    std::int64_t Top() const { return m_top; }
    int Width() const { return m_right - m_left; }
    std::int64_t Height() const { return m_bottom - m_top; }
    // The bounds moved by the left and top of every ancestor.
    TRect64 AbsoluteRect() const;

    // The effective colour: with UseParentColor that of the nearest ancestor without it.
    TColor Color() const;
    // A value different from the effective colour stores it and clears UseParentColor.
    void SetColor(TColor Value);
    // -1 is the report's default font; values below -1 are stored as -1.
    int FontIndex() const { return m_fontIndex; }
    void SetFontIndex(int Value) { m_fontIndex = Value < -1 ? -1 : Value; }
    std::uint32_t Format() const { return m_format; }
    void SetFormat(std::uint32_t Value) { m_format = Value; }

    TdxCellSides CellSides() const { return TdxCellSides::FromBits(Field(dxFormat::CellSides)); }
    void SetCellSides(TdxCellSides Value) { SetField(dxFormat::CellSides, static_cast<std::uint32_t>(Value.ToBits())); }
    bool Transparent() const { return Field(dxFormat::Transparent) != 0; }
    void SetTransparent(bool Value) { SetField(dxFormat::Transparent, Value); }
    TdxCellEdgeMode EdgeMode() const { return static_cast<TdxCellEdgeMode>(Field(dxFormat::EdgeMode)); }
    void SetEdgeMode(TdxCellEdgeMode Value) { SetField(dxFormat::EdgeMode, Value); }
    TdxCellEdgeStyle OuterEdgeStyle() const { return static_cast<TdxCellEdgeStyle>(Field(dxFormat::OuterEdgeStyle)); }
    void SetOuterEdgeStyle(TdxCellEdgeStyle Value) { SetField(dxFormat::OuterEdgeStyle, Value); }
    TdxCellEdgeStyle InnerEdgeStyle() const { return static_cast<TdxCellEdgeStyle>(Field(dxFormat::InnerEdgeStyle)); }
    void SetInnerEdgeStyle(TdxCellEdgeStyle Value) { SetField(dxFormat::InnerEdgeStyle, Value); }
    bool UseParentColor() const { return Field(dxFormat::UseParentColor) != 0; }
    // Setting it takes the nearest ancestor's colour.
    void SetUseParentColor(bool Value);

    // The bounds inset for the borders: each side in CellSides moves in by
    // LineWidth (EdgeMode 0 and 2) or by LineWidth times the number of edge
    // styles set (EdgeMode 1).
    TRect GetInnerBounds(const TRect& Bounds, int LineWidth) const;
    bool HasBorder() const;
    // Three-dimensional look: EdgeMode 1 with an edge style.
    bool Is3D() const { return EdgeMode() == cem3D && (OuterEdgeStyle() != cesNone || InnerEdgeStyle() != cesNone); }

    // Copies the bounds, the effective colour, FontIndex and the whole format
    // word, and clears UseParentColor (besides Data and Source).
    void Assign(TPersistent* Source) override;

protected:
    TdxReportVisualItem() = default;
    std::uint32_t Field(dxFormat::TField F) const { return dxFormat::Get(m_format, F); }
    void SetField(dxFormat::TField F, std::uint32_t Value) { m_format = dxFormat::Set(m_format, F, Value); }

private:
    std::int64_t m_top{0};
    std::int64_t m_bottom{0};
    int m_left{0};
    int m_right{0};
    TColor m_color{clWhite};
    int m_fontIndex{-1};
    std::uint32_t m_format{dxFormat::Default};
};

// A rectangle that holds child cells (rows, bands, header groups) and data items.
class TdxReportCell : public TdxReportVisualItem {
    QEL_CLASS(TdxReportCell)
public:
    explicit TdxReportCell(TdxReportCell* AParent);
    // Frees the data items and the child cells, each last first.
    ~TdxReportCell() override;

    bool IsCell() const override { return true; }
    TdxReportItem* Create(TdxReportCell* AParent) const override { return new TdxReportCell(AParent); }
    TdxReportCells* GetReportCells() const override { return m_reportCells; }
    TdxReportCells* ReportCells() const { return m_reportCells; }

    int CellCount() const { return static_cast<int>(m_cells.size()); }
    TdxReportCell* Cells(int Index) const;   // EListError out of range
    int DataItemCount() const { return static_cast<int>(m_dataItems.size()); }
    TAbstractdxReportCellData* DataItems(int Index) const;   // EListError out of range
    TdxReportCell* AddCell() { return new TdxReportCell(this); }
    template <class T>
    T* AddDataItem()
    {
        return new T(this);
    }
    void ClearCells();
    void ClearDataItems();
    void ClearAll();
    // Gives the two lists their exact size once a build is done.
    void Compact();

    // From another cell: frees this cell's items, copies the visual
    // properties, then clones the source's data items and rebuilds its
    // child cells under this one, recursively.
    void Assign(TPersistent* Source) override;

private:
    friend class TdxReportItem;
    friend class TdxReportCells;
    TdxReportCell(TdxReportCells* AOwner, std::nullptr_t);
    friend class TAbstractdxReportCellData;
    void Insert(TdxReportItem* Item);
    void Remove(TdxReportItem* Item);
    template <class T>
    static void FreeItems(std::vector<T*>& Items);
    void SetReportCellsOfTree(TdxReportCells* Value);
    void CopyTree(const TdxReportCell& Source);

    std::vector<TdxReportCell*> m_cells;                 // owned
    std::vector<TAbstractdxReportCellData*> m_dataItems; // owned
    TdxReportCells* m_reportCells{nullptr};
};

// ----- data items ---------------------------------------------------------------------------
class TAbstractdxReportCellData : public TdxReportVisualItem {
    QEL_CLASS(TAbstractdxReportCellData)
public:
    // Draws the item into Rect, its bounds in the parent cell's coordinates.
    virtual void DrawContent(TdxPSReportRenderer& Renderer, TCanvas& Canvas, const TRect& Rect);

protected:
    explicit TAbstractdxReportCellData(TdxReportCell* AParent);
    // Offers the item to the link's custom drawing, then draws the borders;
    // false when the link drew the item. Content: inside the borders.
    bool DrawFrame(TdxPSReportRenderer& Renderer, TCanvas& Canvas, const TRect& Rect, TRect& Content);
};

// A filled, bordered box.
class TdxReportCellBox : public TAbstractdxReportCellData {
    QEL_CLASS(TdxReportCellBox)
public:
    explicit TdxReportCellBox(TdxReportCell* AParent) : TAbstractdxReportCellData(AParent) {}
    TdxReportItem* Create(TdxReportCell* AParent) const override { return new TdxReportCellBox(AParent); }
    void DrawContent(TdxPSReportRenderer& Renderer, TCanvas& Canvas, const TRect& Rect) override;
};

// Text drawing; the text itself is reached through GetText and SetText.
class TdxReportCellText : public TAbstractdxReportCellData {
    QEL_CLASS(TdxReportCellText)
public:
    virtual std::string GetText() const = 0;
    virtual void SetText(const std::string& Value) = 0;
    // Screen pixels added to the left text margin.
    int Indent() const { return m_indent; }
    void SetIndent(int Value) { m_indent = Value; }

    bool EndEllipsis() const { return Field(dxFormat::EndEllipsis) != 0; }
    void SetEndEllipsis(bool Value) { SetField(dxFormat::EndEllipsis, Value); }
    bool Multiline() const { return Field(dxFormat::Multiline) != 0; }
    void SetMultiline(bool Value) { SetField(dxFormat::Multiline, Value); }
    // A zero field (never written) reads as the first value.
    TdxTextAlignX TextAlignX() const;
    void SetTextAlignX(TdxTextAlignX Value) { SetField(dxFormat::TextAlignX, std::uint32_t(Value) + 1); }
    TdxTextAlignY TextAlignY() const;
    void SetTextAlignY(TdxTextAlignY Value) { SetField(dxFormat::TextAlignY, std::uint32_t(Value) + 1); }
    TdxCellSortOrder SortOrder() const { return static_cast<TdxCellSortOrder>(Field(dxFormat::SortOrder)); }
    void SetSortOrder(TdxCellSortOrder Value) { SetField(dxFormat::SortOrder, Value); }

    // Also copies the text and Indent from another text item.
    void Assign(TPersistent* Source) override;
    void DrawContent(TdxPSReportRenderer& Renderer, TCanvas& Canvas, const TRect& Rect) override;

protected:
    explicit TdxReportCellText(TdxReportCell* AParent) : TAbstractdxReportCellData(AParent) {}
    // Where the text goes inside the content rectangle.
    virtual TRect GetTextBounds(const TdxPSReportRenderer& Renderer, const TRect& Content) const;
    // The text (or the fill of an empty opaque one) and the sort mark.
    void DrawTextPart(TdxPSReportRenderer& Renderer, TCanvas& Canvas, const TRect& Content);

private:
    int m_indent{0};
};

// Holds one string.
class TdxReportCellString : public TdxReportCellText {
    QEL_CLASS(TdxReportCellString)
public:
    explicit TdxReportCellString(TdxReportCell* AParent) : TdxReportCellText(AParent) {}
    TdxReportItem* Create(TdxReportCell* AParent) const override { return new TdxReportCellString(AParent); }
    std::string GetText() const override { return std::string(m_text.View()); }
    void SetText(const std::string& Value) override { m_text.Assign(Value); }
    std::string_view TextView() const { return m_text.View(); }
    std::string Text() const { return GetText(); }

private:
    detail::TCompactText m_text;
};

// Text plus an image area.
class TdxReportCellImageContainer : public TdxReportCellString {
    QEL_CLASS(TdxReportCellImageContainer)
public:
    explicit TdxReportCellImageContainer(TdxReportCell* AParent) : TdxReportCellString(AParent) {}
    TdxReportItem* Create(TdxReportCell* AParent) const override
    {
        return new TdxReportCellImageContainer(AParent);
    }
    // The text first, then the image area: the image, or its fill.
    void DrawContent(TdxPSReportRenderer& Renderer, TCanvas& Canvas, const TRect& Rect) override;

protected:
    virtual TRect GetImageBounds(const TdxPSReportRenderer& Renderer, const TRect& Content) const;
    virtual bool HasImageToDraw() const { return false; }
    virtual void DrawImagePart(TdxPSReportRenderer& Renderer, TCanvas& Canvas, const TRect& ImageRect,
                               const TRect& Content);
};

enum TdxCheckState : std::uint8_t { dxcsUnchecked, dxcsChecked, dxcsGrayed };

// A check mark with an optional text.
class TdxReportCellCheck : public TdxReportCellImageContainer {
    QEL_CLASS(TdxReportCellCheck)
public:
    explicit TdxReportCellCheck(TdxReportCell* AParent) : TdxReportCellImageContainer(AParent) {}
    TdxReportItem* Create(TdxReportCell* AParent) const override { return new TdxReportCellCheck(AParent); }

    bool Checked() const { return Field(dxFormat::Checked) != 0; }
    void SetChecked(bool Value) { SetField(dxFormat::Checked, Value); }
    bool Enabled() const { return Field(dxFormat::Enabled) != 0; }
    void SetEnabled(bool Value) { SetField(dxFormat::Enabled, Value); }
    bool FlatBorder() const { return Field(dxFormat::FlatBorder) != 0; }
    void SetFlatBorder(bool Value) { SetField(dxFormat::FlatBorder, Value); }
    TdxCellCheckPos CheckPos() const;
    // Centre clears the text.
    void SetCheckPos(TdxCellCheckPos Value);
    // A non-empty text while the check is centred moves the check to the left.
    void SetText(const std::string& Value) override;
    // Unchecked 0, checked 1, grayed 2 (not Enabled).
    TdxCheckState State() const;
    void DrawContent(TdxPSReportRenderer& Renderer, TCanvas& Canvas, const TRect& Rect) override;

protected:
    TRect GetTextBounds(const TdxPSReportRenderer& Renderer, const TRect& Content) const override;
    TRect CheckRect(const TdxPSReportRenderer& Renderer, const TRect& Content) const;
    virtual void DrawCheckMark(TdxPSReportRenderer& Renderer, TCanvas& Canvas, const TRect& CheckRect);
};

// A check mark copied from a glyph bitmap holding the states side by side.
class TdxReportCellCheckImage : public TdxReportCellCheck {
    QEL_CLASS(TdxReportCellCheckImage)
public:
    explicit TdxReportCellCheckImage(TdxReportCell* AParent);
    ~TdxReportCellCheckImage() override;
    TdxReportItem* Create(TdxReportCell* AParent) const override { return new TdxReportCellCheckImage(AParent); }

    // Created on first use.
    TBitmap* Glyph();
    const TBitmap* GlyphIfAny() const { return m_glyph.get(); }
    void SetGlyph(const TBitmap* Value);
    // Images in the glyph, 1 to 6 (a column's glyph), 3 by default.
    int GlyphCount() const { return m_glyphCount; }
    void SetGlyphCount(int Value);
    // Whether the glyph holds an image for State (else the plain check is drawn).
    bool HasStateImage(TdxCheckState State) const;

    // Also copies the glyph and GlyphCount.
    void Assign(TPersistent* Source) override;

protected:
    // The state's image of the glyph; the plain check for a state it lacks.
    void DrawCheckMark(TdxPSReportRenderer& Renderer, TCanvas& Canvas, const TRect& CheckRect) override;

private:
    std::unique_ptr<TBitmap> m_glyph;
    int m_glyphCount{3};
};

// An image object or an image of an image list.
class TdxReportCellCustomImage : public TdxReportCellImageContainer {
    QEL_CLASS(TdxReportCellCustomImage)
public:
    explicit TdxReportCellCustomImage(TdxReportCell* AParent);
    ~TdxReportCellCustomImage() override;
    TdxReportItem* Create(TdxReportCell* AParent) const override { return new TdxReportCellCustomImage(AParent); }

    TGraphic* Image() const { return m_image.get(); }
    // Owned copy (a new object of the source's class); an item without width
    // or height takes the image's.
    void SetImage(const TGraphic* Value);
    int ImageIndex() const { return m_imageIndex; }
    void SetImageIndex(int Value) { m_imageIndex = Value; }
    // Not owned: the caller keeps it alive as long as the report.
    TImageList* ImageList() const { return m_imageList; }
    void SetImageList(TImageList* Value) { m_imageList = Value; }
    bool ImageTransparent() const { return Field(dxFormat::ImageTransparent) != 0; }
    void SetImageTransparent(bool Value) { SetField(dxFormat::ImageTransparent, Value); }
    // An image object, or an image list with 0 <= ImageIndex < its count.
    bool HasImage() const;
    // Width and height of the image object, else of the list's images; screen pixels.
    TSize ImageSize() const;

    // Also copies the image and ImageIndex.
    void Assign(TPersistent* Source) override;

protected:
    bool HasImageToDraw() const override { return HasImage(); }
    // The image at its size (report units), centred.
    TRect GetImageBounds(const TdxPSReportRenderer& Renderer, const TRect& Content) const override;
    void DrawImagePart(TdxPSReportRenderer& Renderer, TCanvas& Canvas, const TRect& ImageRect,
                       const TRect& Content) override;
    TSize ImageSizeUnits(const TdxPSReportRenderer& Renderer) const;

private:
    std::unique_ptr<TGraphic> m_image;
    TImageList* m_imageList{nullptr};
    int m_imageIndex{-1};
};

// An image placed beside the text.
class TdxReportCellImage : public TdxReportCellCustomImage {
    QEL_CLASS(TdxReportCellImage)
public:
    explicit TdxReportCellImage(TdxReportCell* AParent) : TdxReportCellCustomImage(AParent) {}
    TdxReportItem* Create(TdxReportCell* AParent) const override { return new TdxReportCellImage(AParent); }
    TdxCellImageLayout ImageLayout() const { return m_imageLayout; }
    void SetImageLayout(TdxCellImageLayout Value) { m_imageLayout = Value; }
    void Assign(TPersistent* Source) override;

protected:
    TRect GetImageBounds(const TdxPSReportRenderer& Renderer, const TRect& Content) const override;
    TRect GetTextBounds(const TdxPSReportRenderer& Renderer, const TRect& Content) const override;

private:
    TdxCellImageLayout m_imageLayout{cilImageLeft};
};

// A picture drawn in a mode.
class TdxReportCellGraphic : public TdxReportCellCustomImage {
    QEL_CLASS(TdxReportCellGraphic)
public:
    explicit TdxReportCellGraphic(TdxReportCell* AParent) : TdxReportCellCustomImage(AParent) {}
    TdxReportItem* Create(TdxReportCell* AParent) const override { return new TdxReportCellGraphic(AParent); }
    TdxGraphicDrawMode DrawMode() const { return m_drawMode; }
    void SetDrawMode(TdxGraphicDrawMode Value) { m_drawMode = Value; }
    void Assign(TPersistent* Source) override;

protected:
    // Placed by the draw mode; a picture larger than the content is cut at it.
    TRect GetImageBounds(const TdxPSReportRenderer& Renderer, const TRect& Content) const override;

private:
    TdxGraphicDrawMode m_drawMode{gdmNone};
};

// ----- pools ----------------------------------------------------------------------------------
// The fonts of a report, shared by index among its items.
class TdxPSReportFontPool {
public:
    TdxPSReportFontPool();
    ~TdxPSReportFontPool();
    TdxPSReportFontPool(const TdxPSReportFontPool&) = delete;
    TdxPSReportFontPool& operator=(const TdxPSReportFontPool&) = delete;

    int Count() const { return static_cast<int>(m_entries.size()); }
    TFont* Items(int Index) const;   // EListError out of range
    int PointSize(int Index) const;
    // The index of that very font when it is one of the pool's own; else a
    // copy is appended (with its point size) and its index answered.
    int Add(const TFont* Font);
    // Each font's height for PixelsPerInch: -(point size * PixelsPerInch / 72).
    void PrepareFonts(int PixelsPerInch);
    void Clear();

private:
    struct TEntry {
        std::unique_ptr<TFont> Font;
        int PointSize;
    };
    std::vector<TEntry> m_entries;
};

// Solid brushes shared by colour (resolved to RGB).
class TdxPSReportBrushPool {
public:
    TdxPSReportBrushPool();
    ~TdxPSReportBrushPool();
    TdxPSReportBrushPool(const TdxPSReportBrushPool&) = delete;
    TdxPSReportBrushPool& operator=(const TdxPSReportBrushPool&) = delete;

    int Count() const { return static_cast<int>(m_brushes.size()); }
    TBrush* GetBrush(TColor Color);
    void Clear();

private:
    std::vector<std::unique_ptr<TBrush>> m_brushes;
    std::unordered_map<TColor, std::size_t> m_byColor;
};

// ----- the tree of a link --------------------------------------------------------------------
class TdxReportCells : public TPersistent {
    QEL_CLASS(TdxReportCells)
public:
    explicit TdxReportCells(TBasedxReportLink* AReportLink = nullptr);
    ~TdxReportCells() override;

    // Stored resolved to RGB.
    TColor BorderColor() const { return m_borderColor; }
    void SetBorderColor(TColor Value) { m_borderColor = ColorToRGB(Value); }
    int BorderWidth() const { return m_borderWidth; }
    void SetBorderWidth(int Value) { m_borderWidth = Value; }
    // The root, white, made with the object.
    TdxReportCell* Cells() const { return m_cells.get(); }
    // The cells repeated on pages, grey (0xC0C0C0), made on first access.
    TdxReportCell* HeaderCell();
    TdxReportCell* FooterCell();
    TdxReportCell* HeaderCellIfAny() const { return m_headerCell.get(); }
    TdxReportCell* FooterCellIfAny() const { return m_footerCell.get(); }
    bool HasHeaderCell() const { return m_headerCell != nullptr; }
    bool HasFooterCell() const { return m_footerCell != nullptr; }
    TBasedxReportLink* ReportLink() const { return m_reportLink; }

    // BorderColor, BorderWidth, the root cell, and the header and footer
    // cells when the source has them.
    void Assign(TPersistent* Source) override;

private:
    TdxReportCell* NewRepeatedCell();

    TBasedxReportLink* m_reportLink;
    TColor m_borderColor{clBlack};
    int m_borderWidth{1};
    std::unique_ptr<TdxReportCell> m_cells;
    std::unique_ptr<TdxReportCell> m_headerCell;
    std::unique_ptr<TdxReportCell> m_footerCell;
};

} // namespace qel
