#pragma once
// TForm: a top-level window with a caption, border style and icons,
// placement on the screen, a main menu, Show and ShowModal (a nested event
// loop that ends when ModalResult is set), closing with OnCloseQuery and
// OnClose, key preview, and the dialog keys: Enter presses the Default
// button, Esc the Cancel button, Alt+letter the control with that
// accelerator in its caption.
#include "platform/controls/Controls.h"

namespace qel {

class TIcon;
class TMainMenu;

enum TCloseAction : std::uint8_t { caNone, caHide, caFree, caMinimize };
enum TWindowState : std::uint8_t { wsNormal, wsMinimized, wsMaximized };
enum TPosition : std::uint8_t {
    poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
    poMainFormCenter, poOwnerFormCenter
};
enum TBorderIcon : std::uint8_t { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum TFormStyle : std::uint8_t { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

// Minimum and maximum size of a form; 0 means no limit.
class TSizeConstraints : public TPersistent {
    QEL_CLASS(TSizeConstraints)
public:
    int MinWidth() const { return m_minWidth; }
    int MinHeight() const { return m_minHeight; }
    int MaxWidth() const { return m_maxWidth; }
    int MaxHeight() const { return m_maxHeight; }
    void SetMinWidth(int Value) { m_minWidth = std::max(0, Value); Changed(); }
    void SetMinHeight(int Value) { m_minHeight = std::max(0, Value); Changed(); }
    void SetMaxWidth(int Value) { m_maxWidth = std::max(0, Value); Changed(); }
    void SetMaxHeight(int Value) { m_maxHeight = std::max(0, Value); Changed(); }
    void Assign(TPersistent* Source) override;

    // The form listens here (a change link); OnChange is the user's.
    TChangeLinks& Changes() { return m_changes; }
    TNotifyEvent OnChange;

private:
    void Changed()
    {
        if (!m_changes.Notify(this))
            return;
        if (OnChange)
            OnChange(this);
    }
    TChangeLinks m_changes;
    int m_minWidth{0}, m_minHeight{0}, m_maxWidth{0}, m_maxHeight{0};
};

// What a dialog stores to come back where it was: the state and the
// restored (normal) rectangle in screen coordinates.
struct TWindowPlacement {
    TWindowState State = wsNormal;
    TRect NormalBounds;
};

class TForm : public TWinControl {
    QEL_CLASS(TForm)
public:
    explicit TForm(TComponent* AOwner);
    ~TForm() override;

    // Fires OnCreate once. CreateForm calls it after construction; a form
    // built otherwise runs it when first shown.
    virtual void AfterConstruction();

    // ----- window -----------------------------------------------------------------
    TFormBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TFormBorderStyle Value);
    TBorderIcons BorderIcons() const { return m_borderIcons; }
    void SetBorderIcons(TBorderIcons Value);
    TPosition Position() const { return m_position; }
    void SetPosition(TPosition Value) { m_position = Value; }
    TFormStyle FormStyle() const { return m_formStyle; }
    void SetFormStyle(TFormStyle Value);
    TWindowState WindowState() const { return m_windowState; }
    void SetWindowState(TWindowState Value);
    TSizeConstraints* Constraints() const { return m_constraints.get(); }
    bool KeyPreview() const { return m_keyPreview; }
    void SetKeyPreview(bool Value) { m_keyPreview = Value; }
    int HelpContext() const { return m_helpContext; }
    void SetHelpContext(int Value) { m_helpContext = Value; }
    TMainMenu* Menu() const { return m_menu; }
    void SetMenu(TMainMenu* Value);
    // The icon of the window's title bar; empty (the default) shows the
    // program's own. Setting copies the icon.
    const TIcon* Icon() const { return m_icon.get(); }
    void SetIcon(const TIcon* Value);

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    TRect ClientRect() const override;
    void SetClientWidth(int Value) override;
    void SetClientHeight(int Value) override;

