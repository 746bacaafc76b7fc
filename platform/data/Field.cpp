#include "platform/data/Field.h"

#include "platform/core/Locale.h"
#include "platform/data/DataSet.h"

#include <algorithm>

namespace qel {

TField::TField(TComponent* AOwner) : TComponent(AOwner) {}

TField::TField(TComponent* AOwner, TFieldType DataType, int Size)
    : TComponent(AOwner), m_dataType(DataType), m_size(Size)
{
}

TField::~TField()
{
    Destroying();
    if (m_lookupDataSet)
        RemoveFreeNotification(m_lookupDataSet);
    if (m_dataSet)
        m_dataSet->FieldDestroyed(this);
    m_dataSet = nullptr;
}

void TField::SetDataSet(TDataSet* Value)
{
    if (Value == m_dataSet)
        return;
    if ((m_dataSet && m_dataSet->Active()) || (Value && Value->Active()))
        throw EDatabaseError("Cannot perform this operation on an open dataset");
    if (m_dataSet)
        m_dataSet->RemoveField(this);
    m_dataSet = nullptr;
    if (Value) {
        Value->AddField(this);
        m_dataSet = Value;
    }
}

void TField::SetFieldName(const std::string& Value)
{
    if (m_dataSet && m_dataSet->Active())
        throw EDatabaseError("Cannot perform this operation on an open dataset");
    m_fieldName = Value;
}

void TField::SetFieldKind(TFieldKind Value)
{
    if (m_dataSet && m_dataSet->Active())
        throw EDatabaseError("Cannot perform this operation on an open dataset");
    m_fieldKind = Value;
}

int TField::Index() const
{
    if (!m_dataSet)
        return -1;
    const auto& fields = m_dataSet->Fields();
    auto it = std::find(fields.begin(), fields.end(), this);
    return it == fields.end() ? -1 : static_cast<int>(it - fields.begin());
}

void TField::SetIndex(int Value)
{
    if (m_dataSet)
        m_dataSet->MoveField(this, Value);
}

void TField::SetSize(int Value)
{
    if (m_dataSet && m_dataSet->Active())
        throw EDatabaseError("Cannot perform this operation on an open dataset");
    m_size = std::max(0, Value);
}

Variant TField::Value() const
{
    return m_dataSet ? m_dataSet->GetFieldValue(this) : Variant::Null();
}

void TField::SetValue(const Variant& Value)
{
    if (!m_dataSet)
        throw EDatabaseError("Field '" + DisplayName() + "' has no dataset");
    m_dataSet->CheckFieldWritable(this);
    const Variant converted = ConvertValue(Value);
    m_dataSet->SetFieldValue(this, converted);
    if (OnChange)
        OnChange(this);
}

bool TField::IsNull() const
{
    return Value().IsEmptyOrNull();
}

Variant TField::ConvertValue(const Variant& Value) const
{
    if (Value.IsEmptyOrNull())
        return Variant::Null();
    return Value;
}

std::string TField::AsString() const
{
    const Variant v = Value();
    return v.IsEmptyOrNull() ? std::string() : v.AsString();
}

void TField::SetAsString(const std::string& Value)
{
    SetValue(Value.empty() ? Variant::Null() : Variant(Value));
}

std::int32_t TField::AsInteger() const
{
    const Variant v = Value();
    return v.IsEmptyOrNull() ? 0 : v.AsInteger();
}

std::int64_t TField::AsLargeInt() const
{
    const Variant v = Value();
    return v.IsEmptyOrNull() ? 0 : v.AsInt64();
}

double TField::AsFloat() const
{
    const Variant v = Value();
    return v.IsEmptyOrNull() ? 0.0 : v.AsDouble();
}

bool TField::AsBoolean() const
{
    const Variant v = Value();
    return v.IsEmptyOrNull() ? false : v.AsBoolean();
}

TDateTime TField::AsDateTime() const
{
    const Variant v = Value();
    return v.IsEmptyOrNull() ? 0.0 : v.AsDate();
}

Currency TField::AsCurrency() const
{
    const Variant v = Value();
    return v.IsEmptyOrNull() ? Currency{} : v.AsCurrency();
}

std::string TField::GetText(bool) const
{
    return AsString();
}

std::string TField::GetTextThroughEvent(bool Display) const
{
    if (OnGetText) {
        std::string text;
        OnGetText(const_cast<TField*>(this), text, Display);
        return text;
    }
    return GetText(Display);
}

void TField::SetText(const std::string& Value)
{
    if (OnSetText)
        OnSetText(this, Value);
    else
        SetAsString(Value);
}

void TField::PropertyChanged(bool LayoutAffected)
{
    if (m_dataSet && m_dataSet->Active())
        m_dataSet->DataEvent(LayoutAffected ? deLayoutChange : deDataSetChange, 0);
}

void TField::SetDisplayLabel(const std::string& Value)
{
    if (m_displayLabel == Value)
        return;
    m_displayLabel = Value;
    PropertyChanged(true);
}

void TField::SetDisplayWidth(int Value)
{
    if (m_displayWidth == Value)
        return;
    m_displayWidth = Value;
    PropertyChanged(true);
}

void TField::SetAlignment(TAlignment Value)
{
    if (m_alignmentSet && m_alignment == Value)
        return;
    m_alignment = Value;
    m_alignmentSet = true;
    PropertyChanged(false);
}

void TField::SetVisible(bool Value)
{
    if (m_visible == Value)
        return;
    m_visible = Value;
    PropertyChanged(true);
}

void TField::SetReadOnly(bool Value)
{
    if (m_readOnly == Value)
        return;
    m_readOnly = Value;
    PropertyChanged(false);
}

void TField::SetEditMask(const std::string& Value)
{
    if (m_editMask == Value)
        return;
    m_editMask = Value;
    PropertyChanged(false);
}

bool TField::IsValidChar(char32_t Ch) const
{
    // Any character may belong to a text (a memo takes line breaks); which
    // keys reach the field at all is the editor's business.
    (void)Ch;
    return true;
}

bool TField::CanModify() const
{
    if (m_readOnly || !m_dataSet || !m_dataSet->CanModify())
        return false;
    if (m_fieldKind == fkData || m_fieldKind == fkInternalCalc)
        return true;
    if (m_fieldKind == fkLookup && !m_keyFields.empty()) {
        try {
            for (TField* key : m_dataSet->GetFieldList(m_keyFields))
                if (!key->CanModify())
                    return false;
            return true;
        } catch (const EDatabaseError&) {
            return false;
        }
    }
    return false;
}

void TField::FocusControl()
{
    if (!m_dataSet || !m_dataSet->Active())
        return;
    TField* field = this;
    m_dataSet->DataEvent(deFocusControl, reinterpret_cast<std::intptr_t>(&field));
}

void TField::SetLookupDataSet(TDataSet* Value)
{
    if (Value == m_lookupDataSet)
        return;
    if (m_dataSet && m_dataSet->Active())
        throw EDatabaseError("Cannot perform this operation on an open dataset");
    if (m_lookupDataSet)
        RemoveFreeNotification(m_lookupDataSet);
    m_lookupDataSet = Value;
    if (m_lookupDataSet)
        FreeNotification(m_lookupDataSet);
}

void TField::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == m_lookupDataSet)
        m_lookupDataSet = nullptr;
}

void TField::RangeError(const std::string& Value, const std::string& Lo, const std::string& Hi) const
{
    throw EConvertError(Value + " is not a valid value for field '" + DisplayName() + "'. The allowed range is "
                        + Lo + " to " + Hi);
}

} // namespace qel
