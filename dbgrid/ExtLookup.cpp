#include "dbgrid/ExtLookup.h"

#include "dbgrid/GridLayouts.h"
#include "editors/LookupEdit.h"
#include "platform/controls/Messages.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Guards.h"
#include "platform/core/Utf8.h"
#include "platform/data/DataSet.h"
#include "platform/data/DataSetTypes.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"

namespace qel {

QEL_REGISTER_CLASS(TdxExtLookupDBGrid, TdxDBGrid);
QEL_REGISTER_CLASS(TdxDBTreeListPopupColumn, TdxDBTreeListDropDownColumn);
QEL_REGISTER_CLASS(TdxDBTreeListExtLookupColumn, TdxDBTreeListPopupColumn);
QEL_REGISTER_CLASS(TdxDBGridPopupColumn, TdxDBTreeListPopupColumn);
QEL_REGISTER_CLASS(TdxDBGridExtLookupColumn, TdxDBTreeListExtLookupColumn);

// Raised when the chosen row's key fields and the edited record's key fields differ in number.
inline constexpr const char* SKeyFieldCountMismatch =
    "Die Anzahl der Schlüsselfelder der Auswahl passt nicht zu den Schlüsselfeldern des Datensatzes";

// ===== TdxExtLookupDBGrid ===============================================================

TdxExtLookupDBGrid::TdxExtLookupDBGrid(TComponent* AOwner, TdxInplaceExtLookupEdit* Editor)
    : TdxDBGrid(AOwner), m_editor(Editor)
{
}

void TdxExtLookupDBGrid::DblClick()
{
    if (m_editor && m_editor->ChooseByDblClick() && m_editor->DroppedDown())
        m_editor->CloseUp(true);
    else
        TdxDBGrid::DblClick();
}

void TdxExtLookupDBGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const THitInfo hit = GetHitInfo(X, Y);
    TdxDBGrid::MouseUp(Button, Shift, X, Y);
    // A release over a row's cells chooses it.
    const bool overRow = hit.Kind == htLabel || hit.Kind == htIcon || hit.Kind == htStateIcon ||
                         hit.Kind == htIndent || hit.Kind == htPreview;
    if (m_editor && !m_editor->ChooseByDblClick() && Button == mbLeft && overRow && m_editor->DroppedDown())
        m_editor->CloseUp(true);
}

void TdxExtLookupDBGrid::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    if (m_editor && m_editor->DroppedDown()) {
        if (Key == VK_ESCAPE || ((Key == VK_UP || Key == VK_DOWN) && Shift.Contains(ssAlt)) ||
            (Key == VK_F4 && !Shift.Contains(ssAlt))) {
            m_editor->CloseUp(false);
        } else if (Key == VK_RETURN && Shift.Empty()) {
            // The Enter's character must not reach the editor after it closed.
            TMessage m;
            PeekMessage(m, this, WM_CHAR, WM_CHAR, true);
            m_editor->CloseUp(true);
        }
    }
    TdxDBGrid::KeyDown(Key, Shift);
}

// ===== TdxInplaceExtLookupEdit ==========================================================

TdxInplaceExtLookupEdit::TdxInplaceExtLookupEdit(TComponent* AOwner)
    : TdxInplacePopupEdit(AOwner), m_grid(std::make_unique<TdxExtLookupDBGrid>(nullptr, this))
{
    m_grid->SetVisible(false);
    SetPopupHeight(240);
    SetPopupWidth(320);
    SetPopupFormBorderStyle(static_cast<TdxPopupEditFormBorderStyle>(3));
    SetPopupAutoSize(false);
}

TdxInplaceExtLookupEdit::~TdxInplaceExtLookupEdit()
{
    SetPopupControl(nullptr);
    if (m_layout)
        m_layout->RemoveFreeNotification(this);
    if (m_field)
        m_field->RemoveFreeNotification(this);
}

void TdxInplaceExtLookupEdit::Notification(TComponent* AComponent, TOperation Operation)
{
    TdxInplacePopupEdit::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == m_layout)
        m_layout = nullptr;
    if (AComponent == m_field)
        m_field = nullptr;
}

