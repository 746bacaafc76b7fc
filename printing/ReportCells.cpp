#include "printing/ReportCells.h"

#include "platform/core/Exceptions.h"
#include "platform/core/MathUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/ImageList.h"

#include <algorithm>
#include <limits>

namespace qel {

namespace {

int Saturate(std::int64_t Value)
{
    return static_cast<int>(std::clamp<std::int64_t>(Value, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

template <class T>
T* ItemAt(const std::vector<T*>& Items, int Index)
{
    if (Index < 0 || Index >= static_cast<int>(Items.size()))
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return Items[static_cast<std::size_t>(Index)];
}

template <class T>
int IndexIn(const std::vector<T*>& Items, const void* Item)
{
    // Searched from the end: items are mostly removed last first.
    for (std::size_t i = Items.size(); i-- > 0;)
        if (Items[i] == Item)
            return static_cast<int>(i);
    return -1;
}

} // namespace

// Frees the items of a list last first; each is detached first so that it
// does not look for itself in a list that is being emptied.
template <class T>
void TdxReportCell::FreeItems(std::vector<T*>& Items)
{
    while (!Items.empty()) {
        T* item = Items.back();
        Items.pop_back();
        item->m_parent = nullptr;
        delete item;
    }
    std::vector<T*>().swap(Items);
}

// ----- TdxReportCellSource ----------------------------------------------------------------------

TdxReportCellSource::TdxReportCellSource(std::uint8_t Kind, std::uint64_t Identity)
{
    if (Identity > MaxIdentity)
        throw EInvalidOperation("Report cell source identity out of range");
    m_value = (std::uint64_t{Kind} << 56) | Identity;
}

// ----- TdxReportItem ----------------------------------------------------------------------------

TdxReportItem::~TdxReportItem()
{
    if (m_parent)
        m_parent->Remove(this);
}

void TdxReportItem::SetParent(TdxReportCell* Value)
{
    if (Value == m_parent)
        return;
    if (m_parent)
        m_parent->Remove(this);
    m_parent = nullptr;
    if (Value)
        Value->Insert(this);
    if (auto* visual = dynamic_cast<TdxReportVisualItem*>(this); visual && visual->UseParentColor())
        visual->SetUseParentColor(true);
}

TdxReportCells* TdxReportItem::GetReportCells() const
{
    return m_parent ? m_parent->GetReportCells() : nullptr;
}

TdxReportCell* TdxReportItem::AsCell()
{
    return IsCell() ? static_cast<TdxReportCell*>(this) : nullptr;
}

TdxReportItem* TdxReportItem::Clone(TdxReportCell* AParent) const
{
    TdxReportItem* item = Create(AParent);
    item->Assign(const_cast<TdxReportItem*>(this));
    return item;
}

int TdxReportItem::Index() const
{
    if (!m_parent)
        return -1;
    return IsCell() ? IndexIn(m_parent->m_cells, this) : IndexIn(m_parent->m_dataItems, this);
}

TdxReportItem* TdxReportItem::GetPrevSibling() const
{
    const int index = Index();
    if (index <= 0)
        return nullptr;
    if (IsCell())
        return m_parent->m_cells[static_cast<std::size_t>(index - 1)];
    return m_parent->m_dataItems[static_cast<std::size_t>(index - 1)];
}

void TdxReportItem::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TdxReportItem*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    m_data = src->m_data;
    m_source = src->m_source;
}

// ----- TdxReportVisualItem ----------------------------------------------------------------------

TRect TdxReportVisualItem::BoundsRect() const
{
    return {m_left, Saturate(m_top), m_right, Saturate(m_bottom)};
}

void TdxReportVisualItem::SetBoundsRect(const TRect& Value)
{
    m_left = Value.Left;
    m_top = Value.Top;
    m_right = Value.Right;
    m_bottom = Value.Bottom;
}

void TdxReportVisualItem::SetBoundsRect64(const TRect64& Value)
{
    m_left = Saturate(Value.Left);
    m_right = Saturate(Value.Right);
    m_top = Value.Top;
    m_bottom = Value.Bottom;
}

TRect64 TdxReportVisualItem::AbsoluteRect() const
{
    TRect64 r = BoundsRect64();
    for (const TdxReportCell* p = Parent(); p; p = p->Parent()) {
        r.Left += p->m_left;
        r.Right += p->m_left;
        r.Top += p->m_top;
        r.Bottom += p->m_top;
    }
    return r;
}

TColor TdxReportVisualItem::Color() const
{
    if (UseParentColor() && Parent())
        return Parent()->Color();
    return m_color;
}

void TdxReportVisualItem::SetColor(TColor Value)
{
    if (Value == Color())
        return;
    m_color = Value;
    SetField(dxFormat::UseParentColor, 0);
}

void TdxReportVisualItem::SetUseParentColor(bool Value)
{
    SetField(dxFormat::UseParentColor, Value);
    if (Value && Parent())
        m_color = Parent()->Color();
}

TRect TdxReportVisualItem::GetInnerBounds(const TRect& Bounds, int LineWidth) const
{
    TRect r = Bounds;
    int inset = LineWidth;
    if (EdgeMode() == cem3D)
        inset = LineWidth * ((OuterEdgeStyle() != cesNone ? 1 : 0) + (InnerEdgeStyle() != cesNone ? 1 : 0));
    const TdxCellSides sides = CellSides();
    if (sides.Contains(csLeft))
        r.Left += inset;
    if (sides.Contains(csTop))
        r.Top += inset;
    if (sides.Contains(csRight))
        r.Right -= inset;
    if (sides.Contains(csBottom))
        r.Bottom -= inset;
    return r;
}

bool TdxReportVisualItem::HasBorder() const
{
    if (CellSides().Empty())
        return false;
    switch (EdgeMode()) {
    case cemFlat:
        return true;
    case cem3D:
        return OuterEdgeStyle() != cesNone || InnerEdgeStyle() != cesNone;
    default:
        return false;
    }
}

void TdxReportVisualItem::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TdxReportVisualItem*>(Source);
    if (!src) {
        TdxReportItem::Assign(Source);
        return;
    }
    TdxReportItem::Assign(Source);
    m_left = src->m_left;
    m_top = src->m_top;
    m_right = src->m_right;
    m_bottom = src->m_bottom;
    m_color = src->Color();
    m_fontIndex = src->m_fontIndex;
    m_format = src->m_format;
    SetField(dxFormat::UseParentColor, 0);
}

// ----- TdxReportCell ------------------------------------------------------------------------------

// Each class inserts itself once its own part is made, so the parent files
// it under the right list.
TdxReportCell::TdxReportCell(TdxReportCell* AParent)
{
    if (AParent)
        AParent->Insert(this);
}

TdxReportCell::TdxReportCell(TdxReportCells* AOwner, std::nullptr_t)
{
    m_reportCells = AOwner;
}

TdxReportCell::~TdxReportCell()
{
    // Leave the parent while this is still a cell: the base destructor would
    // look for it among the data items.
    if (m_parent)
        m_parent->Remove(this);
    FreeItems(m_dataItems);
    FreeItems(m_cells);
}

TdxReportCell* TdxReportCell::Cells(int Index) const
{
    return ItemAt(m_cells, Index);
}

TAbstractdxReportCellData* TdxReportCell::DataItems(int Index) const
{
    return ItemAt(m_dataItems, Index);
}

void TdxReportCell::ClearCells()
{
    FreeItems(m_cells);
}

void TdxReportCell::ClearDataItems()
{
    FreeItems(m_dataItems);
}

void TdxReportCell::ClearAll()
{
    ClearDataItems();
    ClearCells();
}

void TdxReportCell::Compact()
{
    m_cells.shrink_to_fit();
    m_dataItems.shrink_to_fit();
}

void TdxReportCell::Insert(TdxReportItem* Item)
{
    if (Item->IsCell()) {
        auto* cell = static_cast<TdxReportCell*>(Item);
        m_cells.push_back(cell);
        cell->SetReportCellsOfTree(m_reportCells);
    } else {
        m_dataItems.push_back(static_cast<TAbstractdxReportCellData*>(Item));
    }
    Item->m_parent = this;
}

void TdxReportCell::Remove(TdxReportItem* Item)
{
    if (Item->IsCell()) {
        const int i = IndexIn(m_cells, Item);
        if (i >= 0)
            m_cells.erase(m_cells.begin() + i);
        if (m_cells.empty())
            std::vector<TdxReportCell*>().swap(m_cells);
    } else {
        const int i = IndexIn(m_dataItems, Item);
        if (i >= 0)
            m_dataItems.erase(m_dataItems.begin() + i);
        if (m_dataItems.empty())
            std::vector<TAbstractdxReportCellData*>().swap(m_dataItems);
    }
    Item->m_parent = nullptr;
}

void TdxReportCell::SetReportCellsOfTree(TdxReportCells* Value)
{
    if (m_reportCells == Value)
        return;
    m_reportCells = Value;
    for (TdxReportCell* child : m_cells)
        child->SetReportCellsOfTree(Value);
}

void TdxReportCell::CopyTree(const TdxReportCell& Source)
{
    for (TAbstractdxReportCellData* item : Source.m_dataItems)
        item->Clone(this);
    for (TdxReportCell* child : Source.m_cells) {
        auto* copy = new TdxReportCell(this);
        copy->TdxReportVisualItem::Assign(child);
        copy->CopyTree(*child);
    }
}

void TdxReportCell::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TdxReportCell*>(Source);
    if (!src) {
        TdxReportVisualItem::Assign(Source);
        return;
    }
    if (src == this)
        return;
    ClearAll();
    TdxReportVisualItem::Assign(Source);
    CopyTree(*src);
}

// ----- data items -------------------------------------------------------------------------------

TAbstractdxReportCellData::TAbstractdxReportCellData(TdxReportCell* AParent)
{
    if (AParent)
        AParent->Insert(this);
}

TdxTextAlignX TdxReportCellText::TextAlignX() const
{
    const std::uint32_t f = Field(dxFormat::TextAlignX);
    return f == 0 ? taLeft : static_cast<TdxTextAlignX>(f - 1);
}

TdxTextAlignY TdxReportCellText::TextAlignY() const
{
    const std::uint32_t f = Field(dxFormat::TextAlignY);
    return f == 0 ? taTop : static_cast<TdxTextAlignY>(f - 1);
}

void TdxReportCellText::Assign(TPersistent* Source)
{
    TAbstractdxReportCellData::Assign(Source);
    if (auto* src = dynamic_cast<TdxReportCellText*>(Source)) {
        SetText(src->GetText());
        m_indent = src->m_indent;
    }
}

TdxCellCheckPos TdxReportCellCheck::CheckPos() const
{
    const std::uint32_t f = Field(dxFormat::CheckPos);
    return f > ccpRight ? ccpRight : static_cast<TdxCellCheckPos>(f);
}

void TdxReportCellCheck::SetCheckPos(TdxCellCheckPos Value)
{
    SetField(dxFormat::CheckPos, Value);
    if (Value == ccpCenter)
        TdxReportCellString::SetText({});
}

void TdxReportCellCheck::SetText(const std::string& Value)
{
    TdxReportCellString::SetText(Value);
    if (!Value.empty() && CheckPos() == ccpCenter)
        SetField(dxFormat::CheckPos, ccpLeft);
}

TdxCheckState TdxReportCellCheck::State() const
{
    if (!Enabled())
        return dxcsGrayed;
    return Checked() ? dxcsChecked : dxcsUnchecked;
}

TdxReportCellCheckImage::TdxReportCellCheckImage(TdxReportCell* AParent) : TdxReportCellCheck(AParent) {}
TdxReportCellCheckImage::~TdxReportCellCheckImage() = default;

TBitmap* TdxReportCellCheckImage::Glyph()
{
    if (!m_glyph)
        m_glyph = std::make_unique<TBitmap>();
    return m_glyph.get();
}

void TdxReportCellCheckImage::SetGlyph(const TBitmap* Value)
{
    Glyph()->Assign(const_cast<TBitmap*>(Value));
}

void TdxReportCellCheckImage::SetGlyphCount(int Value)
{
    m_glyphCount = std::clamp(Value, 1, 6);
}

bool TdxReportCellCheckImage::HasStateImage(TdxCheckState State) const
{
    if (!m_glyph || m_glyph->Empty())
        return false;
    const int width = m_glyph->Width() / m_glyphCount;
    return width > 0 && (static_cast<int>(State) + 1) * width <= m_glyph->Width();
}

void TdxReportCellCheckImage::Assign(TPersistent* Source)
{
    TdxReportCellCheck::Assign(Source);
    if (auto* src = dynamic_cast<TdxReportCellCheckImage*>(Source)) {
        if (src->m_glyph)
            SetGlyph(src->m_glyph.get());
        else
            m_glyph.reset();
        m_glyphCount = src->m_glyphCount;
    }
}

TdxReportCellCustomImage::TdxReportCellCustomImage(TdxReportCell* AParent) : TdxReportCellImageContainer(AParent) {}
TdxReportCellCustomImage::~TdxReportCellCustomImage() = default;

void TdxReportCellCustomImage::SetImage(const TGraphic* Value)
{
    if (!Value) {
        m_image.reset();
        return;
    }
    std::unique_ptr<TGraphic> copy(Value->NewOfSameClass());
    copy->Assign(const_cast<TGraphic*>(Value));
    m_image = std::move(copy);
    TRect64 r = BoundsRect64();
    if (r.Width() == 0)
        r.Right = r.Left + m_image->Width();
    if (r.Height() == 0)
        r.Bottom = r.Top + m_image->Height();
    SetBoundsRect64(r);
}

bool TdxReportCellCustomImage::HasImage() const
{
    if (m_image && !m_image->Empty())
        return true;
    return m_imageList && m_imageIndex >= 0 && m_imageIndex < m_imageList->Count();
}

TSize TdxReportCellCustomImage::ImageSize() const
{
    if (m_image)
        return {m_image->Width(), m_image->Height()};
    if (m_imageList)
        return {m_imageList->Width(), m_imageList->Height()};
    return {};
}

void TdxReportCellCustomImage::Assign(TPersistent* Source)
{
    TdxReportCellImageContainer::Assign(Source);
    if (auto* src = dynamic_cast<TdxReportCellCustomImage*>(Source)) {
        if (src->m_image) {
            std::unique_ptr<TGraphic> copy(src->m_image->NewOfSameClass());
            copy->Assign(src->m_image.get());
            m_image = std::move(copy);
        } else {
            m_image.reset();
        }
        m_imageIndex = src->m_imageIndex;
    }
}

void TdxReportCellImage::Assign(TPersistent* Source)
{
    TdxReportCellCustomImage::Assign(Source);
    if (auto* src = dynamic_cast<TdxReportCellImage*>(Source))
        m_imageLayout = src->m_imageLayout;
}

void TdxReportCellGraphic::Assign(TPersistent* Source)
{
    TdxReportCellCustomImage::Assign(Source);
    if (auto* src = dynamic_cast<TdxReportCellGraphic*>(Source))
        m_drawMode = src->m_drawMode;
}

// ----- pools ------------------------------------------------------------------------------------

TdxPSReportFontPool::TdxPSReportFontPool() = default;
TdxPSReportFontPool::~TdxPSReportFontPool() = default;

TFont* TdxPSReportFontPool::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return m_entries[static_cast<std::size_t>(Index)].Font.get();
}

