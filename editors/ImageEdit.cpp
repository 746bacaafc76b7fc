#include "editors/ImageEdit.h"

#include "editors/PopupListBox.h"
#include "editors/ViewData.h"
#include "platform/core/Locale.h"
#include "platform/core/Strings.h"
#include "platform/graphics/ImageList.h"

namespace qel {

void TdxInplaceImageEdit::GetIndexesByValue(const std::string& Value, const TStrings* Values,
                                            const TStrings* ImageIndexes, bool DefaultImages, int& ListIndex,
                                            int& ImageIndex)
{
    ListIndex = Values ? Values->IndexOf(Value) : -1;
    ImageIndex = -1;
    if (ListIndex < 0)
        return;
    std::int32_t index = -1;
    if (ImageIndexes && ListIndex < ImageIndexes->Count() && TryStrToInt(ImageIndexes->Get(ListIndex), index) &&
        index >= 0)
        ImageIndex = index;
    else if (DefaultImages)
        ImageIndex = ListIndex;
}

TdxInplaceImageEdit::TdxInplaceImageEdit(TComponent* AOwner)
    : TdxInplaceDropDownEdit(AOwner), m_values(std::make_unique<TStringList>()),
      m_descriptions(std::make_unique<TStringList>()), m_imageIndexes(std::make_unique<TStringList>())
{
    EditWindow()->SetVisible(false);
    LayoutEditWindow();
}

TdxInplaceImageEdit::~TdxInplaceImageEdit() = default;

TStrings* TdxInplaceImageEdit::Values() const { return m_values.get(); }
TStrings* TdxInplaceImageEdit::Descriptions() const { return m_descriptions.get(); }
TStrings* TdxInplaceImageEdit::ImageIndexes() const { return m_imageIndexes.get(); }

void TdxInplaceImageEdit::SetImages(TImageList* Value)
{
    SetFreeNotified(m_images, Value);
    m_imagesLink.Disconnect();
    if (m_images)
        m_imagesLink.Connect(m_images->Changes(), [this](TObject*) { Invalidate(); });
    Invalidate();
}

void TdxInplaceImageEdit::SetLargeImages(TImageList* Value)
{
    SetFreeNotified(m_largeImages, Value);
}

void TdxInplaceImageEdit::Notification(TComponent* AComponent, TOperation Operation)
{
    TdxInplaceDropDownEdit::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == m_images) {
        m_images = nullptr;
        m_imagesLink.Disconnect();
    }
    if (AComponent == m_largeImages)
        m_largeImages = nullptr;
}

std::string TdxInplaceImageEdit::Description() const
{
    const int i = m_values->IndexOf(Text());
    return i >= 0 && i < m_descriptions->Count() ? m_descriptions->Get(i) : Text();
}

TRect TdxInplaceImageEdit::EditRect()
{
    TRect r = TdxInplaceDropDownEdit::EditRect();
    r.Right = r.Left;   // no text window: the image is painted
    return r;
}

void TdxInplaceImageEdit::Paint()
{
    TdxInplaceDropDownEdit::Paint();
    TRect r = ClientRect();
    InflateRect(r, -BorderWidth(), -BorderWidth());
    r.Right -= ButtonsWidth();
    TdxImageEditViewData data;
    data.Text = Text();
    data.Color = Color();
    data.Enabled = Enabled();
    data.Selected = Focused();
    data.Values = m_values.get();
    data.Descriptions = m_descriptions.get();
    data.ImageIndexes = m_imageIndexes.get();
    data.Images = m_images;
    data.DefaultImages = m_defaultImages;
    data.ShowDescription = m_showDescription;
    data.MultiLineText = m_multiLineText;
    data.Draw(*Canvas(), r);
}

void TdxInplaceImageEdit::SelectIndex(int Index)
{
    if (Index < 0 || Index >= m_values->Count() || m_values->Get(Index) == Text())
        return;
    SetText(m_values->Get(Index));
    Invalidate();
    DoChange();
}

