#include "printing/PrintControls.h"

#include "platform/controls/Application.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Forms.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Guards.h"
#include "platform/core/Locale.h"
#include "platform/core/Strings.h"
#include "platform/core/Utf8.h"
#include "platform/graphics/Bitmap.h"
#include "platform/storage/Registry.h"

#include <algorithm>
#include <cmath>

namespace qel {

int ScrollMouseSensitivityDistance(TdxScrollMouseSensetivity Value)
{
    switch (Value) {
    case msLow: return 10;
    case msHigh: return 1;
    case msMedium: break;
    }
    return 5;
}

// ===== TdxUpDown ======================================================================

TdxUpDown::TdxUpDown(TdxPSSpinEdit* Edit, bool PageButtons)
    : TUpDown(Edit), m_edit(Edit), m_pageButtons(PageButtons)
{
    SetOrientation(udVertical);
    SetMin(-1);
    SetMax(1);
    SetPosition(0);
}

void TdxUpDown::Press(TUDBtnType Button)
{
    if (m_edit)
        m_edit->ButtonPressed(m_pageButtons, Button);
}

bool TdxUpDown::InMiddleBand(int Y) const
{
    return std::abs(Y - Height() / 2) < 2;
}

void TdxUpDown::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft)
        return;
    if (InMiddleBand(Y)) {
        // A press on the middle band starts a drag adjustment instead of a click.
        m_dragging = true;
        m_dragStart = Y;
        SetCapture();
        return;
    }
    Press(Y < Height() / 2 ? btNext : btPrev);
}

void TdxUpDown::MouseMove(TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseMove(Shift, X, Y);
    if (!m_dragging) {
        SetCursor(InMiddleBand(Y) ? crSizeNS : crDefault);
        return;
    }
    const int distance = ScrollMouseSensitivityDistance(m_sens);
    // Every full distance of travel is one press; what is left over carries on.
    while (std::abs(Y - m_dragStart) >= distance) {
        if (Y < m_dragStart) {
            m_dragStart -= distance;
            Press(btNext);
        } else {
            m_dragStart += distance;
            Press(btPrev);
        }
        if (!m_dragging)
            return;
    }
}

void TdxUpDown::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (m_dragging && Button == mbLeft)
        EndDrag();
}

void TdxUpDown::MouseCaptureLost()
{
    m_dragging = false;
    SetCursor(crDefault);
}

void TdxUpDown::EndDrag()
{
    m_dragging = false;
    if (MouseCapture())
        ReleaseCapture();
    SetCursor(crDefault);
}

bool TdxUpDown::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos))
        return true;
    if (WheelDelta == 0)
        return false;
    Press(WheelDelta > 0 ? btNext : btPrev);
    return true;
}

// ===== TdxPSSpinEdit ==================================================================

TdxPSSpinEdit::TdxPSSpinEdit(TComponent* AOwner)
    : TEdit(AOwner),
      m_incrButtonWidth(GetSystemMetrics(SM_CXVSCROLL)),
      m_pageIncrButtonWidth(GetSystemMetrics(SM_CXVSCROLL))
{
    TEdit::SetText("0");
    SetBounds(Left(), Top(), 65, 22);
    RecreateButtons();
}

TdxPSSpinEdit::~TdxPSSpinEdit() = default;

std::string TdxPSSpinEdit::LegendText() const
{
    if (m_legend.empty() || m_legend.front() == ' ')
        return m_legend;
    return " " + m_legend;
}

void TdxPSSpinEdit::SetLegendText(const std::string& Value)
{
    if (m_legend == Value)
        return;
    double value = 0;
    const bool known = TryReadValue(value);
    m_legend = Value;
    SetValue(known ? value : m_lastValue);
}

std::string TdxPSSpinEdit::TextWithoutLegend() const
{
    std::string text = Text();
    const std::string legend = LegendText();
    if (!legend.empty()) {
        const auto pos = text.find(legend);
        if (pos != std::string::npos)
            text.erase(pos);
    }
    return text;
}

bool TdxPSSpinEdit::TryReadValue(double& Value) const
{
    const std::string text = TextWithoutLegend();
    if (m_valueType == svtInteger) {
        std::int32_t i = 0;
        if (!TryStrToInt(text, i))
            return false;
        Value = CheckValue(i);
        return true;
    }
    double f = 0;
    if (!TryStrToFloat(text, f) || !std::isfinite(f))
        return false;
    Value = CheckValue(f);
    return true;
}

