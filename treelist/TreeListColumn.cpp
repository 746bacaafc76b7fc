#include "treelist/TreeListColumn.h"

#include "platform/core/Locale.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"
#include "editors/CheckEdit.h"
#include "editors/GraphicEdit.h"
#include "editors/HyperLinkEdit.h"
#include "editors/ImageEdit.h"
#include "editors/MemoEdit.h"
#include "editors/TextEdit.h"
#include "platform/core/Strings.h"
#include "treelist/InplaceEditAdapter.h"
#include "treelist/InplaceEditorHost.h"
#include "treelist/TreeListControl.h"

#include <algorithm>

namespace qel {

namespace {
unsigned AlignFlags(TAlignment A)
{
    return A == taRightJustify ? DT_RIGHT : A == taCenter ? DT_CENTER : DT_LEFT;
}

void FillAndText(TCanvas& Canvas, const TdxTreeListCellViewData& V, const std::string& Text, int TextLeftInset)
{
    Canvas.Brush()->SetColor(V.Color);
    Canvas.FillRect(V.Bounds);
    TRect t = V.Bounds;
    InflateRect(t, -2, -1);
    t.Left += TextLeftInset;
    Canvas.Font()->SetColor(V.TextColor);
    Canvas.Brush()->SetStyle(bsClear);
    const unsigned lines = V.MultiLine ? DT_WORDBREAK : (DT_SINGLELINE | DT_VCENTER);
    Canvas.DrawText(Text, t, AlignFlags(V.Alignment) | lines | DT_NOPREFIX | (V.EndEllipsis ? DT_END_ELLIPSIS : 0u));
    Canvas.Brush()->SetStyle(bsSolid);
}
// An editor of class E hosted by the column's tree list, behind the host contract.
template <class E>
TdxTreeListEditorFactory EditorOf(TCustomdxTreeListControl* Host)
{
    if (!Host)
        return {};
    return [Host] { return std::make_unique<TdxTreeListInplaceEditAdapter>(Host, new E(Host)); };
}

template <class E>
E* EditOf(TdxTreeListInplaceEditor* Editor)
{
    auto* adapter = dynamic_cast<TdxTreeListInplaceEditAdapter*>(Editor);
    return adapter ? dynamic_cast<E*>(adapter->Edit()) : nullptr;
}

} // namespace

// ----- TdxTreeListColumn ----------------------------------------------------------------------

TdxTreeListColumn::TdxTreeListColumn(TComponent* AOwner)
    : TComponent(AOwner), m_font(std::make_unique<TFont>())
{
}

TdxTreeListColumn::~TdxTreeListColumn()
{
    if (m_treeList)
        m_treeList->RemoveColumn(this);
}

void TdxTreeListColumn::SetTreeList(TCustomdxTreeListControl* Value)
{
    if (m_treeList == Value)
        return;
    if (m_treeList)
        m_treeList->RemoveColumn(this);
    if (Value)
        Value->AddColumn(this);
}

int TdxTreeListColumn::GetColumnIndex() const
{
    if (!m_treeList)
        return -1;
    for (int i = 0; i < m_treeList->GetColumnCount(); ++i)
        if (m_treeList->GetColumnByIndex(i) == this)
            return i;
    return -1;
}

void TdxTreeListColumn::SetIndex(int Value)
{
    if (m_treeList)
        m_treeList->MoveColumnIndex(this, Value);
}

void TdxTreeListColumn::SetName(const std::string& NewName)
{
    TComponent::SetName(NewName);
    if (m_treeList)
        m_treeList->Invalidate();
}

void TdxTreeListColumn::Changed()
{
    if (m_treeList)
        m_treeList->ColumnsChanged();
}

#define QEL_COLUMN_SETTER(Name, member)                        \
    void TdxTreeListColumn::Set##Name(decltype(member) Value)  \
    {                                                          \
        if (member == Value)                                   \
            return;                                            \
        member = Value;                                        \
        Changed();                                             \
    }
QEL_COLUMN_SETTER(HeaderAlignment, m_headerAlignment)
QEL_COLUMN_SETTER(FooterAlignment, m_footerAlignment)
QEL_COLUMN_SETTER(Color, m_color)
#undef QEL_COLUMN_SETTER

void TdxTreeListColumn::SetAlignment(TAlignment Value)
{
    if (m_alignmentAssigned && m_alignment == Value)
        return;
    m_alignment = Value;
    m_alignmentAssigned = true;
    Changed();
}

void TdxTreeListColumn::SetCaption(const std::string& Value)
{
    if (m_caption == Value)
        return;
    m_caption = Value;
    Changed();
}

void TdxTreeListColumn::SetFooterText(const std::string& Value)
{
    if (m_footerText == Value)
        return;
    m_footerText = Value;
    Changed();
}

void TdxTreeListColumn::SetVisible(bool Value)
{
    if (m_visible == Value)
        return;
    m_visible = Value;
    if (m_treeList && !Value && m_treeList->GetFocusedColumn() == GetColumnIndex())
        m_treeList->HideEditor();
    Changed();
}

void TdxTreeListColumn::SetSorted(TdxTreeListColumnSort Value)
{
    if (m_sorted == Value)
        return;
    m_sorted = Value;
    if (m_treeList) {
        if (Value == csNone)
            m_treeList->RemoveSortedColumn(GetColumnIndex());
        else
            m_treeList->AddSortedColumn(GetColumnIndex());
        m_treeList->SortNodes();
    }
    Changed();
}

void TdxTreeListColumn::SetWidth(int Value)
{
    Value = std::clamp(Value, m_minWidth, dxMaxTreeListLength);
    if (m_width == Value)
        return;
    m_width = Value;
    Changed();
}

void TdxTreeListColumn::SetMinWidth(int Value)
{
    m_minWidth = std::clamp(Value, 0, dxMaxTreeListLength);
    if (m_width < m_minWidth)
        SetWidth(m_minWidth);
}

void TdxTreeListColumn::SetFont(TFont* Value)
{
    m_font->Assign(Value);
    m_parentFont = false;
    Changed();
}

void TdxTreeListColumn::SetParentFont(bool Value)
{
    if (m_parentFont == Value)
        return;
    m_parentFont = Value;
    Changed();
}

void TdxTreeListColumn::FontChanged()
{
    m_parentFont = false;
    Changed();
}

void TdxTreeListColumn::SetHeaderGlyph(const TBitmap* Value)
{
    if (!Value || Value->Empty()) {
        m_headerGlyph.reset();
    } else {
        m_headerGlyph = std::make_unique<TBitmap>();
        m_headerGlyph->Assign(const_cast<TBitmap*>(Value));
    }
    Changed();
}

void TdxTreeListColumn::SetBandIndex(int Value)
{
    Value = std::max(0, Value);
    if (m_bandIndex == Value)
        return;
    m_bandIndex = Value;
    m_colIndex = -1;   // joins the end of its new row
    Changed();
}

void TdxTreeListColumn::SetRowIndex(int Value)
{
    Value = std::max(0, Value);
    if (m_rowIndex == Value)
        return;
    m_rowIndex = Value;
    m_colIndex = -1;
    Changed();
}

void TdxTreeListColumn::SetColIndex(int Value)
{
    if (m_treeList) {
        int band = -1, row = -1, pos = -1;
        m_treeList->GetColumnPlace(GetColumnIndex(), band, row, pos);
        if (band >= 0) {
            m_treeList->MoveColumnTo(GetColumnIndex(), band, row, Value > pos ? Value + 1 : Value);
            return;
        }
    }
    m_colIndex = Value;
    Changed();
}

void TdxTreeListColumn::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TdxTreeListColumn*>(Source);
    if (!src) {
        TComponent::Assign(Source);
        return;
    }
    m_caption = src->m_caption;
    m_visible = src->m_visible;
    m_sorted = src->m_sorted;
    m_width = src->m_width;
    m_minWidth = src->m_minWidth;
    m_alignment = src->m_alignment;
    m_alignmentAssigned = src->m_alignmentAssigned;
    m_headerAlignment = src->m_headerAlignment;
    m_footerAlignment = src->m_footerAlignment;
    m_color = src->m_color;
    m_font->Assign(src->m_font.get());
    m_parentFont = src->m_parentFont;
    m_readOnly = src->m_readOnly;
    m_disableDragging = src->m_disableDragging;
    m_disableEditor = src->m_disableEditor;
    m_sizing = src->m_sizing;
    m_footerText = src->m_footerText;
    m_bandIndex = src->m_bandIndex;
    m_rowIndex = src->m_rowIndex;
    SetHeaderGlyph(src->m_headerGlyph.get());
    Changed();
}

