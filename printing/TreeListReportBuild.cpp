// The tree-list report link's construction: the working state (heights,
// column layout, fonts, the chosen nodes), the order of the rows, and the
// delimiters pagination cuts at.
#include "printing/TreeListReportLink.h"

#include "platform/core/Guards.h"
#include "platform/graphics/ImageList.h"
#include "printing/ReportUnits.h"
#include "printing/detail/TreeListReportBuild.h"

#include <algorithm>

namespace qel {

namespace detail {

int TTextHeightCache::Height(const TFont& Font, int FontKey, int Width, const std::string& Text, unsigned Format)
{
    const std::uint64_t key = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(FontKey)) << 40) ^
                              (static_cast<std::uint64_t>(Format & 0xFFu) << 32) ^ static_cast<std::uint32_t>(Width);
    auto& byText = m_heights[key];
    if (auto it = byText.find(Text); it != byText.end())
        return it->second;
    const int h = dxMeasureTextHeightPixels(Font, Text, Width, Format);
    byText.emplace(Text, h);
    ++m_count;
    return h;
}

} // namespace detail

namespace {

// A line of text in a font, as high as it is drawn.
int LineHeight(const TFont& Font)
{
    return dxMeasureTextHeightPixels(Font, "Wg", 1 << 16, DT_SINGLELINE);
}

} // namespace

// ----- preparing ------------------------------------------------------------------------------------------

void TCustomdxTreeListReportLink::PrepareConstruct(TdxReportCells& Cells)
{
    auto build = std::make_unique<detail::TTreeListReportBuild>();
    detail::TTreeListReportBuild& b = *build;
    b.Control = TreeListControl();
    b.Access = m_access.get();
    b.Cells = &Cells;
    b.PaintStyle = b.Control->PaintStyle();
    b.LevelIndent = b.Control->GetIndentWidth();
    b.Grid = EffectiveGrid();
    b.PreviewGrid = EffectivePreviewGrid();
    b.Sources = IsCustomDrawn(nullptr);
    b.RowAutoHeight = b.Control->IsRowAutoHeight() && b.Control->HeaderPanelRowCount() == 1;
    b.Preview = b.Control->Options().Contains(aoPreview) && m_options.Contains(tlpoPreview);
    b.ControlHasNodes = b.Control->GetCount() > 0;
    m_build = std::move(build);
    MeasureRows();
    RegisterFonts(Cells);
    BuildColumnLayout();
    ChooseNodes();
}

void TCustomdxTreeListReportLink::UnprepareConstruct()
{
    m_build.reset();
}

void TCustomdxTreeListReportLink::MeasureRows()
{
    detail::TTreeListReportBuild& b = *m_build;
    TCustomdxTreeListControl& c = *b.Control;
    detail::TTreeListRowHeights& h = b.Heights;
    h.Node = std::max(LineHeight(*Font()) + 6, c.GetRowLineHeight());
    h.Header = std::max(LineHeight(*m_headerFont) + 6, c.GetHeaderRowHeight());
    h.Footer = std::max(LineHeight(*m_footerFont) + 6 + (m_options.Contains(tlpoRowFooterGrid) ? 2 : 0),
                        c.GetFooterRowHeight());
    h.GroupNode = std::max(LineHeight(*m_groupNodeFont) + 6, c.GetRowLineHeight());
    h.RowFooter = std::max(LineHeight(*m_rowFooterFont) + 6, c.GetFooterRowHeight());
    h.Band = std::max(LineHeight(*m_bandFont) + 10, c.GetBandRowHeight());
    h.PreviewLine = std::max(LineHeight(*m_previewFont) + 2, c.GetPreviewLineHeight());
    b.BandsHeight = m_options.Contains(tlpoBands) ? h.Band : 0;
}

void TCustomdxTreeListReportLink::RegisterFonts(TdxReportCells& /*Cells*/)
{
    detail::TTreeListReportBuild& b = *m_build;
    TdxPSReportFontPool& pool = *FontPool();
    b.LinkFont = pool.Add(Font());
    b.BandFont = pool.Add(m_bandFont.get());
    b.HeaderFont = pool.Add(m_headerFont.get());
    b.FooterFont = pool.Add(m_footerFont.get());
    b.GroupNodeFont = pool.Add(m_groupNodeFont.get());
    b.PreviewFont = pool.Add(m_previewFont.get());
    b.RowFooterFont = pool.Add(m_rowFooterFont.get());
    b.OddFont = pool.Add(m_oddFont.get());
    b.EvenFont = pool.Add(m_evenFont.get());
    auto underlined = [&pool](const TFont* Source) {
        TFont font;
        font.Assign(const_cast<TFont*>(Source));
        font.SetStyle(font.Style() + TFontStyles{fsUnderline});
        return pool.Add(&font);
    };
    b.LinkFontUnderlined = underlined(Font());
    b.OddFontUnderlined = underlined(m_oddFont.get());
    b.EvenFontUnderlined = underlined(m_evenFont.get());
}

