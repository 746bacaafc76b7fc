#include "editors/PopupCalendar.h"

#include "platform/core/Locale.h"

#include <cmath>

namespace qel {

namespace {
bool IsNull(TDateTime D)
{
    return D <= NullDate + 0.5;
}
} // namespace

TdxPopupCalendar::TdxPopupCalendar(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetColor(clWindow);
    SetTabStop(false);
    m_cellHeight = std::max(16, Canvas()->TextHeight("0") + 3);
    m_cellWidth = std::max(24, Canvas()->TextWidth("00") + 10);
    m_headerHeight = m_cellHeight + 4;
    m_page = std::floor(qel::Date());
    const TSize s = CalcSize();
    SetBounds(0, 0, s.cx, s.cy);
}

void TdxPopupCalendar::SetDate(TDateTime Value)
{
    m_date = IsNull(Value) ? NullDate : std::floor(Value);
    if (!IsNull(m_date))
        m_page = m_date;
    Invalidate();
}

void TdxPopupCalendar::SetDateButtons(TDateButtons Value)
{
    m_buttons = Value;
    const TSize s = CalcSize();
    SetBounds(Left(), Top(), s.cx, s.cy);
    Invalidate();
}

TSize TdxPopupCalendar::CalcSize() const
{
    const int footer = m_buttons.Empty() ? 0 : m_cellHeight + 8;
    return {7 * m_cellWidth + 4, m_headerHeight + 7 * m_cellHeight + footer + 4};
}

TDateTime TdxPopupCalendar::ShownMonth() const
{
    int y = 0, m = 0, d = 0;
    DecodeDate(m_page, y, m, d);
    return EncodeDate(y, m, 1);
}

TDateTime TdxPopupCalendar::FirstVisibleDate() const
{
    const TDateTime first = ShownMonth();
    const int monday0 = (DayOfWeek(first) + 5) % 7;   // days since Monday
    return first - monday0;
}

void TdxPopupCalendar::MoveBy(int Days)
{
    const TDateTime from = IsNull(m_date) ? std::floor(qel::Date()) : m_date;
    TDateTime to = from + Days;
    int y = 0, m = 0, d = 0;
    DecodeDate(to, y, m, d);
    if (y < 1 || y > 9999)
        return;
    SetDate(to);
}

void TdxPopupCalendar::MoveMonths(int Months)
{
    const TDateTime from = IsNull(m_date) ? std::floor(qel::Date()) : m_date;
    int y = 0, m = 0, d = 0;
    DecodeDate(from, y, m, d);
    int total = y * 12 + (m - 1) + Months;
    y = total / 12;
    m = total % 12 + 1;
    if (y < 1 || y > 9999)
        return;
    SetDate(EncodeDate(y, m, std::min(d, DaysInMonth(y, m))));
}

bool TdxPopupCalendar::HandleKey(std::uint16_t Key, TShiftState Shift)
{
    const bool ctrl = Shift == TShiftState{ssCtrl};
    if (!Shift.Empty() && !ctrl)
        return false;
    int y = 0, m = 0, d = 0;
    DecodeDate(IsNull(m_date) ? std::floor(qel::Date()) : m_date, y, m, d);
    switch (Key) {
    case VK_LEFT: MoveBy(-1); return true;
    case VK_RIGHT: MoveBy(1); return true;
    case VK_UP: MoveBy(-7); return true;
    case VK_DOWN: MoveBy(7); return true;
    case VK_PRIOR: MoveMonths(ctrl ? -12 : -1); return true;
    case VK_NEXT: MoveMonths(ctrl ? 12 : 1); return true;
    case VK_HOME: SetDate(EncodeDate(y, m, 1)); return true;
    case VK_END: SetDate(EncodeDate(y, m, DaysInMonth(y, m))); return true;
    default: return false;
    }
}

TRect TdxPopupCalendar::DayRect(TDateTime Day) const
{
    const int index = static_cast<int>(std::floor(Day) - FirstVisibleDate());
    if (index < 0 || index >= 42)
        return TRect{};
    const int top = 2 + m_headerHeight + m_cellHeight;   // below the names of the days
    return Bounds(2 + (index % 7) * m_cellWidth, top + (index / 7) * m_cellHeight, m_cellWidth, m_cellHeight);
}

TRect TdxPopupCalendar::PrevMonthRect() const
{
    return Bounds(2, 2, m_cellWidth, m_headerHeight);
}

TRect TdxPopupCalendar::NextMonthRect() const
{
    return Bounds(2 + 6 * m_cellWidth, 2, m_cellWidth, m_headerHeight);
}

TRect TdxPopupCalendar::TodayButtonRect() const
{
    if (!m_buttons.Contains(btnToday))
        return TRect{};
    const int top = 2 + m_headerHeight + 7 * m_cellHeight + 4;
    const int half = 7 * m_cellWidth / 2;
    return m_buttons.Contains(btnClear) ? Bounds(6, top, half - 8, m_cellHeight) : Bounds(half / 2, top, half, m_cellHeight);
}

TRect TdxPopupCalendar::ClearButtonRect() const
{
    if (!m_buttons.Contains(btnClear))
        return TRect{};
    const int top = 2 + m_headerHeight + 7 * m_cellHeight + 4;
    const int half = 7 * m_cellWidth / 2;
    return m_buttons.Contains(btnToday) ? Bounds(half + 2, top, half - 8, m_cellHeight)
                                        : Bounds(half / 2, top, half, m_cellHeight);
}

void TdxPopupCalendar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft)
        return;
    const TPoint p{X, Y};
    if (PrevMonthRect().Contains(p)) {
        MoveMonths(-1);
        return;
    }
    if (NextMonthRect().Contains(p)) {
        MoveMonths(1);
        return;
    }
    bool chosen = false;
    if (TodayButtonRect().Contains(p)) {
        SetDate(qel::Date());
        chosen = true;
    } else if (ClearButtonRect().Contains(p)) {
        SetDate(NullDate);
        chosen = true;
    } else {
        for (int i = 0; i < 42 && !chosen; ++i) {
            const TDateTime day = FirstVisibleDate() + i;
            if (DayRect(day).Contains(p)) {
                SetDate(day);
                chosen = true;
            }
        }
    }
    if (chosen && OnChoose)
        OnChoose(this);
}

