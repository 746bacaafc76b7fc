#include "editors/LookupEdit.h"

#include "platform/controls/Keyboard.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Guards.h"
#include "platform/core/Locale.h"
#include "platform/core/Split.h"
#include "platform/core/Utf8.h"
#include "platform/data/DataSet.h"
#include "platform/data/DataSetTypes.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"

namespace qel {

namespace {

// The first name of a semicolon list.
std::string FirstName(const std::string& Names)
{
    const std::vector<std::string> parts = SplitString(Names, ';');
    return parts.empty() ? std::string() : Trim(parts.front());
}

} // namespace

// ===== TdxListSourceLink ================================================================

void TdxListSourceLink::ActiveChanged()
{
    m_editor->ListChanged();
}

void TdxListSourceLink::DataSetChanged()
{
    m_editor->ListChanged();
}

void TdxListSourceLink::RecordChanged(TField*)
{
    m_editor->ListChanged();
}

// ===== TPopupDBLookupListBox ============================================================

TPopupDBLookupListBox::TPopupDBLookupListBox(TComponent* AOwner) : TCustomdxPopupListBox(AOwner) {}

void TPopupDBLookupListBox::Fill(TDataSet* DataSet, const std::string& KeyField, const std::string& ListField)
{
    std::vector<Variant> keys;
    TStringList texts;
    if (DataSet && DataSet->Active()) {
        const TField* key = DataSet->FindField(KeyField);
        const TField* list = DataSet->FindField(ListField);
        if (key && list) {
            const std::unique_ptr<TRecordReader> reader = DataSet->CreateRecordReader();
            for (int i = 0; i < reader->Count(); ++i) {
                const TRecordReader::THandle h = reader->Handle(i);
                keys.push_back(reader->Value(h, key));
                texts.Add(std::string(reader->Text(h, list)));
            }
        }
    }
    m_keys = std::move(keys);
    Items()->Assign(&texts);
}

Variant TPopupDBLookupListBox::KeyValue() const
{
    const int i = ItemIndex();
    return i >= 0 && i < RecordCount() ? m_keys[static_cast<std::size_t>(i)] : Variant::Null();
}

void TPopupDBLookupListBox::SetKeyValue(const Variant& Value)
{
    int found = -1;
    if (!Value.IsEmptyOrNull())
        for (int i = 0; i < RecordCount() && found < 0; ++i)
            if (m_keys[static_cast<std::size_t>(i)] == Value)
                found = i;
    SetItemIndex(found);
}

int TPopupDBLookupListBox::LayoutBorderWidth() const
{
    int width = 0;
    switch (BorderKind()) {
    case pbSingle: width = 2; break;
    case pbFrame3D: width = 8; break;
    case pbFlat: width = 4; break;
    default: width = 2 * BorderSize(); break;
    }
    return width + (m_shadow ? ShadowSize : 0);
}

// ===== TdxInplaceLookupEdit =============================================================

TdxInplaceLookupEdit::TdxInplaceLookupEdit(TComponent* AOwner)
    : TdxInplaceDropDownEdit(AOwner), m_internalSource(std::make_unique<TDataSource>(nullptr))
{
}

TdxInplaceLookupEdit::~TdxInplaceLookupEdit()
{
    if (m_lookupField)
        m_lookupField->RemoveFreeNotification(this);
    // The link must not call back into a half-destroyed editor.
    m_listLink.SetDataSource(nullptr);
}

void TdxInplaceLookupEdit::Notification(TComponent* AComponent, TOperation Operation)
{
    TdxInplaceDropDownEdit::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == m_lookupField) {
        m_lookupField = nullptr;
        m_internalSource->SetDataSet(nullptr);
        m_textCache.clear();
    }
    if (m_internalSource && AComponent == m_internalSource->DataSet())
        m_internalSource->SetDataSet(nullptr);
}

void TdxInplaceLookupEdit::SetLookupField(TField* Value)
{
    if (m_lookupField == Value)
        return;
    if (m_lookupField)
        m_lookupField->RemoveFreeNotification(this);
    m_lookupField = Value;
    if (m_lookupField)
        m_lookupField->FreeNotification(this);
    m_textCache.clear();
    ShowKeyText();
}