    // The restored rectangle and the state, for storing window placement.
    TWindowPlacement Placement() const;
    void SetPlacement(const TWindowPlacement& Value);
    TRect RestoredBounds() const { return m_normalBounds; }

    // ----- focus ------------------------------------------------------------------
    TWinControl* ActiveControl() const { return m_activeControl; }
    void SetActiveControl(TWinControl* Value);
    bool Active() const;
    // True while the mouse press that activated this form is handled: a press
    // on a control of a shown form that is not active (or of a program that
    // is not active) activates the form first, then reaches the control. A
    // control that swallows activating clicks asks it in MouseDown.
    bool ClickActivating() const { return m_clickActivating; }
    void SetFocus() override;
    bool CanFocus() const override;

    // ----- showing and closing --------------------------------------------------
    void SetVisible(bool Value) override;
    void Show();
    // Shows the form modally and runs a nested event loop until ModalResult
    // is set and the form agrees to close; answers ModalResult. Raises
    // EInvalidOperation "Cannot make a visible window modal" when the form is
    // visible, disabled or already modal.
    virtual TModalResult ShowModal();
    bool Modal() const { return m_modal; }
    TModalResult ModalResult() const { return m_modalResult; }
    void SetModalResult(TModalResult Value) { m_modalResult = Value; }
    // A modal form gets ModalResult mrCancel; otherwise OnCloseQuery may
    // refuse and OnClose decides what happens (caHide by default).
    void Close();
    virtual bool CloseQuery();
    // Frees the form once the current event has been handled.
    void Release();

    // ----- keys ---------------------------------------------------------------------
    // A menu shortcut of the form's menus: runs the item and answers true.
    virtual bool IsShortCut(std::uint16_t Key, TShiftState Shift);
    // Enter, Esc and accelerators that the focused control left alone.
    virtual bool DialogKey(std::uint16_t Key, TShiftState Shift, TKeyChar Ch);
    // Hands Ch to the controls' accelerators; answers true when one took it.
    bool DispatchAccelerator(TKeyChar Ch);

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;

protected:
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& Action);
    virtual void Activate();
    virtual void Deactivate();
    void BoundsChanged() override;
    // The caption is the window's title.
    void TextChanged() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TScreen;
    friend class TWinControl;
    friend class detail::FormWidget;
    friend class detail::ControlBridge;

    void ApplyWindowFlags();
    void ApplyPosition();
    void ApplySizeLimits();
    void LayoutClient();
    void CloseModal();
    void WidgetCloseRequested();
    void WidgetStateChanged();
    void FocusChanged(TWinControl* Control);
    bool Sizeable() const { return m_borderStyle == bsSizeable || m_borderStyle == bsSizeToolWin; }

    QWidget* m_client{nullptr};
    QWidget* m_menuBar{nullptr};
    TFormBorderStyle m_borderStyle{bsSizeable};
    TBorderIcons m_borderIcons{biSystemMenu, biMinimize, biMaximize};
    TPosition m_position{poDesigned};
    TFormStyle m_formStyle{fsNormal};
    TWindowState m_windowState{wsNormal};
    std::unique_ptr<TSizeConstraints> m_constraints;
    TChangeLink m_constraintsLink;
    bool m_keyPreview{false};
    int m_helpContext{0};
    TMainMenu* m_menu{nullptr};
    TChangeLink m_menuLink;
    std::unique_ptr<TIcon> m_icon;
    TWinControl* m_activeControl{nullptr};
    bool m_created{false};
    bool m_modal{false};
    bool m_showing{false};
    bool m_clickActivating{false};
    TModalResult m_modalResult{mrNone};
    TRect m_normalBounds;
    bool m_settingBounds{false};
};

// Constructs a form and runs its AfterConstruction (OnCreate).
template <class F, class... Args>
F* CreateForm(Args&&... AArgs)
{
    F* form = new F(std::forward<Args>(AArgs)...);
    form->AfterConstruction();
    return form;
}

} // namespace qel
