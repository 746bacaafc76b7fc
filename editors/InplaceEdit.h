#pragma once
// TdxInplaceEdit: the base of every editor. An editor exchanges its value
// with whoever uses it as a Variant (GetEditingValue / SetEditingValue); it
// is in-place when a TCustomdxContainer hosts it over a cell, and stand-alone
// on a dialog otherwise (the filter editors). Keys the editor does not use
// go to its host.
#include "editors/EditStyle.h"
#include "platform/controls/Controls.h"
#include "platform/core/Variant.h"

#include <memory>

namespace qel {

class TCustomdxContainer;

class TdxInplaceEdit : public TCustomControl {
    QEL_CLASS(TdxInplaceEdit)
public:
    // A TCustomdxContainer owner becomes the host (and the parent).
    explicit TdxInplaceEdit(TComponent* AOwner);
    ~TdxInplaceEdit() override;

    TCustomdxContainer* Container() const { return m_container; }

    // ----- the queries hosts and columns use --------------------------------
    virtual Variant GetEditingValue() const;
    virtual void SetEditingValue(const Variant& Value);
    // Not read-only, and the host allows a change now.
    virtual bool CanModify() const;
    // Whatever the value is bound to accepts changes; true in the base.
    virtual bool IsDataLinkModified() const { return true; }
    // False for editors used stand-alone (a container is not enough: the
    // filter editors of a grid's dialogs are never in-place).
    virtual bool IsInplace() const { return m_container != nullptr; }
    bool ReadOnly() const { return m_readOnly; }
    virtual void SetReadOnly(bool Value);
    // Selects Length characters from Start (text editors).
    virtual void SetSelection(int Start, int Length);
    bool Modified() const { return m_modified; }
    void SetModified(bool Value) { m_modified = Value; }
    // Raises for a value that cannot be posted (an incomplete mask).
    virtual void ValidateEdit() {}
    // Validates and hands the value to the host; clears Modified.
    void PostEditingValue();
    // A character typed before the editor opened (on its cell): the editor
    // window takes it as if typed into it.
    void TypeChar(TKeyChar Ch);

    // Style values not assigned here come from the host's editor style.
    TdxEditStyle* Style() { return &m_style; }
    virtual void SetDefaultStyleValues();

    // The user changed the value.
    TNotifyEvent OnChange;

    // Keys from the editor window: the user's OnKeyDown, then the editor's
    // own keys (DoEditKeyDown), then the host's.
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    // The user's OnKeyPress; a character that would change a value that may
    // not change is dropped.
    void KeyPress(TKeyChar& Key) override;

protected:
    // The value changed by the user: Modified, OnChange, the host hears of it.
    virtual void DoChange();
    // Runs after the value was handed to the host (or validated stand-alone).
    virtual void ValuePosted(const Variant& /*Value*/) {}
    virtual void DoEditKeyDown(std::uint16_t& /*Key*/, TShiftState /*Shift*/) {}
    // Keys the host never gets even when the editor leaves them alone.
    virtual bool IsEditorKey(std::uint16_t Key, TShiftState Shift) const;
    // The focus left the editor window for another control.
    void DoExit() override;
    void DoEnter() override;
    virtual void StyleChanged() { Invalidate(); }
    // The editor window's text changed (by the user or by the program).
    virtual void EditWindowChanged() { DoChange(); }
    // A click or double click in the editor window.
    virtual void EditWindowClick(bool /*Double*/) {}
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // The editor's border width on each side (none in-place).
    int BorderWidth() const;
    void Paint() override;
    // The window that holds the focus while editing (the editor itself by default).
    virtual TWinControl* FocusWindow() { return this; }

public:
    // Gives the focus to the editor window.
    void SetFocus() override;

private:
    friend class TCustomdxContainer;
    friend class TdxEditWindowLink;
    TCustomdxContainer* m_container{nullptr};
    TdxEditStyle m_style;
    TChangeLink m_styleLink;
    bool m_readOnly{false};
    bool m_modified{false};
};

} // namespace qel