void TdxTreeListColumn::RestoreDefaults()
{
    m_width = DefaultWidth();
    m_alignmentAssigned = false;
    m_readOnly = DefaultReadOnly();
    Changed();
}

TdxTreeListEditorFactory TdxTreeListColumn::GetEditorClass() const
{
    return EditorOf<TdxInplaceTextEdit>(m_treeList);
}

void TdxTreeListColumn::InitEditorValue(TdxTreeListInplaceEditor* Editor, const Variant& Value)
{
    if (Editor) {
        Editor->SetReadOnly(m_readOnly);
        Editor->SetEditingValue(Value);
    }
}

Variant TdxTreeListColumn::AssignEditorValue(TdxTreeListInplaceEditor* Editor)
{
    return Editor ? Editor->GetEditingValue() : Variant();
}

void TdxTreeListColumn::PrepareViewData(TdxTreeListCellViewData&) const {}

bool TdxTreeListColumn::DoCustomDraw(TCanvas&, const TdxTreeListCellViewData&)
{
    return false;
}

void TdxTreeListColumn::DrawCell(TCanvas& Canvas, const TdxTreeListCellViewData& ViewData) const
{
    FillAndText(Canvas, ViewData, ViewData.Text, 0);
}

std::string TdxTreeListColumn::GetDisplayText(TdxTreeListNode* Node) const
{
    if (!m_treeList || !Node)
        return {};
    std::string text = m_treeList->GetNodeString(Node, GetColumnIndex());
    if (OnGetText)
        OnGetText(const_cast<TdxTreeListColumn*>(this), Node, text);
    return text;
}