int TCustomdxTreeListReportLink::LeftOffset() const
{
    return 0;
}

void TCustomdxTreeListReportLink::BuildColumnLayout()
{
    detail::TTreeListReportBuild& b = *m_build;
    TCustomdxTreeListControl& c = *b.Control;
    const detail::TTreeListRowHeights& h = b.Heights;
    const int bands = c.GetVisibleBandCount();
    b.BandLeft.assign(static_cast<std::size_t>(std::max(0, bands)), 0);
    b.BandWidth.assign(b.BandLeft.size(), 0);
    int left = 0;
    for (int band = 0; band < bands; ++band) {
        const int width = c.GetBandWidth(band) + (band == 0 ? LeftOffset() : 0);
        b.BandLeft[static_cast<std::size_t>(band)] = left;
        b.BandWidth[static_cast<std::size_t>(band)] = width;
        left += width;
    }
    b.ReportWidth = left;

    // Columns band by band, row by row, position by position.
    for (int band = 0; band < bands; ++band)
        for (int row = 0; row < c.GetBandRowCount(band); ++row)
            for (int pos = 0; pos < c.GetBandRowColumnCount(band, row); ++pos) {
                const int column = c.GetHeaderColumnIndex(band, row, pos);
                if (column >= 0 && c.IsColumnShown(column) && c.GetColumnByIndex(column))
                    b.ColumnList.push_back(column);
            }
    if (b.ColumnList.empty())
        return;
    b.Layout.assign(static_cast<std::size_t>(*std::max_element(b.ColumnList.begin(), b.ColumnList.end()) + 1), {});

    int lastBand = 0;
    for (int column : b.ColumnList) {
        int band = 0, row = 0, pos = 0;
        c.GetColumnPlace(column, band, row, pos);
        lastBand = std::max(lastBand, band);
    }
    for (int column : b.ColumnList) {
        detail::TTreeListColumnPlace& p = b.Layout[static_cast<std::size_t>(column)];
        p.Column = c.GetColumnByIndex(column);
        p.Index = column;
        c.GetColumnPlace(column, p.Band, p.RowIndex, p.ColumnIndex);
        p.BandRowCount = c.GetBandRowCount(p.Band);
        p.ColumnCount = 0;
        int x = b.BandLeft[static_cast<std::size_t>(p.Band)];
        for (int q = 0; q < c.GetBandRowColumnCount(p.Band, p.RowIndex); ++q) {
            const int other = c.GetHeaderColumnIndex(p.Band, p.RowIndex, q);
            if (other < 0 || !c.IsColumnShown(other))
                continue;
            if (q < p.ColumnIndex)
                x += c.GetColumnDisplayWidth(other);
            ++p.ColumnCount;
        }
        p.Left = x;
        p.Right = x + c.GetColumnDisplayWidth(column);
        for (int r = 0; r < p.RowIndex; ++r) {
            const int lines = c.CalcHeaderCells(p.Band, r);
            p.NodeTop += h.Node * lines;
            p.FooterTop += h.Footer * lines;
            p.HeaderTop += h.Header * lines;
            p.RowFooterTop += h.RowFooter * lines;
        }
        const int own = c.CalcHeaderCells(p.Band, p.RowIndex);
        p.NodeBottom = p.NodeTop + h.Node * own;
        p.FooterBottom = p.FooterTop + h.Footer * own + 3;
        p.HeaderBottom = p.HeaderTop + h.Header * own;
        p.RowFooterBottom = p.RowFooterTop + h.RowFooter * own + 3;
        p.First = p.Band == 0 && p.RowIndex == 0 && p.ColumnIndex == 0;
        p.Last = p.Band == lastBand && p.ColumnIndex == p.ColumnCount - 1;
        p.HyperLink = IsHyperLinkColumn(p.Column);
        p.FontIndex = b.LinkFont;
        if (UseColumnFont() && (!p.Column->ParentFont() || p.HyperLink)) {
            TFont font;
            font.Assign(c.GetColumnFont(column));
            if (p.HyperLink)
                font.SetStyle(font.Style() + TFontStyles{fsUnderline});
            p.FontIndex = FontPool()->Add(&font);
        }
    }
}

