#include "dbgrid/ExportGrid.h"

#include "dbgrid/DBGridExportExcel.h"
#include "dbgrid/DBGridExportHTML.h"
#include "dbgrid/DBGridExportText.h"
#include "dbgrid/DBGridExportXML.h"

namespace qel {

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

} // namespace qel
