#pragma once
// The control tree: TControl (a rectangle on a parent with mouse input,
// painting, cursor, hint and popup menu), TWinControl (can hold child
// controls, lays out aligned children, takes the focus and keys),
// TGraphicControl and TCustomControl (painted through Paint() on Canvas()).
// Each control wraps one Qt widget that it owns.
#include "platform/controls/Keyboard.h"
#include "platform/core/Alignment.h"
#include "platform/core/Component.h"
#include "platform/core/Events.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Graphics.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;
class QObject;
class QPainter;

namespace qel {

namespace detail {
class ControlBridge;
class PaintWidget;
class FormWidget;
} // namespace detail

enum TAlign : std::uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TMouseButton : std::uint8_t { mbLeft, mbRight, mbMiddle };
enum TScrollStyle : std::uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };
// Border styles of forms; controls use bsNone and bsSingle.
enum TScrollBarKind : std::uint8_t { sbHorizontal, sbVertical };
// How a control's window scroll bars look: the standard raised bars, flat
// ones with a thin shadow frame, or ultra-flat ones whose parts show an edge
// only under the pointer.
enum TScrollBarStyle : std::uint8_t { sbsStandard, sbsFlat, sbsUltraFlat };
enum TScrollCode : std::uint8_t {
    scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll
};
// Window scroll bars (the platform's SB_* bar identifiers).
enum : int { SB_HORZ = 0, SB_VERT = 1 };
// Fields of a window scroll bar, as the platform's SCROLLINFO: Max is
// inclusive; TrackPos is where the thumb is while it is dragged.
struct TScrollInfo {
    int Min = 0;
    int Max = 0;
    int Page = 0;
    int Pos = 0;
    int TrackPos = 0;
};
enum TFormBorderStyle : std::uint8_t { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;

// ----- cursors ------------------------------------------------------------------
using TCursor = std::int16_t;
inline constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4,
    crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10,
    crHourGlass = -11, crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15,
    crMultiDrag = -16, crSQLWait = -17, crNo = -18, crAppStart = -19, crHelp = -20,
    crHandPoint = -21, crSizeAll = -22, crSize = crSizeAll;
// The pointing hand over a hyperlink (single-click hyperlink cells).
inline constexpr TCursor crHyperlink = -1140;

// ----- modal results ---------------------------------------------------------------
using TModalResult = int;
inline constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4,
    mrIgnore = 5, mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

// ----- events ------------------------------------------------------------------------
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
using TKeyEvent = std::function<void(TObject* Sender, std::uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, TKeyChar& Key)>;
using TContextPopupEvent = std::function<void(TObject* Sender, TPoint MousePos, bool& Handled)>;

class TWinControl;
class TForm;
class TPopupMenu;
struct TMessage;

class TControl : public TComponent {
    QEL_CLASS(TControl)
public:
    // A painted control without children (see TGraphicControl).
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    // ----- tree ------------------------------------------------------------------
    TWinControl* Parent() const { return m_parent; }
    virtual void SetParent(TWinControl* AParent);
    bool HasParent() const override { return m_parent != nullptr; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* Value) override;