double TdxPSSpinEdit::Value() const
{
    // A text that does not parse ("-", "1-2", "") stands for the last good value.
    double value = 0;
    return TryReadValue(value) ? value : CheckValue(m_lastValue);
}

int TdxPSSpinEdit::AsInteger() const
{
    const double v = std::trunc(Value());
    if (v >= 2147483647.0)
        return 2147483647;
    if (v <= -2147483648.0)
        return -2147483647 - 1;
    return static_cast<int>(v);
}

double TdxPSSpinEdit::CheckValue(double Value) const
{
    if (!m_checkBounds)
        return Value;
    if (Value < m_minValue)
        return m_minValue;
    if (Value > m_maxValue)
        return m_maxValue;
    return Value;
}

void TdxPSSpinEdit::SetValue(double Value)
{
    if (!std::isfinite(Value))
        Value = 0;
    Value = CheckValue(Value);
    if (m_valueType == svtInteger)
        Value = std::round(Value);
    m_lastValue = Value;
    TEdit::SetText(ValueToText(Value) + LegendText());
}

std::string TdxPSSpinEdit::ValueToText(double Value) const
{
    if (m_valueType == svtInteger)
        return IntToStr(static_cast<std::int64_t>(Value));
    std::string picture = "0";
    if (m_decimal > 0)
        picture += "." + std::string(static_cast<std::size_t>(m_decimal), '0');
    return FormatFloat(picture, Value);
}

void TdxPSSpinEdit::SetValueType(TdxSpinValueType Value)
{
    if (m_valueType == Value)
        return;
    const double value = this->Value();
    m_valueType = Value;
    SetValue(value);
}

void TdxPSSpinEdit::SetDecimal(int Value)
{
    Value = std::clamp(Value, 0, 255);
    if (m_decimal == Value)
        return;
    const double value = this->Value();
    m_decimal = Value;
    SetValue(value);
}

void TdxPSSpinEdit::SetCheckBounds(bool Value)
{
    if (m_checkBounds == Value)
        return;
    m_checkBounds = Value;
    SetValue(this->Value());
}

void TdxPSSpinEdit::SetMinValue(double Value)
{
    SetLimit(m_minValue, Value);
}

void TdxPSSpinEdit::SetMaxValue(double Value)
{
    SetLimit(m_maxValue, Value);
}

// A new limit applies to the default and to the value shown (the typed one,
// or the last good one when the text does not read).
void TdxPSSpinEdit::SetLimit(double& Limit, double Value)
{
    if (Limit == Value)
        return;
    double value = 0;
    const bool known = TryReadValue(value);
    Limit = Value;
    m_defaultValue = CheckValue(m_defaultValue);
    SetValue(known ? value : m_lastValue);
}

void TdxPSSpinEdit::SetFlat(bool Value)
{
    if (m_flat == Value)
        return;
    m_flat = Value;
    RecreateButtons();
}

void TdxPSSpinEdit::SetUsePageIncr(bool Value)
{
    if (m_usePageIncr == Value)
        return;
    m_usePageIncr = Value;
    RecreateButtons();
}

void TdxPSSpinEdit::SetIncrButtonWidth(int Value)
{
    if (m_incrButtonWidth == Value)
        return;
    m_incrButtonWidth = std::max(0, Value);
    RecreateButtons();
}

void TdxPSSpinEdit::SetPageIncrButtonWidth(int Value)
{
    if (m_pageIncrButtonWidth == Value)
        return;
    m_pageIncrButtonWidth = std::max(0, Value);
    RecreateButtons();
}

void TdxPSSpinEdit::SetScrollMouseSens(TdxScrollMouseSensetivity Value)
{
    m_sens = Value;
    if (m_incrButtons)
        m_incrButtons->SetScrollMouseSens(Value);
    if (m_pageButtons)
        m_pageButtons->SetScrollMouseSens(Value);
}

void TdxPSSpinEdit::RecreateButtons()
{
    delete m_pageButtons;
    m_pageButtons = nullptr;
    delete m_incrButtons;
    m_incrButtons = nullptr;
    auto make = [this](bool Page, int Width) {
        auto* b = new TdxUpDown(this, Page);
        b->SetScrollMouseSens(m_sens);
        b->SetParent(this);
        b->SetWidth(Width);
        b->SetAlign(alRight);
        b->SetPopupMenu(PopupMenu());
        return b;
    };
    // The page buttons sit outermost, the increment buttons beside the text.
    if (m_usePageIncr)
        m_pageButtons = make(true, m_pageIncrButtonWidth);
    m_incrButtons = make(false, m_incrButtonWidth);
}

