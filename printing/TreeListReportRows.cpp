// The rows of a tree-list report and the cells in them: node rows (indent,
// images, values or the group text, preview, row footers), the bands row,
// the header row, the footer row and the closing line, with the colours,
// fonts, transparency and sides the draw mode and paint style give.
#include "printing/TreeListReportLink.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"
#include "printing/ReportUnits.h"
#include "printing/detail/TreeListReportBuild.h"

#include <algorithm>

namespace qel {

namespace {

constexpr TdxCellSides NoSides{};

// The next row of a parent starts where its last row ends.
std::int64_t NextTop(const TdxReportCell& Parent)
{
    return Parent.CellCount() > 0 ? Parent.Cells(Parent.CellCount() - 1)->BoundsRect64().Bottom : 0;
}

bool IsOdd(int RowIndex)
{
    return RowIndex % 2 != 0;
}

} // namespace

// ----- colours, fonts, transparency ---------------------------------------------------------------------

bool TCustomdxTreeListReportLink::RowTransparent(TdxTreeListNode* Node) const
{
    if (m_build->PaintStyle == psOutlook && Node && Node->HasChildren())
        return m_fixedTransparent;
    return Transparent();
}

TColor TCustomdxTreeListReportLink::RowColor(TdxTreeListNode* Node, int RowIndex, bool RowFooterRow) const
{
    const bool parent = Node && Node->HasChildren();
    if (m_build->PaintStyle == psOutlook) {
        if (!parent)
            return Color();
        if (m_drawMode != tldmBorrowSource)
            return m_groupNodeColor;
        TColor c = m_groupNodeColor;
        m_build->Control->GetLevelColor(Node->Level(), c);
        return c;
    }
    switch (m_drawMode) {
    case tldmOddEven:
        if (RowFooterRow)
            return m_rowFooterColor;
        return IsOdd(RowIndex) ? OddColor() : m_evenColor;
    case tldmBorrowSource: return m_build->Control->Color();
    default: return Color();
    }
}

TColor TCustomdxTreeListReportLink::CellColor(TdxTreeListNode* Node, int Column, int RowIndex) const
{
    const bool parent = Node && Node->HasChildren();
    const bool outlook = m_build->PaintStyle == psOutlook;
    if (m_drawMode == tldmOddEven && (!outlook || !parent))
        return IsOdd(RowIndex) ? OddColor() : m_evenColor;
    if (m_drawMode == tldmBorrowSource) {
        TCustomdxTreeListControl& c = *m_build->Control;
        if (outlook && parent) {
            TColor color = m_groupNodeColor;
            c.GetLevelColor(Node->Level(), color);
            return color;
        }
        TColor color = Column >= 0 ? c.GetColumnColor(Column) : clNone;
        if (color == clNone)
            color = c.Color();
        return color == c.Color() ? Color() : color;
    }
    return outlook && parent ? m_groupNodeColor : Color();
}

int TCustomdxTreeListReportLink::CellFontIndex(TdxTreeListNode* Node, int Column, int RowIndex) const
{
    const detail::TTreeListReportBuild& b = *m_build;
    const bool parent = Node && Node->HasChildren();
    const bool outlook = b.PaintStyle == psOutlook;
    const detail::TTreeListColumnPlace* place = Column >= 0 ? &b.Place(Column) : nullptr;
    const bool link = place && place->HyperLink;
    if (m_drawMode == tldmOddEven && (!outlook || !parent)) {
        if (IsOdd(RowIndex))
            return link ? b.OddFontUnderlined : b.OddFont;
        return link ? b.EvenFontUnderlined : b.EvenFont;
    }
    if (Node && b.IsGroupRow(Node))
        return b.GroupNodeFont;
    if (m_drawMode == tldmBorrowSource && place) {
        if (outlook && parent && place->FontIndex == b.LinkFont)
            return b.GroupNodeFont;
        return place->FontIndex;
    }
    return link ? b.LinkFontUnderlined : b.LinkFont;
}

void TCustomdxTreeListReportLink::Set3DEdge(TdxReportVisualItem& Item) const
{
    if (!m_options.Contains(tlpo3DEffects))
        return;
    Item.SetEdgeMode(cem3D);
    Item.SetOuterEdgeStyle(cesRaised);
    Item.SetInnerEdgeStyle(m_options.Contains(tlpoSoft3D) ? cesNone : cesRaised);
}

TdxReportCellSource TCustomdxTreeListReportLink::NodeSource(TdxTreeListNode* Node)
{
    if (!m_build->Sources || !Node)
        return {};
    return TdxReportCellSource(tlskNode, m_build->Access->NodeIdentity(Node));
}

TdxReportCellSource TCustomdxTreeListReportLink::ColumnSource(TdxTreeListColumn* Column)
{
    if (!m_build->Sources || !Column)
        return {};
    return TdxReportCellSource(tlskColumn, m_build->Access->ColumnIdentity(Column));
}

// ----- measures of a node row ------------------------------------------------------------------------------

int TCustomdxTreeListReportLink::NodeIndent(TdxTreeListNode* Node) const
{
    const detail::TTreeListReportBuild& b = *m_build;
    int indent = Node->Level() * (b.LevelIndent + 1);
    if (b.PaintStyle == psOutlook && Node->HasChildren())
        indent += b.LevelIndent;
    TImageList* state = b.Control->StateImages();
    if (m_options.Contains(tlpoStateImages) && state && Node->StateIndex() >= 0 && Node->StateIndex() < state->Count())
        indent += state->Width();
    TImageList* images = b.Control->Images();
    if (m_options.Contains(tlpoImages) && images && Node->ImageIndex() >= 0 && Node->ImageIndex() < images->Count())
        indent += images->Width();
    return indent;
}

int TCustomdxTreeListReportLink::NodeRowHeight(TdxTreeListNode* Node, int& PreviewHeight)
{
    detail::TTreeListReportBuild& b = *m_build;
    TCustomdxTreeListControl& c = *b.Control;
    PreviewHeight = 0;
    if (b.IsGroupRow(Node))
        return std::max(b.Heights.GroupNode, b.Heights.Node);
    int height = c.HeaderPanelRowCount() * b.Heights.Node;
    if (b.RowAutoHeight) {
        // Each value wrapped into its column at the size it is printed; the
        // lines and the margins of the cell around it.
        int tallest = 0;
        for (int column : b.ColumnList) {
            const detail::TTreeListColumnPlace& p = b.Place(column);
            if (GetDataItemClass(p.Column, Node) != &dxNewReportCellData<TdxReportCellString>) {
                tallest = std::max(tallest, b.Heights.Node);
                continue;
            }
            const std::string text = b.Access->CellText(Node, p.Column);
            if (text.empty()) {
                tallest = std::max(tallest, b.Heights.Node);
                continue;
            }
            const int fontIndex = UseColumnFont() ? p.FontIndex : b.LinkFont;
            const int h = b.TextHeights.Height(*FontPool()->Items(fontIndex), fontIndex,
                                               std::max(1, p.Right - p.Left - 6), text, DT_WORDBREAK);
            tallest = std::max(tallest, h + 4 + 2);
        }
        height = std::max(tallest, 1);
    }
    if (b.Preview) {
        if (m_previewLineCount == -1) {
            const std::string text = b.Access->PreviewText(Node);
            if (!text.empty())
                PreviewHeight =
                    b.TextHeights.Height(*m_previewFont, b.PreviewFont,
                                         std::max(1, b.ReportWidth - c.IndentDesc() - 6), text, DT_WORDBREAK) +
                    4 + 2;
        } else {
            PreviewHeight = m_previewLineCount * b.Heights.PreviewLine;
        }
        height += PreviewHeight;
    }
    return height;
}

// ----- node rows ----------------------------------------------------------------------------------------

void TCustomdxTreeListReportLink::AddNodeRow(TdxReportCells& Cells, int Index)
{
    detail::TTreeListReportBuild& b = *m_build;
    TdxTreeListNode* node = b.Nodes[static_cast<std::size_t>(Index)];
    const bool group = b.IsGroupRow(node);
    int previewHeight = 0;
    const int height = NodeRowHeight(node, previewHeight);
    TdxReportCell* root = Cells.Cells();
    const std::int64_t top = NextTop(*root);
    TdxReportCell* row = root->AddCell();
    row->SetBoundsRect64({0, top, b.ReportWidth, top + height});
    row->SetCellSides(NoSides);
    row->SetData(group ? dxTLRowGroup : dxTLRowNode);
    const bool transparent = RowTransparent(node);
    row->SetTransparent(transparent);
    if (!transparent)
        row->SetColor(RowColor(node, Index, false));
    row->SetSource(NodeSource(node));

    const int levels = node->Level() + (b.PaintStyle == psOutlook && node->HasChildren() ? 1 : 0);
    AddIndentCells(*row, node, levels, Index, false);
    const int cellsHeight = height - previewHeight;
    const int indent = NodeIndent(node);
    const int images = AddImageCells(*row, node, Index, indent, cellsHeight);
    if (group) {
        AddGroupCell(*row, node, Index, indent, height);
    } else {
        AddValueCells(*row, node, Index, indent, cellsHeight, images > 0);
        if (previewHeight > 0 && m_options.Contains(tlpoPreview))
            AddPreviewCell(*row, node, Index, indent, cellsHeight, height);
    }
    if (m_options.Contains(tlpoRowFooters) && node->IsLast() && !node->HasChildren()) {
        std::int64_t next = top + height;
        AddRowFooters(Cells, node, Index, next);
    }
}

void TCustomdxTreeListReportLink::AddIndentCells(TdxReportCell& Row, TdxTreeListNode* Node, int Levels, int RowIndex,
                                                 bool RowFooterRow)
{
    detail::TTreeListReportBuild& b = *m_build;
    if (Levels <= 0)
        return;
    const bool outlook = b.PaintStyle == psOutlook;
    const bool parent = Node->HasChildren();
    const bool transparent = RowTransparent(Node);
    const TColor color = RowColor(Node, RowFooterRow ? -1 : RowIndex, RowFooterRow);
    const bool closes = (!parent || (!Node->Expanded() && !m_autoNodesExpand)) &&
                        !(m_options.Contains(tlpoRowFooters) && b.Control->GetRowFooterCount(Node) > 0);
    const bool firstListed = !b.Nodes.empty() && Node == b.Nodes.front();
    const bool lastListed = !b.Nodes.empty() && Node == b.Nodes.back();
    // For indent j: whether the node and each ancestor above it down to level
    // j + 1 is the last child, walked once from the node upwards.
    std::vector<char> lastBelow(static_cast<std::size_t>(Levels), 0);
    {
        bool all = true;
        TdxTreeListNode* n = Node;
        for (int level = Node->Level(); level >= 0; --level) {
            all = all && n && n->IsLast();
            if (level - 1 >= 0 && level - 1 < Levels)
                lastBelow[static_cast<std::size_t>(level - 1)] = all;
            n = n ? n->Parent() : nullptr;
        }
        if (Levels > Node->Level())
            lastBelow[static_cast<std::size_t>(Levels - 1)] = Node->IsLast();
    }
    const int width = b.LevelIndent + 1;
    for (int j = 0; j < Levels; ++j) {
        TdxReportCell* cell = Row.AddCell();
        cell->SetBoundsRect({j * width, 0, (j + 1) * width, static_cast<int>(Row.Height())});
        cell->SetTransparent(transparent);
        if (!transparent)
            cell->SetColor(color);
        const bool last = j == Levels - 1;
        TdxCellSides sides;
        if (b.Grid) {
            sides.Include(csLeft);
            if (Node->Level() == 0)
                sides.Include(csTop);
            if (!(parent && outlook && last))
                sides.Include(csRight);
            if (!outlook && last) {
                sides.Include(csTop);
                if (!parent)
                    sides.Include(csBottom);
            }
            if (outlook && last && parent)
                sides.Include(csTop);
            if (closes && lastBelow[static_cast<std::size_t>(j)])
                sides.Include(csBottom);
        } else {
            if (j == 0)
                sides.Include(csLeft);
            if (firstListed)
                sides.Include(csTop);
            if (lastListed)
                sides.Include(csBottom);
        }
        cell->SetCellSides(sides);
    }
}

int TCustomdxTreeListReportLink::AddImageCells(TdxReportCell& Row, TdxTreeListNode* Node, int RowIndex, int Right,
                                               int Height)
{
    detail::TTreeListReportBuild& b = *m_build;
    TCustomdxTreeListControl& c = *b.Control;
    const bool opaque = m_drawMode == tldmOddEven && !Transparent() && b.PaintStyle == psOutlook &&
                        !Node->HasChildren();
    auto printed = [&](TdxTreeListPaintOption Option, TImageList* List, int Index) {
        return m_options.Contains(Option) && List && Index >= 0 && Index < List->Count();
    };
    // The images end where the node's first value starts.
    int Left = Right;
    if (printed(tlpoStateImages, c.StateImages(), Node->StateIndex()))
        Left -= c.StateImages()->Width();
    if (printed(tlpoImages, c.Images(), Node->ImageIndex()))
        Left -= c.Images()->Width();
    int added = 0;
    auto add = [&](TImageList* List, int Index) {
        if (!List || Index < 0 || Index >= List->Count())
            return;
        auto* item = Row.AddDataItem<TdxReportCellCustomImage>();
        item->SetBoundsRect({Left, 0, Left + List->Width(), Height});
        item->SetCellSides(NoSides);
        FillListImage(*item, List, Index);
        item->SetTransparent(!opaque);
        if (opaque)
            item->SetColor(IsOdd(RowIndex) ? OddColor() : m_evenColor);
        Left += List->Width();
        ++added;
    };
    if (m_options.Contains(tlpoStateImages))
        add(c.StateImages(), Node->StateIndex());
    if (m_options.Contains(tlpoImages))
        add(c.Images(), Node->ImageIndex());
    return added;
}

void TCustomdxTreeListReportLink::AddValueCells(TdxReportCell& Row, TdxTreeListNode* Node, int RowIndex, int Indent,
                                                int Height, bool HasImage)
{
    detail::TTreeListReportBuild& b = *m_build;
    const bool transparent = RowTransparent(Node);
    const bool firstListed = Node == b.Nodes.front();
    for (int column : b.ColumnList) {
        const detail::TTreeListColumnPlace& p = b.Place(column);
        TAbstractdxReportCellData* item = GetDataItemClass(p.Column, Node)(&Row);
        const int left = p.First ? Indent : p.Left;
        const int right = p.Last ? b.ReportWidth : p.Right;
        const int bottom = b.RowAutoHeight ? Height : p.NodeBottom;
        item->SetBoundsRect({left, p.NodeTop, std::max(left, right), bottom});
        FillDataItem(*item, p.Column, Node);
        item->SetTransparent(transparent);
        if (!transparent)
            item->SetColor(CellColor(Node, column, RowIndex));
        item->SetFontIndex(CellFontIndex(Node, column, RowIndex));
        item->SetSource(ColumnSource(p.Column));
        TdxCellSides sides;
        if (b.Grid) {
            if (p.RowIndex == 0 || b.PreviewGrid)
                sides.Include(csTop);
            if (b.PreviewGrid)
                sides.Include(csBottom);
            if (b.PreviewGrid || p.Last)
                sides.Include(csRight);
            if (p.First ? !HasImage : b.PreviewGrid)
                sides.Include(csLeft);
        } else {
            if (firstListed && p.RowIndex == 0)
                sides.Include(csTop);
            if (p.Last)
                sides.Include(csRight);
        }
        item->SetCellSides(sides);
    }
}

void TCustomdxTreeListReportLink::AddGroupCell(TdxReportCell& Row, TdxTreeListNode* Node, int RowIndex, int Indent,
                                               int Height)
{
    detail::TTreeListReportBuild& b = *m_build;
    auto* item = Row.AddDataItem<TdxReportCellString>();
    item->SetBoundsRect({Indent, 0, std::max(Indent, b.ReportWidth), Height});
    item->SetText(b.Access->GroupRowText(Node));
    const bool transparent = RowTransparent(Node);
    item->SetTransparent(transparent);
    TdxTreeListColumn* column = GetGroupColumn(Node);
    const int index = column ? column->GetColumnIndex() : -1;
    if (!transparent)
        item->SetColor(CellColor(Node, index, RowIndex));
    item->SetFontIndex(CellFontIndex(Node, -1, RowIndex));
    if (b.Grid)
        item->SetCellSides({csLeft, csTop, csRight});
    else
        item->SetCellSides(Node == b.Nodes.front() ? TdxCellSides{csTop, csRight} : TdxCellSides{csRight});
}

void TCustomdxTreeListReportLink::AddPreviewCell(TdxReportCell& Row, TdxTreeListNode* Node, int RowIndex, int Indent,
                                                 int Top, int Bottom)
{
    detail::TTreeListReportBuild& b = *m_build;
    auto* item = Row.AddDataItem<TdxReportCellString>();
    item->SetBoundsRect({Indent, Top, std::max(Indent, b.ReportWidth), Bottom});
    item->SetText(b.Access->PreviewText(Node));
    item->SetMultiline(true);
    item->SetTextAlignY(taTop);
    item->SetIndent(b.Control->IndentDesc());
    const bool outlookParent = b.PaintStyle == psOutlook && Node->HasChildren();
    const bool transparent = outlookParent || RowTransparent(Node);
    item->SetTransparent(transparent);
    const bool oddEven = m_drawMode == tldmOddEven;
    if (!transparent)
        item->SetColor(oddEven ? (IsOdd(RowIndex) ? OddColor() : m_evenColor) : m_previewColor);
    const bool byRow = oddEven && (b.PaintStyle == psStandard || !Node->HasChildren());
    item->SetFontIndex(byRow ? (IsOdd(RowIndex) ? b.OddFont : b.EvenFont) : b.PreviewFont);
    item->SetCellSides(b.PreviewGrid ? csAll : NoSides);
    item->SetSource(NodeSource(Node));
}

void TCustomdxTreeListReportLink::AddRowFooters(TdxReportCells& Cells, TdxTreeListNode* Node, int Row,
                                                std::int64_t& Top)
{
    detail::TTreeListReportBuild& b = *m_build;
    TCustomdxTreeListControl& c = *b.Control;
    const int count = c.GetRowFooterCount(Node);
    const int height = c.HeaderPanelRowCount() * b.Heights.RowFooter + 3;
    const bool outlook = b.PaintStyle == psOutlook;
    const int levels = std::max(0, Node->Level() - (outlook ? 0 : 1));
    const bool footerGrid = b.Grid && m_options.Contains(tlpoRowFooterGrid);
    for (int footer = 0; footer < count; ++footer) {
        TdxReportCell* row = Cells.Cells()->AddCell();
        row->SetBoundsRect64({0, Top, b.ReportWidth, Top + height});
        row->SetData(dxTLRowFooterRow);
        row->SetTransparent(Transparent());
        if (!Transparent())
            row->SetColor(m_rowFooterColor);
        row->SetCellSides(b.Grid ? csAll : NoSides);
        if (b.Sources)
            row->SetSource(TdxReportCellSource(tlskFooterLevel, static_cast<std::uint64_t>(footer) + 1));
        AddIndentCells(*row, Node, levels, Row, true);

        const int left = levels * (b.LevelIndent + 1);
        TdxReportCell* panel = row->AddCell();
        panel->SetBoundsRect({left, 0, std::max(left, b.ReportWidth), height});
        panel->SetTransparent(m_fixedTransparent);
        if (!m_fixedTransparent)
            panel->SetColor(m_drawMode == tldmBorrowSource ? RowColor(Node, -1, true) : m_rowFooterColor);
        panel->SetCellSides(NoSides);
        panel->SetSource(NodeSource(Node));
        for (int column : b.ColumnList) {
            if (!c.IsExistRowFooterCell(Node, column, footer))
                continue;
            const detail::TTreeListColumnPlace& p = b.Place(column);
            auto* item = panel->AddDataItem<TdxReportCellString>();
            item->SetBoundsRect({p.Left - left, p.RowFooterTop, p.Right - left, p.RowFooterBottom});
            std::string text;
            c.GetRowFooterCellText(Node, column, footer, text);
            item->SetText(text);
            item->SetTextAlignX(AlignXOf(c.GetRowFooterCellAlignment(Node, column, footer)));
            item->SetFontIndex(b.RowFooterFont);
            item->SetTransparent(true);
            item->SetCellSides(footerGrid ? csAll : NoSides);
            Set3DEdge(*item);
            item->SetSource(ColumnSource(p.Column));
        }
        Top += height;
    }
}

// ----- bands, header, footer, closing line ------------------------------------------------------------------

void TCustomdxTreeListReportLink::AddBandsRow(TdxReportCells& Cells)
{
    detail::TTreeListReportBuild& b = *m_build;
    TCustomdxTreeListControl& c = *b.Control;
    TdxReportCell* parent = m_bandsOnEveryPage && b.ControlHasNodes ? Cells.HeaderCell() : Cells.Cells();
    const std::int64_t top = NextTop(*parent);
    TdxReportCell* row = parent->AddCell();
    row->SetBoundsRect64({0, top, b.ReportWidth, top + b.BandsHeight});
    row->SetData(dxTLRowBands);
    row->SetCellSides(csAll);
    row->SetTransparent(m_fixedTransparent);
    if (!m_fixedTransparent)
        row->SetColor(m_bandColor);
    const int shift = m_options.Contains(tlpo3DEffects) ? 1 : 0;
    for (int band = 0; band < c.GetVisibleBandCount(); ++band) {
        auto* item = row->AddDataItem<TdxReportCellString>();
        const int left = b.BandLeft[static_cast<std::size_t>(band)];
        item->SetBoundsRect({left + shift, shift, left + b.BandWidth[static_cast<std::size_t>(band)], b.BandsHeight});
        std::string caption;
        c.GetBandCaption(band, caption);
        item->SetText(caption);
        item->SetTextAlignX(AlignXOf(c.GetBandAlignment(band)));
        item->SetCellSides(csAll);
        item->SetTransparent(true);
        item->SetFontIndex(b.BandFont);
        Set3DEdge(*item);
        if (b.Sources)
            if (TdxTreeListBand* object = c.Bands()->VisibleItem(band))
                item->SetSource(TdxReportCellSource(tlskBand, b.Access->BandIdentity(object)));
    }
}

void TCustomdxTreeListReportLink::AddHeaderRow(TdxReportCells& Cells)
{
    detail::TTreeListReportBuild& b = *m_build;
    TCustomdxTreeListControl& c = *b.Control;
    TdxReportCell* parent = m_bandsOnEveryPage && HeadersOnEveryPage() && b.ControlHasNodes ? Cells.HeaderCell()
                                                                                              : Cells.Cells();
    const std::int64_t top = NextTop(*parent);
    TdxReportCell* row = parent->AddCell();
    row->SetBoundsRect64({0, top, b.ReportWidth, top + c.HeaderPanelRowCount() * b.Heights.Header});
    row->SetData(dxTLRowHeader);
    row->SetCellSides(csAll);
    row->SetTransparent(m_fixedTransparent);
    if (!m_fixedTransparent)
        row->SetColor(m_headerColor);
    if (b.Sources)
        row->SetSource(TdxReportCellSource(tlskHeaderRow, 0));
    const int shift = m_options.Contains(tlpo3DEffects) ? 1 : 0;
    for (int column : b.ColumnList) {
        const detail::TTreeListColumnPlace& p = b.Place(column);
        auto* item = row->AddDataItem<TdxReportCellCustomImage>();
        item->SetBoundsRect({p.Left + shift, p.HeaderTop + shift, p.Right, p.HeaderBottom});
        item->SetText(c.GetColumnCaption(column));
        item->SetTextAlignX(AlignXOf(c.GetColumnHeaderAlignment(column)));
        switch (c.GetColumnSorted(column)) {
        case csUp: item->SetSortOrder(csoUp); break;
        case csDown: item->SetSortOrder(csoDown); break;
        default: break;
        }
        item->SetFontIndex(b.HeaderFont);
        item->SetCellSides(csAll);
        item->SetTransparent(true);
        Set3DEdge(*item);
        if (const TBitmap* glyph = p.Column->HeaderGlyph(); glyph && !glyph->Empty())
            item->SetImage(glyph);
        item->SetSource(ColumnSource(p.Column));
    }
}

void TCustomdxTreeListReportLink::AddFooterRow(TdxReportCells& Cells)
{
    detail::TTreeListReportBuild& b = *m_build;
    TCustomdxTreeListControl& c = *b.Control;
    TdxReportCell* parent = FootersOnEveryPage() && b.ControlHasNodes ? Cells.FooterCell() : Cells.Cells();
    const std::int64_t top = NextTop(*parent);
    TdxReportCell* row = parent->AddCell();
    const int height = c.HeaderPanelRowCount() * b.Heights.Footer + 3;
    row->SetBoundsRect64({0, top, b.ReportWidth, top + height});
    row->SetData(dxTLRowFooter);
    row->SetCellSides(csAll);
    row->SetTransparent(m_fixedTransparent);
    if (!m_fixedTransparent)
        row->SetColor(m_headerColor);
    Set3DEdge(*row);
    const bool effects = m_options.Contains(tlpo3DEffects);
    if (effects) {
        TdxReportCell* frame = row->AddCell();
        frame->SetBoundsRect({1, 1, b.ReportWidth - 1, height - 2});
        frame->SetTransparent(true);
    }
    for (int column : b.ColumnList) {
        if (!c.IsExistFooterCell(column))
            continue;
        const detail::TTreeListColumnPlace& p = b.Place(column);
        auto* item = row->AddDataItem<TdxReportCellString>();
        TRect r{p.Left + 2, p.FooterTop + 3, p.Right - 2, p.FooterBottom - 3};
        if (effects)
            r.Left -= 1;
        else
            r.Right += 1;
        if (p.Last)
            r.Right -= 2;
        if (p.First)
            OffsetRect(r, effects ? 3 : 2, 0);
        r.Right = std::max(r.Left, r.Right);
        r.Bottom = std::max(r.Top, r.Bottom);
        item->SetBoundsRect(r);
        item->SetText(c.GetFooterCellText(column));
        item->SetTextAlignX(AlignXOf(p.Column->FooterAlignment()));
        item->SetFontIndex(b.FooterFont);
        item->SetTransparent(true);
        item->SetSource(ColumnSource(p.Column));
    }
}

void TCustomdxTreeListReportLink::AddClosingLine(TdxReportCells& Cells)
{
    TdxReportCell* root = Cells.Cells();
    if (root->CellCount() == 0)
        return;
    const std::int64_t top = NextTop(*root);
    TdxReportCell* line = root->AddCell();
    line->SetBoundsRect64({0, top, m_build->ReportWidth, top + 1});
    line->SetData(dxTLRowClosingLine);
    line->SetCellSides({csTop});
    line->SetTransparent(true);
}

} // namespace qel
