#pragma once
// A grid of doors with an amount (some Null) and summaries of every kind: a
// group summary per group column, a summary group in the group rows and in
// group footers, and footers; and a dump of the whole tree to compare two
// grids by.
#include "GridTestSupport.h"
#include "platform/core/Locale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace qel::test {

struct SummaryGridFixture {
    LocaleScope german;
    std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
    TMemoryDataSet* ds = new TMemoryDataSet(owner.get());
    TDataSource* source = new TDataSource(owner.get());
    TdxDBGrid* grid = new TdxDBGrid(owner.get());
    TdxDBTreeListColumn* number;
    TdxDBTreeListColumn* title;
    TdxDBTreeListColumn* area;
    TdxDBTreeListColumn* active;
    TdxDBTreeListColumn* amount;
    TdxDBTreeListColumn* serial;
    int scrolls = 0, posts = 0, cancels = 0;

    explicit SummaryGridFixture(bool Smart, int Rows = 12)
    {
        ds->AddField("NUMBER", ftInteger);
        ds->AddField("TITLE", ftString, 30);
        ds->AddField("AREA", ftString, 10);
        ds->AddField("ACTIVE", ftBoolean);
        ds->AddField("AMOUNT", ftFloat);
        ds->AddField("SERIAL", ftLargeint);   // shown as text; its rows keep no value
        ds->Open();
        const Variant areas[] = {Variant("North"), Variant::Null(), Variant("South"), Variant("North"),
                                 Variant("East")};
        for (int i = 1; i <= Rows; ++i)
            ds->AppendRecord({i, "Door " + std::to_string(i), areas[(i - 1) % 5], i % 3 == 0,
                              i % 4 == 0 ? Variant::Null() : Variant(i * 1.25 - 6),
                              Variant(static_cast<std::int64_t>(i % 3 * 5))});
        ds->First();
        ds->BeforeScroll = [this](TDataSet*) { ++scrolls; };
        ds->BeforePost = [this](TDataSet*) { ++posts; };
        ds->BeforeCancel = [this](TDataSet*) { ++cancels; };
        source->SetDataSet(ds);
        grid->SetBounds(0, 0, 400, 300);
        grid->SetKeyField("NUMBER");
        TdxDBGridOptions options = grid->Options() + TdxDBGridOptions{egoLoadAllRecords};
        if (Smart)
            options += TdxDBGridOptions{egoSmartReload};
        grid->SetOptions(options);
        auto column = [this](const char* Field, const char* Name) {
            TdxDBTreeListColumn* c = grid->CreateColumnOf<TdxDBGridColumn>();
            c->SetFieldName(Field);
            c->SetName(Name);
            return c;
        };
        number = column("NUMBER", "colNumber");
        title = column("TITLE", "colTitle");
        area = column("AREA", "colArea");
        active = column("ACTIVE", "colActive");
        amount = column("AMOUNT", "colAmount");
        serial = column("SERIAL", "colSerial");
    }

    void AddSummaries()
    {
        area->SetSummaryType(cstSum);
        area->SetSummaryField("AMOUNT");
        active->SetSummaryType(cstAvg);
        active->SetSummaryField("AMOUNT");
        auto* g = grid->SummaryGroups()->Add();
        g->SetName("Totals");
        g->SetDefaultGroup(true);
        auto item = [g](const char* Field, const char* Column, TdxSummaryType Type) {
            auto* i = g->SummaryItems()->Add();
            i->SetSummaryField(Field);
            i->SetColumnName(Column);
            i->SetSummaryType(Type);
        };
        item("AMOUNT", "", cstMin);
        item("AMOUNT", "", cstMax);
        item("", "", cstCount);
        item("AMOUNT", "colAmount", cstAvg);
        item("NUMBER", "colNumber", cstSum);
        area->SetSummaryGroupName("Totals");
        title->SetSummaryGroupName("totals");
        number->SetSummaryFooterType(cstCount);
        amount->SetSummaryFooterType(cstAvg);
        area->SetSummaryFooterType(cstMax);
    }

    void Load() { grid->SetDataSource(source); }

    TdxDBGridNode* Node(TdxTreeListNode* N) const { return static_cast<TdxDBGridNode*>(N); }

    // The whole tree, expanded or not: group rows with their texts, the key
    // and record number they stand for and their group footers; record rows
    // by key; then the rows the filter hides and the footers.
    std::vector<std::string> Tree() const
    {
        std::vector<std::string> out;
        std::vector<TdxTreeListNode*> stack;
        for (int i = grid->GetCount() - 1; i >= 0; --i)
            stack.push_back(grid->GetItem(i));
        while (!stack.empty()) {
            TdxTreeListNode* n = stack.back();
            stack.pop_back();
            const std::string indent(static_cast<std::size_t>(n->Level()) * 2, ' ');
            if (!grid->IsGroupRow(n)) {
                out.push_back(indent + Node(n)->Key().AsString());
                continue;
            }
            std::string line = indent + grid->GetGroupRowText(n) + " #" + Node(n)->Key().AsString() + "/" +
                               std::to_string(Node(n)->RecordNumber);
            for (int c = 0; c < grid->GetColumnCount(); ++c)
                line += "|" + grid->Summaries().RowFooterText(n, c, n->Level());
            out.push_back(line);
            for (int i = n->Count() - 1; i >= 0; --i)
                stack.push_back(n->GetItem(i));
        }
        out.push_back("hidden " + std::to_string(grid->HiddenNodeCount()));
        for (int c = 0; c < grid->GetColumnCount(); ++c)
            out.push_back("footer " + grid->GetFooterCellText(c));
        return out;
    }
    // Every record row's cells ("FIELD=text|" each) in display order, expanded or not.
    std::vector<std::string> Cells() const
    {
        std::vector<std::string> out;
        for (TdxTreeListNode* n = grid->GetItem(0); n; n = n->GetNext()) {
            if (grid->IsGroupRow(n))
                continue;
            std::string line;
            for (int c = 0; c < grid->GetColumnCount(); ++c)
                line += grid->GetColumn(c)->FieldName() + "=" + grid->GetCellText(n, c) + "|";
            out.push_back(line);
        }
        return out;
    }
    // Every record row read as painting reads it, so each holds its values
    // (rows loaded in bulk read them on first use only).
    void FillRows() const
    {
        for (TdxTreeListNode* n = grid->GetItem(0); n; n = n->GetNext())
            if (!grid->IsGroupRow(n))
                Node(n)->PreviewText();
    }
    int RecordRows() const
    {
        int n = 0;
        for (TdxTreeListNode* node = grid->GetItem(0); node; node = node->GetNext())
            n += node->Count() == 0;
        return n;
    }
    int Current() const { return ds->FieldByName("NUMBER")->AsInteger(); }
    // A regrouping keeps the row objects; a walk after clearing makes new ones.
    std::uint64_t RowId(int Key) const { return grid->FindNodeByKey(Key)->Id(); }

    // A header filter on the column showing only Text.
    void FilterTo(TdxDBTreeListColumn* Column, const std::string& Text)
    {
        TdxDBGridFilterValues values;
        grid->Filter()->SetActive(true);
        grid->CollectFilterValues(Column, values);
        const auto items = TdxDBGridFilter::DropDownItems(values);
        const auto it = std::find(items.begin(), items.end(), Text);
        ASSERT_NE(it, items.end());
        grid->Filter()->AcceptDropDownItem(Column, values, static_cast<int>(it - items.begin()));
    }
};

} // namespace qel::test