int TdxPSSpinEdit::MinHeight()
{
    TCanvas* canvas = Canvas();
    TFont systemFont;
    canvas->SetFont(&systemFont);
    const int systemHeight = canvas->TextHeight("Wg");
    canvas->SetFont(Font());
    const int fontHeight = canvas->TextHeight("Wg");
    return std::min(systemHeight, fontHeight) + 4 * GetSystemMetrics(SM_CYBORDER) + 1;
}

void TdxPSSpinEdit::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    TEdit::SetBounds(ALeft, ATop, AWidth, std::max(AHeight, MinHeight()));
}

void TdxPSSpinEdit::FontChanged()
{
    TEdit::FontChanged();
    if (Height() < MinHeight())
        SetHeight(MinHeight());
}

void TdxPSSpinEdit::ButtonClick(TdxSpinButtonKind Button)
{
    if (OnButtonClick)
        OnButtonClick(this, Button);
}

void TdxPSSpinEdit::Step(double Delta, TdxSpinButtonKind Kind)
{
    if (ReadOnly()) {
        MessageBeep(0);
        return;
    }
    SetValue(Value() + Delta);
    ButtonClick(Kind);
}

void TdxPSSpinEdit::ButtonPressed(bool PageButtons, TUDBtnType Button)
{
    std::uint16_t key = PageButtons ? (Button == btNext ? VK_PRIOR : VK_NEXT) : (Button == btNext ? VK_UP : VK_DOWN);
    if (CanFocus() && !Focused())
        SetFocus();
    KeyDown(key, {});
}

void TdxPSSpinEdit::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    TEdit::KeyDown(Key, Shift);
    if (Key == 0)
        return;
    const std::string before = Text();
    const bool ctrl = Shift.Contains(ssCtrl);
    const bool shift = Shift.Contains(ssShift);
    if (Key == VK_ESCAPE)
        for (TdxUpDown* buttons : {m_incrButtons, m_pageButtons})
            if (buttons && buttons->Dragging())
                buttons->SetCursor(crDefault);
    // Cutting and pasting change the text: only while the text may be edited.
    const bool cutOrPaste = (ctrl && (Key == 'X' || Key == 'V')) || (shift && (Key == VK_DELETE || Key == VK_INSERT));
    if (cutOrPaste && (!m_editorEnabled || ReadOnly())) {
        Key = 0;
        return;
    }
    bool consumed = false;
    if (m_arrowKeys && (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN)) {
        switch (Key) {
        case VK_PRIOR: Step(m_pageIncrement, sbkPageUp); break;
        case VK_NEXT: Step(-m_pageIncrement, sbkPageDown); break;
        case VK_UP: ctrl ? Step(m_pageIncrement, sbkPageUp) : Step(m_increment, sbkUp); break;
        default: ctrl ? Step(-m_pageIncrement, sbkPageDown) : Step(-m_increment, sbkDown); break;
        }
        consumed = true;
    } else if (ctrl && Key == VK_END) {
        SetValue(m_maxValue);
        consumed = true;
    } else if (ctrl && Key == VK_HOME) {
        SetValue(m_minValue);
        consumed = true;
    } else if (Key == VK_DELETE && !m_editorEnabled) {
        MessageBeep(0);
        consumed = true;
    } else if (Key == VK_RETURN || Key == VK_ESCAPE) {
        if (Key == VK_RETURN) {
            SetValue(Value());
            if (AutoSelect())
                SelectAll();
        }
        // The form's default and cancel buttons act on them as usual.
        if (TForm* form = GetParentForm(this))
            form->DialogKey(Key, Shift, 0);
        consumed = true;
    }
    if (AnsiCompareText(before, Text()) != 0)
        SetModified(true);
    if (consumed)
        Key = 0;
}

bool TdxPSSpinEdit::IsValidChar(TKeyChar Ch) const
{
    if (!m_editorEnabled)
        return Ch < 32 && Ch != U'\b';
    if (Ch < 32)
        return true;
    if (Ch == U'+' || Ch == U'-' || (Ch >= U'0' && Ch <= U'9'))
        return true;
    if (m_valueType == svtFloat && Ch == static_cast<TKeyChar>(FormatSettings().DecimalSeparator))
        return true;
    return !m_legend.empty() && m_legend.find(KeyCharToUtf8(Ch)) != std::string::npos;
}

