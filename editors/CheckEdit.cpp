#include "editors/CheckEdit.h"

#include "platform/graphics/Bitmap.h"

namespace qel {

TdxInplaceCheckEdit::TdxInplaceCheckEdit(TComponent* AOwner) : TdxInplaceEdit(AOwner)
{
    SetBounds(0, 0, 97, 17);
}

TdxInplaceCheckEdit::~TdxInplaceCheckEdit() = default;

void TdxInplaceCheckEdit::SetState(TCheckBoxState Value)
{
    if (Value > cbGrayed)
        Value = cbGrayed;
    if (m_state == Value)
        return;
    m_state = Value;
    Invalidate();
}

void TdxInplaceCheckEdit::SetAlignment(TAlignment Value)
{
    m_alignment = Value;
    Invalidate();
}

TBitmap* TdxInplaceCheckEdit::Glyph()
{
    if (!m_glyph) {
        m_glyph = std::make_unique<TBitmap>();
        m_glyphLink.Connect(m_glyph->Changes(), [this](TObject*) { Invalidate(); });
    }
    return m_glyph.get();
}

void TdxInplaceCheckEdit::SetGlyph(const TBitmap* Value)
{
    if (!Value)
        m_glyph.reset();
    else
        Glyph()->Assign(const_cast<TBitmap*>(Value));
    Invalidate();
}

void TdxInplaceCheckEdit::SetGlyphCount(int Value)
{
    m_glyphCount = std::max(1, Value);
    Invalidate();
}

void TdxInplaceCheckEdit::SetShowNullFieldStyle(TdxShowNullFieldStyle Value)
{
    m_showNullFieldStyle = Value;
    Invalidate();
}

TCheckBoxState TdxInplaceCheckEdit::NextState(TCheckBoxState State, bool AllowGrayed)
{
    switch (State) {
    case cbUnchecked: return AllowGrayed ? cbGrayed : cbChecked;
    case cbChecked: return cbUnchecked;
    default: return cbChecked;
    }
}

void TdxInplaceCheckEdit::Toggle()
{
    if (!CanModify())
        return;
    SetState(NextState(m_state, m_allowGrayed));
    DoChange();
    if (OnToggleClick)
        OnToggleClick(this);
}

TSize TdxInplaceCheckEdit::CalcGlyphSize(const TBitmap* Glyph, int GlyphCount)
{
    if (Glyph && !Glyph->Empty())
        return {Glyph->Width() / std::max(1, GlyphCount), Glyph->Height()};
    return CheckBoxGlyphSize();
}

Variant TdxInplaceCheckEdit::GetEditingValue() const
{
    return Variant(int(m_state));
}

void TdxInplaceCheckEdit::SetEditingValue(const Variant& Value)
{
    TCheckBoxState state = cbGrayed;
    if (Value.VarType() == varBoolean) {
        state = Value.AsBoolean() ? cbChecked : cbUnchecked;
    } else if (!Value.IsEmptyOrNull()) {
        try {
            const int v = Value.AsInteger();
            if (v == cbUnchecked || v == cbChecked)
                state = TCheckBoxState(v);
        } catch (const EConvertError&) {
        }
    }
    SetState(state);
}

void TdxInplaceCheckEdit::DoEditKeyDown(std::uint16_t& Key, TShiftState Shift)
{
    // The space's character toggles, so that a space typed on a closed cell does too.
    if (Key == VK_SPACE && Shift.Empty())
        Key = 0;
}

void TdxInplaceCheckEdit::KeyPress(TKeyChar& Key)
{
    TdxInplaceEdit::KeyPress(Key);
    if (Key == ' ')
        Toggle();
    // A check box takes no text.
    if (Key >= 0x20)
        Key = 0;
}

void TdxInplaceCheckEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TdxInplaceEdit::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft && ClientRect().Contains({X, Y}))
        Toggle();
}

void TdxInplaceCheckEdit::Paint()
{
    TdxCheckEditViewData data;
    data.Value = Variant(int(m_state));
    data.Alignment = m_alignment;
    data.Color = Color();
    data.Enabled = Enabled();
    data.ButtonStyle = Style()->ButtonStyle();
    data.Glyph = m_glyph.get();
    data.GlyphCount = m_glyphCount;
    data.ShowNullFieldStyle = m_showNullFieldStyle;
    data.Draw(*Canvas(), ClientRect());
    if (Focused())
        Canvas()->DrawFocusRect(ClientRect());
}

} // namespace qel