void TdxInplaceExtLookupEdit::SetDBGridLayout(TdxDBGridLayout* Value)
{
    if (m_layout)
        m_layout->RemoveFreeNotification(this);
    m_layout = Value;
    if (m_layout)
        m_layout->FreeNotification(this);
}

void TdxInplaceExtLookupEdit::SetField(TField* Value)
{
    if (m_field)
        m_field->RemoveFreeNotification(this);
    m_field = Value;
    if (m_field)
        m_field->FreeNotification(this);
    SetReadOnly(ReadOnly());
}

bool TdxInplaceExtLookupEdit::IsLookupField() const
{
    return m_field && m_field->FieldKind() == fkLookup;
}

void TdxInplaceExtLookupEdit::EndSearch()
{
    m_searching = false;
    m_searchText.clear();
}

std::string TdxInplaceExtLookupEdit::GetPickListField() const
{
    return m_pickListField.empty() ? m_grid->KeyField() : m_pickListField;
}

bool TdxInplaceExtLookupEdit::ApplyGridLayout()
{
    if (!m_layout)
        return false;
    m_layout->AssignTo(m_grid.get());
    if (m_useDefaultSettings) {
        m_grid->SetBorderStyle(bsNone);
        TdxTreeListOptions options = m_grid->GetOptions();
        options.Exclude(aoColumnMoving);
        options.Exclude(aoEditing);
        m_grid->TCustomdxTreeList::SetOptions(options);
        TdxDBGridOptions gridOptions = m_grid->Options();
        gridOptions.Exclude(egoEditing);
        m_grid->SetOptions(gridOptions);
        TdxTreeListOptionsEx ex = m_grid->GetOptionsEx();
        ex.Include(aoInvertSelect);
        ex.Include(aoAutoSearch);
        m_grid->SetOptionsEx(ex);
    }
    return true;
}

TDataSet* TdxInplaceExtLookupEdit::SourceDataSet() const
{
    if (IsLookupField())
        return m_field->LookupDataSet();
    return m_grid->DataSource() ? m_grid->DataSource()->DataSet() : nullptr;
}

void TdxInplaceExtLookupEdit::AssignValue(bool Clear)
{
    TDataSet* source = SourceDataSet();
    if (!source || !m_field || !m_field->DataSet())
        return;
    const std::string sourceNames = IsLookupField() ? m_field->LookupKeyFields() : GetPickListField();
    const std::vector<TField*> sources = source->GetFieldList(sourceNames);
    const std::vector<TField*> targets =
        IsLookupField() ? m_field->DataSet()->GetFieldList(m_field->KeyFields()) : std::vector<TField*>{m_field};
    if (sources.size() != targets.size())
        throw EDatabaseError(SKeyFieldCountMismatch);
    TDataSet* edited = m_field->DataSet();
    if (!IsEditState(edited->State()))
        edited->Edit();
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const Variant v = Clear ? Variant::Null() : sources[i]->Value();
        if (v.IsEmptyOrNull())
            targets[i]->Clear();
        else
            targets[i]->SetValue(v);
    }
    DoChange();
}

void TdxInplaceExtLookupEdit::ClearValue()
{
    EndSearch();
    AssignValue(true);
    SetDisplayText(m_field ? m_field->DisplayText() : std::string());
}

bool TdxInplaceExtLookupEdit::CanModify() const
{
    // A lookup field's text is never typed into the field.
    return !IsLookupField() && TdxInplacePopupEdit::CanModify();
}

bool TdxInplaceExtLookupEdit::IsDataLinkModified() const
{
    if (!IsLookupField())
        return TdxInplacePopupEdit::IsDataLinkModified();
    // Kept as the component always answered: true when the key field is
    // missing, else whether it cannot be modified.
    const TField* key = m_field->DataSet() ? m_field->DataSet()->FindField(m_field->KeyFields()) : nullptr;
    return !key || !key->CanModify();
}

void TdxInplaceExtLookupEdit::SetEditingValue(const Variant& Value)
{
    if (!m_assigning)
        EndSearch();
    TdxInplacePopupEdit::SetEditingValue(Value);
}

void TdxInplaceExtLookupEdit::SetReadOnly(bool Value)
{
    TdxInplacePopupEdit::SetReadOnly(Value);
}

