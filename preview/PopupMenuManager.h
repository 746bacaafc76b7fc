#pragma once
// Context menus of the printing system's controls go through one manager
// instead of the platform's own right-click handling, so that a pluggable
// menu builder can build or replace the menu that is shown. Registered
// controls get their menu on the context-menu keys (Shift+F10, the Apps key)
// and on a right-button release; every other control keeps the platform's
// handling. The manager watches the program's keys and mouse through an
// input filter while it exists.
#include "platform/core/Component.h"
#include "platform/controls/InputFilter.h"

#include <memory>
#include <string>
#include <vector>

namespace qel {

class TControl;
class TPopupMenu;

// Builds the menu shown for a control, shows it and frees what it built.
class TAbstractdxPSPopupMenuBuilder {
public:
    virtual ~TAbstractdxPSPopupMenuBuilder() = default;
    // The menu to show for Control (nullptr: none).
    virtual TPopupMenu* BuildPopupMenu(TControl* Control, TPopupMenu* Menu) = 0;
    virtual void FreePopupMenu(TPopupMenu*& Menu) = 0;
    virtual void Popup(int X, int Y, TPopupMenu* Menu, TControl* Control) = 0;
    // A class method of each builder class: whether the menu may be shown at all.
    static bool CanShowPopup(TPopupMenu* /*Menu*/) { return true; }
};

// Shows the control's own menu at the point.
class TdxStandardPSPopupMenuBuilder : public TAbstractdxPSPopupMenuBuilder {
public:
    TPopupMenu* BuildPopupMenu(TControl* Control, TPopupMenu* Menu) override;
    void FreePopupMenu(TPopupMenu*& /*Menu*/) override {}
    void Popup(int X, int Y, TPopupMenu* Menu, TControl* Control) override;
};

// A builder class: its class method and how to make one.
struct TdxPSPopupMenuBuilderClass {
    bool (*CanShowPopup)(TPopupMenu* Menu);
    std::unique_ptr<TAbstractdxPSPopupMenuBuilder> (*Create)();
};

template <class B>
const TdxPSPopupMenuBuilderClass* dxPSPopupMenuBuilderClassOf()
{
    static const TdxPSPopupMenuBuilderClass c{&B::CanShowPopup,
                                              [] { return std::unique_ptr<TAbstractdxPSPopupMenuBuilder>(new B); }};
    return &c;
}

// The builder classes in registration order; the current one is the last
// registered, or the standard builder when none is.
void dxPSPopupMenuBuilderRegister(const TdxPSPopupMenuBuilderClass* Class);
void dxPSPopupMenuBuilderUnregister(const TdxPSPopupMenuBuilderClass* Class);
const TdxPSPopupMenuBuilderClass* dxPSPopupMenuCurrentBuilderClass();

class TdxPSPopupMenuManager : public TComponent {
    QEL_CLASS(TdxPSPopupMenuManager)
public:
    TdxPSPopupMenuManager();
    ~TdxPSPopupMenuManager() override;

    bool IsRegistered(const TControl* Control) const;
    int Count() const { return static_cast<int>(m_controls.size()); }
    void Add(TControl* Control);
    void Remove(TControl* Control);

    // The control's menu at a screen point; a negative X asks from the
    // keyboard (the control's top-left corner). Answers whether it was shown.
    bool ShowPopup(TControl* Control, TPoint ScreenPos);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    bool OnInput(const TInputEvent& Event);
    // The registered control a right-button release at ScreenPos on Target belongs to.
    TControl* ControlAt(TControl* Target, TPoint ScreenPos) const;

    std::vector<TControl*> m_controls;   // not owned
    TInputFilterHandle m_filter{0};
};

// The manager, or nullptr when it was never needed.
TdxPSPopupMenuManager* dxPSPopupMenuManager();
// Adds the control (once; its freeing removes it), creating the manager if needed.
void dxPSPopupMenuRegister(TControl* Control);
// Removes the control; creates nothing when there is no manager.
void dxPSPopupMenuUnregister(TControl* Control);
// The end of the printing system's menus: every builder class is
// unregistered and the manager freed.
void dxPSPopupMenuRelease();

} // namespace qel
