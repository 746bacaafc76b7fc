#pragma once
// The "Define Print Styles" dialog: edits, copies, resets and deletes the
// styles of a print style manager, follows the manager's list while it is
// open, and makes the selected style current when it closes. A Preview or
// Print pressed in a style's page setup closes it and is reported.
//
//   TdxDefinePrintStylesDlgData data;
//   data.StyleManager = manager;
//   dxDefinePrintStylesDlg(data);
//   if (data.PrintBtnClicked) Print();
#include "printing/PSForm.h"

#include <memory>
#include <string>

namespace qel {

class TBasedxPrintStyle;
class TButton;
class TLabel;
class TListBox;
class TMenuItem;
class TPopupMenu;
class TdxPrintStyleManager;
class TdxStyleListChangedSubscriber;

struct TdxDefinePrintStylesDlgData {
    TdxPrintStyleManager* StyleManager{nullptr};
    int HelpContext{0};          // 0: the manager's
    std::string Title;           // empty: the manager's
    bool PreviewBtnClicked{false};
    bool PrintBtnClicked{false};
};

class TdxfmDefinePrintStyles : public TCustomdxPSForm {
    QEL_CLASS(TdxfmDefinePrintStyles)
public:
    explicit TdxfmDefinePrintStyles(TComponent* AOwner);
    ~TdxfmDefinePrintStyles() override;

    // Attaching takes the manager's title and help context; nullptr detaches.
    TdxPrintStyleManager* StyleManager() const { return m_manager; }
    void SetStyleManager(TdxPrintStyleManager* Value);
    TBasedxPrintStyle* SelectedStyle() const;
    bool PreviewBtnClicked() const { return m_previewBtnClicked; }
    bool PrintBtnClicked() const { return m_printBtnClicked; }

    TLabel* lblPrintStyles{nullptr};
    TListBox* lbxPrintStyles{nullptr};
    TButton* btnEdit{nullptr};
    TButton* btnCopy{nullptr};
    TButton* btnReset{nullptr};
    TButton* btnClose{nullptr};
    TButton* btnHelp{nullptr};
    TPopupMenu* pmPrintStyles{nullptr};
    TMenuItem* miEdit{nullptr};
    TMenuItem* miCopy{nullptr};
    TMenuItem* miReset{nullptr};
    TMenuItem* miClear{nullptr};

protected:
    void DoShow() override;
    void BoundsChanged() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void CreateControls();
    void LayoutControls();
    // Refills from the manager; the selection keeps its place, cut to the list.
    void RefreshList();
    void SelectStyle(const TBasedxPrintStyle* Style);
    void UpdateControls();
    void EditStyle();
    void CopyStyle();
    void ResetStyle();
    void ClearStyles();
    // Preview or Print pressed in a page setup: the dialog closes with them.
    void TakeButtons(bool Preview, bool Print);

    TdxPrintStyleManager* m_manager{nullptr};
    std::unique_ptr<TdxStyleListChangedSubscriber> m_subscriber;
    // The style whose page setup runs; cleared when it is freed meanwhile.
    TBasedxPrintStyle* m_running{nullptr};
    bool m_previewBtnClicked{false};
    bool m_printBtnClicked{false};
};

// Without a manager both results are false and nothing is shown.
void dxDefinePrintStylesDlg(TdxDefinePrintStylesDlgData& Data);

} // namespace qel
