#pragma once
// TdxInplaceHyperLinkEdit: a text that is a link (web address, mail address,
// file). StartKey (Ctrl+Enter), a double click or, with SingleClick, a click
// opens it through the shell; OnStartClick runs first and may open it itself.
#include "editors/TextEdit.h"

#include <functional>

namespace qel {

using TdxStartClickEvent = std::function<void(TObject* Sender, bool& Handled)>;

class TdxInplaceHyperLinkEdit : public TdxInplaceTextEdit {
    QEL_CLASS(TdxInplaceHyperLinkEdit)
public:
    explicit TdxInplaceHyperLinkEdit(TComponent* AOwner);

    TColor EditBackgroundColor() const { return Color(); }
    void SetEditBackgroundColor(TColor Value) { SetColor(Value); }
    TColor EditFontColor() const;
    void SetEditFontColor(TColor Value);
    bool SingleClick() const { return m_singleClick; }
    void SetSingleClick(bool Value);
    TShortCut StartKey() const { return m_startKey; }
    void SetStartKey(TShortCut Value) { m_startKey = Value; }

    // Opens the link (the trimmed text; nothing for an empty one). Answers
    // whether it was opened (or OnStartClick handled it).
    bool Start();
    void KeyPress(TKeyChar& Key) override;

    TdxStartClickEvent OnStartClick;

protected:
    void DoEditKeyDown(std::uint16_t& Key, TShiftState Shift) override;
    void EditWindowClick(bool Double) override;

private:
    bool m_singleClick{false};
    TShortCut m_startKey{TShortCut(scCtrl | VK_RETURN)};
};

} // namespace qel