void TdxInplaceExtLookupEdit::SetDefaultStyleValues()
{
    EndSearch();
    TdxInplacePopupEdit::SetDefaultStyleValues();
}

bool TdxInplaceExtLookupEdit::Search()
{
    TDataSet* lookup = m_field->LookupDataSet();
    SetDisplayText(m_searchText);
    if (!lookup->Locate(m_field->LookupResultField(), Variant(m_searchText),
                        TLocateOptions{loCaseInsensitive, loPartialKey}))
        return false;
    {
        TValueRestorer<bool> assigning(m_assigning);
        m_assigning = true;
        AssignValue(false);
    }
    const TField* result = lookup->FindField(m_field->LookupResultField());
    const std::string text = result ? result->DisplayText() : m_searchText;
    SetDisplayText(text);
    const int typed = static_cast<int>(Utf8Length(m_searchText));
    SetSelection(typed, static_cast<int>(Utf8Length(text)) - typed);
    return true;
}

void TdxInplaceExtLookupEdit::KeyPress(TKeyChar& Key)
{
    const bool lookup = IsLookupField() && m_field->LookupDataSet() && !m_field->LookupResultField().empty();
    if (!lookup || DroppedDown() || Key == 0x0D || Key == 0x1B) {
        TdxInplacePopupEdit::KeyPress(Key);
        return;
    }
    const TKeyChar ch = Key;
    Key = 0;   // every typed key is ours
    if (ReadOnly())
        return;
    const int textLength = static_cast<int>(Utf8Length(Text()));
    if (ch == 0x08) {
        if (SelLength() == textLength && textLength > 0 && m_canDeleteText) {
            ClearValue();
            return;
        }
        if (!m_searching && SelLength() > 0) {
            m_searchText = Utf8Prefix(Text(), static_cast<std::size_t>(SelStart()));
            m_searching = true;
        }
        if (!m_searching)
            return;
        m_searchText = Utf8Prefix(m_searchText, Utf8Length(m_searchText) - (m_searchText.empty() ? 0 : 1));
        if (m_searchText.empty()) {
            EndSearch();
            if (m_canDeleteText)
                ClearValue();
            else
                SetDisplayText(m_field->DisplayText());
            return;
        }
        Search();
        return;
    }
    if (ch < 0x20)
        return;
    const std::string typed = KeyCharToUtf8(ch);
    m_searchText = (m_searching ? m_searchText : std::string()) + typed;
    m_searching = true;
    m_lastTyped = typed;
    if (!Search()) {
        if (Utf8Length(m_searchText) >= 2) {
            // Back to the text before the rejected character, found again.
            m_searchText = Utf8Prefix(m_searchText, Utf8Length(m_searchText) - 1);
            Search();
            if (!DroppedDown())
                DropDown();
        } else {
            EndSearch();
            SetDisplayText(m_field->DisplayText());
        }
        return;
    }
    if (ImmediateDropDown() && !DroppedDown())
        DropDown();
}

void TdxInplaceExtLookupEdit::DoEditKeyDown(std::uint16_t& Key, TShiftState Shift)
{
    if (Key == VK_ESCAPE && m_searching && !DroppedDown())
        EndSearch();
    if (Key == VK_DELETE && Shift.Empty() && m_canDeleteText && !Text().empty() &&
        SelLength() == static_cast<int>(Utf8Length(Text()))) {
        Key = 0;
        ClearValue();
        return;
    }
    if (!IsInplace() && Shift.Empty() && !DroppedDown()) {
        if (Key == VK_PRIOR || Key == VK_UP) {
            Key = 0;
            SelectNextItem(-1);
            return;
        }
        if (Key == VK_NEXT || Key == VK_DOWN) {
            Key = 0;
            SelectNextItem(1);
            return;
        }
    }
    if (m_clearKey != 0 && ShortCut(Key, Shift) == m_clearKey) {
        Key = 0;
        ClearValue();
        return;
    }
    TdxInplacePopupEdit::DoEditKeyDown(Key, Shift);
}

bool TdxInplaceExtLookupEdit::CanDropDown() const
{
    if (!IsLookupField())
        return TdxInplacePopupEdit::CanDropDown();
    return Enabled() && !ReadOnly() && m_field->CanModify();
}

