#include "platform/controls/StdCtrls.h"

#include "platform/controls/Forms.h"
#include "platform/controls/detail/ControlBridge.h"
#include "platform/controls/detail/ItemStrings.h"
#include "platform/core/Guards.h"
#include "platform/core/Locale.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QStylePainter>
#include <QTextBlock>

#include <algorithm>

namespace qel {

using detail::FromQString;
using detail::ToQString;

namespace {

Qt::Alignment QtAlign(TAlignment A)
{
    switch (A) {
    case taRightJustify: return Qt::AlignRight | Qt::AlignVCenter;
    case taCenter: return Qt::AlignHCenter | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

void SetPaletteRole(QWidget* W, QPalette::ColorRole Role, TColor Color)
{
    QPalette pal = W->palette();
    pal.setColor(Role, ToQColor(Color));
    W->setPalette(pal);
}

TObject* ObjectOf(const QVariant& V) { return reinterpret_cast<TObject*>(V.value<quintptr>()); }
QVariant ObjectData(TObject* O) { return QVariant::fromValue(reinterpret_cast<quintptr>(O)); }

// Brush and font of an owner-drawn list item in State, on a control coloured Back.
void SetItemColors(TCanvas* Canvas, TOwnerDrawState State, TColor Back)
{
    if (State.Contains(odSelected)) {
        Canvas->Brush()->SetColor(clHighlight);
        Canvas->Font()->SetColor(clHighlightText);
    } else {
        Canvas->Brush()->SetColor(Back);
    }
}

// An owner-drawn list item nobody draws: its background, then its text.
void DrawPlainItem(TCanvas* Canvas, const TStrings& Items, int Index, const TRect& Rect)
{
    Canvas->FillRect(Rect);
    if (Index >= 0 && Index < Items.Count())
        Canvas->TextOut(Rect.Left + 2, Rect.Top, Items.Get(Index));
}

// Paints owner-drawn items through their control.
class OwnerDrawDelegate : public QStyledItemDelegate {
public:
    using PaintFn = std::function<void(QPainter*, int, const TRect&, TOwnerDrawState)>;
    using MeasureFn = std::function<int(int)>;
    OwnerDrawDelegate(QObject* Parent, PaintFn Paint, MeasureFn Measure)
        : QStyledItemDelegate(Parent), m_paint(std::move(Paint)), m_measure(std::move(Measure)) {}

    void paint(QPainter* Painter, const QStyleOptionViewItem& Option, const QModelIndex& Index) const override
    {
        TOwnerDrawState state;
        if (Option.state & QStyle::State_Selected) state.Include(odSelected);
        if (Option.state & QStyle::State_HasFocus) state.Include(odFocused);
        if (!(Option.state & QStyle::State_Enabled)) state.Include(odDisabled);
        m_paint(Painter, Index.row(), detail::FromQRect(Option.rect), state);
    }
    QSize sizeHint(const QStyleOptionViewItem& Option, const QModelIndex& Index) const override
    {
        return QSize(Option.rect.width(), m_measure(Index.row()));
    }

private:
    PaintFn m_paint;
    MeasureFn m_measure;
};

} // namespace

// ===== TLabel =========================================================================

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner)
{
    SetParentColor(true);
    SetBounds(0, 0, 65, 17);
    Widget()->setAttribute(Qt::WA_TransparentForMouseEvents, false);
    SetTransparent(false);
    // A label takes clicks, as a dialog's labels that open their editors do.
    SetClickOnMouseUp(true);
}

void TLabel::SetFocusControl(TWinControl* Value)
{
    SetFreeNotified(m_focusControl, Value);
}

void TLabel::Notification(TComponent* AComponent, TOperation Operation)
{
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == m_focusControl)
        m_focusControl = nullptr;
}

void TLabel::SetAlignment(TAlignment Value) { m_alignment = Value; Invalidate(); }
void TLabel::SetLayout(TTextLayout Value) { m_layout = Value; Invalidate(); }
void TLabel::SetWordWrap(bool Value) { m_wordWrap = Value; AdjustBounds(); Invalidate(); }
void TLabel::SetAutoSize(bool Value) { m_autoSize = Value; AdjustBounds(); }
void TLabel::SetShowAccelChar(bool Value) { m_showAccelChar = Value; AdjustBounds(); Invalidate(); }

void TLabel::SetTransparent(bool Value)
{
    m_transparent = Value;
    Widget()->setAutoFillBackground(!Value);
    Invalidate();
}

void TLabel::FontChanged()
{
    TGraphicControl::FontChanged();
    AdjustBounds();
}

unsigned TLabel::DrawTextFlags() const
{
    unsigned flags = DT_EXPANDTABS;
    if (m_wordWrap) flags |= DT_WORDBREAK;
    if (!m_showAccelChar) flags |= DT_NOPREFIX;
    if (m_alignment == taRightJustify) flags |= DT_RIGHT;
    else if (m_alignment == taCenter) flags |= DT_CENTER;
    return flags;
}

void TLabel::AdjustBounds()
{
    if (!m_autoSize || IsLoading())
        return;
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(Font());
    std::string text = Caption();
    if (text.empty() || (m_showAccelChar && text == "&"))
        text = " ";
    TRect r = Rect(0, 0, m_wordWrap ? std::max(1, Width()) : 0x7FFF, 0);
    canvas->DrawText(text, r, DrawTextFlags() | DT_CALCRECT);
    int left = Left();
    if (!m_wordWrap && m_alignment == taRightJustify)
        left += Width() - r.Width();
    else if (!m_wordWrap && m_alignment == taCenter)
        left += (Width() - r.Width()) / 2;
    SetBounds(left, Top(), m_wordWrap ? Width() : r.Width(), r.Height());
}

void TLabel::Paint()
{
    TCanvas* canvas = Canvas();
    TRect r = ClientRect();
    if (!m_transparent) {
        canvas->Brush()->SetColor(Color());
        canvas->Brush()->SetStyle(bsSolid);
        canvas->FillRect(r);
    }
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->Assign(Font());
    if (!Enabled())
        canvas->Font()->SetColor(clGrayText);
    const unsigned flags = DrawTextFlags();
    if (m_layout != tlTop) {
        TRect calc = r;
        canvas->DrawText(Caption(), calc, flags | DT_CALCRECT);
        const int dy = r.Height() - calc.Height();
        OffsetRect(r, 0, m_layout == tlBottom ? dy : dy / 2);
    }
    canvas->DrawText(Caption(), r, flags);
}

bool TLabel::DialogChar(TKeyChar Ch)
{
    if (m_showAccelChar && m_focusControl && IsAccel(Ch, Caption()) && m_focusControl->CanFocus()) {
        m_focusControl->SetFocus();
        return true;
    }
    return false;
}

// ===== TButton ========================================================================

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner, new QPushButton)
{
    auto* b = static_cast<QPushButton*>(Widget());
    b->setAutoDefault(true);
    QObject::connect(b, &QPushButton::clicked, b, [this] {
        if (!IsDestroying())
            Click();
    });
    SetBounds(0, 0, 75, 25);
}

