#pragma once
// The access matrix printed as the application prints it: a dataset of
// connectors, a grid over it and the grid's report link. Kept apart from
// ComponentPrinterTestSupport.h, which the preview tests include as well.
#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridColumns.h"
#include "platform/data/DataSource.h"
#include "platform/data/MemoryDataSet.h"
#include "printing/DBGridReportLink.h"

#include "ComponentPrinterTestSupport.h"

#include <string>
#include <vector>

namespace qel::test {

// The connectors (NUMBER, TITLE "Tür N") and whether box B opens for them (BoxB).
inline TMemoryDataSet* MakeAccessMatrixData(TComponent* Owner, const AccessMatrix& Matrix)
{
    auto* data = new TMemoryDataSet(Owner);
    data->AddField("NUMBER", ftInteger);
    data->AddField("TITLE", ftString, 30);
    for (int b = 1; b <= Matrix.Boxes; ++b)
        data->AddField("Box" + std::to_string(b), ftBoolean);
    data->Open();
    std::vector<Variant> values(static_cast<std::size_t>(2 + Matrix.Boxes));
    for (int i = 1; i <= Matrix.Connectors; ++i) {
        values[0] = i;
        values[1] = "Tür " + std::to_string(i);
        for (int b = 1; b <= Matrix.Boxes; ++b)
            values[static_cast<std::size_t>(1 + b)] = (i + b) % 3 == 0;
        data->AppendRecord(values);
    }
    data->First();
    return data;
}

// The matrix through a grid ("Nr", "Connector", one check column per box)
// and its report link, headers on every page, joined to Printer; about 52
// connectors a page. Dataset, grid and link belong to Owner.
inline TdxDBGridReportLink* MakeAccessMatrixGridLink(TCustomdxComponentPrinter& Printer, TComponent* Owner,
                                                     const AccessMatrix& Matrix = {})
{
    auto* source = new TDataSource(Owner);
    source->SetDataSet(MakeAccessMatrixData(Owner, Matrix));
    auto* grid = new TdxDBGrid(Owner);
    grid->SetKeyField("NUMBER");
    grid->SetOptions(grid->Options() + TdxDBGridOptions{egoLoadAllRecords});
    auto* number = grid->CreateColumnOf<TdxDBGridColumn>();
    number->SetFieldName("NUMBER");
    number->SetCaption("Nr");
    number->SetWidth(70);
    auto* title = grid->CreateColumnOf<TdxDBGridColumn>();
    title->SetFieldName("TITLE");
    title->SetCaption("Connector");
    title->SetWidth(110);
    for (int b = 1; b <= Matrix.Boxes; ++b) {
        auto* box = grid->CreateColumnOf<TdxDBGridCheckColumn>();
        box->SetFieldName("Box" + std::to_string(b));
        box->SetCaption(std::to_string(b));
        box->SetWidth(34);
        box->SetValueChecked("True");
        box->SetValueUnchecked("False");
    }
    grid->SetDataSource(source);
    auto* link = new TdxDBGridReportLink(Owner);
    ShapeMatrixPage(*link);
    link->SetHeadersOnEveryPage(true);
    link->SetComponent(grid);
    Printer.InsertLink(link);
    return link;
}

} // namespace qel::test