void TdxPSSpinEdit::KeyPress(TKeyChar& Key)
{
    TEdit::KeyPress(Key);
    if (Key == 0)
        return;
    if (!m_editorEnabled && Key >= 32) {
        Key = 0;
        MessageBeep(0);
        return;
    }
    if (!IsValidChar(Key)) {
        Key = 0;
        MessageBeep(0);
    }
}

void TdxPSSpinEdit::DoEnter()
{
    double value = 0;
    if (TryReadValue(value))
        m_lastValue = value;
    TEdit::DoEnter();
}

void TdxPSSpinEdit::DoExit()
{
    // Leaving never raises: a text that does not parse goes back to the value on entry.
    SetValue(Value());
    TEdit::DoExit();
}

bool TdxPSSpinEdit::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TEdit::DoMouseWheel(Shift, WheelDelta, MousePos))
        return true;
    if (WheelDelta == 0)
        return false;
    TdxUpDown* target = Shift.Contains(ssCtrl) ? m_pageButtons : m_incrButtons;
    // Ctrl turns act on the page buttons; without them the turn is ignored.
    if (!target)
        return false;
    target->Press(WheelDelta > 0 ? btNext : btPrev);
    return true;
}

// ===== colour lists ======================================================================

const std::vector<TdxNamedColor>& dxPureColors()
{
    static const std::vector<TdxNamedColor> colors{
        {"Black", 0x000000}, {"Olive", 0x008080}, {"Teal", 0x808000}, {"Green", 0x008000},
        {"Money Green", 0xC0DCC0}, {"Lime", 0x00FF00}, {"Navy", 0x800000}, {"Blue", 0xFF0000},
        {"Aqua", 0xFFFF00}, {"Sky Blue", 0xFFFBF0}, {"Gray", 0x808080}, {"Medium Gray", 0xA4A0A0},
        {"Silver", 0xC0C0C0}, {"Maroon", 0x000080}, {"Purple", 0x800080}, {"Fuchsia", 0xFF00FF},
        {"Red", 0x0000FF}, {"Cream", 0xA6CAF0}, {"Yellow", 0x00FFFF}, {"White", 0xFFFFFF}};
    return colors;
}

const std::vector<TdxNamedColor>& dxSystemColors()
{
    static const std::vector<TdxNamedColor> colors = [] {
        static const char* const names[] = {
            "ScrollBar", "Background", "Active Caption", "Inactive Caption", "Menu", "Window",
            "Window Frame", "Menu Text", "Window Text", "Caption Text", "Active Border",
            "Inactive Border", "App Workspace", "Highlight", "Highlight Text", "Button Face",
            "Button Shadow", "Gray Text", "Button Text", "Inactive Caption Text", "Button Highlight",
            "3DDk Shadow", "3DLight", "Info Text", "InfoBk"};
        std::vector<TdxNamedColor> list;
        for (int i = 0; i < 25; ++i)
            list.push_back({names[i], SystemColor(i)});
        return list;
    }();
    return colors;
}

// ===== TdxPSColorCombo ==================================================================

TdxPSColorCombo::TdxPSColorCombo(TComponent* AOwner) : TComboBox(AOwner)
{
    SetStyle(csOwnerDrawFixed);
    SetDropDownCount(8);
    RebuildList();
}

void TdxPSColorCombo::RebuildList()
{
    TStrings* items = Items();
    items->BeginUpdate();
    Finally done([items] { items->EndUpdate(); });
    items->Clear();
    m_colors.clear();
    auto add = [&](const std::string& Name, TColor Color) {
        items->Add(Name);
        m_colors.push_back(Color);
    };
    if (m_showAutoColor)
        add(m_autoColorText, m_autoColor);
    if (m_colorTypes.Contains(ctPure))
        for (const auto& c : dxPureColors())
            add(c.Name, c.Color);
    if (m_colorTypes.Contains(ctSystem))
        for (const auto& c : dxSystemColors())
            add(c.Name, c.Color);
    if (m_showCustomColor)
        add(m_customColorText, clDxNoCustomColor);
    SetItemIndex(m_colors.empty() ? -1 : 0);
}

