#pragma once
// TCustomdxTreeList: the tree list control. It keeps the nodes, the display
// order, focus and selection, lays out bands, headers, rows and footer,
// paints them through TCanvas, scrolls, handles keys and the mouse, and
// hosts an in-place editor (it is the editors' container). It knows columns and bands only through the
// virtual header queries, which TCustomdxTreeListControl answers from its
// columns and bands.
//
//   TdxTreeList tree(form);
//   tree.CreateColumn()->SetCaption("Name");
//   auto* root = tree.Add();
//   root->SetString(0, "Folder");
//   root->AddChild()->SetString(0, "File");
//   root->SetExpanded(true);
//   tree.GetAbsoluteNode(1);         // the child, in display order
//
// Display order: roots and, below each expanded node, its children. It is
// held as a flat list rebuilt on the first query after a node was expanded,
// collapsed, added, moved or deleted, so GetAbsoluteIndex, GetAbsoluteNode,
// GetNextVisibleNode and SetTopIndex are O(1) between changes.
//
// Update lock: BeginUpdate nests; the first begin ends cell editing; the
// outermost EndUpdate runs the layout step (LayoutChanged) and closes the
// selection lock (a selection change made inside reaches
// DoSelectionChanged once, at the end).
#include "editors/Container.h"
#include "platform/controls/Controls.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/OverlayWindow.h"
#include "platform/core/Guards.h"
#include "platform/core/Variant.h"
#include "treelist/InplaceEditorHost.h"
#include "treelist/TreeListNode.h"
#include "treelist/TreeListTypes.h"
#include "treelist/detail/IdentityTable.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qel {

class TImageList;
class TGraphic;
class TdxTreeListCustomizeForm;
class TdxTreeListColumn;

// What a subclass shows over an area of its own during a header drag.
struct TdxHeaderDropPlace {
    TRect Arrows;                 // the insertion arrows, client coordinates; empty for none
    TCursor Cursor = crDefault;   // the pointer over the area (crNoDrop where the drop is refused)
};

using TdxTreeListNodeEvent = std::function<void(TObject* Sender, TdxTreeListNode* Node)>;
using TdxTreeListExpandingEvent = std::function<void(TObject* Sender, TdxTreeListNode* Node, bool& Allow)>;
using TdxTreeListChangeNodeEvent =
    std::function<void(TObject* Sender, TdxTreeListNode* OldNode, TdxTreeListNode* Node)>;
using TdxTreeListLevelColorEvent = std::function<void(TObject* Sender, int Level, TColor& Color)>;
using TdxTreeListPreviewTextEvent =
    std::function<void(TObject* Sender, TdxTreeListNode* Node, std::string& Text)>;
using TdxTreeListPreviewLineCountEvent =
    std::function<void(TObject* Sender, TdxTreeListNode* Node, int& LineCount)>;
using TdxTreeListFooterTextEvent = std::function<void(TObject* Sender, TdxTreeListNode* Node, int Column,
                                                      int FooterIndex, std::string& Text)>;
using TdxTreeListExistFooterCellEvent = std::function<void(TObject* Sender, int Column, bool& Exist)>;
using TdxTreeListExistRowFooterCellEvent = std::function<void(TObject* Sender, TdxTreeListNode* Node,
                                                              int Column, int FooterIndex, bool& Exist)>;
using TdxTreeListIsLevelFooterEvent = std::function<void(TObject* Sender, int Level, bool& IsFooter)>;
// Custom drawing: Done = true skips the control's own drawing.
using TdxTreeListDrawCellEvent = std::function<void(TObject* Sender, TCanvas* Canvas, const TRect& Rect,
                                                    TdxTreeListNode* Node, int Column, bool Selected,
                                                    bool Focused, bool& Done)>;
using TdxTreeListDrawBandEvent =
    std::function<void(TObject* Sender, TCanvas* Canvas, const TRect& Rect, int Band, bool& Done)>;
using TdxTreeListDrawHeaderEvent =
    std::function<void(TObject* Sender, TCanvas* Canvas, const TRect& Rect, int Column, bool& Done)>;
using TdxTreeListDrawFooterEvent =
    std::function<void(TObject* Sender, TCanvas* Canvas, const TRect& Rect, int Column, bool& Done)>;
using TdxTreeListDrawFooterNodeEvent = std::function<void(TObject* Sender, TCanvas* Canvas, const TRect& Rect,
                                                          TdxTreeListNode* Node, int Column, int FooterIndex,
                                                          bool& Done)>;
using TdxTreeListDrawPreviewEvent = std::function<void(TObject* Sender, TCanvas* Canvas, const TRect& Rect,
                                                       TdxTreeListNode* Node, bool Selected, bool& Done)>;
using TdxTreeListColumnEvent = std::function<void(TObject* Sender, int Column)>;
using TdxTreeListCanEditEvent = std::function<void(TObject* Sender, TdxTreeListNode* Node, int Column, bool& Allow)>;

class TCustomdxTreeList : public TCustomdxContainer {
    QEL_CLASS(TCustomdxTreeList)
public:
    // The narrowest indicator column.
    static constexpr int MinIndicatorWidth = 12;

    explicit TCustomdxTreeList(TComponent* AOwner);
    ~TCustomdxTreeList() override;

    // ----- update lock --------------------------------------------------------------
    virtual void BeginUpdate();
    virtual void EndUpdate();
    bool IsUpdating() const { return m_lockUpdate > 0; }
    int LockUpdate() const { return m_lockUpdate; }
    // The layout step: remeasures and relayouts; skipped while locked.
    virtual void LayoutChanged();

