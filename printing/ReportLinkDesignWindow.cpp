#include "printing/ReportLinkDesignWindow.h"

#include "platform/controls/Application.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/MathUtils.h"
#include "printing/PSEngine.h"
#include "printing/ReportLink.h"

namespace qel {

QEL_REGISTER_CLASS(TAbstractdxReportLinkDesignWindow, TCustomdxPSForm);

TAbstractdxReportLinkDesignWindow::TAbstractdxReportLinkDesignWindow(TComponent* AOwner) : TCustomdxPSForm(AOwner)
{
    SetCaption(DefaultCaption);
    m_ok = NewButton("btnOK", "OK");
    m_ok->SetDefault(true);
    m_ok->SetModalResult(mrOk);
    m_cancel = NewButton("btnCancel", "Cancel");
    m_cancel->SetCancel(true);
    m_cancel->SetModalResult(mrCancel);
    m_apply = NewButton("btnApply", "&Apply");
    m_apply->OnClick = [this](TObject*) { Apply(); };
    m_help = NewButton("btnHelp", "&Help");
    m_restoreDefaults = NewButton("btnRestoreDefaults", "&Restore Defaults");
    m_restoreDefaults->OnClick = [this](TObject*) {
        if (m_reportLink)
            m_reportLink->RestoreDefaults();
        LoadControls();
        SetModified(true);
    };
    m_restoreOriginal = NewButton("btnRestoreOriginal", "Restore &Original");
    m_restoreOriginal->OnClick = [this](TObject*) {
        if (m_reportLink)
            m_reportLink->RestoreFromOriginal();
        LoadControls();
        SetModified(true);
    };
    m_titleProperties = NewButton("btnTitleProperties", "Title Properties...");
    m_titleProperties->OnClick = [this](TObject*) {
        if (m_reportLink && m_reportLink->ShowTitlePropertiesDlg())
            SetModified(true);
    };
    LayoutButtons();
    UpdateApplyButton();
}

TButton* TAbstractdxReportLinkDesignWindow::NewButton(const std::string& Name, const std::string& Caption)
{
    auto* button = new TButton(this);
    button->SetName(Name);
    button->SetCaption(Caption);
    button->SetParent(this);
    return button;
}

void TAbstractdxReportLinkDesignWindow::SetReportLink(TBasedxReportLink* Value)
{
    if (SetFreeNotified(m_reportLink, Value)) {
        std::string caption = DefaultCaption;
        if (m_reportLink && m_reportLink->Component())
            caption += " : " + m_reportLink->Component()->Name();
        SetCaption(caption);
        LoadControls();
    }
    LayoutButtons();
    UpdateApplyButton();
}

void TAbstractdxReportLinkDesignWindow::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomdxPSForm::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == m_reportLink)
        m_reportLink = nullptr;
}

void TAbstractdxReportLinkDesignWindow::SetModified(bool Value)
{
    m_modified = Value;
    if (Value)
        m_applied = false;
    UpdateApplyButton();
}

bool TAbstractdxReportLinkDesignWindow::CanApply() const
{
    TAbstractdxComponentPrinter* printer = m_reportLink ? m_reportLink->ComponentPrinter() : nullptr;
    return m_reportLink && m_reportLink->Component() && printer && printer->IsPreviewShowing() && m_modified &&
           !m_applied;
}

void TAbstractdxReportLinkDesignWindow::UpdateApplyButton()
{
    m_apply->SetEnabled(CanApply());
}

void TAbstractdxReportLinkDesignWindow::Apply()
{
    if (!CanApply())
        return;
    m_reportLink->Rebuild();
    m_applied = true;
    m_cancel->SetCaption("Close");
    UpdateApplyButton();
}

bool TAbstractdxReportLinkDesignWindow::Execute()
{
    return ShowModal() == mrOk && m_modified && !m_applied;
}

void TAbstractdxReportLinkDesignWindow::DoShow()
{
    LayoutButtons();
    UpdateApplyButton();
    TCustomdxPSForm::DoShow();
}

void TAbstractdxReportLinkDesignWindow::Resize()
{
    TCustomdxPSForm::Resize();
    LayoutButtons();
}

void TAbstractdxReportLinkDesignWindow::LayoutButtons()
{
    if (!m_ok)
        return;
    const int ppi = Screen().PixelsPerInch();
    auto px = [ppi](int V) { return MulDiv(V, ppi, 96); };
    const int width = px(75);
    const int wide = px(100);
    const int height = px(23);
    const int gap = px(4);
    const int top = ClientHeight() - px(6) - height;
    const bool help = HelpContext() != 0;
    m_help->SetVisible(help);
    TBorderIcons icons = BorderIcons();
    SetBorderIcons(help ? icons.Include(biHelp) : icons.Exclude(biHelp));
    // From the right edge leftwards; without help the others move one place right.
    TButton* right[] = {m_help, m_apply, m_cancel, m_ok};
    int slot = 0;
    for (TButton* b : right) {
        if (b == m_help && !help)
            continue;
        b->SetBounds(ClientWidth() - gap - width - slot * (width + gap), top, width, height);
        ++slot;
    }
    const bool designing = dxPSIsDesignTime();
    m_restoreOriginal->SetVisible(designing);
    m_restoreDefaults->SetVisible(designing);
    m_titleProperties->SetVisible(!designing);
    m_restoreOriginal->SetBounds(gap, top, wide, height);
    m_restoreDefaults->SetBounds(gap + wide + gap, top, wide, height);
    m_titleProperties->SetBounds(gap, top, wide, height);
    int order = 0;
    for (TButton* b : {m_restoreOriginal, m_restoreDefaults, m_titleProperties, m_ok, m_cancel, m_apply, m_help})
        if (b->Visible())
            b->SetTabOrder(order++);
}

} // namespace qel