// ----- choosing the nodes --------------------------------------------------------------------------------

void TCustomdxTreeListReportLink::ChooseNodes()
{
    detail::TTreeListReportBuild& b = *m_build;
    detail::ChooseTreeListNodes(*b.Control, *b.Access,
                                {m_onlySelected, m_extendedSelect, m_autoNodesExpand, ExpandLevel()}, b.Nodes);
}

namespace detail {

void ChooseTreeListNodes(TCustomdxTreeListControl& Control, TdxTreeListReportAccess& Access,
                         const TTreeListNodeChoice& Choice, std::vector<TdxTreeListNode*>& Nodes)
{
    std::vector<TdxTreeListNode*>& list = Nodes;
    list.clear();
    if (Control.GetCount() == 0)
        return;
    const bool selection = Choice.OnlySelected && Access.SelectedCount() > 0;
    if (!Choice.AutoNodesExpand)
        list.reserve(static_cast<std::size_t>(selection ? Access.SelectedCount() : Control.GetAbsoluteCount()));

    if (!selection) {
        const int level = Choice.ExpandLevel;
        auto add = [&](auto&& self, TdxTreeListNode* Node) -> void {
            list.push_back(Node);
            if (!Node->Expanded() && !Choice.AutoNodesExpand)
                return;
            for (int i = 0; i < Node->Count(); ++i) {
                TdxTreeListNode* child = Node->GetItem(i);
                if (level == -1 || child->Level() <= level)
                    self(self, child);
            }
        };
        for (int i = 0; i < Control.GetCount(); ++i)
            add(add, Control.GetItem(i));
        return;
    }

    // One pass over the whole tree: a node's place is taken before its
    // children are visited and given back when neither it nor anything
    // below it turned out to be included (then nothing below was added).
    // Collapsed branches are walked too, for the selected nodes they hold.
    auto visit = [&](auto&& self, TdxTreeListNode* Node, bool AncestorSelected, bool Emit) -> bool {
        const bool selected = Access.IsNodeSelected(Node);
        const std::size_t mark = list.size();
        if (Emit)
            list.push_back(Node);
        const bool emitChildren = Emit && (Node->Expanded() || Choice.AutoNodesExpand);
        bool below = false;
        for (int i = 0; i < Node->Count(); ++i)
            below = self(self, Node->GetItem(i), AncestorSelected || selected, emitChildren) || below;
        const bool included = selected || below || (!Choice.ExtendedSelect && AncestorSelected);
        if (Emit && !included)
            list.resize(mark);
        return selected || below;
    };
    for (int i = 0; i < Control.GetCount(); ++i)
        visit(visit, Control.GetItem(i), false, true);
}

} // namespace detail

// ----- construction --------------------------------------------------------------------------------------

