#include "dbgrid/DBGridExportExcel.h"

#include "dbgrid/detail/Biff4Records.h"
#include "dbgrid/detail/ExportText.h"
#include "platform/core/Locale.h"

#include <algorithm>

#include <string>

namespace qel {

namespace {

using namespace biff4;

// Fixed cell formats 0..28.
constexpr int xfColumnDefault = 15;
constexpr int xfCaption = 22;
constexpr int xfGroup = 23;
constexpr int xfFooter = 24;
constexpr int xfFooterEmpty = 25;
constexpr int xfBand = 26;
constexpr int xfRowFooter = 27;
constexpr int xfRowFooterEmpty = 28;
constexpr int xfFirstColumn = 29;
constexpr int firstColumnFont = 10;

const TXFBytes fixedXFs[29] = {
    {0x00, 0x00, 0xF5, 0xFF, 0x20, 0x00, 0x00, 0xCE, 0, 0, 0, 0},
    {0x01, 0x00, 0xF5, 0xFF, 0x20, 0xF4, 0x00, 0xCE, 0, 0, 0, 0},
    {0x01, 0x00, 0xF5, 0xFF, 0x20, 0xF4, 0x00, 0xCE, 0, 0, 0, 0},
    {0x02, 0x00, 0xF5, 0xFF, 0x20, 0xF4, 0x00, 0xCE, 0, 0, 0, 0},
    {0x02, 0x00, 0xF5, 0xFF, 0x20, 0xF4, 0x00, 0xCE, 0, 0, 0, 0},
    {0x00, 0x00, 0xF5, 0xFF, 0x20, 0xF4, 0x00, 0xCE, 0, 0, 0, 0},
    {0x00, 0x00, 0xF5, 0xFF, 0x20, 0xF4, 0x00, 0xCE, 0, 0, 0, 0},
    {0x00, 0x00, 0xF5, 0xFF, 0x20, 0xF4, 0x00, 0xCE, 0, 0, 0, 0},
    {0x00, 0x00, 0xF5, 0xFF, 0x20, 0xF4, 0x00, 0xCE, 0, 0, 0, 0},
    {0x00, 0x00, 0xF5, 0xFF, 0x20, 0xF4, 0x00, 0xCE, 0, 0, 0, 0},
    {0x00, 0x00, 0xF5, 0xFF, 0x20, 0xF4, 0x00, 0xCE, 0, 0, 0, 0},
    {0x00, 0x00, 0xF5, 0xFF, 0x20, 0xF4, 0x00, 0xCE, 0, 0, 0, 0},
    {0x00, 0x00, 0xF5, 0xFF, 0x20, 0xF4, 0x00, 0xCE, 0, 0, 0, 0},
    {0x00, 0x00, 0xF5, 0xFF, 0x20, 0xF4, 0x00, 0xCE, 0, 0, 0, 0},
    {0x00, 0x00, 0xF5, 0xFF, 0x20, 0xF4, 0x00, 0xCE, 0, 0, 0, 0},
    {0x00, 0x00, 0x01, 0x00, 0x20, 0x00, 0x00, 0xCE, 0, 0, 0, 0},
    {0x01, 0x21, 0xF5, 0xFF, 0x20, 0xF8, 0x00, 0xCE, 0, 0, 0, 0},
    {0x01, 0x1F, 0xF5, 0xFF, 0x20, 0xF8, 0x00, 0xCE, 0, 0, 0, 0},
    {0x01, 0x20, 0xF5, 0xFF, 0x20, 0xF8, 0x00, 0xCE, 0, 0, 0, 0},
    {0x01, 0x1E, 0xF5, 0xFF, 0x20, 0xF8, 0x00, 0xCE, 0, 0, 0, 0},
    {0x01, 0x0D, 0xF5, 0xFF, 0x20, 0xF8, 0x00, 0xCE, 0, 0, 0, 0},
    {0x05, 0x00, 0x01, 0x00, 0x21, 0x78, 0x41, 0x03, 0x00, 0x00, 0x00, 0x00},
    {0x06, 0x00, 0x01, 0x00, 0x22, 0x78, 0x41, 0x02, 0x71, 0x71, 0x71, 0x71},
    {0x07, 0x00, 0x01, 0x00, 0x21, 0x78, 0xC1, 0x02, 0x00, 0x00, 0x00, 0x00},
    {0x05, 0x00, 0x01, 0x00, 0x22, 0x78, 0xC1, 0x02, 0xB9, 0xB9, 0xB9, 0xB9},
    {0x05, 0x00, 0x01, 0x00, 0x22, 0x78, 0xC1, 0x02, 0xB9, 0x00, 0xB9, 0x00},
    {0x08, 0x00, 0x01, 0x00, 0x22, 0x78, 0x41, 0x02, 0x71, 0x71, 0x71, 0x00},
    {0x09, 0x00, 0x01, 0x00, 0x21, 0x78, 0xC1, 0x02, 0xB9, 0xB9, 0xB9, 0xB9},
    {0x09, 0x00, 0x01, 0x00, 0x21, 0x78, 0xC1, 0x02, 0xB9, 0x00, 0xB9, 0x00},
};

std::uint8_t AlignmentByte(TAlignment Alignment)
{
    switch (Alignment) {
    case taRightJustify: return 0x23;
    case taCenter: return 0x22;
    default: return 0x21;
    }
}

void WriteFontOf(TStream& Stream, const TFont* Font, std::uint16_t ColorIndex)
{
    std::uint16_t options = 0;
    const TFontStyles style = Font->Style();
    if (style.Contains(fsBold))
        options |= 1;
    if (style.Contains(fsItalic))
        options |= 2;
    if (style.Contains(fsUnderline))
        options |= 4;
    if (style.Contains(fsStrikeOut))
        options |= 8;
    WriteFont(Stream, ClampCoord(20LL * Font->Size()), options, ColorIndex, Font->Name());
}

bool IsIntegerField(TFieldType Type)
{
    return Type == ftSmallint || Type == ftInteger || Type == ftWord || Type == ftAutoInc;
}

bool IsFloatField(TFieldType Type) { return Type == ftFloat || Type == ftCurrency || Type == ftBCD; }

} // namespace

int TdxDBGridExportExcel::HeadingRows() const
{
    return (Control()->ShowBands() ? 1 : 0) + (Control()->ShowHeader() ? 1 : 0);
}

void TdxDBGridExportExcel::PrepareRows(const std::vector<TdxTreeListNode*>& Nodes, int DataSetRows)
{
    m_columns.clear();
    for (const TdxExportHeaderCell& cell : Grid()->HeaderCells())
        m_columns.push_back(cell.Column);
    const int g = GroupCount();
    const int count = static_cast<int>(m_columns.size());
    if (count > MaxShownColumns || g + count > MaxColumns)
        throw EdxExportError("The grid shows too many columns for a worksheet (at most " +
                             std::to_string(std::min(MaxShownColumns, MaxColumns - g)) + ").");
    std::int64_t rows = HeadingRows() + DataSetRows + (Control()->ShowFooter() ? 1 : 0);
    for (TdxTreeListNode* node : Nodes)
        rows += 1 + Control()->GetRowFooterCount(node);
    if (rows > MaxRows)
        throw EdxExportError("The grid has too many rows for a worksheet (" + std::to_string(rows) + ", at most " +
                             std::to_string(MaxRows) + ").");
    m_rowLimit = static_cast<int>(rows);
    m_numericOnly.assign(m_columns.size(), true);
    m_dataRows = 0;
}

void TdxDBGridExportExcel::BeginExport()
{
    WriteBOF(Stream());
    WriteCodePage(Stream());
    for (const std::string& format : BuiltInFormats())
        WriteFormat(Stream(), format);
    WriteGuts(Stream());
    WritePaletteRecord();
    WriteFonts();
    WriteFormats();
    WriteColumnInfos();
    WriteDimensions(Stream(), m_rowLimit, GroupCount() + static_cast<int>(m_columns.size()));
}

void TdxDBGridExportExcel::WritePaletteRecord()
{
    const TCustomdxTreeListControl* c = Control();
    using exportdetail::ExportRGB;
    // Colour indexes 8..23: every index a format uses is defined (23 frames the footer cells).
    WritePalette(Stream(), {ExportRGB(c->HeaderFont()->Color()), ExportRGB(c->EffectiveHeaderColor()),
                            ExportRGB(c->GroupNodeTextColor()), ExportRGB(c->EffectiveGroupNodeColor()),
                            ExportRGB(c->Font()->Color()), ExportRGB(c->Color()), ExportRGB(clWindowFrame),
                            ExportRGB(clWindow), ExportRGB(c->BandFont()->Color()), ExportRGB(c->EffectiveBandColor()),
                            ExportRGB(Grid()->RowFooterTextColor()), ExportRGB(c->EffectiveRowFooterColor()),
                            ExportRGB(c->EffectiveGridLineColor()), 0, 0, ExportRGB(clBtnShadow)});
}

void TdxDBGridExportExcel::WriteFonts()
{
    for (int i = 0; i < 4; ++i)
        WriteFont(Stream(), 200, 0, 0x7FFF, "Arial");
    const TCustomdxTreeListControl* c = Control();
    WriteFontOf(Stream(), c->Font(), 12);
    WriteFontOf(Stream(), c->HeaderFont(), 8);
    WriteFontOf(Stream(), c->Font(), 10);
    WriteFontOf(Stream(), c->BandFont(), 16);
    WriteFontOf(Stream(), c->Font(), 18);
    for (int column : m_columns) {
        const TFont* font = c->GetColumnFont(column);
        WriteFontOf(Stream(), font ? font : c->Font(), 12);
    }
}

void TdxDBGridExportExcel::WriteFormats()
{
    for (const TXFBytes& xf : fixedXFs)
        WriteXF(Stream(), xf);
    const std::uint8_t border = Control()->ShowGrid() ? 0xA1 : 0x00;
    for (std::size_t j = 0; j < m_columns.size(); ++j)
        WriteXF(Stream(), {static_cast<std::uint8_t>(firstColumnFont + j), 0x00, 0x01, 0x00,
                           AlignmentByte(Control()->GetColumnAlignmentByIndex(m_columns[j])), 0x78, 0x41, 0x03,
                           border, border, border, border});
}

void TdxDBGridExportExcel::WriteColumnInfos()
{
    const int g = GroupCount();
    for (int c = 0; c < g; ++c)
        WriteColInfo(Stream(), c, 400, xfColumnDefault);
    for (std::size_t j = 0; j < m_columns.size(); ++j)
        WriteColInfo(Stream(), g + static_cast<int>(j), ClampCoord(36LL * Control()->GetColumnDisplayWidth(m_columns[j])),
                     xfColumnDefault);
}

void TdxDBGridExportExcel::WriteHeader()
{
    const int g = GroupCount();
    const int width = g + static_cast<int>(m_columns.size());
    if (Control()->ShowBands()) {
        // Each cell once: the band caption where its band starts, blank elsewhere.
        std::vector<std::string> captions(width);
        std::vector<bool> starts(width, false);
        int offset = g;
        for (int b = 0; b < Control()->GetVisibleBandCount(); ++b) {
            if (offset < width) {
                starts[offset] = true;
                Control()->GetBandCaption(b, captions[offset]);
            }
            offset += Grid()->BandColumnCount(b);
        }
        for (int c = 0; c < width; ++c) {
            if (starts[c])
                WriteLabel(Stream(), RowIndex(), c, xfBand, captions[c]);
            else
                WriteBlank(Stream(), RowIndex(), c, xfGroup);
        }
        AdvanceRow();
    }
    if (Control()->ShowHeader()) {
        for (int c = 0; c < g; ++c)
            WriteBlank(Stream(), RowIndex(), c, xfGroup);
        for (std::size_t j = 0; j < m_columns.size(); ++j)
            WriteLabel(Stream(), RowIndex(), g + static_cast<int>(j), xfCaption,
                       Control()->GetColumnCaption(m_columns[j]));
        AdvanceRow();
    }
}

void TdxDBGridExportExcel::WriteNode(TdxTreeListNode* Node)
{
    const int g = GroupCount();
    const bool groupRow = Node && Node->HasChildren();
    if (g > 0 && Node) {
        for (int i = 0; i < g; ++i) {
            if (i == Node->Level())
                WriteLabel(Stream(), RowIndex(), i, xfGroup, GroupText(Node));
            else
                WriteBlank(Stream(), RowIndex(), i, xfGroup);
        }
    }
    for (std::size_t j = 0; j < m_columns.size(); ++j) {
        if (groupRow)
            WriteBlank(Stream(), RowIndex(), g + static_cast<int>(j), xfGroup);
        else
            WriteDataCell(Node, static_cast<int>(j));
    }
    if (!groupRow)
        ++m_dataRows;
    if (Node)
        WriteRowFooters(Node);
}

void TdxDBGridExportExcel::WriteDataCell(TdxTreeListNode* Node, int J)
{
    const int column = m_columns[J];
    const int at = GroupCount() + J;
    const int xf = xfFirstColumn + J;
    auto text = [&](const std::string& Text) {
        m_numericOnly[J] = false;
        WriteLabel(Stream(), RowIndex(), at, xf, Text);
    };
    // Null numbers stay empty cells so that MIN and AVERAGE skip them as the grid does.
    auto blank = [&] {
        m_numericOnly[J] = false;
        WriteBlank(Stream(), RowIndex(), at, xf);
    };
    if (!Grid()->HasField(column)) {
        text(std::string());
        return;
    }
    const TFieldType type = Grid()->FieldType(column);
    const bool numeric = IsIntegerField(type) || IsFloatField(type);
    if (!numeric && !ConvertsValues(column, false)) {
        // Text cells need only the text.
        text(Node ? Node->GetString(column) : Grid()->RecordDisplayText(column));
        return;
    }
    Variant v = CellValue(Node, column);
    const TdxTreeListColumn* col = Control()->GetColumnByIndex(column);
    if (ConvertsValues(column, false) && col->GetValueText(v, false)) {
        switch (v.VarType()) {
        case varSmallint:
        case varInteger:
        case varByte:
        case varInt64: WriteInteger(Stream(), RowIndex(), at, xf, v.AsInt64()); return;
        case varSingle:
        case varDouble:
        case varCurrency: WriteNumber(Stream(), RowIndex(), at, xf, v.AsDouble()); return;
        case varNull:
        case varEmpty: text(std::string()); return;
        default: text(v.AsString()); return;
        }
    }
    if (numeric) {
        if (v.IsEmptyOrNull()) {
            blank();
            return;
        }
        if (IsIntegerField(type))
            WriteInteger(Stream(), RowIndex(), at, xf, v.AsInt64());
        else
            WriteNumber(Stream(), RowIndex(), at, xf, v.AsDouble());
        return;
    }
    text(Node ? Node->GetString(column) : Grid()->RecordDisplayText(column));
}

void TdxDBGridExportExcel::WriteRowFooters(TdxTreeListNode* Node)
{
    const int g = GroupCount();
    const int footers = Control()->GetRowFooterCount(Node);
    for (int f = 0; f < footers; ++f) {
        AdvanceRow();
        const int level = std::clamp(Control()->GetRowFooterLevel(Node, f), 0, std::max(g - 1, 0));
        for (int i = 0; i <= level && i < g; ++i)
            WriteBlank(Stream(), RowIndex(), i, xfGroup);
        // The first column's footer moves left into the free indent columns; every
        // other cell of the row is written once, blank or with its text.
        const int firstAt = g - level - 1 > 0 ? level + 1 : g;
        for (int c = level + 1; c <= g && c < g + static_cast<int>(m_columns.size()); ++c)
            if (c != firstAt)
                WriteBlank(Stream(), RowIndex(), c, xfRowFooterEmpty);
        for (std::size_t j = 0; j < m_columns.size(); ++j) {
            const int at = j == 0 ? firstAt : g + static_cast<int>(j);
            if (!Control()->IsExistRowFooterCell(Node, m_columns[j], f)) {
                WriteBlank(Stream(), RowIndex(), at, xfRowFooterEmpty);
            } else {
                std::string s;
                Control()->GetRowFooterCellText(Node, m_columns[j], f, s);
                WriteLabel(Stream(), RowIndex(), at, xfRowFooter, s);
            }
        }
    }
}

void TdxDBGridExportExcel::WriteFooter()
{
    if (!Control()->ShowFooter())
        return;
    for (int c = 0; c < GroupCount(); ++c)
        WriteBlank(Stream(), RowIndex(), c, xfFooterEmpty);
    for (std::size_t j = 0; j < m_columns.size(); ++j)
        WriteFooterCell(static_cast<int>(j));
}

void TdxDBGridExportExcel::WriteFooterCell(int J)
{
    const int column = m_columns[J];
    const int at = GroupCount() + J;
    const TdxSummaryType type = Grid()->SummaryFooterType(column);
    int k = -1;
    if (type == cstCount) {
        k = J;
    } else if (type != cstNone) {
        // The grid's own fallback: without a footer field the column's field.
        std::string field = Grid()->SummaryFooterField(column);
        if (field.empty())
            field = Grid()->FieldName(column);
        for (std::size_t i = 0; i < m_columns.size() && !field.empty(); ++i)
            if (AnsiCompareText(Grid()->FieldName(m_columns[i]), field) == 0) {
                k = static_cast<int>(i);
                break;
            }
    }
    if (type == cstNone || k < 0 || m_dataRows == 0) {
        WriteBlank(Stream(), RowIndex(), at, xfFooterEmpty);
        return;
    }
    // A live formula only where it gives what the grid's footer shows: one block
    // of numbers (no group or row-footer rows, no empty cells, every record) that
    // a formula reference can reach.
    const bool formulaAgrees = GroupCount() == 0 && ExportAll() && m_numericOnly[static_cast<std::size_t>(k)] &&
                               RowIndex() - 1 <= biff4::MaxFormulaRow;
    if (formulaAgrees) {
        static constexpr TFormulaFunction functions[] = {TFormulaFunction::Sum, TFormulaFunction::Sum,
                                                         TFormulaFunction::Min, TFormulaFunction::Max,
                                                         TFormulaFunction::Count, TFormulaFunction::Average};
        WriteFormula(Stream(), RowIndex(), at, xfFooter, HeadingRows(), RowIndex() - 1, GroupCount() + k,
                     functions[static_cast<int>(type)]);
        return;
    }
    Variant value;
    if (Grid()->SummaryFooterValue(column, value) && value.IsNumeric()) {
        WriteNumber(Stream(), RowIndex(), at, xfFooter, value.AsDouble());
        return;
    }
    const std::string text = Grid()->SummaryFooterText(column);
    if (text.empty())
        WriteBlank(Stream(), RowIndex(), at, xfFooterEmpty);
    else
        WriteLabel(Stream(), RowIndex(), at, xfFooter, text);
}

void TdxDBGridExportExcel::EndExport() { WriteEOF(Stream()); }

} // namespace qel
