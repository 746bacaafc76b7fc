#pragma once
// TAbstractdxReportLinkDesignWindow: the base of the windows that set up a
// report link (the tree-list and grid design window derives from it). It
// holds the link being edited, an applied and a modified mark, and the
// buttons every such window has: OK, Cancel, Apply, Help, the two restore
// buttons and Title Properties.
#include "printing/PSForm.h"

#include <string>

namespace qel {

class TBasedxReportLink;
class TButton;

class TAbstractdxReportLinkDesignWindow : public TCustomdxPSForm {
    QEL_CLASS(TAbstractdxReportLinkDesignWindow)
public:
    static constexpr const char* DefaultCaption = "Report Designer";

    explicit TAbstractdxReportLinkDesignWindow(TComponent* AOwner);

    TBasedxReportLink* ReportLink() const { return m_reportLink; }
    // The caption becomes "Report Designer : " and the component's name.
    void SetReportLink(TBasedxReportLink* Value);
    bool Applied() const { return m_applied; }
    bool Modified() const { return m_modified; }
    // Marking the window modified again clears the applied mark.
    void SetModified(bool Value);

    // Modal; true when closed with OK after a change that was not applied.
    virtual bool Execute();
    // Places the buttons for the client size, the help context and the design state.
    void LayoutButtons();
    // Puts the link's settings into the window's controls.
    virtual void LoadControls() {}

    TButton* OKButton() const { return m_ok; }
    TButton* CancelButton() const { return m_cancel; }
    TButton* ApplyButton() const { return m_apply; }
    TButton* HelpButton() const { return m_help; }
    TButton* RestoreDefaultsButton() const { return m_restoreDefaults; }
    TButton* RestoreOriginalButton() const { return m_restoreOriginal; }
    TButton* TitlePropertiesButton() const { return m_titleProperties; }

protected:
    void DoShow() override;
    void Resize() override;
    // Enabled while the link has a component, a preview shows, the window is
    // modified and not yet applied.
    virtual bool CanApply() const;
    virtual void Apply();
    void UpdateApplyButton();
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TButton* NewButton(const std::string& Name, const std::string& Caption);

    TBasedxReportLink* m_reportLink{nullptr};
    bool m_applied{false};
    bool m_modified{false};
    TButton* m_ok;
    TButton* m_cancel;
    TButton* m_apply;
    TButton* m_help;
    TButton* m_restoreDefaults;
    TButton* m_restoreOriginal;
    TButton* m_titleProperties;
};

} // namespace qel
