#include "preview/PicturePreview.h"

#include "platform/controls/Application.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/core/ClassRegistry.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"
#include "printing/PrintControls.h"

#include <cstdio>
#include <memory>

namespace qel {

QEL_REGISTER_CLASS(TfmPicturePreview, TForm);

TfmPicturePreview::TfmPicturePreview(TComponent* AOwner) : TForm(AOwner)
{
    m_savedCursor = Screen().Cursor();
    Screen().SetCursor(crHourGlass);
    m_cursorReplaced = true;

    SetBorderIcons({biSystemMenu, biMaximize});
    SetCaption("Picture Preview");
    SetPosition(poScreenCenter);
    SetBorderStyle(bsSizeToolWin);

    m_statusBar = new TStatusBar(this);
    m_statusBar->SetParent(this);
    m_statusBar->SetAlign(alBottom);
    m_statusBar->Panels()->Add()->SetWidth(250);
    m_statusBar->Panels()->Add();

    m_scrollBox = new TScrollBox(this);
    m_scrollBox->SetParent(this);
    m_scrollBox->SetAlign(alClient);
    m_scrollBox->HorzScrollBar()->SetTracking(true);
    m_scrollBox->VertScrollBar()->SetTracking(true);

    m_panel = new TdxPSPaintPanel(this);
    m_panel->SetParent(m_scrollBox);
    m_panel->SetEdgeBorders({});
    m_panel->OnPaint = [this](TObject*) {
        if (m_picture)
            m_panel->Canvas()->Draw(0, 0, m_picture);
    };
}

TfmPicturePreview::~TfmPicturePreview()
{
    Destroying();
    RestoreCursor();
}

void TfmPicturePreview::RestoreCursor()
{
    if (!m_cursorReplaced)
        return;
    m_cursorReplaced = false;
    Screen().SetCursor(m_savedCursor);
}

void TfmPicturePreview::SetPicture(const TGraphic* Value)
{
    m_picture = Value;
    if (!m_picture)
        return;
    m_panel->SetBounds(5, 5, m_picture->Width() + 5, m_picture->Height() + 5);
    SetBounds(Left(), Top(), m_panel->Width() + 40, m_panel->Height() + 60);
    char text[128];
    std::snprintf(text, sizeof text, "%s : %d   %s : %d", "Width", m_picture->Width(), "Height",
                  m_picture->Height());
    m_statusBar->Panels()->Items(0)->SetText(text);
    m_panel->Invalidate();
}

void TfmPicturePreview::VisibleChanged()
{
    TForm::VisibleChanged();
    // The window is on the screen: the wait is over.
    if (Visible())
        RestoreCursor();
}

void dxShowPicturePreview(const TGraphic* Graphic)
{
    const std::unique_ptr<TfmPicturePreview> form(CreateForm<TfmPicturePreview>(nullptr));
    form->SetPicture(Graphic);
    form->ShowModal();
}

} // namespace qel