void TdxInplaceImageEdit::SelectNextItem(int Direction)
{
    const int count = m_values->Count();
    if (count == 0)
        return;
    const int i = m_values->IndexOf(Text());
    SelectIndex(i < 0 ? (Direction > 0 ? 0 : count - 1) : std::max(0, std::min(i + Direction, count - 1)));
}

void TdxInplaceImageEdit::KeyPress(TKeyChar& Key)
{
    TKeyChar ch = Key;
    TdxInplaceEdit::KeyPress(ch);   // the user's handler and the modify check
    Key = 0;                        // no text of its own
    if (!ch || !m_incremental)
        return;
    if (ch == 0x08) {
        if (!m_search.empty())
            m_search.pop_back();
        return;
    }
    if (ch < 0x20)
        return;
    const std::string search = AnsiLowerCase(m_search + KeyCharToUtf8(ch));
    for (int i = 0; i < m_values->Count(); ++i) {
        const std::string d = AnsiLowerCase(i < m_descriptions->Count() ? m_descriptions->Get(i) : m_values->Get(i));
        if (d.compare(0, search.size(), search) == 0) {
            m_search = m_search + KeyCharToUtf8(ch);
            if (DroppedDown() && m_list)
                m_list->SetItemIndex(i);
            else
                SelectIndex(i);
            return;
        }
    }
}

TControl* TdxInplaceImageEdit::PopupContent(TWinControl* Parent)
{
    m_list = new TCustomdxPopupListBox(Parent);
    m_list->SetParent(Parent);
    m_list->SetAlign(alClient);
    m_list->OnItemClick = [this](TObject*) { CloseUp(true); };
    m_list->OnDrawItem = [this](TWinControl*, int Index, TRect R, TOwnerDrawState State) {
        DrawListItem(Index, R, State.Contains(odSelected));
    };
    return m_list;
}

void TdxInplaceImageEdit::DrawListItem(int Index, const TRect& R, bool Selected)
{
    TdxImageEditViewData data;
    data.Text = m_values->Get(Index);
    data.Selected = Selected;
    data.Values = m_values.get();
    data.Descriptions = m_descriptions.get();
    data.ImageIndexes = m_imageIndexes.get();
    data.Images = m_largeImages ? m_largeImages : m_images;
    data.DefaultImages = m_defaultImages;
    data.ShowDescription = true;
    data.Draw(*m_list->Canvas(), R);
}

void TdxInplaceImageEdit::DoInitPopup()
{
    m_search.clear();
    const TImageList* images = m_largeImages ? m_largeImages : m_images;
    m_list->SetFont(Font());
    m_list->SetBorderKind(PopupBorder());
    m_list->SetItemHeight(std::max(m_list->Canvas()->TextHeight("Wg") + 2, images ? images->Height() + 2 : 0));
    m_list->Items()->Assign(m_values.get());
    m_list->SetItemIndex(m_values->IndexOf(Text()));
}

TSize TdxInplaceImageEdit::PopupSize()
{
    TSize s = TdxInplaceDropDownEdit::PopupSize();
    s.cy = m_list ? m_list->HeightForRows(DropDownRows()) : 0;
    return s;
}

void TdxInplaceImageEdit::PopupKeyDown(std::uint16_t& Key, TShiftState Shift)
{
    if (m_list && m_list->HandleKey(Key, Shift))
        Key = 0;
}

Variant TdxInplaceImageEdit::PopupValue()
{
    if (m_list && m_list->ItemIndex() >= 0)
        return Variant(m_values->Get(m_list->ItemIndex()));
    return GetEditingValue();
}

void TdxInplaceImageEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const bool onButton = EditButtonAt({X, Y}) >= 0 || PressedButton() >= 0 || ClosedByOwnClick();
    TdxInplaceDropDownEdit::MouseUp(Button, Shift, X, Y);
    // A click on the picture opens the list as the button does.
    if (!onButton && Button == mbLeft && ClientRect().Contains({X, Y}) && !DroppedDown())
        DropDown();
}

} // namespace qel