// ----- bands ------------------------------------------------------------------------------------------

int TdxTreeListBand::Index() const
{
    return m_owner ? m_owner->IndexOf(this) : -1;
}

void TdxTreeListBand::SetIndex(int Value)
{
    if (m_owner)
        m_owner->Move(Index(), Value);
}

TdxTreeListBand::~TdxTreeListBand()
{
    if (!m_owner)
        return;
    m_owner->m_identities.Withdraw(m_identity);
    if (m_owner->Owner())
        m_owner->Owner()->NoteRemoval();
}

void TdxTreeListBand::Changed()
{
    if (m_owner)
        m_owner->Changed();
}

void TdxTreeListBand::SetCaption(const std::string& Value)
{
    if (m_caption == Value)
        return;
    m_caption = Value;
    Changed();
}

void TdxTreeListBand::SetWidth(int Value)
{
    Value = Value <= 0 ? 0 : std::clamp(Value, m_minWidth, dxMaxTreeListLength);
    if (m_width == Value)
        return;
    m_width = Value;
    Changed();
}

void TdxTreeListBand::SetMinWidth(int Value)
{
    m_minWidth = std::clamp(Value, 0, dxMaxTreeListLength);
    Changed();
}

void TdxTreeListBand::SetVisible(bool Value)
{
    if (m_visible == Value)
        return;
    m_visible = Value;
    Changed();
}

void TdxTreeListBand::SetAlignment(TAlignment Value)
{
    if (m_alignment == Value)
        return;
    m_alignment = Value;
    Changed();
}

int TdxTreeListBand::VisibleIndex() const
{
    return m_owner ? m_owner->AbsoluteToVisible(Index()) : -1;
}

TdxTreeListBand* TdxTreeListBands::GetItem(int Index) const
{
    if (Index < 0 || Index >= Count())
        return nullptr;
    return m_items[static_cast<std::size_t>(Index)].get();
}

