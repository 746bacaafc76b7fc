#include "dbgrid/DBTreeListColumn.h"

#include "dbgrid/DBTreeListControl.h"
#include "dbgrid/SummaryItems.h"
#include "editors/InplaceEdit.h"
#include "editors/TextEdit.h"
#include "treelist/InplaceEditAdapter.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/FreeWatch.h"
#include "platform/core/Guards.h"
#include "platform/core/Locale.h"
#include "platform/data/DataSet.h"
#include "platform/data/Field.h"
#include "platform/graphics/Bitmap.h"

#include <algorithm>
#include <typeinfo>

namespace qel {

QEL_REGISTER_CLASS(TdxDBTreeListColumn, TdxTreeListColumn);
QEL_REGISTER_CLASS(TdxDBTreeListMaskColumn, TdxDBTreeListColumn);

namespace {

// Field types whose own value goes into the node's value record.
bool IsValueFieldType(TFieldType T)
{
    switch (T) {
    case ftSmallint: case ftInteger: case ftWord: case ftBoolean: case ftFloat: case ftCurrency: case ftBCD:
    case ftDate: case ftTime: case ftDateTime: case ftAutoInc:
        return true;
    default:
        return false;
    }
}

} // namespace

// ----- editor host ----------------------------------------------------------------------------------

TdxInplaceEdit* HostedEdit(TdxTreeListInplaceEditor* Editor)
{
    auto* adapter = dynamic_cast<TdxTreeListInplaceEditAdapter*>(Editor);
    return adapter ? adapter->Edit() : nullptr;
}

// ----- column ------------------------------------------------------------------------------------------

TdxDBTreeListColumn::TdxDBTreeListColumn(TComponent* AOwner) : TdxTreeListColumn(AOwner) {}

TdxDBTreeListColumn::~TdxDBTreeListColumn()
{
    TCustomdxDBTreeListControl* c = GetDBTreeList();
    if (c && !c->IsControlDestroying()) {
        try {
            if (m_groupIndex >= 0)
                c->RegroupColumn(this, -1);
            c->ColumnRenamed(Name(), std::string());
        } catch (...) {
        }
    }
}

TCustomdxDBTreeListControl* TdxDBTreeListColumn::GetDBTreeList() const
{
    return dynamic_cast<TCustomdxDBTreeListControl*>(TreeList());
}

bool TdxDBTreeListColumn::InUpdate() const
{
    TCustomdxDBTreeListControl* c = GetDBTreeList();
    return c && c->IsUpdating();
}

void TdxDBTreeListColumn::Notification(TComponent* AComponent, TOperation Operation)
{
    TdxTreeListColumn::Notification(AComponent, Operation);
    if (Operation == opRemove) {
        if (AComponent == m_field)
            m_field = nullptr;
        if (AComponent == m_footerSummaryField)
            m_footerSummaryField = nullptr;
    }
}

void TdxDBTreeListColumn::SetFieldName(const std::string& Value)
{
    TCustomdxDBTreeListControl* c = GetDBTreeList();
    TDataSet* ds = c ? c->DataSet() : nullptr;
    const bool loading = !c || c->IsControlLoading() || IsLoading();
    if (m_groupIndex >= 0 && c && c->LinkActive() && ds && !loading && !ds->FindField(Value))
        c->RegroupColumn(this, -1);
    TField* field = nullptr;
    if (ds && !loading && !Value.empty() && (ds->Active() || !ds->DefaultFields()))
        field = ds->FindField(Value);
    const bool changed = Value != m_fieldName;
    m_fieldName = Value;
    m_field = field;
    if (field)
        field->FreeNotification(this);
    if (c && !IsLoading())
        Changed();
    if (changed && c && !loading)
        c->ColumnChanged(this);
}

void TdxDBTreeListColumn::RebindField()
{
    TCustomdxDBTreeListControl* c = GetDBTreeList();
    TDataSet* ds = c ? c->DataSet() : nullptr;
    m_field = (ds && !m_fieldName.empty() && (ds->Active() || !ds->DefaultFields())) ? ds->FindField(m_fieldName)
                                                                                     : nullptr;
    if (m_field)
        m_field->FreeNotification(this);
}

void TdxDBTreeListColumn::SetDisableGrouping(bool Value)
{
    if (Value == m_disableGrouping)
        return;
    m_disableGrouping = Value;
    if (Value && m_groupIndex >= 0)
        SetGroupIndex(-1);
    else
        Changed();
}

void TdxDBTreeListColumn::SetGroupIndex(int Value)
{
    if (Value < -1)
        return;
    TCustomdxDBTreeListControl* c = GetDBTreeList();
    if (IsLoading() || !c || c->IsControlLoading()) {
        m_groupIndex = Value;   // applied by the control once it has a dataset
        return;
    }
    c->RegroupColumn(this, Value);
}

void TdxDBTreeListColumn::SetSummaryType(TdxSummaryType Value)
{
    if (Value == m_summaryType)
        return;
    m_summaryType = Value;
    if (Value == cstNone)
        m_sortBySummary = false;
    Changed();
}

void TdxDBTreeListColumn::SetSortBySummary(bool Value)
{
    if (Value && m_summaryType == cstNone)
        return;
    m_sortBySummary = Value;
    Changed();
}

void TdxDBTreeListColumn::SetSummaryFooterType(TdxSummaryType Value)
{
    m_summaryFooterType = Value;
    Changed();
}

// ----- field values ----------------------------------------------------------------------------------

std::string TdxDBTreeListColumn::GetFieldDisplayText() const
{
    return m_field ? m_field->DisplayText() : std::string();
}

std::string TdxDBTreeListColumn::RecordText() const
{
    // Without a handler nothing can free the control: it is not looked for (a cast, and this runs per cell).
    if (!m_field || !m_field->OnGetText)
        return FilterValueToText(Variant(GetFieldDisplayText()));
    TCustomdxDBTreeListControl* c = GetDBTreeList();
    if (!c)
        return FilterValueToText(Variant(GetFieldDisplayText()));
    // The field's text handler may free the control: then nothing of it,
    // its rows or this column is touched again. A column freed alone
    // leaves the text as the field gave it.
    auto* self = const_cast<TdxDBTreeListColumn*>(this);
    TFreeWatch watch{c, self};
    std::string text = GetFieldDisplayText();
    if (watch.Freed(c))
        throw EdxControlFreed(c);
    if (watch.Freed(self))
        return text;
    return FilterValueToText(Variant(text));
}

std::string TdxDBTreeListColumn::GetDisplayText(TdxTreeListNode* Node) const
{
    // Without a handler nothing can free the control: it is not looked for (this runs per cell).
    TCustomdxDBTreeListControl* c = OnGetText ? GetDBTreeList() : nullptr;
    if (!c)
        return TdxTreeListColumn::GetDisplayText(Node);
    auto* self = const_cast<TdxDBTreeListColumn*>(this);
    TFreeWatch watch{c, self};
    std::string text = TdxTreeListColumn::GetDisplayText(Node);
    if (watch.Freed(c))
        throw EdxControlFreed(c);
    if (watch.Freed(self))
        return {};
    return text;
}

bool TdxDBTreeListColumn::ShowsFieldTextAsIs() const
{
    return typeid(*this) == typeid(TdxDBTreeListColumn);
}

bool TdxDBTreeListColumn::KeepsRecordValue() const
{
    if (!m_field)
        return false;
    return IsValueFieldType(m_field->DataType()) ||
           (m_field->DataType() == ftString && (m_field->OnGetText || !m_field->EditMask().empty())) ||
           UsesFieldValue();
}

void TdxDBTreeListColumn::LoadNodeValue(TdxDBTreeListControlNode* Node)
{
    TCustomdxDBTreeListControl* c = GetDBTreeList();
    if (!c || !Node)
        return;
    // The field's and the column's text handlers run here and may free or
    // move this column: only a column still in the control writes the row.
    const std::uint64_t self = c->ColumnIdentity(this);
    std::string text = RecordText();
    if (c->ColumnByIdentity(self) != this)
        return;
    const int index = GetColumnIndex();
    Node->SetString(index, text);
    TNodeVariantData data;
    if (m_field) {
        if (KeepsRecordValue()) {
            data.Flags |= 1;
            data.Value = m_field->Value();
        }
        if (m_field->Lookup() && m_field->DataSet()) {
            data.Flags |= 2;
            const std::vector<TField*> keys = m_field->DataSet()->GetFieldList(m_field->KeyFields());
            if (keys.size() == 1) {
                data.LookupKey = keys[0]->Value();
            } else {
                std::vector<Variant> items;
                for (TField* k : keys)
                    items.push_back(k->Value());
                data.LookupKey = Variant::Array(std::move(items));
            }
        }
    }
    Node->SetVariantData(index, std::move(data));
}

std::string TdxDBTreeListColumn::FilterValueToText(const Variant& Value) const
{
    return Value.IsEmptyOrNull() ? std::string() : Value.AsString();
}

int TdxDBTreeListColumn::GetFilterVarType() const
{
    if (!m_field)
        return 13;
    switch (m_field->DataType()) {
    case ftSmallint: return 2;
    case ftInteger: case ftWord: case ftAutoInc: return 3;
    // A Boolean value: compared as text it never equals the field.
    case ftBoolean: return varBoolean;
    case ftFloat: return 5;
    case ftCurrency: case ftBCD: return 6;
    case ftDate: case ftTime: case ftDateTime: return 7;
    default: return FilterVarTypeString;
    }
}

bool TdxDBTreeListColumn::SameFieldValue(const Variant& Value) const
{
    if (!m_field || Value.IsEmpty())
        return false;
    if (Value.IsString() && !IsBlobColumn())
        return m_field->EditText() == Value.AsString();
    return Variant::Compare(m_field->Value(), Value) == 0;
}

bool TdxDBTreeListColumn::IsValidChar(char32_t Key) const
{
    TCustomdxDBTreeListControl* c = GetDBTreeList();
    if (!c || !c->LinkActive() || !m_field)
        return false;
    return m_field->IsValidChar(Key);
}

void TdxDBTreeListColumn::GetNodeFilterValue(TdxTreeListNode* Node, Variant& Value) const
{
    TCustomdxDBTreeListControl* c = GetDBTreeList();
    Value = c && Node ? c->GetNodeValue(Node, GetColumnIndex()) : Variant::Null();
}

void TdxDBTreeListColumn::GetFilterDisplayText(TdxTreeListNode* Node, Variant& Value, std::string& Text) const
{
    GetNodeFilterValue(Node, Value);
    TCustomdxDBTreeListControl* c = GetDBTreeList();
    Text = FormatFilterText(c && Node ? c->GetNodeString(Node, GetColumnIndex()) : std::string());
}

std::string TdxDBTreeListColumn::GetSummaryFooterText() const
{
    // The one summary text routine, so the footer and the exports agree.
    if (m_summaryFooterType == cstNone || !m_footerValueAssigned)
        return {};
    return FormatSummaryFieldValue(m_summaryFooterType, m_summaryFooterFormat, m_footerSummaryField, true,
                                   m_footerValue);
}

// ----- filter editors --------------------------------------------------------------------------------

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListColumn::NewFilterEditor(TComponent* Owner) const
{
    return std::make_unique<TdxInplaceTextEdit>(Owner);
}

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListColumn::CreateFilterEditor(TComponent* Owner)
{
    std::unique_ptr<TdxInplaceEdit> e = NewFilterEditor(Owner);
    if (e)
        InitFilterEditor(e.get());
    return e;
}

void TdxDBTreeListColumn::InitFilterEditor(TdxInplaceEdit* Editor)
{
    if (!Editor)
        return;
    InitEditor(Editor);
    Editor->SetReadOnly(false);
    Editor->OnChange = nullptr;
}

void TdxDBTreeListColumn::GetFilterEditText(TdxInplaceEdit* Editor, Variant& Value, std::string& Text)
{
    Text = Editor ? Editor->Text() : std::string();
    Value = Variant(Text);
}

void TdxDBTreeListColumn::SetFilterEditValue(TdxInplaceEdit* Editor, const Variant& Value)
{
    if (Editor)
        Editor->SetText(Value.IsEmptyOrNull() ? std::string() : Value.AsString());
}

// ----- editing ----------------------------------------------------------------------------------------

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListColumn::NewInplaceEditor(TComponent* Owner) const
{
    return std::make_unique<TdxInplaceTextEdit>(Owner);
}

TdxTreeListEditorFactory TdxDBTreeListColumn::GetEditorClass() const
{
    TCustomdxDBTreeListControl* host = GetDBTreeList();
    if (!host)
        return {};
    // The editor is a component of the control, which hosts it.
    return [this, host]() -> std::unique_ptr<TdxTreeListInplaceEditor> {
        std::unique_ptr<TdxInplaceEdit> e = NewInplaceEditor(host);
        if (!e)
            return nullptr;
        return std::make_unique<TdxTreeListInplaceEditAdapter>(host, e.release());
    };
}

Variant TdxDBTreeListColumn::FieldToEditor(TdxInplaceEdit* Editor)
{
    Editor->SetText(m_field->EditText());
    return Variant(Editor->Text());
}

void TdxDBTreeListColumn::EditorToField(TdxInplaceEdit* Editor)
{
    m_field->SetText(Editor->Text());
}

Variant TdxDBTreeListColumn::CellValueReadBack() const
{
    return Variant(GetFieldDisplayText());
}

void TdxDBTreeListColumn::InitEditorValue(TdxTreeListInplaceEditor* Editor, const Variant& Value)
{
    TdxInplaceEdit* e = HostedEdit(Editor);
    if (!e) {
        TdxTreeListColumn::InitEditorValue(Editor, Value);
        return;
    }
    InitEditor(e);
    e->SetReadOnly(ReadOnly());
    if (TCustomdxDBTreeListControl* control = GetDBTreeList())
        e->SetColor(control->GetEditColor());
    // The host shows the editor with the value given here.
    Editor->SetEditingValue(m_field ? FieldToEditor(e) : Value);
    e->SetModified(false);
}

Variant TdxDBTreeListColumn::AssignEditorValue(TdxTreeListInplaceEditor* Editor)
{
    TdxInplaceEdit* e = HostedEdit(Editor);
    TCustomdxDBTreeListControl* c = GetDBTreeList();
    if (!e || !m_field || !c)
        return m_field ? TdxTreeListColumn::AssignEditorValue(Editor) : Variant(std::string());
    TDataSet* ds = m_field->DataSet();
    // A changed editor value starts the edit of the record, or marks the edit
    // still running from an earlier cell as changed again.
    if (e->Modified() && ds && !(IsEditState(ds->State()) && c->GetDataLink()->Modified()))
        c->BeginEditRecord();
    if (ds && IsEditState(ds->State()) && c->GetDataLink()->Modified() && e->Modified())
        EditorToField(e);
    return CellValueReadBack();
}

bool TdxDBTreeListColumn::DoCustomDraw(TCanvas& Canvas, const TdxTreeListCellViewData& ViewData)
{
    bool done = false;
    if (OnCustomDraw)
        OnCustomDraw(this, &Canvas, ViewData, done);
    return done || TdxTreeListColumn::DoCustomDraw(Canvas, ViewData);
}

// ----- defaults -------------------------------------------------------------------------------------

bool TdxDBTreeListColumn::DefaultReadOnly() const
{
    return m_field ? m_field->ReadOnly() : false;
}

TAlignment TdxDBTreeListColumn::DefaultAlignment() const
{
    return m_field ? m_field->Alignment() : TdxTreeListColumn::DefaultAlignment();
}

std::string TdxDBTreeListColumn::GetDefaultCaption() const
{
    return m_field ? m_field->DisplayLabel() : m_fieldName;
}

int TdxDBTreeListColumn::GetDefaultMaxLength() const
{
    if (!m_field)
        return 0;
    const TFieldType t = m_field->DataType();
    return (t == ftString || t == ftWideString) ? m_field->Size() : 0;
}

int TdxDBTreeListColumn::DefaultWidth() const
{
    TCustomdxDBTreeListControl* c = GetDBTreeList();
    if (!c)
        return 64;
    TBitmap bmp;
    TCanvas* canvas = bmp.Canvas();
    canvas->SetFont(c->Font());
    const std::string caption = Caption().empty() ? GetDefaultCaption() : Caption();
    int width = caption.empty() ? 64 : canvas->TextWidth(caption) + 6;
    if (m_field) {
        canvas->SetFont(ParentFont() ? c->Font() : Font());
        const int w = canvas->TextWidth("0") * m_field->DisplayWidth() + 4;
        width = std::max(width, w);
    }
    return width;
}

void TdxDBTreeListColumn::ApplyFieldDefaults()
{
    // The alignment follows the field by itself while it is not set.
    if (Caption().empty())
        SetCaption(GetDefaultCaption());
}

void TdxDBTreeListColumn::RestoreDefaults()
{
    TdxTreeListColumn::RestoreDefaults();
    m_disableGrouping = false;
    m_summaryGroupName.clear();
}

void TdxDBTreeListColumn::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TdxDBTreeListColumn*>(Source);
    TCustomdxDBTreeListControl* c = GetDBTreeList();
    if (src && c)
        c->BeginUpdate();
    Finally end([&] {
        if (src && c)
            c->EndUpdate();
    });
    TdxTreeListColumn::Assign(Source);
    if (src) {
        m_disableGrouping = src->m_disableGrouping;
        SetFieldName(src->m_fieldName);
        m_summaryGroupName = src->m_summaryGroupName;
    }
}

