#include "demo/DemoExports.h"

#include "dbgrid/DBGrid.h"

#include <cstdio>
#include <filesystem>

namespace qel::demo {

void WriteAccessMatrixExports(TForm& Window, const std::string& OutDir)
{
    auto* grid = dynamic_cast<TCustomdxDBGrid*>(Window.FindComponent("AccessMatrix"));
    if (!grid)
        return;
    const std::filesystem::path dir(OutDir);
    const std::string xls = (dir / "access-matrix.xls").string();
    const std::string html = (dir / "access-matrix.html").string();
    const std::string txt = (dir / "access-matrix.txt").string();
    const std::string xml = (dir / "access-matrix.xml").string();
    grid->SaveToXLS(xls, true);
    grid->SaveToHTML(html, true);
    grid->SaveToText(txt, true, "\t", "", "");
    grid->SaveToXML(xml, true);
    std::printf("Access matrix exported to %s, %s, %s and %s (with access-matrix.xsl)\n", xls.c_str(), html.c_str(),
                txt.c_str(), xml.c_str());
}

} // namespace qel::demo
