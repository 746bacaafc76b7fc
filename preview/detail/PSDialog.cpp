#include "preview/detail/PSDialog.h"

#include "platform/controls/StdCtrls.h"
#include "platform/core/ClassRegistry.h"
#include "platform/storage/Registry.h"
#include "preview/detail/DialogLayout.h"
#include "printing/PSEngine.h"

namespace qel {

QEL_REGISTER_CLASS(TdxPSDialog, TCustomdxPSForm);

namespace {
constexpr int kButtonWidth = 75, kButtonHeight = 23, kGap = 6, kMargin = 8;
}

TdxPSDialog::TdxPSDialog(TComponent* AOwner, const std::string& Caption, int ClientWidth, int ClientHeight)
    : TCustomdxPSForm(AOwner)
{
    SetCaption(Caption);
    SetBorderStyle(bsDialog);
    SetBorderIcons({biSystemMenu});
    SetPosition(poScreenCenter);
    SetClientWidth(ClientWidth);
    SetClientHeight(ClientHeight);
    using detail::PlaceButton;
    btnOK = PlaceButton(this, this, "btnOK", "OK", 0, 0, kButtonWidth, kButtonHeight);
    btnOK->SetDefault(true);
    btnOK->SetModalResult(mrOk);
    btnCancel = PlaceButton(this, this, "btnCancel", "Cancel", 0, 0, kButtonWidth, kButtonHeight);
    btnCancel->SetCancel(true);
    btnCancel->SetModalResult(mrCancel);
    btnHelp = PlaceButton(this, this, "btnHelp", "&Help", 0, 0, kButtonWidth, kButtonHeight);
    ArrangeButtons(0);
}

void TdxPSDialog::ArrangeButtons(int HelpContext)
{
    SetHelpContext(HelpContext);
    const bool help = HelpContext != 0;
    btnHelp->SetVisible(help);
    TBorderIcons icons = BorderIcons();
    SetBorderIcons(icons.Set(biHelp, help));
    const int top = ClientHeight() - kMargin - kButtonHeight;
    int right = ClientWidth() - kMargin;
    for (TButton* b : {btnHelp, btnCancel, btnOK}) {
        if (!b->Visible())
            continue;
        b->SetBounds(right - kButtonWidth, top, kButtonWidth, kButtonHeight);
        right -= kButtonWidth + kGap;
    }
}

void TdxPSDialog::Changed()
{
    if (!m_loading)
        m_modified = true;
}

bool TdxPSDialog::Execute()
{
    return ShowModal() == mrOk && m_modified;
}

void detail::StoreDialogSettings(const TCustomdxPSForm& Form, const std::function<void(TRegistry&)>& Write)
{
    if (!Form.StoresPlacement())
        return;
    try {
        TRegistry registry;
        if (registry.OpenKey(Form.GetPlacementKey(dxPSEngine()->GetRegistryPath()), true))
            Write(registry);
    } catch (const std::exception& E) {
        Application().HandleException(E);
    }
}

} // namespace qel