std::uint64_t TdxTreeListBands::BandIdentity(const TdxTreeListBand* Band)
{
    if (!Band || Band->m_owner != this)
        return 0;
    auto* band = const_cast<TdxTreeListBand*>(Band);
    return m_identities.Publish(band, band->m_identity);
}

TdxTreeListBand* TdxTreeListBands::Add()
{
    m_items.push_back(std::make_unique<TdxTreeListBand>(this));
    Changed();
    return m_items.back().get();
}

void TdxTreeListBands::Delete(int Index)
{
    if (Index < 0 || Index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    m_items.erase(m_items.begin() + Index);
    Changed();
}

void TdxTreeListBands::Clear()
{
    m_items.clear();
    Changed();
}

void TdxTreeListBands::Move(int CurIndex, int NewIndex)
{
    if (CurIndex < 0 || CurIndex >= Count())
        return;
    NewIndex = std::clamp(NewIndex, 0, Count() - 1);
    if (CurIndex == NewIndex)
        return;
    auto item = std::move(m_items[static_cast<std::size_t>(CurIndex)]);
    m_items.erase(m_items.begin() + CurIndex);
    m_items.insert(m_items.begin() + NewIndex, std::move(item));
    Changed();
}

int TdxTreeListBands::IndexOf(const TdxTreeListBand* Band) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_items[static_cast<std::size_t>(i)].get() == Band)
            return i;
    return -1;
}

int TdxTreeListBands::VisibleCount() const
{
    return static_cast<int>(std::count_if(m_items.begin(), m_items.end(), [](const auto& B) { return B->Visible(); }));
}

int TdxTreeListBands::VisibleToAbsolute(int VisibleIndex) const
{
    if (VisibleIndex < 0)
        return -1;
    for (int i = 0, v = 0; i < Count(); ++i) {
        if (!m_items[static_cast<std::size_t>(i)]->Visible())
            continue;
        if (v++ == VisibleIndex)
            return i;
    }
    return -1;
}

int TdxTreeListBands::AbsoluteToVisible(int Index) const
{
    if (Index < 0 || Index >= Count() || !m_items[static_cast<std::size_t>(Index)]->Visible())
        return -1;
    int v = 0;
    for (int i = 0; i < Index; ++i)
        if (m_items[static_cast<std::size_t>(i)]->Visible())
            ++v;
    return v;
}

TdxTreeListBand* TdxTreeListBands::VisibleItem(int VisibleIndex) const
{
    return GetItem(VisibleToAbsolute(VisibleIndex));
}

void TdxTreeListBands::Changed()
{
    if (m_owner)
        m_owner->ColumnsChanged();
}

// ----- typed columns -----------------------------------------------------------------------------------

TdxTreeListCheckColumn::TdxTreeListCheckColumn(TComponent* AOwner) : TdxTreeListColumn(AOwner)
{
    SetAlignment(taCenter);
}

TdxTreeListCheckColumn::~TdxTreeListCheckColumn() = default;

TCheckBoxState TdxTreeListCheckColumn::GetCheckState(const Variant& Value) const
{
    if (Value.VarType() == varBoolean)
        return Value.AsBoolean() ? cbChecked : cbUnchecked;
    if (!Value.IsEmptyOrNull()) {
        std::string text;
        try {
            text = Value.AsString();
        } catch (const Exception&) {
        }
        if (AnsiCompareText(text, m_valueChecked) == 0)
            return cbChecked;
        if (AnsiCompareText(text, m_valueUnchecked) == 0)
            return cbUnchecked;
    }
    return m_allowGrayed ? cbGrayed : cbUnchecked;
}

void TdxTreeListCheckColumn::SetGlyph(const TBitmap* Value)
{
    if (!Value || Value->Empty()) {
        m_glyph.reset();
    } else {
        m_glyph = std::make_unique<TBitmap>();
        m_glyph->Assign(const_cast<TBitmap*>(Value));
    }
    Changed();
}

