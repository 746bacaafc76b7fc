#include "printing/PrintDevice.h"

#include "AbortAtPageBreak.h"
#include "TestSupport.h"
#include "platform/controls/Application.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StdCtrls.h"
#include "platform/printers/PdfFilePrinter.h"
#include "platform/printers/ScriptedPrinters.h"
#include "platform/storage/Registry.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <filesystem>

namespace qel {
namespace {

// A device over a scripted back end the test keeps a pointer to.
struct ScriptedDevice {
    explicit ScriptedDevice(std::vector<TScriptedPrinter> printers, std::string defaultName = "")
    {
        auto backend = std::make_unique<TScriptedPrinterBackend>();
        backend->List = std::move(printers);
        backend->Default = std::move(defaultName);
        Backend = backend.get();
        Device = std::make_unique<TdxPrintDevice>(std::move(backend));
    }
    TScriptedPrinterBackend* Backend;
    std::unique_ptr<TdxPrintDevice> Device;
};

TScriptedPrinter Printer(const std::string& name)
{
    return TScriptedPrinterBackend::MakePrinter(name);
}

void SetProfileDevice(const std::string& value)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(dxProfileWindowsKey, true));
    reg.WriteString(dxProfileDeviceValue, value);
}

void ClearProfileDevice()
{
    TRegistry reg;
    reg.DeleteKey(dxProfileWindowsKey);
}

std::string PdfText(const std::string& file)
{
    QProcess p;
    p.start("pdftotext", {QString::fromStdString(file), "-"});
    p.waitForFinished(30000);
    return p.readAllStandardOutput().toStdString();
}

template <class F>
std::string MessageOf(F f)
{
    try {
        f();
    } catch (const EdxPrintDevice& e) {
        return e.Message();
    }
    return "(no EdxPrintDevice)";
}

TEST(PrintDeviceWithoutPrinters, AnswersTheNeutralValues)
{
    ScriptedDevice s({});
    TdxPrintDevice& d = *s.Device;
    EXPECT_EQ(d.Printers()->Count(), 0);
    ASSERT_EQ(d.Papers()->Count(), 1);
    EXPECT_EQ(d.Papers()->Get(0), "Custom Size");
    EXPECT_EQ(d.PaperInfo(0)->DMPaper(), 256);
    EXPECT_EQ(d.PaperInfo(0)->Width(), 2100);
    EXPECT_EQ(d.PaperInfo(0)->Height(), 2970);
    ASSERT_EQ(d.Bins()->Count(), 1);
    EXPECT_EQ(d.Bins()->Get(0), "Default Tray");
    EXPECT_EQ(d.BinCode(0), 256);
    EXPECT_EQ(d.GetMaxExtent(0), 5000);
    EXPECT_EQ(d.GetMinExtent(1), 500);
    EXPECT_EQ(d.GetPhysicalOffset(0), 0);
    EXPECT_EQ(d.GetCopies(), 0);
    EXPECT_FALSE(d.GetCollate());
    EXPECT_EQ(d.DeviceMode(), nullptr);
    d.SetCopies(3);   // does nothing, raises nothing
    EXPECT_EQ(MessageOf([&] { d.BeginDoc(); }), "Printer selected is not valid");
    EXPECT_FALSE(d.Printing());
}

TEST(PrintDeviceWithoutPrinters, IsNotInstalledForTheProcessWideDevice)
{
    dxPrintDeviceInstance(2);
    dxSetPrintDeviceBackendFactory([] { return std::make_unique<TScriptedPrinterBackend>(); });
    EXPECT_FALSE(dxIsPrinterInstalled(false));
    dxPrintDeviceInstance(2);
    dxSetPrintDeviceBackendFactory({});
    EXPECT_EQ(dxPrintDeviceInstance(0), nullptr);
    EXPECT_EQ(MessageOf([] { dxPrintDeviceInstance(3); }), "Illegal AccessCode 3 in GetInstance");
}

