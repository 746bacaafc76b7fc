#include "dbgrid/DBGridExportHTML.h"

#include "dbgrid/DBTreeListTypedColumns.h"
#include "dbgrid/detail/ExportText.h"

#include <algorithm>

namespace qel {

using exportdetail::ColorHex;
using exportdetail::HtmlEscape;

namespace {

std::string AlignmentWord(TAlignment Alignment)
{
    switch (Alignment) {
    case taRightJustify: return "RIGHT";
    case taCenter: return "CENTER";
    default: return "LEFT";
    }
}

std::string OpeningTags(const TFont* Font)
{
    const TFontStyles s = Font->Style();
    std::string out;
    if (s.Contains(fsBold))
        out += "<B>";
    if (s.Contains(fsItalic))
        out += "<I>";
    if (s.Contains(fsUnderline))
        out += "<U>";
    if (s.Contains(fsStrikeOut))
        out += "<STRIKE>";
    return out;
}

std::string ClosingTags(const TFont* Font)
{
    const TFontStyles s = Font->Style();
    std::string out;
    if (s.Contains(fsStrikeOut))
        out += "</STRIKE>";
    if (s.Contains(fsUnderline))
        out += "</U>";
    if (s.Contains(fsItalic))
        out += "</I>";
    if (s.Contains(fsBold))
        out += "</B>";
    return out;
}

std::string EscapedText(const std::string& Text, bool Markup)
{
    return Markup ? exportdetail::CleanText(Text) : HtmlEscape(Text);
}

// The escaped text between the font's style tags; "&nbsp;" when empty.
std::string Styled(const TFont* Font, const std::string& Text, bool Markup = false)
{
    if (Text.empty())
        return "&nbsp;";
    return OpeningTags(Font) + EscapedText(Text, Markup) + ClosingTags(Font);
}

std::string StyleLine(const std::string& Class, const TFont* Font, TColor Color)
{
    return "." + Class + "{font-family: " + HtmlEscape(Font->Name()) + "; font-size: " + std::to_string(Font->Size()) +
           "pt; color: #" + ColorHex(Color) + "}";
}

} // namespace

void TdxDBGridExportHTML::PrepareRows(const std::vector<TdxTreeListNode*>& /*Nodes*/, int /*DataSetRows*/)
{
    const TCustomdxTreeListControl* c = Control();
    m_columns.clear();
    m_frames.clear();
    std::string indentCells;
    for (int i = 0; i < GroupCount(); ++i)
        indentCells += IndentCell();
    // The end of the cell before, by whether its text was empty.
    std::string previousEnd[2] = {"<TR>" + indentCells, "<TR>" + indentCells};
    for (const TdxExportHeaderCell& cell : Grid()->HeaderCells()) {
        const int column = cell.Column;
        m_columns.push_back(column);
        const TFont* font = c->GetColumnFont(column) ? c->GetColumnFont(column) : c->Font();
        // An unset column colour is the grid's colour, as on screen.
        TColor color = c->GetColumnColor(column);
        if (color == clNone)
            color = c->Color();
        const std::string open = "<TD NOWRAP ALIGN=\"" + AlignmentWord(c->GetColumnAlignmentByIndex(column)) +
                                 "\" BGCOLOR=#" + ColorHex(color) + "><FONT STYLE=\"font-family: " +
                                 HtmlEscape(font->Name()) + "; font-size: " + std::to_string(font->Size()) +
                                 "pt; color: #" + ColorHex(font->Color()) + "\">";
        const std::string start[2] = {open + OpeningTags(font), open + "&nbsp;"};
        TCellFrame frame;
        frame.Column = column;
        for (int previous = 0; previous < 2; ++previous)
            for (int empty = 0; empty < 2; ++empty)
                frame.Before[previous][empty] = previousEnd[previous] + start[empty];
        frame.Markup = dynamic_cast<const TdxDBTreeListHyperLinkColumn*>(c->GetColumnByIndex(column)) != nullptr;
        m_frames.push_back(std::move(frame));
        previousEnd[0] = ClosingTags(font) + "</FONT></TD>";
        previousEnd[1] = "</FONT></TD>";
    }
    for (int last = 0; last < 2; ++last)
        m_rowEnd[last] = previousEnd[last] + "</TR>\r\n";
}

std::string TdxDBGridExportHTML::IndentCell() const
{
    return "<TD NOWRAP BGCOLOR=#" + ColorHex(Control()->EffectiveGroupNodeColor()) + " WIDTH=10></TD>";
}

std::string TdxDBGridExportHTML::HeadingIndentCell() const
{
    return GroupCount() > 0 ? "<TD NOWRAP WIDTH=10 COLSPAN=" + std::to_string(GroupCount()) + "></TD>" : std::string();
}

void TdxDBGridExportHTML::BeginExport()
{
    const TCustomdxTreeListControl* c = Control();
    WriteLine("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">");
    WriteLine("<HTML>");
    WriteLine("<HEAD>");
    WriteLine("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">");
    WriteLine("<TITLE>" + HtmlEscape(c->Name()) + "</TITLE> ");
    WriteLine("<STYLE>");
    WriteLine("<!--");
    WriteLine(StyleLine("Band", c->BandFont(), c->BandFont()->Color()));
    WriteLine(StyleLine("Header", c->HeaderFont(), c->HeaderFont()->Color()));
    WriteLine(StyleLine("Footer", c->Font(), c->Font()->Color()));
    WriteLine(StyleLine("RowFooter", c->Font(), Grid()->RowFooterTextColor()));
    WriteLine(StyleLine("Group", c->Font(), c->GroupNodeTextColor()));
    WriteLine("-->");
    WriteLine("</STYLE>");
    WriteLine("</HEAD> ");
    WriteLine("<BODY BGCOLOR=#C0C0C0>");
    if (c->BorderStyle() == bsSingle)
        WriteLine("<TABLE BORDER=1 CELLSPACING=0 CELLPADDING=1 BGCOLOR=#C0C0C0><TR><TD>");
    std::string attributes = "BORDER=0 CELLSPACING=0 CELLPADDING=2";
    if (c->ShowGrid())
        attributes = c->Ctl3D() ? "BORDER=1 CELLSPACING=0 CELLPADDING=1" : "BORDER=0 CELLSPACING=1 CELLPADDING=2";
    WriteLine("<TABLE " + attributes + " BGCOLOR=#C0C0C0>");
}

void TdxDBGridExportHTML::EndExport()
{
    WriteLine("</TABLE>");
    if (Control()->BorderStyle() == bsSingle)
        WriteLine("</TD></TR></TABLE>");
    WriteLine("</BODY>");
    WriteLine("</HTML>");
}

void TdxDBGridExportHTML::WriteHeader()
{
    const TCustomdxTreeListControl* c = Control();
    if (c->ShowBands()) {
        std::string row = "<TR VALIGN=\"TOP\" class=\"Band\" BGCOLOR=#" + ColorHex(c->EffectiveBandColor()) + ">";
        row += HeadingIndentCell();
        for (int b = 0; b < c->GetVisibleBandCount(); ++b) {
            const int span = Grid()->BandColumnCount(b);
            if (span == 0)
                continue;   // a band without shown columns takes no cell
            std::string caption;
            c->GetBandCaption(b, caption);
            row += "<TD NOWRAP COLSPAN=" + std::to_string(span) + " ALIGN=\"" + AlignmentWord(c->GetBandAlignment(b)) +
                   "\" HEIGHT=" + std::to_string(c->GetBandRowHeight()) + ">" + Styled(c->BandFont(), caption) +
                   "</TD>";
        }
        WriteLine(row + "</TR>");
    }
    if (c->ShowHeader()) {
        std::string row = "<TR VALIGN=\"TOP\" class=\"Header\" BGCOLOR=#" + ColorHex(c->EffectiveHeaderColor()) + ">";
        row += HeadingIndentCell();
        for (int column : m_columns)
            row += "<TD NOWRAP WIDTH=" + std::to_string(c->GetColumnDisplayWidth(column)) + " ALIGN=\"" +
                   AlignmentWord(c->GetColumnAlignmentByIndex(column)) + "\">" +
                   Styled(c->HeaderFont(), c->GetColumnCaption(column)) + "</TD>";
        WriteLine(row + "</TR>");
    }
}

void TdxDBGridExportHTML::WriteNode(TdxTreeListNode* Node)
{
    if (Node && Node->HasChildren())
        WriteGroupRow(Node);
    else
        WriteRecordRow(Node);
    if (Node)
        WriteRowFooters(Node);
}

void TdxDBGridExportHTML::WriteGroupRow(TdxTreeListNode* Node)
{
    const int level = std::min(Node->Level(), GroupCount());
    std::string row = "<TR class=\"Group\" BGCOLOR=#" + ColorHex(Control()->EffectiveGroupNodeColor()) + ">";
    for (int i = 0; i < level; ++i)
        row += IndentCell();
    row += "<TD NOWRAP ALIGN=\"LEFT\" COLSPAN=" + std::to_string(static_cast<int>(m_columns.size()) + GroupCount() - level) +
           ">" + Styled(Control()->Font(), GroupText(Node)) + "</TD>";
    WriteLine(row + "</TR>");
}

void TdxDBGridExportHTML::WriteRecordRow(TdxTreeListNode* Node)
{
    std::string& row = Block();
    bool previousEmpty = false;
    for (const TCellFrame& frame : m_frames) {
        // Only a hyperlink column's anchor is markup (it escapes its parts
        // itself); every other text, converted or not, is escaped here.
        const std::string_view text = CellText(Node, frame.Column, true, m_cell);
        const bool empty = text.empty();
        row += frame.Before[previousEmpty][empty];
        previousEmpty = empty;
        if (empty)
            continue;
        if (frame.Markup)
            row += exportdetail::CleanText(text);
        else
            exportdetail::AppendHtmlEscaped(row, text);
    }
    row += m_rowEnd[previousEmpty];
    Appended();
}

void TdxDBGridExportHTML::WriteRowFooters(TdxTreeListNode* Node)
{
    const TCustomdxTreeListControl* c = Control();
    const int g = GroupCount();
    for (int f = 0; f < c->GetRowFooterCount(Node); ++f) {
        const int level = std::clamp(c->GetRowFooterLevel(Node, f), 0, std::max(g - 1, 0));
        std::string row = "<TR class=\"RowFooter\" BGCOLOR=#" + ColorHex(c->EffectiveRowFooterColor()) + ">";
        for (int i = 0; i <= level && i < g; ++i)
            row += "<TD NOWRAP BGCOLOR=" + ColorHex(c->EffectiveGroupNodeColor()) + " WIDTH=10></TD>";
        // The first shown column's cell spans the indent columns the footer leaves free.
        for (std::size_t j = 0; j < m_columns.size(); ++j) {
            const int column = m_columns[j];
            row += "<TD NOWRAP ALIGN=\"" + AlignmentWord(c->GetRowFooterCellAlignment(Node, column, f)) + "\"";
            if (j == 0 && g > 0)
                row += " COLSPAN=" + std::to_string(g - level);
            std::string text;
            if (c->IsExistRowFooterCell(Node, column, f))
                c->GetRowFooterCellText(Node, column, f, text);
            row += ">" + Styled(c->Font(), text) + "</TD>";
        }
        WriteLine(row + "</TR>");
    }
}

void TdxDBGridExportHTML::WriteFooter()
{
    const TCustomdxTreeListControl* c = Control();
    if (!c->ShowFooter() || Grid()->IsBufferMode())
        return;
    std::string row = "<TR class=\"Footer\" BGCOLOR=#" + ColorHex(c->EffectiveHeaderColor()) + ">";
    row += HeadingIndentCell();
    for (int column : m_columns) {
        const TFont* font = c->GetColumnFont(column) ? c->GetColumnFont(column) : c->Font();
        row += "<TD NOWRAP ALIGN=\"" + AlignmentWord(c->GetColumnAlignmentByIndex(column)) + "\">" +
               Styled(font, Grid()->SummaryFooterText(column)) + "</TD>";
    }
    WriteLine(row + "</TR>");
}

} // namespace qel
