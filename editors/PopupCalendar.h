#pragma once
// TdxPopupCalendar: the month page a date editor drops down. It never takes
// the focus; its editor hands it the keys: the arrows move by a day or a
// week, PgUp/PgDn by a month, Ctrl+PgUp/Ctrl+PgDn by a year, Home/End to the
// first/last day of the month. Weeks start on Monday.
#include "platform/controls/Controls.h"
#include "platform/core/TSet.h"
#include "platform/core/Variant.h"

#include <cstdint>

namespace qel {

enum TDateButton : std::uint8_t { btnToday, btnClear };
using TDateButtons = TSet<TDateButton>;

class TdxPopupCalendar : public TCustomControl {
    QEL_CLASS(TdxPopupCalendar)
public:
    explicit TdxPopupCalendar(TComponent* AOwner);

    // NullDate: no day is selected (the page shows today's month).
    TDateTime Date() const { return m_date; }
    void SetDate(TDateTime Value);
    TDateButtons DateButtons() const { return m_buttons; }
    void SetDateButtons(TDateButtons Value);
    // The first day the page shows (a Monday on or before the 1st).
    TDateTime FirstVisibleDate() const;
    // The size that shows a month and the buttons.
    TSize CalcSize() const;
    // Moves the selection by Days (from today when no day is selected).
    void MoveBy(int Days);
    // Months, clamping the day to the new month's length.
    void MoveMonths(int Months);
    bool HandleKey(std::uint16_t Key, TShiftState Shift);

    // A day, Today or Clear was clicked: the choice is made.
    TNotifyEvent OnChoose;

    // Layout, in client coordinates.
    TRect DayRect(TDateTime Day) const;
    TRect TodayButtonRect() const;
    TRect ClearButtonRect() const;
    TRect PrevMonthRect() const;
    TRect NextMonthRect() const;

protected:
    void Paint() override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool AcceptsFocus() const override { return false; }

private:
    TDateTime ShownMonth() const;   // the 1st of the month on the page
    int m_cellWidth{24};
    int m_cellHeight{16};
    int m_headerHeight{20};
    TDateTime m_date{NullDate};
    TDateTime m_page{0};            // a day of the month shown when no date is selected
    TDateButtons m_buttons{btnToday, btnClear};
};

} // namespace qel
