#pragma once
// TCustomdxTreeListControl: the tree list with column and band objects. It
// answers the header queries of TCustomdxTreeList from one header map
// (visible band -> band row -> position -> column index), rebuilt when a
// column or band changes, and stores and restores its layout.
// TdxTreeList is the published control with text nodes.
#include "treelist/LayoutStorage.h"
#include "treelist/TreeList.h"
#include "treelist/TreeListColumn.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qel {

class TCustomdxTreeListControl : public TCustomdxTreeList {
    QEL_CLASS(TCustomdxTreeListControl)
public:
    explicit TCustomdxTreeListControl(TComponent* AOwner);
    ~TCustomdxTreeListControl() override;

    // ----- columns ---------------------------------------------------------------------------
    int GetColumnCount() const override { return static_cast<int>(m_columns.size()); }
    TdxTreeListColumn* GetColumnByIndex(int Index) const;   // nullptr out of range
    TdxTreeListColumn* Columns(int Index) const { return GetColumnByIndex(Index); }
    // The column whose component name equals Name (case-insensitive); nullptr when none.
    TdxTreeListColumn* ColumnByName(const std::string& Name) const;
    // Creates a column (owned by the control's owner, or the control) and attaches it.
    template <class C = TdxTreeListColumn>
    C* CreateColumnOf()
    {
        auto* c = new C(Owner() ? Owner() : this);
        c->SetTreeList(this);
        return c;
    }
    TdxTreeListColumn* CreateColumn() { return CreateColumnOf<TdxTreeListColumn>(); }
    void DestroyColumns();
    TdxTreeListColumn* GetColumnObject(int Column) const override { return GetColumnByIndex(Column); }
    // An update that may change the columns' arrangement as a whole; the
    // grid also holds its grouping until the end (one reload).
    virtual void BeginUpdateEx() { BeginUpdate(); }
    virtual void EndUpdateEx() { EndUpdate(); }
    // Restores every column's defaults (the data-bound control re-reads its fields here).
    virtual void RestoreColumnsDefaults();

    // A number that finds the column while it belongs to this control and
    // nothing once it is freed or detached (see NodeIdentity); 0 for a column
    // of another control.
    std::uint64_t ColumnIdentity(const TdxTreeListColumn* Column);
    TdxTreeListColumn* ColumnByIdentity(std::uint64_t Identity) const { return m_columnIdentities.Find(Identity); }

    TdxTreeListBands* Bands() { return &m_bands; }
    const TdxTreeListBands* Bands() const { return &m_bands; }

    // ----- header queries ------------------------------------------------------------------
    int GetBandCount() const override { return m_bands.Count(); }
    int GetVisibleBandCount() const override;
    void GetBandCaption(int VisibleBand, std::string& Text) const override;
    TAlignment GetBandAlignment(int VisibleBand) const override;
    int GetBandRowCount(int VisibleBand) const override;
    int GetBandRowColumnCount(int VisibleBand, int Row) const override;
    int GetHeaderColumnIndex(int VisibleBand, int Row, int Position) const override;
    bool IsColumnShown(int Column) const override;
    int GetVisibleColumnCount() const override;
    int GetVisibleColumn(int N) const override;
    // Position of a column in header order; -1 when not shown.
    int GetColumnVisibleIndex(int Column) const;
    int GetColumnWidth(int Column) const override;
    int GetColumnMinWidth(int Column) const override;
    void SetColumnWidth(int Column, int Width) override;
    int GetBandMinWidth(int VisibleBand) const override;
    void SetBandWidth(int VisibleBand, int Width) override;
    std::string GetColumnCaption(int Column) const override;
    TAlignment GetColumnAlignmentByIndex(int Column) const override;
    TAlignment GetColumnHeaderAlignment(int Column) const override;
    TdxTreeListColumnSort GetColumnSorted(int Column) const override;
    TColor GetColumnColor(int Column) const override;
    TFont* GetColumnFont(int Column) const override;
    bool IsColumnReadOnly(int Column) const override;
    bool CanColumnBeDragged(int Column) const override;
    bool CanBandBeDragged(int VisibleBand) const override;
    void MoveColumnTo(int Column, int VisibleBand, int Row, int Position) override;
    void MoveBandTo(int VisibleBand, int NewVisibleBand) override;
    void SetColumnVisible(int Column, bool Visible) override;
    void ToggleColumnSort(int Column, bool Multi) override;

    // ----- values --------------------------------------------------------------------------
    std::string GetCellText(TdxTreeListNode* Node, int Column) const override;
    // The display text of a cell after the control's text event.
    std::string DoColumnNodeText(TdxTreeListNode* Node, TdxTreeListColumn* Column) const;
    void ClearSorting() override;

    // ----- layout storage ---------------------------------------------------------------------
    void StoreLayout(TdxTreeListLayoutStorage& Storage);
    void RestoreLayout(TdxTreeListLayoutStorage& Storage);
    // Through the settings wrapper (INI file, in-memory INI file or settings-store key).
    void StoreLayout(TdxRegIniWrapper& Wrapper);
    void RestoreLayout(TdxRegIniWrapper& Wrapper);
    std::string LayoutName() const { return Name().empty() ? std::string("TreeList") : Name(); }

    // ----- called by columns and bands ----------------------------------------------------------
    void ColumnsChanged();
    void AddColumn(TdxTreeListColumn* Column);
    void RemoveColumn(TdxTreeListColumn* Column);
    void MoveColumnIndex(TdxTreeListColumn* Column, int NewIndex);

protected:
    // A column left the list from Index (the later ones moved down by one), or
    // one moved from one index to another: what a descendant keeps per column
    // index follows here. Column is half destroyed when it is being freed:
    // compare it, never use it.
    virtual void ColumnRemoved(TdxTreeListColumn* /*Column*/, int /*Index*/) {}
    virtual void ColumnMoved(int /*From*/, int /*To*/) {}
    // A column whose sort direction stays when the others' are reset (a
    // sort by one header, ClearSorting); the grid's group columns.
    virtual bool KeepsSortDirection(const TdxTreeListColumn* /*Column*/) const { return false; }
    // Per-column and per-control layout values; the grid adds its own.
    virtual void SaveColumnLayout(TdxTreeListLayoutStorage& Storage, const std::string& Section,
                                  TdxTreeListColumn* Column);
    virtual void LoadColumnLayout(TdxTreeListLayoutStorage& Storage, const std::string& Section,
                                  TdxTreeListColumn* Column);
    virtual void SaveControlLayout(TdxTreeListLayoutStorage& Storage, const std::string& Section);
    virtual void LoadControlLayout(TdxTreeListLayoutStorage& Storage, const std::string& Section);

private:
    struct THeaderMap {
        bool Valid = false;
        // [visible band][row] -> column indexes in position order
        std::vector<std::vector<std::vector<int>>> Rows;
        std::vector<int> Order;          // every shown column in header order
        std::vector<int> VisibleIndex;   // column -> position in Order, -1 when not shown
        std::vector<int> BandOf;         // column -> visible band, -1
    };
    const THeaderMap& Map() const;

    std::vector<TdxTreeListColumn*> m_columns;
    detail::TIdentityTable<TdxTreeListColumn> m_columnIdentities;
    TdxTreeListBands m_bands;
    mutable THeaderMap m_map;
    bool m_destroyingColumns{false};
};

class TdxTreeList : public TCustomdxTreeListControl {
    QEL_CLASS(TdxTreeList)
public:
    explicit TdxTreeList(TComponent* AOwner) : TCustomdxTreeListControl(AOwner) {}

protected:
    TdxTreeListNode* CreateNode() override;
};

} // namespace qel