void TdxDBTreeListColumn::SetName(const std::string& NewName)
{
    const std::string old = Name();
    TCustomdxDBTreeListControl* c = GetDBTreeList();
    if (c && old != NewName && !old.empty())
        c->ColumnRenamed(old, NewName);
    TdxTreeListColumn::SetName(NewName);
}

void TdxDBTreeListColumn::SetIndex(int Value)
{
    TCustomdxDBTreeListControl* c = GetDBTreeList();
    if (c && c->IsDefaultFields() && c->LinkActive() && m_field) {
        TdxDBTreeListControlDataLink* link = c->GetDataLink();
        TField* target = link->MappedField(Value);
        if (!target && link->FieldMapCount() > 0)
            target = link->MappedField(link->FieldMapCount() - 1);
        if (target)
            m_field->SetIndex(target->Index());
    }
    TdxTreeListColumn::SetIndex(Value);
}

// ----- mask column -------------------------------------------------------------------------------------

std::string TdxDBTreeListMaskColumn::EditMask() const
{
    if (m_maskAssigned)
        return m_editMask;
    return Field() ? Field()->EditMask() : std::string();
}

void TdxDBTreeListMaskColumn::SetEditMask(const std::string& Value)
{
    if (Value == m_editMask && m_maskAssigned)
        return;
    m_editMask = Value;
    m_maskAssigned = true;
    Changed();
}