void TButton::SetDefault(bool Value)
{
    m_default = Value;
    static_cast<QPushButton*>(Widget())->setDefault(Value);
}

void TButton::TextChanged() { static_cast<QPushButton*>(Widget())->setText(ToQString(Caption())); }

void TButton::Click()
{
    if (!Enabled())
        return;
    if (TForm* form = ParentForm(); form && m_modalResult != mrNone)
        form->SetModalResult(m_modalResult);
    TWinControl::Click();
}

bool TButton::DialogChar(TKeyChar Ch)
{
    if (IsAccel(Ch, Caption()) && CanFocus()) {
        Click();
        return true;
    }
    return false;
}

bool TButton::HandleDialogKey(std::uint16_t Key, TShiftState Shift)
{
    if (!Shift.Empty() || !CanFocus())
        return false;
    if ((Key == VK_RETURN && m_default) || (Key == VK_ESCAPE && m_cancel)) {
        Click();
        return true;
    }
    return false;
}

// ===== TCheckBox ======================================================================

namespace {

class CheckBoxWidget : public QCheckBox {
public:
    std::function<void()> toggle;

protected:
    void nextCheckState() override
    {
        if (toggle)
            toggle();
    }
};

Qt::CheckState QtCheck(TCheckBoxState S)
{
    return S == cbChecked ? Qt::Checked : S == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked;
}

} // namespace

TCheckBox::TCheckBox(TComponent* AOwner) : TWinControl(AOwner, new CheckBoxWidget)
{
    auto* w = static_cast<CheckBoxWidget*>(Widget());
    w->toggle = [this] {
        if (!IsDestroying())
            Toggle();
    };
    SetBounds(0, 0, 97, 17);
}

void TCheckBox::SetState(TCheckBoxState Value)
{
    if (Value == cbGrayed && !m_allowGrayed)
        static_cast<QCheckBox*>(Widget())->setTristate(true);
    if (m_state == Value)
        return;
    m_state = Value;
    auto* w = static_cast<QCheckBox*>(Widget());
    if (Value == cbGrayed)
        w->setTristate(true);
    w->setCheckState(QtCheck(Value));
    Click();
}

void TCheckBox::SetAllowGrayed(bool Value)
{
    m_allowGrayed = Value;
    static_cast<QCheckBox*>(Widget())->setTristate(Value || m_state == cbGrayed);
}

