#pragma once
// TdxInplaceCheckEdit: a check box as a cell editor. Space or a click
// toggles it: unchecked goes to grayed (when allowed) or checked, checked to
// unchecked, grayed to checked. The editing value is the state as an integer.
#include "editors/InplaceEdit.h"
#include "editors/ViewData.h"
#include "platform/core/ChangeLink.h"

#include <memory>

namespace qel {

class TBitmap;

class TdxInplaceCheckEdit : public TdxInplaceEdit {
    QEL_CLASS(TdxInplaceCheckEdit)
public:
    explicit TdxInplaceCheckEdit(TComponent* AOwner);
    ~TdxInplaceCheckEdit() override;

    TCheckBoxState State() const { return m_state; }
    void SetState(TCheckBoxState Value);
    bool Checked() const { return m_state == cbChecked; }
    bool AllowGrayed() const { return m_allowGrayed; }
    void SetAllowGrayed(bool Value) { m_allowGrayed = Value; }
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment Value);
    // Custom check images side by side (unchecked, checked, grayed, then the
    // inactive ones); created on first read.
    TBitmap* Glyph();
    void SetGlyph(const TBitmap* Value);
    int GlyphCount() const { return m_glyphCount; }
    void SetGlyphCount(int Value);
    TdxShowNullFieldStyle ShowNullFieldStyle() const { return m_showNullFieldStyle; }
    void SetShowNullFieldStyle(TdxShowNullFieldStyle Value);

    // The user's toggle: the next state of the cycle, when the value may change.
    void Toggle();
    // The state that follows State in the toggle cycle.
    static TCheckBoxState NextState(TCheckBoxState State, bool AllowGrayed);
    // The size of one check image: of a custom glyph divided by GlyphCount
    // (a count below 1 counts as 1), else of the system's check box.
    static TSize CalcGlyphSize(const TBitmap* Glyph, int GlyphCount);

    // The state as an integer; Null, Empty and values that are no state
    // give grayed, a Boolean checked or unchecked.
    Variant GetEditingValue() const override;
    void SetEditingValue(const Variant& Value) override;
    void SetSelection(int, int) override {}

    void KeyPress(TKeyChar& Key) override;

    // The user toggled the box (after the state changed).
    TNotifyEvent OnToggleClick;

protected:
    void DoEditKeyDown(std::uint16_t& Key, TShiftState Shift) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Paint() override;

private:
    TCheckBoxState m_state{cbUnchecked};
    bool m_allowGrayed{false};
    TAlignment m_alignment{taLeftJustify};
    std::unique_ptr<TBitmap> m_glyph;
    TChangeLink m_glyphLink;
    int m_glyphCount{6};
    TdxShowNullFieldStyle m_showNullFieldStyle{nsUnchecked};
};

} // namespace qel
