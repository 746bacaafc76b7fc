#include "preview/PrintDialog.h"

#include "platform/controls/Application.h"
#include "platform/controls/Buttons.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Guards.h"
#include "platform/core/Locale.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"
#include "platform/storage/Registry.h"
#include "preview/PopupMenuManager.h"
#include "preview/detail/DialogLayout.h"
#include "preview/detail/PSDialog.h"
#include "preview/detail/PageSetupResources.h"
#include "preview/detail/PrintDialogResources.h"
#include "preview/detail/StyleList.h"
#include "printing/EventSystem.h"
#include "printing/PrintControls.h"
#include "printing/PrintDevice.h"
#include "printing/PrintStyles.h"
#include "printing/PrintUIUtils.h"
#include "printing/PrintUtils.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <iterator>
#include <optional>

namespace qel {

QEL_REGISTER_CLASS(TdxfmPrintDialog, TCustomdxPSForm);

using detail::Place;
using detail::PlaceButton;

namespace {

constexpr int kFormWidth = 456;
constexpr int kPrinterGroupHeight = 164;
constexpr int kPrintToFileHeight = 30;
constexpr int kMiddleTop = 8 + kPrinterGroupHeight + 6;
constexpr int kMiddleHeight = 176;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kStylesHeight = 136;
// Most copies where the printer makes one copy and the engine repeats the pages.
constexpr int kRepeatedCopies = 999;
// The collation picture's sheets.
constexpr int kSheetWidth = 19, kSheetHeight = 24;

const char* const kInvalidPageRanges = "Invalid page ranges";
const char* const kOutOfRange = "Page numbers out of range (%d - %d)";

TLabel* MakeLabel(TWinControl* Parent, TComponent* Owner, int Left, int Top, int Width, const std::string& Caption)
{
    auto* l = Place<TLabel>(Parent, Owner, Left, Top, Width, 16);
    l->SetCaption(Caption);
    return l;
}

bool IsDigit(TKeyChar Ch)
{
    return Ch >= '0' && Ch <= '9';
}

std::string WithoutBlanks(const std::string& Text)
{
    return RemoveChars(Text, " \t");
}

// The device's printer, -1 when it has none it can name.
int CurrentPrinter(TdxPrintDevice& Device)
{
    if (Device.Printers()->Count() == 0)
        return -1;
    try {
        return Device.PrinterIndex();
    } catch (const EdxPrintDevice&) {
        return -1;
    }
}

} // namespace

// ===== pure rules ============================================================================

std::string dxPrinterStatusText(std::uint32_t Status)
{
    static const char* const texts[] = {
        "Paused", "Error", "Pending Deletion", "Paper Jam", "Paper Out", "Manual Feed", "Paper Problem", "Offline",
        "IO Active", "Busy", "Printing", "Output Bin Full", "Not Available", "Waiting", "Processing",
        "Initializing", "Warming Up", "Toner Low", "No Toner", "Page Punt", "User Intervention", "Out of Memory",
        "Door Open"};
    if (Status == 0)
        return "Ready";
    for (std::size_t bit = 0; bit < std::size(texts); ++bit)
        if (Status == (1u << bit))
            return texts[bit];
    return {};
}

TdxPageListCheck dxCheckPageList(const std::string& Pages, int MinRange, int MaxRange)
{
    const std::string text = WithoutBlanks(Pages);
    if (text.empty())
        return plcEmpty;
    // A number as typed: digits only, no leading zero; nullopt when not one.
    const auto number = [](const std::string& S) -> std::optional<long long> {
        if (S.empty() || S.size() > 18 || !std::all_of(S.begin(), S.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        if (S.size() > 1 && S[0] == '0')
            return std::nullopt;
        return std::stoll(S);
    };
    long long low = LLONG_MAX, high = LLONG_MIN;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string piece = text.substr(start, comma - start);
        start = comma + 1;
        if (piece.empty())
            continue;
        const std::size_t dash = piece.find('-');
        const auto first = number(piece.substr(0, dash));
        const auto last = dash == std::string::npos ? first : number(piece.substr(dash + 1));
        if (!first || !last || *last < *first)
            return plcInvalid;
        low = std::min(low, *first);
        high = std::max(high, *last);
    }
    if (low == LLONG_MAX)
        return plcInvalid;
    if (low < MinRange || high > MaxRange)
        return plcOutOfRange;
    // What the printer will decode must decode.
    try {
        DecodePageRanges(text);
    } catch (const EConvertError&) {
        return plcInvalid;
    }
    return plcValid;
}

std::string dxPageListMessage(TdxPageListCheck Check, int MinRange, int MaxRange)
{
    switch (Check) {
    case plcEmpty:
        return "Enter page numbers";
    case plcInvalid:
        return kInvalidPageRanges;
    case plcOutOfRange:
        return Format(kOutOfRange, {MinRange, MaxRange});
    case plcValid:
        break;
    }
    return {};
}

namespace {

// A name typed in double quotes is taken as it is, without them.
bool IsQuoted(const std::string& Text)
{
    return Text.size() > 2 && Text.front() == '"' && Text.back() == '"';
}

} // namespace

std::string dxPrintFileName(const std::string& Text)
{
    const std::string name = Trim(Text);
    if (IsQuoted(name))
        return name.substr(1, name.size() - 2);
    if (name.empty())
        return name;
    return std::filesystem::path(name).replace_extension(".prn").string();
}

// ===== the form ==================================================================================

TdxfmPrintDialog::TdxfmPrintDialog(TComponent* AOwner)
    : TCustomdxPSForm(AOwner), m_images(detail::CreatePrintDialogImages()),
      m_subscriber(std::make_unique<TdxStyleListChangedSubscriber>())
{
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetCaption("Print");
    SetKeyPreview(true);
    detail::SetFormIconResource(*this, detail::dxPrintDialogIconResource);
    CreateControls();
    m_subscriber->OnStyleListChanged = [this](TObject* Sender) {
        if (m_data.StyleManager && Sender == m_data.StyleManager) {
            FillStyles();
            RefreshControls();
        }
    };
}

TdxfmPrintDialog::~TdxfmPrintDialog()
{
    m_subscriber.reset();
    // The list entries' objects and the images go with the controls.
    if (cbxPrinters) {
        for (int i = 0; i < cbxPrinters->Items()->Count(); ++i)
            delete cbxPrinters->Items()->Objects(i);
        cbxPrinters->Items()->Clear();
    }
    DestroyComponents();
}

void TdxfmPrintDialog::CreateControls()
{
    CreatePrinterGroup();
    CreatePageRangeGroup();
    CreateCopiesGroup();
    CreateButtons();
    CreateStylesPanel();
    m_collapsedHeight = kMiddleTop + kMiddleHeight + 8 + kButtonHeight + 10;
    SetClientWidth(kFormWidth);
    SetClientHeight(m_collapsedHeight);
}

void TdxfmPrintDialog::CreatePrinterGroup()
{
    gbxPrinter = Place<TGroupBox>(this, this, 8, 8, kFormWidth - 16, kPrinterGroupHeight);
    gbxPrinter->SetCaption(" Printer ");
    lblName = MakeLabel(gbxPrinter, this, 10, 26, 60, "&Name:");
    cbxPrinters = Place<TComboBox>(gbxPrinter, this, 74, 22, 240, 22);
    cbxPrinters->SetName("cbxPrinters");
    cbxPrinters->SetStyle(csOwnerDrawFixed);
    cbxPrinters->SetItemHeight(18);
    cbxPrinters->OnDrawItem = [this](TWinControl*, int Index, TRect Rect, TOwnerDrawState State) {
        DrawPrinterItem(Index, Rect, State.Contains(odSelected));
    };
    cbxPrinters->OnChange = [this](TObject*) { PrinterChosen(); };
    lblName->SetFocusControl(cbxPrinters);
    lblName->OnClick = [this](TObject*) {
        if (cbxPrinters->CanFocus()) {
            cbxPrinters->SetFocus();
            cbxPrinters->SetDroppedDown(true);
        }
    };
    btnPrinterProperties = PlaceButton(gbxPrinter, this, "btnPrinterProperties", "P&roperties...", 322, 21, 104);
    btnPrinterProperties->OnClick = [this](TObject*) { PropertiesClicked(); };
    btnNetwork = PlaceButton(gbxPrinter, this, "btnNetwork", "Net&work...", 322, 52, 104);
    btnNetwork->OnClick = [this](TObject*) { NetworkClicked(); };

    int top = 54;
    const auto fact = [&](TLabel*& Caption, TLabel*& Value, const char* Text) {
        Caption = MakeLabel(gbxPrinter, this, 10, top, 60, Text);
        Value = MakeLabel(gbxPrinter, this, 74, top, 240, "");
        Value->SetShowAccelChar(false);
        top += 18;
    };
    fact(lblStatus, lblStatusValue, "Status:");
    fact(lblType, lblTypeValue, "Type:");
    fact(lblWhere, lblWhereValue, "Where:");
    fact(lblComment, lblCommentValue, "Comment:");

    pnlPrintToFile = Place<TPanel>(gbxPrinter, this, 2, kPrinterGroupHeight - kPrintToFileHeight - 4,
                                   kFormWidth - 20, kPrintToFileHeight);
    pnlPrintToFile->SetBevelOuter(bvNone);
    pnlPrintToFile->SetCaption("");
    chbxPrintToFile = Place<TCheckBox>(pnlPrintToFile, this, 8, 4, 100, 20);
    chbxPrintToFile->SetCaption("Print to &File");
    chbxPrintToFile->OnClick = [this](TObject*) { PrintToFileClicked(); };
    cbxFileName = Place<TComboBox>(pnlPrintToFile, this, 112, 3, 198, 22);
    cbxFileName->SetName("cbxFileName");
    cbxFileName->OnExit = [this](TObject*) { FileNameExited(); };
    cbxFileName->OnChange = [this](TObject*) { MarkModified(); };
    cbxFileName->OnKeyDown = [this](TObject*, std::uint16_t& Key, TShiftState) {
        if (Key == VK_ESCAPE) {
            Key = 0;
            SetModalResult(mrCancel);
        }
    };
    btnBrowse = PlaceButton(pnlPrintToFile, this, "btnBrowse", "&Browse...", 320, 2, 104);
    btnBrowse->OnClick = [this](TObject*) { BrowseClicked(); };
}

void TdxfmPrintDialog::CreatePageRangeGroup()
{
    gbxPageRanges = Place<TGroupBox>(this, this, 8, kMiddleTop, 222, kMiddleHeight);
    gbxPageRanges->SetCaption(" Page range ");
    const auto radio = [this](TRadioButton*& B, const char* Caption, int Tag, int Top, int Width) {
        B = Place<TRadioButton>(gbxPageRanges, this, 10, Top, Width, 20);
        B->SetCaption(Caption);
        B->SetTag(Tag);
        B->OnClick = [this, B](TObject*) {
            if (B->Checked())
                PageRangeClicked(B);
        };
    };
    radio(rbtnAllPages, "&All", 0, 20, 200);
    radio(rbtnCurrentPage, "Curr&ent Page", 1, 42, 200);
    radio(rbtnPageRanges, "&Pages:", 2, 64, 70);
    edPageRanges = Place<TEdit>(gbxPageRanges, this, 84, 63, 128, 21);
    edPageRanges->SetName("edPageRanges");
    edPageRanges->OnKeyPress = [this](TObject*, TKeyChar& Key) { PageRangesKeyPress(Key); };
    edPageRanges->OnChange = [this](TObject*) {
        if (m_loading)
            return;
        if (edPageRanges->Focused() && !rbtnPageRanges->Checked()) {
            TValueRestorer<bool> loading(m_loading, true);
            rbtnPageRanges->SetChecked(true);
            m_data.PageRanges = 2;
        }
        MarkModified();
    };
    edPageRanges->OnExit = [this](TObject*) { PageRangesExited(); };
    radio(rbtnSelection, "&Selection", 3, 86, 200);
    lblDescription = Place<TLabel>(gbxPageRanges, this, 10, 110, 204, 60);
    lblDescription->SetWordWrap(true);
    lblDescription->SetCaption("Enter page number and/or page ranges\nseparated by commas. For example: 1,3,5-12.");
    bmaWarning = Place<TdxPSBitmapAnimator>(gbxPageRanges, this, 6, 110, 210, 56);
}

void TdxfmPrintDialog::CreateCopiesGroup()
{
    gbxCopies = Place<TGroupBox>(this, this, 236, kMiddleTop, kFormWidth - 244, kMiddleHeight);
    gbxCopies->SetCaption(" Copies ");
    lblNumberOfPages = MakeLabel(gbxCopies, this, 10, 24, 104, "N&umber of Pages:");
    cbxNumberOfPages = Place<TComboBox>(gbxCopies, this, 118, 20, 84, 22);
    cbxNumberOfPages->SetName("cbxNumberOfPages");
    cbxNumberOfPages->SetStyle(csDropDownList);
    for (const char* item : {"All", "Even", "Odd"})
        cbxNumberOfPages->Items()->Add(item);
    cbxNumberOfPages->OnChange = [this](TObject*) {
        if (m_loading)
            return;
        m_data.PageNums = static_cast<std::uint8_t>(std::max(0, cbxNumberOfPages->ItemIndex()));
        MarkModified();
    };
    lblNumberOfPages->SetFocusControl(cbxNumberOfPages);
    lblNumberOfPages->OnClick = [this](TObject*) {
        if (cbxNumberOfPages->CanFocus()) {
            cbxNumberOfPages->SetFocus();
            cbxNumberOfPages->SetDroppedDown(true);
        }
    };

    lblNumberOfCopies = MakeLabel(gbxCopies, this, 10, 54, 104, "Number of &Copies:");
    seCopies = Place<TdxPSSpinEdit>(gbxCopies, this, 118, 50, 64, 22);
    seCopies->SetName("seCopies");
    seCopies->SetFlat(false);
    seCopies->SetMinValue(1);
    seCopies->SetMaxValue(1);
    seCopies->SetValue(1);
    lblNumberOfCopies->SetFocusControl(seCopies);
    lblNumberOfCopies->OnClick = [this](TObject*) {
        if (seCopies->CanFocus())
            seCopies->SetFocus();
    };
    seCopies->OnChange = [this](TObject*) { MarkModified(); };
    seCopies->OnExit = [this](TObject*) {
        if (!m_loading)
            m_data.Copies = seCopies->AsInteger();
    };

    pbxCollate = Place<TPaintBox>(gbxCopies, this, 8, 80, 110, 60);
    pbxCollate->OnPaint = [this](TObject*) { DrawCollate(); };
    pbxCollate->OnDblClick = [this](TObject*) {
        if (chbxCollate->Enabled())
            chbxCollate->SetChecked(!chbxCollate->Checked());
    };
    chbxCollate = Place<TCheckBox>(gbxCopies, this, 10, 144, 190, 20);
    chbxCollate->SetCaption("Colla&te Copies");
    chbxCollate->OnClick = [this](TObject*) {
        pbxCollate->Invalidate();
        if (m_loading)
            return;
        m_data.Collate = chbxCollate->Checked();
        MarkModified();
    };
}

void TdxfmPrintDialog::CreateButtons()
{
    const int top = kMiddleTop + kMiddleHeight + 8;
    btnPageSetup = Place<TBitBtn>(this, this, 8, top, 112, kButtonHeight);
    btnPageSetup->SetName("btnPageSetup");
    btnPageSetup->SetCaption("Pa&ge Setup...");
    btnPageSetup->OnClick = [this](TObject*) { PageSetupClicked(); };
    btnPreview = PlaceButton(this, this, "btnPreview", "Pre&view...", 126, top, 84, kButtonHeight);
    btnPreview->OnClick = [this](TObject*) {
        m_previewPressed = true;
        SetModalResult(mrCancel);
    };
    btnOK = PlaceButton(this, this, "btnOK", "OK", 0, top, kButtonWidth, kButtonHeight);
    btnOK->SetDefault(true);
    btnOK->SetModalResult(mrOk);
    btnCancel = PlaceButton(this, this, "btnCancel", "Cancel", 0, top, kButtonWidth, kButtonHeight);
    btnCancel->SetCancel(true);
    btnCancel->SetModalResult(mrCancel);
    btnHelp = PlaceButton(this, this, "btnHelp", "&Help", 0, top, kButtonWidth, kButtonHeight);
    ArrangeButtons();
}

void TdxfmPrintDialog::CreateStylesPanel()
{
    pnlPrintStyles = Place<TPanel>(this, this, 0, 0, kFormWidth, kStylesHeight);
    pnlPrintStyles->SetBevelOuter(bvNone);
    pnlPrintStyles->SetCaption("");
    pnlPrintStyles->SetVisible(false);
    gbxPrintStyles = Place<TGroupBox>(pnlPrintStyles, this, 8, 0, kFormWidth - 16, kStylesHeight - 8);
    gbxPrintStyles->SetCaption(" Print St&yles ");
    lbxPrintStyles = Place<TListBox>(gbxPrintStyles, this, 10, 20, 290, kStylesHeight - 38);
    lbxPrintStyles->SetName("lbxPrintStyles");
    detail::SetUpStyleList(*lbxPrintStyles);
    lbxPrintStyles->OnClick = [this](TObject*) { StyleSelected(); };
    lbxPrintStyles->OnDblClick = [this](TObject*) { StylePageSetup(); };
    btnPageSetup2 = PlaceButton(gbxPrintStyles, this, "btnPageSetup2", "Pa&ge Setup...", 310, 20, 118);
    btnPageSetup2->OnClick = [this](TObject*) { StylePageSetup(); };
    btnDefineStyles = PlaceButton(gbxPrintStyles, this, "btnDefineStyles", "&Define Styles...", 310, 51, 118);
    btnDefineStyles->OnClick = [this](TObject*) { DefineStyles(); };
    btnStyleOptions = PlaceButton(gbxPrintStyles, this, "btnStyleOptions", "Style Options...", 310, 82, 118);
    btnStyleOptions->OnClick = [this](TObject*) { StyleOptions(); };

    pmPrintStyles = new TPopupMenu(this);
    const auto item = [this](TMenuItem*& I, const char* Caption, std::function<void()> Action) {
        I = new TMenuItem(this);
        I->SetCaption(Caption);
        I->OnClick = [Action = std::move(Action)](TObject*) { Action(); };
        pmPrintStyles->Items()->Add(I);
    };
    item(miPageSetup, "Pa&ge Setup...", [this] { StylePageSetup(); });
    miPageSetup->SetDefault(true);
    miPageSetup->SetShortCut(ShortCut(VK_RETURN, {ssCtrl}));
    item(miStyleOptions, "Style Options...", [this] { StyleOptions(); });
    TMenuItem* line = nullptr;
    item(line, "-", [] {});
    item(miDefineStyles, "&Define Styles...", [this] { DefineStyles(); });
    pmPrintStyles->OnPopup = [this](TObject*) {
        miPageSetup->SetEnabled(btnPageSetup2->Enabled());
        miStyleOptions->SetEnabled(btnStyleOptions->Enabled());
        miDefineStyles->SetEnabled(btnDefineStyles->Visible() && btnDefineStyles->Enabled());
    };
    lbxPrintStyles->SetPopupMenu(pmPrintStyles);
    dxPSPopupMenuRegister(lbxPrintStyles);
}

void TdxfmPrintDialog::ArrangeButtons()
{
    // OK, Cancel and Help at the right; without Help the other two move one place right.
    const int step = kButtonWidth + 6;
    int left = kFormWidth - 8 - kButtonWidth;
    for (TButton* b : {btnHelp, btnCancel, btnOK}) {
        if (b == btnHelp && !b->Visible())
            continue;
        b->SetLeft(left);
        left -= step;
    }
    // Preview takes the place of a hidden Page Setup.
    btnPreview->SetLeft(btnPageSetup->Visible() ? 126 : 8);
}

// ===== loading ===================================================================================

void TdxfmPrintDialog::Load(const TdxPrintDialogRequest& Request)
{
    TValueRestorer<bool> loading(m_loading, true);
    m_data = *Request.Data;
    m_input = *Request.Data;
    if (m_data.StyleManager)
        FreeNotification(m_data.StyleManager);
    m_checkOnOK = Request.CheckOnOK;
    m_buttonsEnabled = Request.ButtonsEnabled;
    m_buttonsVisible = Request.ButtonsVisible;
    m_optionsEnabled = Request.OptionsEnabled;
    m_optionsVisible = Request.OptionsVisible;
    m_events = Request.Events;
    SetCaption(Request.Title);
    ApplyVisibility();
    ApplyEnabled();
    if (cbxFileName->Visible() && m_data.FileList) {
        cbxFileName->Items()->Assign(m_data.FileList);
        if (cbxFileName->Items()->Count() > 0)
            cbxFileName->SetItemIndex(0);
    }
    if (edPageRanges->Enabled() && edPageRanges->Visible())
        edPageRanges->SetText(m_data.Pages);
}

void TdxfmPrintDialog::ApplyVisibility()
{
    const TdxPrintDlgButtons& b = m_buttonsVisible;
    const TdxPrintDlgOptions& o = m_optionsVisible;
    btnPrinterProperties->SetVisible(b.Contains(pdbPrinterProperties));
    btnNetwork->SetVisible(b.Contains(pdbNetwork));
    btnPreview->SetVisible(b.Contains(pdbPreview));
    btnPageSetup->SetVisible(b.Contains(pdbPageSetup));
    btnPageSetup2->SetVisible(b.Contains(pdbPageSetup));
    btnDefineStyles->SetVisible(b.Contains(pdbDefineStyles));
    btnStyleOptions->SetVisible(b.Contains(pdbStyleOptions));
    btnHelp->SetVisible(b.Contains(pdbHelp));

    rbtnAllPages->SetVisible(o.Contains(pdoAllPages));
    rbtnCurrentPage->SetVisible(o.Contains(pdoCurrentPage));
    rbtnSelection->SetVisible(o.Contains(pdoSelection));
    rbtnPageRanges->SetVisible(o.Contains(pdoPageRange));
    edPageRanges->SetVisible(o.Contains(pdoPageRange));
    lblDescription->SetVisible(o.Contains(pdoPageRange));
    gbxPageRanges->SetVisible(o.Contains(pdoAllPages) || o.Contains(pdoCurrentPage) || o.Contains(pdoSelection)
                              || o.Contains(pdoPageRange));

    // Without print to file its row goes, and the groups below move up.
    int lost = 0;
    pnlPrintToFile->SetVisible(o.Contains(pdoPrintToFile));
    if (!pnlPrintToFile->Visible()) {
        lost = kPrintToFileHeight;
        gbxPrinter->SetHeight(kPrinterGroupHeight - lost);
    }
    for (TControl* c : std::initializer_list<TControl*>{gbxPageRanges, gbxCopies, btnPageSetup, btnPreview, btnOK,
                                                        btnCancel, btnHelp})
        c->SetTop(c->Top() - lost);
    m_collapsedHeight -= lost;
    SetClientHeight(m_collapsedHeight);
    pnlPrintStyles->SetTop(m_collapsedHeight);
    ArrangeButtons();
}

void TdxfmPrintDialog::ApplyEnabled()
{
    const TdxPrintDlgButtons& b = m_buttonsEnabled;
    const TdxPrintDlgOptions& o = m_optionsEnabled;
    btnPrinterProperties->SetEnabled(b.Contains(pdbPrinterProperties));
    btnNetwork->SetEnabled(b.Contains(pdbNetwork) && (GetSystemMetrics(SM_NETWORK) & 1) != 0);
    btnPreview->SetEnabled(b.Contains(pdbPreview));
    btnPageSetup->SetEnabled(b.Contains(pdbPageSetup));
    btnPageSetup2->SetEnabled(b.Contains(pdbPageSetup));
    btnHelp->SetEnabled(b.Contains(pdbHelp));
    chbxPrintToFile->SetEnabled(o.Contains(pdoPrintToFile));
    rbtnAllPages->SetEnabled(o.Contains(pdoAllPages));
    rbtnCurrentPage->SetEnabled(o.Contains(pdoCurrentPage));
    rbtnSelection->SetEnabled(o.Contains(pdoSelection));
    rbtnPageRanges->SetEnabled(o.Contains(pdoPageRange));
    edPageRanges->SetEnabled(o.Contains(pdoPageRange));
    lblDescription->SetEnabled(o.Contains(pdoPageRange));
}

void TdxfmPrintDialog::LoadFromRegistry(const std::string& Key)
{
    TCustomdxPSForm::LoadFromRegistry(Key);
    TRegistry registry;
    if (registry.OpenKeyReadOnly(Key) && registry.ValueExists("Maximized"))
        m_storedExpanded = registry.ReadBool("Maximized");
}

void TdxfmPrintDialog::StoreSettings()
{
    if (!m_data.StyleManager)
        return;
    detail::StoreDialogSettings(*this, [this](TRegistry& Registry) { Registry.WriteBool("Maximized", m_stylesExpanded); });
}

// ===== running =====================================================================================

void TdxfmPrintDialog::Prepare()
{
    {
        TValueRestorer<bool> loading(m_loading, true);
        FillPrinters();
        chbxPrintToFile->SetChecked(m_data.PrintToFile);
        TRadioButton* const ranges[] = {rbtnAllPages, rbtnCurrentPage, rbtnPageRanges, rbtnSelection};
        if (static_cast<std::size_t>(m_data.PageRanges) < std::size(ranges))
            ranges[m_data.PageRanges]->SetChecked(true);
        cbxNumberOfPages->SetItemIndex(std::min<int>(m_data.PageNums, 2));
        chbxCollate->SetChecked(m_data.Collate);
        if (m_data.StyleManager) {
            btnPageSetup->SetCaption("Print Styles");
        } else if (m_events.OnPageSetup) {
            btnPageSetup->SetCaption("Pa&ge Setup...");
            btnPageSetup->SetGlyph(nullptr);
        }
        cbxPrinters->SetEnabled(cbxPrinters->Items()->Count() > 0);
        if (btnHelp->Visible() != (HelpContext() != 0)) {
            btnHelp->SetVisible(HelpContext() != 0);
            ArrangeButtons();
        }
        ShowPrinterStatus();
        seCopies->SetValue(std::max(1, m_data.Copies));
    }
    if (m_data.StyleManager && m_optionsVisible.Contains(pdoPrintStyles)) {
        FillStyles();
        SetStylesExpanded(m_storedExpanded);
    }
    UpdatePageSetupGlyph();
    RefreshControls();
}

void TdxfmPrintDialog::DoShow()
{
    TCustomdxPSForm::DoShow();
    if (m_events.OnShow)
        m_events.OnShow(this);
    // The form is not on the screen yet: whether a control can take the
    // focus is asked of it and its parents.
    const auto focusable = [this](TWinControl* C) {
        for (TWinControl* c = C; c && c != this; c = c->Parent())
            if (!c->Visible() || !c->Enabled())
                return false;
        return true;
    };
    for (TWinControl* c : std::initializer_list<TWinControl*>{seCopies, cbxNumberOfPages, btnOK})
        if (focusable(c)) {
            SetActiveControl(c);
            break;
        }
}

void TdxfmPrintDialog::DoClose(TCloseAction& Action)
{
    if (m_events.OnClose)
        m_events.OnClose(this);
    TCustomdxPSForm::DoClose(Action);
    StoreSettings();
}

void TdxfmPrintDialog::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomdxPSForm::Notification(AComponent, Operation);
    if (Operation != opRemove || !lbxPrintStyles)
        return;
    if (AComponent == m_running)
        m_running = nullptr;
    if (AComponent == m_data.StyleManager) {
        // A manager freed while the dialog runs is handed back to nobody.
        m_data.StyleManager = nullptr;
        m_input.StyleManager = nullptr;
        lbxPrintStyles->Clear();
        RefreshControls();
        return;
    }
    if (detail::RemoveStyleEntries(*lbxPrintStyles, AComponent))
        RefreshControls();
}

void TdxfmPrintDialog::MarkModified()
{
    if (m_loading)
        return;
    m_modified = true;
    RefreshControls();
}

void TdxfmPrintDialog::RenameCancel()
{
    btnCancel->SetCaption("Close");
}

void TdxfmPrintDialog::FillPrinters()
{
    TdxPrintDevice* device = dxPrintDevice();
    TStrings* items = cbxPrinters->Items();
    {
        TUpdateScope<TStrings> update(*items);
        for (int i = 0; i < items->Count(); ++i)
            delete items->Objects(i);
        items->Clear();
        TStringList* printers = device->Printers();
        for (int i = 0; i < printers->Count(); ++i) {
            const TPrinterStatus status = device->GetPrinterStatus(i);
            items->AddObject(printers->Get(i), new TdxPrinterInfos(status.IsDefault, status.IsNetwork));
        }
    }
    cbxPrinters->SetItemIndex(CurrentPrinter(*device));
}

void TdxfmPrintDialog::ShowPrinterStatus()
{
    TdxPrintDevice* device = dxPrintDevice();
    const int index = cbxPrinters->Items()->Count() > 0 ? CurrentPrinter(*device) : -1;
    std::string status, driver, port, comment;
    std::uint32_t value = 0;
    if (index >= 0) {
        const TdxPrintDeviceInfo* info = device->PrinterInfo(index);
        const TPrinterStatus s = device->GetPrinterStatus(index);
        value = s.Status;
        status = s.JobCount > 0 ? Format("Printing: %d document(s) waiting", {s.JobCount}) : dxPrinterStatusText(value);
        driver = info->Driver();
        port = info->Port();
        comment = info->Comment();
    }
    lblStatusValue->SetCaption(status);
    lblStatusValue->Font()->SetColor(value != 0 ? clHighlight : Font()->Color());
    lblTypeValue->SetCaption(driver);
    lblWhereValue->SetCaption(port);
    lblCommentValue->SetCaption(comment);
    seCopies->SetMinValue(1);
    // A printer that makes only one copy itself still prints more: the
    // printing engine repeats the pages.
    const int maxCopies = index >= 0 ? device->MaxCopies() : 1;
    seCopies->SetMaxValue(maxCopies > 1 ? maxCopies : kRepeatedCopies);
}

void TdxfmPrintDialog::RefreshControls()
{
    const bool toFile = chbxPrintToFile->Enabled() && chbxPrintToFile->Visible() && chbxPrintToFile->Checked();
    cbxFileName->SetEnabled(toFile);
    cbxFileName->SetColor(toFile ? clWindow : clBtnFace);
    btnBrowse->SetEnabled(toFile);
    TBasedxPrintStyle* style = SelectedStyle();
    btnPageSetup2->SetEnabled(m_buttonsEnabled.Contains(pdbPageSetup) && style != nullptr);
    const bool options = style && style->HasStyleOptionsDlg();
    btnStyleOptions->SetEnabled(options);
    btnStyleOptions->SetVisible(options && m_buttonsVisible.Contains(pdbStyleOptions));
    btnPrinterProperties->SetEnabled(m_buttonsEnabled.Contains(pdbPrinterProperties)
                                     && cbxPrinters->Items()->Count() > 0);
    btnOK->SetEnabled(cbxPrinters->Items()->Count() > 0 || chbxPrintToFile->Checked());
}

void TdxfmPrintDialog::DrawPrinterItem(int Index, const TRect& Rect, bool Selected)
{
    TCanvas* c = cbxPrinters->Canvas();
    c->Brush()->SetColor(Selected ? clHighlight : clWindow);
    c->FillRect(Rect);
    if (Index < 0 || Index >= cbxPrinters->Items()->Count())
        return;
    int image = detail::pdiPrinter;
    if (auto* infos = dynamic_cast<TdxPrinterInfos*>(cbxPrinters->Items()->Objects(Index)))
        image = int(infos->IsNetwork) + 2 * int(infos->IsDefault);
    m_images->Draw(c, Rect.Left + 2, Rect.Top + (Rect.Height() - 16) / 2, image);
    c->Font()->SetColor(Selected ? clHighlightText : clWindowText);
    c->SetBkMode(TRANSPARENT);
    TRect text{Rect.Left + 22, Rect.Top, Rect.Right, Rect.Bottom};
    c->DrawText(cbxPrinters->Items()->Get(Index), text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void TdxfmPrintDialog::DrawCollate()
{
    TCanvas* c = pbxCollate->Canvas();
    c->Brush()->SetColor(Color());
    c->FillRect(pbxCollate->ClientRect());
    c->Font()->Assign(Font());
    c->Font()->SetSize(7);
    // Two copies of three pages: collated, two stacks 1-2-3; else three stacks of equal pages.
    const bool collated = chbxCollate->Checked();
    const int stacks = collated ? 2 : 3;
    const int sheets = collated ? 3 : 2;
    for (int s = 0; s < stacks; ++s) {
        const int left = 4 + s * (collated ? 44 : 30);
        for (int k = sheets - 1; k >= 0; --k) {
            const int number = collated ? k + 1 : s + 1;
            const TRect r = Rect(left + k * 7, 4 + k * 7, left + k * 7 + kSheetWidth, 4 + k * 7 + kSheetHeight);
            c->Pen()->SetColor(clBlack);
            c->Brush()->SetColor(clWhite);
            c->Rectangle(r);
            c->SetBkMode(TRANSPARENT);
            TRect text{r.Left, r.Top, r.Right - 2, r.Bottom - 1};
            c->DrawText(std::to_string(number), text, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM | DT_NOPREFIX);
        }
    }
}

// ===== the controls' actions ==========================================================================

void TdxfmPrintDialog::PrinterChosen()
{
    if (m_loading)
        return;
    const int index = cbxPrinters->ItemIndex();
    if (index < 0)
        return;
    {
        BeginLongOperation();
        Finally done([this] { EndLongOperation(); });
        dxPrintDevice()->SetPrinterIndex(index);
    }
    RenameCancel();
    {
        TValueRestorer<bool> loading(m_loading, true);
        ShowPrinterStatus();
    }
    MarkModified();
}

void TdxfmPrintDialog::PropertiesClicked()
{
    TdxPrintDevice* device = dxPrintDevice();
    if (device->Printing()) {
        MessageWarning("Printer is currently printing.\n\rPlease wait.");
        return;
    }
    device->SetCopies(seCopies->AsInteger());
    device->SetCollate(chbxCollate->Checked());
    if (!device->ShowPropertiesDialog(this))
        return;
    {
        TValueRestorer<bool> loading(m_loading, true);
        ShowPrinterStatus();
        seCopies->SetValue(device->GetCopies());
        chbxCollate->SetChecked(device->GetCollate());
        m_data.Copies = seCopies->AsInteger();
        m_data.Collate = chbxCollate->Checked();
    }
    RenameCancel();
    MarkModified();
}

void TdxfmPrintDialog::NetworkClicked()
{
    if (!dxConnectToNetworkPrinter(this))
        return;
    {
        TValueRestorer<bool> loading(m_loading, true);
        FillPrinters();
    }
    PrinterChosen();
}

void TdxfmPrintDialog::PrintToFileClicked()
{
    if (m_loading)
        return;
    m_data.PrintToFile = chbxPrintToFile->Checked();
    MarkModified();
    if (m_data.PrintToFile && cbxFileName->Items()->Count() > 0) {
        cbxFileName->SetItemIndex(0);
        if (btnBrowse->CanFocus())
            btnBrowse->SetFocus();
    }
}

void TdxfmPrintDialog::BrowseClicked()
{
    TSaveDialog dialog(nullptr);
    dialog.SetTitle("Choose File Name");
    dialog.SetFilter(Format("%s (*.*)|*.*|%s (*.prn)|*.PRN", {std::string("All Files"), std::string("Printer Files")}));
    dialog.SetFilterIndex(2);
    dialog.SetDefaultExt("prn");
    dialog.SetFileName(cbxFileName->Text());
    if (!dialog.Execute())
        return;
    cbxFileName->SetText(dialog.FileName());
    FileNameExited();
    MarkModified();
}

void TdxfmPrintDialog::FileNameExited()
{
    if (!m_loading)
        m_data.FileName = dxPrintFileName(WithoutBlanks(cbxFileName->Text()));
}

void TdxfmPrintDialog::PageRangeClicked(TRadioButton* Button)
{
    if (m_loading)
        return;
    m_data.PageRanges = static_cast<std::uint8_t>(Button->Tag());
    if (Button == rbtnPageRanges) {
        if (edPageRanges->CanFocus()) {
            edPageRanges->SetFocus();
            edPageRanges->SelectAll();
        }
    } else {
        TValueRestorer<bool> loading(m_loading, true);
        edPageRanges->SetText("");
        m_data.Pages.clear();
        SetWarning({});
    }
    MarkModified();
}

void TdxfmPrintDialog::PageRangesKeyPress(TKeyChar& Key)
{
    // Control characters are editing commands (select all, copy), not typing.
    if (Key < 0x20 && Key != 8)
        return;
    const bool hasText = !edPageRanges->Text().empty();
    if (IsDigit(Key) || (hasText && (Key == 8 || Key == ',' || Key == '-')))
        return;
    MessageBeep(MB_ICONHAND);
    Key = 0;
}

void TdxfmPrintDialog::PageRangesExited()
{
    if (m_loading)
        return;
    const std::string text = WithoutBlanks(edPageRanges->Text());
    if (text != edPageRanges->Text()) {
        TValueRestorer<bool> loading(m_loading, true);
        edPageRanges->SetText(text);
    }
    m_data.Pages = text;
    // No check when another range is chosen, or is about to be.
    const TWinControl* next = Screen().ActiveControl();
    for (TRadioButton* other : {rbtnAllPages, rbtnCurrentPage, rbtnSelection})
        if (other->Checked() || other == next)
            return;
    ShowPageListCheck(text);
}

bool TdxfmPrintDialog::ShowPageListCheck(const std::string& Pages)
{
    TdxPageListCheck check = dxCheckPageList(Pages, m_data.MinRange, m_data.MaxRange);
    // The pane speaks of bad lists; an empty one is asked for on OK.
    if (check == plcEmpty)
        check = plcValid;
    const std::string text = dxPageListMessage(check, m_data.MinRange, m_data.MaxRange);
    SetWarning(text);
    return check == plcValid;
}

void TdxfmPrintDialog::SetWarning(const std::string& Text)
{
    if (Text.empty()) {
        m_warningText.clear();
        bmaWarning->SetState(false);
        lblDescription->SetVisible(m_optionsVisible.Contains(pdoPageRange));
        return;
    }
    if (!bmaWarning->State()) {
        const TWinControl* focus = Screen().ActiveControl();
        if (focus != btnOK && focus != btnCancel)
            MessageBeep(0);
    }
    if (Text != m_warningText) {
        m_warningText = Text;
        TBitmap bmp(std::max(1, bmaWarning->Width()), std::max(1, bmaWarning->Height()));
        detail::PaintWarningPane(bmp, *m_images, detail::pdiWarning, Font(), Text);
        bmaWarning->SetBitmap(&bmp);
    }
    lblDescription->SetVisible(false);
    bmaWarning->SetState(true);
}

// ===== page setup and styles ==============================================================================

void TdxfmPrintDialog::PageSetupClicked()
{
    if (m_data.StyleManager && m_optionsVisible.Contains(pdoPrintStyles)) {
        SetStylesExpanded(!m_stylesExpanded);
        return;
    }
    if (!m_events.OnPageSetup)
        return;
    bool done = true, preview = false;
    m_events.OnPageSetup(this, done, nullptr, preview);
    if (done) {
        {
            TValueRestorer<bool> loading(m_loading, true);
            ShowPrinterStatus();
        }
        MarkModified();
        RenameCancel();
    }
    if (preview) {
        m_previewPressed = true;
        SetModalResult(mrOk);
    }
}

void TdxfmPrintDialog::SetStylesExpanded(bool Value)
{
    m_stylesExpanded = Value;
    pnlPrintStyles->SetTop(m_collapsedHeight);
    pnlPrintStyles->SetVisible(Value);
    SetClientHeight(m_collapsedHeight + (Value ? kStylesHeight : 0));
    UpdatePageSetupGlyph();
}

void TdxfmPrintDialog::UpdatePageSetupGlyph()
{
    if (!m_data.StyleManager) {
        btnPageSetup->SetGlyph(nullptr);
        return;
    }
    // The button shows its glyph as it is: drawn on the button's colour.
    TBitmap glyph(16, 16);
    glyph.Canvas()->Brush()->SetColor(clBtnFace);
    glyph.Canvas()->FillRect(Rect(0, 0, 16, 16));
    m_images->Draw(glyph.Canvas(), 0, 0, m_stylesExpanded ? detail::pdiArrowUp : detail::pdiArrowDown);
    btnPageSetup->SetGlyph(&glyph);
}

void TdxfmPrintDialog::FillStyles()
{
    TdxPrintStyleManager* manager = m_data.StyleManager;
    detail::FillStyleList(*lbxPrintStyles, manager, *this);
    lbxPrintStyles->SetItemIndex(manager ? lbxPrintStyles->Items()->IndexOfObject(manager->CurrentStyle()) : -1);
}

TBasedxPrintStyle* TdxfmPrintDialog::SelectedStyle() const
{
    return detail::SelectedStyleOf(*lbxPrintStyles);
}

void TdxfmPrintDialog::StyleSelected()
{
    TBasedxPrintStyle* style = SelectedStyle();
    if (m_loading || !style || !m_data.StyleManager)
        return;
    if (m_data.StyleManager->CurrentStyle() != style) {
        m_data.StyleManager->SetCurrentStyle(style);
        RenameCancel();
    }
    MarkModified();
}

void TdxfmPrintDialog::StylePageSetup()
{
    TBasedxPrintStyle* style = SelectedStyle();
    if (!style || !btnPageSetup2->Enabled())
        return;
    bool preview = false;
    m_running = style;
    const bool ok = style->PageSetup(0, &preview, nullptr);
    m_running = nullptr;
    if (ok) {
        RenameCancel();
        lbxPrintStyles->Invalidate();
    }
    if (preview) {
        m_previewPressed = true;
        SetModalResult(mrOk);
    }
}

void TdxfmPrintDialog::DefineStyles()
{
    if (!m_data.StyleManager || !btnDefineStyles->Visible())
        return;
    bool preview = false;
    m_data.StyleManager->DefinePrintStylesDlg(&preview, nullptr);
    if (preview) {
        m_previewPressed = true;
        SetModalResult(mrOk);
    }
}

void TdxfmPrintDialog::StyleOptions()
{
    TBasedxPrintStyle* style = SelectedStyle();
    if (!style || !style->HasStyleOptionsDlg())
        return;
    m_running = style;
    const bool ok = style->ShowOptionsDlg();
    m_running = nullptr;
    if (ok) {
        RenameCancel();
        MarkModified();
    }
}

// ===== OK ========================================================================================

bool TdxfmPrintDialog::CheckFileName()
{
    const std::string text = Trim(cbxFileName->Text());
    const auto fail = [this](const std::string& Message) {
        if (!Message.empty())
            MessageWarning(Message);
        if (cbxFileName->CanFocus())
            cbxFileName->SetFocus();
        return false;
    };
    if (text.empty())
        return fail("Enter file name.");
    const std::string bare = IsQuoted(text) ? text.substr(1, text.size() - 2) : text;
    if (!ValidateFileName(bare))
        return fail(Format("Invalid File Name \"%s\"", {bare}));
    const std::string name = dxPrintFileName(text);
    std::error_code error;
    if (std::filesystem::exists(name, error)
        && Application().MessageBox(Format("File \"%s\" already exists. Overwrite ?", {name}), Application().Title(),
                                    MB_YESNO | MB_ICONQUESTION)
               != IDYES)
        return fail({});
    return true;
}

bool TdxfmPrintDialog::CheckOnOK()
{
    if (chbxPrintToFile->Checked() && !CheckFileName())
        return false;
    // The page list is checked also when printing to a file: the print would refuse it later.
    if (rbtnPageRanges->Checked()) {
        const TdxPageListCheck check = dxCheckPageList(edPageRanges->Text(), m_data.MinRange, m_data.MaxRange);
        if (check != plcValid) {
            MessageWarning(dxPageListMessage(check, m_data.MinRange, m_data.MaxRange));
            if (edPageRanges->CanFocus())
                edPageRanges->SetFocus();
            return false;
        }
    }
    return true;
}

void TdxfmPrintDialog::StoreResult()
{
    m_data.Pages = WithoutBlanks(edPageRanges->Text());
    m_data.Copies = seCopies->AsInteger();
    m_data.FileName = dxPrintFileName(cbxFileName->Text());
    if (m_data.FileList && !m_data.FileName.empty()) {
        TStrings* list = m_data.FileList;
        const int at = list->IndexOf(m_data.FileName);
        if (at > 0)
            list->Move(at, 0);
        else if (at < 0)
            list->Insert(0, m_data.FileName);
    }
}

bool TdxfmPrintDialog::CloseQuery()
{
    if (ModalResult() == mrOk) {
        if (m_checkOnOK && !CheckOnOK()) {
            // A preview asked for on the way out goes with the refused close.
            m_previewPressed = false;
            return false;
        }
        StoreResult();
    }
    return TCustomdxPSForm::CloseQuery();
}

// ===== running the dialog =====================================================================================

std::unique_ptr<TdxfmPrintDialog> dxCreatePrintDialogForm(const TdxPrintDialogRequest& Request)
{
    std::unique_ptr<TdxfmPrintDialog> form(CreateForm<TdxfmPrintDialog>(nullptr));
    form->Load(Request);
    form->Prepare();
    return form;
}

bool dxPrintDialog(TdxPrintDialogRequest& Request)
{
    Request.PreviewBtnClicked = false;
    if (!Request.Data)
        return false;
    const std::unique_ptr<TdxfmPrintDialog> form = dxCreatePrintDialogForm(Request);
    const bool ok = form->ShowModal() == mrOk;
    *Request.Data = ok ? form->WorkingData() : form->InputData();
    Request.PreviewBtnClicked = form->PreviewBtnClicked();
    return ok;
}

} // namespace qel
