#pragma once
// The printing layer calls the dialogs of the preview layer through runners;
// the program installs them all here once, at start-up.
namespace qel {

// Installs every runner of the preview layer and makes the standard
// preview window the preview window class (later calls change nothing).
void dxInstallPreviewDialogs();

} // namespace qel