void TdxPSColorCombo::SetAutoColor(TColor Value)
{
    if (m_autoColor == Value)
        return;
    m_autoColor = Value;
    if (m_showAutoColor)
        m_colors[0] = Value;
    Invalidate();
}

void TdxPSColorCombo::SetAutoColorText(const std::string& Value)
{
    if (m_autoColorText == Value)
        return;
    m_autoColorText = Value;
    RebuildList();
}

void TdxPSColorCombo::SetColorTypes(TdxColorTypes Value)
{
    if (Value == TdxColorTypes{})
        Value = TdxColorTypes{ctPure};
    if (m_colorTypes == Value)
        return;
    m_colorTypes = Value;
    RebuildList();
}

void TdxPSColorCombo::SetCustomColorText(const std::string& Value)
{
    if (m_customColorText == Value)
        return;
    m_customColorText = Value;
    RebuildList();
}

void TdxPSColorCombo::SetShowAutoColor(bool Value)
{
    if (m_showAutoColor == Value)
        return;
    m_showAutoColor = Value;
    RebuildList();
}

void TdxPSColorCombo::SetShowCustomColor(bool Value)
{
    if (m_showCustomColor == Value)
        return;
    m_showCustomColor = Value;
    RebuildList();
}

TColor TdxPSColorCombo::Colors(int Index) const
{
    if (Index < 0 || Index >= ColorCount())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return m_colors[static_cast<std::size_t>(Index)];
}

TdxColorItemKind TdxPSColorCombo::ItemKind(int Index) const
{
    if (Index == AutoColorIndex())
        return cikAuto;
    if (Index == CustomColorIndex())
        return cikCustom;
    return cikListed;
}

TColor TdxPSColorCombo::ColorValue() const
{
    const int i = ItemIndex();
    return i >= 0 && i < ColorCount() ? m_colors[static_cast<std::size_t>(i)] : 0;
}

int TdxPSColorCombo::IndexOfColor(TColor Value) const
{
    for (int i = 0; i < ColorCount(); ++i)
        if (m_colors[static_cast<std::size_t>(i)] == Value)
            return i;
    return -1;
}

void TdxPSColorCombo::SetColorValue(TColor Value)
{
    const int i = IndexOfColor(Value);
    if (i >= 0) {
        SetItemIndex(i);
    } else if (m_showCustomColor) {
        m_colors.back() = Value;
        SetItemIndex(CustomColorIndex());
        Invalidate();
    }
}

std::string TdxPSColorCombo::ColorName(int Index)
{
    std::string name = Index >= 0 && Index < Items()->Count() ? Items()->Get(Index) : std::string();
    if (OnGetColorName && Index >= 0 && Index < ColorCount())
        OnGetColorName(this, Index, ItemKind(Index), m_colors[static_cast<std::size_t>(Index)], name);
    return name;
}

bool TdxPSColorCombo::RunSelectColor(TColor& Color)
{
    TdxSelectColorProc proc;
    if (OnGetSelectColorProc)
        OnGetSelectColorProc(this, proc);
    if (proc)
        return proc(this, Color);
    return dxPSSelectColor(Color);
}

void TdxPSColorCombo::Click()
{
    if (m_showCustomColor && ItemIndex() == CustomColorIndex()) {
        TColor color = m_colors.back() == clDxNoCustomColor ? clBlack : m_colors.back();
        if (RunSelectColor(color)) {
            const int listed = IndexOfColor(color);
            if (listed >= 0 && listed != CustomColorIndex()) {
                SetItemIndex(listed);
            } else {
                m_colors.back() = color;
                Invalidate();
            }
        }
    }
    TComboBox::Click();
}

