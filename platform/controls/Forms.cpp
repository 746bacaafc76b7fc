#include "platform/controls/Forms.h"

#include "platform/controls/Application.h"
#include "platform/controls/Menus.h"
#include "platform/controls/detail/ControlBridge.h"
#include "platform/core/Guards.h"
#include "platform/graphics/Bitmap.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPixmap>

namespace qel {

namespace detail {

// The top-level widget of a form: dialog keys after the focused control,
// the close button, and state changes made by the window manager.
class FormWidget : public QWidget {
public:
    FormWidget() : QWidget(nullptr, Qt::Window) {}

protected:
    TForm* Form() const
    {
        auto* f = dynamic_cast<TForm*>(TControl::FromWidget(this));
        return f && !f->IsDestroying() ? f : nullptr;
    }

    void keyPressEvent(QKeyEvent* E) override
    {
        if (TForm* f = Form()) {
            const auto ucs = E->text().toUcs4();
            const TKeyChar ch = ucs.isEmpty() ? 0 : ucs.front();
            if (f->DialogKey(VkFromQtKey(E->key(), E->modifiers()), ShiftFromQt(E->modifiers()), ch)) {
                E->accept();
                return;
            }
        }
        E->ignore();
    }

    void closeEvent(QCloseEvent* E) override
    {
        E->ignore();
        if (TForm* f = Form())
            f->WidgetCloseRequested();
    }

    void changeEvent(QEvent* E) override
    {
        QWidget::changeEvent(E);
        if (E->type() == QEvent::WindowStateChange)
            if (TForm* f = Form())
                f->WidgetStateChanged();
    }

    void moveEvent(QMoveEvent* E) override
    {
        QWidget::moveEvent(E);
        if (TForm* f = Form(); f && f->WindowState() == wsNormal && !f->m_settingBounds)
            f->m_normalBounds = f->BoundsRect();
    }
};

} // namespace detail

void TSizeConstraints::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TSizeConstraints*>(Source)) {
        m_minWidth = s->m_minWidth;
        m_minHeight = s->m_minHeight;
        m_maxWidth = s->m_maxWidth;
        m_maxHeight = s->m_maxHeight;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner, new detail::FormWidget, nullptr)
{
    m_visible = false;
    m_parentFont = false;
    m_client = new detail::PaintWidget(Widget());
    m_client->setAutoFillBackground(true);
    m_client->show();
    SetContainer(m_client);
    Widget()->setAutoFillBackground(true);
    Widget()->setAttribute(Qt::WA_QuitOnClose, false);
    m_constraints = std::make_unique<TSizeConstraints>();
    m_constraintsLink.Connect(m_constraints->Changes(), [this](TObject*) {
        ApplySizeLimits();
        SetBounds(Left(), Top(), Width(), Height());
    });
    ApplyColor();
    ApplyWindowFlags();
    SetBounds(0, 0, 320, 240);
    m_normalBounds = BoundsRect();
    Screen().AddForm(this);
}

TForm::~TForm()
{
    if (OnDestroy) {
        try {
            OnDestroy(this);
        } catch (const std::exception& e) {
            Application().HandleException(e);
        }
    }
    Destroying();
    if (TControl* cap = CaptureControl(); cap && (cap == this || ContainsControl(cap)))
        cap->ReleaseCapture();
    m_menuLink.Disconnect();
    Screen().RemoveForm(this);
}

void TForm::AfterConstruction()
{
    if (m_created)
        return;
    m_created = true;
    if (OnCreate)
        OnCreate(this);
}

void TForm::SetBorderStyle(TFormBorderStyle Value)
{
    if (m_borderStyle == Value)
        return;
    m_borderStyle = Value;
    ApplyWindowFlags();
    ApplySizeLimits();
}

void TForm::SetBorderIcons(TBorderIcons Value)
{
    m_borderIcons = Value;
    ApplyWindowFlags();
}

void TForm::SetFormStyle(TFormStyle Value)
{
    m_formStyle = Value;
    ApplyWindowFlags();
}