void TdxInplaceExtLookupEdit::DoInitPopup()
{
    SetPopupControl(nullptr);
    m_grid->SetVisible(false);
    if (ApplyGridLayout())
        SetPopupControl(m_grid.get());
    TdxInplacePopupEdit::DoInitPopup();
}

void TdxInplaceExtLookupEdit::DoPopup()
{
    TdxInplacePopupEdit::DoPopup();
    if (!IsLookupField() || !m_field->LookupDataSet() || !m_field->DataSet())
        return;
    const std::vector<TField*> keys = m_field->DataSet()->GetFieldList(m_field->KeyFields());
    Variant value;
    if (keys.size() == 1) {
        value = keys[0]->Value();
    } else {
        std::vector<Variant> items;
        for (TField* k : keys)
            items.push_back(k->Value());
        value = Variant::Array(std::move(items));
    }
    m_field->LookupDataSet()->Locate(m_field->LookupKeyFields(), value, {});
    if (!m_lastTyped.empty() && m_grid->GetOptionsEx().Contains(aoAutoSearch)) {
        if (TdxDBTreeListColumn* c = m_grid->FindColumnByFieldName(m_field->LookupResultField())) {
            m_grid->SetFocusedColumn(c->Index());
            m_grid->StartSearch(c->Index());
            for (std::size_t pos = 0; pos < m_searchText.size();)
                PostMessage(m_grid.get(), WM_CHAR, static_cast<std::uintptr_t>(Utf8Next(m_searchText, pos)));
        }
    }
}

void TdxInplaceExtLookupEdit::DoCloseUp(std::string& Text, bool& Accept)
{
    // A choice needs a row: an empty lookup list chooses nothing.
    TDataSet* source = SourceDataSet();
    if (Accept && source && source->Active() && !(source->Bof() && source->Eof())) {
        AssignValue(false);
        if (IsLookupField())
            SetDisplayText(m_field->DisplayText());
    }
    TdxInplacePopupEdit::DoCloseUp(Text, Accept);
    m_lastTyped.clear();
}

// ===== TdxDBTreeListPopupColumn =========================================================

void TdxDBTreeListPopupColumn::SetPopupControl(TControl* Value)
{
    if (m_popupControl)
        m_popupControl->RemoveFreeNotification(this);
    m_popupControl = Value;
    if (m_popupControl)
        m_popupControl->FreeNotification(this);
}

void TdxDBTreeListPopupColumn::Notification(TComponent* AComponent, TOperation Operation)
{
    TdxDBTreeListDropDownColumn::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == m_popupControl)
        m_popupControl = nullptr;
}

void TdxDBTreeListPopupColumn::SetPopupMinHeight(int Value)
{
    m_popupMinHeight = std::max(0, Value);
    SetPopupHeight(m_popupHeight);
}

void TdxDBTreeListPopupColumn::SetPopupMinWidth(int Value)
{
    m_popupMinWidth = std::max(0, Value);
    SetPopupWidth(m_popupWidth);
}

void TdxDBTreeListPopupColumn::Assign(TPersistent* Source)
{
    TdxDBTreeListDropDownColumn::Assign(Source);
    if (auto* s = dynamic_cast<TdxDBTreeListPopupColumn*>(Source)) {
        m_hideEditCursor = s->m_hideEditCursor;
        m_popupAutoSize = s->m_popupAutoSize;
        SetPopupControl(s->m_popupControl);
        m_formBorderStyle = s->m_formBorderStyle;
        m_formCaption = s->m_formCaption;
        m_formClientEdge = s->m_formClientEdge;
        m_formFlatBorder = s->m_formFlatBorder;
        m_formSizeable = s->m_formSizeable;
        m_popupMinHeight = s->m_popupMinHeight;
        m_popupMinWidth = s->m_popupMinWidth;
        m_popupHeight = s->m_popupHeight;
        m_popupWidth = s->m_popupWidth;
        OnCloseQuery = s->OnCloseQuery;
        OnCloseUp = s->OnCloseUp;
        OnInitPopup = s->OnInitPopup;
        OnPopup = s->OnPopup;
    }
}

