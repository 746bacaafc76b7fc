#include "demo/DemoReportLink.h"

#include "platform/core/ClassRegistry.h"
#include "platform/data/Field.h"
#include "printing/ReportLinkRegistry.h"

namespace qel::demo {

namespace {

constexpr int kTitleWidth = 200;   // screen pixels
constexpr int kBoxWidth = 24;
constexpr int kRowHeight = 20;

// The fields the report shows: the connector's title, then the boxes.
std::vector<TField*> ReportFields(TDataSet& Matrix)
{
    std::vector<TField*> fields{Matrix.FieldByName("TITLE")};
    for (int i = 0; i < Matrix.FieldCount(); ++i)
        if (Matrix.Fields(i)->DataType() == ftBoolean)
            fields.push_back(Matrix.Fields(i));
    return fields;
}

int ColumnWidth(std::size_t Column)
{
    return Column == 0 ? kTitleWidth : kBoxWidth;
}

template <class TextOf>
void AddRow(TdxReportCell* Parent, std::int64_t Top, std::size_t Columns, TextOf Text, bool Header)
{
    TdxReportCell* row = Parent->AddCell();
    int width = 0;
    for (std::size_t c = 0; c < Columns; ++c)
        width += ColumnWidth(c);
    row->SetBoundsRect64({0, Top, width, Top + kRowHeight});
    row->SetCellSides({});
    int left = 0;
    for (std::size_t c = 0; c < Columns; ++c) {
        auto* text = row->AddDataItem<TdxReportCellString>();
        text->SetBoundsRect({left, 0, left + ColumnWidth(c), kRowHeight});
        text->SetText(Text(c));
        text->SetFontIndex(0);
        if (c > 0 || Header)
            text->SetTextAlignX(taCenterX);
        left += ColumnWidth(c);
    }
}

} // namespace

QEL_REGISTER_CLASS(TAccessMatrixReportLink, TBasedxReportLink);

void RegisterAccessMatrixReportLink()
{
    dxPSRegisterReportLink("TAccessMatrixReportLink", "TMemoryDataSet");
}

TAccessMatrixReportLink::TAccessMatrixReportLink(TComponent* AOwner) : TBasedxReportLink(AOwner)
{
    TdxPrinterPage* page = PrinterPage();
    page->SetMeasurementUnits(muMillimeters);
    page->SetDMPaper(9);
    page->SetOrientation(poLandscape);
    page->PageFooter()->CenterTitle()->SetText("Seite [Page #] von [Total Pages]");
    SetHeadersOnEveryPage(true);
    Font()->SetName("Arial");
    Font()->SetSize(8);
}

void TAccessMatrixReportLink::ConstructReport(TdxReportCells& Cells)
{
    TBasedxReportLink::ConstructReport(Cells);
    TDataSet* matrix = Matrix();
    if (!matrix)
        return;
    const std::vector<TField*> fields = ReportFields(*matrix);
    const int rows = matrix->RecordCount();
    int width = 0;
    for (std::size_t c = 0; c < fields.size(); ++c)
        width += ColumnWidth(c);
    Cells.Cells()->SetBoundsRect64({0, 0, width, std::int64_t{rows} * kRowHeight});
    AddRow(Cells.HeaderCell(), 0, fields.size(), [&](std::size_t C) {
        return C == 0 ? std::string("Connector") : fields[C]->FieldName().substr(3);
    }, true);
    Cells.HeaderCell()->SetBoundsRect64({0, 0, width, kRowHeight});
    matrix->First();
    for (int r = 0; !matrix->Eof(); ++r, matrix->Next()) {
        AddRow(Cells.Cells(), std::int64_t{r} * kRowHeight, fields.size(), [&](std::size_t C) {
            if (C == 0)
                return fields[0]->AsString();
            return fields[C]->AsBoolean() ? std::string("X") : std::string();
        }, false);
        if (ComponentPrinter())
            ComponentPrinter()->GenerateReportProgress(this, 100.0 * (r + 1) / std::max(1, rows));
    }
}

void TAccessMatrixReportLink::GetDelimiters(TdxReportCells& Cells, std::vector<std::int64_t>& Horz,
                                            std::vector<std::int64_t>& Vert)
{
    TdxReportCell* root = Cells.Cells();
    if (root->CellCount() == 0)
        return;
    TdxReportCell* first = root->Cells(0);
    for (int i = 0; i < first->DataItemCount(); ++i)
        Horz.push_back(first->DataItems(i)->BoundsRect().Right);
    for (int i = 0; i < root->CellCount(); ++i)
        Vert.push_back(root->Cells(i)->BoundsRect64().Bottom);
}

} // namespace qel::demo
