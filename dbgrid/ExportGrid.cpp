#include "dbgrid/ExportGrid.h"

#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridExportAccess.h"
#include "dbgrid/DBGridExportExcel.h"
#include "dbgrid/DBGridExportHTML.h"
#include "dbgrid/DBGridExportText.h"
#include "dbgrid/DBGridExportXML.h"

namespace qel {

namespace {

// A grid is exported through its access, with its rows held whole meanwhile.
template <class F>
void ThroughAccess(TCustomdxDBGrid* Grid, const F& Export)
{
    Grid->HoldRowsWhile([&] {
        TdxDBGridExportAccess access(Grid);
        Export(&access);
    });
}

} // namespace

void dxExportGridToHTML(TdxExportGridAccess* Grid, const std::string& FileName, bool SaveAll)
{
    TdxDBGridExportHTML(Grid, FileName, SaveAll).SaveToFile();
}

void dxExportGridToXLS(TdxExportGridAccess* Grid, const std::string& FileName, bool SaveAll)
{
    TdxDBGridExportExcel(Grid, FileName, SaveAll).SaveToFile();
}

void dxExportGridToText(TdxExportGridAccess* Grid, const std::string& FileName, bool SaveAll,
                        const std::string& Separator, const std::string& BeginString, const std::string& EndString)
{
    TdxDBGridExportText(Grid, FileName, SaveAll, Separator, BeginString, EndString).SaveToFile();
}

void dxExportGridToXML(TdxExportGridAccess* Grid, const std::string& FileName, bool SaveAll)
{
    TdxDBGridExportXML(Grid, FileName, SaveAll).SaveToFile();
}

void dxExportGridToHTML(TCustomdxDBGrid* Grid, const std::string& FileName, bool SaveAll)
{
    ThroughAccess(Grid, [&](TdxExportGridAccess* Access) { dxExportGridToHTML(Access, FileName, SaveAll); });
}

void dxExportGridToXLS(TCustomdxDBGrid* Grid, const std::string& FileName, bool SaveAll)
{
    ThroughAccess(Grid, [&](TdxExportGridAccess* Access) { dxExportGridToXLS(Access, FileName, SaveAll); });
}

void dxExportGridToText(TCustomdxDBGrid* Grid, const std::string& FileName, bool SaveAll,
                        const std::string& Separator, const std::string& BeginString, const std::string& EndString)
{
    ThroughAccess(Grid, [&](TdxExportGridAccess* Access) {
        dxExportGridToText(Access, FileName, SaveAll, Separator, BeginString, EndString);
    });
}

void dxExportGridToXML(TCustomdxDBGrid* Grid, const std::string& FileName, bool SaveAll)
{
    ThroughAccess(Grid, [&](TdxExportGridAccess* Access) { dxExportGridToXML(Access, FileName, SaveAll); });
}

// The grid's entry points live here, beside the writers they call.
void TCustomdxDBGrid::SaveToHTML(const std::string& FileName, bool SaveAll)
{
    dxExportGridToHTML(this, FileName, SaveAll);
}

void TCustomdxDBGrid::SaveToXLS(const std::string& FileName, bool SaveAll)
{
    dxExportGridToXLS(this, FileName, SaveAll);
}

void TCustomdxDBGrid::SaveToText(const std::string& FileName, bool SaveAll, const std::string& Separator,
                                 const std::string& BeginString, const std::string& EndString)
{
    dxExportGridToText(this, FileName, SaveAll, Separator, BeginString, EndString);
}

void TCustomdxDBGrid::SaveToXML(const std::string& FileName, bool SaveAll)
{
    dxExportGridToXML(this, FileName, SaveAll);
}

} // namespace qel
