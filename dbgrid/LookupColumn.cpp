#include "dbgrid/LookupColumn.h"

#include "dbgrid/DBTreeListControl.h"
#include "platform/core/ClassRegistry.h"
#include "platform/data/DataSet.h"
#include "platform/data/DataSetTypes.h"
#include "platform/data/Field.h"

namespace qel {

QEL_REGISTER_CLASS(TdxDBTreeListLookupColumn, TdxDBTreeListDropDownColumn);
QEL_REGISTER_CLASS(TdxDBGridLookupColumn, TdxDBTreeListLookupColumn);

namespace {

// The edited record's key field behind a lookup field (the first of a list).
TField* KeyFieldOf(const TField* Field)
{
    if (!Field || !Field->Lookup() || !Field->DataSet())
        return nullptr;
    const std::vector<TField*> keys = Field->DataSet()->GetFieldList(Field->KeyFields());
    return keys.size() == 1 ? keys[0] : nullptr;
}

} // namespace

void TdxDBTreeListLookupColumn::Assign(TPersistent* Source)
{
    TdxDBTreeListDropDownColumn::Assign(Source);
    if (auto* s = dynamic_cast<TdxDBTreeListLookupColumn*>(Source)) {
        m_listFieldName = s->m_listFieldName;
        m_listFieldIndex = s->m_listFieldIndex;
        m_clearKey = s->m_clearKey;
        m_immediateDropDown = s->m_immediateDropDown;
        m_canDeleteText = s->m_canDeleteText;
    }
}

void TdxDBTreeListLookupColumn::RestoreDefaults()
{
    TdxDBTreeListDropDownColumn::RestoreDefaults();
    m_listFieldName.clear();
    m_listFieldIndex = 0;
    m_clearKey = 0;
    m_immediateDropDown = false;
    m_canDeleteText = false;
}

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListLookupColumn::NewInplaceEditor(TComponent* Owner) const
{
    return std::make_unique<TdxInplaceLookupEdit>(Owner);
}

void TdxDBTreeListLookupColumn::InitEditor(TdxInplaceEdit* Editor)
{
    TdxDBTreeListDropDownColumn::InitEditor(Editor);
    auto* e = dynamic_cast<TdxInplaceLookupEdit*>(Editor);
    if (!e)
        return;
    e->SetImmediateDropDown(m_immediateDropDown);
    e->SetCanDeleteText(m_canDeleteText);
    e->SetLookupField(Field());
    e->SetListFieldName(m_listFieldName);
    e->SetClearKey(m_clearKey);
    e->OnCloseUp = [this](TObject*, Variant& Value, bool& Accept) {
        if (OnCloseUp)
            OnCloseUp(this, Value, Accept);
    };
}

Variant TdxDBTreeListLookupColumn::FieldToEditor(TdxInplaceEdit* Editor)
{
    auto* e = dynamic_cast<TdxInplaceLookupEdit*>(Editor);
    if (!e)
        return TdxDBTreeListDropDownColumn::FieldToEditor(Editor);
    e->SetEditingValue(Field()->Value());
    return Variant(e->Text());
}

void TdxDBTreeListLookupColumn::EditorToField(TdxInplaceEdit* Editor)
{
    auto* e = dynamic_cast<TdxInplaceLookupEdit*>(Editor);
    if (!e) {
        TdxDBTreeListDropDownColumn::EditorToField(Editor);
        return;
    }
    // A lookup field is never written itself: its key field is.
    TField* key = KeyFieldOf(Field());
    if (!key || !key->CanModify() || !key->DataSet() || !IsEditState(key->DataSet()->State()))
        return;
    if (e->KeyValue().IsEmptyOrNull())
        key->Clear();
    else
        key->SetValue(e->KeyValue());
}

// ----- filter ---------------------------------------------------------------------------------------

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListLookupColumn::NewFilterEditor(TComponent* Owner) const
{
    return std::make_unique<TCustomdxFilterLookupEdit>(Owner);
}

void TdxDBTreeListLookupColumn::InitFilterEditor(TdxInplaceEdit* Editor)
{
    TdxDBTreeListDropDownColumn::InitFilterEditor(Editor);
    if (auto* e = dynamic_cast<TdxInplaceLookupEdit*>(Editor))
        e->OnCloseUp = nullptr;   // the filter editor never reports to the column
}

void TdxDBTreeListLookupColumn::GetFilterEditText(TdxInplaceEdit* Editor, Variant& Value, std::string& Text)
{
    if (auto* e = dynamic_cast<TdxInplaceLookupEdit*>(Editor)) {
        Value = e->KeyValue();
        Text = e->Text();
        return;
    }
    TdxDBTreeListDropDownColumn::GetFilterEditText(Editor, Value, Text);
}

void TdxDBTreeListLookupColumn::SetFilterEditValue(TdxInplaceEdit* Editor, const Variant& Value)
{
    if (auto* e = dynamic_cast<TdxInplaceLookupEdit*>(Editor))
        e->SetKeyValue(Value);
    else
        TdxDBTreeListDropDownColumn::SetFilterEditValue(Editor, Value);
}

TdxFilterOperators TdxDBTreeListLookupColumn::GetFilterOperators() const
{
    return static_cast<TdxFilterOperators>((1u << fopEqual) | (1u << fopNotEqual) | (1u << fopBlanks) |
                                           (1u << fopNonBlanks));
}

void TdxDBTreeListLookupColumn::GetNodeFilterValue(TdxTreeListNode* Node, Variant& Value) const
{
    auto* n = dynamic_cast<TdxDBTreeListControlNode*>(Node);
    if (n && (n->GetVariantData(GetColumnIndex()).Flags & 2)) {
        Value = n->GetVariantData(GetColumnIndex()).LookupKey;
        return;
    }
    TdxDBTreeListDropDownColumn::GetNodeFilterValue(Node, Value);
}

} // namespace qel
