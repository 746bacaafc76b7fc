#pragma once
// Plugs an editor of editors/ (a TdxInplaceEdit) into the tree list's host
// contract. The tree list is the editor's container; the adapter shows the
// editor through the container, reads its value, and hides it without a
// second post (the tree list has taken the value already).
//
// The editor is a component of the container. A retired editor is freed by
// a posted call, because the tree list may end editing from inside one of
// the editor's own key or exit handlers.
#include "treelist/InplaceEditorHost.h"

namespace qel {

class TCustomdxContainer;
class TdxInplaceEdit;

class TdxTreeListInplaceEditAdapter : public TdxTreeListInplaceEditor {
public:
    TdxTreeListInplaceEditAdapter(TCustomdxContainer* Host, TdxInplaceEdit* Edit);
    ~TdxTreeListInplaceEditAdapter() override;

    TdxInplaceEdit* Edit() const { return m_edit; }

    Variant GetEditingValue() const override;
    void SetEditingValue(const Variant& Value) override;
    bool Modified() const override;
    bool CanModify() const override;
    bool ReadOnly() const override;
    void SetReadOnly(bool Value) override;
    void Show(TWinControl* Parent, const TRect& Bounds) override;
    void Hide() override;
    bool Visible() const override;
    void SetBounds(const TRect& Bounds) override;
    void SetFocus() override;
    void SetSelection(int Start, int Length) override;
    void TypeChar(TKeyChar Ch) override;
    void ValidateEdit() override;

private:
    TCustomdxContainer* m_host;
    TdxInplaceEdit* m_edit;
    Variant m_initial;
    bool m_shown{false};
};

} // namespace qel