int TdxPSReportFontPool::PointSize(int Index) const
{
    Items(Index);
    return m_entries[static_cast<std::size_t>(Index)].PointSize;
}

int TdxPSReportFontPool::Add(const TFont* Font)
{
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].Font.get() == Font)
            return static_cast<int>(i);
    auto copy = std::make_unique<TFont>();
    if (Font) {
        copy->SetPixelsPerInch(Font->PixelsPerInch());
        copy->Assign(const_cast<TFont*>(Font));
    }
    const int points = copy->Size();
    m_entries.push_back({std::move(copy), points});
    return Count() - 1;
}

void TdxPSReportFontPool::PrepareFonts(int PixelsPerInch)
{
    for (TEntry& e : m_entries) {
        e.Font->SetPixelsPerInch(PixelsPerInch);
        e.Font->SetHeight(-MulDiv(e.PointSize, PixelsPerInch, 72));
    }
}

void TdxPSReportFontPool::Clear()
{
    m_entries.clear();
}

TdxPSReportBrushPool::TdxPSReportBrushPool() = default;
TdxPSReportBrushPool::~TdxPSReportBrushPool() = default;

TBrush* TdxPSReportBrushPool::GetBrush(TColor Color)
{
    const TColor rgb = ColorToRGB(Color);
    if (auto it = m_byColor.find(rgb); it != m_byColor.end())
        return m_brushes[it->second].get();
    auto brush = std::make_unique<TBrush>();
    brush->SetColor(rgb);
    brush->SetStyle(bsSolid);
    m_byColor.emplace(rgb, m_brushes.size());
    m_brushes.push_back(std::move(brush));
    return m_brushes.back().get();
}

