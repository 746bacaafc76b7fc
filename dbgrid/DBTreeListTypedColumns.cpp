#include "dbgrid/DBTreeListTypedColumns.h"

#include "dbgrid/DBTreeListControl.h"
#include "dbgrid/detail/ExportText.h"
#include "editors/ButtonEdit.h"
#include "editors/CalcEdit.h"
#include "editors/CurrencyEdit.h"
#include "editors/DateEdit.h"
#include "editors/GraphicEdit.h"
#include "editors/HyperLinkEdit.h"
#include "editors/MemoEdit.h"
#include "editors/PickEdit.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/FreeWatch.h"
#include "platform/core/Guards.h"
#include "platform/core/Stream.h"
#include "platform/core/Strings.h"
#include "platform/core/Utf8.h"
#include "platform/data/Field.h"
#include "platform/data/Fields.h"
#include "platform/graphics/Graphic.h"

#include <cmath>

namespace qel {

QEL_REGISTER_CLASS(TdxDBTreeListDropDownColumn, TdxDBTreeListColumn);
QEL_REGISTER_CLASS(TdxDBTreeListDateColumn, TdxDBTreeListDropDownColumn);
QEL_REGISTER_CLASS(TdxDBTreeListButtonColumn, TdxDBTreeListDropDownColumn);
QEL_REGISTER_CLASS(TdxDBTreeListPickColumn, TdxDBTreeListDropDownColumn);
QEL_REGISTER_CLASS(TdxDBTreeListMRUColumn, TdxDBTreeListPickColumn);
QEL_REGISTER_CLASS(TdxDBTreeListCalcColumn, TdxDBTreeListDropDownColumn);
QEL_REGISTER_CLASS(TdxDBTreeListSpinColumn, TdxDBTreeListColumn);
QEL_REGISTER_CLASS(TdxDBTreeListTimeColumn, TdxDBTreeListColumn);
QEL_REGISTER_CLASS(TdxDBTreeListCurrencyColumn, TdxDBTreeListColumn);
QEL_REGISTER_CLASS(TdxDBTreeListHyperLinkColumn, TdxDBTreeListColumn);
QEL_REGISTER_CLASS(TdxDBTreeListMemoColumn, TdxDBTreeListColumn);
QEL_REGISTER_CLASS(TdxDBTreeListBlobColumn, TdxDBTreeListDropDownColumn);
QEL_REGISTER_CLASS(TdxDBTreeListGraphicColumn, TdxDBTreeListColumn);
QEL_REGISTER_CLASS(TdxDBTreeListWrapperColumn, TdxDBTreeListColumn);

namespace {

std::string CutText(const std::string& Text, int MaxLength)
{
    if (MaxLength < 0)
        return Text;
    return Utf8Prefix(Text, static_cast<std::size_t>(MaxLength));
}

void FieldLimits(const TField* Field, double& Min, double& Max)
{
    Min = Max = 0;
    if (auto* i = dynamic_cast<const TIntegerField*>(Field)) {
        Min = i->MinValue();
        Max = i->MaxValue();
    } else if (auto* f = dynamic_cast<const TFloatField*>(Field)) {
        const double scale = std::pow(10.0, std::max(0, f->Precision()));
        Min = std::round(f->MinValue() * scale) / scale;
        Max = std::round(f->MaxValue() * scale) / scale;
    } else if (auto* b = dynamic_cast<const TBCDField*>(Field)) {
        Min = static_cast<double>(b->MinValue().Value) / 10000.0;
        Max = static_cast<double>(b->MaxValue().Value) / 10000.0;
    }
}

// A column's own limit where one is assigned, the field's otherwise.
double AssignedOrFieldLimit(bool Assigned, double Value, const TField* Field, bool Upper)
{
    if (Assigned)
        return Value;
    double mn, mx;
    FieldLimits(Field, mn, mx);
    return Upper ? mx : mn;
}

} // namespace

// ----- drop-down base ---------------------------------------------------------------------------------

bool TdxDBTreeListDropDownColumn::IsButtonShown(bool ControlShowsButtons, bool RowFocused) const
{
    return m_showButtonStyle != sbNone && ControlShowsButtons && (m_showButtonStyle == sbAlways || RowFocused);
}

void TdxDBTreeListDropDownColumn::Assign(TPersistent* Source)
{
    TdxDBTreeListColumn::Assign(Source);
    if (auto* s = dynamic_cast<TdxDBTreeListDropDownColumn*>(Source)) {
        m_dropDownRows = s->m_dropDownRows;
        m_dropDownWidth = s->m_dropDownWidth;
        m_popupAlignment = s->m_popupAlignment;
        m_popupBorder = s->m_popupBorder;
        m_showButtonStyle = s->m_showButtonStyle;
        SetButtonGlyph(s->m_buttonGlyph.get());
    }
}

void TdxDBTreeListDropDownColumn::RestoreDefaults()
{
    TdxDBTreeListColumn::RestoreDefaults();
    m_dropDownRows = 7;
    m_dropDownWidth = 0;
    m_popupAlignment = taLeftJustify;
    m_popupBorder = pbDefault;
    m_showButtonStyle = sbDefault;
}

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListDropDownColumn::NewInplaceEditor(TComponent* Owner) const
{
    return std::make_unique<TdxInplaceDropDownEdit>(Owner);
}

void TdxDBTreeListDropDownColumn::InitEditor(TdxInplaceEdit* Editor)
{
    if (auto* e = dynamic_cast<TdxInplaceDropDownEdit*>(Editor)) {
        e->SetDropDownRows(m_dropDownRows);
        e->SetDropDownWidth(m_dropDownWidth);
        e->SetPopupAlignment(m_popupAlignment);
        e->SetPopupBorder(m_popupBorder);
        if (HasButtonGlyph())
            e->SetButtonGlyph(m_buttonGlyph.get());
    }
}

TBitmap* TdxDBTreeListDropDownColumn::ButtonGlyph()
{
    if (!m_buttonGlyph)
        m_buttonGlyph = std::make_unique<TBitmap>();
    return m_buttonGlyph.get();
}

void TdxDBTreeListDropDownColumn::SetButtonGlyph(const TBitmap* Value)
{
    if (!Value)
        m_buttonGlyph.reset();
    else
        ButtonGlyph()->Assign(const_cast<TBitmap*>(Value));
    Changed();
}

// ----- date -----------------------------------------------------------------------------------------------

void TdxDBTreeListDateColumn::Assign(TPersistent* Source)
{
    TdxDBTreeListDropDownColumn::Assign(Source);
    if (auto* s = dynamic_cast<TdxDBTreeListDateColumn*>(Source)) {
        m_dateValidation = s->m_dateValidation;
        m_saveTime = s->m_saveTime;
        m_useEditMask = s->m_useEditMask;
    }
}

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListDateColumn::NewInplaceEditor(TComponent* Owner) const
{
    return std::make_unique<TdxInplaceDateEdit>(Owner);
}

void TdxDBTreeListDateColumn::InitEditor(TdxInplaceEdit* Editor)
{
    TdxDBTreeListDropDownColumn::InitEditor(Editor);
    if (auto* e = dynamic_cast<TdxInplaceDateEdit*>(Editor)) {
        e->SetDateValidation(m_dateValidation);
        e->SetSaveTime(m_saveTime);
        e->SetUseEditMask(m_useEditMask);
    }
}

Variant TdxDBTreeListDateColumn::FieldToEditor(TdxInplaceEdit* Editor)
{
    auto* e = dynamic_cast<TdxInplaceDateEdit*>(Editor);
    if (!e)
        return TdxDBTreeListDropDownColumn::FieldToEditor(Editor);
    e->SetDate(Field()->IsNull() ? NullEditDate : Field()->AsDateTime());
    return Variant::FromDate(e->Date());
}

void TdxDBTreeListDateColumn::EditorToField(TdxInplaceEdit* Editor)
{
    auto* e = dynamic_cast<TdxInplaceDateEdit*>(Editor);
    if (!e) {
        TdxDBTreeListDropDownColumn::EditorToField(Editor);
        return;
    }
    if (e->Date() == NullEditDate)
        Field()->Clear();
    else
        Field()->SetAsDateTime(e->Date());
}

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListDateColumn::NewFilterEditor(TComponent* Owner) const
{
    return std::make_unique<TdxInplaceDateEdit>(Owner);
}

void TdxDBTreeListDateColumn::GetFilterEditText(TdxInplaceEdit* Editor, Variant& Value, std::string& Text)
{
    auto* e = dynamic_cast<TdxInplaceDateEdit*>(Editor);
    if (!e) {
        TdxDBTreeListDropDownColumn::GetFilterEditText(Editor, Value, Text);
        return;
    }
    Text = e->Text();
    Value = e->Date() == NullEditDate ? Variant::Null() : Variant::FromDate(e->Date());
}

void TdxDBTreeListDateColumn::SetFilterEditValue(TdxInplaceEdit* Editor, const Variant& Value)
{
    if (auto* e = dynamic_cast<TdxInplaceDateEdit*>(Editor))
        e->SetDate(Value.IsEmptyOrNull() ? NullEditDate : Value.AsDate());
    else
        TdxDBTreeListDropDownColumn::SetFilterEditValue(Editor, Value);
}

bool TdxDBTreeListDateColumn::SameFieldValue(const Variant& Value) const
{
    if (!Field() || Value.IsEmpty())
        return false;
    if (Field()->IsNull())
        return !Value.IsNull() && !Value.IsString() && Value.AsDouble() == NullEditDate;
    if (Value.IsNull() || Value.IsString())
        return TdxDBTreeListDropDownColumn::SameFieldValue(Value);
    return Field()->AsDateTime() == Value.AsDouble();
}

// ----- button, pick, MRU, calc -------------------------------------------------------------------------

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListButtonColumn::NewInplaceEditor(TComponent* Owner) const
{
    return std::make_unique<TdxInplaceButtonEdit>(Owner);
}

TdxColumnEditButtons::TdxColumnEditButtons(TPersistent* Owner) : TdxEditButtons(Owner)
{
    RestoreDefaults();
}

void TdxColumnEditButtons::RestoreDefaults()
{
    BeginUpdate();
    Finally endUpdate([this] { EndUpdate(); });
    Clear();
    TdxEditButton* button = Add();
    button->SetKind(bkEllipsis);
    button->SetDefault(true);
}

TdxDBTreeListButtonColumn::TdxDBTreeListButtonColumn(TComponent* AOwner)
    : TdxDBTreeListDropDownColumn(AOwner), m_buttons(std::make_unique<TdxColumnEditButtons>(this))
{
    m_buttonsLink.Connect(m_buttons->Changes(), [this](TObject*) { Changed(); });
}

TdxDBTreeListButtonColumn::~TdxDBTreeListButtonColumn()
{
    m_buttonsLink.Disconnect();
}

void TdxDBTreeListButtonColumn::SetEditButtonStyle(TdxEditButtonStyle Value)
{
    if (Value == m_editButtonStyle)
        return;
    m_editButtonStyle = Value;
    Changed();
}

TBitmap* TdxDBTreeListButtonColumn::Glyph()
{
    if (!m_glyph)
        m_glyph = std::make_unique<TBitmap>();
    return m_glyph.get();
}

void TdxDBTreeListButtonColumn::SetGlyph(const TBitmap* Value)
{
    if (!Value)
        m_glyph.reset();
    else
        Glyph()->Assign(const_cast<TBitmap*>(Value));
    Changed();
}

void TdxDBTreeListButtonColumn::Assign(TPersistent* Source)
{
    TdxDBTreeListDropDownColumn::Assign(Source);
    if (auto* s = dynamic_cast<TdxDBTreeListButtonColumn*>(Source)) {
        m_buttons->Assign(s->m_buttons.get());
        m_buttonOnly = s->m_buttonOnly;
        m_editButtonStyle = s->m_editButtonStyle;
        SetGlyph(s->m_glyph.get());
        m_clickKey = s->m_clickKey;
        m_hideEditCursor = s->m_hideEditCursor;
    }
}

void TdxDBTreeListButtonColumn::InitEditor(TdxInplaceEdit* Editor)
{
    TdxDBTreeListDropDownColumn::InitEditor(Editor);
    if (auto* e = dynamic_cast<TdxInplaceButtonEdit*>(Editor)) {
        e->SetButtons(m_buttons.get());
        // The glyph style draws the column's glyph on the default button.
        if (m_editButtonStyle == ebsGlyph)
            if (TdxEditButton* button = e->Buttons()->DefaultButton()) {
                button->SetKind(bkGlyph);
                if (HasGlyph())
                    button->SetGlyph(m_glyph.get());
            }
        e->SetButtonOnly(m_buttonOnly);
        e->SetHideEditCursor(m_hideEditCursor);
        e->SetClickKey(m_clickKey);
        e->OnButtonClick = [this](TObject* Sender, int AbsoluteIndex) {
            if (OnButtonClick)
                OnButtonClick(Sender, AbsoluteIndex);
        };
    }
}

void TdxDBTreeListPickColumn::Assign(TPersistent* Source)
{
    TdxDBTreeListDropDownColumn::Assign(Source);
    if (auto* s = dynamic_cast<TdxDBTreeListPickColumn*>(Source)) {
        m_items = s->m_items;
        m_itemsSorted = s->m_itemsSorted;
        m_dropDownListStyle = s->m_dropDownListStyle;
        m_immediateDropDown = s->m_immediateDropDown;
        m_canDeleteText = s->m_canDeleteText;
        m_revertable = s->m_revertable;
    }
}

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListPickColumn::NewInplaceEditor(TComponent* Owner) const
{
    return std::make_unique<TdxInplacePickEdit>(Owner);
}

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListPickColumn::NewFilterEditor(TComponent* Owner) const
{
    return std::make_unique<TdxInplacePickEdit>(Owner);
}

void TdxDBTreeListPickColumn::InitEditor(TdxInplaceEdit* Editor)
{
    TdxDBTreeListDropDownColumn::InitEditor(Editor);
    if (auto* e = dynamic_cast<TdxInplacePickEdit*>(Editor)) {
        e->Items()->Clear();
        for (const std::string& s : m_items)
            e->Items()->Add(s);
        e->SetItemsSorted(m_itemsSorted);
        e->SetDropDownListStyle(m_dropDownListStyle);
        e->SetImmediateDropDown(m_immediateDropDown);
        e->SetCanDeleteText(m_canDeleteText);
        e->SetRevertable(m_revertable);
    }
}

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListMRUColumn::NewInplaceEditor(TComponent* Owner) const
{
    return std::make_unique<TdxInplaceMRUEdit>(Owner);
}

void TdxDBTreeListMRUColumn::InitEditor(TdxInplaceEdit* Editor)
{
    TdxDBTreeListPickColumn::InitEditor(Editor);
    if (auto* e = dynamic_cast<TdxInplaceMRUEdit*>(Editor)) {
        e->SetMaxItemCount(m_maxItemCount);
        e->SetShowEllipsis(m_showEllipsis);
    }
}

void TdxDBTreeListMRUColumn::EditorToField(TdxInplaceEdit* Editor)
{
    TdxDBTreeListPickColumn::EditorToField(Editor);
    if (auto* e = dynamic_cast<TdxInplaceMRUEdit*>(Editor)) {
        m_items.clear();
        for (int i = 0; i < e->Items()->Count(); ++i)
            m_items.push_back(e->Items()->Get(i));
    }
}

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListCalcColumn::NewInplaceEditor(TComponent* Owner) const
{
    return std::make_unique<TdxInplaceCalcEdit>(Owner);
}

void TdxDBTreeListCalcColumn::InitEditor(TdxInplaceEdit* Editor)
{
    TdxDBTreeListDropDownColumn::InitEditor(Editor);
    if (auto* e = dynamic_cast<TdxInplaceCalcEdit*>(Editor)) {
        e->SetBeepOnError(m_beepOnError);
        e->SetPrecision(m_precision);
        e->SetQuickClose(m_quickClose);
        e->SetShowButtonFrame(m_showButtonFrame);
    }
}

// ----- spin, time, currency ------------------------------------------------------------------------------

double TdxDBTreeListSpinColumn::MinValue() const
{
    return AssignedOrFieldLimit(m_minAssigned, m_minValue, Field(), false);
}

double TdxDBTreeListSpinColumn::MaxValue() const
{
    return AssignedOrFieldLimit(m_maxAssigned, m_maxValue, Field(), true);
}

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListSpinColumn::NewInplaceEditor(TComponent* Owner) const
{
    return std::make_unique<TdxInplaceSpinEdit>(Owner);
}

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListSpinColumn::NewFilterEditor(TComponent* Owner) const
{
    return std::make_unique<TdxInplaceSpinEdit>(Owner);
}

void TdxDBTreeListSpinColumn::InitEditor(TdxInplaceEdit* Editor)
{
    if (auto* e = dynamic_cast<TdxInplaceSpinEdit*>(Editor)) {
        e->SetEditorEnabled(m_editorEnabled);
        e->SetIncrement(m_increment);
        e->SetMinValue(MinValue());
        e->SetMaxValue(MaxValue());
        e->SetUseCtrlIncrement(m_useCtrlIncrement);
        const TFieldType t = Field() ? Field()->DataType() : ftUnknown;
        e->SetValueType((t == ftFloat || t == ftCurrency || t == ftBCD) ? vtFloat : vtInt);
    }
}

void TdxDBTreeListSpinColumn::GetFilterEditText(TdxInplaceEdit* Editor, Variant& Value, std::string& Text)
{
    if (auto* e = dynamic_cast<TdxInplaceSpinEdit*>(Editor)) {
        Text = e->Text();
        Value = Variant(e->Value());
        return;
    }
    TdxDBTreeListColumn::GetFilterEditText(Editor, Value, Text);
}

void TdxDBTreeListSpinColumn::SetFilterEditValue(TdxInplaceEdit* Editor, const Variant& Value)
{
    if (auto* e = dynamic_cast<TdxInplaceSpinEdit*>(Editor))
        e->SetValue(Value.IsEmptyOrNull() ? 0.0 : Value.AsDouble());
    else
        TdxDBTreeListColumn::SetFilterEditValue(Editor, Value);
}

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListTimeColumn::NewInplaceEditor(TComponent* Owner) const
{
    return std::make_unique<TdxInplaceTimeEdit>(Owner);
}

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListTimeColumn::NewFilterEditor(TComponent* Owner) const
{
    return std::make_unique<TdxInplaceTimeEdit>(Owner);
}

void TdxDBTreeListTimeColumn::InitEditor(TdxInplaceEdit* Editor)
{
    if (auto* e = dynamic_cast<TdxInplaceTimeEdit*>(Editor)) {
        e->SetTimeEditFormat(m_timeEditFormat);
        e->SetUseCtrlIncrement(m_useCtrlIncrement);
    }
}

Variant TdxDBTreeListTimeColumn::FieldToEditor(TdxInplaceEdit* Editor)
{
    auto* e = dynamic_cast<TdxInplaceTimeEdit*>(Editor);
    if (!e)
        return TdxDBTreeListColumn::FieldToEditor(Editor);
    e->SetTime(Field()->IsNull() ? 0.0 : Field()->AsDateTime());
    return Variant::FromDate(e->Time());
}

void TdxDBTreeListTimeColumn::EditorToField(TdxInplaceEdit* Editor)
{
    if (auto* e = dynamic_cast<TdxInplaceTimeEdit*>(Editor))
        Field()->SetAsDateTime(e->Time());
    else
        TdxDBTreeListColumn::EditorToField(Editor);
}

void TdxDBTreeListTimeColumn::GetFilterEditText(TdxInplaceEdit* Editor, Variant& Value, std::string& Text)
{
    if (auto* e = dynamic_cast<TdxInplaceTimeEdit*>(Editor)) {
        Text = e->Text();
        Value = Variant::FromDate(e->Time());
        return;
    }
    TdxDBTreeListColumn::GetFilterEditText(Editor, Value, Text);
}

double TdxDBTreeListCurrencyColumn::MinValue() const
{
    return AssignedOrFieldLimit(m_minAssigned, m_minValue, Field(), false);
}

double TdxDBTreeListCurrencyColumn::MaxValue() const
{
    return AssignedOrFieldLimit(m_maxAssigned, m_maxValue, Field(), true);
}

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListCurrencyColumn::NewInplaceEditor(TComponent* Owner) const
{
    return std::make_unique<TdxInplaceCurrencyEdit>(Owner);
}

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListCurrencyColumn::NewFilterEditor(TComponent* Owner) const
{
    return std::make_unique<TdxInplaceCurrencyEdit>(Owner);
}

void TdxDBTreeListCurrencyColumn::InitEditor(TdxInplaceEdit* Editor)
{
    if (auto* e = dynamic_cast<TdxInplaceCurrencyEdit*>(Editor)) {
        e->SetDecimalPlaces(m_decimalPlaces);
        e->SetDisplayFormat(m_displayFormat);
        e->SetMinValue(MinValue());
        e->SetMaxValue(MaxValue());
        e->SetNullable(m_nullable);
        e->SetNullString(m_nullString);
        e->SetUseThousandSeparator(m_useThousandSeparator);
    }
}

Variant TdxDBTreeListCurrencyColumn::FieldToEditor(TdxInplaceEdit* Editor)
{
    auto* e = dynamic_cast<TdxInplaceCurrencyEdit*>(Editor);
    if (!e)
        return TdxDBTreeListColumn::FieldToEditor(Editor);
    if (Field()->IsNull())
        e->SetEditingValue(Variant::Null());
    else
        e->SetValue(Field()->AsFloat());
    return e->GetEditingValue();
}

void TdxDBTreeListCurrencyColumn::EditorToField(TdxInplaceEdit* Editor)
{
    if (auto* e = dynamic_cast<TdxInplaceCurrencyEdit*>(Editor))
        Field()->SetValue(e->GetEditingValue());
    else
        TdxDBTreeListColumn::EditorToField(Editor);
}

void TdxDBTreeListCurrencyColumn::GetFilterEditText(TdxInplaceEdit* Editor, Variant& Value, std::string& Text)
{
    if (auto* e = dynamic_cast<TdxInplaceCurrencyEdit*>(Editor)) {
        Text = e->Text();
        Value = e->GetEditingValue();
        return;
    }
    TdxDBTreeListColumn::GetFilterEditText(Editor, Value, Text);
}

void TdxDBTreeListCurrencyColumn::SetFilterEditValue(TdxInplaceEdit* Editor, const Variant& Value)
{
    if (auto* e = dynamic_cast<TdxInplaceCurrencyEdit*>(Editor))
        e->SetValue(Value.IsEmptyOrNull() ? 0.0 : Value.AsDouble());
    else
        TdxDBTreeListColumn::SetFilterEditValue(Editor, Value);
}

// ----- hyperlink ---------------------------------------------------------------------------------------

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListHyperLinkColumn::NewInplaceEditor(TComponent* Owner) const
{
    return std::make_unique<TdxInplaceHyperLinkEdit>(Owner);
}

void TdxDBTreeListHyperLinkColumn::InitEditor(TdxInplaceEdit* Editor)
{
    if (auto* e = dynamic_cast<TdxInplaceHyperLinkEdit*>(Editor)) {
        e->SetEditBackgroundColor(m_editBackgroundColor);
        e->SetEditFontColor(m_editFontColor);
        e->SetSingleClick(m_singleClick);
        e->SetStartKey(m_startKey);
    }
}

bool TdxDBTreeListHyperLinkColumn::GetValueText(Variant& Value, bool HTML) const
{
    if (!HTML)
        return false;
    const std::string t = Value.IsEmptyOrNull() ? std::string() : Value.AsString();
    const std::string text = exportdetail::HtmlEscape(t);
    Value = Variant("<a href=\"" + text + "\">" + text + "</a>");
    return true;
}

void TdxDBTreeListHyperLinkColumn::PrepareViewData(TdxTreeListCellViewData& ViewData) const
{
    TdxDBTreeListColumn::PrepareViewData(ViewData);
    if (m_singleClick && !ViewData.Selected)
        ViewData.TextColor = m_editFontColor;
}

// ----- memo, blob, graphic --------------------------------------------------------------------------------

std::string TdxDBTreeListMemoColumn::GetFieldDisplayText() const
{
    return CutText(TdxDBTreeListColumn::GetFieldDisplayText(), m_maxDisplayLength);
}

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListMemoColumn::NewInplaceEditor(TComponent* Owner) const
{
    return std::make_unique<TdxInplaceMemoEdit>(Owner);
}

void TdxDBTreeListMemoColumn::InitEditor(TdxInplaceEdit* Editor)
{
    if (auto* e = dynamic_cast<TdxInplaceMemoEdit*>(Editor)) {
        e->SetWordWrap(m_wordWrap);
        e->SetWantReturns(m_wantReturns);
        e->SetWantTabs(m_wantTabs);
        e->SetHideScrollBars(m_hideScrollBars);
        e->SetSelectionBar(m_selectionBar);
    }
}

Variant TdxDBTreeListMemoColumn::FieldToEditor(TdxInplaceEdit* Editor)
{
    Editor->SetText(Field()->AsString());
    return Variant(Editor->Text());
}

void TdxDBTreeListMemoColumn::EditorToField(TdxInplaceEdit* Editor)
{
    Field()->SetAsString(Editor->Text());
}

TdxBlobEditKind GetBlobKindOfField(TdxBlobKind BlobKind, const TField* Field)
{
    switch (BlobKind) {
    case bkBlob: return bekBlob;
    case bkMemo: return bekMemo;
    case bkPict: return bekPict;
    case bkOle: return bekOle;
    case bkAuto: break;
    }
    if (!Field)
        return bekBlob;
    switch (Field->DataType()) {
    case ftMemo: case ftFmtMemo: return bekMemo;
    case ftGraphic: return bekPict;
    case ftParadoxOle: case ftDBaseOle: return bekOle;
    default: return bekBlob;
    }
}

void AssignPicture(const TdxPictureValue& Picture, TField* Field)
{
    if (!Field)
        return;
    if (!Picture) {
        Field->Clear();
        return;
    }
    if (!Field->IsBlob())
        throw EInvaliddxTreeListOperation("Field '" + Field->FieldName() + "' cannot hold a picture");
    TMemoryStream stream;
    Picture->SaveToStream(stream);
    Field->SetAsString(stream.Bytes());
}

void AssignPictureFromVariant(const Variant& Value, TField* Field)
{
    if (!Field)
        return;
    if (Value.IsEmptyOrNull()) {
        Field->Clear();
        return;
    }
    if (!Value.IsString())
        throw EInvaliddxTreeListOperation("Field '" + Field->FieldName() + "' cannot take a " +
                                          VarTypeAsText(Value.VarType()) + " value as a picture");
    Field->SetAsString(Value.AsString());
}

TdxDBTreeListBlobColumn::TdxDBTreeListBlobColumn(TComponent* AOwner) : TdxDBTreeListDropDownColumn(AOwner)
{
    SetMinWidth(20);
}

int TdxDBTreeListBlobColumn::GetPopupHeight() const
{
    int h = m_popupHeight;
    if (OnGetPopupHeight)
        OnGetPopupHeight(const_cast<TdxDBTreeListBlobColumn*>(this), h);
    return h;
}

std::string TdxDBTreeListBlobColumn::GetFieldDisplayText() const
{
    if (!Field())
        return {};
    if (m_blobPaintStyle == bpsText)
        return CutText(Field()->DisplayText(), m_maxDisplayLength);
    if (m_blobPaintStyle == bpsIcon && !Field()->IsNull())
        return {};   // an icon is drawn instead
    return TdxDBTreeListDropDownColumn::GetFieldDisplayText();
}

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListBlobColumn::NewInplaceEditor(TComponent* Owner) const
{
    return std::make_unique<TdxInplaceBlobEdit>(Owner);
}

void TdxDBTreeListBlobColumn::InitEditor(TdxInplaceEdit* Editor)
{
    TdxDBTreeListDropDownColumn::InitEditor(Editor);
    if (auto* e = dynamic_cast<TdxInplaceBlobEdit*>(Editor)) {
        e->SetBlobKind(GetBlobKindOfField(m_blobKind, Field()));
        e->SetAlwaysSaveText(m_alwaysSaveText);
        e->SetPopupWidth(m_popupWidth);
        e->SetPopupHeight(GetPopupHeight());
    }
}

void TdxDBTreeListBlobColumn::EditorToField(TdxInplaceEdit* Editor)
{
    AssignPictureFromVariant(Editor->GetEditingValue(), Field());
}

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListGraphicColumn::NewInplaceEditor(TComponent* Owner) const
{
    return std::make_unique<TdxInplaceGraphicEdit>(Owner);
}

void TdxDBTreeListGraphicColumn::InitEditor(TdxInplaceEdit* Editor)
{
    if (auto* e = dynamic_cast<TdxInplaceGraphicEdit*>(Editor)) {
        e->SetCenter(m_center);
        e->SetStretch(m_stretch);
        e->SetShadowSelection(m_shadowSelection);
    }
}

Variant TdxDBTreeListGraphicColumn::FieldToEditor(TdxInplaceEdit* Editor)
{
    Editor->SetEditingValue(Field()->IsNull() ? Variant::Null() : Variant(Field()->AsString()));
    return Editor->GetEditingValue();
}

void TdxDBTreeListGraphicColumn::EditorToField(TdxInplaceEdit* Editor)
{
    AssignPictureFromVariant(Editor->GetEditingValue(), Field());
}

// ----- wrapper --------------------------------------------------------------------------------------------

TdxDBTreeListColumn* TdxDBTreeListWrapperColumn::GetReferenceColumn(TdxTreeListNode* Node) const
{
    if (!OnGetReferenceColumn)
        return nullptr;
    TCustomdxDBTreeListControl* c = GetDBTreeList();
    if (!Node && c)
        Node = c->GetFocusedNode();
    TdxDBTreeListColumn* column = nullptr;
    // The handler may free the control: then nothing of it is touched again.
    TFreeWatch watch{c};
    OnGetReferenceColumn(const_cast<TdxDBTreeListWrapperColumn*>(this), Node, column);
    if (c && watch.Freed(c))
        throw EdxControlFreed(c);
    // Never itself, and never another wrapper: a chain could lead back here.
    if (column == this || dynamic_cast<TdxDBTreeListWrapperColumn*>(column))
        return nullptr;
    return column;
}

TdxTreeListEditorFactory TdxDBTreeListWrapperColumn::GetEditorClass() const
{
    if (TdxDBTreeListColumn* r = GetReferenceColumn(nullptr))
        return r->GetEditorClass();
    return TdxDBTreeListColumn::GetEditorClass();
}

void TdxDBTreeListWrapperColumn::InitEditorValue(TdxTreeListInplaceEditor* Editor, const Variant& Value)
{
    if (TdxDBTreeListColumn* r = GetReferenceColumn(nullptr))
        r->InitEditorValue(Editor, Value);
    else
        TdxDBTreeListColumn::InitEditorValue(Editor, Value);
}

Variant TdxDBTreeListWrapperColumn::AssignEditorValue(TdxTreeListInplaceEditor* Editor)
{
    if (TdxDBTreeListColumn* r = GetReferenceColumn(nullptr)) {
        r->AssignEditorValue(Editor);
        return Variant(r->GetFieldDisplayText());
    }
    return TdxDBTreeListColumn::AssignEditorValue(Editor);
}

void TdxDBTreeListWrapperColumn::PrepareViewData(TdxTreeListCellViewData& ViewData) const
{
    if (TdxDBTreeListColumn* r = GetReferenceColumn(const_cast<TdxTreeListNode*>(ViewData.Node)))
        r->PrepareViewData(ViewData);
    else
        TdxDBTreeListColumn::PrepareViewData(ViewData);
}

void TdxDBTreeListWrapperColumn::DrawCell(TCanvas& Canvas, const TdxTreeListCellViewData& ViewData) const
{
    if (TdxDBTreeListColumn* r = GetReferenceColumn(const_cast<TdxTreeListNode*>(ViewData.Node)))
        r->DrawCell(Canvas, ViewData);
    else
        TdxDBTreeListColumn::DrawCell(Canvas, ViewData);
}

std::string TdxDBTreeListWrapperColumn::GetFieldDisplayText() const
{
    if (TdxDBTreeListColumn* r = GetReferenceColumn(nullptr))
        return r->GetFieldDisplayText();
    return TdxDBTreeListColumn::GetFieldDisplayText();
}

bool TdxDBTreeListWrapperColumn::SameFieldValue(const Variant& Value) const
{
    if (TdxDBTreeListColumn* r = GetReferenceColumn(nullptr))
        return r->SameFieldValue(Value);
    return TdxDBTreeListColumn::SameFieldValue(Value);
}

} // namespace qel