void TdxPopupCalendar::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    c->DrawEdge(r, EDGE_RAISED, BF_RECT);
    c->SetBkMode(TRANSPARENT);
    const TFormatSettings& fs = FormatSettings();
    int y = 0, m = 0, d = 0;
    DecodeDate(ShownMonth(), y, m, d);
    // Header: arrows and the month.
    TRect header = Bounds(2, 2, 7 * m_cellWidth, m_headerHeight);
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(header);
    c->Font()->SetColor(clBtnText);
    TRect t = header;
    c->DrawText(fs.LongMonthNames[std::size_t(m - 1)] + " " + std::to_string(y), t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    TRect prev = PrevMonthRect(), next = NextMonthRect();
    c->DrawText("<", prev, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    c->DrawText(">", next, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    // Names of the days, Monday first.
    for (int i = 0; i < 7; ++i) {
        TRect cell = Bounds(2 + i * m_cellWidth, 2 + m_headerHeight, m_cellWidth, m_cellHeight);
        c->Font()->SetColor(clWindowText);
        c->DrawText(fs.ShortDayNames[std::size_t((i + 1) % 7)], cell, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    const TDateTime today = std::floor(qel::Date());
    for (int i = 0; i < 42; ++i) {
        const TDateTime day = FirstVisibleDate() + i;
        TRect cell = DayRect(day);
        int dy = 0, dm = 0, dd = 0;
        DecodeDate(day, dy, dm, dd);
        const bool selected = !IsNull(m_date) && day == m_date;
        if (selected) {
            c->Brush()->SetColor(clHighlight);
            c->FillRect(cell);
        }
        c->Font()->SetColor(selected ? clHighlightText : dm == m ? clWindowText : clGrayText);
        c->DrawText(std::to_string(dd), cell, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        if (day == today) {
            c->Brush()->SetColor(clMaroon);
            c->FrameRect(cell);
        }
    }
    auto button = [&](TRect B, const char* Caption) {
        if (B.IsEmpty())
            return;
        c->Brush()->SetColor(clBtnFace);
        c->FillRect(B);
        c->DrawEdge(B, EDGE_RAISED, BF_RECT);
        c->Font()->SetColor(clBtnText);
        c->DrawText(Caption, B, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    };
    button(TodayButtonRect(), "Heute");
    button(ClearButtonRect(), "Löschen");
}

} // namespace qel
