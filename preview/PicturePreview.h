#pragma once
// A small modal window that shows a picture (a page background chosen in the
// fill-effects dialog) at its natural size in a scrollable area, with its
// width and height in a status bar. The hourglass shows while it is built
// and goes as soon as the window is on the screen.
#include "platform/controls/Forms.h"

namespace qel {

class TGraphic;
class TScrollBox;
class TStatusBar;
class TdxPSPaintPanel;

class TfmPicturePreview : public TForm {
    QEL_CLASS(TfmPicturePreview)
public:
    explicit TfmPicturePreview(TComponent* AOwner);
    ~TfmPicturePreview() override;

    // Not owned; sizes the panel and the window and fills the status bar.
    const TGraphic* Picture() const { return m_picture; }
    void SetPicture(const TGraphic* Value);

    TStatusBar* StatusBar() const { return m_statusBar; }
    TScrollBox* ScrollBox() const { return m_scrollBox; }
    TdxPSPaintPanel* PaintPanel() const { return m_panel; }

protected:
    void VisibleChanged() override;

private:
    void RestoreCursor();

    bool m_cursorReplaced{false};
    TCursor m_savedCursor{crDefault};
    TStatusBar* m_statusBar{nullptr};
    TScrollBox* m_scrollBox{nullptr};
    TdxPSPaintPanel* m_panel{nullptr};
    const TGraphic* m_picture{nullptr};
};

// Creates the window, shows Graphic in it modally and frees it.
void dxShowPicturePreview(const TGraphic* Graphic);

} // namespace qel