void TForm::ApplyWindowFlags()
{
    Qt::WindowFlags f;
    switch (m_borderStyle) {
    case bsDialog: f = Qt::Dialog; break;
    case bsToolWindow:
    case bsSizeToolWin: f = Qt::Tool; break;
    case bsNone: f = Qt::Window | Qt::FramelessWindowHint; break;
    default: f = Qt::Window; break;
    }
    f |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (m_borderIcons.Contains(biSystemMenu))
        f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (m_borderStyle == bsSizeable || m_borderStyle == bsSingle) {
        if (m_borderIcons.Contains(biMinimize))
            f |= Qt::WindowMinimizeButtonHint;
        if (m_borderIcons.Contains(biMaximize))
            f |= Qt::WindowMaximizeButtonHint;
    }
    if (m_borderIcons.Contains(biHelp) && m_borderStyle == bsDialog)
        f |= Qt::WindowContextHelpButtonHint;
    if (m_formStyle == fsStayOnTop)
        f |= Qt::WindowStaysOnTopHint;
    QWidget* w = Widget();
    if (w->windowFlags() == f)
        return;
    const bool visible = w->isVisible();
    const QRect g = w->geometry();
    w->setWindowFlags(f);
    w->setGeometry(g);
    if (visible)
        w->show();
}

void TForm::ApplySizeLimits()
{
    QWidget* w = Widget();
    if (!Sizeable()) {
        w->setMinimumSize(w->size());
        w->setMaximumSize(w->size());
        return;
    }
    w->setMinimumSize(m_constraints->MinWidth(), m_constraints->MinHeight());
    w->setMaximumSize(m_constraints->MaxWidth() > 0 ? m_constraints->MaxWidth() : QWIDGETSIZE_MAX,
                      m_constraints->MaxHeight() > 0 ? m_constraints->MaxHeight() : QWIDGETSIZE_MAX);
}

void TForm::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    if (m_constraints) {
        if (m_constraints->MinWidth() > 0) AWidth = std::max(AWidth, m_constraints->MinWidth());
        if (m_constraints->MinHeight() > 0) AHeight = std::max(AHeight, m_constraints->MinHeight());
        if (m_constraints->MaxWidth() > 0) AWidth = std::min(AWidth, m_constraints->MaxWidth());
        if (m_constraints->MaxHeight() > 0) AHeight = std::min(AHeight, m_constraints->MaxHeight());
    }
    QWidget* w = Widget();
    w->setMinimumSize(0, 0);
    w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    {
        TValueRestorer settingBounds(m_settingBounds, true);
        TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    }
    if (m_windowState == wsNormal)
        m_normalBounds = BoundsRect();
    if (m_constraints)
        ApplySizeLimits();
}

TRect TForm::ClientRect() const { return TWinControl::ClientRect(); }
void TForm::SetClientWidth(int Value) { TWinControl::SetClientWidth(Value); }
void TForm::SetClientHeight(int Value) { TWinControl::SetClientHeight(Value); }

void TForm::BoundsChanged()
{
    LayoutClient();
}

void TForm::TextChanged() { Widget()->setWindowTitle(detail::ToQString(Caption())); }

void TForm::SetIcon(const TIcon* Value)
{
    m_icon = std::make_unique<TIcon>();
    if (Value)
        m_icon->Assign(const_cast<TIcon*>(Value));
    Widget()->setWindowIcon(m_icon->Empty() ? QIcon() : QIcon(QPixmap::fromImage(m_icon->Image())));
}

void TForm::LayoutClient()
{
    if (!m_client)
        return;
    const int w = Widget()->width();
    const int h = Widget()->height();
    int top = 0;
    if (m_menuBar) {
        const int mh = m_menuBar->sizeHint().height();
        m_menuBar->setGeometry(0, 0, w, mh);
        top = mh;
    }
    m_client->setGeometry(0, top, w, std::max(0, h - top));
}

