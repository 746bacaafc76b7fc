#include "preview/DefinePrintStyles.h"

#include "platform/controls/Application.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Guards.h"
#include "preview/detail/StyleList.h"
#include "printing/EventSystem.h"
#include "printing/PrintStyles.h"

namespace qel {

QEL_REGISTER_CLASS(TdxfmDefinePrintStyles, TCustomdxPSForm);

namespace {

constexpr int kStripHeight = 24;
constexpr int kButtonWidth = 75, kButtonHeight = 23;
constexpr int kMargin = 5;

// Questions of the dialog: an exclamation with OK and Cancel under the application's title.
bool Confirm(const std::string& Text)
{
    MessageBeep(MB_ICONEXCLAMATION);
    return Application().MessageBox(Text, Application().Title(), MB_OKCANCEL | MB_ICONEXCLAMATION) == IDOK;
}

} // namespace

TdxfmDefinePrintStyles::TdxfmDefinePrintStyles(TComponent* AOwner)
    : TCustomdxPSForm(AOwner), m_subscriber(std::make_unique<TdxStyleListChangedSubscriber>())
{
    SetCaption(TdxPrintStyleManager::DefaultTitle);
    SetPosition(poScreenCenter);
    SetKeyPreview(true);
    SetBorderStyle(bsSizeable);
    SetBorderIcons({biSystemMenu});
    Constraints()->SetMinWidth(290);
    Constraints()->SetMinHeight(220);
    CreateControls();
    SetClientWidth(281);
    SetClientHeight(184);
    m_subscriber->OnStyleListChanged = [this](TObject* Sender) {
        if (m_manager && Sender == m_manager) {
            RefreshList();
            UpdateControls();
        }
    };
}

TdxfmDefinePrintStyles::~TdxfmDefinePrintStyles()
{
    Destroying();
    m_subscriber.reset();
}

void TdxfmDefinePrintStyles::CreateControls()
{
    lblPrintStyles = new TLabel(this);
    lblPrintStyles->SetParent(this);
    lblPrintStyles->SetCaption("Print &Styles");
    lbxPrintStyles = new TListBox(this);
    lbxPrintStyles->SetName("lbxPrintStyles");
    lbxPrintStyles->SetParent(this);
    detail::SetUpStyleList(*lbxPrintStyles);
    lbxPrintStyles->OnClick = [this](TObject*) { UpdateControls(); };
    lbxPrintStyles->OnDblClick = [this](TObject*) { EditStyle(); };
    lblPrintStyles->SetFocusControl(lbxPrintStyles);

    const auto button = [this](TButton*& B, const char* Name, const char* Caption, std::function<void()> Action) {
        B = new TButton(this);
        B->SetName(Name);
        B->SetParent(this);
        B->SetCaption(Caption);
        B->SetBounds(0, 0, kButtonWidth, kButtonHeight);
        if (Action)
            B->OnClick = [Action = std::move(Action)](TObject*) { Action(); };
    };
    button(btnEdit, "btnEdit", "&Edit...", [this] { EditStyle(); });
    button(btnCopy, "btnCopy", "&Copy...", [this] { CopyStyle(); });
    button(btnReset, "btnReset", "&Reset", [this] { ResetStyle(); });
    button(btnClose, "btnClose", "Close", nullptr);
    btnClose->SetDefault(true);
    btnClose->SetCancel(true);
    btnClose->SetModalResult(mrOk);
    button(btnHelp, "btnHelp", "&Help", nullptr);

    pmPrintStyles = new TPopupMenu(this);
    const auto item = [this](TMenuItem*& I, const char* Caption, std::function<void()> Action) {
        I = new TMenuItem(this);
        I->SetCaption(Caption);
        I->OnClick = [Action = std::move(Action)](TObject*) { Action(); };
        pmPrintStyles->Items()->Add(I);
    };
    item(miEdit, "&Edit...", [this] { EditStyle(); });
    item(miCopy, "&Copy...", [this] { CopyStyle(); });
    item(miReset, "&Reset", [this] { ResetStyle(); });
    TMenuItem* line = nullptr;
    item(line, "-", [] {});
    item(miClear, "C&lear...", [this] { ClearStyles(); });
    lbxPrintStyles->SetPopupMenu(pmPrintStyles);
}

void TdxfmDefinePrintStyles::BoundsChanged()
{
    TCustomdxPSForm::BoundsChanged();
    if (lbxPrintStyles)
        LayoutControls();
}

void TdxfmDefinePrintStyles::LayoutControls()
{
    const int width = ClientWidth(), height = ClientHeight();
    lblPrintStyles->SetBounds(kMargin, (kStripHeight - lblPrintStyles->Height()) / 2, lblPrintStyles->Width(),
                              lblPrintStyles->Height());
    const int column = kButtonWidth + 14;
    lbxPrintStyles->SetBounds(kMargin, kStripHeight, std::max(0, width - column - kMargin),
                              std::max(0, height - kStripHeight - kMargin));
    const int left = width - column + 7;
    int top = kStripHeight;
    for (TButton* b : {btnEdit, btnCopy, btnReset}) {
        b->SetBounds(left, top, kButtonWidth, kButtonHeight);
        top += kButtonHeight + 6;
    }
    // Close, then Help below it; without Help, Close takes Help's place.
    const int helpTop = top + kButtonHeight + 6 + 14;
    btnHelp->SetBounds(left, helpTop, kButtonWidth, kButtonHeight);
    btnClose->SetBounds(left, btnHelp->Visible() ? helpTop - kButtonHeight - 6 : helpTop, kButtonWidth,
                        kButtonHeight);
}

void TdxfmDefinePrintStyles::SetStyleManager(TdxPrintStyleManager* Value)
{
    if (m_manager == Value)
        return;
    m_manager = Value;
    if (m_manager) {
        FreeNotification(m_manager);
        SetCaption(m_manager->Title());
        if (m_manager->HelpContext() != 0)
            SetHelpContext(m_manager->HelpContext());
    }
    RefreshList();
    UpdateControls();
}

void TdxfmDefinePrintStyles::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomdxPSForm::Notification(AComponent, Operation);
    if (Operation != opRemove || !lbxPrintStyles)
        return;
    if (AComponent == m_running)
        m_running = nullptr;
    if (AComponent == m_manager) {
        m_manager = nullptr;
        lbxPrintStyles->Clear();
        UpdateControls();
        return;
    }
    // A style freed inside one of the manager's brackets, before the manager
    // tells of it: its entry goes now, so nothing paints a freed style.
    if (detail::RemoveStyleEntries(*lbxPrintStyles, AComponent))
        UpdateControls();
}

