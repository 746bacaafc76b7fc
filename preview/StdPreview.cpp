#include "preview/StdPreview.h"

#include "platform/controls/Application.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Menus.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Guards.h"
#include "platform/core/Locale.h"
#include "platform/graphics/ImageList.h"
#include "platform/storage/Registry.h"
#include "preview/PageSetupMenuBuilder.h"
#include "preview/ZoomFactorComboEdit.h"
#include "printing/ComponentPrinter.h"
#include "printing/PrintControls.h"
#include "printing/PrintDevice.h"
#include "printing/PrintStyles.h"
#include "printing/ReportLink.h"
#include "printing/ReportLinkRegistry.h"

#include <algorithm>

namespace qel {

namespace {


// One flag for the whole program: a second print or page setup while one runs is ignored.
bool g_commandRunning = false;

TShortCut Ctrl(std::uint16_t Key)
{
    return ShortCut(Key, {ssCtrl});
}

bool HasPrinters()
{
    try {
        TStringList* printers = dxPrintDevice()->Printers();
        return printers && printers->Count() > 0;
    } catch (const std::exception&) {
        return false;
    }
}

// The zoom box's entries: its picture per zoom list index.
int ZoomBoxImage(int Index)
{
    switch (Index) {
    case 8: return pgPageWidth;
    case 9: return pgOnePage;
    case 10: return pgTwoPages;
    case 11: return pgFourPages;
    case 12: return pgWidenToSourceWidth;
    default: return pgZoom;
    }
}

} // namespace

void dxInstallStdPreviewWindow()
{
    static const bool installed = [] {
        // Made whole (its controls built) when the component printer creates it by name.
        TClassRegistry::Instance().Register("TdxfmStdPreview", "TCustomdxPSPreviewWindow", [](TComponent* Owner) {
            return static_cast<TComponent*>(CreateForm<TdxfmStdPreview>(Owner));
        });
        RegisterPreviewWindowClass("TdxfmStdPreview");
        return true;
    }();
    (void)installed;
}

TdxfmStdPreview::TdxfmStdPreview(TComponent* AOwner) : TCustomdxPSPreviewWindow(AOwner)
{
    SetCaption("Preview");
    SetColor(clBtnFace);
    SetKeyPreview(true);
    SetPosition(poDefault);
}

TdxfmStdPreview::~TdxfmStdPreview()
{
    SaveSettings();
}

bool TdxfmStdPreview::CommandRunning()
{
    return g_commandRunning;
}

// ============================================================================
// Construction

void TdxfmStdPreview::CreateControls()
{
    CreateImages();
    CreateToolBar();
    TCustomdxPSPreviewWindow::CreateControls();
    CreateMenus();
    CreateZoomBox();
    CreatePageNumberBox();
    ApplyToolBarLook();
}

void TdxfmStdPreview::CreateImages()
{
    auto make = [this](int Size, bool Disabled) {
        auto* list = new TImageList(this);
        dxFillPreviewGlyphs(*list, Size, Disabled);
        return list;
    };
    m_smallImages = make(16, false);
    m_smallDisabledImages = make(16, true);
    m_largeImages = make(24, false);
    m_largeDisabledImages = make(24, true);
}

TToolButton* TdxfmStdPreview::AddButton(const char* Name, int Tag, TdxPreviewGlyph Glyph,
                                        void (TdxfmStdPreview::*Command)(TObject*), TToolButtonStyle Style)
{
    auto* button = new TToolButton(this);
    button->SetName(Name);
    button->SetTag(Tag);
    button->SetImageIndex(Glyph);
    button->SetStyle(Style);
    button->SetParent(m_toolBar);
    button->OnClick = [this, Command](TObject* Sender) { (this->*Command)(Sender); };
    return button;
}

void TdxfmStdPreview::AddSeparator()
{
    auto* separator = new TToolButton(this);
    separator->SetStyle(tbsSeparator);
    separator->SetWidth(8);
    separator->SetParent(m_toolBar);
}

void TdxfmStdPreview::CreateToolBar()
{
    m_toolBar = new TToolBar(this);
    m_toolBar->SetName("ToolBar");
    m_toolBar->SetParent(this);
    m_toolBar->SetAlign(alTop);
    m_toolBar->SetIndent(4);
    m_toolBar->SetShowHint(true);
    using S = TdxfmStdPreview;
    tbReportDesigner = AddButton("tbReportDesigner", 0, pgDesign, &S::DesignClick);
    AddSeparator();
    tbPrint = AddButton("tbPrint", 0, pgPrint, &S::PrintClick);
    tbPrintDialog = AddButton("tbPrintDialog", 1, pgPrintDialog, &S::PrintClick);
    tbPageSetup = AddButton("tbPageSetup", 2, pgPageSetup, &S::PageSetupClick, tbsDropDown);
    AddSeparator();
    tbPageBackground = AddButton("tbPageBackground", 0, pgBackground, &S::PageBackgroundClick);
    tbShrinkToPageWidth = AddButton("tbShrinkToPageWidth", 0, pgShrinkToPageWidth, &S::ShrinkToPageWidthClick,
                                    tbsCheck);
    tbShrinkToPageWidth->SetAllowAllUp(true);
    AddSeparator();
    tbPercent100 = AddButton("tbPercent100", 0, pgZoom100, &S::ZoomClick);
    tbPageWidth = AddButton("tbPageWidth", 1, pgPageWidth, &S::ZoomClick);
    tbOnePage = AddButton("tbOnePage", 2, pgOnePage, &S::ZoomClick);
    tbTwoPage = AddButton("tbTwoPage", 3, pgTwoPages, &S::ZoomClick);
    tbFourPage = AddButton("tbFourPage", 4, pgFourPages, &S::ZoomClick);
    tbMultiplePages = AddButton("tbMultiplePages", 0, pgMultiplePages, &S::MultiplePagesClick);
    tbWidenToSourceWidth = AddButton("tbWidenToSourceWidth", 5, pgWidenToSourceWidth, &S::ZoomClick);
    AddSeparator();
    pnlZoomCbx = new TPanel(this);
    pnlZoomCbx->SetName("pnlZoomCbx");
    pnlZoomCbx->SetCaption("");
    pnlZoomCbx->SetBevelOuter(bvNone);
    pnlZoomCbx->SetParent(m_toolBar);
    AddSeparator();
    tbGotoFirstPage = AddButton("tbGotoFirstPage", 0, pgFirstPage, &S::GoToPageClick);
    tbGotoPrevPage = AddButton("tbGotoPrevPage", 1, pgPrevPage, &S::GoToPageClick);
    AddSeparator();
    pnlCurrentPage = new TPanel(this);
    pnlCurrentPage->SetName("pnlCurrentPage");
    pnlCurrentPage->SetCaption("");
    pnlCurrentPage->SetBevelOuter(bvNone);
    pnlCurrentPage->SetWidth(60);
    pnlCurrentPage->SetParent(m_toolBar);
    AddSeparator();
    tbGotoNextPage = AddButton("tbGotoNextPage", 2, pgNextPage, &S::GoToPageClick);
    tbGotoLastPage = AddButton("tbGotoLastPage", 3, pgLastPage, &S::GoToPageClick);
    AddSeparator();
    tbHelp = AddButton("tbHelp", 0, pgHelp, &S::HelpClick);
    tbClose = AddButton("tbClose", 0, pgClose, &S::CloseClick);
}

TMenuItem* TdxfmStdPreview::AddItem(TMenuItem* Parent, const char* Caption, TNotifyEvent OnClick, TShortCut ShortCut,
                                    int ImageIndex, int Tag)
{
    auto* item = new TMenuItem(this);
    item->SetCaption(Caption);
    item->SetShortCut(ShortCut);
    item->SetImageIndex(ImageIndex);
    item->SetTag(Tag);
    item->OnClick = std::move(OnClick);
    Parent->Add(item);
    return item;
}

void TdxfmStdPreview::CreateMenus()
{
    auto cmd = [this](void (TdxfmStdPreview::*Command)(TObject*)) {
        return [this, Command](TObject* Sender) { (this->*Command)(Sender); };
    };
    auto toggle = [this](auto Setter, auto Getter) {
        return [this, Setter, Getter](TObject*) {
            if (!Locked())
                (this->*Setter)(!(this->*Getter)());
        };
    };
    using S = TdxfmStdPreview;
    m_mainMenu = new TMainMenu(this);
    m_mainMenu->SetImages(m_smallImages);
    TMenuItem* root = m_mainMenu->Items();

    m.File = AddItem(root, "&File");
    m.Design = AddItem(m.File, "&Design...", cmd(&S::DesignClick), Ctrl('D'), pgDesign);
    m.Print = AddItem(m.File, "&Print...", cmd(&S::PrintClick), Ctrl('P'), pgPrintDialog, 1);
    m.PageSetup = AddItem(m.File, "Page Set&up...", cmd(&S::PageSetupClick), 0, pgPageSetup, 2);
    m.PrintStyles = AddItem(m.File, "Print Styles");
    AddItem(m.File, "-");
    m.Options = AddItem(m.File, "&Options...", [this](TObject*) { Preferences(); });
    AddItem(m.File, "-");
    m.Close = AddItem(m.File, "&Close", cmd(&S::CloseClick), 0, pgClose);

    m.Edit = AddItem(root, "&Edit");
    AddItem(m.Edit, "&Find...", {}, Ctrl('F'));
    AddItem(m.Edit, "Find Ne&xt", {}, ShortCut(VK_F3, {}));
    AddItem(m.Edit, "&Replace...", {}, Ctrl('R'));
    m.Edit->SetVisible(false);

    m.View = AddItem(root, "&View");
    m.Margins = AddItem(m.View, "&Margins", toggle(&S::SetShowPageMargins, &S::ShowPageMargins), Ctrl('M'));
    m.FlatButtons = AddItem(m.View, "&Flat ToolBar Buttons", toggle(&S::SetFlatCtrls, &S::FlatCtrls));
    m.LargeButtons = AddItem(m.View, "&Large ToolBar Buttons", [this](TObject*) {
        if (Locked())
            return;
        SetLargeBtns(!LargeBtns());
        Preview()->Invalidate();
    });
    m.ToolBarItem = AddItem(m.View, "&ToolBar");
    m.ToolBarItem->SetVisible(false);
    m.MarginsBar = AddItem(m.View, "M&argins Bar", toggle(&S::SetShowMarginBar, &S::ShowMarginBar));
    m.StatusBar = AddItem(m.View, "&Status Bar", toggle(&S::SetShowStatusBar, &S::ShowStatusBar));
    AddItem(m.View, "-");
    auto addZoomItems = [&](TMenuItem* Zoom, bool WithSetup) {
        TMenuItem* first = AddItem(Zoom, "Percent &100", cmd(&S::ZoomClick), Ctrl(VK_OEM_5), pgZoom100, 0);
        TMenuItem* width = AddItem(Zoom, "Page &Width", cmd(&S::ZoomClick), Ctrl('0'), pgPageWidth, 1);
        TMenuItem* whole = AddItem(Zoom, "W&hole Page", cmd(&S::ZoomClick), Ctrl('1'), pgOnePage, 2);
        TMenuItem* two = AddItem(Zoom, "&Two Pages", cmd(&S::ZoomClick), Ctrl('2'), pgTwoPages, 3);
        TMenuItem* four = AddItem(Zoom, "&Four Pages", cmd(&S::ZoomClick), Ctrl('4'), pgFourPages, 4);
        TMenuItem* widen = AddItem(Zoom, "Widen To S&ource Width", cmd(&S::ZoomClick), Ctrl('W'),
                                   pgWidenToSourceWidth, 5);
        if (WithSetup) {
            m.Zoom100 = first;
            m.PageWidth = width;
            m.WholePage = whole;
            m.TwoPages = two;
            m.FourPages = four;
            m.Widen = widen;
            AddItem(Zoom, "-");
            m.ZoomSetup = AddItem(Zoom, "&Setup...", [this](TObject*) { ZoomDialog(); }, 0, pgZoom);
        }
    };
    m.Zoom = AddItem(m.View, "&Zoom");
    addZoomItems(m.Zoom, true);
    AddItem(m.View, "-");
    m.PageHeaders = AddItem(m.View, "Page &Headers", [this](TObject*) {
        if (TBasedxReportLink* link = ReportLink(); link && !Locked())
            SetShowPageHeader(!link->ShowPageHeader());
    });
    m.PageFooters = AddItem(m.View, "Page Foote&rs", [this](TObject*) {
        if (TBasedxReportLink* link = ReportLink(); link && !Locked())
            SetShowPageFooter(!link->ShowPageFooter());
    });

    m.Format = AddItem(root, "F&ormat");
    m.AutoText = AddItem(m.Format, "&Auto Text...");
    m.AutoText->SetVisible(false);
    // The link's format dialogs: on OK the bands showing dates and page numbers repaint.
    auto formatDialog = [this](bool (TBasedxReportLink::*Dialog)()) {
        return [this, Dialog](TObject*) {
            TBasedxReportLink* link = ReportLink();
            bool done = false;
            if (link)
                RunCommand([&] { done = (link->*Dialog)(); });
            if (done) {
                InvalidatePagesHeader();
                InvalidatePagesFooter();
            }
        };
    };
    m.DateTime = AddItem(m.Format, "Date And &Time...", formatDialog(&TBasedxReportLink::ShowDateTimeFormatsDlg));
    m.PageNumbering =
        AddItem(m.Format, "Page &Numbering...", formatDialog(&TBasedxReportLink::ShowPageNumberFormatsDlg));
    AddItem(m.Format, "-");
    m.ShowEmptyPages = AddItem(m.Format, "Show &Empty Pages", [this](TObject*) {
        if (TBasedxReportLink* link = ReportLink(); link && !Locked())
            SetShowEmptyPages(!link->ShowEmptyPages());
    });
    m.ShrinkToPage = AddItem(m.Format, "&Shrink To Page", cmd(&S::ShrinkToPageWidthClick), 0, pgShrinkToPageWidth);
    AddItem(m.Format, "-");
    m.Background = AddItem(m.Format, "Bac&kground...", cmd(&S::PageBackgroundClick), Ctrl('K'), pgBackground);

    m.Go = AddItem(root, "&Go");
    m.FirstPage = AddItem(m.Go, "&First Page", cmd(&S::GoToPageClick), ShortCut(VK_HOME, {}), pgFirstPage, 0);
    m.PrevPage = AddItem(m.Go, "&Previous Page", cmd(&S::GoToPageClick), ShortCut(VK_PRIOR, {}), pgPrevPage, 1);
    m.NextPage = AddItem(m.Go, "&Next Page", cmd(&S::GoToPageClick), ShortCut(VK_NEXT, {}), pgNextPage, 2);
    m.LastPage = AddItem(m.Go, "&Last Page", cmd(&S::GoToPageClick), ShortCut(VK_END, {}), pgLastPage, 3);

    m.Help = AddItem(root, "&Help");
    m.HelpTopics = AddItem(m.Help, "Help &Topics...", cmd(&S::HelpClick), 0, pgHelp);
    m.About = AddItem(m.Help, "&About...");
    m.About->SetVisible(false);
    SetMenu(m_mainMenu);

    // The preview's menu repeats the commands about the pages.
    m_previewPopup = new TPopupMenu(this);
    m_previewPopup->SetImages(m_smallImages);
    TMenuItem* popup = m_previewPopup->Items();
    m.PopupDesign = AddItem(popup, "&Design...", cmd(&S::DesignClick), 0, pgDesign);
    m.PopupPageSetup = AddItem(popup, "Page Set&up...", cmd(&S::PageSetupClick), 0, pgPageSetup, 2);
    m.PopupPrintStyles = AddItem(popup, "Print Styles");
    AddItem(popup, "-");
    m.PopupShrink = AddItem(popup, "&Shrink To Page", cmd(&S::ShrinkToPageWidthClick), 0, pgShrinkToPageWidth);
    m.PopupZoom = AddItem(popup, "&Zoom");
    addZoomItems(m.PopupZoom, false);
    AddItem(popup, "-");
    m.PopupFirst = AddItem(popup, "&First Page", cmd(&S::GoToPageClick), 0, pgFirstPage, 0);
    m.PopupPrev = AddItem(popup, "&Previous Page", cmd(&S::GoToPageClick), 0, pgPrevPage, 1);
    m.PopupNext = AddItem(popup, "&Next Page", cmd(&S::GoToPageClick), 0, pgNextPage, 2);
    m.PopupLast = AddItem(popup, "&Last Page", cmd(&S::GoToPageClick), 0, pgLastPage, 3);
    m_previewPopup->OnPopup = [this](TObject*) { MirrorPreviewPopup(); };
    Preview()->SetPopupMenu(m_previewPopup);

    m_toolBarPopup = new TPopupMenu(this);
    m.TbFlat = AddItem(m_toolBarPopup->Items(), "&Flat ToolBar Buttons", toggle(&S::SetFlatCtrls, &S::FlatCtrls));
    m.TbLarge = AddItem(m_toolBarPopup->Items(), "&Large ToolBar Buttons",
                        toggle(&S::SetLargeBtns, &S::LargeBtns));
    m_toolBar->SetPopupMenu(m_toolBarPopup);

    m_pageSetupDropDown = new TPopupMenu(this);
}

void TdxfmStdPreview::CreateZoomBox()
{
    m_zoomBox = new TdxZoomFactorComboEdit(this);
    m_zoomBox->SetName("ZoomBox");
    m_zoomBox->SetParent(pnlZoomCbx);
    std::vector<TdxZoomBoxItem> items;
    for (int i = 0; i < static_cast<int>(ZoomList().size()); ++i)
        items.push_back({ZoomList()[static_cast<std::size_t>(i)].Caption, ZoomBoxImage(i), true});
    m_zoomBox->SetItems(std::move(items));
    m_zoomBox->OnApply = [this](TObject*, const std::string& Text) { ZoomBoxApply(Text); };
    m_zoomBox->OnCloseUp = [this](TObject*) {
        if (Preview()->CanFocus())
            Preview()->SetFocus();
    };
    pnlZoomCbx->OnResize = [this](TObject*) {
        m_zoomBox->SetBounds(0, (pnlZoomCbx->Height() - m_zoomBox->Height()) / 2, pnlZoomCbx->Width(),
                             m_zoomBox->Height());
    };
}

void TdxfmStdPreview::CreatePageNumberBox()
{
    m_pageNumberBox = new TdxPSSpinEdit(this);
    m_pageNumberBox->SetName("PageNumberBox");
    m_pageNumberBox->SetParent(pnlCurrentPage);
    m_pageNumberBox->SetMinValue(1);
    m_pageNumberBox->SetMaxValue(1);
    m_pageNumberBox->SetValue(1);
    m_pageNumberBox->OnKeyDown = [this](TObject*, std::uint16_t& Key, TShiftState) {
        if (Key == VK_RETURN) {
            PageNumberEntered();
            Key = 0;
        }
    };
    m_pageNumberBox->OnExit = [this](TObject*) { PageNumberEntered(); };
    m_pageNumberBox->OnButtonClick = [this](TObject*, TdxSpinButtonKind Button) {
        if (Button == sbkUp)
            GoToNextPage();
        else if (Button == sbkDown)
            GoToPrevPage();
    };
    pnlCurrentPage->OnResize = [this](TObject*) {
        m_pageNumberBox->SetBounds(0, (pnlCurrentPage->Height() - m_pageNumberBox->Height()) / 2,
                                   pnlCurrentPage->Width(), m_pageNumberBox->Height());
    };
}

std::string TdxfmStdPreview::HintOf(const std::string& Caption, const std::string& Key) const
{
    return Key.empty() ? Caption : Caption + " (" + Key + ")";
}

void TdxfmStdPreview::LoadStrings()
{
    TCustomdxPSPreviewWindow::LoadStrings();
    tbReportDesigner->SetHint(HintOf("Design Report", "Ctrl+D"));
    tbPrint->SetHint("Print" + PrinterNameCaption());
    tbPrintDialog->SetHint(HintOf("Print Dialog", "Ctrl+P"));
    tbPageSetup->SetHint("Page Setup");
    tbPageBackground->SetHint(HintOf("Background", "Ctrl+K"));
    tbShrinkToPageWidth->SetHint("Shrink To Page");
    m_zoomBox->SetHint("Zoom");
    tbPercent100->SetHint(HintOf("Zoom 100%", "Ctrl+\\"));
    tbPageWidth->SetHint(HintOf("Zoom Page Width", "Ctrl+0"));
    tbOnePage->SetHint(HintOf("Whole Page", "Ctrl+1"));
    tbTwoPage->SetHint(HintOf("Two Pages", "Ctrl+2"));
    tbFourPage->SetHint(HintOf("Four Pages", "Ctrl+4"));
    tbMultiplePages->SetHint("Multiple Pages");
    tbWidenToSourceWidth->SetHint(HintOf("Widen To Source Width", "Ctrl+W"));
    tbGotoFirstPage->SetHint(HintOf("First Page", "Ctrl+Home"));
    tbGotoPrevPage->SetHint(HintOf("Previous Page", "Ctrl+Up"));
    m_pageNumberBox->SetHint("Active Page");
    tbGotoNextPage->SetHint(HintOf("Next Page", "Ctrl+Down"));
    tbGotoLastPage->SetHint(HintOf("Last Page", "Ctrl+End"));
    tbHelp->SetHint(HintOf("Help Topics", "F1"));
    tbClose->SetHint(HintOf("Close Preview", "Alt+X"));
}

// ============================================================================
// Tool bar look

void TdxfmStdPreview::SetFlatCtrls(bool Value)
{
    m_flatCtrls = Value;
    ApplyToolBarLook();
    if (!Locked())
        UpdateControls();
}

void TdxfmStdPreview::SetLargeBtns(bool Value)
{
    m_largeBtns = Value;
    ApplyToolBarLook();
    if (!Locked())
        UpdateControls();
}

void TdxfmStdPreview::ApplyToolBarLook()
{
    if (!m_toolBar)
        return;
    const TToolBarMetrics& metrics = m_largeBtns ? LargeMetrics : SmallMetrics;
    m_toolBar->SetFlat(m_flatCtrls);
    if (m_zoomBox)
        m_zoomBox->SetFlat(m_flatCtrls);
    if (m_pageNumberBox)
        m_pageNumberBox->SetFlat(m_flatCtrls);
    m_toolBar->SetImages(m_largeBtns ? m_largeImages : m_smallImages);
    m_toolBar->SetDisabledImages(m_largeBtns ? m_largeDisabledImages : m_smallDisabledImages);
    m_toolBar->SetButtonWidth(metrics.ButtonWidth);
    m_toolBar->SetButtonHeight(metrics.ButtonHeight);
    m_toolBar->SetHeight(metrics.Height);
    pnlZoomCbx->SetWidth(metrics.ZoomBoxWidth);
    pnlZoomCbx->SetHeight(metrics.ButtonHeight);
    pnlCurrentPage->SetHeight(metrics.ButtonHeight);
    if (m_zoomBox) {
        m_zoomBox->SetImages(m_largeBtns ? m_largeImages : m_smallImages);
        m_zoomBox->SetDisabledImages(m_largeBtns ? m_largeDisabledImages : m_smallDisabledImages);
    }
}

// ============================================================================
// Enabling and check marks

void TdxfmStdPreview::UpdateControls()
{
    TCustomdxPSPreviewWindow::UpdateControls();
    if (Locked() || !m_toolBar || !m_mainMenu)
        return;
    const TdxPreviewEnableOptions enable = GetEnableOptions();
    const TdxPreviewVisibleOptions visible = GetVisibleOptions();
    TBasedxReportLink* link = ReportLink();
    const int pages = Preview()->PageCount();
    const int selected = Preview()->SelectedPageIndex();
    const bool printing = IsPrinting();
    auto set = [](bool Enabled, bool Visible, std::initializer_list<TComponent*> Targets) {
        for (TComponent* target : Targets) {
            if (auto* control = dynamic_cast<TControl*>(target)) {
                control->SetEnabled(Enabled);
                control->SetVisible(Visible);
            } else if (auto* item = dynamic_cast<TMenuItem*>(target)) {
                item->SetEnabled(Enabled);
                item->SetVisible(Visible);
            }
        }
    };
    set(CanDesign(), visible.Contains(pvoReportDesign), {tbReportDesigner, m.Design, m.PopupDesign});
    set(CanPrint(), visible.Contains(pvoPrint), {tbPrint});
    set(CanPrint() && HasPrinters(), visible.Contains(pvoPrint), {tbPrintDialog, m.Print});
    set(CanPageSetup(), visible.Contains(pvoPageSetup), {tbPageSetup, m.PageSetup, m.PopupPageSetup});
    set(link && enable.Contains(peoPageBackground) && !printing, visible.Contains(pvoPageBackground),
        {tbPageBackground, m.Background});
    set(enable.Contains(peoPreferences), visible.Contains(pvoPreferences), {m.Options});
    set(enable.Contains(peoHelp), visible.Contains(pvoHelp), {tbHelp, m.Help, m.HelpTopics});
    const bool zoom = pages >= 1;
    set(zoom && link && !printing, true, {tbShrinkToPageWidth, m.ShrinkToPage, m.PopupShrink});
    set(zoom, true, {tbPercent100, tbPageWidth, tbOnePage, tbMultiplePages, tbWidenToSourceWidth, m.Zoom100,
                     m.PageWidth, m.WholePage, m.Widen, m.ZoomSetup, m_zoomBox});
    set(pages >= 2, true, {tbTwoPage, m.TwoPages});
    set(pages >= 4, true, {tbFourPage, m.FourPages});
    for (int i = 0; i < m.PopupZoom->Count(); ++i) {
        TMenuItem* item = m.PopupZoom->Items(i);
        item->SetEnabled(item->Tag() == 3 ? pages >= 2 : item->Tag() == 4 ? pages >= 4 : zoom);
    }
    m_zoomBox->SetItemEnabled(10, pages >= 2);
    m_zoomBox->SetItemEnabled(11, pages >= 4);
    const bool back = pages > 0 && selected > 0;
    const bool forth = pages > 0 && selected >= 0 && selected < pages - 1;
    set(back, true, {tbGotoFirstPage, tbGotoPrevPage, m.FirstPage, m.PrevPage, m.PopupFirst, m.PopupPrev});
    set(forth, true, {tbGotoNextPage, tbGotoLastPage, m.NextPage, m.LastPage, m.PopupNext, m.PopupLast});
    set(pages > 0, true, {m_pageNumberBox});
    set(link != nullptr && !printing, true, {m.DateTime, m.PageNumbering, m.ShowEmptyPages, m.PageHeaders,
                                             m.PageFooters});

    const bool styles = IsPrintStylesShown();
    m.PrintStyles->SetVisible(styles);
    m.PopupPrintStyles->SetVisible(styles);
    tbPageSetup->SetStyle(styles ? tbsDropDown : tbsButton);
    tbPageSetup->SetDropdownMenu(styles ? m_pageSetupDropDown : nullptr);

    m.Margins->SetChecked(ShowPageMargins());
    m.MarginsBar->SetChecked(ShowMarginBar());
    m.StatusBar->SetChecked(ShowStatusBar());
    m.FlatButtons->SetChecked(m_flatCtrls);
    m.LargeButtons->SetChecked(m_largeBtns);
    m.TbFlat->SetChecked(m_flatCtrls);
    m.TbLarge->SetChecked(m_largeBtns);
    const bool shrink = link && link->ShrinkToPageWidth();
    m.ShrinkToPage->SetChecked(shrink);
    m.PopupShrink->SetChecked(shrink);
    tbShrinkToPageWidth->SetDown(shrink);
    m.ShowEmptyPages->SetChecked(link && link->ShowEmptyPages());
    m.PageHeaders->SetChecked(link && link->ShowPageHeader());
    m.PageFooters->SetChecked(link && link->ShowPageFooter());

    TValueRestorer<bool> updating(m_updatingPageBox, true);
    m_pageNumberBox->SetMinValue(1);
    m_pageNumberBox->SetMaxValue(std::max(1, KnownPageCount()));
    if (link && selected >= 0)
        m_pageNumberBox->SetValue(selected + 1);
    ShowZoomFactor();
}

void TdxfmStdPreview::MirrorPreviewPopup()
{
    UpdateControls();
    auto mirror = [](TMenuItem* From, TMenuItem* To) {
        To->SetEnabled(From->Enabled());
        To->SetVisible(From->Visible());
    };
    mirror(m.Design, m.PopupDesign);
    mirror(m.PageSetup, m.PopupPageSetup);
    mirror(m.ShrinkToPage, m.PopupShrink);
    mirror(m.FirstPage, m.PopupFirst);
    mirror(m.PrevPage, m.PopupPrev);
    mirror(m.NextPage, m.PopupNext);
    mirror(m.LastPage, m.PopupLast);
}

void TdxfmStdPreview::ShowZoomFactor()
{
    if (!m_zoomBox || !Preview())
        return;
    m_zoomBox->SetText(IntToStr(Preview()->ZoomFactor()) + "%");
}

void TdxfmStdPreview::DoZoomFactorChanged()
{
    ShowZoomFactor();
}

void TdxfmStdPreview::DoZoomModeChanged()
{
    ShowZoomFactor();
}

// ============================================================================
// Commands

void TdxfmStdPreview::ZoomClick(TObject* Sender)
{
    auto* component = dynamic_cast<TComponent*>(Sender);
    if (!component || Locked())
        return;
    switch (component->Tag()) {
    case 0: ApplyZoomSettings({pzmNone, 100, 1, 1}); break;
    case 1: ApplyZoomSettings({pzmPageWidth, 0, 1, 1}); break;
    case 2: ApplyZoomSettings({pzmPages, 0, 1, 1}); break;
    case 3: ApplyZoomSettings({pzmPages, 0, 2, 1}); break;
    case 4: ApplyZoomSettings({pzmPages, 0, 2, 2}); break;
    case 5: {
        int across = 1;
        int down = 1;
        if (TBasedxReportLink* link = ReportLink())
            link->GetPageCounts(across, down);
        ApplyZoomSettings({pzmPages, 0, std::max(1, across), std::max(1, down)});
        break;
    }
    default: break;
    }
    UpdateControls();
}

void TdxfmStdPreview::PrintClick(TObject* Sender)
{
    if (g_commandRunning || !CanPrint())
        return;
    auto* component = dynamic_cast<TComponent*>(Sender);
    const bool withDialog = component && component->Tag() == 1;
    if (withDialog && !HasPrinters())
        return;
    TValueRestorer<bool> running(g_commandRunning, true);
    TToolButton* button = withDialog ? tbPrintDialog : tbPrint;
    button->SetDown(true);
    TFreeWatch watch{button};
    Finally up([&] {
        if (!watch.Freed(button))
            button->SetDown(false);
    });
    Print(withDialog);
}

void TdxfmStdPreview::PageSetupClick(TObject*)
{
    if (g_commandRunning || Locked())
        return;
    TValueRestorer<bool> running(g_commandRunning, true);
    PageSetup(0);
}

void TdxfmStdPreview::DesignClick(TObject*)
{
    if (!CanDesign())
        return;
    tbReportDesigner->SetDown(true);
    TFreeWatch watch{tbReportDesigner};
    Finally up([&] {
        if (!watch.Freed(tbReportDesigner))
            tbReportDesigner->SetDown(false);
    });
    Design();
}

void TdxfmStdPreview::PageBackgroundClick(TObject* Sender)
{
    if (Locked())
        return;
    if (Sender == tbPageBackground) {
        tbPageBackground->SetDown(true);
        Finally up([this] { tbPageBackground->SetDown(false); });
        PageBackground(tbPageBackground->ClientToScreen({0, tbPageBackground->Height()}));
    } else {
        PageBackground(Preview()->ClientToScreen({0, 0}));
    }
}

void TdxfmStdPreview::ShrinkToPageWidthClick(TObject*)
{
    TBasedxReportLink* link = ReportLink();
    if (!link || Locked())
        return;
    SetShrinkToPageWidth(!link->ShrinkToPageWidth());
    UpdateControls();
}

void TdxfmStdPreview::MultiplePagesClick(TObject*)
{
    if (Locked())
        return;
    tbMultiplePages->SetDown(true);
    Finally up([this] { tbMultiplePages->SetDown(false); });
    MultiplePages(tbMultiplePages);
    UpdateControls();
}

void TdxfmStdPreview::GoToPageClick(TObject* Sender)
{
    auto* component = dynamic_cast<TComponent*>(Sender);
    if (!component)
        return;
    switch (component->Tag()) {
    case 0: GoToFirstPage(); break;
    case 1: GoToPrevPage(); break;
    case 2: GoToNextPage(); break;
    case 3: GoToLastPage(); break;
    default: break;
    }
}

void TdxfmStdPreview::CloseClick(TObject*)
{
    Close();
}

void TdxfmStdPreview::HelpClick(TObject*)
{
    if (HelpContext() != 0)
        Application().HelpContext(HelpContext());
}

void TdxfmStdPreview::ZoomBoxApply(const std::string& Text)
{
    if (Locked())
        return;
    ZoomByText(Text);
    UpdateControls();
    ShowZoomFactor();
}

void TdxfmStdPreview::PageNumberEntered()
{
    if (m_updatingPageBox || KnownPageCount() == 0)
        return;
    GoToPage(m_pageNumberBox->AsInteger() - 1);
}

void TdxfmStdPreview::AfterPrintReport()
{
    tbPrint->SetHint("Print" + PrinterNameCaption());
}

void TdxfmStdPreview::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    TCustomdxPSPreviewWindow::KeyDown(Key, Shift);
    if (Key == 0 || !Shift.Contains(ssAlt))
        return;
    TWinControl* target = Key == 'Z' ? static_cast<TWinControl*>(m_zoomBox->Edit())
                          : Key == 'A' ? static_cast<TWinControl*>(m_pageNumberBox)
                                       : nullptr;
    if (target && target->CanFocus()) {
        target->SetFocus();
        Key = 0;
    }
}