    // ----- bounds (relative to the parent's client area) ---------------------------
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetLeft(int Value) { SetBounds(Value, Top(), Width(), Height()); }
    void SetTop(int Value) { SetBounds(Left(), Value, Width(), Height()); }
    void SetWidth(int Value) { SetBounds(Left(), Top(), Value, Height()); }
    void SetHeight(int Value) { SetBounds(Left(), Top(), Width(), Value); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TRect BoundsRect() const { return Bounds(Left(), Top(), Width(), Height()); }
    void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Width(), R.Height()); }
    // The area children and painting use, at (0, 0).
    virtual TRect ClientRect() const;
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }
    virtual void SetClientWidth(int Value);
    virtual void SetClientHeight(int Value);
    TPoint ClientToScreen(TPoint P) const;
    TPoint ScreenToClient(TPoint P) const;
    TPoint ClientOrigin() const { return ClientToScreen({0, 0}); }

    TAlign Align() const { return m_align; }
    void SetAlign(TAlign Value);

    // ----- state --------------------------------------------------------------------
    bool Visible() const { return m_visible; }
    virtual void SetVisible(bool Value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible and every parent visible (a form: shown on the screen).
    bool Showing() const;
    bool Enabled() const { return m_enabled; }
    virtual void SetEnabled(bool Value);

    TColor Color() const { return m_color; }
    void SetColor(TColor Value);
    bool ParentColor() const { return m_parentColor; }
    void SetParentColor(bool Value);
    TFont* Font() const { return m_font.get(); }
    void SetFont(TFont* Value) { m_font->Assign(Value); }
    bool ParentFont() const { return m_parentFont; }
    void SetParentFont(bool Value);

    // Caption and Text are one property, as on the platform.
    virtual std::string Text() const { return m_text; }
    virtual void SetText(const std::string& Value);
    std::string Caption() const { return Text(); }
    void SetCaption(const std::string& Value) { SetText(Value); }

    TCursor Cursor() const { return m_cursor; }
    void SetCursor(TCursor Value);
    // The text before '|' is the tooltip, shown while ShowHint is on.
    const std::string& Hint() const { return m_hint; }
    void SetHint(const std::string& Value);
    bool ShowHint() const;
    void SetShowHint(bool Value);
    bool ParentShowHint() const { return m_parentShowHint; }
    void SetParentShowHint(bool Value);
    TPopupMenu* PopupMenu() const { return m_popupMenu; }
    void SetPopupMenu(TPopupMenu* Value);

    // ----- painting -----------------------------------------------------------------
    void Invalidate();
    void InvalidateRect(const TRect& R);
    // Paints the invalid parts now.
    void Update();
    void Repaint();
    void Refresh() { Repaint(); }
    // Moves the pixels of the client area (or of Area) by (DX, DY); the
    // uncovered strip is invalidated.
    void ScrollWindow(int DX, int DY, const TRect* Area = nullptr);
    // The drawing surface: attached to the widget during Paint(); at other
    // times it measures text but draws nowhere.
    TCanvas* Canvas();

    void BringToFront();
    void SendToBack();

    // The window's shape (control coordinates): outside it nothing is drawn
    // and no mouse input arrives. nullptr gives back the whole rectangle.
    void SetWindowRgn(const TRegion* Region);
    // Answers false when the window has no shape of its own.
    bool GetWindowRgn(TRegion& Region) const;

    // ----- mouse capture ----------------------------------------------------------
    // While captured, every mouse event of the thread goes to this control.
    void SetCapture();
    void ReleaseCapture();
    bool MouseCapture() const;
    void SetMouseCapture(bool Value) { Value ? SetCapture() : ReleaseCapture(); }
    static TControl* CaptureControl();

    // The form this control sits on (the top-most one), or nullptr.
    TForm* ParentForm() const;

    // Qt escape hatches, for platform/ only (these three): components paint
    // through Canvas() and handle input through the control's own events,
    // never the widget's.
    QWidget* Widget() const { return m_widget; }
    // The widget client coordinates are measured from (children live there),
    // and how far inside it the client area starts (a control's border).
    virtual QWidget* ClientWidget() const { return m_widget; }
    virtual int BorderInset() const { return 0; }
    // The control a widget belongs to: the nearest registered widget up the chain.
    static TControl* FromWidget(const QObject* Object);

    // Runs the click action as a mouse click would (OnClick and the control's own action).
    virtual void Click();

    // Hands a message to WndProc now and answers its Result (PostMessage hands it later).
    std::intptr_t Perform(unsigned Msg, std::uintptr_t WParam = 0, std::intptr_t LParam = 0);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TMouseWheelEvent OnMouseWheel;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TContextPopupEvent OnContextPopup;
    TNotifyEvent OnResize;

protected:
    // Subclasses hand over the Qt widget they wrap (owned from now on).
    TControl(TComponent* AOwner, QWidget* Widget);

    // Messages sent by Perform or posted (Messages.h). Windowed controls take
    // WM_KEYDOWN, WM_KEYUP and WM_CHAR as the keys and characters they stand for.
    virtual void WndProc(TMessage& Message);
    virtual void DblClick();
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    // Answers true when the wheel turn was used.
    virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
    virtual void MouseEnter();
    virtual void MouseLeave();
    // The capture went elsewhere without ReleaseCapture of this control
    // (another control captured, the window was deactivated or hidden, a
    // modal window opened, the control was hidden or disabled).
    virtual void MouseCaptureLost() {}
    virtual void DoContextPopup(TPoint MousePos, bool& Handled);
    virtual void Resize();
    virtual void Paint() {}
    // Draws the border around the client area (control coordinates, Canvas()).
    virtual void PaintNonClient() {}
    // Accelerator handling (Alt+letter, or the letter alone where the focused
    // control takes no text): answers true when this control took it.
    virtual bool DialogChar(TKeyChar Ch);
    // Enter and Esc that the focused control left alone (a Default or Cancel button takes them).
    virtual bool HandleDialogKey(std::uint16_t /*Key*/, TShiftState /*Shift*/) { return false; }

    virtual void FontChanged();
    virtual void ColorChanged();
    virtual void TextChanged() {}
    virtual void EnabledChanged() {}
    virtual void VisibleChanged() {}
    // Applies Color to the widget (the palette role depends on the widget).
    virtual void ApplyColor();
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // Shows or hides the widget for Visible (pages of a page control leave it to Qt).
    virtual void ApplyVisible();
    // The colour a control starts with (without touching ParentColor).
    void InitColor(TColor Value) { m_color = Value; ApplyColor(); }
    // Mouse input of an inner widget (a list's viewport) reaches this control too.
    void WatchInputWidget(QWidget* W);
    // Runs Body with Canvas() drawing through Painter (items of owner-drawn lists).
    void PaintWithCanvas(QPainter* Painter, const TRect& Clip, const std::function<void()>& Body);
    // Left-button release after a press inside raises Click (painted controls
    // and panels; Qt buttons click through their own signal).
    void SetClickOnMouseUp(bool Value) { m_clickOnMouseUp = Value; }
    // The control paints every pixel itself; the background is not erased.
    void SetOpaque(bool Value);
    // Called after a size change, before OnResize.
    virtual void BoundsChanged() {}
    void UpdateParentColor();
    void UpdateParentFont();

private:
    friend class detail::ControlBridge;
    friend class detail::PaintWidget;
    friend class TWinControl;
    friend class TForm;

    void Init(QWidget* Widget);
    void ApplyCursor();
    void ApplyHint();
    void SizeChanged();
    void HandleMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, TPoint P);
    void LoseCapture();
    void PaintTo(void* Painter, const TRect& Clip);

    QWidget* m_widget{nullptr};
    std::unique_ptr<detail::ControlBridge> m_bridge;
    TWinControl* m_parent{nullptr};
    TAlign m_align{alNone};
    bool m_visible{true};
    bool m_enabled{true};
    TColor m_color{clBtnFace};
    bool m_parentColor{false};
    std::unique_ptr<TFont> m_font;
    TChangeLink m_fontLink;
    bool m_parentFont{true};
    bool m_applyingFont{false};
    std::string m_text;
    TCursor m_cursor{crDefault};
    std::string m_hint;
    bool m_showHint{false};
    bool m_parentShowHint{true};
    TPopupMenu* m_popupMenu{nullptr};
    std::unique_ptr<TCanvas> m_canvas;
    bool m_painting{false};
    bool m_clickOnMouseUp{false};
    bool m_leftPressed{false};
    int m_lastWidth{-1};
    int m_lastHeight{-1};
};

