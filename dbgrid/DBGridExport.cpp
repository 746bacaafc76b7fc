#include "dbgrid/DBGridExport.h"

#include "platform/core/Guards.h"

#include <unordered_set>

namespace qel {

TdxDBGridExport::TdxDBGridExport(TdxExportGridAccess* Grid, std::string FileName, bool SaveAll)
    : m_grid(Grid), m_fileName(std::move(FileName)), m_saveAll(SaveAll)
{
}

void TdxDBGridExport::SaveToFile()
{
    SafeWriteFile(m_fileName, [this](TStream& S) { SaveToStream(S); });
}

void TdxDBGridExport::SaveToStream(TStream& Stream)
{
    if (!m_grid || !m_grid->Control() || !m_grid->HasDataSet())
        return;
    TValueRestorer<TStream*> streamScope(m_stream, &Stream);
    m_block.clear();
    // Room for a full block and the row that fills it, so it does not grow by doubling.
    m_block.reserve(BlockSize + BlockSize / 8);
    // The block goes with the export: a failed one leaves nothing gathered for the next.
    Finally forget([this] { std::string().swap(m_block); });
    m_converts[0].clear();
    m_converts[1].clear();
    m_fields.clear();
    m_rowIndex = 0;
    m_exportAll = m_saveAll || !m_grid->HasSelectedRows();
    m_walkDataset = m_grid->IsBufferMode() || (m_grid->IsPartialLoadMode() && m_exportAll);

    std::vector<TdxTreeListNode*> nodes;
    if (!m_walkDataset)
        nodes = ExportNodes(*m_grid, m_exportAll);
    const int selectedRecords = m_walkDataset && !m_exportAll ? m_grid->TakeSelectedRecords() : 0;
    PrepareRows(nodes, !m_walkDataset ? 0 : (m_exportAll ? m_grid->DataSetRecordCount() : selectedRecords));

    // Restores position and controls also when writing fails.
    const std::unique_ptr<TdxExportGridAccess::TWalk> walk = m_walkDataset ? m_grid->BeginWalk() : nullptr;

    BeginExport();
    WriteHeader();
    if (m_walkDataset && m_exportAll) {
        for (m_grid->First(); !m_grid->Eof(); m_grid->Next()) {
            WriteNode(nullptr);
            AdvanceRow();
        }
    } else if (m_walkDataset) {
        for (int i = 0; i < selectedRecords; ++i) {
            m_grid->GotoSelected(i);
            WriteNode(nullptr);
            AdvanceRow();
        }
    } else {
        for (TdxTreeListNode* node : nodes) {
            WriteNode(node);
            AdvanceRow();
        }
    }
    WriteFooter();
    EndExport();
    WriteBlock();
    m_grid->CheckUnchanged();
}

void TdxDBGridExport::WriteBlock() const
{
    if (m_block.empty())
        return;
    m_stream->WriteBytes(m_block);
    m_block.clear();
}

std::vector<TdxTreeListNode*> TdxDBGridExport::ExportNodes(const TdxExportGridAccess& Grid, bool ExportAll)
{
    const TCustomdxTreeListControl& tree = *Grid.Control();
    std::vector<TdxTreeListNode*> out;
    // Selected nodes and their ancestors (the group rows above them); found in
    // one pass, so the order needs no sorting afterwards.
    std::unordered_set<const TdxTreeListNode*> chosen;
    if (!ExportAll) {
        for (TdxTreeListNode* n = tree.Count() > 0 ? tree.TopLevelNode(0) : nullptr; n; n = n->GetNext())
            if (Grid.IsNodeSelected(n))
                for (TdxTreeListNode* a = n; a && chosen.insert(a).second; a = a->Parent()) {
                }
    }
    // One depth-first walk in tree order; below a selected node every node goes.
    struct TFrame {
        TdxTreeListNode* Node;
        bool All;
    };
    if (ExportAll) {
        // Every node in tree order, the list sized once: a list grown by doubling
        // (or a stack of every top-level row) would cost several times the rows at its peak.
        TdxTreeListNode* first = tree.Count() > 0 ? tree.TopLevelNode(0) : nullptr;
        std::size_t count = 0;
        for (TdxTreeListNode* n = first; n; n = n->GetNext())
            ++count;
        out.reserve(count);
        for (TdxTreeListNode* n = first; n; n = n->GetNext())
            out.push_back(n);
        return out;
    }
    std::vector<TFrame> stack;
    for (int i = tree.Count() - 1; i >= 0; --i)
        stack.push_back({tree.TopLevelNode(i), ExportAll});
    while (!stack.empty()) {
        const TFrame f = stack.back();
        stack.pop_back();
        if (!f.All && chosen.count(f.Node) == 0)
            continue;
        out.push_back(f.Node);
        const bool all = f.All || Grid.IsNodeSelected(f.Node);
        for (int c = f.Node->Count() - 1; c >= 0; --c)
            stack.push_back({f.Node->GetItem(c), all});
    }
    return out;
}

Variant TdxDBGridExport::CellValue(TdxTreeListNode* Node, int Column) const
{
    // Bound as first asked in this export; a field freed since reads through the rows, which hold none of it.
    TFieldType type = ftUnknown;
    if (!CellField(Column, type))
        return Variant(std::string());
    return Node ? Node->GetValue(Column) : m_grid->RecordValue(Column);
}

bool TdxDBGridExport::LearnConvertsValues(int Column, bool HTML) const
{
    // Asked once per column: whether the column gives its own text for a value
    // (the answer does not depend on the value). Only then is the value read.
    std::vector<std::int8_t>& known = m_converts[HTML ? 1 : 0];
    const auto i = static_cast<std::size_t>(Column);
    if (i >= known.size())
        known.resize(i + 1, -1);
    if (known[i] < 0) {
        const TdxTreeListColumn* col = Control()->GetColumnByIndex(Column);
        Variant probe = Variant::Null();
        known[i] = col && col->GetValueText(probe, HTML) ? 1 : 0;
    }
    return known[i] != 0;
}

bool TdxDBGridExport::LearnCellField(int Column, TFieldType& Type) const
{
    const auto i = static_cast<std::size_t>(Column);
    if (i >= m_fields.size())
        m_fields.resize(i + 1);
    TFieldFact& fact = m_fields[i];
    if (!fact.Known) {
        fact.Bound = m_grid->HasField(Column);
        fact.Type = fact.Bound ? m_grid->FieldType(Column) : ftUnknown;
        fact.Known = true;
    }
    Type = fact.Type;
    return fact.Bound;
}

std::string_view TdxDBGridExport::CellText(TdxTreeListNode* Node, int Column, bool HTML, std::string& Scratch) const
{
    if (ConvertsValues(Column, HTML)) {
        Variant v = CellValue(Node, Column);
        if (Control()->GetColumnByIndex(Column)->GetValueText(v, HTML)) {
            Scratch = v.IsEmptyOrNull() ? std::string() : v.AsString();
            return Scratch;
        }
    }
    if (Node)
        return m_grid->NodeText(Node, Column, Scratch);
    Scratch = m_grid->HasField(Column) ? m_grid->RecordDisplayText(Column) : std::string();
    return Scratch;
}

std::string TdxDBGridExport::GroupText(TdxTreeListNode* Node) const
{
    const int column = m_grid->GroupColumn(Node->Level());
    return column >= 0 ? Node->GetString(column) : Node->GetString(0);
}

} // namespace qel