void TdxfmDefinePrintStyles::RefreshList()
{
    const int selected = lbxPrintStyles->ItemIndex();
    detail::FillStyleList(*lbxPrintStyles, m_manager, *this);
    if (selected >= 0)
        lbxPrintStyles->SetItemIndex(std::min(selected, lbxPrintStyles->Items()->Count() - 1));
    else if (m_manager)
        SelectStyle(m_manager->CurrentStyle());
}

void TdxfmDefinePrintStyles::SelectStyle(const TBasedxPrintStyle* Style)
{
    TStrings* items = lbxPrintStyles->Items();
    for (int i = 0; Style && i < items->Count(); ++i)
        if (items->Objects(i) == Style)
            lbxPrintStyles->SetItemIndex(i);
    UpdateControls();
}

TBasedxPrintStyle* TdxfmDefinePrintStyles::SelectedStyle() const
{
    return detail::SelectedStyleOf(*lbxPrintStyles);
}

void TdxfmDefinePrintStyles::UpdateControls()
{
    TBasedxPrintStyle* style = SelectedStyle();
    const bool deletes = style && !style->BuiltInStyle();
    for (TButton* b : {btnEdit, btnReset})
        b->SetEnabled(style != nullptr);
    for (TMenuItem* i : {miEdit, miReset})
        i->SetEnabled(style != nullptr);
    btnReset->SetCaption(deletes ? "&Delete..." : "&Reset");
    miReset->SetCaption(btnReset->Caption());
    miReset->SetShortCut(deletes ? ShortCut(VK_DELETE, {}) : scNone);
    btnCopy->SetCaption(lbxPrintStyles->Items()->Count() == 0 ? "&New..." : "&Copy...");
    miCopy->SetCaption(btnCopy->Caption());
    btnCopy->SetEnabled(m_manager != nullptr);
    miCopy->SetEnabled(m_manager != nullptr);
    miClear->SetEnabled(m_manager && m_manager->HasNonBuiltInStyles());
    btnHelp->SetVisible(HelpContext() != 0);
    LayoutControls();
}