class TWinControl : public TControl {
    QEL_CLASS(TWinControl)
public:
    // A plain container.
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    int ControlCount() const { return static_cast<int>(m_controls.size()); }
    TControl* Controls(int Index) const;   // EListError when out of range
    bool ContainsControl(const TControl* Control) const;

    // What "has a window handle" means here: every control has its window (a Qt
    // widget) from construction to destruction, shown or not, so this answers
    // true for the whole life of the control. Code that waits for a handle
    // before touching scroll bars, fonts or painting may always go ahead; use
    // Showing() to ask whether the control is on the screen.
    bool HandleAllocated() const { return Widget() != nullptr; }

    // ----- focus ---------------------------------------------------------------------
    bool Focused() const;
    // Visible and enabled up to the form.
    virtual bool CanFocus() const;
    // EInvalidOperation "Cannot focus a disabled or invisible window" when it cannot.
    virtual void SetFocus();
    bool TabStop() const { return m_tabStop; }
    void SetTabStop(bool Value);
    // Position among the parent's windowed children; -1 without parent.
    int TabOrder() const;
    void SetTabOrder(int Value);
    // The windowed children in tab order.
    std::vector<TWinControl*> TabList() const;
    // The next control in tab order after CurControl (nullptr: the first),
    // searching the whole tree below this control.
    TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop) const;
    void SelectFirst();

    // ----- layout ----------------------------------------------------------------------
    void DisableAlign() { ++m_alignLock; }
    void EnableAlign();
    void Realign();
    // Moves every child control by (DX, DY) and scrolls the pixels with them.
    void ScrollBy(int DX, int DY);

    QWidget* ClientWidget() const override;

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;

    // Key handling as a real key would run it (KeyDown, OnKeyDown...); for the platform layer.
    virtual void KeyDown(std::uint16_t& Key, TShiftState Shift);
    virtual void KeyUp(std::uint16_t& Key, TShiftState Shift);
    virtual void KeyPress(TKeyChar& Key);