TEST(PrintDeviceDefaultPrinter, ComesFromTheBackEndElseFromTheProfile)
{
    ClearProfileDevice();
    {
        ScriptedDevice s({Printer("Erster"), Printer("Zweiter")}, "Zweiter");
        EXPECT_EQ(s.Device->PrinterIndex(), 1);
        EXPECT_EQ(s.Device->GetDeviceName(), "Zweiter");
    }
    {
        // The spooler names none: the profile's "device" entry does, with
        // driver and port after commas, in any case.
        SetProfileDevice("zweiter,winspool,Ne01:");
        ScriptedDevice s({Printer("Erster"), Printer("Zweiter")});
        EXPECT_EQ(s.Device->PrinterIndex(), 1);
    }
    {
        SetProfileDevice("Dritter,winspool,Ne01:");
        ScriptedDevice s({Printer("Erster"), Printer("Zweiter")});
        EXPECT_EQ(MessageOf([&] { s.Device->PrinterIndex(); }), "There is no default printer selected");
    }
    ClearProfileDevice();
    {
        ScriptedDevice s({Printer("Erster")});
        EXPECT_EQ(MessageOf([&] { s.Device->PrinterIndex(); }), "There is no default printer selected");
    }
}

TEST(PrintDeviceDefaultPrinter, SelectingChecksTheIndexAndTheJob)
{
    ScriptedDevice s({Printer("Erster"), Printer("Zweiter")}, "Erster");
    TdxPrintDevice& d = *s.Device;
    EXPECT_EQ(MessageOf([&] { d.SetPrinterIndex(2); }), "Printer index out of range");
    EXPECT_EQ(MessageOf([&] { d.SetPrinterIndex(-2); }), "Printer index out of range");
    int changes = 0;
    d.OnPrinterChange = [&](TObject*) { ++changes; };
    d.SetPrinterIndex(1);
    EXPECT_EQ(d.PrinterIndex(), 1);
    d.SetPrinterIndex(1);   // already selected: nothing happens
    EXPECT_EQ(changes, 1);
    d.SetPrinterIndex(-1);
    EXPECT_EQ(d.PrinterIndex(), 0);
    EXPECT_EQ(changes, 2);

    ASSERT_GT(d.BeginDoc(), 0);
    EXPECT_EQ(MessageOf([&] { d.SetPrinterIndex(1); }), "Printing in progress");
    EXPECT_EQ(MessageOf([&] { d.SetCopies(2); }), "Printing in progress");
    EXPECT_EQ(MessageOf([&] { d.BeginDoc(); }), "Printing in progress");
    d.Abort();
    EXPECT_EQ(MessageOf([&] { d.NewPage(); }), "Printer is not currently printing");
    EXPECT_EQ(MessageOf([&] { d.EndDoc(); }), "Printer is not currently printing");
}

TEST(PrintDeviceDefaultPrinter, APrinterThatCannotBeOpenedLeavesNothingSelected)
{
    TScriptedPrinter broken = Printer("Kaputt");
    broken.CanOpen = false;
    ScriptedDevice s({broken}, "Kaputt");
    TdxPrintDevice& d = *s.Device;
    EXPECT_EQ(d.PrinterIndex(), dxUnknownPrinterIndex);
    EXPECT_EQ(d.DeviceMode(), nullptr);
    EXPECT_EQ(d.Papers()->Count(), 0);
    EXPECT_EQ(d.Bins()->Count(), 0);
    EXPECT_EQ(d.GetMaxExtent(0), 5000);
    EXPECT_FALSE(d.SetPaperByCode(9));
}