void TForm::SetMenu(TMainMenu* Value)
{
    if (m_menu == Value)
        return;
    if (m_menu) {
        m_menuLink.Disconnect();
        m_menu->RemoveFreeNotification(this);
    }
    m_menu = Value;
    if (m_menu)
        m_menu->FreeNotification(this);
    // Rebuild the bar from the items.
    delete m_menuBar;
    m_menuBar = nullptr;
    if (m_menu) {
        auto* bar = new QMenuBar(Widget());
        bar->setNativeMenuBar(false);
        for (int i = 0; i < m_menu->Items()->Count(); ++i)
            bar->addAction(m_menu->Items()->Items(i)->Action());
        bar->show();
        m_menuBar = bar;
        m_menuLink.Connect(m_menu->ItemsChanges(), [this](TObject*) {
            TMainMenu* menu = m_menu;
            m_menu = nullptr;
            SetMenu(menu);
        });
    }
    LayoutClient();
    Realign();
}

void TForm::Notification(TComponent* AComponent, TOperation Operation)
{
    TWinControl::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == m_menu) {
        m_menu = nullptr;
        delete m_menuBar;
        m_menuBar = nullptr;
        if (!IsDestroying()) {
            LayoutClient();
            Realign();
        }
    }
    if (AComponent == m_activeControl)
        m_activeControl = nullptr;
}

TWindowPlacement TForm::Placement() const { return {m_windowState, m_normalBounds}; }

void TForm::SetPlacement(const TWindowPlacement& Value)
{
    const TRect r = Value.NormalBounds;
    if (m_windowState == wsNormal) {
        SetBounds(r.Left, r.Top, r.Width(), r.Height());
    } else {
        m_normalBounds = r;
    }
    SetWindowState(Value.State);
}

void TForm::SetWindowState(TWindowState Value)
{
    if (m_windowState == Value)
        return;
    if (m_windowState == wsNormal)
        m_normalBounds = BoundsRect();
    m_windowState = Value;
    if (!m_showing)
        return;
    QWidget* w = Widget();
    if (Screen().Headless()) {
        // The offscreen platform has no window manager: states are geometry.
        if (Value == wsMaximized) {
            const TRect wa = Screen().WorkAreaRect();
            TWinControl::SetBounds(wa.Left, wa.Top, wa.Width(), wa.Height());
        } else if (Value == wsNormal) {
            SetBounds(m_normalBounds.Left, m_normalBounds.Top, m_normalBounds.Width(), m_normalBounds.Height());
        }
        return;
    }
    switch (Value) {
    case wsMaximized: w->setWindowState(Qt::WindowMaximized); break;
    case wsMinimized: w->setWindowState(Qt::WindowMinimized); break;
    default:
        w->setWindowState(Qt::WindowNoState);
        SetBounds(m_normalBounds.Left, m_normalBounds.Top, m_normalBounds.Width(), m_normalBounds.Height());
        break;
    }
}

void TForm::WidgetStateChanged()
{
    if (Screen().Headless())
        return;
    const Qt::WindowStates s = Widget()->windowState();
    const TWindowState next = (s & Qt::WindowMinimized) ? wsMinimized
                              : (s & Qt::WindowMaximized) ? wsMaximized
                                                          : wsNormal;
    if (next != wsNormal && m_windowState == wsNormal)
        m_normalBounds = BoundsRect();
    m_windowState = next;
}

void TForm::SetActiveControl(TWinControl* Value)
{
    if (Value && !ContainsControl(Value))
        throw EInvalidOperation("Invalid active control");
    m_activeControl = Value;
    if (Value && m_showing && Value->CanFocus())
        Value->SetFocus();
}

bool TForm::Active() const { return Screen().ActiveForm() == this; }

bool TForm::CanFocus() const { return m_visible && Enabled() && m_showing; }

void TForm::SetFocus()
{
    if (!CanFocus())
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    Screen().SetActiveForm(this);
}

void TForm::FocusChanged(TWinControl* Control) { m_activeControl = Control; }

