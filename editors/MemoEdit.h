#pragma once
// TdxInplaceMemoEdit: several lines of text. Enter starts a new line when
// WantReturns is on (Ctrl+Enter then goes to the host), the arrows move in
// the text, and the value is the whole text.
#include "editors/InplaceEdit.h"
#include "platform/controls/StdCtrls.h"

namespace qel {

class TdxInplaceMemoEdit : public TdxInplaceEdit {
    QEL_CLASS(TdxInplaceMemoEdit)
public:
    explicit TdxInplaceMemoEdit(TComponent* AOwner);

    std::string Text() const override;
    void SetText(const std::string& Value) override;
    TStrings* Lines() const { return m_memo->Lines(); }
    TAlignment Alignment() const { return m_memo->Alignment(); }
    void SetAlignment(TAlignment Value) { m_memo->SetAlignment(Value); }
    TScrollStyle ScrollBars() const { return m_memo->ScrollBars(); }
    void SetScrollBars(TScrollStyle Value) { m_memo->SetScrollBars(Value); }
    // Scroll bars only while the text does not fit (shown as set otherwise).
    bool HideScrollBars() const { return m_hideScrollBars; }
    void SetHideScrollBars(bool Value) { m_hideScrollBars = Value; }
    bool WordWrap() const { return m_memo->WordWrap(); }
    void SetWordWrap(bool Value) { m_memo->SetWordWrap(Value); }
    bool WantReturns() const { return m_memo->WantReturns(); }
    void SetWantReturns(bool Value) { m_memo->SetWantReturns(Value); }
    bool WantTabs() const { return m_memo->WantTabs(); }
    void SetWantTabs(bool Value) { m_memo->SetWantTabs(Value); }
    // 0: no limit (characters).
    int MaxLength() const { return m_maxLength; }
    void SetMaxLength(int Value) { m_maxLength = std::max(0, Value); }
    // A margin at the left where a click selects the whole line.
    bool SelectionBar() const { return m_selectionBar; }
    void SetSelectionBar(bool Value) { m_selectionBar = Value; }
    void SetReadOnly(bool Value) override;
    void SetSelection(int Start, int Length) override;
    int SelStart() const { return m_memo->SelStart(); }
    int SelLength() const { return m_memo->SelLength(); }
    TMemo* MemoWindow() const { return m_memo; }
    void KeyPress(TKeyChar& Key) override;

protected:
    TWinControl* FocusWindow() override { return m_memo; }
    bool IsEditorKey(std::uint16_t Key, TShiftState Shift) const override;
    void EditWindowChanged() override;
    void BoundsChanged() override;

private:
    TMemo* m_memo{nullptr};
    bool m_hideScrollBars{true};
    int m_maxLength{0};
    bool m_selectionBar{false};
    bool m_settingText{false};
};

} // namespace qel
