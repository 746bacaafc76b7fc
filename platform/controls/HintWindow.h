#pragma once
// A small borderless window showing a hint text at a screen rectangle (the
// preview's margin and page-number hints), in the desktop's small interface
// font (TScreen::GetStatusBarFont), or 8 points of the control font.
#include "platform/controls/Controls.h"

namespace qel {

class THintWindow : public TCustomControl {
    QEL_CLASS(THintWindow)
public:
    explicit THintWindow(TComponent* AOwner);

    // Shows Hint in Rect (screen coordinates), on top, without taking the focus.
    virtual void ActivateHint(const TRect& Rect, const std::string& Hint);
    // The rectangle (at 0, 0) the text needs, lines broken at MaxWidth.
    virtual TRect CalcHintRect(int MaxWidth, const std::string& Hint);
    void ReleaseHandle();
    bool Active() const;

protected:
    void Paint() override;
    void ApplyVisible() override;
    bool AcceptsFocus() const override { return false; }
};

} // namespace qel
