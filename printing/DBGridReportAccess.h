#pragma once
// What the data-bound report links read of a data-bound tree list and of
// the grid: the selection by nodes and by bookmarks, identities of rows
// that survive the grid's reloads (a record row is found again by its key
// or bookmark, a group row by its level and group values), and the steps
// that keep the dataset still while a report is built. This is the one
// file that reads the rows of a grid for printing.
#include "dbgrid/DBGrid.h"
#include "printing/TreeListReportAccess.h"

#include <unordered_map>
#include <vector>

namespace qel {

class TdxDBTreeListReportAccess : public TdxTreeListReportAccess {
public:
    explicit TdxDBTreeListReportAccess(TCustomdxDBTreeListControl* Control);

    TCustomdxDBTreeListControl* DBControl() const { return m_dbControl; }
    TDataSet* DataSet() const { return m_dbControl->DataSet(); }

    int SelectedCount() override;
    bool IsNodeSelected(TdxTreeListNode* Node) override;

    void BeginBuild() override;
    void CommitBuild() override;
    std::uint64_t NodeIdentity(TdxTreeListNode* Node) override;
    TdxTreeListNode* NodeByIdentity(std::uint64_t Identity) override;

    bool HasDataSet() const override { return DataSet() != nullptr; }
    bool Hold() const override { return m_dbControl->Hold(); }
    void SetHold(bool Value) override { m_dbControl->SetHold(Value); }
    void DisableControls() override;
    void EnableControls() override;
    TBookmark GetBookmark() const override;
    bool GotoBookmark(const TBookmark& Bookmark) override;

protected:
    // What a printed row stands for.
    struct TRowEntry {
        std::uint64_t Node = 0;          // the tree list's identity of the node printed
        Variant Key = Variant::Null();   // a record row's key
        TBookmark Bookmark;              // a record row without a key
        bool Group = false;
        std::vector<Variant> GroupValues;   // a group row's values, level 0 first
    };
    virtual void DescribeRow(TdxTreeListNode* Node, TRowEntry& Entry);
    // The node that stands for the row now (the printed node may be gone
    // after a reload); nullptr when none does.
    virtual TdxTreeListNode* FindRow(const TRowEntry& Entry);
    // Whether a live node still shows the row it was printed for.
    bool ShowsRow(TdxTreeListNode* Node, const TRowEntry& Entry) const;
    TdxTreeListNode* FindByBookmark(const TBookmark& Bookmark);

private:
    TCustomdxDBTreeListControl* m_dbControl;
    std::vector<TRowEntry> m_building;
    std::vector<TRowEntry> m_current;
    TdxTreeListNode* m_lastNode{nullptr};
    std::uint64_t m_lastIdentity{0};
    // Bookmark -> node, made on first need and again after the tree lost nodes.
    std::unordered_map<TBookmark, TdxTreeListNode*> m_byBookmark;
    std::uint64_t m_byBookmarkStamp{~std::uint64_t{0}};
};

class TdxDBGridReportAccess : public TdxDBTreeListReportAccess {
public:
    explicit TdxDBGridReportAccess(TCustomdxDBGrid* Grid);
    TCustomdxDBGrid* Grid() const { return m_grid; }

    virtual TdxDBGridOptionsDB OptionsDB() const { return m_grid->OptionsDB(); }
    virtual void SetOptionsDB(TdxDBGridOptionsDB Value) { m_grid->SetOptionsDB(Value); }
    bool DefaultFields() const { return m_grid->DefaultFields(); }
    void SetDefaultFields(bool Value) { m_grid->SetDefaultFields(Value); }
    // A grid that navigates by key and has none loads no rows when it holds all records.
    bool CanLoadAllRecords() const;
    // The column whose values form a group row's level.
    TdxDBTreeListColumn* GroupColumn(TdxTreeListNode* Node) const;
    // A record row not yet read is printed from its record and stays unread.
    std::string CellText(TdxTreeListNode* Node, TdxTreeListColumn* Column) override;
    Variant CellValue(TdxTreeListNode* Node, TdxTreeListColumn* Column) override;

protected:
    void DescribeRow(TdxTreeListNode* Node, TRowEntry& Entry) override;
    TdxTreeListNode* FindRow(const TRowEntry& Entry) override;

private:
    TCustomdxDBGrid* m_grid;
};

} // namespace qel