void TCustomdxTreeListReportLink::ConstructReport(TdxReportCells& Cells)
{
    TCustomdxTreeListControl* control = TreeListControl();
    if (!control)
        return;
    TBasedxReportLink::ConstructReport(Cells);
    if (!m_access || m_access->Control() != control)
        m_access = CreateAccess(control);
    m_access->BeginBuild();
    // Whatever the preparation got to is undone, also when it failed part-way.
    Finally unprepare([this] { UnprepareConstruct(); });
    PrepareConstruct(Cells);
    detail::TTreeListReportBuild& b = *m_build;
    if (b.ColumnList.empty())
        return;

    Cells.SetBorderColor(m_gridLineColor);
    TdxReportCell* root = Cells.Cells();
    root->SetColor(clWhite);
    root->SetCellSides({});
    root->SetTransparent(true);
    root->SetFontIndex(0);
    if (GetHeadersOnEveryPage()) {
        TdxReportCell* header = Cells.HeaderCell();
        header->SetColor(DefaultFixedColor);
        header->SetCellSides({});
        header->SetTransparent(false);
        header->SetFontIndex(b.HeaderFont);
    }
    if (GetFootersOnEveryPage()) {
        TdxReportCell* footer = Cells.FooterCell();
        footer->SetColor(DefaultFixedColor);
        footer->SetCellSides({});
        footer->SetTransparent(false);
        footer->SetFontIndex(b.FooterFont);
    }
    if (m_options.Contains(tlpoBands))
        AddBandsRow(Cells);
    if (m_options.Contains(tlpoHeaders))
        AddHeaderRow(Cells);
    // The build holds the control's nodes and columns: a handler that takes
    // any away meanwhile (a progress event, the control's own events) ends it.
    const std::uint64_t stamp = control->RemovalStamp();
    auto checkUnchanged = [&] {
        // The control itself may be gone: asked of the link, which hears that, first.
        if (Component() != control || control->RemovalStamp() != stamp)
            throw EdxReportLink("The tree list changed while the report was being built");
    };
    const int count = static_cast<int>(b.Nodes.size());
    for (int i = 0; i < count; ++i) {
        AddNodeRow(Cells, i);
        checkUnchanged();
        if (ComponentPrinter()) {
            ComponentPrinter()->GenerateReportProgress(this, (i + 1) * 100.0 / count);
            checkUnchanged();
        }
    }
    if (m_options.Contains(tlpoFooters))
        AddFooterRow(Cells);
    else
        AddClosingLine(Cells);

    auto fit = [&b](TdxReportCell* Cell) {
        if (Cell && Cell->CellCount() > 0)
            Cell->SetBoundsRect64({0, 0, b.ReportWidth, Cell->Cells(Cell->CellCount() - 1)->BoundsRect64().Bottom});
    };
    fit(root);
    if (GetHeadersOnEveryPage())
        fit(Cells.HeaderCellIfAny());
    if (GetFootersOnEveryPage())
        fit(Cells.FooterCellIfAny());
}

void TCustomdxTreeListReportLink::RebuildReport()
{
    TBasedxReportLink::RebuildReport();
    // The new cells are in place: their identities are the ones drawing resolves.
    if (m_access)
        m_access->CommitBuild();
}

// ----- delimiters ----------------------------------------------------------------------------------------

namespace {

void AddCellTops(const TdxReportCell& Cell, std::vector<std::int64_t>& Tops)
{
    for (int i = 0; i < Cell.CellCount(); ++i) {
        const TdxReportCell& child = *Cell.Cells(i);
        Tops.push_back(child.AbsoluteRect().Top);
        AddCellTops(child, Tops);
    }
}

void AddItemEdges(const TdxReportCell& Row, std::vector<std::int64_t>& Edges)
{
    for (int i = 0; i < Row.DataItemCount(); ++i) {
        const TRect64 r = Row.DataItems(i)->AbsoluteRect();
        Edges.push_back(r.Left);
        Edges.push_back(r.Right);
    }
}

} // namespace

void TCustomdxTreeListReportLink::GetDelimiters(TdxReportCells& Cells, std::vector<std::int64_t>& HorzDelimiters,
                                                std::vector<std::int64_t>& VertDelimiters)
{
    TBasedxReportLink::GetDelimiters(Cells, HorzDelimiters, VertDelimiters);
    TdxReportCell* root = Cells.Cells();
    TdxReportCell* header = Cells.HeaderCellIfAny();
    TdxReportCell* footer = Cells.FooterCellIfAny();
    const bool headerRows = header && header->CellCount() > 0;
    const bool footerRows = footer && footer->CellCount() > 0;
    if (root->CellCount() == 0 && !headerRows && !footerRows) {
        HorzDelimiters.push_back(0);
        VertDelimiters.push_back(0);
        return;
    }
    if (UseHorzDelimiters()) {
        auto find = [&](int Tag) -> TdxReportCell* {
            for (TdxReportCell* parent : {header, root})
                if (parent)
                    for (int i = 0; i < parent->CellCount(); ++i)
                        if (parent->Cells(i)->Data() == Tag)
                            return parent->Cells(i);
            return nullptr;
        };
        TdxReportCell* reference = nullptr;
        if (m_options.Contains(tlpoBands) && m_horzDelimitByBands)
            reference = find(dxTLRowBands);
        else if (m_options.Contains(tlpoHeaders))
            reference = find(dxTLRowHeader);
        else
            reference = find(dxTLRowNode);
        if (reference)
            AddItemEdges(*reference, HorzDelimiters);
    }
    if (UseVertDelimiters()) {
        AddCellTops(*root, VertDelimiters);
        if (header && !GetHeadersOnEveryPage())
            AddCellTops(*header, VertDelimiters);
        if (footer && !GetFootersOnEveryPage())
            AddCellTops(*footer, VertDelimiters);
    }
}

} // namespace qel