void TdxInplaceLookupEdit::SetFieldMode(bool Value)
{
    m_fieldMode = Value;
    m_textCache.clear();
}

TDataSource* TdxInplaceLookupEdit::ListSource() const
{
    return m_listLink.DataSource();
}

void TdxInplaceLookupEdit::SetListSource(TDataSource* Value)
{
    m_listLink.SetDataSource(Value);
    ListChanged();
}

void TdxInplaceLookupEdit::SetKeyFieldName(const std::string& Value)
{
    m_keyFieldName = Value;
    ListChanged();
}

void TdxInplaceLookupEdit::SetListFieldName(const std::string& Value)
{
    if (m_listFieldName == Value)
        return;
    m_listFieldName = Value;
    ListChanged();
}

TdxInplaceLookupEdit::TLookupSource TdxInplaceLookupEdit::Source() const
{
    TLookupSource s;
    if (m_fieldMode && m_lookupField && m_lookupField->Lookup()) {
        s.DataSet = m_lookupField->LookupDataSet();
        s.KeyField = FirstName(m_lookupField->LookupKeyFields());
        s.ListField = FirstName(m_lookupField->LookupResultField());
    } else {
        s.DataSet = m_listLink.DataSet();
        s.KeyField = FirstName(m_keyFieldName);
        s.ListField = FirstName(m_listFieldName);
    }
    if (s.ListField.empty())
        s.ListField = s.KeyField;
    return s;
}

bool TdxInplaceLookupEdit::IsCircular() const
{
    const TLookupSource s = Source();
    return s.DataSet && m_lookupField && s.DataSet == m_lookupField->DataSet();
}

void TdxInplaceLookupEdit::ListChanged()
{
    m_textCache.clear();
    ShowKeyText();
}

void TdxInplaceLookupEdit::RefreshDisplayText()
{
    ListChanged();
}

std::string TdxInplaceLookupEdit::DisplayTextOf(const Variant& Key)
{
    // A key no row has shows nothing, never the text of whatever row the
    // list happens to be on.
    if (Key.IsEmptyOrNull())
        return {};
    const TLookupSource s = Source();
    if (!s.DataSet || !s.DataSet->Active() || s.KeyField.empty())
        return {};
    // The list link is told of opening and closing before or after the
    // dataset's own state changes: follow the link in explicit mode.
    if (s.DataSet == m_listLink.DataSet() && !m_listLink.Active())
        return {};
    if (const auto it = m_textCache.find(Key); it != m_textCache.end())
        return it->second;
    std::string text;
    if (s.DataSet->FindField(s.KeyField) && s.DataSet->FindField(s.ListField))
        text = VarToStr(s.DataSet->Lookup(s.KeyField, Key, s.ListField));   // leaves the cursor alone
    m_textCache.emplace(Key, text);
    return text;
}

void TdxInplaceLookupEdit::ShowKeyText()
{
    SetDisplayText(DisplayTextOf(m_keyValue));
}

void TdxInplaceLookupEdit::EndSearch()
{
    m_searching = false;
    m_searchText.clear();
}

void TdxInplaceLookupEdit::SetKeyValue(const Variant& Value)
{
    if (IsCircular())
        throw EDatabaseError(SCircularDataLink);
    m_keyValue = Value;
    EndSearch();
    ShowKeyText();
}

Variant TdxInplaceLookupEdit::GetEditingValue() const
{
    if (!m_fieldMode || !m_lookupField || m_filterMode)
        return Variant(const_cast<TdxInplaceLookupEdit*>(this)->DisplayTextOf(m_keyValue));
    return TdxInplaceDropDownEdit::GetEditingValue();
}

void TdxInplaceLookupEdit::SetEditingValue(const Variant& Value)
{
    // In field mode the host hands over the lookup field's text; the key
    // comes from the edited record's key field.
    if (m_fieldMode && m_lookupField && m_lookupField->Lookup() && m_lookupField->DataSet()) {
        const TField* key = m_lookupField->DataSet()->FindField(FirstName(m_lookupField->KeyFields()));
        m_keyValue = key ? key->Value() : Variant::Null();
        EndSearch();
        ShowKeyText();
        return;
    }
    (void)Value;
    EndSearch();
    ShowKeyText();
}