TEST(PrintDevicePapers, AppendTheCustomSizeOnlyWhenTheDriverHasNone)
{
    // The scripted printer ends with its own "Custom Size".
    ScriptedDevice withCustom({Printer("Mit")}, "Mit");
    EXPECT_EQ(test::Lines(*withCustom.Device->Papers()),
              (std::vector<std::string>{"A4", "Letter", "Custom Size"}));

    TScriptedPrinter plain = Printer("Ohne");
    plain.Papers->pop_back();
    ScriptedDevice without({plain}, "Ohne");
    TdxPrintDevice& d = *without.Device;
    ASSERT_EQ(d.Papers()->Count(), 3);
    EXPECT_EQ(d.Papers()->Get(2), "Custom Size");
    EXPECT_EQ(d.PaperInfo(2)->DMPaper(), 256);
    EXPECT_EQ(d.PaperInfo(2)->Width(), 2159);   // the size of Letter
    EXPECT_EQ(d.PaperInfo(2)->Height(), 2794);

    EXPECT_EQ(d.IndexOfPaper(1), 1);
    EXPECT_EQ(d.IndexOfPaper(70), -1);
    EXPECT_EQ(d.IndexOfPaperBySize(2159, 2794), 1);
    EXPECT_EQ(d.IndexOfPaperBySize(1, 1), 2);
    EXPECT_EQ(d.CurrentPaperIndex(), 0);
    EXPECT_TRUE(d.IsAutoSelectBin(0));
    EXPECT_FALSE(d.IsAutoSelectBin(1));
    EXPECT_FALSE(d.IsAutoSelectBin(7));
    EXPECT_EQ(d.IndexOfBin(DMBIN_MANUAL), 1);

    // A size may be written only into the custom paper.
    d.PaperInfo(0)->SetWidth(1000);
    EXPECT_EQ(d.PaperInfo(0)->Width(), 2100);
}

