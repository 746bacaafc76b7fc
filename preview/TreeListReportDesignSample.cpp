// The design window's sample: a small tree list of shapes that takes the
// link's options, colours and fonts, and draws its cells, previews and
// footers as the report would print them.
#include "preview/TreeListReportDesignWindow.h"

#include "platform/controls/ExtCtrls.h"
#include "platform/core/Guards.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"
#include "preview/detail/DialogLayout.h"
#include "treelist/TreeListControl.h"

#include <string>

namespace qel {

using namespace detail;

namespace {

enum TSampleColumn : int { scName, scAxisymmetric, scShape, scGraphic };

struct TSampleShape {
    const char* Name;
    bool Axisymmetric;
    bool Regular;
    const char* Preview;
};

const TSampleShape kShapes[] = {
    {"Cone", true, true, "A circle's points joined to one apex."},
    {"Cylinder", true, true, "Two equal circles joined along their rims."},
    {"Pyramid", false, true, "A polygon's corners joined to one apex."},
    {"Box", false, true, "Six rectangles meeting at right angles."},
    {"Free Surface", false, false, "A surface of no fixed rule."},
};
constexpr int kShapeCount = static_cast<int>(std::size(kShapes));

const char* const kRegular = "Regular";
const char* const kIrregular = "Irregular";

// The shape a sample row shows (none for a group).
const TSampleShape* ShapeOf(const TdxTreeListNode* Node)
{
    return static_cast<const TSampleShape*>(Node->Data());
}

// The report counts rows from 0 and gives the odd ones the odd colour.
bool IsOddRow(int Index)
{
    return Index % 2 != 0;
}

void DrawShape(TCanvas& C, int Shape)
{
    switch (Shape) {
    case 0: C.Polygon({{8, 1}, {14, 14}, {2, 14}}); break;
    case 1:
        C.Rectangle(3, 4, 13, 14);
        C.Ellipse(3, 1, 13, 7);
        break;
    case 2: C.Polygon({{8, 1}, {15, 12}, {8, 15}, {1, 12}}); break;
    case 3:
        C.Polygon({{2, 5}, {5, 2}, {15, 2}, {12, 5}});
        C.Rectangle(2, 5, 13, 15);
        break;
    case 4: C.Polygon({{1, 9}, {5, 2}, {9, 6}, {15, 3}, {13, 13}, {6, 14}}); break;
    default: C.Rectangle(1, 4, 15, 14); break;   // a group
    }
}

TImageList* MakeImages(TComponent* Owner, int Count, const TColor* Colors, bool Shapes)
{
    auto* list = new TImageList(16, 16, Owner);
    for (int i = 0; i < Count; ++i) {
        TBitmap b(16, 16);
        TCanvas& c = *b.Canvas();
        c.Brush()->SetColor(clWhite);
        c.FillRect(Rect(0, 0, 16, 16));
        c.Pen()->SetColor(clNavy);
        c.Brush()->SetColor(Colors[i]);
        if (Shapes)
            DrawShape(c, i);
        else
            c.Ellipse(4, 4, 12, 12);
        list->Add(&b, nullptr);
    }
    return list;
}

unsigned TextFlags(unsigned Align)
{
    return Align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
}

} // namespace

void TdxTLReportLinkDesignWindow::CreateSample()
{
    pnlPreview = Place<TPanel>(this, this, 408, 30, 288, 364);
    pnlPreview->SetName("pnlPreview");
    pnlPreview->SetBevelOuter(bvLowered);
    const TColor shapeColors[] = {clYellow, clAqua, clLime, clSilver, clFuchsia, clOlive};
    m_shapeImages = MakeImages(this, kShapeCount + 1, shapeColors, true);
    const TColor stateColors[] = {clGreen, clGray};
    m_stateImages = MakeImages(this, 2, stateColors, false);

    dxTLPreview = Place<TdxTreeList>(pnlPreview, this, 2, 2, 284, 360);
    dxTLPreview->SetName("dxTLPreview");
    TdxTreeList& t = *dxTLPreview;
    TUpdateScope<TCustomdxTreeList> update(t);
    t.SetShowIndicator(false);
    t.SetTabStop(false);
    TdxTreeListOptions options = t.Options();
    options.Exclude(aoEditing);
    options.Exclude(aoColumnMoving);
    options.Exclude(aoColumnSizing);
    t.SetOptions(options);
    const auto column = [&](TdxTreeListColumn* C, const char* Caption, int Width) {
        C->SetName(std::string("dxTLPreviewColumn") + std::to_string(C->Index()));
        C->SetCaption(Caption);
        C->SetWidth(Width);
    };
    column(t.CreateColumn(), "Name", 98);
    auto* check = t.CreateColumnOf<TdxTreeListCheckColumn>();
    column(check, "Axisymmetric", 76);
    auto* image = t.CreateColumnOf<TdxTreeListImageColumn>();
    column(image, "Shape", 42);
    image->SetImages(m_shapeImages);
    for (int i = 0; i < kShapeCount; ++i) {
        image->Values().push_back(kShapes[i].Name);
        image->ImageIndexes().push_back(i);
    }
    column(t.CreateColumnOf<TdxTreeListGraphicColumn>(), "(Graphic)", 60);
    (t.Bands()->Count() > 0 ? t.Bands()->Items(0) : t.Bands()->Add())->SetCaption("Item Data");

    TdxTreeListNode* groups[2] = {t.Add(), t.Add()};
    groups[0]->SetString(scName, kRegular);
    groups[1]->SetString(scName, kIrregular);
    for (TdxTreeListNode* g : groups) {
        g->SetImageIndex(kShapeCount);
        g->SetSelectedIndex(kShapeCount);
    }
    for (int i = 0; i < kShapeCount; ++i) {
        TdxTreeListNode* n = groups[kShapes[i].Regular ? 0 : 1]->AddChild();
        n->SetString(scName, kShapes[i].Name);
        n->SetString(scAxisymmetric, kShapes[i].Axisymmetric ? "True" : "False");
        n->SetString(scShape, kShapes[i].Name);
        n->SetImageIndex(i);
        n->SetSelectedIndex(i);
        n->SetStateIndex(kShapes[i].Axisymmetric ? 0 : 1);
        n->SetData(const_cast<TSampleShape*>(&kShapes[i]));
    }
    t.FullExpand();

    t.OnCustomDrawCell = [this](TObject*, TCanvas* C, const TRect& R, TdxTreeListNode* Node, int Column, bool, bool,
                                bool& Done) {
        DrawSampleCell(*C, R, Node, Column);
        Done = true;
    };
    t.OnCustomDrawPreviewCell = [this](TObject*, TCanvas* C, const TRect& R, TdxTreeListNode* Node, bool,
                                       bool& Done) {
        DrawSamplePreview(*C, R, Node);
        Done = true;
    };
    t.OnGetPreviewText = [](TObject*, TdxTreeListNode* Node, std::string& Text) {
        const TSampleShape* shape = ShapeOf(Node);
        Text = shape ? shape->Preview : "";
    };
    t.OnGetPreviewLineCount = [](TObject*, TdxTreeListNode* Node, int& Lines) {
        if (Node->HasChildren())
            Lines = 0;
    };
    t.OnIsExistFooterCell = [](TObject*, int Column, bool& Exist) { Exist = Column == scName; };
    t.OnIsExistRowFooterCell = [](TObject*, TdxTreeListNode*, int Column, int, bool& Exist) {
        Exist = Column == scName;
    };
    t.OnIsLevelFooter = [](TObject*, int Level, bool& IsFooter) { IsFooter = Level == 0; };
    t.OnGetFooterCellText = [this](TObject*, TdxTreeListNode* Node, int Column, int, std::string& Text) {
        if (Column != scName)
            return;
        // The footer counts the shapes; a group's footer those of its group.
        int count = 0;
        if (Node) {
            TdxTreeListNode* group = Node;
            while (group->Parent())
                group = group->Parent();
            count = group->Count();
        } else {
            for (int i = 0; i < dxTLPreview->Count(); ++i)
                count += dxTLPreview->Items(i)->Count();
        }
        Text = "Count is: " + std::to_string(count);
    };
    t.OnCustomDrawFooter = [this](TObject*, TCanvas* C, const TRect& R, int Column, bool& Done) {
        TCustomdxTreeListReportLink* link = TreeListLink();
        if (!link)
            return;
        const TColor color = link->FixedTransparent() ? clWindow : link->HeaderColor();
        DrawSampleFooter(*C, R, dxTLPreview->GetFooterCellText(Column), link->FooterFont(), color, true);
        Done = true;
    };
    t.OnCustomDrawFooterNode = [this](TObject*, TCanvas* C, const TRect& R, TdxTreeListNode* Node, int Column,
                                      int Footer, bool& Done) {
        TCustomdxTreeListReportLink* link = TreeListLink();
        if (!link)
            return;
        std::string text;
        dxTLPreview->GetRowFooterCellText(Node, Column, Footer, text);
        const TColor color = link->FixedTransparent() ? clWindow : link->RowFooterColor();
        DrawSampleFooter(*C, R, text, link->RowFooterFont(), color, link->Options().Contains(tlpoRowFooterGrid));
        Done = true;
    };
}

void TdxTLReportLinkDesignWindow::UpdatePreview()
{
    TCustomdxTreeListReportLink* link = TreeListLink();
    if (!link)
        return;
    TdxTreeList& t = *dxTLPreview;
    {
        TUpdateScope<TCustomdxTreeList> update(t);
        const TdxTreeListPaintOptions o = link->Options();
        t.SetShowBands(o.Contains(tlpoBands));
        t.SetShowHeader(o.Contains(tlpoHeaders));
        t.SetShowFooter(o.Contains(tlpoFooters));
        t.SetShowRowFooter(o.Contains(tlpoRowFooters));
        TdxTreeListOptions options = t.Options();
        options.Set(aoPreview, o.Contains(tlpoPreview));
        t.SetOptions(options);
        TdxTreeListOptionsEx optionsEx = t.OptionsEx();
        optionsEx.Set(aoAutoCalcPreviewLines, link->PreviewLineCount() < 0);
        t.SetOptionsEx(optionsEx);
        if (link->PreviewLineCount() >= 0)
            t.SetPreviewLines(link->PreviewLineCount());
        t.SetShowGrid(link->EffectiveGrid());
        t.SetShowPreviewGrid(link->EffectivePreviewGrid());
        t.SetImages(o.Contains(tlpoImages) ? m_shapeImages : nullptr);
        t.SetStateImages(o.Contains(tlpoStateImages) ? m_stateImages : nullptr);
        t.SetLookAndFeel(!o.Contains(tlpo3DEffects) ? lfUltraFlat : o.Contains(tlpoSoft3D) ? lfFlat : lfStandard);

        const bool fixedTransparent = link->FixedTransparent();
        t.SetBandColor(fixedTransparent ? clWindow : link->BandColor());
        t.SetHeaderColor(fixedTransparent ? clWindow : link->HeaderColor());
        t.SetGroupNodeColor(fixedTransparent ? clWindow : link->GroupNodeColor());
        t.SetRowFooterColor(fixedTransparent ? clWindow : link->RowFooterColor());
        t.SetGridLineColor(link->GridLineColor());
        t.SetColor(link->Transparent() ? clWindow : link->Color());
        t.SetFont(link->Font());
        t.SetBandFont(link->BandFont());
        t.SetHeaderFont(link->HeaderFont());
        t.SetPreviewFont(link->PreviewFont());
    }
    PaintPreview();
}

void TdxTLReportLinkDesignWindow::PaintPreview()
{
    dxTLPreview->Invalidate();
}

TColor TdxTLReportLinkDesignWindow::SampleRowColor(TdxTreeListNode* Node) const
{
    TCustomdxTreeListReportLink* link = TreeListLink();
    if (!link)
        return clWindow;
    if (link->DrawMode() == tldmOddEven) {
        if (link->Transparent())
            return clWindow;
        return IsOddRow(dxTLPreview->GetAbsoluteIndex(Node)) ? link->OddColor() : link->EvenColor();
    }
    if (Node->HasChildren())
        return link->FixedTransparent() ? clWindow : link->GroupNodeColor();
    return link->Transparent() ? clWindow : link->Color();
}

TFont* TdxTLReportLinkDesignWindow::SampleRowFont(TdxTreeListNode* Node) const
{
    TCustomdxTreeListReportLink* link = TreeListLink();
    if (!link)
        return dxTLPreview->Font();
    if (link->DrawMode() == tldmOddEven)
        return IsOddRow(dxTLPreview->GetAbsoluteIndex(Node)) ? link->OddFont() : link->EvenFont();
    return Node->HasChildren() ? link->GroupNodeFont() : link->Font();
}

void TdxTLReportLinkDesignWindow::DrawSampleCell(TCanvas& Canvas, const TRect& Rect, TdxTreeListNode* Node,
                                                 int Column)
{
    TCustomdxTreeListReportLink* link = TreeListLink();
    TCanvasStateSaver saver(Canvas);
    Canvas.Brush()->SetColor(SampleRowColor(Node));
    Canvas.FillRect(Rect);
    if (!link)
        return;
    const TdxTreeListPaintOptions o = link->Options();
    std::string text;
    unsigned align = DT_LEFT;
    if (Node->HasChildren()) {
        if (Column == scName)
            text = Node->GetString(scName);
    } else {
        switch (Column) {
        case scName: text = Node->GetString(scName); break;
        case scAxisymmetric: {
            const bool checked = Node->GetString(scAxisymmetric) == "True";
            if (o.Contains(tlpoCheckMarksAsText)) {
                text = checked ? "True" : "False";
                align = DT_CENTER;
                break;
            }
            TRect box = Bounds((Rect.Left + Rect.Right - 13) / 2, (Rect.Top + Rect.Bottom - 13) / 2, 13, 13);
            Canvas.DrawFrameControl(box, DFC_BUTTON,
                                    DFCS_BUTTONCHECK | (o.Contains(tlpoFlatCheckMarks) ? DFCS_FLAT : 0u) |
                                        (checked ? DFCS_CHECKED : 0u));
            return;
        }
        case scShape:
        case scGraphic: {
            if (Column == scGraphic && o.Contains(tlpoGraphicAsText)) {
                text = link->GraphicAsTextValue();
                break;
            }
            // A graphic that is not transparent has a paper-white ground.
            if (Column == scGraphic && !o.Contains(tlpoTransparentColumnGraphic)) {
                Canvas.Brush()->SetColor(clWindow);
                TRect inner = Rect;
                InflateRect(inner, -1, -1);
                Canvas.FillRect(inner);
            }
            if (const TSampleShape* shape = ShapeOf(Node))
                m_shapeImages->Draw(&Canvas, (Rect.Left + Rect.Right - 16) / 2, (Rect.Top + Rect.Bottom - 16) / 2,
                                    static_cast<int>(shape - kShapes));
            return;
        }
        default: break;
        }
    }
    TRect r = Rect;
    InflateRect(r, -2, 0);
    Canvas.SetFont(SampleRowFont(Node));
    Canvas.Brush()->SetStyle(bsClear);
    Canvas.DrawText(text, r, TextFlags(align));
}

void TdxTLReportLinkDesignWindow::DrawSamplePreview(TCanvas& Canvas, const TRect& Rect, TdxTreeListNode* Node)
{
    TCustomdxTreeListReportLink* link = TreeListLink();
    TCanvasStateSaver saver(Canvas);
    TColor color = clWindow;
    if (link && link->DrawMode() == tldmOddEven)
        color = SampleRowColor(Node);
    else if (link && !link->Transparent())
        color = link->PreviewColor();
    Canvas.Brush()->SetColor(color);
    Canvas.FillRect(Rect);
    if (!link)
        return;
    Canvas.SetFont(link->PreviewFont());
    Canvas.Brush()->SetStyle(bsClear);
    TRect r = Rect;
    InflateRect(r, -4, -2);
    Canvas.DrawText(dxTLPreview->GetPreviewText(Node), r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DT_END_ELLIPSIS);
    // The nodes grid parts a node's cells from its preview.
    if (dxTLPreview->ShowPreviewGrid()) {
        Canvas.Pen()->SetColor(link->GridLineColor());
        Canvas.MoveTo(Rect.Left, Rect.Top);
        Canvas.LineTo(Rect.Right, Rect.Top);
    }
}

void TdxTLReportLinkDesignWindow::DrawSampleFooter(TCanvas& Canvas, const TRect& Rect, const std::string& Text,
                                                   TFont* Font, TColor Color, bool Lines)
{
    TCanvasStateSaver saver(Canvas);
    Canvas.Brush()->SetColor(Color);
    Canvas.FillRect(Rect);
    if (Lines) {
        Canvas.Brush()->SetColor(TreeListLink() ? TreeListLink()->GridLineColor() : clBlack);
        Canvas.FrameRect(Rect);
    }
    TRect r = Rect;
    InflateRect(r, -2, 0);
    Canvas.SetFont(Font);
    Canvas.Brush()->SetStyle(bsClear);
    Canvas.DrawText(Text, r, TextFlags(DT_LEFT));
}

} // namespace qel