bool TdxInplaceLookupEdit::CanModify() const
{
    if (ReadOnly())
        return false;
    if (!m_filterMode && !(m_lookupField && m_lookupField->Lookup()) && m_fieldMode && m_lookupField)
        return false;
    return TdxInplaceDropDownEdit::CanModify();
}

bool TdxInplaceLookupEdit::IsDataLinkModified() const
{
    if (m_filterMode)
        return false;
    if (m_lookupField && m_lookupField->DataSet()) {
        const TField* key = m_lookupField->DataSet()->FindField(FirstName(m_lookupField->KeyFields()));
        if (key && !key->CanModify())
            return false;
    }
    return true;
}

void TdxInplaceLookupEdit::EnterKeyValue(const Variant& Value)
{
    if (IsCircular())
        throw EDatabaseError(SCircularDataLink);
    m_keyValue = Value;
    if (!m_filterMode && m_fieldMode && m_lookupField && m_lookupField->Lookup() && m_lookupField->DataSet()) {
        // Outside an edit of the record the host writes the key (a grid
        // starts the edit first).
        TField* key = m_lookupField->DataSet()->FindField(FirstName(m_lookupField->KeyFields()));
        if (key && key->CanModify() && IsEditState(key->DataSet()->State())) {
            if (Value.IsEmptyOrNull())
                key->Clear();
            else
                key->SetValue(Value);
        }
    }
    ShowKeyText();
    DoChange();
}

// ----- typing --------------------------------------------------------------------------

bool TdxInplaceLookupEdit::DoSearch()
{
    const TLookupSource s = Source();
    if (!s.DataSet || !s.DataSet->Active() || m_searchText.empty())
        return false;
    TField* key = s.DataSet->FindField(s.KeyField);
    TField* list = s.DataSet->FindField(s.ListField);
    if (!key || !list)
        return false;
    if (!s.DataSet->Locate(s.ListField, Variant(m_searchText), TLocateOptions{loCaseInsensitive, loPartialKey}))
        return false;
    EnterKeyValue(key->Value());
    const int typed = static_cast<int>(Utf8Length(m_searchText));
    const std::string text = Text();
    SetSelection(typed, static_cast<int>(Utf8Length(text)) - typed);
    return true;
}

void TdxInplaceLookupEdit::KeyPress(TKeyChar& Key)
{
    if (DroppedDown() || Key == 0x0D || Key == 0x1B) {
        TdxInplaceDropDownEdit::KeyPress(Key);
        return;
    }
    TKeyChar ch = Key;
    TdxInplaceEdit::KeyPress(ch);   // the user's handler and the modify check
    Key = 0;   // the text is the list's, never typed into
    if (!ch || !CanModify())
        return;
    if (ch == 0x08) {
        if (!m_searching)
            return;
        m_searchText = Utf8Prefix(m_searchText, Utf8Length(m_searchText) - 1);
        if (m_searchText.empty()) {
            EndSearch();
            if (m_canDeleteText)
                EnterKeyValue(Variant::Null());
            return;
        }
        DoSearch();
        return;
    }
    if (ch < 0x20)
        return;
    const std::string before = m_searchText;
    m_searchText = (m_searching ? m_searchText : std::string()) + KeyCharToUtf8(ch);
    m_searching = true;
    if (!DoSearch()) {
        // Nothing starts so: the character is taken back, the text stays.
        m_searchText = before;
        m_searching = !before.empty();
        if (!m_searching)
            ShowKeyText();
        return;
    }
    if (ImmediateDropDown() && !DroppedDown())
        DropDown();
}

void TdxInplaceLookupEdit::SelectNextItem(int Direction)
{
    const TLookupSource s = Source();
    if (!s.DataSet || !s.DataSet->Active() || Direction == 0 || !CanModify())
        return;
    TField* key = s.DataSet->FindField(s.KeyField);
    if (!key)
        return;
    // The move is relative to the shown value, not to wherever the list was.
    if (m_keyValue.IsEmptyOrNull() || !s.DataSet->Locate(s.KeyField, m_keyValue, {})) {
        if (Direction > 0)
            s.DataSet->First();
        else
            s.DataSet->Last();
    } else {
        s.DataSet->MoveBy(Direction);
    }
    if (s.DataSet->RecordCount() == 0)
        return;
    EndSearch();
    EnterKeyValue(key->Value());
    SelectAll();
}

