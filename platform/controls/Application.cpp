#include "platform/controls/Application.h"

#include "platform/controls/Dialogs.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Messages.h"
#include "platform/controls/detail/ControlBridge.h"

#include "platform/graphics/Bitmap.h"

#include <QApplication>
#include <QCursor>
#include <QPixmap>
#include <QGuiApplication>
#include <QInputDevice>
#include <QScreen>

#include <algorithm>
#include <map>
#include <cmath>

namespace qel {

// ===== TApplication =================================================================

TApplication::TApplication() : TComponent(nullptr) {}
TApplication::~TApplication() = default;

TApplication& Application()
{
    // Never destroyed: forms it owns must not outlive Qt's application object.
    static TApplication* app = new TApplication;
    return *app;
}

std::string TApplication::ExeName() const
{
    return QCoreApplication::instance() ? QCoreApplication::applicationFilePath().toStdString() : std::string();
}

void TApplication::SetMainForm(TForm* Value)
{
    SetFreeNotified(m_mainForm, Value);
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == m_mainForm)
        m_mainForm = nullptr;
}

void TApplication::ProcessMessages()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    // Qt leaves what the handled events posted for its next pass; the platform's loop runs it too.
    ProcessPostedCalls();
}

void TApplication::Terminate()
{
    m_terminated = true;
    // Qt's loops end with it; without a running loop this does nothing.
    QCoreApplication::exit(0);
}

void TApplication::HandleMessage() { QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents); }

void TApplication::HandleException(const std::exception& E)
{
    if (dynamic_cast<const EAbort*>(&E))
        return;
    if (OnException) {
        OnException(this, E);
        return;
    }
    MessageBox(E.what(), m_title, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const std::string& Text, const std::string& Caption, unsigned Flags)
{
    TMessageDlgParams p;
    p.Text = Text;
    p.Caption = Caption.empty() ? m_title : Caption;
    switch (Flags & 0xF0) {
    case MB_ICONERROR: p.Type = mtError; break;
    case MB_ICONQUESTION: p.Type = mtConfirmation; break;
    case MB_ICONWARNING: p.Type = mtWarning; break;
    case MB_ICONINFORMATION: p.Type = mtInformation; break;
    default: p.Type = mtCustom; break;
    }
    std::vector<TMsgDlgBtn> order;
    switch (Flags & 0xF) {
    case MB_OKCANCEL: order = {mbOK, mbCancel}; break;
    case MB_ABORTRETRYIGNORE: order = {mbAbort, mbRetry, mbIgnore}; break;
    case MB_YESNOCANCEL: order = {mbYes, mbNo, mbCancel}; break;
    case MB_YESNO: order = {mbYes, mbNo}; break;
    case MB_RETRYCANCEL: order = {mbRetry, mbCancel}; break;
    default: order = {mbOK}; break;
    }
    p.Buttons = {};
    for (TMsgDlgBtn b : order)
        p.Buttons.Include(b);
    const std::size_t def = (Flags & 0xF00) >> 8;
    p.DefaultButton = order[std::min(def, order.size() - 1)];
    return MessageDlgEx(p);
}

void TApplication::HelpContext(int Context)
{
    if (OnHelp)
        OnHelp(this, Context);
}

void TApplication::SettingChange()
{
    if (OnSettingChange)
        OnSettingChange(this);
    m_settingChanges.Notify(this);
}

void TApplication::SetActive(bool Value)
{
    if (Value == m_active)
        return;
    m_active = Value;
    if (Value && OnActivate)
        OnActivate(this);
    if (!Value && OnDeactivate)
        OnDeactivate(this);
    m_activationChanges.Notify(this);
}

TApplication::TModalFormHook TApplication::SetModalFormHook(TModalFormHook Hook)
{
    TModalFormHook previous = std::move(m_modalHook);
    m_modalHook = std::move(Hook);
    return previous;
}

// ===== TScreen ======================================================================

TScreen& Screen()
{
    static TScreen* screen = new TScreen;
    return *screen;
}

bool TScreen::Headless() const
{
    const QString name = QGuiApplication::platformName();
    return name.isEmpty() || name == QLatin1String("offscreen") || name == QLatin1String("minimal");
}

int TScreen::Width() const
{
    if (Headless() || !QGuiApplication::primaryScreen())
        return m_width;
    return QGuiApplication::primaryScreen()->geometry().width();
}

int TScreen::Height() const
{
    if (Headless() || !QGuiApplication::primaryScreen())
        return m_height;
    return QGuiApplication::primaryScreen()->geometry().height();
}

TRect TScreen::WorkAreaRect() const
{
    if (Headless() || !QGuiApplication::primaryScreen())
        return m_workArea;
    return detail::FromQRect(QGuiApplication::primaryScreen()->availableGeometry());
}

int TScreen::PixelsPerInch() const
{
    if (Headless() || !QGuiApplication::primaryScreen())
        return m_ppi;
    return static_cast<int>(std::lround(QGuiApplication::primaryScreen()->logicalDotsPerInch()));
}

void TScreen::SetVirtualScreen(int AWidth, int AHeight, const TRect* WorkArea, int PixelsPerInch)
{
    m_width = std::max(1, AWidth);
    m_height = std::max(1, AHeight);
    m_workArea = WorkArea ? *WorkArea : Rect(0, 0, m_width, m_height);
    m_ppi = PixelsPerInch > 0 ? PixelsPerInch : 96;
}

bool TScreen::GetStatusBarFont(TFont& Font) const
{
    if (Headless() || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return false;
    // Qt hands out the application font for classes the desktop's theme names nothing for.
    const QFont status = QApplication::font("QStatusBar");
    if (status == QApplication::font() || status.pointSize() <= 0)
        return false;
    Font.SetName(status.family().toStdString());
    Font.SetSize(status.pointSize());
    return true;
}

void TScreen::SetCursor(TCursor Value)
{
    if (Value == m_cursor)
        return;
    if (m_cursor != crDefault)
        QApplication::restoreOverrideCursor();
    m_cursor = Value;
    if (Value != crDefault)
        QApplication::setOverrideCursor(detail::QtCursor(Value));
}

namespace detail {
std::map<TCursor, QCursor>& CustomCursors()
{
    static std::map<TCursor, QCursor> cursors;
    return cursors;
}
} // namespace detail

void TScreen::SetCursorImage(TCursor Index, const TBitmap& Image, int HotX, int HotY)
{
    if (Index < 100)
        throw EInvalidOperation("Cursor index " + std::to_string(Index) + " is reserved");
    QImage image = Image.Image();
    // A bitmap with a fixed transparent colour is see-through there, as cursors are around their shape.
    if (Image.TransparentMode() == tmFixed) {
        image = image.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = ToQColor(Image.TransparentColor()).rgb();
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF))
                    line[x] = 0;
        }
    }
    detail::CustomCursors()[Index] = QCursor(QPixmap::fromImage(image), HotX, HotY);
}

