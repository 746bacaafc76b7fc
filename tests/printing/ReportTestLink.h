#pragma once
// A report link for the tests: it builds hand-made cell trees — a grid of
// rows and columns of text cells, optional repeated header and footer cells
// — and names the row and column edges as delimiters.
#include "printing/ReportLink.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace qel::test {

struct ReportShape {
    int Rows = 10;
    std::vector<int> ColumnWidths{100, 100, 100};   // screen pixels
    int RowHeight = 21;                              // screen pixels
    int HeaderHeight = 0;                            // a repeated header row; 0: none
    int FooterHeight = 0;                            // a repeated footer row; 0: none
    bool Borders = true;
    // Rows left out of the report (their place stays empty).
    std::function<bool(int)> Skip = [](int) { return false; };
    // The text of row r, column c.
    std::function<std::string(int, int)> Text = [](int R, int C) {
        return "R" + std::to_string(R) + "C" + std::to_string(C);
    };
};

class TReportTestLink : public TBasedxReportLink {
public:
    explicit TReportTestLink(TComponent* AOwner = nullptr) : TBasedxReportLink(AOwner) {}

    ReportShape Shape;
    // Runs for each row built (the build's progress); may raise.
    std::function<void(int Row)> OnRowBuilt;
    // The items this link draws itself: answers true and may draw or change the item.
    std::function<bool(TCanvas&, TAbstractdxReportCellData&, const TRect&)> CustomDraw;
    int Builds = 0;

    using TBasedxReportLink::SetCanHaveEmptyPages;

    bool IsItemCustomDrawn(const TAbstractdxReportCellData&) const override { return static_cast<bool>(CustomDraw); }

    int TotalWidth() const
    {
        int w = 0;
        for (int c : Shape.ColumnWidths)
            w += c;
        return w;
    }

protected:
    void ConstructReport(TdxReportCells& Cells) override
    {
        TBasedxReportLink::ConstructReport(Cells);
        ++Builds;
        const int width = TotalWidth();
        TdxReportCell* root = Cells.Cells();
        root->SetBoundsRect64({0, 0, width, std::int64_t{Shape.Rows} * Shape.RowHeight});
        if (Shape.HeaderHeight > 0)
            AddRow(Cells.HeaderCell(), 0, Shape.HeaderHeight, [](int C) { return "Kopf" + std::to_string(C); });
        if (Shape.FooterHeight > 0)
            AddRow(Cells.FooterCell(), 0, Shape.FooterHeight, [](int C) { return "Fuss" + std::to_string(C); });
        for (int r = 0; r < Shape.Rows; ++r) {
            if (Shape.Skip(r))
                continue;
            AddRow(root, std::int64_t{r} * Shape.RowHeight, Shape.RowHeight, [&](int C) { return Shape.Text(r, C); });
            if (OnRowBuilt)
                OnRowBuilt(r);
            if (ComponentPrinter())
                ComponentPrinter()->GenerateReportProgress(this, 100.0 * (r + 1) / Shape.Rows);
        }
    }

    void GetDelimiters(TdxReportCells& Cells, std::vector<std::int64_t>& Horz, std::vector<std::int64_t>& Vert) override
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

    void DoCustomDrawItem(TCanvas& Canvas, TAbstractdxReportCellData& Item, const TRect& Rect, bool& Done) override
    {
        if (CustomDraw)
            Done = CustomDraw(Canvas, Item, Rect);
    }

private:
    template <class TextOf>
    void AddRow(TdxReportCell* Parent, std::int64_t Top, int Height, TextOf Text)
    {
        TdxReportCell* row = Parent->AddCell();
        row->SetBoundsRect64({0, Top, TotalWidth(), Top + Height});
        if (Parent->ReportCells() && Parent != Parent->ReportCells()->Cells())
            Parent->SetBoundsRect64({0, 0, TotalWidth(), Height});
        row->SetCellSides({});
        int left = 0;
        for (std::size_t c = 0; c < Shape.ColumnWidths.size(); ++c) {
            auto* text = row->AddDataItem<TdxReportCellString>();
            text->SetBoundsRect({left, 0, left + Shape.ColumnWidths[c], Height});
            text->SetText(Text(static_cast<int>(c)));
            text->SetFontIndex(0);
            if (!Shape.Borders)
                text->SetCellSides({});
            left += Shape.ColumnWidths[c];
        }
    }
};

// A test link on A4 with 12.7 mm margins (69,770 by 102,652 report units
// inside them), bound to a plain component.
struct ReportLinkFixture : ::testing::Test {
    TComponent owner{nullptr};
    TComponent* source = new TComponent(&owner);
    TReportTestLink* link = new TReportTestLink(&owner);

    void SetUp() override
    {
        TdxPrinterPage* page = link->PrinterPage();
        page->SetMeasurementUnits(muMillimeters);
        page->SetDMPaper(9);
        link->SetComponent(source);
    }
    void Activate() { link->SetActive(true); }
};

} // namespace qel::test
