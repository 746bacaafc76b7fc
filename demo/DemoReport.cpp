#include "demo/DemoReport.h"

#include <algorithm>

#include "platform/core/Locale.h"
#include "platform/graphics/PdfDocument.h"

#include <vector>

namespace qel::demo {

namespace {

// An A4 page in tenths of a millimetre.
constexpr int kPageWidth = 2100, kPageHeight = 2970;

// Page coordinates in tenths of a millimetre, mapped isotropically onto the
// device pixels of Rect, as the report renderer maps report units.
void SetupPageMapping(TCanvas& Canvas, const TRect& Rect)
{
    Canvas.SetMapMode(MM_ISOTROPIC);
    Canvas.SetWindowExt(kPageWidth, kPageHeight);
    Canvas.SetViewportExt(Rect.Width(), Rect.Height());
    Canvas.SetViewportOrg(Rect.Left, Rect.Top);
}

} // namespace

void DrawAccessMatrixPage(TCanvas& Canvas, const TRect& Rect, const std::string& Title, TDataSet& Matrix,
                          int PageNumber, int PageCount)
{
    std::vector<TField*> boxes;
    for (int i = 0; i < Matrix.FieldCount(); ++i)
        if (Matrix.Fields(i)->DataType() == ftBoolean)
            boxes.push_back(Matrix.Fields(i));
    TField* connector = Matrix.FieldByName("TITLE");

    TCanvasStateSaver keep(Canvas);
    SetupPageMapping(Canvas, Rect);
    TCanvas& canvas = Canvas;
    const int left = 200, top = 200;
    canvas.Font()->SetName("Arial");
    canvas.Font()->SetHeight(-60);
    canvas.Font()->SetStyle({fsBold});
    canvas.Font()->SetColor(clBlack);
    canvas.SetBkMode(TRANSPARENT);
    canvas.TextOut(left, top, "Zutrittsmatrix: " + Title);

    canvas.Font()->SetStyle({});
    canvas.Font()->SetHeight(-35);
    canvas.TextOut(left, top + 90,
                   "Gedruckt am " + FormatDateTime("dd.mm.yyyy hh:nn", Now()) + ", " +
                       IntToStr(static_cast<std::int64_t>(boxes.size())) + " Boxen, " +
                       IntToStr(Matrix.RecordCount()) + " Connectoren");
    canvas.Pen()->SetColor(clBlack);
    canvas.Pen()->SetStyle(psSolid);
    canvas.Pen()->SetWidth(4);
    canvas.MoveTo(left, top + 150);
    canvas.LineTo(kPageWidth - left, top + 150);

    // The table: one row per connector, one check column per box.
    // Cells shrink so that every box and every connector fits on the page.
    const int titleWidth = 320;
    const int tableTop = top + 220;
    const int boxCount = std::max(1, static_cast<int>(boxes.size()));
    const int cellWidth = std::min(100, (kPageWidth - 2 * left - titleWidth) / boxCount);
    const int rowHeight = std::min(55, (kPageHeight - tableTop - top) / std::max(2, Matrix.RecordCount() + 1));
    canvas.Pen()->SetWidth(1);
    canvas.Brush()->SetStyle(bsSolid);
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
    if (PageNumber > 0) {
        TRect foot{left, kPageHeight - top + 40, kPageWidth - left, kPageHeight - top + 100};
        canvas.DrawText("Seite " + IntToStr(PageNumber) + " von " + IntToStr(PageCount), foot,
                        DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

void WriteAccessMatrixPdf(const std::string& FileName, const std::string& Title, TDataSet& Matrix)
{
    TPdfDocument pdf(FileName);
    pdf.SetTitle("Zutrittsmatrix " + Title);
    pdf.SetCreator("qeldemo");
    pdf.BeginDoc();
    DrawAccessMatrixPage(*pdf.Canvas(), Rect(0, 0, pdf.PageWidth(), pdf.PageHeight()), Title, Matrix);
    pdf.EndDoc();
}

} // namespace qel::demo