void TScreen::ClearCursorImage(TCursor Index) { detail::CustomCursors().erase(Index); }

bool TScreen::CursorDefined(TCursor Index) const
{
    if (Index == crHyperlink)
        return true;
    return Index <= 0 ? Index >= crSizeAll : detail::CustomCursors().count(Index) > 0;
}

TWinControl* TScreen::ActiveControl() const
{
    if (!m_activeForm)
        return nullptr;
    if (QWidget* fw = m_activeForm->Widget()->focusWidget())
        if (auto* c = dynamic_cast<TWinControl*>(TControl::FromWidget(fw)); c && c != m_activeForm)
            return c;
    return m_activeForm->ActiveControl();
}

TForm* TScreen::Forms(int Index) const
{
    if (Index < 0 || Index >= FormCount())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return m_forms[static_cast<std::size_t>(Index)];
}

void TScreen::AddForm(TForm* Form) { m_forms.push_back(Form); }

void TScreen::RemoveForm(TForm* Form)
{
    m_forms.erase(std::remove(m_forms.begin(), m_forms.end(), Form), m_forms.end());
    if (m_activeForm == Form) {
        m_activeForm = nullptr;
        if (OnActiveFormChange)
            OnActiveFormChange(nullptr);
    }
}

void TScreen::SetActiveForm(TForm* Form)
{
    if (Form && Form->Widget()->isVisible() && QApplication::activeWindow() != Form->Widget())
        detail::ActivateWindow(Form->Widget());
    if (m_activeForm == Form)
        return;
    TForm* old = m_activeForm;
    m_activeForm = Form;
    if (old)
        old->Deactivate();
    if (Form && m_activeForm == Form)
        Form->Activate();
    if (OnActiveFormChange)
        OnActiveFormChange(nullptr);
}

namespace {

bool MouseWheelPresent()
{
    if (Screen().Headless())
        return true;
    const auto devices = QInputDevice::devices();
    return std::any_of(devices.begin(), devices.end(), [](const QInputDevice* D) {
        return (D->type() == QInputDevice::DeviceType::Mouse || D->type() == QInputDevice::DeviceType::TouchPad) &&
               D->capabilities().testFlag(QInputDevice::Capability::Scroll);
    });
}

} // namespace

int GetSystemMetrics(int Index)
{
    switch (Index) {
    case SM_CXSCREEN: return Screen().Width();
    case SM_CYSCREEN: return Screen().Height();
    case SM_CXVSCROLL: case SM_CYHSCROLL: case SM_CYVSCROLL: case SM_CXHSCROLL: return 16;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    case SM_CXICON: case SM_CYICON: return 32;
    case SM_CXSMICON: case SM_CYSMICON: return 16;
    case SM_CXDRAG: case SM_CYDRAG: return 4;
    case SM_NETWORK: return 0;
    case SM_MOUSEWHEELPRESENT: return MouseWheelPresent() ? 1 : 0;
    default: return 0;
    }
}

namespace {
TPoint g_virtualCursor{0, 0};
}

void detail::SetVirtualCursorPos(TPoint P) { g_virtualCursor = P; }

TPoint GetCursorPos()
{
    if (Screen().Headless())
        return g_virtualCursor;
    const QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}

void SetCursorPos(int X, int Y)
{
    if (Screen().Headless()) {
        g_virtualCursor = {X, Y};
        return;
    }
    QCursor::setPos(X, Y);
}

} // namespace qel