void TCheckBox::SetAlignment(TAlignment Value)
{
    m_alignment = Value;
    Widget()->setLayoutDirection(Value == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}

void TCheckBox::Toggle()
{
    switch (m_state) {
    case cbUnchecked: SetState(m_allowGrayed ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
    }
}

void TCheckBox::TextChanged() { static_cast<QCheckBox*>(Widget())->setText(ToQString(Caption())); }

bool TCheckBox::DialogChar(TKeyChar Ch)
{
    if (IsAccel(Ch, Caption()) && CanFocus()) {
        SetFocus();
        Toggle();
        return true;
    }
    return false;
}

// ===== TRadioButton ===================================================================

TRadioButton::TRadioButton(TComponent* AOwner) : TWinControl(AOwner, new QRadioButton)
{
    auto* w = static_cast<QRadioButton*>(Widget());
    QObject::connect(w, &QRadioButton::toggled, w, [this](bool) {
        if (!IsDestroying())
            SyncFromWidget();
    });
    SetBounds(0, 0, 113, 17);
}

void TRadioButton::SyncFromWidget()
{
    const bool checked = static_cast<QRadioButton*>(Widget())->isChecked();
    if (checked == m_checked || m_updating)
        return;
    m_checked = checked;
    if (checked)
        Click();
}

void TRadioButton::SetChecked(bool Value)
{
    if (m_checked == Value)
        return;
    auto* w = static_cast<QRadioButton*>(Widget());
    if (!Value) {
        // Qt keeps one button of a group checked; unchecking takes the group off for a moment.
        {
            TValueRestorer updating(m_updating, true);
            w->setAutoExclusive(false);
            w->setChecked(false);
            w->setAutoExclusive(true);
        }
        m_checked = false;
        return;
    }
    if (Parent())
        for (int i = 0; i < Parent()->ControlCount(); ++i)
            if (auto* rb = dynamic_cast<TRadioButton*>(Parent()->Controls(i)); rb && rb != this)
                rb->m_checked = false;
    w->setChecked(true);
    if (!m_checked) {
        m_checked = true;
        Click();
    }
}

void TRadioButton::SetAlignment(TAlignment Value)
{
    m_alignment = Value;
    Widget()->setLayoutDirection(Value == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}

void TRadioButton::TextChanged() { static_cast<QRadioButton*>(Widget())->setText(ToQString(Caption())); }

bool TRadioButton::DialogChar(TKeyChar Ch)
{
    if (IsAccel(Ch, Caption()) && CanFocus()) {
        SetFocus();
        SetChecked(true);
        return true;
    }
    return false;
}

// ===== TEdit ==========================================================================

TEdit::TEdit(TComponent* AOwner) : TWinControl(AOwner, new QLineEdit)
{
    InitColor(clWindow);
    auto* e = static_cast<QLineEdit*>(Widget());
    QObject::connect(e, &QLineEdit::textChanged, e, [this](const QString& Text) {
        if (IsDestroying())
            return;
        if (m_charCase != ecNormal) {
            const QString cased = m_charCase == ecUpperCase ? Text.toUpper() : Text.toLower();
            if (cased != Text) {
                auto* le = static_cast<QLineEdit*>(Widget());
                const int pos = le->cursorPosition();
                le->setText(cased);
                le->setCursorPosition(pos);
                return;
            }
        }
        Change();
    });
    ApplyColor();
    SetBounds(0, 0, 121, 21);
}

void TEdit::ApplyColor() { SetPaletteRole(Widget(), QPalette::Base, Color()); }

std::string TEdit::Text() const { return FromQString(static_cast<QLineEdit*>(Widget())->text()); }

void TEdit::SetText(const std::string& Value)
{
    auto* e = static_cast<QLineEdit*>(Widget());
    const QString v = ToQString(Value);
    if (e->text() != v)
        e->setText(v);
    e->setModified(false);
}

void TEdit::SetMaxLength(int Value)
{
    m_maxLength = std::max(0, Value);
    static_cast<QLineEdit*>(Widget())->setMaxLength(m_maxLength > 0 ? m_maxLength : 32767);
}

bool TEdit::ReadOnly() const { return static_cast<QLineEdit*>(Widget())->isReadOnly(); }
void TEdit::SetReadOnly(bool Value) { static_cast<QLineEdit*>(Widget())->setReadOnly(Value); }

void TEdit::SetPasswordChar(char Value)
{
    m_passwordChar = Value;
    static_cast<QLineEdit*>(Widget())->setEchoMode(Value ? QLineEdit::Password : QLineEdit::Normal);
}

void TEdit::SetCharCase(TEditCharCase Value)
{
    m_charCase = Value;
    SetText(Text());
    auto* e = static_cast<QLineEdit*>(Widget());
    if (Value == ecUpperCase) e->setText(e->text().toUpper());
    if (Value == ecLowerCase) e->setText(e->text().toLower());
}

bool TEdit::Modified() const { return static_cast<QLineEdit*>(Widget())->isModified(); }
void TEdit::SetModified(bool Value) { static_cast<QLineEdit*>(Widget())->setModified(Value); }

void TEdit::SetAlignment(TAlignment Value)
{
    m_alignment = Value;
    static_cast<QLineEdit*>(Widget())->setAlignment(QtAlign(Value));
}

int TEdit::SelStart() const
{
    auto* e = static_cast<QLineEdit*>(Widget());
    return e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
}

void TEdit::SetSelStart(int Value)
{
    auto* e = static_cast<QLineEdit*>(Widget());
    e->deselect();
    e->setCursorPosition(std::clamp(Value, 0, static_cast<int>(e->text().size())));
}

int TEdit::SelLength() const { return static_cast<int>(static_cast<QLineEdit*>(Widget())->selectedText().size()); }

void TEdit::SetSelLength(int Value)
{
    auto* e = static_cast<QLineEdit*>(Widget());
    const int start = SelStart();
    const int len = std::clamp(Value, 0, static_cast<int>(e->text().size()) - start);
    e->setSelection(start, len);
}

std::string TEdit::SelText() const { return FromQString(static_cast<QLineEdit*>(Widget())->selectedText()); }

void TEdit::SetSelText(const std::string& Value) { static_cast<QLineEdit*>(Widget())->insert(ToQString(Value)); }

void TEdit::SelectAll() { static_cast<QLineEdit*>(Widget())->selectAll(); }
void TEdit::ClearSelection() { static_cast<QLineEdit*>(Widget())->del(); }
void TEdit::CutToClipboard() { static_cast<QLineEdit*>(Widget())->cut(); }
void TEdit::CopyToClipboard() { static_cast<QLineEdit*>(Widget())->copy(); }
void TEdit::PasteFromClipboard() { static_cast<QLineEdit*>(Widget())->paste(); }

void TEdit::Change()
{
    if (OnChange)
        OnChange(this);
}

void TEdit::DoEnter()
{
    if (m_autoSelect && !(QApplication::mouseButtons() & Qt::LeftButton))
        SelectAll();
    TWinControl::DoEnter();
}

namespace {

// Hides a line edit's caret: Qt draws it as wide as the style says.
class NoCaretStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric Metric, const QStyleOption* Option, const QWidget* Widget) const override
    {
        return Metric == PM_TextCursorWidth ? 0 : QProxyStyle::pixelMetric(Metric, Option, Widget);
    }
};

} // namespace

void TEdit::SetBorderStyle(TBorderStyle Value)
{
    m_borderStyle = Value == bsNone ? bsNone : bsSingle;
    static_cast<QLineEdit*>(Widget())->setFrame(m_borderStyle != bsNone);
}

void TEdit::HideCaret()
{
    if (m_caretHides++ == 0) {
        auto* style = new NoCaretStyle;
        style->setParent(Widget());
        Widget()->setStyle(style);
    }
}

void TEdit::ShowCaret()
{
    if (m_caretHides == 0 || --m_caretHides > 0)
        return;
    QStyle* own = Widget()->style();
    Widget()->setStyle(nullptr);
    if (dynamic_cast<NoCaretStyle*>(own))
        delete own;
}

// ===== TMemo ==========================================================================

namespace {

class MemoWidget : public QPlainTextEdit {
public:
    bool wantReturns = true;

protected:
    void keyPressEvent(QKeyEvent* E) override
    {
        if (!wantReturns && (E->key() == Qt::Key_Return || E->key() == Qt::Key_Enter)
            && !(E->modifiers() & Qt::ControlModifier)) {
            E->ignore();
            return;
        }
        QPlainTextEdit::keyPressEvent(E);
    }
};

QStringList SplitLines(const QString& Text)
{
    if (Text.isEmpty())
        return {};
    QStringList lines = Text.split(QLatin1Char('\n'));
    return lines;
}

} // namespace

TMemo::TMemo(TComponent* AOwner) : TWinControl(AOwner, new MemoWidget)
{
    InitColor(clWindow);
    auto* m = static_cast<MemoWidget*>(Widget());
    m->setTabChangesFocus(true);
    auto lines = [m] { return SplitLines(m->toPlainText()); };
    auto setLines = [m](const QStringList& L) { m->setPlainText(L.join(QLatin1Char('\n'))); };
    detail::ItemOps ops;
    ops.count = [lines] { return static_cast<int>(lines().size()); };
    ops.get = [lines](int I) { return FromQString(lines().at(I)); };
    ops.set = [lines, setLines](int I, const std::string& S) {
        QStringList l = lines();
        l[I] = ToQString(S);
        setLines(l);
    };
    ops.insert = [this, lines, setLines](int I, const std::string& S) {
        QStringList l = lines();
        // Adding to an empty memo leaves a line break after the line, as the platform does.
        if (l.isEmpty())
            m_trailingBreak = true;
        // A trailing line break reads as an empty last line; keep whole lines.
        l.insert(I, ToQString(S));
        setLines(l);
    };
    ops.remove = [lines, setLines](int I) {
        QStringList l = lines();
        l.removeAt(I);
        setLines(l);
    };
    ops.clear = [this, m] {
        m_trailingBreak = false;
        m->clear();
    };
    m_lines = std::make_unique<detail::ItemStrings>(std::move(ops));
    QObject::connect(m, &QPlainTextEdit::textChanged, m, [this, m] {
        if (m->document()->isEmpty())
            m_trailingBreak = false;
        if (!IsDestroying())
            Change();
    });
    ApplyColor();
    SetBounds(0, 0, 185, 89);
}

TMemo::~TMemo() = default;

void TMemo::ApplyColor() { SetPaletteRole(Widget(), QPalette::Base, Color()); }

std::string TMemo::Text() const
{
    // The window's text: lines separated by CRLF, and a break after the last
    // line only where one was given (SetText) or lines were added to an empty memo.
    QString t = static_cast<QPlainTextEdit*>(Widget())->toPlainText();
    if (t.isEmpty())
        return {};
    t.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    if (m_trailingBreak)
        t += QLatin1String("\r\n");
    return FromQString(t);
}

void TMemo::SetText(const std::string& Value)
{
    QString t = ToQString(Value);
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // Qt would show the final break as an empty last line; the flag keeps it for Text.
    m_trailingBreak = t.endsWith(QLatin1Char('\n'));
    if (m_trailingBreak)
        t.chop(1);
    static_cast<QPlainTextEdit*>(Widget())->setPlainText(t);
}

void TMemo::SetWordWrap(bool Value)
{
    m_wordWrap = Value;
    static_cast<QPlainTextEdit*>(Widget())->setLineWrapMode(Value ? QPlainTextEdit::WidgetWidth
                                                                  : QPlainTextEdit::NoWrap);
}

void TMemo::SetScrollBars(TScrollStyle Value)
{
    m_scrollBars = Value;
    auto* m = static_cast<QPlainTextEdit*>(Widget());
    m->setHorizontalScrollBarPolicy(Value == ssHorizontal || Value == ssBoth ? Qt::ScrollBarAlwaysOn
                                                                             : Qt::ScrollBarAlwaysOff);
    m->setVerticalScrollBarPolicy(Value == ssVertical || Value == ssBoth ? Qt::ScrollBarAlwaysOn
                                                                         : Qt::ScrollBarAlwaysOff);
}

bool TMemo::ReadOnly() const { return static_cast<QPlainTextEdit*>(Widget())->isReadOnly(); }
void TMemo::SetReadOnly(bool Value) { static_cast<QPlainTextEdit*>(Widget())->setReadOnly(Value); }

void TMemo::SetWantTabs(bool Value)
{
    m_wantTabs = Value;
    static_cast<QPlainTextEdit*>(Widget())->setTabChangesFocus(!Value);
}

int TMemo::SelStart() const { return static_cast<QPlainTextEdit*>(Widget())->textCursor().selectionStart(); }

void TMemo::SetSelStart(int Value)
{
    auto* m = static_cast<QPlainTextEdit*>(Widget());
    QTextCursor c = m->textCursor();
    c.setPosition(std::clamp(Value, 0, static_cast<int>(m->toPlainText().size())));
    m->setTextCursor(c);
}

int TMemo::SelLength() const
{
    const QTextCursor c = static_cast<QPlainTextEdit*>(Widget())->textCursor();
    return c.selectionEnd() - c.selectionStart();
}

void TMemo::SetSelLength(int Value)
{
    auto* m = static_cast<QPlainTextEdit*>(Widget());
    QTextCursor c = m->textCursor();
    const int start = c.selectionStart();
    c.setPosition(start);
    c.setPosition(std::clamp(start + Value, start, static_cast<int>(m->toPlainText().size())), QTextCursor::KeepAnchor);
    m->setTextCursor(c);
}

std::string TMemo::SelText() const
{
    // Qt separates the lines of a selection with U+2029; callers see line breaks.
    QString t = static_cast<QPlainTextEdit*>(Widget())->textCursor().selectedText();
    t.replace(QChar(0x2029), QStringLiteral("\r\n"));
    return FromQString(t);
}

void TMemo::SetSelText(const std::string& Value)
{
    QString t = ToQString(Value);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    static_cast<QPlainTextEdit*>(Widget())->textCursor().insertText(t);
}

void TMemo::SelectAll() { static_cast<QPlainTextEdit*>(Widget())->selectAll(); }

void TMemo::Change()
{
    static_cast<MemoWidget*>(Widget())->wantReturns = m_wantReturns;
    if (OnChange)
        OnChange(this);
}

void TMemo::SetBorderStyle(TBorderStyle Value)
{
    m_borderStyle = Value == bsNone ? bsNone : bsSingle;
    static_cast<QPlainTextEdit*>(Widget())->setFrameShape(m_borderStyle == bsNone ? QFrame::NoFrame
                                                                                 : QFrame::StyledPanel);
}

void TMemo::HideCaret()
{
    if (m_caretHides++ == 0)
        static_cast<QPlainTextEdit*>(Widget())->setCursorWidth(0);
}

void TMemo::ShowCaret()
{
    if (m_caretHides == 0 || --m_caretHides > 0)
        return;
    static_cast<QPlainTextEdit*>(Widget())->setCursorWidth(1);
}

// ===== TComboBox ======================================================================

class ComboWidgetAccess {
public:
    static void DropDown(TComboBox* C) { C->DropDown(); }
    static void CloseUp(TComboBox* C) { C->CloseUp(); }
};

namespace {

class ComboWidget : public QComboBox {
public:
    TComboBox* Control() const { return dynamic_cast<TComboBox*>(TControl::FromWidget(this)); }

    void showPopup() override
    {
        if (TComboBox* c = Control(); c && !c->IsDestroying())
            ComboWidgetAccess::DropDown(c);
        QComboBox::showPopup();
    }
    void hidePopup() override
    {
        QComboBox::hidePopup();
        if (TComboBox* c = Control(); c && !c->IsDestroying())
            ComboWidgetAccess::CloseUp(c);
    }

protected:
    void paintEvent(QPaintEvent* E) override
    {
        TComboBox* c = Control();
        if (!c || !c->OwnerDraw() || c->IsDestroying()) {
            QComboBox::paintEvent(E);
            return;
        }
        // The frame and arrow by the style, the selected item by the control.
        QStylePainter painter(this);
        QStyleOptionComboBox opt;
        initStyleOption(&opt);
        opt.currentText.clear();
        opt.currentIcon = QIcon();
        painter.drawComplexControl(QStyle::CC_ComboBox, opt);
        const QRect edit = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
        if (currentIndex() >= 0) {
            TOwnerDrawState state{odComboBoxEdit};
            if (hasFocus())
                state += TOwnerDrawState{odSelected, odFocused};
            c->PaintItem(&painter, currentIndex(), detail::FromQRect(edit), state);
        }
    }
};

} // namespace

TComboBox::TComboBox(TComponent* AOwner) : TWinControl(AOwner, new ComboWidget)
{
    InitColor(clWindow);
    auto* cb = static_cast<QComboBox*>(Widget());
    cb->setInsertPolicy(QComboBox::NoInsert);
    detail::ItemOps ops;
    ops.count = [cb] { return cb->count(); };
    ops.get = [cb](int I) { return FromQString(cb->itemText(I)); };
    ops.set = [cb](int I, const std::string& S) { cb->setItemText(I, ToQString(S)); };
    ops.object = [cb](int I) { return ObjectOf(cb->itemData(I)); };
    ops.setObject = [cb](int I, TObject* O) { cb->setItemData(I, ObjectData(O)); };
    ops.insert = [cb](int I, const std::string& S) {
        const QSignalBlocker block(cb);
        const QString text = cb->isEditable() ? cb->currentText() : QString();
        cb->insertItem(I, ToQString(S), ObjectData(nullptr));
        if (cb->isEditable())
            cb->setEditText(text);
    };
    ops.remove = [cb](int I) {
        const QSignalBlocker block(cb);
        cb->removeItem(I);
    };
    ops.clear = [cb] {
        const QSignalBlocker block(cb);
        const QString text = cb->isEditable() ? cb->currentText() : QString();
        cb->clear();
        if (cb->isEditable())
            cb->setEditText(text);
    };
    ops.sortedIndex = [this, cb](const std::string& S) {
        if (!m_sorted)
            return -1;
        int i = 0;
        while (i < cb->count() && AnsiCompareText(FromQString(cb->itemText(i)), S) <= 0)
            ++i;
        return i;
    };
    m_items = std::make_unique<detail::ItemStrings>(std::move(ops));
    QObject::connect(cb, &QComboBox::activated, cb, [this](int) {
        if (IsDestroying())
            return;
        Change();
        Click();
    });
    QObject::connect(cb, &QComboBox::currentIndexChanged, cb, [this, cb](int) {
        // A list-style combo has no text of its own: keep the edit in step.
        if (!IsDestroying())
            cb->update();
    });
    ApplyStyle();
    ApplyColor();
    SetBounds(0, 0, 145, 21);
}

TComboBox::~TComboBox() = default;

void TComboBox::ApplyColor() { SetPaletteRole(Widget(), QPalette::Base, Color()); }

void TComboBox::SetStyle(TComboBoxStyle Value)
{
    m_style = Value;
    ApplyStyle();
}

void TComboBox::ApplyStyle()
{
    auto* cb = static_cast<QComboBox*>(Widget());
    const bool editable = m_style == csDropDown || m_style == csSimple;
    if (cb->isEditable() != editable) {
        cb->setEditable(editable);
        if (editable && cb->lineEdit()) {
            QObject::connect(cb->lineEdit(), &QLineEdit::textEdited, cb, [this](const QString&) {
                if (!IsDestroying())
                    Change();
            });
            if (m_maxLength > 0)
                cb->lineEdit()->setMaxLength(m_maxLength);
        }
    }
    if (OwnerDraw()) {
        auto* d = new OwnerDrawDelegate(
            cb,
            [this](QPainter* P, int I, const TRect& R, TOwnerDrawState S) { PaintItem(P, I, R, S); },
            [this](int I) {
                int h = m_itemHeight;
                if (m_style == csOwnerDrawVariable)
                    MeasureItem(I, h);
                return h;
            });
        cb->setItemDelegate(d);
    } else {
        cb->setItemDelegate(new QStyledItemDelegate(cb));
    }
    cb->update();
}

int TComboBox::ItemIndex() const { return static_cast<QComboBox*>(Widget())->currentIndex(); }

void TComboBox::SetItemIndex(int Value)
{
    auto* cb = static_cast<QComboBox*>(Widget());
    if (Value < -1 || Value >= cb->count())
        Value = -1;
    const QSignalBlocker block(cb);
    cb->setCurrentIndex(Value);
    if (Value < 0 && cb->isEditable())
        cb->setEditText(QString());
    cb->update();
}

std::string TComboBox::Text() const { return FromQString(static_cast<QComboBox*>(Widget())->currentText()); }

void TComboBox::SetText(const std::string& Value)
{
    auto* cb = static_cast<QComboBox*>(Widget());
    const QString v = ToQString(Value);
    const QSignalBlocker block(cb);
    if (cb->isEditable()) {
        const int i = cb->findText(v, Qt::MatchFixedString);
        if (i >= 0 && cb->itemText(i) == v)
            cb->setCurrentIndex(i);
        cb->setEditText(v);
    } else {
        // A list-style combo can only show one of its items.
        cb->setCurrentIndex(cb->findText(v, Qt::MatchFixedString));
    }
}

bool TComboBox::DroppedDown() const
{
    auto* cb = static_cast<QComboBox*>(Widget());
    return cb->view() && cb->view()->isVisible();
}

void TComboBox::SetDroppedDown(bool Value)
{
    auto* cb = static_cast<QComboBox*>(Widget());
    if (Value == DroppedDown())
        return;
    if (Value)
        cb->showPopup();
    else
        cb->hidePopup();
}

void TComboBox::SetDropDownCount(int Value)
{
    m_dropDownCount = std::max(1, Value);
    static_cast<QComboBox*>(Widget())->setMaxVisibleItems(m_dropDownCount);
}

void TComboBox::SetItemHeight(int Value)
{
    m_itemHeight = std::max(1, Value);
    Widget()->update();
}

void TComboBox::SetSorted(bool Value)
{
    m_sorted = Value;
    if (Value) {
        auto* cb = static_cast<QComboBox*>(Widget());
        const QSignalBlocker block(cb);
        cb->model()->sort(0);
    }
}

void TComboBox::SetMaxLength(int Value)
{
    m_maxLength = std::max(0, Value);
    if (auto* le = static_cast<QComboBox*>(Widget())->lineEdit())
        le->setMaxLength(m_maxLength > 0 ? m_maxLength : 32767);
}

int TComboBox::SelStart() const
{
    auto* le = static_cast<QComboBox*>(Widget())->lineEdit();
    return le ? (le->hasSelectedText() ? le->selectionStart() : le->cursorPosition()) : 0;
}

void TComboBox::SetSelStart(int Value)
{
    if (auto* le = static_cast<QComboBox*>(Widget())->lineEdit()) {
        le->deselect();
        le->setCursorPosition(Value);
    }
}

int TComboBox::SelLength() const
{
    auto* le = static_cast<QComboBox*>(Widget())->lineEdit();
    return le ? static_cast<int>(le->selectedText().size()) : 0;
}

void TComboBox::SetSelLength(int Value)
{
    if (auto* le = static_cast<QComboBox*>(Widget())->lineEdit())
        le->setSelection(SelStart(), std::max(0, Value));
}

void TComboBox::SelectAll()
{
    if (auto* le = static_cast<QComboBox*>(Widget())->lineEdit())
        le->selectAll();
}

void TComboBox::Clear()
{
    m_items->Clear();
    SetText("");
}

void TComboBox::Change()
{
    if (OnChange)
        OnChange(this);
}

void TComboBox::DropDown()
{
    if (OnDropDown)
        OnDropDown(this);
}

void TComboBox::CloseUp()
{
    if (OnCloseUp)
        OnCloseUp(this);
}

void TComboBox::MeasureItem(int Index, int& Height)
{
    if (OnMeasureItem)
        OnMeasureItem(this, Index, Height);
}

void TComboBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State)
{
    if (OnDrawItem)
        OnDrawItem(this, Index, Rect, State);
    else
        DrawPlainItem(Canvas(), *m_items, Index, Rect);
}

