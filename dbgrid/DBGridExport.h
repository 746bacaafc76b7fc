#pragma once
// TdxDBGridExport: the common machinery of the grid's export writers. One
// fixed order of steps (BeginExport, WriteHeader, the rows, WriteFooter,
// EndExport), the choice of rows, and the file: written through a temporary
// beside the target, so a failing export leaves the previous file untouched.
//
//   TdxDBGridExportHTML exporter(&access, "grid.html", true);
//   exporter.SaveToFile();
#include "dbgrid/ExportGridAccess.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Stream.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

QEL_DECLARE_EXCEPTION(EdxExportError, Exception);

class TdxDBGridExport {
public:
    TdxDBGridExport(TdxExportGridAccess* Grid, std::string FileName, bool SaveAll);
    virtual ~TdxDBGridExport() = default;
    TdxDBGridExport(const TdxDBGridExport&) = delete;
    TdxDBGridExport& operator=(const TdxDBGridExport&) = delete;

    const std::string& FileName() const { return m_fileName; }
    TdxExportGridAccess* Grid() const { return m_grid; }
    bool SaveAll() const { return m_saveAll; }
    int RowIndex() const { return m_rowIndex; }

    virtual void SaveToFile();
    void SaveToStream(TStream& Stream);

    // The exported nodes in tree order: every node (ExportAll), or the
    // selected nodes with their group rows above them and their contents below.
    static std::vector<TdxTreeListNode*> ExportNodes(const TdxExportGridAccess& Grid, bool ExportAll);

protected:
    // Before anything is written: the nodes to export, or (a dataset walk)
    // the number of dataset records. May raise to refuse the export.
    virtual void PrepareRows(const std::vector<TdxTreeListNode*>& /*Nodes*/, int /*DataSetRows*/) {}
    virtual void BeginExport() {}
    virtual void EndExport() {}
    virtual void WriteHeader() {}
    virtual void WriteFooter() {}
    // One row: a grid node, or nullptr for the dataset's current record.
    virtual void WriteNode(TdxTreeListNode* /*Node*/) {}

    // Writes go out in large pieces: Write gathers the text in a block, and
    // a writer may append its rows to Block() itself, then call Appended.
    // Stream() writes what was gathered first, so the order holds.
    TStream& Stream() const
    {
        WriteBlock();
        return *m_stream;
    }
    void Write(std::string_view Text)
    {
        m_block.append(Text);
        Appended();
    }
    std::string& Block() { return m_block; }
    void Appended()
    {
        if (m_block.size() >= BlockSize)
            WriteBlock();
    }
    void AdvanceRow() { ++m_rowIndex; }
    bool ExportAll() const { return m_exportAll; }
    bool WalkDataset() const { return m_walkDataset; }
    int GroupCount() const { return m_grid->GroupColumnCount(); }
    TCustomdxTreeListControl* Control() const { return m_grid->Control(); }

    // The cell's value (node, dataset record, or Empty without a field).
    Variant CellValue(TdxTreeListNode* Node, int Column) const;
    // The text of a cell: the column's conversion of the value when it
    // converts (empty for Null), else the node's string or the field's
    // display text. In Scratch or where the grid holds it: valid until the next read.
    std::string_view CellText(TdxTreeListNode* Node, int Column, bool HTML, std::string& Scratch) const;
    // Whether the column turns a cell's value into its own text (GetValueText).
    bool ConvertsValues(int Column, bool HTML) const
    {
        // Asked for every cell: the answer known, it is read here without a call.
        const std::vector<std::int8_t>& known = m_converts[HTML ? 1 : 0];
        const auto i = static_cast<std::size_t>(Column);
        return i < known.size() && known[i] >= 0 ? known[i] != 0 : LearnConvertsValues(Column, HTML);
    }
    // Whether the column at Column is bound to a field, and its type; asked
    // once per column and export (a freed field or column fails the export at its end).
    bool CellField(int Column, TFieldType& Type) const
    {
        const auto i = static_cast<std::size_t>(Column);
        if (i < m_fields.size() && m_fields[i].Known) {
            Type = m_fields[i].Type;
            return m_fields[i].Bound;
        }
        return LearnCellField(Column, Type);
    }
    // The text of a group row: the node's string for the group column of its level.
    std::string GroupText(TdxTreeListNode* Node) const;

private:
    // A file stream writes a piece this large straight from the block, and
    // the page cache takes it in larger pages than a 64 KiB write gets: fewer
    // to take while writing and to free when the file is replaced.
    static constexpr std::size_t BlockSize = 256 * 1024;
    static_assert(BlockSize >= TFileStream::WriteBufferSize);
    void WriteBlock() const;
    bool LearnConvertsValues(int Column, bool HTML) const;
    bool LearnCellField(int Column, TFieldType& Type) const;

    TdxExportGridAccess* m_grid;
    std::string m_fileName;
    bool m_saveAll;
    bool m_exportAll{true};
    bool m_walkDataset{false};
    int m_rowIndex{0};
    TStream* m_stream{nullptr};
    mutable std::string m_block;   // written, not yet in the stream
    mutable std::vector<std::int8_t> m_converts[2];   // per column: -1 not asked yet; [1] for HTML
    struct TFieldFact {
        bool Known = false;
        bool Bound = false;
        TFieldType Type = ftUnknown;
    };
    mutable std::vector<TFieldFact> m_fields;   // per column, as first asked in this export
};

} // namespace qel