bool TdxDBTreeListMaskColumn::IsEditMaskStored() const
{
    return m_maskAssigned && (!Field() || Field()->EditMask() != m_editMask);
}

void TdxDBTreeListMaskColumn::Assign(TPersistent* Source)
{
    TdxDBTreeListColumn::Assign(Source);
    if (auto* src = dynamic_cast<TdxDBTreeListMaskColumn*>(Source)) {
        m_editMask = src->EditMask();
        m_maskAssigned = src->m_maskAssigned;
        m_ignoreMaskBlank = src->m_ignoreMaskBlank;
    }
}

void TdxDBTreeListMaskColumn::RestoreDefaults()
{
    TdxDBTreeListColumn::RestoreDefaults();
    m_maskAssigned = false;
    m_editMask = Field() ? Field()->EditMask() : std::string();
    m_ignoreMaskBlank = false;
}

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListMaskColumn::NewInplaceEditor(TComponent* Owner) const
{
    return std::make_unique<TdxInplaceMaskEdit>(Owner);
}

void TdxDBTreeListMaskColumn::InitEditor(TdxInplaceEdit* Editor)
{
    if (auto* m = dynamic_cast<TdxInplaceMaskEdit*>(Editor))
        m->SetEditMask(EditMask());
}

bool TdxDBTreeListMaskColumn::ShowsFieldTextAsIs() const
{
    return typeid(*this) == typeid(TdxDBTreeListMaskColumn);
}

bool TdxDBTreeListMaskColumn::SameFieldValue(const Variant& Value) const
{
    if (!Field() || Value.IsEmpty())
        return false;
    if (Value.IsString()) {
        TEditMask mask(EditMask());
        if (Value.AsString() == mask.EmptyText())
            return Field()->EditText().empty();
        return Field()->EditText() == TrimRight(Value.AsString());
    }
    return TdxDBTreeListColumn::SameFieldValue(Value);
}

} // namespace qel