void TComboBox::PaintItem(QPainter* Painter, int Index, const TRect& Rect, TOwnerDrawState State)
{
    PaintWithCanvas(Painter, Rect, [&] {
        SetItemColors(Canvas(), State, Color());
        DrawItem(Index, Rect, State);
    });
}

// ===== TListBox =======================================================================

TListBox::TListBox(TComponent* AOwner) : TWinControl(AOwner, new QListWidget)
{
    InitColor(clWindow);
    auto* lw = static_cast<QListWidget*>(Widget());
    WatchInputWidget(lw->viewport());
    detail::ItemOps ops;
    ops.count = [lw] { return lw->count(); };
    ops.get = [lw](int I) { return FromQString(lw->item(I)->text()); };
    ops.set = [lw](int I, const std::string& S) { lw->item(I)->setText(ToQString(S)); };
    ops.object = [lw](int I) { return ObjectOf(lw->item(I)->data(Qt::UserRole)); };
    ops.setObject = [lw](int I, TObject* O) { lw->item(I)->setData(Qt::UserRole, ObjectData(O)); };
    ops.insert = [this, lw](int I, const std::string& S) {
        TValueRestorer updating(m_updating, true);
        auto* item = new QListWidgetItem(ToQString(S));
        item->setData(Qt::UserRole, ObjectData(nullptr));
        lw->insertItem(I, item);
    };
    ops.remove = [this, lw](int I) {
        TValueRestorer updating(m_updating, true);
        delete lw->takeItem(I);
    };
    ops.clear = [this, lw] {
        TValueRestorer updating(m_updating, true);
        lw->clear();
    };
    ops.sortedIndex = [this, lw](const std::string& S) {
        if (!m_sorted)
            return -1;
        int i = 0;
        while (i < lw->count() && AnsiCompareText(FromQString(lw->item(i)->text()), S) <= 0)
            ++i;
        return i;
    };
    m_items = std::make_unique<detail::ItemStrings>(std::move(ops));
    QObject::connect(lw, &QListWidget::itemSelectionChanged, lw, [this] {
        if (!IsDestroying() && !m_updating)
            Click();
    });
    // A double click reaches DblClick through the control's own mouse handling.
    ApplySelectionMode();
    ApplyColor();
    SetBounds(0, 0, 121, 97);
}

