#pragma once
// Vocabulary shared by the tree list, its columns and the layers above it:
// look, options, hit kinds, the measured areas of the client, and the
// exception class.
#include "platform/core/Exceptions.h"
#include "platform/core/TSet.h"
#include "platform/graphics/Geometry.h"

#include <cstdint>

namespace qel {

QEL_DECLARE_EXCEPTION(EInvaliddxTreeListOperation, Exception);

// The longest width, height or indent a tree list takes from a program or a
// stored layout; longer ones are cut to it. Wider than any screen, and small
// enough that lengths multiplied by levels or header rows stay far inside int.
inline constexpr int dxMaxTreeListLength = 1 << 16;
// The most rows a header panel has.
inline constexpr int dxMaxHeaderPanelRowCount = 64;

enum TdxTreeListPaintStyle : std::uint8_t { psStandard, psOutlook };
enum TdxLookAndFeel : std::uint8_t { lfStandard, lfFlat, lfUltraFlat };

// Sort state of a column.
enum TdxTreeListColumnSort : std::uint8_t { csNone = 0, csDown = 1, csUp = 2 };

enum TdxTreeListOption : std::uint8_t {
    aoColumnSizing, aoColumnMoving, aoEditing, aoTabs, aoTabThrough, aoImmediateEditor,
    aoMultiSelect, aoExtMultiSelect, aoRowSelect, aoPreview, aoAutoWidth, aoCaseInsensitive,
    aoDrawEndEllipsis, aoAutoSort, aoHideFocusRect, aoKeepColumnWidth
};
using TdxTreeListOptions = TSet<TdxTreeListOption>;

enum TdxTreeListOptionEx : std::uint8_t {
    aoUseBitmap, aoBandHeaderWidth, aoBandSizing, aoBandMoving, aoVertThrough, aoEnterShowEditor,
    aoDragScroll, aoDragExpand, aoInvertSelect, aoAutoCalcPreviewLines, aoRowAutoHeight,
    aoMultiSort, aoAnsiSort, aoAutoSearch, aoEnterThrough, aoExtCustomizing
};
using TdxTreeListOptionsEx = TSet<TdxTreeListOptionEx>;

// What lies under a client point. The numbers are part of the contract:
// the grid answers htGroupPanel (10) for its group panel.
enum TdxTreeListHitTest : std::uint8_t {
    htNowhere = 0,
    htBandPanel = 1,     // band row, right of the last band
    htBand = 2,
    htBandEdge = 3,      // the sizing strip at a band's right edge
    htHeaderPanel = 4,   // header rows, right of the last column
    htColumn = 5,
    htColumnEdge = 6,    // the sizing strip at a column header's right edge
    htIndent = 7,
    htButton = 8,        // expand/collapse button
    htStateIcon = 9,
    htGroupPanel = 10,
    htIcon = 11,
    htLabel = 12,        // a cell of a node row
    htPreview = 13,
    htRowFooter = 14,
    htFooter = 15,
    htIndicator = 16,
    htRight = 17,        // a node row, right of the last band
    htAbove = 18,        // outside the client, above or left
    htBelow = 19         // rows area below the last node, or outside below/right
};

// The areas of the client, top to bottom; empty rectangles for hidden parts.
struct TdxTreeListRectInfo {
    TRect Client;
    TRect GroupPanel;
    TRect Bands;
    TRect Header;
    TRect Rows;
    TRect Footer;
    TRect StatusPanel;   // below the footer, at the bottom of the client
    TRect Indicator;     // left strip over the rows area
    int VisibleRowCount = 0;   // whole rows of the base height that fit into Rows
};

// Areas of the header while it is dragged.
enum TdxHeaderDragTarget : std::uint8_t {
    hdtNone,             // not over anything that takes the column
    hdtHeader,           // a new position among the headers
    hdtCustomizing,      // the customizing window (hides the column)
    hdtRemove,           // outside: the drop hides the column when allowed
    hdtClaimed           // an area a subclass took through DoColumnDragOver; the drop is its own
};

} // namespace qel
