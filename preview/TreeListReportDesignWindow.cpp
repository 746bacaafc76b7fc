#include "preview/TreeListReportDesignWindow.h"

#include "platform/controls/Dialogs.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/FreeWatch.h"
#include "platform/core/Guards.h"
#include "platform/graphics/ImageList.h"
#include "preview/PopupMenuManager.h"
#include "preview/detail/DialogLayout.h"
#include "printing/PrintControls.h"
#include "printing/PrintDevice.h"
#include "printing/PrintGraphicUtils.h"
#include "treelist/TreeListControl.h"

#include <algorithm>

namespace qel {

using namespace detail;

namespace {

const char* const kFontCaptions[TdxTLReportLinkDesignWindow::fiCount] = {
    "Band Font", "Font", "Odd Font", "Even Font", "Group Node Font", "Footer Font", "Header Font", "Preview Font",
    "Group Footer Font"};

constexpr int kBoxHeight = 17;
constexpr int kFontColumnGap = 12;

} // namespace

TdxTLReportLinkDesignWindow::TdxTLReportLinkDesignWindow(TComponent* AOwner)
    : TAbstractdxReportLinkDesignWindow(AOwner)
{
    SetName("dxTLReportLinkDesignWindow");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(704);
    SetClientHeight(436);
    PageControl = Place<TPageControl>(this, this, 8, 8, 392, 386);
    PageControl->SetName("PageControl");
    const auto page = [this](const char* Name) {
        auto* sheet = new TTabSheet(this);
        sheet->SetName(Name);
        sheet->SetPageControl(PageControl);
        return sheet;
    };
    tshOptions = page("tshOptions");
    tshColors = page("tshColors");
    tshFonts = page("tshFonts");
    tshBehaviors = page("tshBehaviors");
    CreateOptionsPage();
    CreateColorsPage();
    CreateFontsPage();
    CreateBehaviorsPage();
    CreateSample();
    LoadStrings();
    PageControl->SetActivePageIndex(0);
    LayoutButtons();
}

TdxTLReportLinkDesignWindow::~TdxTLReportLinkDesignWindow()
{
    dxPSPopupMenuUnregister(lbxFonts);
}

// ----- building the pages ---------------------------------------------------------------------

TGroupBox* TdxTLReportLinkDesignWindow::NewGroup(TWinControl* Parent, const char* Name, int Left, int Top, int Width,
                                                 int Height)
{
    auto* group = Place<TGroupBox>(Parent, this, Left, Top, Width, Height);
    group->SetName(Name);
    return group;
}

TCheckBox* TdxTLReportLinkDesignWindow::NewBox(TWinControl* Parent, const char* Name, int Left, int Top, int Width)
{
    auto* box = Place<TCheckBox>(Parent, this, Left, Top, Width, kBoxHeight);
    box->SetName(Name);
    return box;
}

TCheckBox* TdxTLReportLinkDesignWindow::NewOptionBox(TWinControl* Parent, const char* Name,
                                                     TdxTreeListPaintOption Option, int Left, int Top, int Width)
{
    TCheckBox* box = NewBox(Parent, Name, Left, Top, Width);
    box->SetTag(Option);
    box->OnClick = [this, box](TObject*) { OptionBoxClick(box); };
    m_optionBoxes[Option] = box;
    return box;
}

void TdxTLReportLinkDesignWindow::BindBox(TCheckBox* Box, void (TCustomdxTreeListReportLink::*Set)(bool))
{
    Box->OnClick = [this, Box, Set](TObject*) {
        if (!CanEdit())
            return;
        (TreeListLink()->*Set)(Box->Checked());
        Edited();
    };
}

TLabel* TdxTLReportLinkDesignWindow::NewLabel(TWinControl* Parent, const char* Name, int Left, int Top,
                                              TWinControl* Focus)
{
    auto* label = Place<TLabel>(Parent, this, Left, Top, 100, 16);
    label->SetName(Name);
    label->SetFocusControl(Focus);
    // A click on a label takes the user to its control; a colour list opens.
    label->OnClick = [Focus](TObject*) {
        if (Focus->CanFocus())
            Focus->SetFocus();
        if (auto* combo = dynamic_cast<TdxPSColorCombo*>(Focus))
            combo->SetDroppedDown(true);
    };
    return label;
}

TdxPSSpinEdit* TdxTLReportLinkDesignWindow::NewSpin(TWinControl* Parent, const char* Name, int Left, int Top, int Min,
                                                    int Max)
{
    auto* spin = Place<TdxPSSpinEdit>(Parent, this, Left, Top, 56, 22);
    spin->SetName(Name);
    spin->SetMaxValue(Max);
    spin->SetMinValue(Min);
    return spin;
}

TdxPSColorCombo* TdxTLReportLinkDesignWindow::NewColorCombo(TWinControl* Parent, TColorItem Item, const char* Name,
                                                            int Left, int Top)
{
    auto* combo = Place<TdxPSColorCombo>(Parent, this, Left, Top, 180, 22);
    combo->SetName(Name);
    combo->SetTag(Item);
    combo->OnChange = [this, combo](TObject*) { ColorChange(combo); };
    m_colorCombos[Item] = combo;
    return combo;
}

void TdxTLReportLinkDesignWindow::CreateOptionsPage()
{
    TTabSheet* page = tshOptions;
    gbxShow = NewGroup(page, "gbxShow", 8, 4, 206, 196);
    NewOptionBox(gbxShow, "chbxShowBands", tlpoBands, 12, 18, 186);
    NewOptionBox(gbxShow, "chbxShowHeaders", tlpoHeaders, 12, 38, 186);
    NewOptionBox(gbxShow, "chbxShowFooters", tlpoFooters, 12, 58, 186);
    NewOptionBox(gbxShow, "chbxShowGroupFooters", tlpoRowFooters, 12, 78, 186);
    NewOptionBox(gbxShow, "chbxShowPreview", tlpoPreview, 12, 98, 186);
    chbxAutoCalcPreviewLines = NewBox(gbxShow, "chbxAutoCalcPreviewLines", 12, 126, 190);
    chbxAutoCalcPreviewLines->OnClick = [this](TObject*) {
        if (!CanEdit())
            return;
        const bool automatic = chbxAutoCalcPreviewLines->Checked();
        sePreviewLineCount->SetMinValue(automatic ? -1 : 0);
        TreeListLink()->SetPreviewLineCount(automatic ? -1 : sePreviewLineCount->AsInteger());
        Edited();
    };
    sePreviewLineCount = NewSpin(gbxShow, "sePreviewLineCount", 140, 156, -1, 100);
    sePreviewLineCount->OnChange = [this](TObject*) {
        if (!CanEdit() || chbxAutoCalcPreviewLines->Checked())
            return;
        TreeListLink()->SetPreviewLineCount(sePreviewLineCount->AsInteger());
        Edited();
    };
    lblPreviewLineCount = NewLabel(gbxShow, "lblPreviewLineCount", 28, 160, sePreviewLineCount);

    gbxGrid = NewGroup(page, "gbxGrid", 220, 4, 156, 86);
    NewOptionBox(gbxGrid, "chbxShowGrid", tlpoGrid, 12, 18, 138);
    NewOptionBox(gbxGrid, "chbxShowNodeGrid", tlpoPreviewGrid, 12, 38, 138);
    NewOptionBox(gbxGrid, "chbxShowGroupFooterGrid", tlpoRowFooterGrid, 12, 58, 138);

    gbxImages = NewGroup(page, "gbxImages", 220, 96, 156, 66);
    NewOptionBox(gbxImages, "chbxShowStateImages", tlpoStateImages, 12, 18, 138);
    NewOptionBox(gbxImages, "chbxShowImages", tlpoImages, 12, 40, 138);

    gbxMiscellaneous = NewGroup(page, "gbxMiscellaneous", 8, 206, 368, 104);
    NewOptionBox(gbxMiscellaneous, "chbxFlatCheckMarks", tlpoFlatCheckMarks, 12, 18, 300);
    NewOptionBox(gbxMiscellaneous, "chbxCheckMarksAsText", tlpoCheckMarksAsText, 12, 40, 300);
    cbxDrawMode = Place<TComboBox>(gbxMiscellaneous, this, 110, 66, 200, 22);
    cbxDrawMode->SetName("cbxDrawMode");
    cbxDrawMode->SetStyle(csDropDownList);
    cbxDrawMode->OnChange = [this](TObject*) {
        if (!CanEdit() || cbxDrawMode->ItemIndex() < 0)
            return;
        TreeListLink()->SetDrawMode(static_cast<TdxTreeListDrawMode>(cbxDrawMode->ItemIndex()));
        // Borrowing the source's look changes which grid options are in force.
        {
            TValueRestorer<bool> loading(m_loading, true);
            OptionBox(tlpoGrid)->SetChecked(TreeListLink()->EffectiveGrid());
            OptionBox(tlpoPreviewGrid)->SetChecked(TreeListLink()->EffectivePreviewGrid());
        }
        Edited();
    };
    lblDrawMode = NewLabel(gbxMiscellaneous, "lblDrawMode", 12, 70, cbxDrawMode);
}

void TdxTLReportLinkDesignWindow::CreateColorsPage()
{
    TTabSheet* page = tshColors;
    const auto row = [&](TWinControl* Parent, TColorItem Item, const char* Combo, const char* Label, int Top) {
        TdxPSColorCombo* combo = NewColorCombo(Parent, Item, Combo, 170, Top);
        m_colorLabels[Item] = NewLabel(Parent, Label, 14, Top + 4, combo);
    };
    // Each transparency box sits on its frame's edge, as the frame's caption.
    const auto frame = [&](const char* Name, const char* BoxName, int Top, int Height,
                           void (TCustomdxTreeListReportLink::*Set)(bool), TCheckBox*& Box) {
        TGroupBox* group = NewGroup(page, Name, 8, Top + 8, 368, Height);
        Box = NewBox(page, BoxName, 16, Top, 130);
        BindBox(Box, Set);
        return group;
    };
    gbxTransparent = frame("gbxTransparent", "chbxTransparent", 2, 112, &TCustomdxTreeListReportLink::SetTransparent,
                           chbxTransparent);
    row(gbxTransparent, ciColor, "ccbxColor", "lblColor", 22);
    row(gbxTransparent, ciEvenColor, "ccbxEvenColor", "lblEvenColor", 50);
    row(gbxTransparent, ciPreviewColor, "ccbxPreviewColor", "lblPreviewColor", 78);
    gbxFixedTransparent = frame("gbxFixedTransparent", "chbxFixedTransparent", 130, 140,
                                &TCustomdxTreeListReportLink::SetFixedTransparent, chbxFixedTransparent);
    row(gbxFixedTransparent, ciBandColor, "ccbxBandColor", "lblBandColor", 22);
    row(gbxFixedTransparent, ciHeaderColor, "ccbxHeaderColor", "lblHeaderColor", 50);
    row(gbxFixedTransparent, ciRowFooterColor, "ccbxGroupFooterColor", "lblGroupFooterColor", 78);
    row(gbxFixedTransparent, ciGroupNodeColor, "ccbxGroupNodeColor", "lblGroupNodeColor", 106);
    row(page, ciGridLineColor, "ccbxGridLineColor", "lblGridLineColor", 292);
    // On the page itself, the row lines up with the rows in the frames.
    m_colorCombos[ciGridLineColor]->SetLeft(178);
    m_colorLabels[ciGridLineColor]->SetLeft(22);
}

void TdxTLReportLinkDesignWindow::CreateFontsPage()
{
    TTabSheet* page = tshFonts;
    lbxFonts = Place<TListBox>(page, this, 8, 8, 368, 300);
    lbxFonts->SetName("lbxFonts");
    lbxFonts->SetStyle(lbOwnerDrawFixed);
    lbxFonts->SetMultiSelect(true);
    lbxFonts->SetExtendedSelect(true);
    lbxFonts->SetItemHeight(18);
    lbxFonts->SetShowHint(true);
    for (const char* caption : kFontCaptions)
        lbxFonts->Items()->Add(caption);
    lbxFonts->OnDrawItem = [this](TWinControl*, int Index, TRect Rect, TOwnerDrawState State) {
        TCanvas& c = *lbxFonts->Canvas();
        // The font texts start right of the widest caption.
        int captionWidth = 0;
        for (const char* caption : kFontCaptions)
            captionWidth = std::max(captionWidth, c.TextWidth(caption));
        c.FillRect(Rect);
        if (!IsItemChangeable(Index) && !State.Contains(odSelected))
            c.Font()->SetColor(clGrayText);
        c.Brush()->SetStyle(bsClear);
        c.TextOut(Rect.Left + 2, Rect.Top + 1, kFontCaptions[Index]);
        if (TFont* font = ItemFont(Index))
            c.TextOut(Rect.Left + 2 + captionWidth + kFontColumnGap, Rect.Top + 1, FontToText(font));
        c.Brush()->SetStyle(bsSolid);
    };
    lbxFonts->OnDblClick = [this](TObject*) { ChangeFont(); };
    lbxFonts->OnKeyDown = [this](TObject*, std::uint16_t& Key, TShiftState) {
        if (Key == VK_RETURN) {
            Key = 0;
            ChangeFont();
        }
    };
    lbxFonts->OnMouseMove = [this](TObject*, TShiftState, int X, int Y) {
        const int index = lbxFonts->ItemAtPos({X, Y}, true);
        TFont* font = index >= 0 ? ItemFont(index) : nullptr;
        lbxFonts->SetHint(font ? FontToText(font) : std::string());
    };

    btnChangeFont = PlaceButton(page, this, "btnChangeFont", "", 8, 316, 130, 25);
    btnChangeFont->OnClick = [this](TObject*) { ChangeFont(); };

    pmChangeFont = new TPopupMenu(this);
    pmChangeFont->SetName("pmChangeFont");
    miChangeFont = new TMenuItem(this);
    miChangeFont->SetName("miChangeFont");
    miChangeFont->OnClick = [this](TObject*) { ChangeFont(); };
    pmChangeFont->Items()->Add(miChangeFont);
    pmChangeFont->OnPopup = [this](TObject*) {
        bool changeable = false;
        for (int i = 0; i < fiCount; ++i)
            changeable = changeable || (lbxFonts->Selected(i) && IsItemChangeable(i));
        miChangeFont->SetEnabled(changeable);
    };
    lbxFonts->SetPopupMenu(pmChangeFont);
    dxPSPopupMenuRegister(lbxFonts);
}

void TdxTLReportLinkDesignWindow::CreateBehaviorsPage()
{
    TTabSheet* page = tshBehaviors;
    gbxSelection = NewGroup(page, "gbxSelection", 8, 4, 184, 66);
    chbxOnlySelected = NewBox(gbxSelection, "chbxOnlySelected", 12, 18, 164);
    BindBox(chbxOnlySelected, &TCustomdxTreeListReportLink::SetOnlySelected);
    chbxExtendedSelect = NewBox(gbxSelection, "chbxExtendedSelect", 12, 40, 164);
    BindBox(chbxExtendedSelect, &TCustomdxTreeListReportLink::SetExtendedSelect);

    gbxNodeExpanding = NewGroup(page, "gbxNodeExpanding", 200, 4, 176, 66);
    chbxAutoNodesExpand = NewBox(gbxNodeExpanding, "chbxAutoNodesExpand", 12, 18, 138);
    BindBox(chbxAutoNodesExpand, &TCustomdxTreeListReportLink::SetAutoNodesExpand);
    seExpandLevel = NewSpin(gbxNodeExpanding, "seExpandLevel", 108, 38, -1, 100);
    seExpandLevel->OnChange = [this](TObject*) {
        if (!CanEdit())
            return;
        TreeListLink()->SetExpandLevel(seExpandLevel->AsInteger());
        Edited();
    };
    lblExpandLevel = NewLabel(gbxNodeExpanding, "lblExpandLevel", 12, 42, seExpandLevel);

    gbxOnEveryPage = NewGroup(page, "gbxOnEveryPage", 8, 76, 368, 88);
    chbxBandsOnEveryPage = NewBox(gbxOnEveryPage, "chbxBandsOnEveryPage", 12, 18, 300);
    BindBox(chbxBandsOnEveryPage, &TCustomdxTreeListReportLink::SetBandsOnEveryPage);
    chbxHeadersOnEveryPage = NewBox(gbxOnEveryPage, "chbxHeadersOnEveryPage", 12, 40, 300);
    BindBox(chbxHeadersOnEveryPage, &TCustomdxTreeListReportLink::SetHeadersOnEveryPage);
    chbxFootersOnEveryPage = NewBox(gbxOnEveryPage, "chbxFootersOnEveryPage", 12, 62, 300);
    BindBox(chbxFootersOnEveryPage, &TCustomdxTreeListReportLink::SetFootersOnEveryPage);

    gbxGraphics = NewGroup(page, "gbxGraphics", 8, 170, 184, 66);
    NewOptionBox(gbxGraphics, "chbxTransparentGraphics", tlpoTransparentColumnGraphic, 12, 18, 164);
    NewOptionBox(gbxGraphics, "chbxDisplayGraphicsAsText", tlpoGraphicAsText, 12, 40, 164);

    gbx3DEffects = NewGroup(page, "gbx3DEffects", 200, 170, 176, 66);
    NewOptionBox(gbx3DEffects, "chbxUse3DEffects", tlpo3DEffects, 12, 18, 138);
    NewOptionBox(gbx3DEffects, "chbxUseSoft3D", tlpoSoft3D, 12, 40, 138);
}

void TdxTLReportLinkDesignWindow::LoadStrings()
{
    tshOptions->SetCaption("Options");
    tshColors->SetCaption("Colors");
    tshFonts->SetCaption("Fonts");
    tshBehaviors->SetCaption("Behaviors");

    gbxShow->SetCaption("Show");
    OptionBox(tlpoBands)->SetCaption("&Bands");
    OptionBox(tlpoHeaders)->SetCaption("H&eaders");
    OptionBox(tlpoFooters)->SetCaption("Foote&rs");
    OptionBox(tlpoRowFooters)->SetCaption("&Group Footers");
    OptionBox(tlpoPreview)->SetCaption("Previe&w");
    chbxAutoCalcPreviewLines->SetCaption("A&uto Calculate Preview Lines");
    lblPreviewLineCount->SetCaption("Preview Line Coun&t:");
    gbxGrid->SetCaption("Grid");
    OptionBox(tlpoGrid)->SetCaption("Gri&d");
    OptionBox(tlpoPreviewGrid)->SetCaption("&Nodes Grid");
    OptionBox(tlpoRowFooterGrid)->SetCaption("Grou&p Footers Grid");
    gbxImages->SetCaption("Images");
    OptionBox(tlpoStateImages)->SetCaption("&State Images");
    OptionBox(tlpoImages)->SetCaption("&Images");
    gbxMiscellaneous->SetCaption("Miscellaneous");
    OptionBox(tlpoFlatCheckMarks)->SetCaption("F&lat CheckMarks");
    OptionBox(tlpoCheckMarksAsText)->SetCaption("&Display CheckMarks as Text");
    lblDrawMode->SetCaption("Draw &Mode:");
    cbxDrawMode->Items()->Clear();
    for (const char* mode : {"Strict", "Odd/Even Rows Mode", "Borrow From Source"})
        cbxDrawMode->Items()->Add(mode);

    chbxTransparent->SetCaption("&Transparent");
    m_colorLabels[ciColor]->SetCaption("Co&lor:");
    m_colorLabels[ciEvenColor]->SetCaption("E&ven Color:");
    m_colorLabels[ciPreviewColor]->SetCaption("&Preview Color:");
    chbxFixedTransparent->SetCaption("Fi&xed Transparent");
    m_colorLabels[ciBandColor]->SetCaption("&Band Color:");
    m_colorLabels[ciHeaderColor]->SetCaption("H&eader Color:");
    m_colorLabels[ciRowFooterColor]->SetCaption("&Group Footer Color:");
    m_colorLabels[ciGroupNodeColor]->SetCaption("Group &Node Color:");
    m_colorLabels[ciGridLineColor]->SetCaption("Gri&d Line Color:");

    btnChangeFont->SetCaption("Change Fo&nt...");
    miChangeFont->SetCaption("Change Fo&nt...");

    gbxSelection->SetCaption("Selection");
    chbxOnlySelected->SetCaption("Only &Selected");
    chbxExtendedSelect->SetCaption("&Extended Select");
    gbxNodeExpanding->SetCaption("Node Expanding");
    chbxAutoNodesExpand->SetCaption("A&uto Nodes Expand");
    lblExpandLevel->SetCaption("Expand &Level:");
    gbxOnEveryPage->SetCaption("On Every Page");
    chbxBandsOnEveryPage->SetCaption("Bands On Eve&ry Page");
    chbxHeadersOnEveryPage->SetCaption("Headers On Every &Page");
    chbxFootersOnEveryPage->SetCaption("Footers On E&very Page");
    gbxGraphics->SetCaption("Graphics");
    OptionBox(tlpoTransparentColumnGraphic)->SetCaption("Transparent &Graphics");
    OptionBox(tlpoGraphicAsText)->SetCaption("Display Graphic As &Text");
    gbx3DEffects->SetCaption("3D Effects");
    OptionBox(tlpo3DEffects)->SetCaption("Use &3D Effects");
    OptionBox(tlpoSoft3D)->SetCaption("Sof&t3D");
}

// ----- the link and the controls ---------------------------------------------------------------

TCustomdxTreeListReportLink* TdxTLReportLinkDesignWindow::TreeListLink() const
{
    return dynamic_cast<TCustomdxTreeListReportLink*>(ReportLink());
}

void TdxTLReportLinkDesignWindow::LoadControls()
{
    LoadFromLink();
    UpdateControlsState();
    UpdatePreview();
}

void TdxTLReportLinkDesignWindow::LoadFromLink()
{
    TCustomdxTreeListReportLink* link = TreeListLink();
    if (!link)
        return;
    TValueRestorer<bool> loading(m_loading, true);
    const TdxTreeListPaintOptions options = link->Options();
    for (int o = 0; o < 16; ++o)
        m_optionBoxes[o]->SetChecked(options.Contains(static_cast<TdxTreeListPaintOption>(o)));
    OptionBox(tlpoGrid)->SetChecked(link->EffectiveGrid());
    OptionBox(tlpoPreviewGrid)->SetChecked(link->EffectivePreviewGrid());
    const bool automatic = link->PreviewLineCount() < 0;
    chbxAutoCalcPreviewLines->SetChecked(automatic);
    sePreviewLineCount->SetMinValue(automatic ? -1 : 0);
    sePreviewLineCount->SetValue(link->PreviewLineCount());
    cbxDrawMode->SetItemIndex(link->DrawMode());

    chbxTransparent->SetChecked(link->Transparent());
    chbxFixedTransparent->SetChecked(link->FixedTransparent());
    const TColor colors[ciCount] = {link->Color(),          link->EvenColor(),      link->PreviewColor(),
                                    link->BandColor(),      link->GroupNodeColor(), link->HeaderColor(),
                                    link->RowFooterColor(), link->GridLineColor()};
    for (int i = 0; i < ciCount; ++i)
        m_colorCombos[i]->SetColorValue(colors[i]);

    chbxOnlySelected->SetChecked(link->OnlySelected());
    chbxExtendedSelect->SetChecked(link->ExtendedSelect());
    chbxAutoNodesExpand->SetChecked(link->AutoNodesExpand());
    seExpandLevel->SetValue(link->ExpandLevel());
    chbxBandsOnEveryPage->SetChecked(link->BandsOnEveryPage());
    chbxHeadersOnEveryPage->SetChecked(link->HeadersOnEveryPage());
    chbxFootersOnEveryPage->SetChecked(link->FootersOnEveryPage());
    lbxFonts->Invalidate();
}

void TdxTLReportLinkDesignWindow::UpdateControlsState()
{
    TCustomdxTreeListReportLink* link = TreeListLink();
    if (!link)
        return;
    const bool oddEven = link->DrawMode() == tldmOddEven;
    m_colorLabels[ciColor]->SetCaption(oddEven ? "Odd Co&lor:" : "Co&lor:");
    const bool opaque = !link->Transparent();
    const bool fixedOpaque = !link->FixedTransparent();
    for (int i = 0; i < ciCount; ++i) {
        bool enabled = true;
        if (i <= ciPreviewColor)
            enabled = opaque && (i != ciEvenColor || oddEven);
        else if (i != ciGridLineColor)
            enabled = fixedOpaque;
        m_colorCombos[i]->SetEnabled(enabled);
        m_colorLabels[i]->SetEnabled(enabled);
    }
    const bool preview = link->Options().Contains(tlpoPreview);
    const bool counted = preview && link->PreviewLineCount() >= 0;
    chbxAutoCalcPreviewLines->SetEnabled(preview);
    lblPreviewLineCount->SetEnabled(counted);
    sePreviewLineCount->SetEnabled(counted);
    // Node expanding means nothing to a link whose expand level is fixed
    // (the grid's), and its level nothing where nodes cannot expand.
    const bool levels = !link->IsExpandLevelFixed();
    for (TControl* c : {static_cast<TControl*>(gbxNodeExpanding), static_cast<TControl*>(chbxAutoNodesExpand)})
        c->SetVisible(levels);
    for (TControl* c : {static_cast<TControl*>(lblExpandLevel), static_cast<TControl*>(seExpandLevel)})
        c->SetVisible(levels && link->CanExpandNodes());
    lbxFonts->Invalidate();
}

bool TdxTLReportLinkDesignWindow::CanEdit() const
{
    return !m_loading && TreeListLink();
}

void TdxTLReportLinkDesignWindow::Edited()
{
    SetModified(true);
    UpdateControlsState();
    UpdatePreview();
}

void TdxTLReportLinkDesignWindow::OptionBoxClick(TCheckBox* Box)
{
    if (!CanEdit())
        return;
    TCustomdxTreeListReportLink* link = TreeListLink();
    TdxTreeListPaintOptions options = link->Options();
    options.Set(static_cast<TdxTreeListPaintOption>(Box->Tag()), Box->Checked());
    link->SetOptions(options);
    Edited();
}

void TdxTLReportLinkDesignWindow::ColorChange(TdxPSColorCombo* Combo)
{
    if (!CanEdit())
        return;
    TCustomdxTreeListReportLink* link = TreeListLink();
    const TColor color = Combo->ColorValue();
    switch (Combo->Tag()) {
    case ciColor: link->SetColor(color); break;
    case ciEvenColor: link->SetEvenColor(color); break;
    case ciPreviewColor: link->SetPreviewColor(color); break;
    case ciBandColor: link->SetBandColor(color); break;
    case ciGroupNodeColor: link->SetGroupNodeColor(color); break;
    case ciHeaderColor: link->SetHeaderColor(color); break;
    case ciRowFooterColor: link->SetRowFooterColor(color); break;
    default: link->SetGridLineColor(color); break;
    }
    Edited();
}

// ----- fonts --------------------------------------------------------------------------------------

TFont* TdxTLReportLinkDesignWindow::ItemFont(int Index) const
{
    TCustomdxTreeListReportLink* link = TreeListLink();
    if (!link)
        return nullptr;
    switch (Index) {
    case fiBand: return link->BandFont();
    case fiFont: return link->Font();
    case fiOdd: return link->OddFont();
    case fiEven: return link->EvenFont();
    case fiGroupNode: return link->GroupNodeFont();
    case fiFooter: return link->FooterFont();
    case fiHeader: return link->HeaderFont();
    case fiPreview: return link->PreviewFont();
    case fiRowFooter: return link->RowFooterFont();
    default: return nullptr;
    }
}

bool TdxTLReportLinkDesignWindow::IsItemChangeable(int Index) const
{
    TCustomdxTreeListReportLink* link = TreeListLink();
    if (!link || Index < 0 || Index >= fiCount)
        return false;
    return (Index != fiOdd && Index != fiEven) || link->DrawMode() == tldmOddEven;
}

void TdxTLReportLinkDesignWindow::ChangeFont()
{
    if (!TreeListLink())
        return;
    std::vector<int> targets;
    for (int i = 0; i < fiCount; ++i)
        if (lbxFonts->Selected(i) && IsItemChangeable(i))
            targets.push_back(i);
    if (targets.empty())
        return;
    // The dialog starts from the item the user is on, or the first one it changes.
    const int current = lbxFonts->ItemIndex();
    const int start = std::find(targets.begin(), targets.end(), current) != targets.end() ? current : targets.front();
    TFontDialog dialog(nullptr);
    dialog.SetFont(ItemFont(start));
    dialog.SetDevice(dxIsPrinterInstalled() ? fdPrinter : fdScreen);
    TFreeWatch watch{this};
    if (!dialog.Execute() || watch.Freed(this) || !TreeListLink())
        return;
    for (int i : targets)
        if (TFont* font = ItemFont(i))
            font->Assign(dialog.Font());
    lbxFonts->Invalidate();
    Edited();
}

void TdxTLReportLinkDesignWindow::Notification(TComponent* AComponent, TOperation Operation)
{
    const bool linkGone = Operation == opRemove && AComponent && AComponent == ReportLink();
    TAbstractdxReportLinkDesignWindow::Notification(AComponent, Operation);
    // Nothing is left to design: the window ends as Cancel would.
    if (linkGone && Visible())
        SetModalResult(mrCancel);
}

// ----- registration ---------------------------------------------------------------------------------

void dxInstallTLReportLinkDesignWindow()
{
    static const bool installed = [] {
        TClassRegistry::Instance().Register("TdxTLReportLinkDesignWindow", "TAbstractdxReportLinkDesignWindow",
                                            [](TComponent* Owner) {
                                                return static_cast<TComponent*>(
                                                    CreateForm<TdxTLReportLinkDesignWindow>(Owner));
                                            });
        return true;
    }();
    (void)installed;
    dxReportLinkDialogRunners().DesignWindow = [](TAbstractdxReportLinkDesignWindow& Window) {
        return Window.Execute();
    };
}

} // namespace qel
