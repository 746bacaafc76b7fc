#include "editors/ViewData.h"

#include "editors/CheckEdit.h"
#include "editors/ImageEdit.h"
#include "platform/core/Strings.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Glyphs.h"
#include "platform/graphics/ImageList.h"

namespace qel {

void TdxEditViewData::DrawCellText(TCanvas& Canvas, const TRect& Cell, const std::string& S, bool MultiLine) const
{
    TRect r = Cell;
    InflateRect(r, -2, -1);
    unsigned flags = DT_NOPREFIX | (MultiLine ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    if (Alignment == taRightJustify)
        flags |= DT_RIGHT;
    else if (Alignment == taCenter)
        flags |= DT_CENTER;
    Canvas.SetBkMode(TRANSPARENT);
    Canvas.Font()->SetColor(Selected ? clHighlightText : (Enabled ? TextColor : clGrayText));
    Canvas.DrawText(S, r, flags);
}

void TdxEditViewData::Draw(TCanvas& Canvas, const TRect& Cell) const
{
    Canvas.Brush()->SetColor(Selected ? clHighlight : Color);
    Canvas.FillRect(Cell);
    DrawCellText(Canvas, Cell, Text, false);
}

TCheckBoxState TdxCheckEditViewData::State() const
{
    int v = cbGrayed;
    try {
        v = Value.IsEmptyOrNull() ? int(cbGrayed) : Value.AsInteger();
    } catch (const EConvertError&) {
    }
    return v == cbUnchecked || v == cbChecked ? TCheckBoxState(v) : cbGrayed;
}

void TdxCheckEditViewData::Draw(TCanvas& Canvas, const TRect& Cell) const
{
    Canvas.Brush()->SetColor(Selected ? clHighlight : Color);
    Canvas.FillRect(Cell);
    const TSize size = TdxInplaceCheckEdit::CalcGlyphSize(Glyph, GlyphCount);
    int x = Cell.Left + 2;
    if (Alignment == taCenter)
        x = Cell.Left + (Cell.Width() - size.cx) / 2;
    else if (Alignment == taRightJustify)
        x = Cell.Right - size.cx - 2;
    const TRect r = Bounds(x, Cell.Top + (Cell.Height() - size.cy) / 2, size.cx, size.cy);
    const TCheckBoxState state = State();
    if (Glyph && !Glyph->Empty() && GlyphCount > 0) {
        int index = state;
        if (state == cbGrayed)
            index = ShowNullFieldStyle == nsUnchecked ? 0 : ShowNullFieldStyle == nsInactive ? 3 : 2;
        if (!Enabled && index < 3)
            index += 3;
        if (index >= GlyphCount)
            index = std::min(int(state), GlyphCount - 1);
        auto* glyph = const_cast<TBitmap*>(Glyph);
        Canvas.CopyRect(r, glyph->Canvas(), Bounds(index * size.cx, 0, size.cx, size.cy));
        return;
    }
    TCheckBoxState shown = state;
    bool enabled = Enabled;
    if (state == cbGrayed && ShowNullFieldStyle != nsGrayedChecked) {
        shown = cbUnchecked;
        enabled = enabled && ShowNullFieldStyle == nsUnchecked;
    }
    DrawCheckBoxGlyph(Canvas, r, shown, ButtonStyle != bts3D, enabled);
}

void TdxImageEditViewData::Draw(TCanvas& Canvas, const TRect& Cell) const
{
    Canvas.Brush()->SetColor(Selected ? clHighlight : Color);
    Canvas.FillRect(Cell);
    int listIndex = -1, imageIndex = -1;
    TdxInplaceImageEdit::GetIndexesByValue(Text, Values, ImageIndexes, DefaultImages, listIndex, imageIndex);
    TRect textRect = Cell;
    if (Images && imageIndex >= 0 && imageIndex < Images->Count()) {
        int x = Cell.Left + 2;
        if (!ShowDescription && Alignment == taCenter)
            x = Cell.Left + (Cell.Width() - Images->Width()) / 2;
        else if (!ShowDescription && Alignment == taRightJustify)
            x = Cell.Right - Images->Width() - 2;
        Images->Draw(&Canvas, x, Cell.Top + (Cell.Height() - Images->Height()) / 2, imageIndex, Enabled);
        textRect.Left = x + Images->Width() + 2;
    }
    if (ShowDescription) {
        std::string description = Text;
        if (Descriptions && listIndex >= 0 && listIndex < Descriptions->Count())
            description = Descriptions->Get(listIndex);
        DrawCellText(Canvas, textRect, description, MultiLineText);
    }
}

void TdxDropDownEditViewData::Draw(TCanvas& Canvas, const TRect& Cell) const
{
    TRect textRect = Cell;
    if (ShowButton)
        textRect.Right = std::max(Cell.Left, Cell.Right - ButtonWidth);
    TdxEditViewData::Draw(Canvas, textRect);
    if (ShowButton)
        DrawEditButton(Canvas, Rect(textRect.Right, Cell.Top, Cell.Right, Cell.Bottom), ButtonStyle, bkDown,
                       ButtonGlyph, Enabled, false);
}

void DrawEditButton(TCanvas& Canvas, const TRect& R, TdxEditButtonViewStyle Style, TdxEditButtonKind Kind,
                    const TBitmap* Glyph, bool Enabled, bool Pressed)
{
    TRect r = R;
    Canvas.Brush()->SetColor(clBtnFace);
    Canvas.FillRect(r);
    switch (Style) {
    case btsFlat:
    case btsHotFlat:
        Canvas.DrawEdge(r, Pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
        break;
    case btsSimple:
        Canvas.Brush()->SetColor(clBtnShadow);
        Canvas.FrameRect(r);
        InflateRect(r, -1, -1);
        break;
    default:
        Canvas.DrawEdge(r, Pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
        break;
    }
    if (Pressed)
        OffsetRect(r, 1, 1);
    if (Glyph && !Glyph->Empty() && (Kind == bkGlyph || Kind == bkDown)) {
        Canvas.Draw(r.Left + (r.Width() - Glyph->Width()) / 2, r.Top + (r.Height() - Glyph->Height()) / 2, Glyph);
    } else if (Kind == bkEllipsis) {
        Canvas.Brush()->SetColor(Enabled ? clBtnText : clGrayText);
        const int cx = r.Left + r.Width() / 2, cy = r.Top + r.Height() / 2;
        for (int dx : {-4, 0, 4})
            Canvas.FillRect(Rect(cx + dx - 1, cy, cx + dx + 1, cy + 2));
    } else {
        DrawDropDownArrow(Canvas, r, Enabled);
    }
}

} // namespace qel
