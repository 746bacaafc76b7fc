#pragma once
// The data-bound tree-list report links: TdxDBTreeListControlReportLink
// prints any data-bound tree list, TdxDBGridReportLink a grid (the
// application prints its grids through it). They build as the tree-list
// link does, know the data-bound column classes, print group rows with
// their group column's text, and keep the dataset still while they build:
//
//   hold the grid, disable the dataset's controls, remember the top row
//   and the current record, load all records when the grid holds only some
//
// Each of these steps records its own undo when it has done its work; the
// undos run last first when the build ends, each on its own, whether the
// build succeeded, failed, or its preparation stopped half-way. The grid's
// OptionsDB comes back exactly as it was, and only a bookmark still valid
// is gone back to.
//
//   TdxDBGridReportLink link(owner);
//   link.SetComponent(grid);
//   link.SetActive(true);
#include "printing/DBGridReportAccess.h"
#include "printing/TreeListReportLink.h"

#include <functional>
#include <optional>
#include <vector>

namespace qel {

class TdxDBTreeListControlReportLink : public TCustomdxTreeListReportLink {
    QEL_CLASS(TdxDBTreeListControlReportLink)
public:
    explicit TdxDBTreeListControlReportLink(TComponent* AOwner) : TCustomdxTreeListReportLink(AOwner) {}

    TCustomdxDBTreeListControl* DBTreeListControl() const;

    TdxReportCellDataClass GetDataItemClass(TdxTreeListColumn* Column, TdxTreeListNode* Node) override;
    TdxTreeListColumn* GetRealColumn(TdxTreeListColumn* Column, TdxTreeListNode* Node) override;
    bool IsGraphicColumn(TdxTreeListColumn* Column) const override;
    bool IsHyperLinkColumn(TdxTreeListColumn* Column) const override;

    // Loading every record for the build.
    virtual bool NeedsLoadAll() const { return false; }
    virtual bool CanLoadAll() const { return true; }
    virtual void BeginLoadAll() {}
    virtual void EndLoadAll() {}

protected:
    void FillDataItem(TAbstractdxReportCellData& Item, TdxTreeListColumn* Column, TdxTreeListNode* Node) override;
    void PrepareConstruct(TdxReportCells& Cells) override;
    void UnprepareConstruct() override;
    std::unique_ptr<TdxTreeListReportAccess> CreateAccess(TCustomdxTreeListControl* Control) override;
    int LeftOffset() const override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    // A preparation step's undo; it runs at the end of the build, with the
    // control's reader, or nullptr when the control went away meanwhile.
    using TUndo = std::function<void(TdxTreeListReportAccess*)>;
    void OnUnprepare(TUndo Undo);
    std::vector<TUndo> m_undo;
    // The dataset whose controls the build disabled: they come back even
    // when the control went away during the build (not when the dataset did).
    TDataSet* m_disabledDataSet{nullptr};
};

class TdxDBGridReportLink : public TdxDBTreeListControlReportLink {
    QEL_CLASS(TdxDBGridReportLink)
public:
    explicit TdxDBGridReportLink(TComponent* AOwner);

    TCustomdxDBGrid* Grid() const;
    void RestoreDefaults() override;

    // The grid holds only some records.
    bool NeedsLoadAll() const override;
    // False for a grid that navigates by a key it does not have: it would
    // load no rows, so the report shows the rows the grid holds.
    bool CanLoadAll() const override;
    // Remembers OptionsDB (and DefaultFields, which loading all records
    // turns off) and loads all records; EndLoadAll puts both back exactly.
    void BeginLoadAll() override;
    void EndLoadAll() override;
    // A grid has no levels to choose: its group rows are printed with their records.
    bool IsExpandLevelFixed() const override { return true; }

protected:
    TdxTreeListColumn* GetGroupColumn(TdxTreeListNode* Node) override;
    std::unique_ptr<TdxTreeListReportAccess> CreateAccess(TCustomdxTreeListControl* Control) override;

private:
    TdxDBGridReportAccess* GridAccess() const;
    struct TSavedLoading {
        TdxDBGridOptionsDB OptionsDB;
        bool DefaultFields;
    };
    std::optional<TSavedLoading> m_savedLoading;
};

// The grid link's Options: those of the tree-list link without the image options.
inline constexpr TdxTreeListPaintOptions dxDefaultDBGridPaintOptions = TdxTreeListPaintOptions::FromBits(24831);

// Registers TdxDBGridReportLink for TdxDBGrid with the link registry; the
// first call acts, later ones count.
void dxRegisterDBGridReportLink();
void dxUnregisterDBGridReportLink();

} // namespace qel
