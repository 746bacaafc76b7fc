// The print dialog over scripted printers, used as a person uses it: the
// page list's keys and checks, print-to-file names and their questions,
// printers with their status, copies, Preview, the styles panel, and a
// manager freed while the dialog is open; and the queue of the private
// CUPS scheduler as the dialog lists it.
#include "preview/PrintDialog.h"

#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/Buttons.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/Guards.h"
#include "platform/core/Strings.h"
#include "platform/graphics/Bitmap.h"
#include "platform/printers/CupsTestQueue.h"
#include "platform/printers/ScriptedPrinters.h"
#include "preview/PreviewDialogs.h"
#include "platform/storage/Registry.h"
#include "printing/PSEngine.h"
#include "printing/PrintControls.h"
#include "printing/PrintDevice.h"
#include "printing/PrintStyles.h"
#include "PageSetupTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <filesystem>
#include <fstream>
#include <functional>

namespace qel {
namespace {

class PrintDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dxInstallPreviewDialogs();
        TScriptedPrinter office = TScriptedPrinterBackend::MakePrinter("Buero");
        office.Info.Comment = "Zweiter Stock";
        office.Status.IsDefault = true;
        TScriptedPrinter store = TScriptedPrinterBackend::MakePrinter("Lager");
        store.Status.IsNetwork = true;
        store.Status.Status = 128;
        store.Limits.MaxCopies = 5;
        UsePrinters({office, store});
        data.MinRange = 1;
        data.MaxRange = 5;
        data.FileList = &files;
        request.Data = &data;
        request.Title = "Print";
        request.ButtonsVisible = request.ButtonsEnabled = {pdbPrinterProperties, pdbPreview, pdbPageSetup};
        request.OptionsVisible = request.OptionsEnabled = {pdoPrintToFile, pdoAllPages, pdoCurrentPage,
                                                           pdoPageRange};
        dir = std::filesystem::temp_directory_path() / ("qel-print-dialog-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override
    {
        std::filesystem::remove_all(dir);
        dxPrintDeviceInstance(2);
        dxSetPrintDeviceBackendFactory({});
        SetBeepHook(savedBeep);
    }

    void UsePrinters(std::vector<TScriptedPrinter> Printers) { test::UseScriptedPrinters(std::move(Printers)); }

    // Runs the dialog on `request` with Script acting in it.
    bool Run(const std::function<void(TdxfmPrintDialog&)>& Script)
    {
        TModalFormHookScope hook([&](TForm& Form) {
            if (auto* d = dynamic_cast<TdxfmPrintDialog*>(&Form))
                Script(*d);
        });
        return dxPrintDialog(request);
    }

    // OK pressed, as the modal loop asks the form: true when it would close.
    static bool PressOK(TdxfmPrintDialog& D)
    {
        D.btnOK->Click();
        const bool closes = D.CloseQuery();
        if (!closes)
            D.SetModalResult(mrNone);
        return closes;
    }

    static void TypeInto(TWinControl* Edit, const std::string& Text)
    {
        Edit->SetFocus();
        SimulateKey(Edit, 'A', {ssCtrl});
        SimulateText(Text);
    }

    // A manager of two styles, "Standard" current, with the styles panel and Define Styles offered.
    TdxPrintStyleManager* AttachManager(TComponent& Owner)
    {
        auto* manager = new TdxPrintStyleManager(&Owner);
        for (const char* caption : {"Standard", "Quer"})
            manager->AddStyle()->SetStyleCaption(caption);
        manager->SetCurrentStyle(manager->Styles(0));
        data.StyleManager = manager;
        request.OptionsVisible.Include(pdoPrintStyles);
        request.ButtonsVisible.Include(pdbDefineStyles);
        return manager;
    }

    std::string Path(const char* Name) const { return (dir / Name).string(); }

    TMessageDlgHookScope messages{[this](const TMessageDlgParams& P) {
        asked.push_back(P.Text);
        return answer;
    }};
    TBeepHook savedBeep = SetBeepHook([this](unsigned Type) { beeps.push_back(Type); });
    TStringList files;
    TdxPrintDialogData data;
    TdxPrintDialogRequest request;
    std::filesystem::path dir;
    std::vector<std::string> asked;
    std::vector<unsigned> beeps;
    TModalResult answer = mrYes;
};

TEST(PrintDialogRules, StatusTextsNameOneStateAndNothingForTwo)
{
    EXPECT_EQ(dxPrinterStatusText(0), "Ready");
    EXPECT_EQ(dxPrinterStatusText(1), "Paused");
    EXPECT_EQ(dxPrinterStatusText(128), "Offline");
    EXPECT_EQ(dxPrinterStatusText(1024), "Printing");
    EXPECT_EQ(dxPrinterStatusText(4194304), "Door Open");
    EXPECT_EQ(dxPrinterStatusText(128 | 16), "") << "two bits";
    EXPECT_EQ(dxPrinterStatusText(1u << 23), "") << "a state without a text";
}

TEST(PrintDialogRules, PageListsAreJudgedBeforeTheDecoderSeesThem)
{
    struct Row {
        const char* Pages;
        TdxPageListCheck Check;
        const char* Why;
    };
    const Row rows[] = {
        {"1,3,5-5", plcValid, "a one-page range"},
        {" 2 - 4 ", plcValid, "blanks do not count"},
        {"", plcEmpty, "nothing typed"},
        {"3-1", plcInvalid, "a reversed range"},
        {"05", plcInvalid, "a leading zero, although the decoder reads page 5"},
        {"0", plcOutOfRange, "page 0 is a number below the first page"},
        {"6", plcOutOfRange, "past the last page"},
        {"1-2000000000", plcOutOfRange, "a huge range refused before decoding"},
        {"2-", plcInvalid, "an open range the decoder would read as page 0"},
        {"1-2-3", plcInvalid, "two dashes"},
        {",", plcInvalid, "no page at all"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(dxCheckPageList(r.Pages, 1, 5), r.Check) << r.Pages << ": " << r.Why;
    EXPECT_EQ(dxPageListMessage(plcOutOfRange, 1, 5), "Page numbers out of range (1 - 5)");
    EXPECT_EQ(dxPageListMessage(plcInvalid, 1, 5), "Invalid page ranges");
    EXPECT_EQ(dxPageListMessage(plcEmpty, 1, 5), "Enter page numbers");
}

TEST(PrintDialogRules, PrintFileNamesGetThePrinterExtensionUnlessQuoted)
{
    EXPECT_EQ(dxPrintFileName("report.txt"), "report.prn");
    EXPECT_EQ(dxPrintFileName("  out/report  "), "out/report.prn");
    EXPECT_EQ(dxPrintFileName("\"report.txt\""), "report.txt") << "quoted: as typed";
    EXPECT_EQ(dxPrintFileName("\"\""), "\"\".prn") << "two quotes alone are no quoted name";
    EXPECT_EQ(dxPrintFileName(""), "");
}

TEST_F(PrintDialogTest, ShowsThePrintersWithTheirFactsAndChoosingOneSelectsIt)
{
    data.Copies = 3;
    const bool ok = Run([&](TdxfmPrintDialog& D) {
        EXPECT_EQ(D.Caption(), "Print");
        ASSERT_NE(D.Icon(), nullptr);
        EXPECT_FALSE(D.Icon()->Empty()) << "the form's icon";
        ASSERT_EQ(D.cbxPrinters->Items()->Count(), 2);
        auto* office = dynamic_cast<TdxPrinterInfos*>(D.cbxPrinters->Items()->Objects(0));
        auto* store = dynamic_cast<TdxPrinterInfos*>(D.cbxPrinters->Items()->Objects(1));
        ASSERT_TRUE(office && store);
        EXPECT_TRUE(office->IsDefault && !office->IsNetwork);
        EXPECT_TRUE(store->IsNetwork && !store->IsDefault);
        EXPECT_EQ(D.cbxPrinters->ItemIndex(), 0);
        EXPECT_EQ(D.lblStatusValue->Caption(), "Ready");
        EXPECT_EQ(D.lblTypeValue->Caption(), "Scripted");
        EXPECT_EQ(D.lblWhereValue->Caption(), "lpt:Buero");
        EXPECT_EQ(D.lblCommentValue->Caption(), "Zweiter Stock");
        EXPECT_EQ(D.seCopies->MaxValue(), 99);
        EXPECT_EQ(D.seCopies->AsInteger(), 3);
        EXPECT_TRUE(D.seCopies->Focused()) << "the copies take the focus";
        EXPECT_EQ(D.btnCancel->Caption(), "Cancel");

        D.cbxPrinters->SetItemIndex(1);
        D.cbxPrinters->OnChange(D.cbxPrinters);
        EXPECT_EQ(dxPrintDevice()->GetDeviceName(), "Lager");
        EXPECT_EQ(D.lblStatusValue->Caption(), "Offline");
        EXPECT_EQ(D.lblStatusValue->Font()->Color(), clHighlight);
        EXPECT_EQ(D.lblCommentValue->Caption(), "");
        EXPECT_EQ(D.seCopies->MaxValue(), 5) << "the new printer's most copies";
        EXPECT_EQ(D.btnCancel->Caption(), "Close");
        D.btnCancel->Click();
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(dxPrintDevice()->GetDeviceName(), "Lager") << "the printer stays chosen";
}

TEST_F(PrintDialogTest, JobsWaitingShowAsTheStatus)
{
    TScriptedPrinter busy = TScriptedPrinterBackend::MakePrinter("Buero");
    busy.Status.JobCount = 2;
    busy.Status.Status = 1024;
    busy.Limits.MaxCopies = 1;
    UsePrinters({busy});
    Run([&](TdxfmPrintDialog& D) {
        EXPECT_EQ(D.lblStatusValue->Caption(), "Printing: 2 document(s) waiting");
        EXPECT_GT(D.seCopies->MaxValue(), 1) << "copies the printer cannot make come from repeated pages";
    });
}

TEST_F(PrintDialogTest, OKHandsBackTheEditsAndCancelLeavesTheRecord)
{
    const auto edit = [&](TdxfmPrintDialog& D) {
        D.seCopies->SetValue(2);
        D.chbxCollate->SetChecked(true);
        D.cbxNumberOfPages->SetItemIndex(2);
        D.cbxNumberOfPages->OnChange(D.cbxNumberOfPages);
        D.rbtnPageRanges->SetChecked(true);
        TypeInto(D.edPageRanges, "1, 3");
    };
    EXPECT_FALSE(Run([&](TdxfmPrintDialog& D) {
        edit(D);
        D.btnCancel->Click();
    }));
    EXPECT_EQ(data.Copies, 1);
    EXPECT_FALSE(data.Collate);
    EXPECT_EQ(data.PageRanges, 0);
    EXPECT_EQ(data.Pages, "");

    EXPECT_TRUE(Run([&](TdxfmPrintDialog& D) {
        edit(D);
        EXPECT_TRUE(PressOK(D));
    }));
    EXPECT_EQ(data.Copies, 2);
    EXPECT_TRUE(data.Collate);
    EXPECT_EQ(data.PageNums, 2);
    EXPECT_EQ(data.PageRanges, 2);
    EXPECT_EQ(data.Pages, "1,3") << "without blanks";
    EXPECT_FALSE(request.PreviewBtnClicked);
}

TEST_F(PrintDialogTest, AnEmptyPageListTakesOnlyADigitFirst)
{
    std::string typed;
    Run([&](TdxfmPrintDialog& D) {
        D.edPageRanges->SetFocus();
        for (const char* key : {",", "-", "x"})
            SimulateText(key);
        EXPECT_EQ(D.edPageRanges->Text(), "");
        EXPECT_EQ(beeps, (std::vector<unsigned>{MB_ICONHAND, MB_ICONHAND, MB_ICONHAND}));
        EXPECT_FALSE(D.rbtnPageRanges->Checked());
        SimulateText("1");
        EXPECT_TRUE(D.rbtnPageRanges->Checked()) << "typing chose the page list";
        SimulateText(",3-4x");
        typed = D.edPageRanges->Text();
    });
    EXPECT_EQ(typed, "1,3-4");
    EXPECT_EQ(beeps.size(), 4u);
}

TEST_F(PrintDialogTest, BadPageListsWarnInThePaneAndRefuseOK)
{
    struct Row {
        const char* Pages;
        const char* Text;
    };
    for (const Row& r : {Row{"3-1", "Invalid page ranges"}, Row{"05", "Invalid page ranges"},
                         Row{"0", "Page numbers out of range (1 - 5)"}}) {
        asked.clear();
        std::string pane;
        bool closed = true;
        Run([&](TdxfmPrintDialog& D) {
            D.rbtnPageRanges->SetChecked(true);
            TypeInto(D.edPageRanges, r.Pages);
            D.cbxNumberOfPages->SetFocus();   // leaving the edit checks it
            pane = D.WarningText();
            closed = PressOK(D);
            EXPECT_TRUE(D.edPageRanges->Focused());
        });
        EXPECT_EQ(pane, r.Text) << r.Pages;
        EXPECT_FALSE(closed) << r.Pages;
        EXPECT_EQ(asked, std::vector<std::string>{r.Text}) << r.Pages;
    }
    std::string pane = "unset";
    Run([&](TdxfmPrintDialog& D) {
        D.rbtnPageRanges->SetChecked(true);
        TypeInto(D.edPageRanges, "1,3,5-5");
        D.cbxNumberOfPages->SetFocus();
        pane = D.WarningText();
        EXPECT_TRUE(PressOK(D));
    });
    EXPECT_EQ(pane, "");
    EXPECT_EQ(data.Pages, "1,3,5-5");
}

TEST_F(PrintDialogTest, ThePageListIsCheckedAlsoWhenPrintingToAFile)
{
    bool closed = true;
    Run([&](TdxfmPrintDialog& D) {
        D.chbxPrintToFile->SetChecked(true);
        D.cbxFileName->SetText(Path("out"));
        D.rbtnPageRanges->SetChecked(true);
        TypeInto(D.edPageRanges, "9");
        closed = PressOK(D);
    });
    EXPECT_FALSE(closed) << "a list the print would refuse";
    EXPECT_EQ(asked, std::vector<std::string>{"Page numbers out of range (1 - 5)"});
}

TEST_F(PrintDialogTest, ARefusedOKDropsThePreviewAskedForInPageSetup)
{
    request.Events.OnPageSetup = [](TObject*, bool& Done, void*, bool& Preview) {
        Done = true;
        Preview = true;
    };
    bool preview = true;
    const bool ok = Run([&](TdxfmPrintDialog& D) {
        D.rbtnPageRanges->SetChecked(true);   // and no pages typed
        D.btnPageSetup->Click();
        EXPECT_EQ(D.ModalResult(), mrOk) << "a preview asked for closes with OK";
        EXPECT_FALSE(D.CloseQuery());
        D.SetModalResult(mrNone);
        preview = D.PreviewBtnClicked();
        D.btnCancel->Click();
    });
    EXPECT_FALSE(preview) << "a later OK must print, not preview";
    EXPECT_FALSE(ok);
    EXPECT_FALSE(request.PreviewBtnClicked);
    EXPECT_EQ(asked, std::vector<std::string>{"Enter page numbers"});
}

TEST_F(PrintDialogTest, PreviewAnswersFalseWithTheRecordAsItCame)
{
    data.Copies = 4;
    data.Pages = "2";
    data.PageRanges = 2;
    const bool ok = Run([&](TdxfmPrintDialog& D) {
        D.seCopies->SetValue(7);
        TypeInto(D.edPageRanges, "1-3");
        D.chbxPrintToFile->SetChecked(true);
        D.btnPreview->Click();
    });
    EXPECT_FALSE(ok);
    EXPECT_TRUE(request.PreviewBtnClicked);
    EXPECT_EQ(data.Copies, 4);
    EXPECT_EQ(data.Pages, "2");
    EXPECT_FALSE(data.PrintToFile);

    // Without a record nothing shows.
    TdxPrintDialogRequest none;
    none.PreviewBtnClicked = true;
    EXPECT_FALSE(dxPrintDialog(none));
    EXPECT_FALSE(none.PreviewBtnClicked);
}

TEST_F(PrintDialogTest, PrintFileNamesAreCheckedAndRemembered)
{
    files.Add(Path("old.prn"));
    const auto printTo = [&](const std::string& Typed, bool ExpectClosed) {
        asked.clear();
        bool closed = false;
        Run([&](TdxfmPrintDialog& D) {
            EXPECT_EQ(D.cbxFileName->Text(), files.Get(0)) << "the most recent name";
            D.chbxPrintToFile->SetChecked(true);
            EXPECT_TRUE(D.cbxFileName->Enabled());
            D.cbxFileName->SetText(Typed);
            closed = PressOK(D);
            if (!closed) {
                EXPECT_TRUE(D.cbxFileName->Focused());
            }
        });
        EXPECT_EQ(closed, ExpectClosed) << Typed;
    };
    printTo(Path("report.txt"), true);
    EXPECT_EQ(data.FileName, Path("report.prn"));
    EXPECT_TRUE(data.PrintToFile);
    EXPECT_EQ(files.Get(0), Path("report.prn"));
    EXPECT_TRUE(asked.empty());

    printTo("\"" + Path("report.txt") + "\"", true);
    EXPECT_EQ(data.FileName, Path("report.txt")) << "quoted: kept as typed";

    printTo("", false);
    EXPECT_EQ(asked, std::vector<std::string>{"Enter file name."});
    printTo(Path("a|b"), false);
    EXPECT_EQ(asked, std::vector<std::string>{"Invalid File Name \"" + Path("a|b") + "\""});

    std::ofstream(Path("exists.prn")) << "x";
    answer = mrNo;
    printTo(Path("exists.prn"), false);
    EXPECT_EQ(asked, std::vector<std::string>{"File \"" + Path("exists.prn") + "\" already exists. Overwrite ?"});
    answer = mrYes;
    printTo(Path("exists.prn"), true);
    EXPECT_EQ(test::Lines(files), (std::vector<std::string>{Path("exists.prn"), Path("report.txt"), Path("report.prn"),
                                                      Path("old.prn")}))
        << "most recent first, each once";
}

TEST_F(PrintDialogTest, OKNeedsAPrinterOrAFile)
{
    UsePrinters({});
    Run([&](TdxfmPrintDialog& D) {
        EXPECT_EQ(D.cbxPrinters->Items()->Count(), 0);
        EXPECT_FALSE(D.cbxPrinters->Enabled());
        EXPECT_FALSE(D.btnPrinterProperties->Enabled());
        EXPECT_EQ(D.lblStatusValue->Caption(), "");
        EXPECT_FALSE(D.btnOK->Enabled());
        D.chbxPrintToFile->SetChecked(true);
        EXPECT_TRUE(D.btnOK->Enabled()) << "printing to a file needs no printer";
    });
}

TEST_F(PrintDialogTest, OptionsAndButtonsFollowTheRequest)
{
    request.OptionsVisible = {pdoAllPages};
    request.ButtonsVisible = {pdbPreview};
    Run([&](TdxfmPrintDialog& D) {
        EXPECT_FALSE(D.pnlPrintToFile->Visible());
        EXPECT_FALSE(D.rbtnPageRanges->Visible());
        EXPECT_FALSE(D.edPageRanges->Visible());
        EXPECT_FALSE(D.btnPageSetup->Visible());
        EXPECT_EQ(D.btnPreview->Left(), D.btnPageSetup->Left()) << "Preview takes Page Setup's place";
        EXPECT_FALSE(D.btnHelp->Visible());
        EXPECT_EQ(D.btnCancel->Left() + D.btnCancel->Width(), D.ClientWidth() - 8) << "Cancel moved right";
        EXPECT_FALSE(D.btnNetwork->Visible());
    });
    request.OptionsEnabled = {pdoAllPages};
    request.OptionsVisible = {pdoAllPages, pdoPageRange, pdoPrintToFile};
    request.ButtonsVisible = {pdbNetwork};
    request.ButtonsEnabled = {pdbNetwork};
    Run([&](TdxfmPrintDialog& D) {
        EXPECT_FALSE(D.edPageRanges->Enabled());
        EXPECT_FALSE(D.chbxPrintToFile->Enabled());
        EXPECT_TRUE(D.btnNetwork->Visible());
        EXPECT_FALSE(D.btnNetwork->Enabled()) << "no network printers to connect to";
    });
}

TEST_F(PrintDialogTest, TheStylesPanelOpensAndFollowsItsManager)
{
    TComponent owner(nullptr);
    TdxPrintStyleManager* manager = AttachManager(owner);
    Run([&](TdxfmPrintDialog& D) {
        EXPECT_EQ(D.btnPageSetup->Caption(), "Print Styles");
        const int collapsed = D.ClientHeight();
        EXPECT_FALSE(D.pnlPrintStyles->Visible());
        D.btnPageSetup->Click();
        EXPECT_TRUE(D.StylesExpanded());
        EXPECT_TRUE(D.pnlPrintStyles->Visible());
        EXPECT_EQ(D.ClientHeight(), collapsed + D.pnlPrintStyles->Height());
        EXPECT_EQ(D.lbxPrintStyles->Items()->Count(), 2);
        EXPECT_EQ(D.lbxPrintStyles->ItemIndex(), 0) << "the current style";
        D.lbxPrintStyles->SetItemIndex(1);
        D.lbxPrintStyles->OnClick(D.lbxPrintStyles);
        EXPECT_EQ(manager->CurrentStyle(), manager->Styles(1));
        EXPECT_EQ(D.btnCancel->Caption(), "Close");

        manager->AddStyle()->SetStyleCaption("Entwurf");
        EXPECT_EQ(D.lbxPrintStyles->Items()->Count(), 3) << "the list follows the manager";
        delete manager->Styles(0);
        EXPECT_EQ(D.lbxPrintStyles->Items()->Count(), 2);

        // The manager freed while the dialog is open.
        delete manager;
        EXPECT_EQ(D.lbxPrintStyles->Items()->Count(), 0);
        EXPECT_FALSE(D.btnPageSetup2->Enabled());
        D.btnPageSetup2->Click();
        D.btnCancel->Click();
    });
    EXPECT_EQ(data.StyleManager, nullptr) << "a freed manager is not handed back";
}

TEST_F(PrintDialogTest, StyleCommandsRunTheirDialogsAndAPreviewThereClosesWithOK)
{
    TComponent owner(nullptr);
    AttachManager(owner);
    const TdxPrintStyleDialogRunners previous = dxPrintStyleDialogRunners();
    Finally restore([&] { dxPrintStyleDialogRunners() = previous; });
    std::vector<std::string> pageSetups;
    std::function<bool(TBasedxPrintStyle&, bool*)> pageSetup;
    dxPrintStyleDialogRunners().PageSetup = [&](TBasedxPrintStyle& Style, TComponent*, int, bool* Preview, bool*) {
        pageSetups.push_back(Style.StyleCaption());
        return pageSetup(Style, Preview);
    };
    bool definePreview = false;
    int defined = 0;
    dxPrintStyleDialogRunners().DefinePrintStyles = [&](TdxPrintStyleManager&, const std::string&, int,
                                                        bool* Preview, bool*) {
        ++defined;
        *Preview = definePreview;
    };

    // The style freed in its own page setup, and the list's double click.
    pageSetup = [](TBasedxPrintStyle& Style, bool*) {
        delete &Style;
        return true;
    };
    EXPECT_FALSE(Run([&](TdxfmPrintDialog& D) {
        if (!D.StylesExpanded())
            D.btnPageSetup->Click();
        SimulateKey('Y', {ssAlt});
        EXPECT_TRUE(D.lbxPrintStyles->Focused()) << "the group's accelerator";
        D.lbxPrintStyles->OnDblClick(D.lbxPrintStyles);
        EXPECT_EQ(D.lbxPrintStyles->Items()->Count(), 1);
        EXPECT_EQ(D.btnCancel->Caption(), "Close");
        D.btnDefineStyles->Click();
        EXPECT_EQ(D.ModalResult(), mrNone) << "no preview asked for: the dialog stays";
        D.btnCancel->Click();
    }));
    EXPECT_EQ(pageSetups, std::vector<std::string>{"Standard"});
    EXPECT_EQ(defined, 1);

    // A preview asked for in Define Print Styles, or in a style's page setup, closes with OK.
    definePreview = true;
    EXPECT_TRUE(Run([&](TdxfmPrintDialog& D) { D.btnDefineStyles->Click(); }));
    EXPECT_TRUE(request.PreviewBtnClicked);
    pageSetup = [](TBasedxPrintStyle&, bool* Preview) {
        *Preview = true;
        return false;
    };
    EXPECT_TRUE(Run([&](TdxfmPrintDialog& D) { D.btnPageSetup2->Click(); }));
    EXPECT_TRUE(request.PreviewBtnClicked);
}

TEST_F(PrintDialogTest, TheStylesPanelReopensAsItWasLeft)
{
    const std::string previousStore = SettingsStoreFile();
    SetSettingsStoreFile((dir / "settings.ini").string());
    dxPSEngine()->SetRegistryPath("Software\\Tessaro\\Test");
    Finally restore([&] {
        dxPSEngine()->SetRegistryPath("");
        SetSettingsStoreFile(previousStore);
    });
    TComponent owner(nullptr);
    auto* manager = new TdxPrintStyleManager(&owner);
    manager->AddStyle()->SetStyleCaption("Standard");
    request.OptionsVisible.Include(pdoPrintStyles);

    // Without a manager nothing is kept.
    Run([&](TdxfmPrintDialog& D) { EXPECT_FALSE(D.StylesExpanded()); });
    data.StyleManager = manager;
    Run([&](TdxfmPrintDialog& D) {
        EXPECT_FALSE(D.StylesExpanded());
        D.btnPageSetup->Click();
    });
    bool reopened = false;
    Run([&](TdxfmPrintDialog& D) {
        reopened = D.StylesExpanded() && D.pnlPrintStyles->Visible();
        D.btnPageSetup->Click();
    });
    EXPECT_TRUE(reopened);
    Run([&](TdxfmPrintDialog& D) { EXPECT_FALSE(D.StylesExpanded()) << "closed when it was left closed"; });
}

TEST_F(PrintDialogTest, TheCollationPictureToggledByADoubleClick)
{
    EXPECT_TRUE(Run([&](TdxfmPrintDialog& D) {
        EXPECT_FALSE(D.chbxCollate->Checked());
        SimulateDblClick(D.pbxCollate, 20, 20);
        EXPECT_TRUE(D.chbxCollate->Checked());
        EXPECT_TRUE(PressOK(D));
    }));
    EXPECT_TRUE(data.Collate);
}

// The private scheduler's queue as the dialog lists it.
using PrintDialogCups = test::CupsQueue;

TEST_F(PrintDialogCups, ListsTheQueueWithItsStatusAndComment)
{
    dxPrintDeviceInstance(2);
    dxSetPrintDeviceBackendFactory({});
    dxInstallPreviewDialogs();
    TdxPrintDialogData data;
    TdxPrintDialogRequest request;
    request.Data = &data;
    request.ButtonsVisible = request.ButtonsEnabled = {pdbPrinterProperties};
    bool listed = false;
    {
        TModalFormHookScope hook([&](TForm& Form) {
            auto& d = dynamic_cast<TdxfmPrintDialog&>(Form);
            const int queue = d.cbxPrinters->Items()->IndexOf(test::Queue);
            listed = queue >= 0;
            ASSERT_TRUE(listed);
            d.cbxPrinters->SetItemIndex(queue);
            d.cbxPrinters->OnChange(d.cbxPrinters);
            EXPECT_TRUE(QString::fromStdString(d.lblStatusValue->Caption())
                            .contains(QRegularExpression("^(Ready|Printing: \\d+ document\\(s\\) waiting)$")))
                << d.lblStatusValue->Caption();
            EXPECT_EQ(d.lblCommentValue->Caption(), "PDF queue for tests");
            EXPECT_FALSE(d.lblTypeValue->Caption().empty());
            EXPECT_EQ(d.cbxPrinters->Items()->Get(d.cbxPrinters->Items()->Count() - 1), "PDF-Datei");
        });
        dxPrintDialog(request);
    }
    EXPECT_TRUE(listed);
    dxPrintDeviceInstance(2);
}

} // namespace
} // namespace qel