void TdxPSColorCombo::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State)
{
    if (OnDrawItem) {
        TComboBox::DrawItem(Index, Rect, State);
        return;
    }
    TCanvas* canvas = Canvas();
    canvas->FillRect(Rect);
    if (Index < 0 || Index >= ColorCount())
        return;
    TRect r{Rect.Left + 2, Rect.Top + 2, Rect.Right - 2, Rect.Bottom - 2};
    const TdxColorItemKind kind = ItemKind(Index);
    const bool withName = m_showColorName || kind != cikListed;
    const TColor color = kind == cikAuto ? m_autoColor : m_colors[static_cast<std::size_t>(Index)];
    TRect swatch = r;
    TRect textRect = r;
    if (withName) {
        swatch.Right = std::min(r.Right, r.Left + 22);
        textRect.Left = swatch.Right + 6;
    }
    const TColor brushColor = canvas->Brush()->Color();
    canvas->Brush()->SetColor(clBtnShadow);
    canvas->FrameRect(swatch);
    if (!(kind == cikCustom && color == clDxNoCustomColor)) {
        canvas->Brush()->SetColor(color);
        canvas->FillRect(TRect{swatch.Left + 1, swatch.Top + 1, swatch.Right - 1, swatch.Bottom - 1});
    }
    canvas->Brush()->SetColor(brushColor);
    if (withName) {
        unsigned flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT;
        if (m_endEllipsis)
            flags |= DT_END_ELLIPSIS;
        const int mode = canvas->SetBkMode(TRANSPARENT);
        canvas->DrawText(ColorName(Index), textRect, flags);
        canvas->SetBkMode(mode);
    }
}

// ===== TdxPSPaintPanel ==================================================================

TdxPSPaintPanel::TdxPSPaintPanel(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetDoubleBuffered(true);
    SetBounds(0, 0, 185, 41);
}

void TdxPSPaintPanel::SetEdgeBorders(TdxEdgeBorders Value)
{
    if (m_edgeBorders == Value)
        return;
    m_edgeBorders = Value;
    Invalidate();
}

void TdxPSPaintPanel::SetEdgeInner(TdxEdgeStyle Value)
{
    if (m_edgeInner == Value)
        return;
    m_edgeInner = Value;
    Invalidate();
}

void TdxPSPaintPanel::SetEdgeOuter(TdxEdgeStyle Value)
{
    if (m_edgeOuter == Value)
        return;
    m_edgeOuter = Value;
    Invalidate();
}

void TdxPSPaintPanel::PaintTo(TCanvas& Canvas)
{
    unsigned edge = 0;
    if (m_edgeOuter == esRaised)
        edge |= BDR_RAISEDOUTER;
    else if (m_edgeOuter == esSunken)
        edge |= BDR_SUNKENOUTER;
    if (m_edgeInner == esRaised)
        edge |= BDR_RAISEDINNER;
    else if (m_edgeInner == esSunken)
        edge |= BDR_SUNKENINNER;
    unsigned sides = 0;
    if (m_edgeBorders.Contains(ebLeft))
        sides |= BF_LEFT;
    if (m_edgeBorders.Contains(ebTop))
        sides |= BF_TOP;
    if (m_edgeBorders.Contains(ebRight))
        sides |= BF_RIGHT;
    if (m_edgeBorders.Contains(ebBottom))
        sides |= BF_BOTTOM;
    if (edge != 0 && sides != 0) {
        TRect r = ClientRect();
        Canvas.DrawEdge(r, edge, sides);
    }
    if (OnPaint)
        OnPaint(this);
}

void TdxPSPaintPanel::Paint()
{
    PaintTo(*Canvas());
}

// ===== TdxPSBitmapAnimator ==============================================================

class TdxPSBitmapAnimator::TAnimationTimer : public TTimer {
public:
    TAnimationTimer(TdxPSBitmapAnimator* Owner) : TTimer(Owner), m_animator(Owner) {}

protected:
    void Timer() override { m_animator->AnimationStep(); }

private:
    TdxPSBitmapAnimator* m_animator;
};

TdxPSBitmapAnimator::TdxPSBitmapAnimator(TComponent* AOwner)
    : TGraphicControl(AOwner), m_bitmap(std::make_unique<TBitmap>())
{
    m_timer = new TAnimationTimer(this);
    m_timer->SetEnabled(false);
    m_timer->SetInterval(m_speed);
}

TdxPSBitmapAnimator::~TdxPSBitmapAnimator()
{
    m_timer->SetEnabled(false);
}

void TdxPSBitmapAnimator::SetAnimationSpeed(unsigned Value)
{
    m_speed = Value;
    // A zero interval would stop the platform's timer; one millisecond is the least.
    m_timer->SetInterval(std::max(1u, Value));
}

void TdxPSBitmapAnimator::SetBitmap(const TBitmap* Value)
{
    FinishAnimation();
    if (Value)
        m_bitmap->Assign(const_cast<TBitmap*>(Value));
    else
        m_bitmap->SetSize(0, 0);
    Invalidate();
}

int TdxPSBitmapAnimator::StepSize() const
{
    const int h = ClientHeight();
    const int n = std::max(1, m_slideStepCount);
    return (h + n - 1) / n;
}