    // ----- nodes ----------------------------------------------------------------------
    TdxTreeListNode* Add();
    TdxTreeListNode* Insert(TdxTreeListNode* Before);
    void ClearNodes();
    int GetCount() const;
    int Count() const { return GetCount(); }
    TdxTreeListNode* GetItem(int Index) const;
    TdxTreeListNode* Items(int Index) const { return GetItem(Index); }
    // Every node of the tree, expanded or not (walks the tree).
    int GetNodeCount() const;
    TdxTreeListNode* TopLevelNode(int Index) const { return GetItem(Index); }

    int GetAbsoluteCount() const;
    int GetAbsoluteIndex(const TdxTreeListNode* Node) const;
    TdxTreeListNode* GetAbsoluteNode(int Index) const;
    TdxTreeListNode* GetNextVisibleNode(const TdxTreeListNode* Node) const;
    TdxTreeListNode* GetPrevVisibleNode(const TdxTreeListNode* Node) const;
    void FullExpand();
    void FullCollapse();

    // A number that stands for the node while it lives: NodeByIdentity
    // answers the node until it is destroyed and nullptr from then on
    // (also when a later node takes its address). Numbers are not reused.
    // Whoever keeps nodes past a reload (a printed report) keeps these.
    std::uint64_t NodeIdentity(const TdxTreeListNode* Node);
    TdxTreeListNode* NodeByIdentity(std::uint64_t Identity) const { return m_nodeIdentities.Find(Identity); }
    // Counts the nodes, columns and bands taken away (deleted or detached):
    // a walk that holds pointers to them, and runs handlers on the way,
    // stops when it changes.
    std::uint64_t RemovalStamp() const { return m_removalStamp; }
    void NoteRemoval() { ++m_removalStamp; }

    // ----- focus ------------------------------------------------------------------------
    TdxTreeListNode* GetFocusedNode() const { return m_focused; }
    TdxTreeListNode* FocusedNode() const { return m_focused; }
    void SetFocusedNode(TdxTreeListNode* Node);
    int GetFocusedAbsoluteIndex() const { return GetAbsoluteIndex(m_focused); }
    void SetFocusedAbsoluteIndex(int Index) { SetFocusedNode(GetAbsoluteNode(Index)); }
    int GetFocusedColumn() const { return m_focusedColumn; }
    int FocusedColumn() const { return m_focusedColumn; }
    virtual void SetFocusedColumn(int Column);

    // ----- header queries (virtual; answered by the control with columns) ---------------
    // Bands by absolute index; the layout queries below take the visible band index.
    virtual int GetBandCount() const { return 0; }
    virtual int GetVisibleBandCount() const { return 0; }
    virtual void GetBandCaption(int /*VisibleBand*/, std::string& Text) const { Text.clear(); }
    virtual TAlignment GetBandAlignment(int /*VisibleBand*/) const { return taCenter; }
    virtual int GetBandRowCount(int /*VisibleBand*/) const { return 0; }
    virtual int GetBandRowColumnCount(int /*VisibleBand*/, int /*Row*/) const { return 0; }
    virtual int GetHeaderColumnIndex(int /*VisibleBand*/, int /*Row*/, int /*Position*/) const { return -1; }
    virtual int GetColumnCount() const { return 0; }
    virtual bool IsColumnShown(int /*Column*/) const { return false; }
    virtual int GetVisibleColumnCount() const { return 0; }
    // The column index of the n-th visible header cell in header order; -1 when none.
    virtual int GetVisibleColumn(int /*N*/) const { return -1; }
    virtual int GetColumnWidth(int /*Column*/) const { return 0; }
    virtual int GetColumnMinWidth(int /*Column*/) const { return 4; }
    virtual void SetColumnWidth(int /*Column*/, int /*Width*/) {}
    virtual int GetBandMinWidth(int /*VisibleBand*/) const { return 20; }
    // The band's own width setting; 0 when it takes the width of its widest row.
    virtual int GetBandSettingWidth(int /*VisibleBand*/) const { return 0; }
    virtual void SetBandWidth(int /*VisibleBand*/, int /*Width*/) {}
    virtual std::string GetColumnCaption(int /*Column*/) const { return {}; }
    virtual TAlignment GetColumnAlignmentByIndex(int /*Column*/) const { return taLeftJustify; }
    virtual TAlignment GetColumnHeaderAlignment(int /*Column*/) const { return taLeftJustify; }
    virtual TdxTreeListColumnSort GetColumnSorted(int /*Column*/) const { return csNone; }
    virtual TColor GetColumnColor(int /*Column*/) const { return clNone; }
    virtual TFont* GetColumnFont(int /*Column*/) const { return Font(); }
    virtual bool IsColumnReadOnly(int /*Column*/) const { return false; }
    virtual bool CanColumnBeDragged(int /*Column*/) const { return true; }
    virtual bool CanBandBeDragged(int /*VisibleBand*/) const { return true; }
    // Moves a column to a header place (the header drag's drop).
    virtual void MoveColumnTo(int /*Column*/, int /*VisibleBand*/, int /*Row*/, int /*Position*/) {}
    // Moves a visible band to another place among the visible bands.
    virtual void MoveBandTo(int /*VisibleBand*/, int /*NewVisibleBand*/) {}
    virtual void SetColumnVisible(int /*Column*/, bool /*Visible*/) {}
    virtual void ToggleColumnSort(int /*Column*/, bool /*Multi*/) {}
    virtual TdxTreeListColumn* GetColumnObject(int /*Column*/) const { return nullptr; }