void TdxfmDefinePrintStyles::DoShow()
{
    RefreshList();
    UpdateControls();
    TCustomdxPSForm::DoShow();
    if (lbxPrintStyles->CanFocus())
        SetActiveControl(lbxPrintStyles);
}

void TdxfmDefinePrintStyles::TakeButtons(bool Preview, bool Print)
{
    if (!Preview && !Print)
        return;
    m_previewBtnClicked = Preview;
    m_printBtnClicked = Print;
    SetModalResult(mrOk);
}

void TdxfmDefinePrintStyles::EditStyle()
{
    TBasedxPrintStyle* style = SelectedStyle();
    if (!style)
        return;
    bool preview = false, print = false;
    m_running = style;
    const bool accepted = style->PageSetup(0, &preview, &print);
    m_running = nullptr;
    if (accepted)
        RefreshList();
    TakeButtons(preview, print);
}

void TdxfmDefinePrintStyles::CopyStyle()
{
    TdxPrintStyleManager* manager = m_manager;
    if (!manager)
        return;
    // With nothing to copy, "&New..." makes a fresh style of the default class.
    TBasedxPrintStyle* copy = manager->BeginClone(manager->IndexOfStyle(SelectedStyle()));
    if (!copy)
        return;
    bool accepted = false, preview = false, print = false;
    m_running = copy;
    FreeNotification(copy);
    {
        // A copy that was not taken goes; the bracket closes even when the
        // page setup raises, unless its manager went meanwhile.
        Finally close([&] {
            copy = m_running;
            m_running = nullptr;
            if (copy && !accepted && !preview && !print) {
                delete copy;
                copy = nullptr;
            }
            if (m_manager)
                manager->EndClone(copy);
        });
        accepted = copy->PageSetup(0, &preview, &print);
    }
    if (copy)
        SelectStyle(copy);
    TakeButtons(preview, print);
}

void TdxfmDefinePrintStyles::ResetStyle()
{
    TBasedxPrintStyle* style = SelectedStyle();
    if (!style)
        return;
    if (style->BuiltInStyle()) {
        style->RestoreDefaults();
        lbxPrintStyles->Invalidate();
        return;
    }
    if (Confirm("Do you want to delete \"" + style->StyleCaption() + "\" ?"))
        delete style;
}

void TdxfmDefinePrintStyles::ClearStyles()
{
    if (m_manager && Confirm("Do you want to delete all not built-in styles ?") && m_manager)
        m_manager->DeleteNonBuiltInStyles();
}

void dxDefinePrintStylesDlg(TdxDefinePrintStylesDlgData& Data)
{
    Data.PreviewBtnClicked = false;
    Data.PrintBtnClicked = false;
    if (!Data.StyleManager)
        return;
    const std::unique_ptr<TdxfmDefinePrintStyles> form(CreateForm<TdxfmDefinePrintStyles>(nullptr));
    form->SetStyleManager(Data.StyleManager);
    if (!Data.Title.empty())
        form->SetCaption(Data.Title);
    if (Data.HelpContext != 0)
        form->SetHelpContext(Data.HelpContext);
    form->ShowModal();
    if (TdxPrintStyleManager* manager = form->StyleManager()) {
        if (TBasedxPrintStyle* selected = form->SelectedStyle())
            manager->SetCurrentStyle(selected);
    }
    form->SetStyleManager(nullptr);
    Data.PreviewBtnClicked = form->PreviewBtnClicked();
    Data.PrintBtnClicked = form->PrintBtnClicked();
}

} // namespace qel
