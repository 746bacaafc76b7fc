#include "treelist/InplaceEditAdapter.h"

#include "editors/Container.h"
#include "editors/InplaceEdit.h"
#include "platform/controls/Messages.h"

namespace qel {

TdxTreeListInplaceEditAdapter::TdxTreeListInplaceEditAdapter(TCustomdxContainer* Host, TdxInplaceEdit* Edit)
    : m_host(Host), m_edit(Edit)
{
    m_edit->Hide();
}

TdxTreeListInplaceEditAdapter::~TdxTreeListInplaceEditAdapter()
{
    if (m_host->InplaceEditor() == m_edit)
        m_host->CancelInplaceEditor();
    m_edit->Hide();
    // Dropped when the host goes first; the host then frees its editors itself.
    TdxInplaceEdit* edit = m_edit;
    PostCall(m_host, [edit] { delete edit; });
}

Variant TdxTreeListInplaceEditAdapter::GetEditingValue() const
{
    return m_edit->GetEditingValue();
}

void TdxTreeListInplaceEditAdapter::SetEditingValue(const Variant& Value)
{
    if (!m_shown) {
        m_initial = Value;
        return;
    }
    m_edit->SetEditingValue(Value);
    m_edit->SetModified(true);
}

bool TdxTreeListInplaceEditAdapter::Modified() const
{
    return m_edit->Modified();
}

bool TdxTreeListInplaceEditAdapter::CanModify() const
{
    return m_edit->CanModify();
}

bool TdxTreeListInplaceEditAdapter::ReadOnly() const
{
    return m_edit->ReadOnly();
}

void TdxTreeListInplaceEditAdapter::SetReadOnly(bool Value)
{
    m_edit->SetReadOnly(Value);
}

void TdxTreeListInplaceEditAdapter::Show(TWinControl*, const TRect& Bounds)
{
    m_shown = true;
    m_host->ShowInplaceEditor(m_edit, Bounds, m_initial);
}

void TdxTreeListInplaceEditAdapter::Hide()
{
    m_shown = false;
    // The tree list has taken the value: end without a second post.
    if (m_host->InplaceEditor() == m_edit)
        m_host->CancelInplaceEditor();
    m_edit->Hide();
}

bool TdxTreeListInplaceEditAdapter::Visible() const
{
    return m_shown && m_edit->Visible();
}

void TdxTreeListInplaceEditAdapter::SetBounds(const TRect& Bounds)
{
    m_edit->SetBoundsRect(Bounds);
}

void TdxTreeListInplaceEditAdapter::SetFocus()
{
    if (m_edit->CanFocus())
        m_edit->SetFocus();
}

void TdxTreeListInplaceEditAdapter::SetSelection(int Start, int Length)
{
    m_edit->SetSelection(Start, Length);
}

void TdxTreeListInplaceEditAdapter::TypeChar(TKeyChar Ch)
{
    // Through the editor's own rules for typing (masks, lists, check boxes).
    m_edit->TypeChar(Ch);
}

void TdxTreeListInplaceEditAdapter::ValidateEdit()
{
    m_edit->ValidateEdit();
}

} // namespace qel