protected:
    // Widget: the Qt widget wrapped; Container: where children live (the widget itself when null).
    TWinControl(TComponent* AOwner, QWidget* Widget, QWidget* Container = nullptr);

    virtual void DoEnter();
    virtual void DoExit();
    // The rectangle aligned children share (ClientRect less borders and captions).
    virtual TRect AlignRect() const;
    virtual void AlignControls(TRect& Rect);
    QWidget* Container() const { return m_container; }
    void SetContainer(QWidget* Container) { m_container = Container; }
    // Focus policy for TabStop; controls that never take the focus override.
    virtual bool AcceptsFocus() const { return true; }
    void ApplyTabStop();
    // Tab moves the focus to the next control unless the control takes it as input.
    virtual bool WantsTabKey() const { return false; }
    // A child came or went (a page control keeps its tabs in step).
    virtual void ControlInserted(TControl* /*Control*/) {}
    virtual void ControlRemoved(TControl* /*Control*/) {}
    void WndProc(TMessage& Message) override;

private:
    friend class TControl;
    friend class TForm;
    friend class detail::ControlBridge;

    void InsertControl(TControl* Control);
    void RemoveControl(TControl* Control);
    void TabChainChanged();

    QWidget* m_container{nullptr};
    std::vector<TControl*> m_controls;       // children in z-order of insertion
    std::vector<TWinControl*> m_tabList;     // windowed children in tab order
    bool m_tabStop{true};
    // The focus went on to a child: the control has not exited (the bridge keeps it).
    bool m_focusInChild{false};
    int m_alignLock{0};
    bool m_aligning{false};
    bool m_alignPending{false};
};

// A control without a window of its own on the platform: labels, bevels,
// paint boxes, speed buttons. Here it is a painted widget without children.
class TGraphicControl : public TControl {
    QEL_CLASS(TGraphicControl)
public:
    explicit TGraphicControl(TComponent* AOwner) : TControl(AOwner) {}

protected:
    TGraphicControl(TComponent* AOwner, QWidget* Widget) : TControl(AOwner, Widget) {}
};