// ============================================================================
// Print styles

void TdxfmStdPreview::StyleListChanged(TObject* Sender)
{
    TBasedxReportLink* link = ReportLink();
    if (!link || (Sender && Sender != link->StyleManager()))
        return;
    RebuildPrintStylesMenus();
}

void TdxfmStdPreview::RebuildPrintStylesMenus()
{
    TBasedxReportLink* link = ReportLink();
    TdxPrintStyleManager* manager = link ? link->StyleManager() : nullptr;
    TStringList styles;
    // Only the styles the link can print with, as the link's own menu lists them.
    if (manager)
        for (int i = 0; i < manager->Count(); ++i)
            if (link->IsSupportedStyle(manager->Styles(i)))
                styles.AddObject(manager->Styles(i)->StyleCaption(), manager->Styles(i));
    auto builder = dxPSPageSetupMenuBuilderClass()->Create();
    auto* raw = builder.get();
    const TNotifyEvent define = [this](TObject*) {
        if (TBasedxReportLink* l = ReportLink())
            RunCommand([l] { l->DefinePrintStylesDlg(); });
    };
    std::shared_ptr<TAbstractdxPSPageSetupMenuBuilder> keep(std::move(builder));
    const TNotifyEvent pick = [this, keep, raw](TObject* Sender) {
        TBasedxPrintStyle* style = raw->ExtractPrintStyleFromObj(Sender);
        TBasedxReportLink* l = ReportLink();
        if (!style || !l || !l->StyleManager())
            return;
        l->StyleManager()->SetCurrentStyle(style);
        PageSetup(0);
    };
    for (TMenuItem* root : {m.PrintStyles, m.PopupPrintStyles, m_pageSetupDropDown->Items()})
        raw->BuildPageSetupMenu(root, define, pick, manager ? manager->CurrentStyle() : nullptr, &styles, true);
}

