#pragma once
// The export functions behind the grid's SaveToHTML, SaveToXLS, SaveToText
// and SaveToXML: each creates its writer, runs SaveToFile and frees it.
#include "dbgrid/ExportGridAccess.h"

#include <string>

namespace qel {

void dxExportGridToHTML(TdxExportGridAccess* Grid, const std::string& FileName, bool SaveAll);
void dxExportGridToXLS(TdxExportGridAccess* Grid, const std::string& FileName, bool SaveAll);
void dxExportGridToText(TdxExportGridAccess* Grid, const std::string& FileName, bool SaveAll,
                        const std::string& Separator, const std::string& BeginString, const std::string& EndString);
void dxExportGridToXML(TdxExportGridAccess* Grid, const std::string& FileName, bool SaveAll);

// The same for a data-bound grid (nullptr: an empty file).
class TCustomdxDBGrid;
void dxExportGridToHTML(TCustomdxDBGrid* Grid, const std::string& FileName, bool SaveAll);
void dxExportGridToXLS(TCustomdxDBGrid* Grid, const std::string& FileName, bool SaveAll);
void dxExportGridToText(TCustomdxDBGrid* Grid, const std::string& FileName, bool SaveAll,
                        const std::string& Separator, const std::string& BeginString, const std::string& EndString);
void dxExportGridToXML(TCustomdxDBGrid* Grid, const std::string& FileName, bool SaveAll);

} // namespace qel
