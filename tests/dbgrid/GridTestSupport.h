#pragma once
// A grid on an in-memory table of doors: NUMBER (key), TITLE, AREA (a
// grouping value with Nulls and non-adjacent repeats) and ACTIVE (Boolean).
#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridColumns.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/data/MemoryDataSet.h"

#include <memory>
#include <string>
#include <vector>

namespace qel::test {

struct GridFixture {
    std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
    TMemoryDataSet* ds = nullptr;
    TDataSource* source = nullptr;
    TdxDBGrid* grid = nullptr;

    // Areas cycle through "North", Null, "South", "North", "East".
    explicit GridFixture(int Rows = 10, bool AllRecords = true, bool Bind = true)
    {
        ds = new TMemoryDataSet(owner.get());
        ds->AddField("NUMBER", ftInteger);
        ds->AddField("TITLE", ftString, 30);
        ds->AddField("AREA", ftString, 10);
        ds->AddField("ACTIVE", ftBoolean);
        ds->Open();
        const Variant areas[] = {Variant("North"), Variant::Null(), Variant("South"), Variant("North"),
                                 Variant("East")};
        for (int i = 1; i <= Rows; ++i)
            ds->AppendRecord({i, "Door " + std::to_string(i), areas[(i - 1) % 5], i % 2 == 0});
        ds->First();
        source = new TDataSource(owner.get());
        source->SetDataSet(ds);
        grid = new TdxDBGrid(owner.get());
        grid->SetName("DBGrid1");
        grid->SetBounds(0, 0, 400, 300);
        grid->SetDefaultRowHeight(18);
        grid->SetKeyField("NUMBER");
        if (AllRecords)
            grid->SetOptions(grid->Options() + TdxDBGridOptions{egoLoadAllRecords});
        for (const char* f : {"NUMBER", "TITLE", "AREA"})
            grid->CreateColumnOf<TdxDBGridColumn>()->SetFieldName(f);
        grid->CreateColumnOf<TdxDBGridCheckColumn>()->SetFieldName("ACTIVE");
        if (Bind)
            grid->SetDataSource(source);
    }

    TdxDBGridNode* Node(TdxTreeListNode* N) const { return static_cast<TdxDBGridNode*>(N); }
    // The keys of the record rows in display order (group rows as "[text]").
    std::vector<std::string> Rows() const
    {
        std::vector<std::string> out;
        for (int i = 0; i < grid->GetAbsoluteCount(); ++i) {
            TdxTreeListNode* n = grid->GetAbsoluteNode(i);
            out.push_back(grid->IsGroupRow(n) ? "[" + n->GetString(2) + "]" : n->GetString(0));
        }
        return out;
    }
    int CurrentKey() const { return ds->FieldByName("NUMBER")->AsInteger(); }
    int FocusedKey() const
    {
        auto* n = Node(grid->GetFocusedNode());
        return n && !n->Key().IsEmptyOrNull() ? n->Key().AsInteger() : -1;
    }
};

} // namespace qel::test
