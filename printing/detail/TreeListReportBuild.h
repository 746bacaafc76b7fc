#pragma once
// The working state of one tree-list report build: made when the build
// prepares, dropped when it ends (also when it fails).
#include "printing/TreeListReportLink.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace qel::detail {

// Where one printed column lies in each kind of row (screen pixels).
struct TTreeListColumnPlace {
    TdxTreeListColumn* Column = nullptr;   // nullptr: not printed
    int Index = -1;                        // absolute column index
    int Band = 0;                          // visible band
    int ColumnIndex = 0;                   // position in its band row
    int ColumnCount = 0;                   // columns of that band row
    int RowIndex = 0;                      // band row
    int BandRowCount = 0;
    int Left = 0;
    int Right = 0;
    int NodeTop = 0, NodeBottom = 0;
    int FooterTop = 0, FooterBottom = 0;
    int HeaderTop = 0, HeaderBottom = 0;
    int RowFooterTop = 0, RowFooterBottom = 0;
    bool First = false;                    // first column of the first row of band 0
    bool Last = false;                     // last column of its row in the last band
    int FontIndex = 0;                     // of its value cells
    bool HyperLink = false;
};

struct TTreeListRowHeights {
    int Band = 0;
    int Header = 0;
    int Node = 0;
    int GroupNode = 0;
    int Footer = 0;
    int RowFooter = 0;
    int PreviewLine = 0;
};

// Heights of wrapped texts, measured once per build for each font, width
// and text: a value repeated on many rows is laid out once.
class TTextHeightCache {
public:
    int Height(const TFont& Font, int FontKey, int Width, const std::string& Text, unsigned Format);
    std::size_t Count() const { return m_count; }

private:
    std::unordered_map<std::uint64_t, std::unordered_map<std::string, int>> m_heights;
    std::size_t m_count = 0;
};

// Which nodes a report prints (the link's node options).
struct TTreeListNodeChoice {
    bool OnlySelected = false;
    bool ExtendedSelect = true;
    bool AutoNodesExpand = false;
    int ExpandLevel = -1;
};

// The nodes to print in print order: one pass over the tree.
void ChooseTreeListNodes(TCustomdxTreeListControl& Control, TdxTreeListReportAccess& Access,
                         const TTreeListNodeChoice& Choice, std::vector<TdxTreeListNode*>& Nodes);

struct TTreeListReportBuild {
    TCustomdxTreeListControl* Control = nullptr;
    TdxTreeListReportAccess* Access = nullptr;
    TdxReportCells* Cells = nullptr;

    std::vector<int> ColumnList;                 // absolute indexes in print order
    std::vector<TTreeListColumnPlace> Layout;    // by absolute index
    std::vector<TdxTreeListNode*> Nodes;         // in print order
    TTreeListRowHeights Heights;
    std::vector<int> BandLeft;                   // by visible band
    std::vector<int> BandWidth;
    int ReportWidth = 0;
    int BandsHeight = 0;
    TdxTreeListPaintStyle PaintStyle = psStandard;
    int LevelIndent = 0;
    bool Grid = false;
    bool PreviewGrid = false;
    bool Sources = false;
    bool RowAutoHeight = false;
    bool Preview = false;
    bool ControlHasNodes = false;

    // Font pool indexes.
    int LinkFont = 0;
    int BandFont = 0;
    int HeaderFont = 0;
    int FooterFont = 0;
    int GroupNodeFont = 0;
    int PreviewFont = 0;
    int RowFooterFont = 0;
    int OddFont = 0;
    int EvenFont = 0;
    int LinkFontUnderlined = 0;
    int OddFontUnderlined = 0;
    int EvenFontUnderlined = 0;

    TTextHeightCache TextHeights;

    const TTreeListColumnPlace& Place(int Column) const { return Layout[static_cast<std::size_t>(Column)]; }
    bool IsGroupRow(TdxTreeListNode* Node) const { return Control->IsGroupRow(Node); }
};

} // namespace qel::detail
