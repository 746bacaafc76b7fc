#include "preview/PageSetupForm.h"

#include "platform/controls/Application.h"
#include "platform/controls/Buttons.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/MathUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"
#include "preview/Preview.h"
#include "preview/detail/PageSetupResources.h"
#include "preview/detail/PrintDialogResources.h"
#include "printing/HeaderFooterFunctions.h"
#include "printing/PrintControls.h"
#include "printing/PrintStyles.h"

namespace qel {

QEL_REGISTER_CLASS(TdxfmPageSetupDialog, TCustomdxPSForm);

namespace {

// Screen pixels at 96 pixels per inch, scaled to the screen.
int S(int Pixels)
{
    return MulDiv(Pixels, Screen().PixelsPerInch(), 96);
}

template <class T>
T* Make(TComponent* Owner, TWinControl* Parent, int Left, int Top, int Width, int Height,
        const std::string& Caption = {})
{
    auto* c = new T(Owner);
    c->SetParent(Parent);
    c->SetBounds(S(Left), S(Top), S(Width), S(Height));
    if (!Caption.empty())
        c->SetCaption(Caption);
    return c;
}

TPanel* MakePanel(TComponent* Owner, TWinControl* Parent)
{
    auto* p = new TPanel(Owner);
    p->SetParent(Parent);
    p->SetBevelOuter(bvNone);
    p->SetCaption("");
    return p;
}

constexpr int kFormWidth = 480;
constexpr int kStyleNameHeight = 36;
constexpr int kButtonsHeight = 40;
constexpr int kMainHeight = 366;

} // namespace

TdxfmPageSetupDialog::TdxfmPageSetupDialog(TComponent* AOwner) : TCustomdxPSForm(AOwner)
{
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetCaption(TdxPageSetupDialog::DefaultTitle);
    detail::SetFormIconResource(*this, detail::dxPageSetupIconResource);
    SetClientWidth(S(kFormWidth));
    SetClientHeight(S(kStyleNameHeight + kMainHeight + kButtonsHeight));
    m_paperImages = detail::CreatePageSetupPaperImages();
    m_pageOrderImages = detail::CreatePageSetupPageOrderImages();
    m_alignYImages = detail::CreatePageSetupAlignYImages();
    m_functionTemplates = std::make_unique<TStringList>();
    CreateControls();
}

TdxfmPageSetupDialog::~TdxfmPageSetupDialog()
{
    // The controls use the image lists and the edited style while they go.
    DestroyComponents();
}

void TdxfmPageSetupDialog::CreateControls()
{
    pnlStyleName = MakePanel(this, this);
    pnlStyleName->SetHeight(S(kStyleNameHeight));
    pnlStyleName->SetAlign(alTop);
    lblStyleName = Make<TLabel>(this, pnlStyleName, 8, 12, 70, 13, "Style Name:");
    edStyleName = Make<TEdit>(this, pnlStyleName, 80, 8, 280, 21);
    edStyleName->SetMaxLength(31);
    lblStyleName->SetFocusControl(edStyleName);
    edStyleName->OnChange = [this](TObject*) { MarkModified(); };
    edStyleName->OnExit = [this](TObject*) { StyleNameExited(); };
    btnOptions = Make<TButton>(this, pnlStyleName, 368, 7, 104, 23, "&Options...");
    btnOptions->OnClick = [this](TObject*) { OptionsClicked(); };

    pnlButtons = MakePanel(this, this);
    pnlButtons->SetHeight(S(kButtonsHeight));
    pnlButtons->SetAlign(alBottom);

    pnlMain = MakePanel(this, this);
    pnlMain->SetBorderWidth(S(8));
    pnlMain->SetAlign(alClient);
    pgctrlMain = new TPageControl(this);
    pgctrlMain->SetParent(pnlMain);
    pgctrlMain->SetAlign(alClient);
    const auto sheet = [this](const char* Caption) {
        auto* t = new TTabSheet(this);
        t->SetPageControl(pgctrlMain);
        t->SetCaption(Caption);
        return t;
    };
    tshPage = sheet("&Page");
    tshMargins = sheet("&Margins");
    tshHeaderFooter = sheet("&Header\\Footer");
    tshScaling = sheet("&Scaling");
    pgctrlMain->OnChanging = [this](TObject*, bool& AllowChange) { MarginsTabChanging(AllowChange); };

    CreatePageTab();
    CreateMarginsTab();
    CreateHeaderFooterTab();
    CreateScalingTab();
    CreateButtons();
}

TdxPSSpinEdit* TdxfmPageSetupDialog::CreateSpinEdit(TWinControl* Parent, TLabel* Label, int Left, int Top, int Width,
                                                    bool Float, bool OwnPageIncrement)
{
    auto* e = Make<TdxPSSpinEdit>(this, Parent, Left, Top, Width, 22);
    if (Float) {
        e->SetValueType(svtFloat);
        e->SetDecimal(2);
        e->SetIncrement(0.1);
        if (!OwnPageIncrement)
            e->SetPageIncrement(1.0);
    } else {
        e->SetIncrement(1);
        e->SetPageIncrement(10);
    }
    if (Label)
        Label->SetFocusControl(e);
    return e;
}

void TdxfmPageSetupDialog::CreatePageTab()
{
    gbxPaper = Make<TGroupBox>(this, tshPage, 6, 4, 220, 312, " Paper ");
    lbxPaperType = Make<TListBox>(this, gbxPaper, 8, 20, 204, 132);
    lbxPaperType->SetStyle(lbOwnerDrawFixed);
    lbxPaperType->SetItemHeight(S(18));
    lbxPaperType->OnDrawItem = [this](TWinControl*, int Index, TRect Rect, TOwnerDrawState State) {
        DrawPaperItem(Index, Rect, State.Contains(odSelected));
    };
    lbxPaperType->OnClick = [this](TObject*) { ChoosePaper(); };
    lblDimension = Make<TLabel>(this, gbxPaper, 8, 160, 120, 13, "Dimension");
    lblPaperWidth = Make<TLabel>(this, gbxPaper, 16, 182, 50, 13, "W&idth:");
    sePaperWidth = CreateSpinEdit(gbxPaper, lblPaperWidth, 72, 178, 100, true);
    lblPaperHeight = Make<TLabel>(this, gbxPaper, 16, 208, 50, 13, "H&eight:");
    sePaperHeight = CreateSpinEdit(gbxPaper, lblPaperHeight, 72, 204, 100, true);
    for (TdxPSSpinEdit* e : {sePaperWidth, sePaperHeight}) {
        e->OnChange = [this](TObject*) {
            if (m_loading)
                return;
            m_paperSizeEdited = true;
            MarkModified();
        };
        e->OnExit = [this](TObject*) { PaperSizeEdited(); };
        e->OnButtonClick = [this](TObject*, TdxSpinButtonKind) { PaperSizeEdited(); };
    }
    lblPaperSource = Make<TLabel>(this, gbxPaper, 8, 238, 120, 13, "Paper so&urce");
    cbxPaperSource = Make<TComboBox>(this, gbxPaper, 8, 256, 204, 22);
    cbxPaperSource->SetStyle(csOwnerDrawFixed);
    cbxPaperSource->SetItemHeight(S(18));
    lblPaperSource->SetFocusControl(cbxPaperSource);
    cbxPaperSource->OnDrawItem = [this](TWinControl*, int Index, TRect Rect, TOwnerDrawState State) {
        DrawBinItem(Index, Rect, State.Contains(odSelected));
    };
    cbxPaperSource->OnChange = [this](TObject*) {
        if (m_loading)
            return;
        const int i = cbxPaperSource->ItemIndex();
        if (i >= 0 && i < static_cast<int>(m_bins.size()))
            Page()->SetPaperSource(m_bins[static_cast<std::size_t>(i)].Code);
        MarkModified();
    };

    gbxOrientation = Make<TGroupBox>(this, tshPage, 232, 4, 218, 134, " Orientation ");
    rBtnPortrait = Make<TRadioButton>(this, gbxOrientation, 10, 40, 86, 18, "P&ortrait");
    rBtnLandscape = Make<TRadioButton>(this, gbxOrientation, 10, 72, 86, 18, "&Landscape");
    rBtnLandscape->SetTag(1);
    for (TRadioButton* b : {rBtnPortrait, rBtnLandscape}) {
        b->OnClick = [this, b](TObject*) {
            if (b->Checked())
                OrientationClicked(b->Tag());
        };
        b->OnDblClick = [this](TObject*) { SetModalResult(mrOk); };
    }
    // Room for a page at the preview's least zoom in either orientation.
    prvOrientation = Make<TdxPreview>(this, gbxOrientation, 96, 16, 116, 112);
    prvOrientation->SetEnabled(false);
    prvOrientation->SetLookAndFeel(plfFlat);
    prvOrientation->SetColor(clBtnFace);
    prvOrientation->SetScrollBars(ssNone);
    prvOrientation->SetBorderStyle(bsNone);
    prvOrientation->SetOptionsView(TdxPreviewOptionsView{povDefaultDrawPageBackground});
    prvOrientation->SetOptionsBehavior({});
    prvOrientation->SetOptionsZoom({});
    prvOrientation->SetOptionsHint({});
    prvOrientation->SetMinHeaderSize(0);
    prvOrientation->SetMinFooterSize(0);
    for (int k = 0; k < dxPreviewMarginCount; ++k) {
        TdxPreviewMargin* m = prvOrientation->Margins()->Items(static_cast<TdxPreviewMarginType>(k));
        m->SetMinValue(0);
        m->SetValue(0);
    }
    prvOrientation->SetPageCount(1);
    prvOrientation->SetZoomMode(pzmPages);

    gbxPrintOrder = Make<TGroupBox>(this, tshPage, 232, 144, 218, 96, " Print Order ");
    rbtnOverThenDown = Make<TRadioButton>(this, gbxPrintOrder, 10, 28, 134, 18, "O&ver, then down");
    rbtnDownThenOver = Make<TRadioButton>(this, gbxPrintOrder, 10, 56, 134, 18, "&Down, then over");
    rbtnDownThenOver->SetTag(1);
    for (TRadioButton* b : {rbtnOverThenDown, rbtnDownThenOver})
        b->OnClick = [this, b](TObject*) {
            if (m_loading || !b->Checked())
                return;
            Page()->SetPageOrder(static_cast<TdxPageOrder>(b->Tag()));
            pbxPrintOrder->Invalidate();
            MarkModified();
        };
    pbxPrintOrder = Make<TPaintBox>(this, gbxPrintOrder, 152, 24, 52, 52);
    pbxPrintOrder->OnPaint = [this](TObject*) { DrawPrintOrder(); };
    pbxPrintOrder->OnDblClick = [this](TObject*) {
        if (!gbxPrintOrder->Enabled())
            return;
        (rbtnOverThenDown->Checked() ? rbtnDownThenOver : rbtnOverThenDown)->SetChecked(true);
    };

    gbxShading = Make<TGroupBox>(this, tshPage, 232, 246, 218, 52, " Shading ");
    chbxShading = Make<TCheckBox>(this, gbxShading, 12, 22, 196, 18, "Print using &gray shading");
    BindToPage(chbxShading, &TdxPrinterPage::SetGrayShading);
}

void TdxfmPageSetupDialog::BindToPage(TCheckBox* Box, void (TdxPrinterPage::*Set)(bool), TControl* Shows)
{
    Box->OnClick = [this, Box, Set, Shows](TObject*) {
        if (m_loading)
            return;
        (Page()->*Set)(Box->Checked());
        if (Shows)
            Shows->Invalidate();
        MarkModified();
    };
}

void TdxfmPageSetupDialog::CreateMarginsTab()
{
    gbxMargins = Make<TGroupBox>(this, tshMargins, 6, 4, 220, 200, " Margins ");
    struct Row {
        TLabel*& Label;
        TdxPSSpinEdit*& Edit;
        const char* Caption;
        int Top;
        TdxPreviewMarginType Kind;
    };
    const Row rows[] = {{lblTop, seTop, "&Top:", 24, pmTop},
                        {lblBottom, seBottom, "&Bottom:", 52, pmBottom},
                        {lblLeft, seLeft, "&Left:", 80, pmLeft},
                        {lblRight, seRight, "Ri&ght:", 108, pmRight}};
    for (const Row& r : rows) {
        r.Label = Make<TLabel>(this, gbxMargins, 12, r.Top + 4, 60, 13, r.Caption);
        // Right and Footer keep the spin edit's own page increment.
        r.Edit = CreateSpinEdit(gbxMargins, r.Label, 84, r.Top, 110, true, r.Kind == pmRight);
        r.Edit->SetTag(r.Kind);
    }
    pnlHFMargins = MakePanel(this, gbxMargins);
    pnlHFMargins->SetBounds(S(2), S(134), S(214), S(60));
    lblHeaderMargin = Make<TLabel>(this, pnlHFMargins, 10, 8, 60, 13, "H&eader:");
    seHeader = CreateSpinEdit(pnlHFMargins, lblHeaderMargin, 82, 4, 110, true);
    seHeader->SetTag(pmHeader);
    lblFooterMargin = Make<TLabel>(this, pnlHFMargins, 10, 36, 60, 13, "Foote&r:");
    seFooter = CreateSpinEdit(pnlHFMargins, lblFooterMargin, 82, 32, 110, true, true);
    seFooter->SetTag(pmFooter);
    for (TdxPSSpinEdit* e : {seTop, seBottom, seLeft, seRight, seHeader, seFooter}) {
        e->OnChange = [this](TObject*) { MarginEdited(); };
        e->OnExit = [this](TObject*) { ValidateMargins(); };
        e->OnButtonClick = [this](TObject*, TdxSpinButtonKind) { ValidateMargins(); };
    }

    btnFix = Make<TButton>(this, tshMargins, 6, 210, 104, 23, "&Fix");
    btnFix->OnClick = [this](TObject*) { FixMargins(); };
    btnRestoreOriginalMargins = Make<TButton>(this, tshMargins, 116, 210, 110, 23, "Restore &Original");
    btnRestoreOriginalMargins->OnClick = [this](TObject*) { RestoreOriginalMargins(); };

    pnlCenterOnPage = MakePanel(this, tshMargins);
    pnlCenterOnPage->SetBounds(S(6), S(242), S(220), S(72));
    lblCenterOnPage = Make<TLabel>(this, pnlCenterOnPage, 4, 4, 200, 13, "Center on page");
    chbxCenterHorz = Make<TCheckBox>(this, pnlCenterOnPage, 12, 24, 150, 18, "Hori&zontally");
    chbxCenterVert = Make<TCheckBox>(this, pnlCenterOnPage, 12, 46, 150, 18, "&Vertically");
    chbxCenterVert->SetTag(1);

    lblPreview = Make<TLabel>(this, tshMargins, 234, 4, 100, 13, "Preview");
    prvMargins = Make<TdxPreview>(this, tshMargins, 234, 20, 216, 222);
    prvMargins->SetScrollBars(ssNone);
    prvMargins->SetOptionsZoom({});
    prvMargins->SetOptionsView(TdxPreviewOptionsView{povDefaultDrawPageBackground, povMargins});
    prvMargins->SetMinHeaderSize(0);
    prvMargins->SetMinFooterSize(0);
    prvMargins->Margins()->Gutter()->SetVisible(false);
    prvMargins->SetPageCount(1);
    prvMargins->SetZoomMode(pzmPages);
    prvMargins->OnDrawPageContent = [this](TObject*, TCanvas& Canvas, const TRect& Rect, int) {
        DrawMarginsPreviewPage(Canvas, Rect);
    };
    prvMargins->OnAfterDragMargin = [this](TObject*, TdxPreviewMargin* Margin) { MarginDragged(Margin); };
    BindToPage(chbxCenterHorz, &TdxPrinterPage::SetCenterOnPageH, prvMargins);
    BindToPage(chbxCenterVert, &TdxPrinterPage::SetCenterOnPageV, prvMargins);

    bmaWarning = Make<TdxPSBitmapAnimator>(this, tshMargins, 234, 248, 216, 66);
}

void TdxfmPageSetupDialog::CreateHeaderFooterPart(bool Header, int Top)
{
    TPanel* part = MakePanel(this, tshHeaderFooter);
    part->SetBounds(S(0), S(Top), S(456), S(104));
    auto* caption = Make<TLabel>(this, part, 6, 2, 100, 13, Header ? "Header " : "Footer ");
    TPanel* memos = MakePanel(this, part);
    memos->SetBounds(S(6), S(18), S(446), S(54));
    TMemo* m[3];
    for (int i = 0; i < 3; ++i) {
        m[i] = Make<TMemo>(this, memos, i * 150, 0, 146, 54);
        m[i]->SetScrollBars(ssVertical);
        m[i]->SetTag(i + (Header ? 0 : 3));
        TMemo* memo = m[i];
        memo->OnEnter = [this, memo](TObject*) { MemoEntered(memo); };
        memo->OnExit = [this, memo](TObject*) { MemoExited(memo); };
        memo->OnChange = [this](TObject*) {
            if (!m_loading)
                MarkModified();
        };
    }
    caption->SetFocusControl(m[0]);
    auto* font = Make<TButton>(this, part, 6, 76, 84, 23, Header ? "&Font..." : "Fo&nt...");
    font->OnClick = [this, Header](TObject*) { FontClicked(Header); };
    auto* info = Make<TEdit>(this, part, 96, 77, 204, 21);
    info->SetReadOnly(true);
    info->SetTabStop(false);
    info->SetColor(clBtnFace);
    auto* background = Make<TBitBtn>(this, part, 306, 76, 146, 23, Header ? "&Background" : "Back&ground");
    background->OnClick = [this, Header](TObject*) { BackgroundClicked(Header); };
    if (Header) {
        pnlHeader = part, lblHeader = caption, pnlHeaderMemos = memos;
        memHeaderLeft = m[0], memHeaderCenter = m[1], memHeaderRight = m[2];
        btnHeaderFont = font, edHeaderFontInfo = info, btnHeaderBackground = background;
    } else {
        pnlFooter = part, lblFooter = caption, pnlFooterMemos = memos;
        memFooterLeft = m[0], memFooterCenter = m[1], memFooterRight = m[2];
        btnFooterFont = font, edFooterFontInfo = info, btnFooterBackGround = background;
    }
}

void TdxfmPageSetupDialog::CreateHeaderFooterTab()
{
    CreateHeaderFooterPart(true, 2);
    CreateHeaderFooterPart(false, 104);

    gbxFunctions = Make<TGroupBox>(this, tshHeaderFooter, 6, 210, 300, 52, " Functions ");
    tbPredefined = new TToolBar(this);
    tbPredefined->SetParent(gbxFunctions);
    tbPredefined->SetAlign(alClient);
    tbPredefined->SetEnabled(false);
    CreateFunctionButtons();

    gbxVertAlignment = Make<TGroupBox>(this, tshHeaderFooter, 312, 210, 140, 52, " Vertical Alignment ");
    tbVertAlignment = new TToolBar(this);
    tbVertAlignment->SetParent(gbxVertAlignment);
    tbVertAlignment->SetAlign(alClient);
    tbVertAlignment->SetImages(m_alignYImages.get());
    tbVertAlignment->SetEnabled(false);
    TToolButton** buttons[] = {&tbtnAlignTop, &tbtnAlignCenter, &tbtnAlignBottom};
    const char* hints[] = {"Top", "Center", "Bottom"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new TToolButton(this);
        b->SetParent(tbVertAlignment);
        b->SetStyle(tbsCheck);
        b->SetGrouped(true);
        b->SetImageIndex(i);
        b->SetTag(i);
        b->SetHint(hints[i]);
        b->SetShowHint(true);
        b->OnClick = [this, i](TObject*) { AlignYClicked(i); };
        *buttons[i] = b;
    }

    chbxReverseOnEvenPages = Make<TCheckBox>(this, tshHeaderFooter, 8, 272, 250, 18, "&Reverse on even pages");
    BindToPage(chbxReverseOnEvenPages, &TdxPrinterPage::SetReverseTitlesOnEvenPages);
}

void TdxfmPageSetupDialog::CreateFunctionButtons()
{
    GetStandardHFFunctionTemplates(*m_functionTemplates);
    m_functionImages = std::make_unique<TImageList>(16, 16);
    for (int i = 0; i < m_functionTemplates->Count(); ++i) {
        auto* function = dynamic_cast<TdxHFFunction*>(m_functionTemplates->Objects(i));
        auto* b = new TToolButton(this);
        b->SetParent(tbPredefined);
        b->SetTag(i);
        int image = -1;
        if (function && function->Glyph() && !function->Glyph()->Empty())
            image = m_functionImages->AddMasked(function->Glyph(), function->Glyph()->TransparentColor());
        b->SetImageIndex(image);
        if (function) {
            b->SetHint(function->Hint());
            b->SetShowHint(true);
        }
        b->OnClick = [this, i](TObject*) { FunctionClicked(i); };
        // Only the templates are used later: the library's functions may go.
        m_functionTemplates->PutObject(i, nullptr);
    }
    tbPredefined->SetImages(m_functionImages.get());
}

void TdxfmPageSetupDialog::CreateScalingTab()
{
    rbtnAdjustTo = Make<TRadioButton>(this, tshScaling, 12, 18, 100, 18, "&Adjust To:");
    seScaleFactor = CreateSpinEdit(tshScaling, nullptr, 116, 16, 70, false);
    seScaleFactor->SetMinValue(10);
    seScaleFactor->SetMaxValue(500);
    lblPercentOfNormalSize = Make<TLabel>(this, tshScaling, 192, 20, 100, 13, "% normal size");
    rbtnFitTo = Make<TRadioButton>(this, tshScaling, 12, 50, 100, 18, "&Fit To:");
    rbtnFitTo->SetTag(1);
    seFitToWide = CreateSpinEdit(tshScaling, nullptr, 116, 48, 70, false);
    lblPagesWideBy = Make<TLabel>(this, tshScaling, 192, 52, 96, 13, "page(s) &wide by");
    lblPagesWideBy->SetFocusControl(seFitToWide);
    seFitToTall = CreateSpinEdit(tshScaling, nullptr, 292, 48, 70, false);
    lblTall = Make<TLabel>(this, tshScaling, 368, 52, 40, 13, "&tall");
    lblTall->SetFocusControl(seFitToTall);
    for (TdxPSSpinEdit* e : {seFitToWide, seFitToTall}) {
        e->SetMinValue(1);
        e->SetMaxValue(100);
    }
    for (TRadioButton* b : {rbtnAdjustTo, rbtnFitTo})
        b->OnClick = [this, b](TObject*) {
            if (b->Checked())
                ScaleModeClicked(b->Tag());
        };
    for (TdxPSSpinEdit* e : {seScaleFactor, seFitToWide, seFitToTall}) {
        e->OnChange = [this, e](TObject*) { ScaleEdited(e); };
        e->OnExit = [this, e](TObject*) { ScaleExited(e); };
        e->OnButtonClick = [this, e](TObject*, TdxSpinButtonKind) { ScaleExited(e); };
    }
}

void TdxfmPageSetupDialog::CreateButtons()
{
    btnPrint = Make<TButton>(this, pnlButtons, 8, 8, 84, 25, "Print...");
    btnPrint->OnClick = [this](TObject*) { PreviewOrPrintClicked(true); };
    btnPrintPreview = Make<TButton>(this, pnlButtons, 98, 8, 104, 25, "Print Pre&view...");
    btnPrintPreview->OnClick = [this](TObject*) { PreviewOrPrintClicked(false); };
    btnOK = Make<TButton>(this, pnlButtons, 236, 8, 75, 25, "OK");
    btnOK->SetName("btnOK");
    btnOK->SetDefault(true);
    btnOK->SetModalResult(mrOk);
    btnCancel = Make<TButton>(this, pnlButtons, 316, 8, 75, 25, "Cancel");
    btnCancel->SetName("btnCancel");
    btnCancel->SetCancel(true);
    btnCancel->SetModalResult(mrCancel);
    btnHelp = Make<TButton>(this, pnlButtons, 396, 8, 75, 25, "&Help");
    btnHelp->SetName("btnHelp");
}

void TdxfmPageSetupDialog::ArrangeButtons()
{
    // Help sits right-most; without it OK and Cancel move one place right.
    const int slots[] = {S(396), S(316), S(236)};
    const int shift = HelpContext() != 0 ? 0 : 1;
    btnHelp->SetVisible(HelpContext() != 0);
    btnCancel->SetLeft(slots[1 - shift]);
    btnOK->SetLeft(slots[2 - shift]);
    // Preview takes the place of a hidden Print.
    btnPrintPreview->SetLeft(btnPrint->Visible() ? S(98) : btnPrint->Left());
}

} // namespace qel