TListBox::~TListBox() = default;

void TListBox::ApplyColor() { SetPaletteRole(Widget(), QPalette::Base, Color()); }

void TListBox::SetStyle(TListBoxStyle Value)
{
    m_style = Value;
    auto* lw = static_cast<QListWidget*>(Widget());
    if (OwnerDraw()) {
        lw->setUniformItemSizes(m_style == lbOwnerDrawFixed);
        lw->setItemDelegate(new OwnerDrawDelegate(
            lw, [this](QPainter* P, int I, const TRect& R, TOwnerDrawState S) { PaintItem(P, I, R, S); },
            [this](int I) {
                int h = m_itemHeight;
                if (m_style == lbOwnerDrawVariable)
                    MeasureItem(I, h);
                return h;
            }));
    } else {
        lw->setUniformItemSizes(false);
        lw->setItemDelegate(new QStyledItemDelegate(lw));
    }
    lw->doItemsLayout();
}

void TListBox::ApplySelectionMode()
{
    auto* lw = static_cast<QListWidget*>(Widget());
    lw->setSelectionMode(!m_multiSelect ? QAbstractItemView::SingleSelection
                         : m_extendedSelect ? QAbstractItemView::ExtendedSelection
                                            : QAbstractItemView::MultiSelection);
}

int TListBox::ItemIndex() const { return static_cast<QListWidget*>(Widget())->currentRow(); }

