#include "editors/GraphicEdit.h"

#include "platform/controls/Clipboard.h"
#include "platform/core/Stream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Picture.h"

namespace qel {

TdxInplaceGraphicEdit::TdxInplaceGraphicEdit(TComponent* AOwner)
    : TdxInplaceEdit(AOwner), m_picture(std::make_unique<TPicture>())
{
    SetBounds(0, 0, 105, 105);
}

TdxInplaceGraphicEdit::~TdxInplaceGraphicEdit() = default;

void TdxInplaceGraphicEdit::SetCenter(bool Value)
{
    m_center = Value;
    Invalidate();
}

void TdxInplaceGraphicEdit::SetStretch(bool Value)
{
    m_stretch = Value;
    Invalidate();
}

Variant TdxInplaceGraphicEdit::GetEditingValue() const
{
    if (m_picture->Empty())
        return Variant::Null();
    TMemoryStream stream;
    m_picture->Graphic()->SaveToStream(stream);
    return Variant(stream.Bytes());
}

void TdxInplaceGraphicEdit::SetEditingValue(const Variant& Value)
{
    if (Value.IsEmptyOrNull() || VarToStr(Value).empty()) {
        m_picture->SetGraphic(nullptr);
        Invalidate();
        return;
    }
    TMemoryStream stream;
    stream.SetBytes(VarToStr(Value));
    TBitmap bitmap;
    bitmap.LoadFromStream(stream);   // raises before the picture changes
    m_picture->SetGraphic(&bitmap);
    Invalidate();
}

void TdxInplaceGraphicEdit::CopyToClipboard()
{
    if (!m_picture->Empty())
        Clipboard().Assign(*m_picture->Graphic());
}

void TdxInplaceGraphicEdit::CutToClipboard()
{
    if (!CanModify())
        return;
    CopyToClipboard();
    Clear();
}

void TdxInplaceGraphicEdit::PasteFromClipboard()
{
    TBitmap bitmap;
    if (!CanModify() || !Clipboard().GetBitmap(bitmap))
        return;
    m_picture->SetGraphic(&bitmap);
    Invalidate();
    DoChange();
}

void TdxInplaceGraphicEdit::Clear()
{
    if (!CanModify() || m_picture->Empty())
        return;
    m_picture->SetGraphic(nullptr);
    Invalidate();
    DoChange();
}

bool TdxInplaceGraphicEdit::IsEditorKey(std::uint16_t Key, TShiftState Shift) const
{
    return Key == VK_DELETE || Key == VK_INSERT || ((Key == 'C' || Key == 'V' || Key == 'X') && Shift == TShiftState{ssCtrl});
}

void TdxInplaceGraphicEdit::DoEditKeyDown(std::uint16_t& Key, TShiftState Shift)
{
    const TShiftState ctrl{ssCtrl}, shift{ssShift};
    if ((Key == 'C' && Shift == ctrl) || (Key == VK_INSERT && Shift == ctrl))
        CopyToClipboard();
    else if ((Key == 'V' && Shift == ctrl) || (Key == VK_INSERT && Shift == shift))
        PasteFromClipboard();
    else if ((Key == 'X' && Shift == ctrl) || (Key == VK_DELETE && Shift == shift))
        CutToClipboard();
    else if (Key == VK_DELETE && Shift.Empty())
        Clear();
    else
        return;
    Key = 0;
}

void TdxInplaceGraphicEdit::KeyPress(TKeyChar& Key)
{
    TdxInplaceEdit::KeyPress(Key);
    Key = 0;   // a picture takes no text
}

TRect TdxInplaceGraphicEdit::PictureRect(const TRect& Bounds, int Width, int Height, bool Center, bool Stretch)
{
    int w = std::max(0, Width), h = std::max(0, Height);
    if (Stretch && w > 0 && h > 0 && (w > Bounds.Width() || h > Bounds.Height())) {
        // Fit inside, keeping the proportions.
        if (static_cast<long long>(w) * Bounds.Height() > static_cast<long long>(h) * Bounds.Width()) {
            h = static_cast<int>(static_cast<long long>(h) * Bounds.Width() / w);
            w = Bounds.Width();
        } else {
            w = static_cast<int>(static_cast<long long>(w) * Bounds.Height() / h);
            h = Bounds.Height();
        }
    }
    int x = Bounds.Left, y = Bounds.Top;
    if (Center) {
        x += (Bounds.Width() - w) / 2;
        y += (Bounds.Height() - h) / 2;
    }
    return qel::Bounds(x, y, w, h);
}

void TdxInplaceGraphicEdit::Paint()
{
    TdxInplaceEdit::Paint();
    if (m_picture->Empty())
        return;
    TRect c = ClientRect();
    InflateRect(c, -BorderWidth(), -BorderWidth());
    Canvas()->StretchDraw(PictureRect(c, m_picture->Width(), m_picture->Height(), m_center, m_stretch),
                          m_picture->Graphic());
    if (Focused() && m_shadowSelection)
        Canvas()->DrawFocusRect(c);
}

} // namespace qel