// A windowed control that paints itself. It can have a border drawn by the
// platform around its client area (BorderStyle bsSingle: a sunken 3D edge of
// 2 pixels with Ctl3D, a flat 1-pixel frame without), and show the window
// scroll bars of the platform inside that border: a shown bar takes its room
// from the client area, the bar keeps range, page and position, and a user's
// action on it reaches DoScroll (the control moves the position itself, as on
// the platform). Client coordinates (painting, mouse, children) start inside
// the border.
class TCustomControl : public TWinControl {
    QEL_CLASS(TCustomControl)
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;

    // Sets range, page and position and answers the position. The page is cut
    // to the range and the position to Min .. Max - Page + 1. A bar whose page
    // covers the whole range is hidden, or shown disabled with DisableNoScroll;
    // otherwise it is shown and enabled. Bar is SB_HORZ or SB_VERT (others: no-op, 0).
    int SetScrollInfo(int Bar, const TScrollInfo& Info, bool DisableNoScroll = false);
    TScrollInfo GetScrollInfo(int Bar) const;
    int GetScrollPos(int Bar) const { return GetScrollInfo(Bar).Pos; }
    // Answers the previous position.
    int SetScrollPos(int Bar, int Pos);
    void ShowScrollBar(int Bar, bool Show);
    void EnableScrollBar(int Bar, bool Enable);
    bool ScrollBarVisible(int Bar) const;
    bool ScrollBarEnabled(int Bar) const;
    // The look of both bars; range, page, position and actions stay as they are.
    TScrollBarStyle ScrollBarStyle() const { return m_scrollBarStyle; }
    void SetScrollBarStyle(TScrollBarStyle Value);

    TRect ClientRect() const override;

    // As a user's action on a shown, enabled bar: DoScroll with the code, the
    // thumb position for scTrack and scPosition (clamped to the range), the
    // bar's position otherwise.
    void ScrollBarAction(TScrollBarKind Kind, TScrollCode Code, int ThumbPos = 0);

    // bsNone or bsSingle (other styles are for forms and count as bsSingle).
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    bool Ctl3D() const { return m_ctl3D; }
    void SetCtl3D(bool Value);
    int BorderInset() const override;

    // The platform keeps a back buffer only on request; here painting is
    // always double-buffered, and the property is kept for callers that set it.
    bool DoubleBuffered() const { return m_doubleBuffered; }
    void SetDoubleBuffered(bool Value) { m_doubleBuffered = Value; }

protected:
    // A scroll bar was used (the platform's scroll messages).
    virtual void DoScroll(TScrollBarKind /*Kind*/, TScrollCode /*Code*/, int /*Pos*/) {}
    void BoundsChanged() override;
    void PaintNonClient() override;
    // The border changed from OldInset (a subclass whose BorderInset follows
    // its own settings calls it): children keep their client positions, the
    // bars and the client area follow.
    void BorderChanged(int OldInset);

private:
    struct Bars;
    struct Bar;
    Bar* BarOf(int Bar) const;
    Bar& EnsureBar(int Bar);
    void LayoutBars();

    std::unique_ptr<Bars> m_bars;
    TScrollBarStyle m_scrollBarStyle{sbsStandard};
    bool m_doubleBuffered{false};
    TBorderStyle m_borderStyle{bsNone};
    bool m_ctl3D{true};
};

// The form a control sits on, or nullptr.
TForm* GetParentForm(const TControl* Control);

// Disables aligning of a control's children for a scope; realigns at the end.
class TAlignLock {
public:
    explicit TAlignLock(TWinControl& Control) : m_c(Control) { m_c.DisableAlign(); }
    ~TAlignLock() { m_c.EnableAlign(); }
    TAlignLock(const TAlignLock&) = delete;
    TAlignLock& operator=(const TAlignLock&) = delete;

private:
    TWinControl& m_c;
};

} // namespace qel