void TListBox::SetItemIndex(int Value)
{
    auto* lw = static_cast<QListWidget*>(Widget());
    if (Value < -1 || Value >= lw->count())
        Value = -1;
    TValueRestorer updating(m_updating, true);
    if (!m_multiSelect)
        lw->clearSelection();
    lw->setCurrentRow(Value, m_multiSelect ? QItemSelectionModel::NoUpdate : QItemSelectionModel::ClearAndSelect);
    if (Value < 0)
        lw->setCurrentItem(nullptr);
}

void TListBox::SetMultiSelect(bool Value)
{
    m_multiSelect = Value;
    ApplySelectionMode();
}

void TListBox::SetExtendedSelect(bool Value)
{
    m_extendedSelect = Value;
    ApplySelectionMode();
}

bool TListBox::Selected(int Index) const
{
    auto* lw = static_cast<QListWidget*>(Widget());
    if (Index < 0 || Index >= lw->count())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return lw->item(Index)->isSelected();
}

void TListBox::SetSelected(int Index, bool Value)
{
    auto* lw = static_cast<QListWidget*>(Widget());
    if (Index < 0 || Index >= lw->count())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    TValueRestorer updating(m_updating, true);
    if (Value && !m_multiSelect)
        lw->clearSelection();
    lw->item(Index)->setSelected(Value);
    if (Value && !m_multiSelect)
        lw->setCurrentRow(Index);
}

