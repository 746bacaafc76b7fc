#include "demo/DemoGrid.h"

#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridColumns.h"
#include "platform/controls/Automation.h"
#include "platform/core/Locale.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"

#include <cstdio>

namespace qel::demo {

std::unique_ptr<TForm> MakeAccessMatrixWindow(TDataSet& Matrix, const std::string& PlainPng,
                                              const std::string& GroupedPng)
{
    auto form = std::make_unique<TForm>(nullptr);
    form->SetCaption("Zutrittsmatrix");
    form->SetBounds(40, 40, 1500, 760);

    auto* source = new TDataSource(form.get());
    source->SetDataSet(&Matrix);

    auto* grid = new TdxDBGrid(form.get());
    grid->SetName("AccessMatrix");
    grid->SetParent(form.get());
    grid->SetAlign(alClient);
    grid->SetKeyField("NUMBER");
    grid->SetOptions(grid->Options() + TdxDBGridOptions{egoLoadAllRecords});
    grid->SetShowIndicator(true);

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
    for (TField* f : Matrix.Fields()) {
        if (f->DataType() != ftBoolean)
            continue;
        auto* box = grid->CreateColumnOf<TdxDBGridCheckColumn>();
        box->SetFieldName(f->FieldName());
        box->SetCaption(f->FieldName().substr(3));
        box->SetWidth(34);
        box->SetValueChecked("True");
        box->SetValueUnchecked("False");
    }
    Matrix.First();
    grid->SetDataSource(source);

    form->Show();
    SaveControlImage(grid, PlainPng);

    port->SetGroupIndex(0);
    grid->FullExpand();
    SaveControlImage(grid, GroupedPng);
    std::printf("Access matrix grid: %d connectors x %d boxes, key field %s, grouped by %s into %d groups\n",
                grid->LoadedRecordCount(), grid->GetColumnCount() - 4, grid->KeyField().c_str(),
                port->Caption().c_str(), grid->GetCount());
    return form;
}

} // namespace qel::demo
