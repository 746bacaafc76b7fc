#pragma once
// What the export writers read of a grid. The tree-list part (nodes, bands,
// header layout, columns, row footers, fonts and colours) comes from the
// control; the data-bound part (group columns, fields, summaries, holding
// modes, the dataset walk) is virtual, answered by the data-bound grid.
// Column arguments are grid column indexes.
#include "dbgrid/DBTreeListColumn.h"
#include "platform/core/Variant.h"
#include "platform/data/DataSetTypes.h"
#include "treelist/TreeListControl.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qel {


// One position of the header layout: the column shown there.
struct TdxExportHeaderCell {
    int Column = -1;
    int Band = 0;       // visible band
    int BandRow = 0;
    int Position = 0;
};

class TdxExportGridAccess {
public:
    explicit TdxExportGridAccess(TCustomdxTreeListControl* Control) : m_control(Control) {}
    virtual ~TdxExportGridAccess() = default;

    TCustomdxTreeListControl* Control() const { return m_control; }

    // Without a data source and dataset the export writes an empty file.
    virtual bool HasDataSet() const { return m_control != nullptr; }
    virtual int GroupColumnCount() const { return 0; }
    virtual int GroupColumn(int /*Level*/) const { return -1; }
    // A tree list has no colour of its own for row footer texts: its font's.
    virtual TColor RowFooterTextColor() const { return m_control->Font()->Color(); }

    // Every shown column in header order (visible bands only), with its place.
    std::vector<TdxExportHeaderCell> HeaderCells() const;
    // Total of the column counts of the rows of a visible band.
    int BandColumnCount(int VisibleBand) const;
    std::string ColumnXmlBaseName(int Column) const;   // Name, or "Column" + index

    // ----- fields ------------------------------------------------------------------------
    // The column has a field name and a bound field.
    virtual bool HasField(int /*Column*/) const { return true; }
    virtual TFieldType FieldType(int /*Column*/) const { return ftString; }
    virtual std::string FieldName(int /*Column*/) const { return {}; }
    // The field of a dataset record has a text handler (its display text is then used).
    virtual bool FieldHasGetText(int /*Column*/) const { return false; }
    // The text of a node's cell as Node->GetString gives it, in Scratch or
    // where the grid holds it: valid until the next read of the grid.
    virtual std::string_view NodeText(TdxTreeListNode* Node, int Column, std::string& Scratch) const
    {
        Scratch = Node->GetString(Column);
        return Scratch;
    }
    // Value and display text of the dataset's current record (rows of a dataset walk).
    virtual Variant RecordValue(int /*Column*/) const { return Variant(); }
    virtual std::string RecordDisplayText(int /*Column*/) const { return {}; }

    // ----- summaries ---------------------------------------------------------------------
    virtual TdxSummaryType SummaryFooterType(int /*Column*/) const { return cstNone; }
    virtual std::string SummaryFooterField(int /*Column*/) const { return {}; }
    virtual std::string SummaryFooterText(int Column) const;
    // The value the grid's footer shows for the column; false when it shows none.
    virtual bool SummaryFooterValue(int /*Column*/, Variant& /*Value*/) const { return false; }

    // ----- holding modes and the dataset walk ------------------------------------------------
    virtual bool IsBufferMode() const { return false; }
    virtual bool IsPartialLoadMode() const { return false; }
    // Number of records of the dataset (to size the worksheet before writing).
    virtual int DataSetRecordCount() const { return 0; }
    // The clean-up of a dataset walk: when it ends, the walk goes back to the
    // remembered record and top row and enables the controls (never throwing).
    class TWalk {
    public:
        virtual ~TWalk() = default;
    };
    // Remembers the position and disables controls; the answer owns the
    // clean-up. A failure on the way puts back what was changed before it raises.
    virtual std::unique_ptr<TWalk> BeginWalk() { return std::make_unique<TWalk>(); }
    virtual void First() {}
    virtual bool Eof() const { return true; }
    virtual void Next() {}
    // Whether any row is selected, by its node or by its record.
    virtual bool HasSelectedRows() const { return m_control && m_control->GetSelectedCount() > 0; }
    // Takes the selected records a walk visits and answers their number;
    // GotoSelected moves to one of them.
    virtual int TakeSelectedRecords() { return 0; }
    virtual void GotoSelected(int /*Index*/) {}
    // Whether a node's row is selected (the node's own mark, or for a record
    // row its record's bookmark).
    virtual bool IsNodeSelected(const TdxTreeListNode* Node) const { return Node->Selected(); }
    // After the last row: raises when the grid changed while it was read, so
    // that what was written is not kept.
    virtual void CheckUnchanged() const {}

private:
    TCustomdxTreeListControl* m_control;
};

} // namespace qel