void TdxTreeListCheckColumn::DrawCell(TCanvas& Canvas, const TdxTreeListCellViewData& V) const
{
    Canvas.Brush()->SetColor(V.Color);
    Canvas.FillRect(V.Bounds);
    const TSize g = CheckBoxGlyphSize();
    int x = V.Bounds.Left + 2;
    if (V.Alignment == taCenter)
        x = (V.Bounds.Left + V.Bounds.Right - g.cx) / 2;
    else if (V.Alignment == taRightJustify)
        x = V.Bounds.Right - g.cx - 2;
    const int y = (V.Bounds.Top + V.Bounds.Bottom - g.cy) / 2;
    TRect box = Bounds(x, y, g.cx, g.cy);
    const TCheckBoxState state = GetCheckState(V.Value);
    unsigned flags = DFCS_BUTTONCHECK | DFCS_FLAT;
    if (state == cbChecked)
        flags |= DFCS_CHECKED;
    else if (state == cbGrayed)
        flags = DFCS_BUTTON3STATE | DFCS_CHECKED | DFCS_INACTIVE | DFCS_FLAT;
    Canvas.DrawFrameControl(box, DFC_BUTTON, flags);
}

void TdxTreeListCheckColumn::Assign(TPersistent* Source)
{
    TdxTreeListColumn::Assign(Source);
    if (auto* src = dynamic_cast<TdxTreeListCheckColumn*>(Source)) {
        m_valueChecked = src->m_valueChecked;
        m_valueUnchecked = src->m_valueUnchecked;
        m_allowGrayed = src->m_allowGrayed;
        m_glyphCount = src->m_glyphCount;
        SetGlyph(src->m_glyph.get());
    }
}

TdxTreeListEditorFactory TdxTreeListCheckColumn::GetEditorClass() const
{
    return EditorOf<TdxInplaceCheckEdit>(TreeList());
}

void TdxTreeListCheckColumn::InitEditProperties(TdxTreeListInplaceEditor* Editor)
{
    if (auto* e = EditOf<TdxInplaceCheckEdit>(Editor))
        e->SetAllowGrayed(m_allowGrayed);
}

void TdxTreeListCheckColumn::InitEditorValue(TdxTreeListInplaceEditor* Editor, const Variant& Value)
{
    const TCheckBoxState state = GetCheckState(Value);
    TdxTreeListColumn::InitEditorValue(Editor, state == cbGrayed ? Variant::Null() : Variant(state == cbChecked));
}

Variant TdxTreeListCheckColumn::AssignEditorValue(TdxTreeListInplaceEditor* Editor)
{
    const Variant v = TdxTreeListColumn::AssignEditorValue(Editor);
    TCheckBoxState state = cbGrayed;
    if (v.VarType() == varBoolean)
        state = v.AsBoolean() ? cbChecked : cbUnchecked;
    else if (v.IsNumeric())
        state = static_cast<TCheckBoxState>(std::clamp(v.AsInteger(), 0, 2));
    if (state == cbGrayed)
        return Variant::Null();
    return Variant(state == cbChecked ? m_valueChecked : m_valueUnchecked);
}

TdxTreeListEditorFactory TdxTreeListImageColumn::GetEditorClass() const
{
    return EditorOf<TdxInplaceImageEdit>(TreeList());
}

void TdxTreeListImageColumn::InitEditProperties(TdxTreeListInplaceEditor* Editor)
{
    auto* e = EditOf<TdxInplaceImageEdit>(Editor);
    if (!e)
        return;
    e->Values()->Clear();
    for (const std::string& v : m_values)
        e->Values()->Add(v);
    e->Descriptions()->Clear();
    for (const std::string& d : m_descriptions)
        e->Descriptions()->Add(d);
    e->ImageIndexes()->Clear();
    for (int i : m_imageIndexes)
        e->ImageIndexes()->Add(std::to_string(i));
    e->SetImages(m_images);
    e->SetShowDescription(m_showDescription);
}

TdxTreeListEditorFactory TdxTreeListGraphicColumn::GetEditorClass() const
{
    return EditorOf<TdxInplaceGraphicEdit>(TreeList());
}

