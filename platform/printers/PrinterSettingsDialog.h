#pragma once
// The settings dialog of a printer: paper, paper source, orientation, copies
// and collation, two-sided printing and colour, as the printer offers them.
// It edits a copy of the device mode and writes it back only on OK.
//
// Controls by name, for scripting the dialog: cbxPaper, cbxSource,
// cbxOrientation, edCopies, chbxCollate, cbxDuplex, cbxColor, btnOK, btnCancel.
#include "platform/printers/PrinterBackend.h"

#include <string>
#include <vector>

namespace qel {

bool RunPrinterSettingsDialog(const std::string& PrinterName, const std::vector<TPrinterPaper>& Papers,
                              const std::vector<TPrinterBin>& Bins, const TPrinterLimits& Limits,
                              TDeviceMode& Mode);

} // namespace qel
