#include "preview/PageSetupDialog.h"

#include "platform/controls/ComCtrls.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Guards.h"
#include "preview/PageSetupForm.h"
#include "printing/PrintStyles.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace qel {

QEL_REGISTER_CLASS(TdxPageSetupDialog, TComponent);

// ===== running the dialog ================================================================

std::unique_ptr<TdxfmPageSetupDialog> dxCreatePageSetupForm(const TdxPageSetupDlgData& Data)
{
    std::unique_ptr<TdxfmPageSetupDialog> form(CreateForm<TdxfmPageSetupDialog>(nullptr));
    form->SetupFromRecord(Data);
    form->FillControls();
    return form;
}

bool dxPageSetupDlg(TdxPageSetupDlgData& Data)
{
    if (!Data.PrintStyle)
        return false;
    const std::unique_ptr<TdxfmPageSetupDialog> form = dxCreatePageSetupForm(Data);
    const bool ok = form->ShowModal() == mrOk;
    TBasedxPrintStyle* style = form->CallerStyle();
    if (ok && style) {
        if (form->Modified())
            style->Assign(form->EditedStyle());
        if (form->PreviewBtnClicked() || form->PrintBtnClicked())
            style->SetIsCurrentStyle(true);
    }
    // A style freed meanwhile is not handed back.
    Data.PrintStyle = style;
    Data.ActivePageIndex = form->pgctrlMain->ActivePageIndex();
    Data.PreviewBtnClicked = form->PreviewBtnClicked();
    Data.PrintBtnClicked = form->PrintBtnClicked();
    return ok;
}

std::string dxPageSetupTitle(const std::string& Title, const std::string& StyleCaption, bool InManager)
{
    if (!InManager)
        return Title;
    // Only a missing caption drops the colon: "A:B" stays as it is.
    return StyleCaption.empty() ? Title + " " : Title + ": " + StyleCaption;
}

// ===== the component ========================================================================

TdxPageSetupDialog::TdxPageSetupDialog(TComponent* AOwner) : TComponent(AOwner) {}

TdxPageSetupDialog::~TdxPageSetupDialog() = default;

void TdxPageSetupDialog::SetPrintStyle(TBasedxPrintStyle* Value)
{
    SetFreeNotified(m_printStyle, Value);
}

void TdxPageSetupDialog::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == m_printStyle)
        m_printStyle = nullptr;
}

std::string TdxPageSetupDialog::FormCaption(const TBasedxPrintStyle* Style) const
{
    return dxPageSetupTitle(m_title, Style ? Style->StyleCaption() : std::string(),
                            Style && Style->StyleManager());
}

TdxPageSetupDlgData TdxPageSetupDialog::DialogData(const TdxPageSetupDlgEvents* Events) const
{
    TdxPageSetupDlgData data;
    data.PrintStyle = m_printStyle;
    data.HelpContext = m_helpContext;
    data.ActivePageIndex = m_activePageIndex;
    data.HFMode = m_hfMode;
    data.ButtonsEnabled = m_buttonsEnabled;
    data.ButtonsVisible = m_buttonsVisible;
    data.OptionsEnabled = m_optionsEnabled;
    data.OptionsVisible = m_optionsVisible;
    data.Events = Events;
    data.Title = FormCaption(m_printStyle);
    if (m_printStyle && !m_printStyle->HasStyleOptionsDlg())
        data.ButtonsVisible.Exclude(psbStyleOptions);
    return data;
}

bool TdxPageSetupDialog::Execute()
{
    if (!m_printStyle)
        return false;
    const TdxPageSetupDlgEvents events{OnClose, OnCustomDrawPreview, OnShow};
    TdxPageSetupDlgData data = DialogData(&events);
    const bool result = dxPageSetupDlg(data);
    m_previewBtnClicked = data.PreviewBtnClicked;
    m_printBtnClicked = data.PrintBtnClicked;
    m_activePageIndex = data.ActivePageIndex;
    return result;
}

