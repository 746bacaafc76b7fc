#pragma once
// Shared fixtures for the dataset tests: a data link that records every
// notification, and a small in-memory table.
#include "platform/core/Locale.h"
#include "platform/data/DataLink.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/data/MemoryDataSet.h"

#include <memory>
#include <string>
#include <vector>

namespace qel::test {

class RecordingLink : public TDataLink {
public:
    std::vector<std::string> Log;
    void Clear() { Log.clear(); }

protected:
    void ActiveChanged() override { Log.push_back(Active() ? "ActiveChanged(on)" : "ActiveChanged(off)"); }
    void DataSetChanged() override { Log.push_back("DataSetChanged"); }
    void DataSetScrolled(int Distance) override { Log.push_back("Scrolled(" + std::to_string(Distance) + ")"); }
    void RecordChanged(TField* Field) override
    {
        Log.push_back("RecordChanged(" + (Field ? Field->FieldName() : std::string("nil")) + ")");
    }
    void UpdateData() override { Log.push_back("UpdateData"); }
    void EditingChanged() override { Log.push_back(Editing() ? "EditingChanged(on)" : "EditingChanged(off)"); }
    void LayoutChanged() override { Log.push_back("LayoutChanged"); }
    void FocusControl(TField*& Field) override { Log.push_back("FocusControl(" + Field->FieldName() + ")"); }
};

// ID (integer), NAME (string 30), CITY (string 20), AMOUNT (float).
struct Table {
    LocaleScope locale;   // German number and date formats, whatever the host says
    std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
    TMemoryDataSet* ds = new TMemoryDataSet(owner.get());
    TDataSource* src = new TDataSource(owner.get());

    Table()
    {
        ds->AddField("ID", ftInteger);
        ds->AddField("NAME", ftString, 30);
        ds->AddField("CITY", ftString, 20);
        ds->AddField("AMOUNT", ftFloat);
        src->SetDataSet(ds);
    }
    void Fill(int n)
    {
        if (!ds->Active())
            ds->Open();
        TDisableControlsGuard guard(ds);
        for (int i = 1; i <= n; ++i)
            ds->AppendRecord({i, "Name" + std::to_string(i), i % 2 ? "Bonn" : "Köln", i * 1.5});
        ds->First();
    }
    int Id() const { return ds->FieldByName("ID")->AsInteger(); }
};

} // namespace qel::test