TEST(PrintDevicePapers, SettersWriteTheDeviceModeAndItsFieldBits)
{
    TScriptedPrinter p = Printer("P");
    p.Mode.Fields = DM_ORIENTATION | DM_PAPERSIZE;   // no duplex, no copies
    ScriptedDevice s({p}, "P");
    TdxPrintDevice& d = *s.Device;
    EXPECT_TRUE(d.Capabilities().Contains(pcOrientation));
    EXPECT_FALSE(d.Capabilities().Contains(pcCopies));
    EXPECT_FALSE(d.DeviceModeChanged());

    d.SetDuplex(1);   // the printer knows no duplex: nothing
    EXPECT_FALSE(d.DeviceMode()->Fields & DM_DUPLEX);
    d.SetCopies(4);
    d.SetCollate(true);
    d.SetColor(0);
    d.SetOrientation(poLandscape);
    d.SetPaperIndex(2);
    d.SetBinIndex(1);
    const TDeviceMode& m = *d.DeviceMode();
    EXPECT_EQ(m.Copies, 4);
    EXPECT_EQ(d.GetCopies(), 4);
    EXPECT_TRUE(d.GetCollate());
    EXPECT_EQ(m.Color, DMCOLOR_MONOCHROME);
    EXPECT_EQ(m.Orientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(m.PaperSize, 256);
    EXPECT_EQ(m.DefaultSource, DMBIN_MANUAL);
    EXPECT_EQ(m.Fields, std::uint32_t(DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_COLLATE | DM_COLOR
                                       | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_DEFAULTSOURCE));
    EXPECT_TRUE(d.DeviceModeChanged());
}

TEST(PrintDevicePapers, CustomSizeIsClampedToTheExtents)
{
    ScriptedDevice s({Printer("P")}, "P");
    TdxPrintDevice& d = *s.Device;
    // Limits 900 x 1200 to 3000 x 4300, widened by the papers, which all fit.
    EXPECT_EQ(d.GetMinExtent(0), 900);
    EXPECT_EQ(d.GetMinExtent(1), 1200);
    EXPECT_EQ(d.GetMaxExtent(0), 3000);
    EXPECT_EQ(d.GetMaxExtent(1), 4300);

    int w = 100, h = 99999;
    EXPECT_TRUE(d.SetPaperBySize(w, h));
    EXPECT_EQ(w, 900);
    EXPECT_EQ(h, 4300);
    EXPECT_EQ(d.CurrentPaperIndex(), 2);
    EXPECT_EQ(d.PaperInfo(2)->Width(), 900);
    EXPECT_EQ(d.PaperInfo(2)->Height(), 4300);
    EXPECT_EQ(d.DeviceMode()->PaperWidth, 900);
    EXPECT_EQ(d.DeviceMode()->PaperLength, 4300);

    // A size a paper has selects that paper and clears the custom size.
    w = 2159;
    h = 2794;
    EXPECT_TRUE(d.SetPaperBySize(w, h));
    EXPECT_EQ(d.DeviceMode()->PaperSize, 1);
    EXPECT_EQ(d.DeviceMode()->PaperWidth, 0);
    EXPECT_EQ(d.DeviceMode()->PaperLength, 0);
}

TEST(PrintDevicePapers, ExtentsTakeInThePapersWhateverIsAskedFirst)
{
    TScriptedPrinter p = Printer("P");
    p.Limits.MaxWidth = 2000;   // smaller than its own papers
    p.Limits.MaxLength = 2000;
    p.Limits.MinWidth = p.Limits.MinLength = 0;
    {
        ScriptedDevice s({p}, "P");
        EXPECT_EQ(s.Device->GetMaxExtent(0), 2159);
        EXPECT_EQ(s.Device->GetMaxExtent(1), 2970);
        EXPECT_EQ(s.Device->GetMinExtent(0), 500);
    }
    {
        ScriptedDevice s({p}, "P");
        s.Device->Papers();
        EXPECT_EQ(s.Device->GetMaxExtent(0), 2159);
        EXPECT_EQ(s.Device->GetMaxExtent(1), 2970);
    }
    p.Limits.MaxWidth = p.Limits.MaxLength = 0;
    ScriptedDevice unknown({p}, "P");
    EXPECT_EQ(unknown.Device->GetMaxExtent(0), 7620);
    EXPECT_EQ(unknown.Device->GetMinExtent(1), 500);
}

TEST(PrintDeviceCarryOver, KeepsPaperOrientationAndCopiesTheNewPrinterKnows)
{
    TScriptedPrinter second = Printer("Zweiter");
    second.Mode.PaperSize = 1;
    ScriptedDevice s({Printer("Erster"), second}, "Erster");
    TdxPrintDevice& d = *s.Device;
    ASSERT_TRUE(d.SetPaperByCode(9));
    d.SetOrientation(poLandscape);
    d.SetCopies(3);
    d.SetBinByCode(DMBIN_MANUAL);
    d.SetPrinterIndex(1);
    const TDeviceMode& m = *d.DeviceMode();
    EXPECT_EQ(m.DeviceName, "Zweiter");
    EXPECT_EQ(m.PaperSize, 9);
    EXPECT_EQ(m.Orientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(m.Copies, 3);
    EXPECT_EQ(m.DefaultSource, DMBIN_MANUAL);
}

TEST(PrintDeviceCarryOver, FallsBackToThePaperOfTheSameSizeElseTheClampedCustomSize)
{
    TScriptedPrinter first = Printer("Erster");
    first.Papers->insert(first.Papers->begin(), TPrinterPaper{70, "A6", 1050, 1480, 0, 0, 0, 0, ""});
    first.Papers->insert(first.Papers->begin(), TPrinterPaper{300, "Breit", 2159, 2794, 0, 0, 0, 0, ""});
    TScriptedPrinter second = Printer("Zweiter");
    ScriptedDevice s({first, second}, "Erster");
    TdxPrintDevice& d = *s.Device;

    // Code 300 belongs to the first printer; its size is Letter's.
    ASSERT_TRUE(d.SetPaperByCode(300));
    d.SetPrinterIndex(1);
    EXPECT_EQ(d.DeviceMode()->PaperSize, 1);

    // A6 is unknown to the second printer and smaller than it allows.
    d.SetPrinterIndex(0);
    ASSERT_TRUE(d.SetPaperByCode(70));
    d.SetPrinterIndex(1);
    EXPECT_EQ(d.DeviceMode()->PaperSize, 256);
    EXPECT_EQ(d.DeviceMode()->PaperWidth, 1050);
    EXPECT_EQ(d.DeviceMode()->PaperLength, 1480);
    d.SetPrinterIndex(0);
    TScriptedPrinter* narrow = s.Backend->Find("Zweiter");
    narrow->Limits.MinWidth = 1200;
    narrow->Limits.MinLength = 1600;
    ASSERT_TRUE(d.SetPaperByCode(70));
    d.SetPrinterIndex(1);
    EXPECT_EQ(d.DeviceMode()->PaperSize, 256);
    EXPECT_EQ(d.DeviceMode()->PaperWidth, 1200);
    EXPECT_EQ(d.DeviceMode()->PaperLength, 1600);
}

TEST(PrintDeviceCarryOver, CopiesOnlyFieldsThatWereSetAndValid)
{
    // The first printer knows neither copies nor duplex; its record holds 0.
    TScriptedPrinter first = Printer("Erster");
    first.Mode.Fields = DM_ORIENTATION | DM_PAPERSIZE;
    first.Mode.Copies = 0;
    first.Mode.Duplex = 0;
    TScriptedPrinter second = Printer("Zweiter");
    second.Mode.Copies = 2;
    second.Mode.Duplex = DMDUP_VERTICAL;
    ScriptedDevice s({first, second}, "Erster");
    TdxPrintDevice& d = *s.Device;
    d.SetPrinterIndex(1);
    EXPECT_EQ(d.DeviceMode()->Copies, 2);
    EXPECT_EQ(d.DeviceMode()->Duplex, DMDUP_VERTICAL);
}

TEST(PrintDeviceRefresh, KeepsTheSelectedPrinterWithItsSettings)
{
    ScriptedDevice s({Printer("Erster"), Printer("Zweiter")}, "Erster");
    TdxPrintDevice& d = *s.Device;
    d.SetPrinterIndex(1);
    d.SetCopies(7);
    int refreshed = 0;
    d.OnRefresh = [&](TObject*) { ++refreshed; };
    s.Backend->List.insert(s.Backend->List.begin(), Printer("Neu"));
    d.Refresh();
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(d.Printers()->Count(), 3);
    EXPECT_EQ(d.PrinterIndex(), 2);
    EXPECT_EQ(d.GetCopies(), 7);

    // Gone: the default printer takes its place.
    s.Backend->List.pop_back();
    d.Refresh();
    EXPECT_EQ(d.GetDeviceName(), "Erster");
}

TEST(PrintDeviceJob, PagesFollowTheDeviceModeAndTheOutputFileGetsTheDocument)
{
    test::TempDir dir;
    ScriptedDevice s({Printer("P")}, "P");
    TdxPrintDevice& d = *s.Device;
    d.SetTitle("Zutrittsmatrix");
    d.SetOutputFileName(dir.File("ausgabe.prn"));
    int newPages = 0;
    d.OnNewPage = [&](TObject*) {
        ++newPages;
        d.SetOrientation(poLandscape);   // takes effect from the new page on
    };
    ASSERT_GT(d.BeginDoc(), 0);
    EXPECT_TRUE(d.Printing());
    EXPECT_EQ(d.PageNumber(), 1);
    EXPECT_EQ(d.GetDeviceCaps(LOGPIXELSY), 300);
    EXPECT_EQ(d.Canvas()->Font()->PixelsPerInch(), 300);
    d.Canvas()->TextOut(100, 100, "Seite eins");
    d.NewPage();
    EXPECT_EQ(d.PageNumber(), 2);
    EXPECT_EQ(newPages, 1);
    EXPECT_GT(d.HorzRes(), d.VertRes());   // landscape now
    d.Canvas()->TextOut(100, 100, "Seite zwei");
    d.EndDoc();
    EXPECT_FALSE(d.Printing());
    EXPECT_EQ(d.PageNumber(), 0);
    EXPECT_EQ(d.OutputFileName(), "");

    ASSERT_EQ(s.Backend->Jobs.size(), 1u);
    const TScriptedJob& job = *s.Backend->Jobs[0];
    EXPECT_EQ(job.Doc.Title, "Zutrittsmatrix");
    EXPECT_EQ(job.Doc.Output, dir.File("ausgabe.prn"));
    ASSERT_EQ(job.PageModes.size(), 2u);
    EXPECT_EQ(job.PageModes[0].Orientation, DMORIENT_PORTRAIT);
    EXPECT_EQ(job.PageModes[1].Orientation, DMORIENT_LANDSCAPE);
    EXPECT_TRUE(job.Delivered);
    ASSERT_TRUE(std::filesystem::exists(dir.File("ausgabe.prn")));
    const std::string text = PdfText(dir.File("ausgabe.prn"));
    EXPECT_NE(text.find("Seite eins"), std::string::npos) << text;
    EXPECT_NE(text.find("Seite zwei"), std::string::npos) << text;
}

TEST(PrintDeviceJob, AFailedStartIsReportedByTheResultOnly)
{
    ScriptedDevice s({Printer("P")}, "P");
    s.Backend->FailStartDoc = true;
    EXPECT_EQ(s.Device->BeginDoc(), -1);
    EXPECT_FALSE(s.Device->Printing());
    EXPECT_EQ(s.Device->PageNumber(), 0);
}

TEST(PrintDeviceJob, FailedPageAndDocumentEndsRaiseAndDeliverNothing)
{
    test::TempDir dir;
    {
        ScriptedDevice s({Printer("P")}, "P");
        s.Backend->FailEndPage = 1;
        TdxPrintDevice& d = *s.Device;
        d.SetOutputFileName(dir.File("a.pdf"));
        ASSERT_GT(d.BeginDoc(), 0);
        EXPECT_EQ(MessageOf([&] { d.NewPage(); }), "The page could not be finished");
        EXPECT_TRUE(d.Printing());
        EXPECT_EQ(MessageOf([&] { d.EndDoc(); }), "The page could not be finished");
        EXPECT_FALSE(d.Printing());
        EXPECT_FALSE(s.Backend->Jobs[0]->Delivered);
        EXPECT_TRUE(s.Backend->Jobs[0]->Aborted);
    }
    {
        ScriptedDevice s({Printer("P")}, "P");
        s.Backend->FailEndDoc = true;
        TdxPrintDevice& d = *s.Device;
        d.SetOutputFileName(dir.File("b.pdf"));
        ASSERT_GT(d.BeginDoc(), 0);
        EXPECT_EQ(MessageOf([&] { d.EndDoc(); }), "The document could not be delivered");
        EXPECT_FALSE(d.Printing());
        EXPECT_EQ(d.PageNumber(), 0);
        EXPECT_FALSE(s.Backend->Jobs[0]->Delivered);
        // The device is ready for the next job.
        s.Backend->FailEndDoc = false;
        ASSERT_GT(d.BeginDoc(), 0);
        d.EndDoc();
        EXPECT_TRUE(s.Backend->Jobs[1]->Delivered);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("a.pdf")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("b.pdf")));
}

TEST(PrintDeviceJob, AbortingOrDestroyingTheDeviceDropsTheDocument)
{
    test::TempDir dir;
    std::shared_ptr<TScriptedJob> aborted, destroyed;
    {
        ScriptedDevice s({Printer("P")}, "P");
        TdxPrintDevice& d = *s.Device;
        d.SetOutputFileName(dir.File("abgebrochen.pdf"));
        ASSERT_GT(d.BeginDoc(), 0);
        d.Canvas()->TextOut(0, 0, "halb");
        d.Abort();
        EXPECT_FALSE(d.Printing());
        EXPECT_FALSE(d.Aborted());
        aborted = s.Backend->Jobs[0];

        d.SetOutputFileName(dir.File("zerstoert.pdf"));
        ASSERT_GT(d.BeginDoc(), 0);
        d.Canvas()->TextOut(0, 0, "halb");
        destroyed = s.Backend->Jobs[1];
    }
    EXPECT_TRUE(aborted->Aborted);
    EXPECT_FALSE(aborted->Delivered);
    EXPECT_TRUE(destroyed->Aborted);
    EXPECT_FALSE(destroyed->Delivered);
    EXPECT_FALSE(std::filesystem::exists(dir.File("abgebrochen.pdf")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("zerstoert.pdf")));
}


class PrintDeviceAbortOnPdf : public ::testing::TestWithParam<test::TAbortPoint> {};

TEST_P(PrintDeviceAbortOnPdf, EndsTheJobWithoutAFileAndTheNextJobPrints)
{
    test::TempDir dir;
    TdxPrintDevice d(std::make_unique<TPdfPrinterBackend>(
        std::vector<TPrinterPaper>{TPrinterPaper{9, "A4 210 x 297 mm", 2100, 2970, 0, 0, 0, 0, ""}}));
    ASSERT_EQ(d.GetDeviceName(), PdfPrinterName);
    d.SetOutputFileName(dir.File("abgebrochen.pdf"));
    test::AbortAtTheFirstPageBreak(d, GetParam());
    EXPECT_FALSE(std::filesystem::exists(dir.File("abgebrochen.pdf")));

    d.SetOutputFileName(dir.File("danach.pdf"));
    ASSERT_GT(d.BeginDoc(), 0);
    d.Canvas()->TextOut(100, 100, "Neuer Auftrag");
    d.EndDoc();
    EXPECT_NE(PdfText(dir.File("danach.pdf")).find("Neuer Auftrag"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(PrintDeviceJob, PrintDeviceAbortOnPdf,
                         ::testing::Values(test::TAbortPoint::PostedCall, test::TAbortPoint::NewPageEvent),
                         test::AbortPointName);

TEST(PrintDeviceJob, AJobStartedByTheNewPageHandlerIsLeftAsItBegan)
{
    ScriptedDevice s({Printer("P")}, "P");
    TdxPrintDevice& d = *s.Device;
    ASSERT_GT(d.BeginDoc(), 0);
    d.OnNewPage = [&](TObject*) {
        d.OnNewPage = nullptr;
        d.Abort();
        d.BeginDoc();
    };
    d.NewPage();
    ASSERT_EQ(s.Backend->Jobs.size(), 2u);
    EXPECT_TRUE(s.Backend->Jobs[0]->Aborted);
    EXPECT_EQ(s.Backend->Jobs[1]->PageModes.size(), 1u) << "the break belonged to the cancelled job";
    EXPECT_TRUE(d.Printing());
    EXPECT_EQ(d.PageNumber(), 1);
    d.EndDoc();
    EXPECT_TRUE(s.Backend->Jobs[1]->Delivered);
}

TEST(PrintDeviceProperties, TheDialogChangesTheDeviceModeOnlyWhenAccepted)
{
    ScriptedDevice s({Printer("P")}, "P");
    TdxPrintDevice& d = *s.Device;
    auto pick = [](TForm& form, const char* name, int index) {
        auto* combo = dynamic_cast<TComboBox*>(form.FindComponent(name));
        ASSERT_NE(combo, nullptr) << name;
        combo->SetItemIndex(index);
    };
    {
        TModalFormHookScope hook([&](TForm& form) {
            pick(form, "cbxPaper", 1);
            pick(form, "cbxOrientation", 1);
            pick(form, "cbxSource", 1);
            pick(form, "cbxDuplex", 1);
            dynamic_cast<TEdit*>(form.FindComponent("edCopies"))->SetText("5");
            dynamic_cast<TCheckBox*>(form.FindComponent("chbxCollate"))->SetChecked(true);
            dynamic_cast<TButton*>(form.FindComponent("btnOK"))->Click();
        });
        EXPECT_TRUE(d.ShowPropertiesDialog(nullptr));
    }
    const TDeviceMode& m = *d.DeviceMode();
    EXPECT_EQ(m.PaperSize, 1);
    EXPECT_EQ(m.Orientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(m.DefaultSource, DMBIN_MANUAL);
    EXPECT_EQ(m.Duplex, DMDUP_VERTICAL);
    EXPECT_EQ(m.Copies, 5);
    EXPECT_TRUE(d.GetCollate());
    EXPECT_TRUE(d.DeviceModeChanged());
    {
        // Copies that are no number or beyond the printer keep the old count.
        TModalFormHookScope hook([&](TForm& form) {
            dynamic_cast<TEdit*>(form.FindComponent("edCopies"))->SetText("1000");
            dynamic_cast<TButton*>(form.FindComponent("btnOK"))->Click();
        });
        EXPECT_TRUE(d.ShowPropertiesDialog(nullptr));
        EXPECT_EQ(d.GetCopies(), 5);
    }
    {
        TModalFormHookScope hook([&](TForm& form) {
            pick(form, "cbxPaper", 0);
            dynamic_cast<TButton*>(form.FindComponent("btnCancel"))->Click();
        });
        EXPECT_FALSE(d.ShowPropertiesDialog(nullptr));
    }
    EXPECT_EQ(d.DeviceMode()->PaperSize, 1);
}

} // namespace
} // namespace qel
