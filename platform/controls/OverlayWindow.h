#pragma once
// An overlay: a window that floats over everything, usually following the
// pointer (the image of a dragged header, the drag arrows, the preview's
// margin lines). It draws itself, never on the window under it, so moving or
// hiding it leaves nothing behind and nobody has to repaint. Mouse input goes
// through it to the windows below, and it never takes the focus.
//
//   TOverlayWindow drag(nullptr);
//   drag.SetImage(headerPicture.get());
//   drag.SetHotSpot({x, y});             // where the pointer grabbed the header
//   drag.SetFollowPointer(true);
//   drag.ShowAt(GetCursorPos());
#include "platform/controls/Controls.h"
#include "platform/controls/InputFilter.h"

#include <memory>

namespace qel {

class TBitmap;

class TOverlayWindow : public TCustomControl {
    QEL_CLASS(TOverlayWindow)
public:
    explicit TOverlayWindow(TComponent* AOwner);
    ~TOverlayWindow() override;

    // What it shows: a copy of Image, whose size becomes the window's (nullptr:
    // no image; then Paint or OnPaint draws it at the size set with SetBounds).
    void SetImage(const TBitmap* Image);
    const TBitmap* Image() const { return m_image.get(); }
    // The point of the overlay (its own coordinates) that sits on the pointer.
    TPoint HotSpot() const { return m_hotSpot; }
    void SetHotSpot(TPoint Value) { m_hotSpot = Value; }

    // Shows it with the hot spot at a screen point, or moves it there.
    void ShowAt(TPoint ScreenPos);
    void MoveTo(TPoint ScreenPos);
    void HideOverlay() { SetVisible(false); }
    // While on, every mouse move moves the hot spot to the pointer.
    bool FollowPointer() const { return m_filter != 0; }
    void SetFollowPointer(bool Value);

    TNotifyEvent OnPaint;

protected:
    void Paint() override;
    void ApplyVisible() override;
    bool AcceptsFocus() const override { return false; }

private:
    std::unique_ptr<TBitmap> m_image;
    TPoint m_hotSpot{};
    TInputFilterHandle m_filter{0};
};

} // namespace qel