bool dxRunPrintStylePageSetup(TBasedxPrintStyle& Style, TComponent* Dialog, int ActivePageIndex,
                              bool* PreviewBtnClicked, bool* PrintBtnClicked)
{
    std::unique_ptr<TdxPageSetupDialog> temporary;
    auto* dialog = dynamic_cast<TdxPageSetupDialog*>(Dialog);
    if (!dialog) {
        temporary = std::make_unique<TdxPageSetupDialog>(nullptr);
        dialog = temporary.get();
    }
    // The manager's dialog serves every style: this call's buttons and
    // style do not stay with it.
    const TdxPageSetupDlgButtons buttons = dialog->ButtonsVisible();
    TBasedxPrintStyle* previous = dialog->PrintStyle();
    Finally restore([&] {
        dialog->SetButtonsVisible(buttons);
        dialog->SetPrintStyle(previous);
    });
    TdxPageSetupDlgButtons visible = buttons;
    if (!PreviewBtnClicked)
        visible.Exclude(psbPreview);
    if (!PrintBtnClicked)
        visible.Exclude(psbPrint);
    if (!Style.StyleManager())
        visible.Exclude(psbStyleOptions);
    dialog->SetButtonsVisible(visible);
    dialog->SetPrintStyle(&Style);
    dialog->SetActivePageIndex(ActivePageIndex);
    const bool result = dialog->Execute();
    if (PreviewBtnClicked)
        *PreviewBtnClicked = dialog->PreviewBtnClicked();
    if (PrintBtnClicked)
        *PrintBtnClicked = dialog->PrintBtnClicked();
    return result;
}

// ===== options editors ==========================================================================

namespace {

struct TEditorPair {
    std::string Style;
    std::string Editor;
};

std::unique_ptr<std::vector<TEditorPair>>& EditorPairs()
{
    static std::unique_ptr<std::vector<TEditorPair>> pairs;
    return pairs;
}

// The page setup unit's own registration.
const bool g_baseStyleRegistered = [] {
    RegisterPrintStyleClass("TBasedxPrintStyle", "");
    return true;
}();

} // namespace

void RegisterPrintStyleClass(const std::string& StyleClass, const std::string& EditorClass)
{
    auto& pairs = EditorPairs();
    if (!pairs)
        pairs = std::make_unique<std::vector<TEditorPair>>();
    for (const TEditorPair& p : *pairs)
        if (p.Style == StyleClass && p.Editor == EditorClass)
            return;
    pairs->push_back({StyleClass, EditorClass});
}

void UnregisterPrintStyleClass(const std::string& StyleClass, const std::string& EditorClass)
{
    auto& pairs = EditorPairs();
    if (!pairs)
        return;
    const auto it = std::find_if(pairs->begin(), pairs->end(), [&](const TEditorPair& p) {
        return p.Style == StyleClass && p.Editor == EditorClass;
    });
    if (it != pairs->end())
        pairs->erase(it);
}

void UnregisterAllPrintStyleClasses()
{
    EditorPairs().reset();
}

std::string GetPrintStyleEditorClass(const std::string& StyleClass)
{
    const auto& pairs = EditorPairs();
    if (!pairs)
        return {};
    for (auto it = pairs->rbegin(); it != pairs->rend(); ++it)
        if (it->Style == StyleClass)
            return it->Editor;
    return {};
}

// ===== warning boxes ===============================================================================

int MessageFixRestoreClose(const std::string& Text)
{
    TMessageDlgParams p;
    p.Text = Text;
    p.Type = mtWarning;
    p.Buttons = mbYesNoCancel;
    p.ButtonCaptions = {{mbYes, "&Fix"}, {mbNo, "Restore &Original"}, {mbCancel, "Close"}};
    return MessageDlgEx(p, [](TForm& Form) {
        auto* yes = dynamic_cast<TButton*>(Form.FindComponent(MsgDlgButtonName(mbYes)));
        auto* no = dynamic_cast<TButton*>(Form.FindComponent(MsgDlgButtonName(mbNo)));
        auto* close = dynamic_cast<TButton*>(Form.FindComponent(MsgDlgButtonName(mbCancel)));
        if (!yes || !no || !close)
            return;
        // Room for the longer captions: each button half as wide again.
        const int width = yes->Width();
        const int wide = width * 3 / 2;
        Form.SetClientWidth(Form.ClientWidth() + wide);
        yes->SetWidth(wide);
        no->SetBounds(no->Left() + width / 2, no->Top(), wide, no->Height());
        close->SetBounds(close->Left() + width, close->Top(), wide, close->Height());
    });
}

int MessageFixIgnore(const std::string& Text)
{
    TMessageDlgParams p;
    p.Text = Text;
    p.Type = mtWarning;
    p.Buttons = {mbYes, mbIgnore};
    p.ButtonCaptions = {{mbYes, "&Fix"}};
    return MessageDlgEx(p);
}

} // namespace qel
