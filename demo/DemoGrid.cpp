#include "demo/DemoGrid.h"

#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridColumns.h"
#include "platform/controls/Automation.h"
#include "platform/core/Locale.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"

#include <cstdio>

namespace qel::demo {

TdxDBGrid* MakeAccessMatrixGrid(TComponent* Owner, TDataSource* Source)
{
    auto* grid = new TdxDBGrid(Owner);
    grid->SetName("AccessMatrix");
    grid->SetKeyField("NUMBER");
    grid->SetOptions(grid->Options() + TdxDBGridOptions{egoLoadAllRecords});
    auto* number = grid->CreateColumnOf<TdxDBGridSpinColumn>();
    number->SetFieldName("NUMBER");
    number->SetCaption("Nr");
    number->SetWidth(70);   // the group rows' indent takes the first column's left part
    number->SetMinValue(1);
    number->SetMaxValue(128);
    auto* title = grid->CreateColumnOf<TdxDBGridColumn>();
    title->SetFieldName("TITLE");
    title->SetCaption("Connector");
    title->SetWidth(110);
    auto* address = grid->CreateColumnOf<TdxDBGridMaskColumn>();
    address->SetFieldName("IPADDRESS");
    address->SetCaption("IP-Adresse");
    address->SetWidth(110);
    auto* port = grid->CreateColumnOf<TdxDBGridSpinColumn>();
    port->SetFieldName("IPPORT");
    port->SetCaption("Port");
    port->SetWidth(56);
    port->SetMinValue(1);
    port->SetMaxValue(65535);
    TDataSet& matrix = *Source->DataSet();
    for (TField* f : matrix.Fields()) {
        if (f->DataType() != ftBoolean)
            continue;
        auto* box = grid->CreateColumnOf<TdxDBGridCheckColumn>();
        box->SetFieldName(f->FieldName());
        box->SetCaption(f->FieldName().substr(3));
        box->SetWidth(34);
        box->SetValueChecked("True");
        box->SetValueUnchecked("False");
    }
    matrix.First();
    grid->SetDataSource(Source);
    return grid;
}

std::unique_ptr<TForm> MakeAccessMatrixWindow(TDataSet& Matrix, const std::string& PlainPng,
                                              const std::string& GroupedPng, const std::string& FilteredPng)
{
    auto form = std::make_unique<TForm>(nullptr);
    form->SetCaption("Zutrittsmatrix");
    form->SetBounds(40, 40, 1500, 760);

    auto* source = new TDataSource(form.get());
    source->SetDataSet(&Matrix);

    auto* grid = MakeAccessMatrixGrid(form.get(), source);
    grid->SetParent(form.get());
    grid->SetAlign(alClient);
    grid->SetShowIndicator(true);
    auto* number = grid->ColumnByFieldName("NUMBER");
    auto* port = grid->ColumnByFieldName("IPPORT");
    auto* box3 = grid->FindColumnByFieldName("Box3");

    SaveControlImage(grid, PlainPng);

    // Grouped with the panel shown at once (no slide inside an update), a
    // count in every group row and the number of connectors in the footer.
    grid->BeginUpdate();
    grid->SetShowGroupPanel(true);
    grid->EndUpdate();
    port->SetSummaryType(cstCount);
    number->SetSummaryFooterType(cstCount);
    grid->SetShowFooter(true);
    port->SetGroupIndex(0);
    grid->FullExpand();
    SaveControlImage(grid, GroupedPng);
    std::printf("Access matrix grid: %d connectors x %d boxes, key field %s, grouped by %s into %d groups; "
                "first group: \"%s\", footer: %s\n",
                grid->LoadedRecordCount(), grid->GetColumnCount() - 4, grid->KeyField().c_str(),
                port->Caption().c_str(), grid->GetCount(),
                grid->GetCount() > 0 ? grid->GetGroupRowText(grid->GetItem(0)).c_str() : "",
                grid->GetFooterCellText(number->GetColumnIndex()).c_str());

    if (box3) {
        // The header filter of box 3: only its connectors, with the status panel.
        grid->Filter()->SetActive(true);
        grid->Filter()->SetColumnValue(box3, Variant(true), "True");
        grid->FullExpand();
        SaveControlImage(grid, FilteredPng);
        std::printf("Access matrix grid filtered by %s: %d connectors\n",
                    grid->Filter()->Criteria()->GetDisplayText().c_str(), grid->LoadedRecordCount());
        grid->ClearFilter();
        grid->FullExpand();
    }
    return form;
}

} // namespace qel::demo
