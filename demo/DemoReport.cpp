#include "demo/DemoReport.h"

#include <algorithm>

#include "platform/core/Locale.h"
#include "platform/graphics/PdfDocument.h"

#include <vector>

namespace qel::demo {

namespace {

// Page coordinates in tenths of a millimetre, mapped isotropically onto the
// PDF's device pixels, as the report renderer maps report units.
void SetupPageMapping(TCanvas& Canvas, int PageWidth, int PageHeight, int DeviceWidth, int DeviceHeight)
{
    Canvas.SetMapMode(MM_ISOTROPIC);
    Canvas.SetWindowExt(PageWidth, PageHeight);
    Canvas.SetViewportExt(DeviceWidth, DeviceHeight);
}

} // namespace

void WriteAccessMatrixPdf(const std::string& FileName, const std::string& Title, TDataSet& Matrix)
{
    std::vector<TField*> boxes;
    for (int i = 0; i < Matrix.FieldCount(); ++i)
        if (Matrix.Fields(i)->DataType() == ftBoolean)
            boxes.push_back(Matrix.Fields(i));
    TField* connector = Matrix.FieldByName("TITLE");

    TPdfDocument pdf(FileName);
    pdf.SetTitle("Zutrittsmatrix " + Title);
    pdf.SetCreator("qeldemo");
    pdf.BeginDoc();
    TCanvas& canvas = *pdf.Canvas();
    SetupPageMapping(canvas, pdf.PageWidthTenthMM(), pdf.PageHeightTenthMM(), pdf.PageWidth(), pdf.PageHeight());

    const int left = 200, top = 200;
    canvas.Font()->SetName("Arial");
    canvas.Font()->SetHeight(-60);
    canvas.Font()->SetStyle({fsBold});
    canvas.SetBkMode(TRANSPARENT);
    canvas.TextOut(left, top, "Zutrittsmatrix: " + Title);

    canvas.Font()->SetStyle({});
    canvas.Font()->SetHeight(-35);
    canvas.TextOut(left, top + 90,
                   "Gedruckt am " + FormatDateTime("dd.mm.yyyy hh:nn", Now()) + ", " +
                       IntToStr(static_cast<std::int64_t>(boxes.size())) + " Boxen, " +
                       IntToStr(Matrix.RecordCount()) + " Connectoren");
    canvas.Pen()->SetWidth(4);
    canvas.MoveTo(left, top + 150);
    canvas.LineTo(pdf.PageWidthTenthMM() - left, top + 150);

    // The table: one row per connector, one check column per box.
    // Cells shrink so that every box and every connector fits on the page.
    const int titleWidth = 320;
    const int tableTop = top + 220;
    const int boxCount = std::max(1, static_cast<int>(boxes.size()));
    const int cellWidth = std::min(100, (pdf.PageWidthTenthMM() - 2 * left - titleWidth) / boxCount);
    const int rowHeight =
        std::min(55, (pdf.PageHeightTenthMM() - tableTop - top) / std::max(2, Matrix.RecordCount() + 1));
    canvas.Pen()->SetWidth(1);
    canvas.Brush()->SetColor(clBtnFace);
    TRect header{left, tableTop, left + titleWidth + cellWidth * int(boxes.size()), tableTop + rowHeight};
    canvas.FillRect(header);
    // A clear brush draws the cell texts without a background of their own.
    canvas.Brush()->SetStyle(bsClear);
    canvas.Font()->SetHeight(-30);
    for (std::size_t b = 0; b < boxes.size(); ++b) {
        TRect cell{left + titleWidth + cellWidth * int(b), tableTop, left + titleWidth + cellWidth * int(b + 1),
                   tableTop + rowHeight};
        canvas.DrawText(boxes[b]->FieldName().substr(3), cell, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    TRect corner{left + 15, tableTop, left + titleWidth, tableTop + rowHeight};
    canvas.DrawText("Connector", corner, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    int rows = 1;
    for (Matrix.First(); !Matrix.Eof(); Matrix.Next(), ++rows) {
        const int y = tableTop + rowHeight * rows;
        TRect titleRect{left + 15, y, left + titleWidth, y + rowHeight};
        canvas.DrawText(connector->AsString(), titleRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
        for (std::size_t b = 0; b < boxes.size(); ++b) {
            if (!boxes[b]->AsBoolean())
                continue;
            TRect cell{left + titleWidth + cellWidth * int(b), y, left + titleWidth + cellWidth * int(b + 1),
                       y + rowHeight};
            canvas.DrawText("X", cell, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
    }
    // Grid lines over the whole table.
    const int right = header.Right, bottom = tableTop + rowHeight * rows;
    for (int r = 0; r <= rows; ++r) {
        canvas.MoveTo(left, tableTop + rowHeight * r);
        canvas.LineTo(right, tableTop + rowHeight * r);
    }
    canvas.MoveTo(left, tableTop);
    canvas.LineTo(left, bottom);
    for (std::size_t b = 0; b <= boxes.size(); ++b) {
        canvas.MoveTo(left + titleWidth + cellWidth * int(b), tableTop);
        canvas.LineTo(left + titleWidth + cellWidth * int(b), bottom);
    }
    pdf.EndDoc();
}

} // namespace qel::demo