void TForm::ApplyPosition()
{
    const TRect wa = Screen().WorkAreaRect();
    TRect around = wa;
    switch (m_position) {
    case poScreenCenter:
    case poDesktopCenter:
        break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
        TForm* center = m_position == poOwnerFormCenter ? dynamic_cast<TForm*>(Owner()) : nullptr;
        if (!center)
            center = Application().MainForm();
        if (center && center != this && center->m_showing)
            around = center->BoundsRect();
        break;
    }
    default:
        return;
    }
    int x = around.Left + (around.Width() - Width()) / 2;
    int y = around.Top + (around.Height() - Height()) / 2;
    // Keep the caption on the screen.
    x = std::max(wa.Left, std::min(x, wa.Right - Width()));
    y = std::max(wa.Top, std::min(y, wa.Bottom - Height()));
    SetBounds(x, y, Width(), Height());
}

void TForm::SetVisible(bool Value)
{
    if (Value) {
        if (!m_created)
            AfterConstruction();
        if (m_showing)
            return;
        m_visible = true;
        DoShow();
        ApplyWindowFlags();
        if (m_windowState == wsNormal)
            ApplyPosition();
        ApplySizeLimits();
        QWidget* w = Widget();
        w->show();
        m_showing = true;
        if (m_windowState != wsNormal) {
            const TWindowState s = m_windowState;
            m_windowState = wsNormal;
            SetWindowState(s);
        }
        TabChainChanged();
        Screen().SetActiveForm(this);
        if (m_activeControl && m_activeControl->CanFocus())
            m_activeControl->SetFocus();
        else
            SelectFirst();
        VisibleChanged();
        return;
    }
    if (!m_showing) {
        m_visible = false;
        return;
    }
    if (TControl* cap = CaptureControl(); cap && (cap == this || ContainsControl(cap)))
        cap->LoseCapture();
    DoHide();
    Widget()->hide();
    m_visible = false;
    m_showing = false;
    if (Screen().ActiveForm() == this) {
        TForm* next = nullptr;
        for (int i = Screen().FormCount() - 1; i >= 0 && !next; --i)
            if (TForm* f = Screen().Forms(i); f != this && f->m_showing)
                next = f;
        Screen().SetActiveForm(next);
    }
    VisibleChanged();
}

void TForm::Show()
{
    SetVisible(true);
    if (Screen().ActiveForm() != this)
        Screen().SetActiveForm(this);
}

TModalResult TForm::ShowModal()
{
    if (m_modal || m_showing || !Enabled())
        throw EInvalidOperation("Cannot make a visible window modal");
    if (TControl* cap = CaptureControl())
        cap->LoseCapture();
    TForm* previous = Screen().ActiveForm();
    m_modal = true;
    m_modalResult = mrNone;
    Finally endModal([this] {
        m_modal = false;
        Widget()->setWindowModality(Qt::NonModal);
    });
    Widget()->setWindowModality(Qt::ApplicationModal);
    Show();
    if (TApplication::TModalFormHook hook = Application().ModalFormHook()) {
        hook(*this);
        // A script may have posted work; whatever it leaves open is cancelled.
        for (int round = 0; round < 3 && m_showing; ++round) {
            if (m_modalResult == mrNone)
                QCoreApplication::processEvents();
            if (m_modalResult == mrNone)
                m_modalResult = mrCancel;
            CloseModal();
            if (m_modalResult != mrNone)
                break;
        }
        if (m_modalResult == mrNone)
            m_modalResult = mrCancel;
    } else {
        while (m_showing) {
            if (m_modalResult != mrNone) {
                CloseModal();
                if (m_modalResult != mrNone)
                    break;
                continue;
            }
            if (Application().Terminated()) {
                m_modalResult = mrCancel;
                break;
            }
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        if (m_modalResult == mrNone)
            m_modalResult = mrCancel;
    }
    if (m_showing)
        SetVisible(false);
    if (previous && previous != this && previous->m_showing)
        Screen().SetActiveForm(previous);
    return m_modalResult;
}

void TForm::CloseModal()
{
    TCloseAction action = caNone;
    if (CloseQuery()) {
        action = caHide;
        DoClose(action);
    }
    switch (action) {
    case caNone: m_modalResult = mrNone; break;
    case caFree: Release(); break;
    default: break;
    }
}

bool TForm::CloseQuery()
{
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    return canClose;
}

void TForm::Close()
{
    if (m_modal) {
        m_modalResult = mrCancel;
        return;
    }
    if (!CloseQuery())
        return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone)
        return;
    if (Application().MainForm() == this)
        Application().Terminate();
    switch (action) {
    case caHide: SetVisible(false); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree: SetVisible(false); Release(); break;
    default: break;
    }
}

