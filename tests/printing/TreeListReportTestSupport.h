#pragma once
// Tree lists and their report links for the tests, a text dump of a built
// cell tree, and golden files to compare dumps with.
#include "printing/TreeListReportLink.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

namespace qel::test {

// One line per cell and data item, children indented under their parent:
// class, absolute bounds (report units), sides (LTRB), colour (or "-" when
// transparent), font index, source kind, and the text of text items.
inline void DumpItem(std::ostringstream& Out, const TdxReportVisualItem& Item, int Depth)
{
    static const char* const kinds[] = {"-", "band", "column", "node", "footer", "header"};
    std::string name = Item.ClassName();
    if (name.rfind("TdxReportCell", 0) == 0 && name.size() > 13)
        name = name.substr(13);
    else if (name == "TdxReportCell")
        name = "Cell";
    const TRect64 r = Item.AbsoluteRect();
    std::string sides;
    const TdxCellSides s = Item.CellSides();
    sides += s.Contains(csLeft) ? 'L' : '.';
    sides += s.Contains(csTop) ? 'T' : '.';
    sides += s.Contains(csRight) ? 'R' : '.';
    sides += s.Contains(csBottom) ? 'B' : '.';
    char color[16];
    std::snprintf(color, sizeof color, "%06X", static_cast<unsigned>(ColorToRGB(Item.Color())) & 0xFFFFFFu);
    Out << std::string(static_cast<std::size_t>(Depth) * 2, ' ') << name << " [" << r.Left << ',' << r.Top << ','
        << r.Right << ',' << r.Bottom << "] " << sides << ' ' << (Item.Transparent() ? std::string("-") : color)
        << " f" << Item.FontIndex() << ' ' << kinds[std::min<int>(Item.Source().Kind(), 5)];
    if (auto* text = dynamic_cast<const TdxReportCellString*>(&Item))
        if (!text->TextView().empty())
            Out << " \"" << text->TextView() << '"';
    if (auto* check = dynamic_cast<const TdxReportCellCheck*>(&Item))
        Out << " check=" << int(check->State());
    Out << '\n';
    if (auto* cell = dynamic_cast<const TdxReportCell*>(&Item)) {
        for (int i = 0; i < cell->DataItemCount(); ++i)
            DumpItem(Out, *cell->DataItems(i), Depth + 1);
        for (int i = 0; i < cell->CellCount(); ++i)
            DumpItem(Out, *cell->Cells(i), Depth + 1);
    }
}

inline std::string DumpCells(const TdxReportCells& Cells)
{
    std::ostringstream out;
    if (const TdxReportCell* header = Cells.HeaderCellIfAny()) {
        out << "header\n";
        DumpItem(out, *header, 1);
    }
    out << "root\n";
    DumpItem(out, *Cells.Cells(), 1);
    if (const TdxReportCell* footer = Cells.FooterCellIfAny()) {
        out << "footer\n";
        DumpItem(out, *footer, 1);
    }
    return out.str();
}

// Under tests/ as ctest passes it in QEL_TEST_DATA; empty when unknown.
inline std::filesystem::path GoldenDir()
{
    if (const char* data = std::getenv("QEL_TEST_DATA"); data && *data)
        return std::filesystem::path(data) / "printing" / "golden";
    return {};
}

// Compares Text with the golden file Name. QEL_UPDATE_GOLDEN=1 writes the
// file instead (re-baselining is done on purpose, and the diff reviewed).
inline void ExpectGolden(const std::string& Name, const std::string& Text)
{
    ASSERT_FALSE(GoldenDir().empty()) << "QEL_TEST_DATA names the tests folder (ctest sets it)";
    const std::filesystem::path file = GoldenDir() / Name;
    if (const char* update = std::getenv("QEL_UPDATE_GOLDEN"); update && *update == '1') {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << Text;
        return;
    }
    std::ifstream in(file, std::ios::binary);
    ASSERT_TRUE(in) << "no golden file " << file << " (QEL_UPDATE_GOLDEN=1 writes it)";
    const std::string expected((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(Text, expected) << "differs from " << file;
}

// A component printer whose build progress runs a handler (which may pull
// the rug: free what the build reads, or raise).
class TProgressPrinter : public TAbstractdxComponentPrinter {
public:
    using TAbstractdxComponentPrinter::TAbstractdxComponentPrinter;
    std::function<void(double)> OnProgress;
    void GenerateReportProgress(TBasedxReportLink*, double PercentDone) override
    {
        if (OnProgress)
            OnProgress(PercentDone);
    }
};

// The fonts of a link, fixed so that measured heights do not follow the desktop.
inline void UseTestFonts(TCustomdxTreeListReportLink& Link)
{
    TFont font;
    font.SetName("Liberation Sans");
    font.SetSize(8);
    Link.SetFont(&font);
    for (TFont* f : {Link.BandFont(), Link.EvenFont(), Link.FooterFont(), Link.GroupNodeFont(), Link.HeaderFont(),
                     Link.OddFont(), Link.PreviewFont(), Link.RowFooterFont()})
        f->Assign(&font);
}

} // namespace qel::test
