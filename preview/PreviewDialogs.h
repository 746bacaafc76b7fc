#pragma once
// The preview layer's dialogs reach the printing layer through runners that
// are installed once at start-up.
namespace qel {

void dxInstallPreviewDialogs();

} // namespace qel