void TdxInplaceLookupEdit::DoEditKeyDown(std::uint16_t& Key, TShiftState Shift)
{
    if (m_clearKey != 0 && ShortCut(Key, Shift) == m_clearKey) {
        Key = 0;
        if (CanModify()) {
            EndSearch();
            EnterKeyValue(Variant::Null());
        }
        return;
    }
    if (Key == VK_ESCAPE && m_searching && !DroppedDown()) {
        EndSearch();
        Key = 0;
        return;
    }
    if (!DroppedDown() && !IsInplace() && Shift.Empty()) {
        int step = 0;
        switch (Key) {
        case VK_UP: step = -1; break;
        case VK_DOWN: step = 1; break;
        case VK_PRIOR: step = -std::max(1, DropDownRows() - 1); break;
        case VK_NEXT: step = std::max(1, DropDownRows() - 1); break;
        default: break;
        }
        if (step != 0) {
            Key = 0;
            SelectNextItem(step);
            return;
        }
    }
    if ((Key == VK_DELETE || Key == VK_BACK) && Shift.Empty() && !DroppedDown()) {
        // Delete only clears; characters of the text are the list's.
        if (Key == VK_DELETE) {
            Key = 0;
            if (m_canDeleteText && CanModify() && SelLength() == static_cast<int>(Utf8Length(Text()))) {
                EndSearch();
                EnterKeyValue(Variant::Null());
            }
        }
        return;   // Backspace goes on as a character to the search
    }
    TdxInplaceDropDownEdit::DoEditKeyDown(Key, Shift);
}

// ----- popup ---------------------------------------------------------------------------

bool TdxInplaceLookupEdit::CanDropDown() const
{
    const TLookupSource s = Source();
    return s.DataSet && s.DataSet->Active() && CanModify() && TdxInplaceDropDownEdit::CanDropDown();
}

TControl* TdxInplaceLookupEdit::PopupContent(TWinControl* Parent)
{
    m_list = new TPopupDBLookupListBox(Parent);
    m_list->SetParent(Parent);
    m_list->SetAlign(alClient);
    m_list->OnItemClick = [this](TObject*) { CloseUp(true); };
    return m_list;
}

void TdxInplaceLookupEdit::DoInitPopup()
{
    const TLookupSource s = Source();
    if (m_fieldMode && m_lookupField && m_lookupField->Lookup()) {
        m_internalSource->SetDataSet(s.DataSet);
        if (s.DataSet)
            s.DataSet->FreeNotification(this);
    }
    m_list->SetFont(Font());
    m_list->SetColor(Color());
    m_list->SetBorderKind(PopupBorder());
    m_list->Fill(s.DataSet, s.KeyField, s.ListField);
    m_list->SetKeyValue(m_keyValue);
}

TSize TdxInplaceLookupEdit::PopupSize()
{
    TSize size = TdxInplaceDropDownEdit::PopupSize();
    if (m_list) {
        const int rows = std::max(1, std::min(DropDownRows(), m_list->RecordCount()));
        size.cy = m_list->HeightForRows(rows) + (m_list->Shadow() ? TPopupDBLookupListBox::ShadowSize : 0);
    }
    return size;
}

void TdxInplaceLookupEdit::PopupKeyDown(std::uint16_t& Key, TShiftState Shift)
{
    if (m_list && m_list->HandleKey(Key, Shift))
        Key = 0;
}

Variant TdxInplaceLookupEdit::PopupValue()
{
    return m_list ? m_list->KeyValue() : m_keyValue;
}

void TdxInplaceLookupEdit::ApplyPopupValue(const Variant& Value)
{
    EndSearch();
    EnterKeyValue(Value);
    SelectAll();
}

void TdxInplaceLookupEdit::PopupHiding()
{
    m_internalSource->SetDataSet(nullptr);
}

} // namespace qel