void TdxPSBitmapAnimator::SetState(bool Value)
{
    if (m_state == Value)
        return;
    // A slide still running is finished before the next one starts.
    FinishAnimation();
    m_state = Value;
    if (!m_bitmap->Empty()) {
        m_slideStepCount = m_stepCount;
        m_step = 0;
        m_running = true;
        m_timer->SetInterval(std::max(1u, m_speed));
        m_timer->SetEnabled(true);
    }
    Invalidate();
}

void TdxPSBitmapAnimator::AnimationStep()
{
    if (!m_running)
        return;
    ++m_step;
    if (m_step >= m_slideStepCount)
        FinishAnimation();
    else
        Invalidate();
}

void TdxPSBitmapAnimator::FinishAnimation()
{
    if (!m_running)
        return;
    m_timer->SetEnabled(false);
    m_running = false;
    m_step = 0;
    Invalidate();
}

void TdxPSBitmapAnimator::DrawTo(TCanvas& Canvas)
{
    if (m_bitmap->Empty())
        return;
    if (!m_running) {
        if (m_state)
            Canvas.Draw(0, 0, m_bitmap.get());
        return;
    }
    const int h = ClientHeight();
    const int offset = std::min(m_step * StepSize(), h);
    if (m_state) {
        Canvas.Draw(0, std::max(0, h - offset), m_bitmap.get());
    } else {
        if (offset > 0) {
            Canvas.Brush()->SetColor(clBtnFace);
            Canvas.FillRect(TRect{0, 0, ClientWidth(), offset});
        }
        Canvas.Draw(0, offset, m_bitmap.get());
    }
}

void TdxPSBitmapAnimator::Paint()
{
    DrawTo(*Canvas());
}

// ===== shared colour dialog and custom colours ============================================

namespace {

void SaveColors(TColorDialog& Dialog, const std::string& KeyPath)
{
    TStrings* colors = Dialog.CustomColors();
    TRegistry registry;
    if (registry.KeyExists(KeyPath))
        registry.DeleteKey(KeyPath);
    if (!registry.OpenKey(KeyPath, true))
        return;
    for (int i = 0; i < colors->Count(); ++i) {
        const std::string name = colors->Names(i);
        if (!name.empty())
            registry.WriteString(name, colors->ValueFromIndex(i));
    }
}

// The settings store cannot be reached once the program has left main, so
// the colours are saved by the printing units' last user (dxPSFinalizeCustomColors),
// not by this object's destructor.
struct CustomColorsUnit {
    void Finalize() noexcept
    {
        if (lastPath.empty() || !dialog)
            return;
        try {
            SaveColors(*dialog, lastPath);
        } catch (...) {
            // Shutdown: a store that cannot be written loses the colours, nothing else.
        }
    }
    std::unique_ptr<TColorDialog> dialog;
    std::string lastPath;
};

CustomColorsUnit& Unit()
{
    static CustomColorsUnit unit;
    return unit;
}

} // namespace

TColorDialog* dxPSColorDialog()
{
    CustomColorsUnit& unit = Unit();
    if (!unit.dialog)
        unit.dialog = std::make_unique<TColorDialog>(nullptr);
    return unit.dialog.get();
}

bool dxPSSelectColor(TColor& Color)
{
    TColorDialog* dialog = dxPSColorDialog();
    dialog->SetColor(Color);
    if (!dialog->Execute())
        return false;
    Color = dialog->Color();
    return true;
}

void dxPSSaveCustomColors(const std::string& KeyPath)
{
    Unit().lastPath = KeyPath;
    SaveColors(*dxPSColorDialog(), KeyPath);
}

void dxPSLoadCustomColors(const std::string& KeyPath)
{
    Unit().lastPath = KeyPath;
    TRegistry registry;
    if (!registry.OpenKeyReadOnly(KeyPath))
        return;
    TStringList colors;
    for (const std::string& name : registry.ValueNames()) {
        const TRegDataType type = registry.GetDataType(name);
        // Only text values are colours; anything else in the key is skipped.
        if (type != rdString && type != rdExpandString)
            continue;
        colors.Add(name + "=" + registry.ReadString(name));
    }
    dxPSColorDialog()->CustomColors()->Assign(&colors);
}

void dxPSFinalizeCustomColors()
{
    Unit().Finalize();
}

} // namespace qel