int TListBox::SelCount() const
{
    return m_multiSelect ? static_cast<int>(static_cast<QListWidget*>(Widget())->selectedItems().size()) : -1;
}

int TListBox::TopIndex() const
{
    auto* lw = static_cast<QListWidget*>(Widget());
    QListWidgetItem* item = lw->itemAt(2, 2);
    return item ? lw->row(item) : 0;
}

void TListBox::SetTopIndex(int Value)
{
    auto* lw = static_cast<QListWidget*>(Widget());
    if (Value >= 0 && Value < lw->count())
        lw->scrollToItem(lw->item(Value), QAbstractItemView::PositionAtTop);
}

void TListBox::SetItemHeight(int Value)
{
    m_itemHeight = std::max(1, Value);
    static_cast<QListWidget*>(Widget())->doItemsLayout();
}

void TListBox::SetSorted(bool Value)
{
    m_sorted = Value;
    if (Value)
        static_cast<QListWidget*>(Widget())->sortItems();
}

int TListBox::ItemAtPos(TPoint Pos, bool Existing) const
{
    auto* lw = static_cast<QListWidget*>(Widget());
    const QPoint vp = lw->viewport()->mapFrom(lw, QPoint(Pos.X, Pos.Y));
    if (QListWidgetItem* item = lw->itemAt(vp))
        return lw->row(item);
    return Existing ? -1 : lw->count();
}

