#include "preview/PopupMenuManager.h"

#include "platform/controls/Application.h"
#include "platform/controls/Controls.h"
#include "platform/controls/Menus.h"
#include "platform/core/ClassRegistry.h"
#include "preview/detail/BuilderClassList.h"

#include <algorithm>

namespace qel {

QEL_REGISTER_CLASS(TdxPSPopupMenuManager, TComponent);

namespace {

detail::TBuilderClassList<TdxPSPopupMenuBuilderClass>& BuilderClasses()
{
    static detail::TBuilderClassList<TdxPSPopupMenuBuilderClass> classes;
    return classes;
}

// Not freed by the program's exit: it leaves the input filters behind, which
// may be gone by then. dxPSPopupMenuRelease frees it.
TdxPSPopupMenuManager*& Manager()
{
    static TdxPSPopupMenuManager* manager = nullptr;
    return manager;
}

bool InClient(const TControl* Control, TPoint ScreenPos)
{
    return Control->ClientRect().Contains(Control->ScreenToClient(ScreenPos));
}

} // namespace

// ===== builders ======================================================================

TPopupMenu* TdxStandardPSPopupMenuBuilder::BuildPopupMenu(TControl* Control, TPopupMenu* Menu)
{
    Menu->SetPopupComponent(Control);
    return Menu;
}

void TdxStandardPSPopupMenuBuilder::Popup(int X, int Y, TPopupMenu* Menu, TControl* /*Control*/)
{
    Menu->Popup(X, Y);
}

void dxPSPopupMenuBuilderRegister(const TdxPSPopupMenuBuilderClass* Class) { BuilderClasses().Register(Class); }

void dxPSPopupMenuBuilderUnregister(const TdxPSPopupMenuBuilderClass* Class) { BuilderClasses().Unregister(Class); }

const TdxPSPopupMenuBuilderClass* dxPSPopupMenuCurrentBuilderClass()
{
    return BuilderClasses().Current(dxPSPopupMenuBuilderClassOf<TdxStandardPSPopupMenuBuilder>());
}

// ===== manager =======================================================================

TdxPSPopupMenuManager::TdxPSPopupMenuManager() : TComponent(nullptr)
{
    m_filter = InstallInputFilter([this](const TInputEvent& E) { return OnInput(E); });
}

TdxPSPopupMenuManager::~TdxPSPopupMenuManager()
{
    Destroying();
    RemoveInputFilter(m_filter);
    for (TControl* c : m_controls)
        c->RemoveFreeNotification(this);
}

bool TdxPSPopupMenuManager::IsRegistered(const TControl* Control) const
{
    return Control && std::find(m_controls.begin(), m_controls.end(), Control) != m_controls.end();
}

void TdxPSPopupMenuManager::Add(TControl* Control)
{
    if (!Control || IsRegistered(Control))
        return;
    m_controls.push_back(Control);
    Control->FreeNotification(this);
}

void TdxPSPopupMenuManager::Remove(TControl* Control)
{
    const auto it = std::find(m_controls.begin(), m_controls.end(), Control);
    if (it == m_controls.end())
        return;
    m_controls.erase(it);
    Control->RemoveFreeNotification(this);
}

void TdxPSPopupMenuManager::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove)
        m_controls.erase(std::remove(m_controls.begin(), m_controls.end(), AComponent), m_controls.end());
}

TControl* TdxPSPopupMenuManager::ControlAt(TControl* Target, TPoint ScreenPos) const
{
    if (!Target)
        return nullptr;
    if (auto* win = dynamic_cast<TWinControl*>(Target))
        for (int i = 0; i < win->ControlCount(); ++i)
            if (TControl* child = win->Controls(i); IsRegistered(child) && InClient(child, ScreenPos))
                return child;
    if (IsRegistered(Target))
        return Target;
    for (TControl* p = Target->Parent(); p; p = p->Parent())
        if (IsRegistered(p) && InClient(p, ScreenPos))
            return p;
    return nullptr;
}

bool TdxPSPopupMenuManager::OnInput(const TInputEvent& Event)
{
    if (Event.Kind == iekKeyDown) {
        const bool shiftF10 = Event.Key == VK_F10 && Event.Shift.Contains(ssShift);
        const bool apps = Event.Key == VK_APPS && !Event.Shift.Contains(ssAlt);
        if (!(shiftF10 || apps) || !IsRegistered(Event.Target))
            return false;
        return ShowPopup(Event.Target, {-1, -1});
    }
    if (Event.Kind != iekMouseUp || Event.Button != mbRight)
        return false;
    TControl* control = ControlAt(Event.Target, Event.ScreenPos);
    if (!control)
        return false;
    // The control hears of its own release first, as the platform would tell it.
    if (dynamic_cast<TWinControl*>(control)) {
        TInputEvent up = Event;
        up.Target = control;
        up.ClientPos = control->ScreenToClient(Event.ScreenPos);
        DeliverInputEvent(up);
    }
    ShowPopup(control, Event.ScreenPos);
    // Swallowed either way: the platform's own context menu must not follow.
    return true;
}

bool TdxPSPopupMenuManager::ShowPopup(TControl* Control, TPoint ScreenPos)
{
    TPopupMenu* menu = nullptr;
    for (TControl* c = Control; c && !menu; c = c->Parent())
        menu = c->PopupMenu();
    if (!menu || !menu->AutoPopup())
        return false;
    const bool keyboard = ScreenPos.X < 0;
    if (!keyboard && !InClient(Control, ScreenPos))
        return false;
    const TdxPSPopupMenuBuilderClass* builderClass = dxPSPopupMenuCurrentBuilderClass();
    if (!builderClass->CanShowPopup(menu))
        return false;
    bool handled = false;
    if (Control->OnContextPopup)
        Control->OnContextPopup(Control, keyboard ? TPoint{-1, -1} : Control->ScreenToClient(ScreenPos), handled);
    if (handled)
        return true;
    if (Control->MouseCapture())
        Control->ReleaseCapture();
    if (menu->OnPopup)
        menu->OnPopup(menu);
    if (keyboard)
        ScreenPos = Control->ClientOrigin();
    const std::unique_ptr<TAbstractdxPSPopupMenuBuilder> builder = builderClass->Create();
    if (TPopupMenu* shown = builder->BuildPopupMenu(Control, menu)) {
        builder->Popup(ScreenPos.X, ScreenPos.Y, shown, Control);
        builder->FreePopupMenu(shown);
    }
    return true;
}

// ===== the one manager =================================================================

TdxPSPopupMenuManager* dxPSPopupMenuManager() { return Manager(); }

void dxPSPopupMenuRegister(TControl* Control)
{
    if (!Manager())
        Manager() = new TdxPSPopupMenuManager;
    Manager()->Add(Control);
}

void dxPSPopupMenuUnregister(TControl* Control)
{
    if (Manager())
        Manager()->Remove(Control);
}

void dxPSPopupMenuRelease()
{
    BuilderClasses().Clear();
    delete Manager();
    Manager() = nullptr;
}

} // namespace qel