void TdxDBTreeListPopupColumn::RestoreDefaults()
{
    TdxDBTreeListDropDownColumn::RestoreDefaults();
    m_hideEditCursor = false;
    m_popupAutoSize = true;
    SetPopupControl(nullptr);
    m_formBorderStyle = pbsDialog;
    m_formCaption.clear();
    m_formClientEdge = false;
    m_formFlatBorder = true;
    m_formSizeable = true;
    m_popupMinHeight = 100;
    m_popupMinWidth = 100;
    m_popupHeight = 200;
    m_popupWidth = 250;
}

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListPopupColumn::NewInplaceEditor(TComponent* Owner) const
{
    return std::make_unique<TdxInplacePopupEdit>(Owner);
}

void TdxDBTreeListPopupColumn::InitEditor(TdxInplaceEdit* Editor)
{
    TdxDBTreeListDropDownColumn::InitEditor(Editor);
    auto* e = dynamic_cast<TdxInplacePopupEdit*>(Editor);
    if (!e)
        return;
    e->SetHideEditCursor(m_hideEditCursor);
    e->SetPopupAutoSize(m_popupAutoSize);
    if (!dynamic_cast<TdxInplaceExtLookupEdit*>(e))
        e->SetPopupControl(m_popupControl);
    e->SetPopupFormBorderStyle(m_formBorderStyle);
    e->SetPopupFormCaption(m_formCaption);
    e->SetPopupFormClientEdge(m_formClientEdge);
    e->SetPopupFormFlatBorder(m_formFlatBorder);
    e->SetPopupFormSizeable(m_formSizeable);
    e->SetPopupMinHeight(m_popupMinHeight);
    e->SetPopupMinWidth(m_popupMinWidth);
    e->SetPopupHeight(m_popupHeight);
    e->SetPopupWidth(m_popupWidth);
    // The editor's events reach the column's handlers with the column as sender.
    e->OnCloseQuery = [this](TObject*, bool& CanClose) {
        if (OnCloseQuery)
            OnCloseQuery(this, CanClose);
    };
    e->OnCloseUp = [this](TObject*, std::string& Text, bool& Accept) {
        if (OnCloseUp)
            OnCloseUp(this, Text, Accept);
    };
    e->OnInitPopup = [this](TObject*) {
        if (OnInitPopup)
            OnInitPopup(this);
    };
    e->OnPopup = [this](TObject*, const std::string& Text) {
        if (OnPopup)
            OnPopup(this, Text);
    };
}

// ===== TdxDBTreeListExtLookupColumn =====================================================

TdxDBTreeListExtLookupColumn::TdxDBTreeListExtLookupColumn(TComponent* AOwner) : TdxDBTreeListPopupColumn(AOwner)
{
    m_popupAutoSize = false;
    m_popupHeight = 240;
    m_popupWidth = 320;
    m_formBorderStyle = static_cast<TdxPopupEditFormBorderStyle>(3);
}

void TdxDBTreeListExtLookupColumn::SetDBGridLayout(TdxDBGridLayout* Value)
{
    if (m_layout)
        m_layout->RemoveFreeNotification(this);
    m_layout = Value;
    if (m_layout)
        m_layout->FreeNotification(this);
}

void TdxDBTreeListExtLookupColumn::Notification(TComponent* AComponent, TOperation Operation)
{
    TdxDBTreeListPopupColumn::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == m_layout)
        m_layout = nullptr;
}

void TdxDBTreeListExtLookupColumn::Assign(TPersistent* Source)
{
    TdxDBTreeListPopupColumn::Assign(Source);
    if (auto* s = dynamic_cast<TdxDBTreeListExtLookupColumn*>(Source)) {
        m_chooseByDblClick = s->m_chooseByDblClick;
        m_clearKey = s->m_clearKey;
        SetDBGridLayout(s->m_layout);
        m_canDeleteText = s->m_canDeleteText;
        m_pickListField = s->m_pickListField;
        m_useDefaultSettings = s->m_useDefaultSettings;
    }
}

