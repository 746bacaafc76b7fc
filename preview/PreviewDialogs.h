#pragma once
// The printing layer calls the dialogs of the preview layer through runners;
// the program installs them all here once, at start-up.
namespace qel {

// Installs every runner of the preview layer (later calls change nothing).
void dxInstallPreviewDialogs();

} // namespace qel