void TForm::WidgetCloseRequested() { Close(); }

void TForm::Release()
{
    QMetaObject::invokeMethod(Widget(), [this] { delete this; }, Qt::QueuedConnection);
}

void TForm::DoShow()
{
    if (OnShow)
        OnShow(this);
}

void TForm::DoHide()
{
    if (OnHide)
        OnHide(this);
}

void TForm::DoClose(TCloseAction& Action)
{
    if (OnClose)
        OnClose(this, Action);
}

void TForm::Activate()
{
    if (OnActivate)
        OnActivate(this);
}

void TForm::Deactivate()
{
    if (OnDeactivate)
        OnDeactivate(this);
}

bool TForm::IsShortCut(std::uint16_t Key, TShiftState Shift)
{
    if (m_menu && m_menu->IsShortCut(Key, Shift))
        return true;
    for (TControl* c = m_activeControl; c; c = c->Parent())
        if (TPopupMenu* pm = c->PopupMenu(); pm && pm->IsShortCut(Key, Shift))
            return true;
    return false;
}

namespace {

bool BroadcastDialogKey(TWinControl* Parent, std::uint16_t Key, TShiftState Shift,
                        const std::function<bool(TControl*, std::uint16_t, TShiftState)>& Ask)
{
    for (int i = 0; i < Parent->ControlCount(); ++i) {
        TControl* c = Parent->Controls(i);
        if (!c->Visible() || !c->Enabled())
            continue;
        if (Ask(c, Key, Shift))
            return true;
        if (auto* win = dynamic_cast<TWinControl*>(c))
            if (BroadcastDialogKey(win, Key, Shift, Ask))
                return true;
    }
    return false;
}

} // namespace

bool TForm::DialogKey(std::uint16_t Key, TShiftState Shift, TKeyChar Ch)
{
    const TShiftState mods = Shift * TShiftState{ssShift, ssCtrl, ssAlt};
    if ((Key == VK_RETURN || Key == VK_ESCAPE) && mods.Empty())
        return BroadcastDialogKey(this, Key, mods,
                                  [](TControl* C, std::uint16_t K, TShiftState S) { return C->HandleDialogKey(K, S); });
    TKeyChar accel = 0;
    if (mods.Contains(ssAlt) && !mods.Contains(ssCtrl)) {
        if ((Key >= 'A' && Key <= 'Z') || (Key >= '0' && Key <= '9'))
            accel = Key >= 'A' && Key <= 'Z' ? TKeyChar(Key + 32) : TKeyChar(Key);
    } else if (!mods.Contains(ssCtrl) && Ch >= 0x20) {
        accel = Ch;
    }
    return accel != 0 && DispatchAccelerator(accel);
}

bool TForm::DispatchAccelerator(TKeyChar Ch)
{
    std::function<bool(TWinControl*)> walk = [&](TWinControl* Parent) {
        for (int i = 0; i < Parent->ControlCount(); ++i) {
            TControl* c = Parent->Controls(i);
            if (!c->Visible() || !c->Enabled())
                continue;
            if (c->DialogChar(Ch))
                return true;
            if (auto* win = dynamic_cast<TWinControl*>(c))
                if (walk(win))
                    return true;
        }
        return false;
    };
    return walk(this);
}

} // namespace qel