void TdxDBTreeListExtLookupColumn::RestoreDefaults()
{
    TdxDBTreeListPopupColumn::RestoreDefaults();
    m_popupAutoSize = false;
    m_popupHeight = 240;
    m_popupWidth = 320;
    m_formBorderStyle = static_cast<TdxPopupEditFormBorderStyle>(3);
    m_chooseByDblClick = true;
    m_clearKey = 0;
    SetDBGridLayout(nullptr);
    m_canDeleteText = false;
    m_pickListField.clear();
    m_useDefaultSettings = true;
}

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListExtLookupColumn::NewInplaceEditor(TComponent* Owner) const
{
    return std::make_unique<TdxInplaceExtLookupEdit>(Owner);
}

void TdxDBTreeListExtLookupColumn::InitEditor(TdxInplaceEdit* Editor)
{
    TdxDBTreeListPopupColumn::InitEditor(Editor);
    if (auto* e = dynamic_cast<TdxInplaceExtLookupEdit*>(Editor)) {
        e->SetChooseByDblClick(m_chooseByDblClick);
        e->SetClearKey(m_clearKey);
        e->SetDBGridLayout(m_layout);
        e->SetField(Field());
        e->SetCanDeleteText(m_canDeleteText);
        e->SetPickListField(m_pickListField);
        e->SetUseDefaultSettings(m_useDefaultSettings);
    } else if (auto* l = dynamic_cast<TdxInplaceLookupEdit*>(Editor)) {
        l->SetClearKey(m_clearKey);
        l->SetLookupField(Field());
        l->SetCanDeleteText(m_canDeleteText);
    }
}

Variant TdxDBTreeListExtLookupColumn::FieldToEditor(TdxInplaceEdit* Editor)
{
    auto* e = dynamic_cast<TdxInplaceExtLookupEdit*>(Editor);
    if (!e || !Field() || Field()->FieldKind() != fkLookup)
        return TdxDBTreeListPopupColumn::FieldToEditor(Editor);
    e->SetText(Field()->DisplayText());
    return Variant(e->Text());
}

void TdxDBTreeListExtLookupColumn::EditorToField(TdxInplaceEdit* Editor)
{
    // A lookup field's keys were written by the editor itself.
    if (Field() && Field()->FieldKind() == fkLookup)
        return;
    TdxDBTreeListPopupColumn::EditorToField(Editor);
}

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListExtLookupColumn::NewFilterEditor(TComponent* Owner) const
{
    if (Field() && Field()->FieldKind() == fkLookup)
        return std::make_unique<TCustomdxFilterLookupEdit>(Owner);
    return TdxDBTreeListPopupColumn::NewFilterEditor(Owner);
}

void TdxDBTreeListExtLookupColumn::InitFilterEditor(TdxInplaceEdit* Editor)
{
    if (auto* l = dynamic_cast<TCustomdxFilterLookupEdit*>(Editor)) {
        TdxDBTreeListColumn::InitFilterEditor(Editor);   // no popup events for a filter editor
        l->SetLookupField(Field());
        l->OnCloseUp = nullptr;
        return;
    }
    TdxDBTreeListPopupColumn::InitFilterEditor(Editor);
    if (auto* p = dynamic_cast<TdxInplacePopupEdit*>(Editor)) {
        p->OnCloseQuery = nullptr;
        p->OnCloseUp = nullptr;
        p->OnInitPopup = nullptr;
        p->OnPopup = nullptr;
    }
}

void TdxDBTreeListExtLookupColumn::GetFilterEditText(TdxInplaceEdit* Editor, Variant& Value, std::string& Text)
{
    if (auto* l = dynamic_cast<TCustomdxFilterLookupEdit*>(Editor)) {
        Value = l->KeyValue();
        Text = l->Text();
        return;
    }
    TdxDBTreeListPopupColumn::GetFilterEditText(Editor, Value, Text);
}

void TdxDBTreeListExtLookupColumn::SetFilterEditValue(TdxInplaceEdit* Editor, const Variant& Value)
{
    if (auto* l = dynamic_cast<TCustomdxFilterLookupEdit*>(Editor))
        l->SetKeyValue(Value);
    else
        TdxDBTreeListPopupColumn::SetFilterEditValue(Editor, Value);
}

} // namespace qel
