#pragma once
#include "demo/DemoConfig.h"

#include <string>

namespace qel::demo {

// Builds the box settings dialog for `Box` (labels, edits, a combo box, check
// boxes, a group box, buttons and a status bar) and saves a picture of it.
void SaveBoxDialogPicture(const std::string& FileName, TBoxRecord& Box);

} // namespace qel::demo