    // ----- layout -----------------------------------------------------------------------
    // The line count of a band row (the last row takes the lines left over).
    int CalcHeaderCells(int VisibleBand, int Row) const;
    // Width in pixels of a visible band after layout.
    int GetBandWidth(int VisibleBand) const;
    // Left edge of a visible band, before horizontal scrolling, without the indicator.
    int GetBandLeft(int VisibleBand) const;
    int GetColumnDisplayWidth(int Column) const;
    // Left edge of a column inside its band, and its band row.
    bool GetColumnPlace(int Column, int& VisibleBand, int& Row, int& Position) const;
    int GetNodeHeight() const;                 // lines of a node row
    int GetBandRowHeight() const;
    int GetHeaderRowHeight() const;            // one header line
    int GetRowLineHeight() const;              // one line of a node row
    int GetNodeRowHeight() const { return GetRowLineHeight() * GetNodeHeight(); }
    int GetPreviewLineHeight() const;
    int GetFooterRowHeight() const;
    int GetIndentWidth() const { return m_indentDesc; }
    int GetIndicatorWidth() const { return m_showIndicator ? m_indicatorWidth : 0; }
    // Full height of a node's row: cells, preview and row footers.
    int GetRowHeight(TdxTreeListNode* Node) const;
    int GetPreviewHeight(TdxTreeListNode* Node) const;
    int GetPreviewLineCount(TdxTreeListNode* Node) const;
    int GetReportWidth() const;                // sum of the visible bands
    TdxTreeListRectInfo CalcRectInfo() const;
    int GetVisibleRowCount() const;            // rows from the top index that are on screen
    TRect GetNodeRect(TdxTreeListNode* Node) const;
    TRect GetCellRect(TdxTreeListNode* Node, int Column) const;
    TRect GetHeaderRect(int Column) const;
    TRect GetBandRect(int VisibleBand) const;
    int GetTopIndex() const;
    void SetTopIndex(int Index);
    TdxTreeListNode* TopNode() const { return GetAbsoluteNode(GetTopIndex()); }
    void ResetTopNode();
    // Scrolls as little as needed so the node's row is whole on screen.
    void MakeNodeVisible(TdxTreeListNode* Node);
    int LeftCoord() const { return m_leftCoord; }
    void SetLeftCoord(int Value);

    // ----- hit testing ------------------------------------------------------------------
    struct THitInfo {
        TdxTreeListHitTest Kind = htNowhere;
        TdxTreeListNode* Node = nullptr;
        int Column = -1;
        int Band = -1;          // visible band
        int Row = -1;           // header row or row-footer index
    };
    THitInfo GetHitInfo(int X, int Y) const;
    TdxTreeListHitTest GetHitTestAt(int X, int Y) const { return GetHitInfo(X, Y).Kind; }
    TdxTreeListNode* GetNodeAt(int X, int Y) const;
    int GetColumnAt(int X, int Y) const;

    // ----- editing -------------------------------------------------------------------------
    bool IsEditing() const { return m_editing; }
    // The editor of the focused cell while editing.
    TdxTreeListInplaceEditor* Editor() const { return m_editor.get(); }
    virtual bool CanShowEditor() const;
    virtual void ShowEditor();
    virtual void HideEditor();
    virtual void CloseEditor();
    virtual void ShowEditorAfterFocusChange();
    // The editor's value reaches the focused cell.
    virtual void WriteEditorValue(const Variant& Value);
    bool IsColumnEditable(int Column) const;

    // ----- selection -----------------------------------------------------------------------
    virtual void BeginSelection();
    virtual void EndSelection();
    virtual int GetSelectedCount() const { return static_cast<int>(m_selection.size()); }
    virtual TdxTreeListNode* GetSelectedItem(int Index) const;
    int SelectedCount() const { return GetSelectedCount(); }
    virtual void ClearSelection();
    virtual void SelectNode(TdxTreeListNode* Node, bool Select);
    // Selects every node between the two (inclusive) in display order.
    virtual void SelectRange(TdxTreeListNode* From, TdxTreeListNode* To);
    void SelectAll();
    virtual int CompareIndexes(const TdxTreeListNode* A, const TdxTreeListNode* B) const;
    void ClearSelectionAnchor();
    TdxTreeListNode* SelectionAnchor() const { return m_anchor; }
    bool IsMultiSelect() const { return m_options.Contains(aoMultiSelect); }
    void InvalidatePendingFocusRow();
    bool IsInvertSelect() const;

    // ----- sorting ---------------------------------------------------------------------------
    // Sorted columns in order of precedence.
    const std::vector<int>& SortedColumns() const { return m_sortedColumns; }
    virtual void ClearSorting();
    void AddSortedColumn(int Column);
    void RemoveSortedColumn(int Column);
    virtual void SortNodes();
    // Whether SortNodes has an order to apply (a descendant may order rows without sorted columns).
    virtual bool HasNodeOrder() const { return !m_sortedColumns.empty(); }
    // Node order under the sorted columns; 0 when none decides.
    virtual int CompareNodes(TdxTreeListNode* A, TdxTreeListNode* B) const;
    // Whether CompareNodes orders these siblings by their values of the
    // sorted columns alone (as the tree list's own CompareNodes does). Then a
    // sort reads each node's values once instead of at every comparison. A
    // descendant that overrides CompareNodes answers true only for siblings
    // its override hands to the tree list's.
    virtual bool ComparesByValues(const std::vector<TdxTreeListNode*>& /*Siblings*/) const { return false; }

    // ----- incremental search ---------------------------------------------------------------
    void StartSearch(int Column);
    void EndSearch();
    bool IsSearching() const { return m_searchColumn >= 0; }
    const std::string& SearchText() const { return m_searchText; }
    int SearchColumn() const { return m_searchColumn; }
    // Appends text to the search; focuses the first match from the focused node on.
    bool SearchAppend(const std::string& Text);
    bool SearchNext(bool Forward);