void TdxPSReportBrushPool::Clear()
{
    m_brushes.clear();
    m_byColor.clear();
}

// ----- TdxReportCells -----------------------------------------------------------------------------

TdxReportCells::TdxReportCells(TBasedxReportLink* AReportLink)
    : m_reportLink(AReportLink), m_cells(new TdxReportCell(this, nullptr))
{
    m_cells->SetColor(clWhite);
}

TdxReportCells::~TdxReportCells() = default;

TdxReportCell* TdxReportCells::NewRepeatedCell()
{
    auto* cell = new TdxReportCell(this, nullptr);
    cell->SetColor(0xC0C0C0);
    return cell;
}

TdxReportCell* TdxReportCells::HeaderCell()
{
    if (!m_headerCell)
        m_headerCell.reset(NewRepeatedCell());
    return m_headerCell.get();
}

TdxReportCell* TdxReportCells::FooterCell()
{
    if (!m_footerCell)
        m_footerCell.reset(NewRepeatedCell());
    return m_footerCell.get();
}

void TdxReportCells::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TdxReportCells*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    if (src == this)
        return;
    m_borderColor = src->m_borderColor;
    m_borderWidth = src->m_borderWidth;
    m_cells->Assign(src->m_cells.get());
    if (src->m_headerCell)
        HeaderCell()->Assign(src->m_headerCell.get());
    if (src->m_footerCell)
        FooterCell()->Assign(src->m_footerCell.get());
}

} // namespace qel