TRect TListBox::ItemRect(int Index) const
{
    auto* lw = static_cast<QListWidget*>(Widget());
    if (Index < 0 || Index >= lw->count())
        return {};
    const QRect r = lw->visualItemRect(lw->item(Index));
    return detail::FromQRect(r.translated(lw->viewport()->mapTo(lw, QPoint(0, 0))));
}

void TListBox::Clear() { m_items->Clear(); }

void TListBox::MeasureItem(int Index, int& Height)
{
    if (OnMeasureItem)
        OnMeasureItem(this, Index, Height);
}

void TListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State)
{
    if (OnDrawItem)
        OnDrawItem(this, Index, Rect, State);
    else
        DrawPlainItem(Canvas(), *m_items, Index, Rect);
}

void TListBox::PaintItem(QPainter* Painter, int Index, const TRect& Rect, TOwnerDrawState State)
{
    PaintWithCanvas(Painter, Rect, [&] {
        SetItemColors(Canvas(), State, Color());
        DrawItem(Index, Rect, State);
    });
}

// ===== TGroupBox ======================================================================

TGroupBox::TGroupBox(TComponent* AOwner) : TWinControl(AOwner, new QGroupBox)
{
    ApplyTabStop();
    SetBounds(0, 0, 185, 105);
}

TRect TGroupBox::AlignRect() const
{
    const QRect r = static_cast<QGroupBox*>(Widget())->contentsRect();
    return detail::FromQRect(r);
}

void TGroupBox::TextChanged() { static_cast<QGroupBox*>(Widget())->setTitle(ToQString(Caption())); }

bool TGroupBox::DialogChar(TKeyChar Ch)
{
    if (IsAccel(Ch, Caption()) && CanFocus()) {
        SelectFirst();
        return true;
    }
    return false;
}

// ===== TScrollBar =====================================================================

TScrollBar::TScrollBar(TComponent* AOwner) : TWinControl(AOwner, new QScrollBar(Qt::Horizontal))
{
    auto* sb = static_cast<QScrollBar*>(Widget());
    QObject::connect(sb, &QScrollBar::actionTriggered, sb, [this, sb](int Action) {
        if (IsDestroying() || m_updating)
            return;
        const std::optional<TScrollCode> code = detail::ScrollCodeFromQt(Action);
        if (!code)
            return;
        int pos = sb->sliderPosition();
        Scroll(*code, pos);
        if (pos != sb->sliderPosition())
            sb->setSliderPosition(pos);
    });
    QObject::connect(sb, &QScrollBar::sliderReleased, sb, [this, sb] {
        if (IsDestroying())
            return;
        int pos = sb->sliderPosition();
        Scroll(scPosition, pos);
        int end = pos;
        Scroll(scEndScroll, end);
    });
    QObject::connect(sb, &QScrollBar::valueChanged, sb, [this](int V) {
        if (IsDestroying() || m_updating || V == m_position)
            return;
        m_position = V;
        Change();
    });
    ApplyRange();
    SetBounds(0, 0, 121, 17);
}

void TScrollBar::SetKind(TScrollBarKind Value)
{
    if (m_kind == Value)
        return;
    m_kind = Value;
    static_cast<QScrollBar*>(Widget())->setOrientation(Value == sbHorizontal ? Qt::Horizontal : Qt::Vertical);
    SetBounds(Left(), Top(), Height(), Width());
}

void TScrollBar::SetParams(int APosition, int AMin, int AMax)
{
    if (AMax < AMin)
        throw EInvalidOperation("Scroll bar property out of range");
    APosition = std::clamp(APosition, AMin, AMax);
    const bool changed = APosition != m_position;
    m_min = AMin;
    m_max = AMax;
    m_position = APosition;
    if (m_pageSize > m_max - m_min + 1)
        m_pageSize = m_max - m_min + 1;
    ApplyRange();
    if (changed)
        Change();
}

void TScrollBar::SetPageSize(int Value)
{
    m_pageSize = std::clamp(Value, 0, m_max - m_min + 1);
    ApplyRange();
}

void TScrollBar::SetSmallChange(int Value)
{
    m_smallChange = std::max(1, Value);
    ApplyRange();
}

void TScrollBar::SetLargeChange(int Value)
{
    m_largeChange = std::max(1, Value);
    ApplyRange();
}

void TScrollBar::SetFlat(bool Value)
{
    m_flat = Value;
    Widget()->setStyleSheet(Value ? QStringLiteral("QScrollBar { border: none; }") : QString());
}

void TScrollBar::ApplyRange()
{
    auto* sb = static_cast<QScrollBar*>(Widget());
    TValueRestorer updating(m_updating, true);
    // Qt's range excludes the page; the platform's position stops at Max - PageSize + 1.
    const int qtMax = std::max(m_min, m_max - std::max(0, m_pageSize - 1));
    sb->setRange(m_min, qtMax);
    sb->setPageStep(m_pageSize > 0 ? m_pageSize : m_largeChange);
    sb->setSingleStep(m_smallChange);
    sb->setValue(m_position);
}

void TScrollBar::Scroll(TScrollCode ScrollCode, int& ScrollPos)
{
    if (OnScroll)
        OnScroll(this, ScrollCode, ScrollPos);
}

void TScrollBar::Change()
{
    if (OnChange)
        OnChange(this);
}

} // namespace qel