    // ----- values -------------------------------------------------------------------------------
    virtual Variant GetNodeValue(const TdxTreeListNode* Node, int Column) const;
    virtual void SetNodeValue(TdxTreeListNode* Node, int Column, const Variant& Value);
    virtual std::string GetNodeString(const TdxTreeListNode* Node, int Column) const;
    virtual void SetNodeString(TdxTreeListNode* Node, int Column, const std::string& Value);
    // The display text of a cell after the control's text event.
    virtual std::string GetCellText(TdxTreeListNode* Node, int Column) const;

    // ----- row footers and footer -------------------------------------------------------
    int GetRowFooterCount(TdxTreeListNode* Node) const;
    int GetRowFooterLevel(TdxTreeListNode* Node, int FooterIndex) const;
    virtual TAlignment GetRowFooterCellAlignment(TdxTreeListNode* Node, int Column, int FooterIndex) const;
    virtual void GetRowFooterCellText(TdxTreeListNode* Node, int Column, int FooterIndex, std::string& Text) const;
    virtual bool IsRowFooterCellAssigned(TdxTreeListNode* Node, int Column, int FooterIndex) const;
    virtual bool IsExistRowFooterCell(TdxTreeListNode* Node, int Column, int FooterIndex) const;
    virtual bool IsExistFooterCell(int Column) const;
    virtual std::string GetFooterCellText(int Column) const;
    // Whether a level closes with a footer row.
    virtual bool IsLevelFooter(int Level) const;

    // ----- queries the grid overrides ------------------------------------------------------
    virtual bool IsGroupRow(const TdxTreeListNode* /*Node*/) const { return false; }
    virtual std::string GetGroupRowText(TdxTreeListNode* Node) const;
    virtual void GetLevelColor(int Level, TColor& Color) const;
    virtual bool IsRowAutoHeight() const { return m_optionsEx.Contains(aoRowAutoHeight) && m_maxRowLineCount != 0; }
    virtual std::string GetPreviewText(TdxTreeListNode* Node) const;
    virtual bool IsNodeSelectable(TdxTreeListNode* /*Node*/) const { return true; }
    virtual int GetGroupPanelHeight() const { return 0; }
    virtual int GetStatusPanelHeight() const { return 0; }
    // The colour of a row (the grid-line colour is asked with Color()).
    virtual TColor GetRowColor(TColor Color) const;

    // ----- look ------------------------------------------------------------------------------
    TdxTreeListOptions Options() const { return m_options; }
    TdxTreeListOptions GetOptions() const { return m_options; }
    virtual void SetOptions(TdxTreeListOptions Value);
    TdxTreeListOptionsEx OptionsEx() const { return m_optionsEx; }
    TdxTreeListOptionsEx GetOptionsEx() const { return m_optionsEx; }
    virtual void SetOptionsEx(TdxTreeListOptionsEx Value);
    TdxTreeListPaintStyle PaintStyle() const { return m_paintStyle; }
    void SetPaintStyle(TdxTreeListPaintStyle Value);
    TdxLookAndFeel LookAndFeel() const { return m_lookAndFeel; }
    void SetLookAndFeel(TdxLookAndFeel Value);
    bool ShowBands() const { return m_showBands; }
    void SetShowBands(bool Value);
    bool ShowHeader() const { return m_showHeader; }
    void SetShowHeader(bool Value);
    bool ShowFooter() const { return m_showFooter; }
    void SetShowFooter(bool Value);
    bool ShowRowFooter() const { return m_showRowFooter; }
    void SetShowRowFooter(bool Value);
    bool ShowGrid() const { return m_showGrid; }
    void SetShowGrid(bool Value);
    bool ShowPreviewGrid() const { return m_showPreviewGrid; }
    void SetShowPreviewGrid(bool Value);
    bool ShowIndicator() const { return m_showIndicator; }
    void SetShowIndicator(bool Value);
    bool ShowLines() const { return m_showLines; }
    void SetShowLines(bool Value);
    bool ShowButtons() const { return m_showButtons; }
    void SetShowButtons(bool Value);
    bool ShowRoot() const { return m_showRoot; }
    void SetShowRoot(bool Value);
    bool HideSelection() const { return m_hideSelection; }
    void SetHideSelection(bool Value);
    bool HideFocusRect() const { return m_hideFocusRect; }
    void SetHideFocusRect(bool Value);
    int PreviewLines() const { return m_previewLines; }
    void SetPreviewLines(int Value);
    int IndentDesc() const { return m_indentDesc; }
    void SetIndentDesc(int Value);
    int HeaderPanelRowCount() const { return m_headerPanelRowCount; }
    void SetHeaderPanelRowCount(int Value);
    int DefaultRowHeight() const { return m_defaultRowHeight; }
    void SetDefaultRowHeight(int Value);
    int IndicatorWidth() const { return m_indicatorWidth; }
    void SetIndicatorWidth(int Value);
    int MaxRowLineCount() const { return m_maxRowLineCount; }
    void SetMaxRowLineCount(int Value) { m_maxRowLineCount = Value; LayoutChanged(); }
    int WaitForExpandNodeTime() const { return m_waitForExpandNodeTime; }
    void SetWaitForExpandNodeTime(int Value) { m_waitForExpandNodeTime = Value < 0 ? 0 : Value; }
    TImageList* Images() const { return m_images; }
    void SetImages(TImageList* Value);
    TImageList* StateImages() const { return m_stateImages; }
    void SetStateImages(TImageList* Value);
    TFont* BandFont() const { return m_bandFont.get(); }
    void SetBandFont(TFont* Value);
    TFont* HeaderFont() const { return m_headerFont.get(); }
    void SetHeaderFont(TFont* Value);
    TFont* PreviewFont() const { return m_previewFont.get(); }
    void SetPreviewFont(TFont* Value);
    // clNone: the look's default for that part.
    TColor BandColor() const { return m_bandColor; }
    void SetBandColor(TColor Value);
    TColor HeaderColor() const { return m_headerColor; }
    void SetHeaderColor(TColor Value);
    TColor GroupNodeColor() const { return m_groupNodeColor; }
    void SetGroupNodeColor(TColor Value);
    TColor GroupNodeTextColor() const { return m_groupNodeTextColor; }
    void SetGroupNodeTextColor(TColor Value);
    TColor RowFooterColor() const { return m_rowFooterColor; }
    void SetRowFooterColor(TColor Value);
    TColor GridLineColor() const { return m_gridLineColor; }
    void SetGridLineColor(TColor Value);
    TColor HighlightColor() const { return m_highlightColor; }
    void SetHighlightColor(TColor Value);
    TColor HighlightTextColor() const { return m_highlightTextColor; }
    void SetHighlightTextColor(TColor Value);
    TColor HideSelectionColor() const { return m_hideSelectionColor; }
    void SetHideSelectionColor(TColor Value) { m_hideSelectionColor = Value; Invalidate(); }
    TColor HideSelectionTextColor() const { return m_hideSelectionTextColor; }
    void SetHideSelectionTextColor(TColor Value) { m_hideSelectionTextColor = Value; Invalidate(); }