void TdxTreeListGraphicColumn::InitEditProperties(TdxTreeListInplaceEditor* Editor)
{
    if (auto* e = EditOf<TdxInplaceGraphicEdit>(Editor)) {
        e->SetStretch(m_stretch);
        e->SetCenter(m_center);
    }
}

TdxTreeListEditorFactory TdxTreeListHyperLinkColumn::GetEditorClass() const
{
    return EditorOf<TdxInplaceHyperLinkEdit>(TreeList());
}

TdxTreeListEditorFactory TdxTreeListMemoColumn::GetEditorClass() const
{
    return EditorOf<TdxInplaceMemoEdit>(TreeList());
}

void TdxTreeListImageColumn::SetImages(TImageList* Value)
{
    if (!SetFreeNotified(m_images, Value))
        return;
    Changed();
}

void TdxTreeListImageColumn::SetShowDescription(bool Value)
{
    if (m_showDescription == Value)
        return;
    m_showDescription = Value;
    Changed();
}

void TdxTreeListImageColumn::Notification(TComponent* AComponent, TOperation Operation)
{
    TdxTreeListColumn::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == m_images)
        m_images = nullptr;
}

void TdxTreeListImageColumn::GetDisplayValues(const Variant& Value, int& ImageIndex, std::string& Description) const
{
    ImageIndex = -1;
    Description.clear();
    if (Value.IsEmptyOrNull())
        return;
    std::string text;
    try {
        text = Value.AsString();
    } catch (const Exception&) {
        return;
    }
    const auto it = std::find(m_values.begin(), m_values.end(), text);
    if (it == m_values.end())
        return;
    const auto i = static_cast<std::size_t>(it - m_values.begin());
    if (i < m_imageIndexes.size())
        ImageIndex = m_imageIndexes[i];
    else if (m_defaultImages)
        ImageIndex = static_cast<int>(i);
    if (i < m_descriptions.size())
        Description = m_descriptions[i];
}

std::string TdxTreeListImageColumn::GetDisplayText(TdxTreeListNode* Node) const
{
    if (!TreeList() || !Node)
        return {};
    int image = -1;
    std::string description;
    GetDisplayValues(TreeList()->GetNodeValue(Node, GetColumnIndex()), image, description);
    return description;
}

void TdxTreeListImageColumn::DrawCell(TCanvas& Canvas, const TdxTreeListCellViewData& V) const
{
    int image = -1;
    std::string description;
    GetDisplayValues(V.Value, image, description);
    const int imageWidth = (m_images && image >= 0) ? m_images->Width() + 2 : 0;
    FillAndText(Canvas, V, m_showDescription ? description : std::string(), imageWidth);
    if (imageWidth > 0) {
        const int y = (V.Bounds.Top + V.Bounds.Bottom - m_images->Height()) / 2;
        const int x = m_showDescription ? V.Bounds.Left + 2 : (V.Bounds.Left + V.Bounds.Right - m_images->Width()) / 2;
        m_images->Draw(&Canvas, x, y, image);
    }
}

void TdxTreeListHyperLinkColumn::PrepareViewData(TdxTreeListCellViewData& ViewData) const
{
    if (!ViewData.Selected)
        ViewData.TextColor = clBlue;
}

TdxTreeListWrapperColumn::~TdxTreeListWrapperColumn()
{
    SetColumn(nullptr);
}

void TdxTreeListWrapperColumn::SetColumn(TdxTreeListColumn* Value)
{
    if (Value == this)
        throw EInvaliddxTreeListOperation("A wrapper column cannot wrap itself");
    if (!SetFreeNotified(m_column, Value))
        return;
    Changed();
}

void TdxTreeListWrapperColumn::Notification(TComponent* AComponent, TOperation Operation)
{
    TdxTreeListColumn::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == m_column)
        m_column = nullptr;
}

std::string TdxTreeListWrapperColumn::GetDisplayText(TdxTreeListNode* Node) const
{
    return m_column ? m_column->GetDisplayText(Node) : TdxTreeListColumn::GetDisplayText(Node);
}

} // namespace qel