// ============================================================================
// Settings

void TdxfmStdPreview::SaveToRegistry(const std::string& Key)
{
    TCustomdxPSPreviewWindow::SaveToRegistry(Key);
    TRegistry registry;
    if (!registry.OpenKey(Key, true))
        return;
    registry.WriteBool("FlatCtrls", m_flatCtrls);
    registry.WriteBool("LargeBtns", m_largeBtns);
}

void TdxfmStdPreview::LoadFromRegistry(const std::string& Key)
{
    TCustomdxPSPreviewWindow::LoadFromRegistry(Key);
    TRegistry registry;
    if (!registry.OpenKeyReadOnly(Key))
        return;
    if (registry.ValueExists("FlatCtrls"))
        m_flatCtrls = registry.ReadBool("FlatCtrls");
    if (registry.ValueExists("LargeBtns"))
        m_largeBtns = registry.ReadBool("LargeBtns");
    ApplyToolBarLook();
}

TMenuItem* TdxfmStdPreview::FindMenuItem(const std::vector<std::string>& Path) const
{
    TMenuItem* item = m_mainMenu ? m_mainMenu->Items() : nullptr;
    for (const std::string& caption : Path) {
        if (!item)
            return nullptr;
        item = item->Find(caption);
    }
    return item;
}

} // namespace qel