    // Resolved colours of the parts.
    TColor EffectiveBandColor() const { return m_bandColor == clNone ? clBtnFace : m_bandColor; }
    TColor EffectiveHeaderColor() const { return m_headerColor == clNone ? clBtnFace : m_headerColor; }
    TColor EffectiveRowColor() const { return Color() == clNone ? clWindow : Color(); }
    TColor EffectiveGroupNodeColor() const { return m_groupNodeColor == clNone ? clBtnFace : m_groupNodeColor; }
    TColor EffectiveRowFooterColor() const { return m_rowFooterColor == clNone ? clBtnFace : m_rowFooterColor; }
    TColor EffectiveGridLineColor() const;

    // ----- painting --------------------------------------------------------------------------
    // Paints the part of the client inside Clip on any canvas (the widget,
    // a bitmap, a recording canvas). Only rows that meet Clip are visited.
    void PaintTo(TCanvas& Canvas, const TRect& Clip);
    // Counts the rows the last PaintTo visited (for tests of the clip rule).
    int LastPaintedRowCount() const { return m_lastPaintedRows; }

    // ----- input (the grid's handlers call these last) ------------------------------------
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    void KeyPress(TKeyChar& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DblClick() override;
    // What a stored tree list holds: its own timers and cell editor are not part of it.
    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void DoExit() override;

    // ----- header drag and sizing -----------------------------------------------------------
    bool IsColumnDragging() const { return m_dragColumn >= 0 && m_dragStarted; }
    int DragColumn() const { return m_dragColumn; }
    // The pointer of the header drag, in client coordinates.
    TPoint DragPoint() const { return m_dragPoint; }
    // Where a drop at the current pointer would go.
    TdxHeaderDragTarget DragTarget() const { return m_dragTarget; }
    int DragTargetBand() const { return m_dragBand; }
    int DragTargetRow() const { return m_dragRow; }
    int DragTargetPosition() const { return m_dragPos; }
    // Starts a header drag of a column (the pointer pressed at X, Y).
    void BeginColumnDrag(int Column, int X, int Y);
    // Moves the drag to a client point and computes the drop target.
    void DragColumnTo(int X, int Y);
    // Ends a header drag: dropped on the customizing window (hidden), at
    // another header position (moved), or cancelled (Accept false).
    virtual void EndColumnDrag(bool Accept);
    // The arrows that mark the drop position, in client coordinates (empty when none).
    TRect DragArrowsRect() const;
    // The overlays that follow a header drag: the header's image and the drop
    // arrows (nullptr while no drag runs or the arrows have no place).
    TOverlayWindow* DragImageOverlay() const { return m_dragImage.get(); }
    TOverlayWindow* DragArrowsOverlay() const { return m_dragArrows.get(); }
    bool IsColumnSizing() const { return m_sizingColumn >= 0; }
    // The visible band whose header is being moved; -1 when none.
    int DraggedBand() const { return m_dragBandFrom; }

    // ----- customizing window (hidden columns) -----------------------------------------------
    void ColumnsCustomizing();
    void EndColumnsCustomizing();
    bool IsCustomizing() const { return m_customizing; }
    // The customizing window (while open) lists the hidden columns; a drop
    // on it hides the dragged column, a drag out of it shows one again.
    TdxTreeListCustomizeForm* CustomizeForm() const { return m_customizeForm; }
    // Its area in client coordinates (a drop there hides the column); a test
    // or a host without windows may set the area itself.
    TRect CustomizingRect() const;
    void SetCustomizingRect(const TRect& Value) { m_customizingRect = Value; }
    std::vector<int> HiddenColumns() const;
    // Shows a hidden column at a header place (a drag out of the customizing window).
    void ShowColumnAt(int Column, int VisibleBand, int Row, int Position);

    // ----- timers -----------------------------------------------------------------------------
    // The click timer: a click on the focused cell opens the editor when it
    // runs out without a double click. The expand timer: a node hovered
    // during a drag expands when it runs out.
    bool ClickTimerActive() const { return m_clickTimer && m_clickTimer->Enabled(); }
    bool ExpandTimerActive() const { return m_expandTimer && m_expandTimer->Enabled(); }
    void ClickTimerElapsed();
    void ExpandTimerElapsed();
    void StopTimers();
    // Hovering a node during a drag starts the expand timer for it.
    void DragOverNode(TdxTreeListNode* Node);

    // ----- events -------------------------------------------------------------------------------
    TdxTreeListExpandingEvent OnExpanding;
    TdxTreeListNodeEvent OnExpanded;
    TdxTreeListExpandingEvent OnCollapsing;
    TdxTreeListNodeEvent OnCollapsed;
    TdxTreeListNodeEvent OnDeletion;
    TdxTreeListChangeNodeEvent OnChangeNode;
    TdxTreeListColumnEvent OnChangeColumn;
    TNotifyEvent OnSelectionChanged;
    TdxTreeListLevelColorEvent OnGetLevelColor;
    TdxTreeListPreviewTextEvent OnGetPreviewText;
    TdxTreeListPreviewLineCountEvent OnGetPreviewLineCount;
    TdxTreeListFooterTextEvent OnGetFooterCellText;
    TdxTreeListExistFooterCellEvent OnIsExistFooterCell;
    TdxTreeListExistRowFooterCellEvent OnIsExistRowFooterCell;
    TdxTreeListIsLevelFooterEvent OnIsLevelFooter;
    TdxTreeListDrawCellEvent OnCustomDrawCell;
    TdxTreeListDrawBandEvent OnCustomDrawBand;
    TdxTreeListDrawHeaderEvent OnCustomDrawColumnHeader;
    TdxTreeListDrawFooterEvent OnCustomDrawFooter;
    TdxTreeListDrawFooterNodeEvent OnCustomDrawFooterNode;
    TdxTreeListDrawPreviewEvent OnCustomDrawPreviewCell;
    TdxTreeListColumnEvent OnColumnClick;
    TdxTreeListColumnEvent OnColumnMoved;
    TdxTreeListCanEditEvent OnEditing;
    TNotifyEvent OnEdited;

protected:
    // The class of new nodes (the grid answers its own node class).
    virtual TdxTreeListNode* CreateNode();
    // A node is about to change its expanded state; false refuses.
    virtual bool CanExpand(TdxTreeListNode* Node);
    virtual bool CanCollapse(TdxTreeListNode* Node);
    virtual void DoExpanded(TdxTreeListNode* Node);
    virtual void DoCollapsed(TdxTreeListNode* Node);
    virtual void DoDeletion(TdxTreeListNode* Node);
    // Focus moves; the grid moves its dataset here.
    virtual void ChangeFocus(TdxTreeListNode* Node);
    virtual void DoChangeNode(TdxTreeListNode* OldNode, TdxTreeListNode* Node);
    virtual void DoSelectionChanged();
    virtual void DoSelectionRepaint() { Invalidate(); }
    // A control that rebuilds its nodes puts the shift-selection anchor back.
    void SetSelectionAnchor(TdxTreeListNode* Node) { m_anchor = Node; }
    virtual void DoColumnClick(int Column);
    // The rows or the columns scrolled (top row or left edge moved).
    virtual void DoViewScrolled() {}
    // Whether a second click on the focused cell waits for the double-click
    // time (a double click) before it edits, rather than editing at once.
    virtual bool WaitsForDblClick() const { return true; }
    // After a click on a column's header: its sort turns round when
    // aoAutoSort is set; Shift adds it to the sort with aoMultiSort.
    virtual void HeaderClickSort(int Column, TShiftState Shift);
    virtual void DoBeginEditing() {}
    virtual void DoEndEditing() {}
    virtual int GetRowFooterCountOfNode(TdxTreeListNode* Node) const;
    // A header drag over a client point, asked before the tree list looks for
    // a header place (but after the customizing window, which always takes the
    // column). A subclass with a drop area of its own (the grid's group panel)
    // answers true for points in it and fills Place; the drag target becomes
    // hdtClaimed, the arrows and cursor follow Place, and the subclass handles
    // the drop in its EndColumnDrag (the tree list drops nothing there).
    virtual bool DoColumnDragOver(int /*Column*/, TPoint /*Point*/, TdxHeaderDropPlace& /*Place*/) { return false; }
    // The container side of the editors of editors/: their keys, exit and posts.
    void EditorKeyDown(TdxInplaceEdit* Editor, std::uint16_t& Key, TShiftState Shift) override;
    void EditorExit(TdxInplaceEdit* Editor) override;
    void EditorPostValue(TdxInplaceEdit* Editor, const Variant& Value) override;
    virtual void Paint() override;
    void DoScroll(TScrollBarKind Kind, TScrollCode Code, int Pos) override;
    void Resize() override;
    void FontChanged() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // A node went away (deleted, or detached when Deleted is false): clears
    // focus, selection, anchor and the display order.
    void NodeRemoved(TdxTreeListNode* Node, bool Deleted = true);
    // Gives Parent (the roots for nullptr) the children Children in that
    // order, in one pass however many change: its present children missing
    // from Children are detached as Detach leaves them and appended to
    // Removed (which takes them over before the control is told, so none is
    // lost if a handler raises); the others in Children must be detached.
    void ReplaceChildren(TdxTreeListNode* Parent, const std::vector<TdxTreeListNode*>& Children,
                         std::vector<std::unique_ptr<TdxTreeListNode>>& Removed);
    // Gives back the room Node's child list (the roots for nullptr) grew
    // beyond its size: for a bulk load, which adds children one at a time.
    void FitChildList(TdxTreeListNode* Node);
    void DisplayChanged();
    // Repaints a node's row; never forces the display order to be rebuilt.
    void InvalidateNode(TdxTreeListNode* Node);
    // Column widths, order or visibility changed: recomputes the header layout.
    void HeaderChanged();

    // Painting pieces.
    virtual void PaintBands(TCanvas& Canvas, const TdxTreeListRectInfo& Info, const TRect& Clip);
    virtual void PaintHeaders(TCanvas& Canvas, const TdxTreeListRectInfo& Info, const TRect& Clip);
    virtual void PaintRow(TCanvas& Canvas, TdxTreeListNode* Node, const TRect& RowRect);
    virtual void PaintFooter(TCanvas& Canvas, const TdxTreeListRectInfo& Info);
    virtual void PaintGroupPanel(TCanvas& /*Canvas*/, const TRect& /*Rect*/) {}
    virtual void PaintStatusPanel(TCanvas& /*Canvas*/, const TRect& /*Rect*/) {}
    void PaintHeaderButton(TCanvas& Canvas, const TRect& Rect, const std::string& Text, TAlignment Alignment,
                           TdxTreeListColumnSort Sorted, TColor Color, bool Pressed, const TGraphic* Glyph = nullptr);
    void PaintHeaderStrip(TCanvas& Canvas, const TRect& Area, int ClientLeft, TColor Color);
    void PaintIndent(TCanvas& Canvas, TdxTreeListNode* Node, const TRect& IndentRect);
    void PaintCell(TCanvas& Canvas, TdxTreeListNode* Node, int Column, const TRect& CellRect, bool Selected,
                   bool Focused);

private:
    friend class TdxTreeListNode;

    struct TCellPlace { int Column; int Band; int Row; TRect Rect; };
    // Horizontal layout of bands and columns (x from the left of band 0, unscrolled).
    struct THeaderLayout {
        bool Valid = false;
        std::vector<int> BandLeft, BandWidth;
        std::vector<int> ColLeft, ColWidth, ColBand, ColRow, ColPos;
        int TotalWidth = 0;
    };
    const THeaderLayout& HeaderLayout() const;
    // Client x of the left edge of band 0 (after the indicator and horizontal scrolling).
    int RowsOriginX() const;

    void EnsureDisplay() const;
    void RebuildDisplay() const;
    void CheckNodeOwner(const TdxTreeListNode* Node) const;
    bool SetNodeExpanded(TdxTreeListNode* Node, bool Value);
    void FocusNodeAndColumn(TdxTreeListNode* Node, int Column, TShiftState Shift, bool Mouse);
    void MoveFocus(int Delta, TShiftState Shift);
    // The steps of KeyDown. Search and editing answer true when the key is
    // settled (taken, or left to the editor); the others when they used it.
    struct TKeyPlace {
        bool Ctrl = false;
        int Page = 1;             // rows a page key moves
        int VisibleColumns = 0;
        int ColumnPos = -1;       // the focused column's visible position
    };
    TKeyPlace CurrentKeyPlace(TShiftState Shift) const;
    void FocusVisibleColumnAt(const TKeyPlace& Place, int N);
    bool SearchKeyDown(std::uint16_t& Key, const TKeyPlace& Place);
    bool EditingKeyDown(std::uint16_t& Key, const TKeyPlace& Place);
    bool MoveKeyDown(std::uint16_t Key, TShiftState Shift, const TKeyPlace& Place);
    bool TabKeyDown(std::uint16_t Key, TShiftState Shift, const TKeyPlace& Place);
    bool NodeKeyDown(std::uint16_t Key, const TKeyPlace& Place);
    // Hides and frees the editor without posting its value.
    void DiscardEditor();
    void SelectionChanged();
    void RemeasureIfNeeded() const;
    void UpdateScrollBars();
    int ClampTopIndex(int Index) const;
    int ClampLeftCoord(int Value) const;
    int RowsAreaHeight() const;
    // The rows of the header of a visible band, in client coordinates.
    void ForEachHeaderCell(const TdxTreeListRectInfo& Info,
                           const std::function<void(const TCellPlace&)>& Visit) const;
    void ForEachRowCell(const TRect& RowRect, const std::function<void(const TCellPlace&)>& Visit) const;
    // Where a row's parts lie (client coordinates), shared by the steps of PaintRow.
    struct TRowPlace {
        TRect Row{};
        int Left = 0;           // band 0's left edge
        int ReportRight = 0;    // right edge of the bands
        int IndentRight = 0;
        int CellsBottom = 0;    // the cells (or group text) end here; preview and footers follow
        bool Group = false;
        bool Focused = false;
    };
    void PaintRowIndicator(TCanvas& Canvas, const TRowPlace& Place);
    void PaintGroupRow(TCanvas& Canvas, TdxTreeListNode* Node, const TRowPlace& Place);
    // Paints the cells; answers where the focus rectangle goes (empty for none).
    TRect PaintRowCells(TCanvas& Canvas, TdxTreeListNode* Node, const TRowPlace& Place);
    void PaintPreview(TCanvas& Canvas, TdxTreeListNode* Node, const TRowPlace& Place);
    void PaintRowFooters(TCanvas& Canvas, TdxTreeListNode* Node, const TRowPlace& Place);
    void PaintRowFooterCell(TCanvas& Canvas, TdxTreeListNode* Node, int Column, int Footer, const TRect& CellRect);
    void ForEachBandCell(int Top, int LineHeight, const std::function<void(const TCellPlace&)>& Visit) const;
    int NodeIndentWidth(const TdxTreeListNode* Node) const;
    // The width of Levels indent steps, held at MaxCoord.
    int LevelsWidth(int Levels) const;
    // The steps of GetHitInfo, one for each area of the client.
    THitInfo HitBandPanel(int X) const;
    THitInfo HitHeaderPanel(const TdxTreeListRectInfo& Info, TPoint P) const;
    THitInfo HitFooterPanel(const TdxTreeListRectInfo& Info, int X) const;
    THitInfo HitRows(const TdxTreeListRectInfo& Info, TPoint P) const;
    void HitCellsLine(const TRect& Row, bool Group, TPoint P, THitInfo& Hit) const;
    // The row on screen under client Y and its rectangle; nullptr below the last.
    TdxTreeListNode* RowAt(const TdxTreeListRectInfo& Info, int Y, TRect& Row) const;
    int FindDropPlace(int X, int Y, int& Band, int& Row, int& Pos) const;
    void UpdateDragOverlays();
    // Shows a claimed area's cursor during a header drag; crDefault gives back the control's own.
    void ShowDragCursor(TCursor Value);
    void SortChildren(std::vector<TdxTreeListNode*>& List);
    // -1, 0, 1: two values of a sorted column in the sort direction Dir.
    int CompareSortValues(const Variant& A, const Variant& B, TdxTreeListColumnSort Dir) const;

    detail::TKeptIdentityTable<TdxTreeListNode> m_nodeIdentities;
    std::uint64_t m_removalStamp{0};
    std::unique_ptr<TdxTreeListNode> m_root;       // hidden; its children are the roots
    mutable std::vector<TdxTreeListNode*> m_display;
    mutable bool m_displayValid{true};
    TdxTreeListNode* m_focused{nullptr};
    int m_focusedColumn{-1};
    TdxTreeListNode* m_anchor{nullptr};
    std::vector<TdxTreeListNode*> m_selection;
    int m_selectionLock{0};
    bool m_selectionChanged{false};
    bool m_pendingFocusRepaint{false};
    int m_lockUpdate{0};
    bool m_clearing{false};
    int m_topIndex{0};
    int m_leftCoord{0};
    std::vector<int> m_sortedColumns;

    std::unique_ptr<TdxTreeListInplaceEditor> m_editor;
    bool m_editing{false};
    bool m_showEditorPending{false};

    int m_searchColumn{-1};
    std::string m_searchText;

    // Header drag and sizing.
    int m_dragColumn{-1};
    bool m_dragStarted{false};
    TPoint m_dragStart{};
    TPoint m_dragPoint{};
    TdxHeaderDragTarget m_dragTarget{hdtNone};
    int m_dragBand{-1}, m_dragRow{-1}, m_dragPos{-1};
    TdxHeaderDropPlace m_dragClaim{};   // what a subclass answered for hdtClaimed
    TCursor m_cursorBeforeDrag{crDefault};
    bool m_dragCursorShown{false};      // the claim's cursor replaces the control's own
    int m_sizingColumn{-1};
    int m_sizingBand{-1};
    int m_sizingStartX{0};
    int m_sizingStartWidth{0};
    int m_pressedColumn{-1};
    int m_dragBandFrom{-1};           // a band header pressed for moving
    TPoint m_bandPressPoint{};
    bool m_customizing{false};
    TRect m_customizingRect{};
    std::unique_ptr<TOverlayWindow> m_dragImage;
    std::unique_ptr<TOverlayWindow> m_dragArrows;
    TdxTreeListCustomizeForm* m_customizeForm{nullptr};   // owned as a component

    TTimer* m_clickTimer{nullptr};
    TTimer* m_expandTimer{nullptr};
    TdxTreeListNode* m_expandCandidate{nullptr};

    TdxTreeListOptions m_options{aoColumnSizing, aoColumnMoving, aoEditing, aoTabThrough, aoImmediateEditor};
    TdxTreeListOptionsEx m_optionsEx{aoUseBitmap, aoBandHeaderWidth, aoBandSizing, aoBandMoving,
                                     aoVertThrough, aoEnterShowEditor, aoDragScroll};
    TdxTreeListPaintStyle m_paintStyle{psStandard};
    TdxLookAndFeel m_lookAndFeel{lfStandard};
    bool m_showBands{false};
    bool m_showHeader{true};
    bool m_showFooter{false};
    bool m_showRowFooter{false};
    bool m_showGrid{true};
    bool m_showPreviewGrid{true};
    bool m_showIndicator{false};
    bool m_showLines{true};
    bool m_showButtons{true};
    bool m_showRoot{true};
    bool m_hideSelection{false};
    bool m_hideFocusRect{false};
    int m_previewLines{2};
    int m_indentDesc{20};
    int m_headerPanelRowCount{1};
    int m_defaultRowHeight{0};
    int m_indicatorWidth{MinIndicatorWidth};
    int m_maxRowLineCount{-1};
    int m_waitForExpandNodeTime{500};
    TImageList* m_images{nullptr};
    TImageList* m_stateImages{nullptr};
    std::unique_ptr<TFont> m_bandFont;
    std::unique_ptr<TFont> m_headerFont;
    std::unique_ptr<TFont> m_previewFont;
    TColor m_bandColor{clNone};
    TColor m_headerColor{clNone};
    TColor m_groupNodeColor{clNone};
    TColor m_groupNodeTextColor{clNone};
    TColor m_rowFooterColor{clNone};
    TColor m_gridLineColor{clNone};
    TColor m_highlightColor{clHighlight};
    TColor m_highlightTextColor{clHighlightText};
    TColor m_hideSelectionColor{clBtnFace};
    TColor m_hideSelectionTextColor{clBtnText};

    // Measured heights (font-dependent), refreshed by the layout step.
    mutable bool m_measured{false};
    mutable int m_textHeight{13};
    mutable int m_bandTextHeight{13};
    mutable int m_headerTextHeight{13};
    mutable int m_previewTextHeight{13};
    int m_lastPaintedRows{0};
    mutable THeaderLayout m_headerLayout;
    bool m_updatingScrollBars{false};
    bool m_scrollBarsDirty{false};
};

// Draws a header-style cell with its caption (the grid's group panel buttons use it).
void DrawHeaderButton(TCanvas& Canvas, const TRect& Rect, const std::string& Text, TAlignment Alignment,
                      TdxLookAndFeel LookAndFeel, TColor Color, bool Pressed);

} // namespace qel
