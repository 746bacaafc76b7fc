#include "dbgrid/ExportGridAccess.h"

namespace qel {

std::vector<TdxExportHeaderCell> TdxExportGridAccess::HeaderCells() const
{
    std::vector<TdxExportHeaderCell> cells;
    if (!m_control)
        return cells;
    for (int b = 0; b < m_control->GetVisibleBandCount(); ++b)
        for (int r = 0; r < m_control->GetBandRowCount(b); ++r)
            for (int p = 0; p < m_control->GetBandRowColumnCount(b, r); ++p) {
                const int c = m_control->GetHeaderColumnIndex(b, r, p);
                if (c >= 0 && m_control->IsColumnShown(c))
                    cells.push_back({c, b, r, p});
            }
    return cells;
}

int TdxExportGridAccess::BandColumnCount(int VisibleBand) const
{
    int n = 0;
    for (int r = 0; r < m_control->GetBandRowCount(VisibleBand); ++r)
        for (int p = 0; p < m_control->GetBandRowColumnCount(VisibleBand, r); ++p) {
            const int c = m_control->GetHeaderColumnIndex(VisibleBand, r, p);
            if (c >= 0 && m_control->IsColumnShown(c))
                ++n;
        }
    return n;
}

std::string TdxExportGridAccess::ColumnXmlBaseName(int Column) const
{
    const TdxTreeListColumn* col = m_control->GetColumnByIndex(Column);
    if (col && !col->Name().empty())
        return col->Name();
    return "Column" + std::to_string(Column);
}

std::string TdxExportGridAccess::SummaryFooterText(int Column) const
{
    return m_control->IsExistFooterCell(Column) ? m_control->GetFooterCellText(Column) : std::string();
}

} // namespace qel
