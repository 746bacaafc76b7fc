#pragma once
// What the tree-list report links read of their control beyond its header
// layout: the rows (selection, texts, values, group and preview texts),
// identities that a printed report keeps instead of pointers, and, for a
// data-bound control, the steps that keep its dataset still while a report
// is built. A test fakes it; the data-bound controls answer it in
// DBGridReportAccess.h, the one place that reads their rows.
//
// Identities: the cells of a report record where they come from as numbers
// (TdxReportCellSource); drawing, maybe long after the build and after the
// control freed and rebuilt its nodes, asks for the object again and gets
// the live one or nullptr, never a freed one. The numbers of one build are
// kept aside until the build succeeds (CommitBuild), so a failed build
// leaves the shown report resolving as before.
#include "platform/core/Variant.h"
#include "platform/data/DataSetTypes.h"
#include "treelist/TreeListControl.h"

#include <cstdint>
#include <string>

namespace qel {

class TdxTreeListReportAccess {
public:
    explicit TdxTreeListReportAccess(TCustomdxTreeListControl* Control) : m_control(Control) {}
    virtual ~TdxTreeListReportAccess() = default;
    TdxTreeListReportAccess(const TdxTreeListReportAccess&) = delete;
    TdxTreeListReportAccess& operator=(const TdxTreeListReportAccess&) = delete;

    TCustomdxTreeListControl* Control() const { return m_control; }

    // ----- rows
    // The display text of a cell, after the control's text event.
    virtual std::string CellText(TdxTreeListNode* Node, TdxTreeListColumn* Column);
    // The value a typed column (check, image, graphic) reads.
    virtual Variant CellValue(TdxTreeListNode* Node, TdxTreeListColumn* Column);
    virtual std::string GroupRowText(TdxTreeListNode* Node);
    virtual std::string PreviewText(TdxTreeListNode* Node);
    // The rows the user selected: the control's selected nodes (a data-bound
    // control adds the records it keeps selected by bookmark).
    virtual int SelectedCount();
    virtual bool IsNodeSelected(TdxTreeListNode* Node);

    // ----- identities (never 0; 0 is "none")
    virtual void BeginBuild() {}
    virtual void CommitBuild() {}
    virtual std::uint64_t NodeIdentity(TdxTreeListNode* Node) { return m_control->NodeIdentity(Node); }
    virtual TdxTreeListNode* NodeByIdentity(std::uint64_t Identity) { return m_control->NodeByIdentity(Identity); }
    std::uint64_t ColumnIdentity(TdxTreeListColumn* Column) { return m_control->ColumnIdentity(Column); }
    TdxTreeListColumn* ColumnByIdentity(std::uint64_t Identity) const { return m_control->ColumnByIdentity(Identity); }
    std::uint64_t BandIdentity(TdxTreeListBand* Band) { return m_control->Bands()->BandIdentity(Band); }
    TdxTreeListBand* BandByIdentity(std::uint64_t Identity) const { return m_control->Bands()->BandByIdentity(Identity); }

    // ----- keeping a data-bound control still; a plain tree list has no dataset
    virtual bool HasDataSet() const { return false; }
    virtual bool Hold() const { return false; }
    virtual void SetHold(bool /*Value*/) {}
    virtual void DisableControls() {}
    virtual void EnableControls() {}
    // The current record's bookmark; empty when the dataset is inactive or empty.
    virtual TBookmark GetBookmark() const { return {}; }
    // Goes to a bookmark that is still valid; false (and no move) otherwise.
    virtual bool GotoBookmark(const TBookmark& /*Bookmark*/) { return false; }
    virtual int GetTopIndex() const { return m_control->GetTopIndex(); }
    virtual void SetTopIndex(int Index) { m_control->SetTopIndex(Index); }

private:
    TCustomdxTreeListControl* m_control;
};

} // namespace qel
