#pragma once
// TCustomdxContainer: the control that hosts in-place editors (the tree
// list). It shows one editor over a cell, answers the editor's questions
// (may the value change now, what to do with keys the editor leaves alone)
// and, when editing ends, asks the editor to post its value, which arrives in
// EditorPostValue as a Variant.
//
//   editor = new TdxInplaceTextEdit(this);          // the host owns its editors
//   ShowInplaceEditor(editor, cellRect, cellValue);  // focused, value shown
//   ...                                              // the user types
//   HideInplaceEditor();                             // posts, then hides
#include "editors/EditStyle.h"
#include "platform/controls/Controls.h"
#include "platform/core/Variant.h"

namespace qel {

class TdxInplaceEdit;

class TCustomdxContainer : public TCustomControl {
    QEL_CLASS(TCustomdxContainer)
public:
    explicit TCustomdxContainer(TComponent* AOwner);
    ~TCustomdxContainer() override;

    TdxInplaceEdit* InplaceEditor() const { return m_editor; }
    bool Editing() const { return m_editor != nullptr && m_editing; }

    // Places Editor over R (client coordinates), gives it Value and the focus.
    // An editor that is open already posts its value first.
    void ShowInplaceEditor(TdxInplaceEdit* Editor, const TRect& R, const Variant& Value);
    // The editor posts its value and editing ends; the editor stays where it is.
    void CloseInplaceEditor();
    // The editor posts its value, editing ends and the editor is hidden.
    void HideInplaceEditor();
    // Editing ends without posting; the editor is hidden.
    void CancelInplaceEditor();

    // The style editors fall back to for values they were not given.
    TdxEditStyle* EditStyle() { return &m_editStyle; }

protected:
    friend class TdxInplaceEdit;

    // May the editor's value change now? A data-aware host puts its record
    // into edit mode here. The base allows it.
    virtual bool CanEditModify(TdxInplaceEdit* Editor);
    // The user changed the editor's value (not posted yet).
    virtual void EditorValueChanged(TdxInplaceEdit* /*Editor*/) {}
    // The posted value; the host stores it.
    virtual void EditorPostValue(TdxInplaceEdit* /*Editor*/, const Variant& /*Value*/) {}
    // Keys the editor does not use itself. The base closes the editor with
    // Enter and cancels it with Esc; a grid moves between cells here. Setting
    // Key to 0 marks it handled.
    virtual void EditorKeyDown(TdxInplaceEdit* Editor, std::uint16_t& Key, TShiftState Shift);
    // The focus left the editor (not to its own popup): the base posts and hides.
    virtual void EditorExit(TdxInplaceEdit* Editor);
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void EndEditing(bool Post, bool Hide);

    TdxInplaceEdit* m_editor{nullptr};
    bool m_editing{false};
    bool m_ending{false};
    TdxEditStyle m_editStyle;
};

} // namespace qel
