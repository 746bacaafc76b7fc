#pragma once
// Panels, bevels, paint boxes, scroll boxes, speed buttons and timers.
#include "platform/controls/Clock.h"
#include "platform/controls/Controls.h"

#include <memory>

namespace qel {

class TBitmap;

// ----- TPanel ------------------------------------------------------------------------
enum TBevelCut : std::uint8_t { bvNone, bvLowered, bvRaised, bvSpace };

class TPanel : public TCustomControl {
    QEL_CLASS(TPanel)
public:
    explicit TPanel(TComponent* AOwner);

    TBevelCut BevelInner() const { return m_bevelInner; }
    void SetBevelInner(TBevelCut Value);
    TBevelCut BevelOuter() const { return m_bevelOuter; }
    void SetBevelOuter(TBevelCut Value);
    int BevelWidth() const { return m_bevelWidth; }
    void SetBevelWidth(int Value);
    int BorderWidth() const { return m_borderWidth; }
    void SetBorderWidth(int Value);
    // BorderStyle and Ctl3D are the control's border (TCustomControl).
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment Value);

protected:
    void Paint() override;
    TRect AlignRect() const override;
    bool AcceptsFocus() const override { return false; }

private:
    TBevelCut m_bevelInner{bvNone};
    TBevelCut m_bevelOuter{bvRaised};
    int m_bevelWidth{1};
    int m_borderWidth{0};
    TAlignment m_alignment{taCenter};
};

// ----- TBevel ------------------------------------------------------------------------
enum TBevelShape : std::uint8_t { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle : std::uint8_t { bsLowered, bsRaised };

class TBevel : public TGraphicControl {
    QEL_CLASS(TBevel)
public:
    explicit TBevel(TComponent* AOwner);

    TBevelShape Shape() const { return m_shape; }
    void SetShape(TBevelShape Value);
    TBevelStyle Style() const { return m_style; }
    void SetStyle(TBevelStyle Value);

protected:
    void Paint() override;

private:
    TBevelShape m_shape{bsBox};
    TBevelStyle m_style{bsLowered};
};

// ----- TPaintBox ---------------------------------------------------------------------
class TPaintBox : public TGraphicControl {
    QEL_CLASS(TPaintBox)
public:
    explicit TPaintBox(TComponent* AOwner);

    TNotifyEvent OnPaint;

protected:
    void Paint() override;
};

// ----- TScrollBox --------------------------------------------------------------------
class TControlScrollBar {
public:
    // Made by TScrollBox over its Qt scroll area (a Qt escape hatch: platform/ only).
    explicit TControlScrollBar(QWidget* Area, bool Horizontal) : m_area(Area), m_horizontal(Horizontal) {}
    int Position() const;
    void SetPosition(int Value);
    // The scrollable extent (content size).
    int Range() const;
    bool Tracking() const;
    void SetTracking(bool Value);
    bool Visible() const;
    void SetVisible(bool Value);

private:
    QWidget* m_area;
    bool m_horizontal;
};

class TScrollBox : public TWinControl {
    QEL_CLASS(TScrollBox)
public:
    explicit TScrollBox(TComponent* AOwner);
    ~TScrollBox() override;

    TControlScrollBar* HorzScrollBar() const { return m_horz.get(); }
    TControlScrollBar* VertScrollBar() const { return m_vert.get(); }
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    // Scrolls so that Control is in view.
    void ScrollInView(TControl* Control);

protected:
    void AlignControls(TRect& Rect) override;
    TRect AlignRect() const override;

private:
    void UpdateContentSize();
    std::unique_ptr<TControlScrollBar> m_horz;
    std::unique_ptr<TControlScrollBar> m_vert;
    TBorderStyle m_borderStyle{bsSingle};
};

// ----- TSpeedButton ------------------------------------------------------------------
enum TButtonLayout : std::uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TSpeedButton : public TGraphicControl {
    QEL_CLASS(TSpeedButton)
public:
    explicit TSpeedButton(TComponent* AOwner);
    ~TSpeedButton() override;

    bool Flat() const { return m_flat; }
    void SetFlat(bool Value);
    // Buttons of one parent with the same GroupIndex > 0 stay down one at a time.
    int GroupIndex() const { return m_groupIndex; }
    void SetGroupIndex(int Value);
    bool AllowAllUp() const { return m_allowAllUp; }
    void SetAllowAllUp(bool Value);
    bool Down() const { return m_down; }
    void SetDown(bool Value);
    // Up, disabled, pressed and down images side by side (NumGlyphs of them).
    TBitmap* Glyph() const { return m_glyph.get(); }
    void SetGlyph(const TBitmap* Value);
    int NumGlyphs() const { return m_numGlyphs; }
    void SetNumGlyphs(int Value);
    TButtonLayout Layout() const { return m_layout; }
    void SetLayout(TButtonLayout Value);
    int Margin() const { return m_margin; }
    void SetMargin(int Value);
    int Spacing() const { return m_spacing; }
    void SetSpacing(int Value);

    void Click() override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    bool DialogChar(TKeyChar Ch) override;

private:
    std::unique_ptr<TBitmap> m_glyph;
    bool m_flat{false};
    int m_groupIndex{0};
    bool m_allowAllUp{false};
    bool m_down{false};
    int m_numGlyphs{1};
    TButtonLayout m_layout{blGlyphLeft};
    int m_margin{-1};
    int m_spacing{4};
    bool m_pressed{false};
    bool m_hot{false};
};

// ----- TTimer ------------------------------------------------------------------------
// Runs on the platform clock (Clock.h): a test's manual clock fires it.
class TTimer : public TComponent {
    QEL_CLASS(TTimer)
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;

    // Milliseconds; 0 stops the timer.
    unsigned Interval() const { return m_interval; }
    void SetInterval(unsigned Value);
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool Value);

    TNotifyEvent OnTimer;

protected:
    virtual void Timer();

private:
    void Update();
    std::unique_ptr<TClockTimer> m_timer;
    unsigned m_interval{1000};
    bool m_enabled{true};
};

} // namespace qel
