#include "dbgrid/DBTreeListCheckColumn.h"

#include "dbgrid/DBTreeListControl.h"
#include "editors/CheckEdit.h"
#include "editors/ImageEdit.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Locale.h"
#include "platform/core/Strings.h"
#include "platform/data/Field.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"

namespace qel {

QEL_REGISTER_CLASS(TdxDBTreeListCheckColumn, TdxDBTreeListColumn);
QEL_REGISTER_CLASS(TdxDBTreeListImageColumn, TdxDBTreeListDropDownColumn);

namespace {

// Equality and the two blank tests.
constexpr TdxFilterOperators EqualityOperators =
    (1u << fopEqual) | (1u << fopNotEqual) | (1u << fopBlanks) | (1u << fopNonBlanks);

void FillStrings(TStrings* Target, const TStrings* Source)
{
    Target->Clear();
    for (int i = 0; i < Source->Count(); ++i)
        Target->Add(Source->Get(i));
}

} // namespace

// ----- check column --------------------------------------------------------------------------------

TdxDBTreeListCheckColumn::TdxDBTreeListCheckColumn(TComponent* AOwner) : TdxDBTreeListColumn(AOwner)
{
    SetMinWidth(16);
    SetAlignment(taCenter);
}

TdxDBTreeListCheckColumn::~TdxDBTreeListCheckColumn() = default;

void TdxDBTreeListCheckColumn::SetBorder3D(bool Value)
{
    if (Value == m_border3D)
        return;
    m_border3D = Value;
    Changed();
}

TBitmap* TdxDBTreeListCheckColumn::Glyph()
{
    if (!m_glyph)
        m_glyph = std::make_unique<TBitmap>();
    return m_glyph.get();
}

void TdxDBTreeListCheckColumn::SetGlyph(const TBitmap* Value)
{
    if (!Value)
        m_glyph.reset();
    else
        Glyph()->Assign(const_cast<TBitmap*>(Value));
    Changed();
}

void TdxDBTreeListCheckColumn::SetGlyphCount(int Value)
{
    if (Value == m_glyphCount)
        return;
    m_glyphCount = Value;
    if (m_glyph)
        Changed();
}

void TdxDBTreeListCheckColumn::SetShowNullFieldStyle(TdxShowNullFieldStyle Value)
{
    if (Value == m_showNullFieldStyle)
        return;
    m_showNullFieldStyle = Value;
    Changed();
}

void TdxDBTreeListCheckColumn::SetValueChecked(const std::string& Value)
{
    if (Value == m_valueChecked)
        return;
    m_valueChecked = Value;
    Changed();
}

void TdxDBTreeListCheckColumn::SetValueGrayed(const std::string& Value)
{
    if (Value == m_valueGrayed)
        return;
    m_valueGrayed = Value;
    Changed();
}

void TdxDBTreeListCheckColumn::SetValueUnchecked(const std::string& Value)
{
    if (Value == m_valueUnchecked)
        return;
    m_valueUnchecked = Value;
    Changed();
}

TCheckBoxState TdxDBTreeListCheckColumn::GetCheckState(const std::string& Text) const
{
    if (AnsiCompareText(Text, m_valueChecked) == 0)
        return cbChecked;
    if (AnsiCompareText(Text, m_valueUnchecked) == 0)
        return cbUnchecked;
    return cbGrayed;
}

const std::string& TdxDBTreeListCheckColumn::GetCheckText(TCheckBoxState State) const
{
    switch (State) {
    case cbUnchecked: return m_valueUnchecked;
    case cbChecked: return m_valueChecked;
    default: return m_valueGrayed;
    }
}

void TdxDBTreeListCheckColumn::Assign(TPersistent* Source)
{
    TdxDBTreeListColumn::Assign(Source);
    if (auto* s = dynamic_cast<TdxDBTreeListCheckColumn*>(Source)) {
        m_allowGrayed = s->m_allowGrayed;
        m_border3D = s->m_border3D;
        if (s->m_glyph)
            Glyph()->Assign(s->m_glyph.get());
        m_glyphCount = s->m_glyphCount;
        m_showNullFieldStyle = s->m_showNullFieldStyle;
        m_valueChecked = s->m_valueChecked;
        m_valueGrayed = s->m_valueGrayed;
        m_valueUnchecked = s->m_valueUnchecked;
        Changed();
    }
}

void TdxDBTreeListCheckColumn::RestoreDefaults()
{
    TdxDBTreeListColumn::RestoreDefaults();
    SetMinWidth(16);
    m_allowGrayed = false;
    m_border3D = false;
    m_glyph.reset();
    m_glyphCount = 6;
    m_showNullFieldStyle = nsUnchecked;
    m_valueChecked = "True";
    m_valueGrayed.clear();
    m_valueUnchecked = "False";
    Changed();
}

void TdxDBTreeListCheckColumn::PrepareViewData(TdxTreeListCellViewData& ViewData) const
{
    TdxDBTreeListColumn::PrepareViewData(ViewData);
    ViewData.Value = static_cast<int>(GetCheckState(ViewData.Text));
    ViewData.Text.clear();
    ViewData.Alignment = taCenter;
}

void TdxDBTreeListCheckColumn::DrawCell(TCanvas& Canvas, const TdxTreeListCellViewData& ViewData) const
{
    TdxCheckEditViewData v;
    v.Value = ViewData.Value;
    v.Alignment = ViewData.Alignment;
    v.Color = ViewData.Color;
    v.TextColor = ViewData.TextColor;
    v.Selected = ViewData.Selected;
    v.ButtonStyle = m_border3D ? bts3D : btsSimple;
    v.Glyph = m_glyph.get();
    v.GlyphCount = m_glyphCount;
    v.ShowNullFieldStyle = m_showNullFieldStyle;
    v.Draw(Canvas, ViewData.Bounds);
}

bool TdxDBTreeListCheckColumn::SameFieldValue(const Variant& Value) const
{
    const TVarType t = Value.VarType();
    if (Field() && (t == varInteger || t == varSmallint || t == varByte || t == varInt64))
        return Value.AsInteger() == static_cast<int>(GetCheckState(Field()->EditText()));
    return TdxDBTreeListColumn::SameFieldValue(Value);
}

TdxFilterOperators TdxDBTreeListCheckColumn::GetFilterOperators() const
{
    return EqualityOperators;
}

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListCheckColumn::NewInplaceEditor(TComponent* Owner) const
{
    return std::make_unique<TdxInplaceCheckEdit>(Owner);
}

void TdxDBTreeListCheckColumn::InitEditor(TdxInplaceEdit* Editor)
{
    auto* e = dynamic_cast<TdxInplaceCheckEdit*>(Editor);
    if (!e)
        return;
    e->SetAlignment(taCenter);
    e->SetAllowGrayed(m_allowGrayed);
    e->Style()->SetButtonStyle(m_border3D ? bts3D : btsSimple);
    if (m_glyph)
        e->SetGlyph(m_glyph.get());
    e->SetGlyphCount(m_glyphCount);
    e->SetShowNullFieldStyle(m_showNullFieldStyle);
    e->OnToggleClick = [this, e](TObject*) { DoToggleClick(e->State()); };
}

Variant TdxDBTreeListCheckColumn::FieldToEditor(TdxInplaceEdit* Editor)
{
    auto* e = dynamic_cast<TdxInplaceCheckEdit*>(Editor);
    if (!e)
        return TdxDBTreeListColumn::FieldToEditor(Editor);
    e->SetState(GetCheckState(Field()->EditText()));
    return static_cast<int>(e->State());
}

void TdxDBTreeListCheckColumn::EditorToField(TdxInplaceEdit* Editor)
{
    auto* e = dynamic_cast<TdxInplaceCheckEdit*>(Editor);
    if (!e) {
        TdxDBTreeListColumn::EditorToField(Editor);
        return;
    }
    Field()->SetText(GetCheckText(e->State()));
}

void TdxDBTreeListCheckColumn::DoToggleClick(TCheckBoxState State)
{
    TCustomdxDBTreeListControl* c = GetDBTreeList();
    if (c && c->IsDataSetBusy())
        return;
    if (OnToggleClick)
        OnToggleClick(this, GetCheckText(State), State);
}

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListCheckColumn::NewFilterEditor(TComponent* Owner) const
{
    return std::make_unique<TCustomdxFilterImageEdit>(Owner);
}

void TdxDBTreeListCheckColumn::InitFilterEditor(TdxInplaceEdit* Editor)
{
    TdxDBTreeListColumn::InitFilterEditor(Editor);
    if (auto* e = dynamic_cast<TCustomdxFilterImageEdit*>(Editor)) {
        for (TStrings* list : {e->Values(), e->Descriptions()}) {
            list->Clear();
            list->Add(m_valueGrayed);
            list->Add(m_valueUnchecked);
            list->Add(m_valueChecked);
        }
        e->SetShowDescription(true);
    }
}

void TdxDBTreeListCheckColumn::GetFilterEditText(TdxInplaceEdit* Editor, Variant& Value, std::string& Text)
{
    TdxDBTreeListColumn::GetFilterEditText(Editor, Value, Text);
    if (Value.IsString()) {
        const std::string s = Value.AsString();
        if (Field() && Field()->DataType() == ftBoolean) {
            if (AnsiCompareText(s, m_valueChecked) == 0)
                Value = true;
            else if (AnsiCompareText(s, m_valueUnchecked) == 0)
                Value = false;
            else
                Value = Variant::Null();
        } else if (s == m_valueGrayed) {
            Value = Variant::Null();
        }
    }
    if (auto* e = dynamic_cast<TCustomdxFilterImageEdit*>(Editor)) {
        const int i = e->Values()->IndexOf(Text);
        if (i >= 0 && i < e->Descriptions()->Count())
            Text = e->Descriptions()->Get(i);
    }
}

void TdxDBTreeListCheckColumn::SetFilterEditValue(TdxInplaceEdit* Editor, const Variant& Value)
{
    if (!dynamic_cast<TCustomdxFilterImageEdit*>(Editor)) {
        TdxDBTreeListColumn::SetFilterEditValue(Editor, Value);
        return;
    }
    if (Value.IsEmptyOrNull())
        Editor->SetText(m_valueGrayed);
    else if (Value.VarType() == varBoolean)
        Editor->SetText(Value.AsBoolean() ? m_valueChecked : m_valueUnchecked);
    else
        Editor->SetText(Value.AsString());
}

// ----- image column -------------------------------------------------------------------------------

TdxDBTreeListImageColumn::TdxDBTreeListImageColumn(TComponent* AOwner)
    : TdxDBTreeListDropDownColumn(AOwner), m_values(std::make_unique<TStringList>()),
      m_descriptions(std::make_unique<TStringList>()), m_imageIndexes(std::make_unique<TStringList>())
{
    SetMinWidth(16);
}

TdxDBTreeListImageColumn::~TdxDBTreeListImageColumn() = default;

void TdxDBTreeListImageColumn::SetImages(TImageList* Value)
{
    if (Value == m_images)
        return;
    if (m_images)
        m_images->RemoveFreeNotification(this);
    m_images = Value;
    if (Value)
        Value->FreeNotification(this);
    Changed();
}

void TdxDBTreeListImageColumn::SetLargeImages(TImageList* Value)
{
    if (Value == m_largeImages)
        return;
    if (m_largeImages)
        m_largeImages->RemoveFreeNotification(this);
    m_largeImages = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TdxDBTreeListImageColumn::Notification(TComponent* AComponent, TOperation Operation)
{
    TdxDBTreeListDropDownColumn::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == m_images)
        m_images = nullptr;
    if (AComponent == m_largeImages)
        m_largeImages = nullptr;
}

void TdxDBTreeListImageColumn::GetImageInfo(const std::string& Value, int& ListIndex, int& ImageIndex) const
{
    TdxInplaceImageEdit::GetIndexesByValue(Value, m_values.get(), m_imageIndexes.get(), m_defaultImages, ListIndex,
                                           ImageIndex);
}

std::string TdxDBTreeListImageColumn::GetDescription(const std::string& Text) const
{
    int list = -1, image = -1;
    GetImageInfo(Text, list, image);
    if (list >= 0 && list < m_descriptions->Count())
        return m_descriptions->Get(list);
    return Text;
}

bool TdxDBTreeListImageColumn::GetValueText(Variant& Value, bool /*HTML*/) const
{
    Value = Variant(GetDescription(Value.IsEmptyOrNull() ? std::string() : Value.AsString()));
    return true;
}

int TdxDBTreeListImageColumn::GetContentWidth(TCanvas& Canvas, TdxTreeListNode* Node) const
{
    TCustomdxDBTreeListControl* c = GetDBTreeList();
    int width = m_images ? m_images->Width() : 0;
    if (c && Node) {
        const std::string d = GetDescription(c->GetNodeString(Node, GetColumnIndex()));
        if (!d.empty())
            width += Canvas.TextWidth(d);
    }
    return width;
}

int TdxDBTreeListImageColumn::GetContentHeight() const
{
    return m_images ? m_images->Height() : 0;
}

void TdxDBTreeListImageColumn::PrepareViewData(TdxTreeListCellViewData& ViewData) const
{
    TdxDBTreeListDropDownColumn::PrepareViewData(ViewData);
    ViewData.Value = Variant(ViewData.Text);
    ViewData.MultiLine = m_multiLineText;
}

void TdxDBTreeListImageColumn::DrawCell(TCanvas& Canvas, const TdxTreeListCellViewData& ViewData) const
{
    TdxImageEditViewData v;
    v.Text = ViewData.Text;
    v.Value = ViewData.Value;
    v.Alignment = ViewData.Alignment;
    v.Color = ViewData.Color;
    v.TextColor = ViewData.TextColor;
    v.Selected = ViewData.Selected;
    v.Values = m_values.get();
    v.Descriptions = m_descriptions.get();
    v.ImageIndexes = m_imageIndexes.get();
    v.Images = m_images;
    v.DefaultImages = m_defaultImages;
    v.ShowDescription = m_showDescription;
    v.MultiLineText = m_multiLineText;
    v.Draw(Canvas, ViewData.Bounds);
}

TdxFilterOperators TdxDBTreeListImageColumn::GetFilterOperators() const
{
    return EqualityOperators;
}

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListImageColumn::NewInplaceEditor(TComponent* Owner) const
{
    return std::make_unique<TdxInplaceImageEdit>(Owner);
}

std::unique_ptr<TdxInplaceEdit> TdxDBTreeListImageColumn::NewFilterEditor(TComponent* Owner) const
{
    return std::make_unique<TCustomdxFilterImageEdit>(Owner);
}

void TdxDBTreeListImageColumn::InitEditor(TdxInplaceEdit* Editor)
{
    TdxDBTreeListDropDownColumn::InitEditor(Editor);
    if (auto* e = dynamic_cast<TdxInplaceImageEdit*>(Editor)) {
        e->SetDefaultImages(m_defaultImages);
        FillStrings(e->Descriptions(), m_descriptions.get());
        e->SetImages(m_images);
        FillStrings(e->ImageIndexes(), m_imageIndexes.get());
        e->SetIncremental(m_incremental);
        e->SetLargeImages(m_largeImages);
        e->SetMultiLineText(m_multiLineText);
        e->SetShowDescription(m_showDescription);
        FillStrings(e->Values(), m_values.get());
    }
}

void TdxDBTreeListImageColumn::GetFilterEditText(TdxInplaceEdit* Editor, Variant& Value, std::string& Text)
{
    const std::string t = Editor ? Editor->Text() : std::string();
    int list = -1, image = -1;
    GetImageInfo(t, list, image);
    Value = list < 0 ? Variant::Null() : Variant(t);
    Text = GetDescription(t);
}

void TdxDBTreeListImageColumn::SetFilterEditValue(TdxInplaceEdit* Editor, const Variant& Value)
{
    if (Editor)
        Editor->SetText(Value.IsEmptyOrNull() ? std::string() : Value.AsString());
}

} // namespace qel
