#pragma once
// TdxInplaceGraphicEdit: a picture as a cell editor. Ctrl+C / Ctrl+Insert
// copy it, Ctrl+V / Shift+Insert paste one, Ctrl+X / Shift+Delete cut it and
// Delete clears it. The editing value is the picture's stored bytes as a
// string (Null without a picture), which is what a blob field takes.
#include "editors/InplaceEdit.h"

#include <memory>

namespace qel {

class TPicture;

class TdxInplaceGraphicEdit : public TdxInplaceEdit {
    QEL_CLASS(TdxInplaceGraphicEdit)
public:
    explicit TdxInplaceGraphicEdit(TComponent* AOwner);
    ~TdxInplaceGraphicEdit() override;

    TPicture* Picture() const { return m_picture.get(); }
    bool Center() const { return m_center; }
    void SetCenter(bool Value);
    // Scaled down to fit (keeping its proportions) when larger than the editor.
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool Value);
    // Selection drawn as a shadow around the picture rather than inverted.
    bool ShadowSelection() const { return m_shadowSelection; }
    void SetShadowSelection(bool Value) { m_shadowSelection = Value; Invalidate(); }

    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    void Clear();

    Variant GetEditingValue() const override;
    // A string is read as picture bytes (BMP, PNG or JPEG); bytes that are no
    // picture raise EInvalidGraphic and keep the old picture. Null clears.
    void SetEditingValue(const Variant& Value) override;
    void KeyPress(TKeyChar& Key) override;

    // Where the picture is drawn in Bounds.
    static TRect PictureRect(const TRect& Bounds, int Width, int Height, bool Center, bool Stretch);

protected:
    void DoEditKeyDown(std::uint16_t& Key, TShiftState Shift) override;
    bool IsEditorKey(std::uint16_t Key, TShiftState Shift) const override;
    void Paint() override;

private:
    std::unique_ptr<TPicture> m_picture;
    bool m_center{true};
    bool m_stretch{true};
    bool m_shadowSelection{true};
};

} // namespace qel
