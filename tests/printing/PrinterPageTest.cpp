#include "printing/PrinterPage.h"

#include "platform/core/Locale.h"
#include "platform/core/Stream.h"
#include "platform/printers/ScriptedPrinters.h"

#include <gtest/gtest.h>

#include <vector>

namespace qel {
namespace {

TFormatSettings InchLocale()
{
    TFormatSettings s = DefaultFormatSettings();
    s.MeasureMetric = false;
    return s;
}

// Pages under a known locale, the device over scripted printers (none unless a test adds one).
class PrinterPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dxPrintDeviceInstance(2);
        dxSetPrintDeviceBackendFactory([this] {
            auto backend = std::make_unique<TScriptedPrinterBackend>();
            backend->List = m_printers;
            if (!m_printers.empty())
                backend->Default = m_printers.front().Info.Name;
            return backend;
        });
        TdxPrinterPage::RebuildDefaultPage();
    }
    void TearDown() override
    {
        dxPrintDeviceInstance(2);
        dxSetPrintDeviceBackendFactory({});
        TdxPrinterPage::RebuildDefaultPage();
    }
    std::vector<TScriptedPrinter> m_printers;
    LocaleScope m_locale;   // German: metric
};

TRect Margins(const TdxPrinterPage& Page)
{
    return Page.Margins()->Rect();
}

void ExpectRect(const TRect& R, int L, int T, int Ri, int B)
{
    EXPECT_EQ(R.Left, L);
    EXPECT_EQ(R.Top, T);
    EXPECT_EQ(R.Right, Ri);
    EXPECT_EQ(R.Bottom, B);
}

// Records what the page announces.
class TRecordingPage : public TdxPrinterPage {
public:
    std::vector<TdxPageChangeKinds> Kinds;

protected:
    void DoChange(TdxPageChangeKinds ChangedKinds) override
    {
        if (!IsLocked())
            Kinds.push_back(ChangedKinds);
        TdxPrinterPage::DoChange(ChangedKinds);
    }
};

TEST_F(PrinterPageTest, NewPagesTakeTheLocaleDefaults)
{
    TdxPrinterPage metric;
    EXPECT_EQ(metric.GetRealMeasurementUnits(), muMillimeters);
    ExpectRect(Margins(metric), 12700, 12700, 12700, 12700);
    EXPECT_EQ(metric.Header(), 6350);
    EXPECT_EQ(metric.Footer(), 6350);
    EXPECT_EQ(metric.PageSize()->Point(), (TPoint{215900, 279400}));
    EXPECT_EQ(metric.DMPaper(), 1);

    LocaleScope inch(InchLocale());
    TdxPrinterPage::RebuildDefaultPage();
    TdxPrinterPage page;
    EXPECT_EQ(page.GetRealMeasurementUnits(), muInches);
    ExpectRect(Margins(page), 500, 500, 500, 500);
    EXPECT_EQ(page.Header(), 250);
    EXPECT_EQ(page.PageSize()->Point(), (TPoint{8500, 11000}));
}

TEST_F(PrinterPageTest, ScalarSettersClampAndPaperCodesFollowTheSize)
{
    TdxPrinterPage page;
    page.SetScaleFactor(5);
    EXPECT_EQ(page.ScaleFactor(), 10);
    page.SetScaleFactor(900);
    EXPECT_EQ(page.ScaleFactor(), 500);
    page.SetPaperSource(0);
    EXPECT_EQ(page.PaperSource(), 1);
    page.SetPaperSource(20);
    EXPECT_EQ(page.PaperSource(), 15);
    page.SetPaperSource(260);
    EXPECT_EQ(page.PaperSource(), 260);

    page.PageSize()->SetPoint(TPoint{210000, 297000});
    EXPECT_EQ(page.DMPaper(), 9);
    page.PageSize()->SetPoint(TPoint{200000, 300000});
    EXPECT_EQ(page.DMPaper(), 256);
    page.SetDMPaper(9);
    EXPECT_EQ(page.PageSize()->Point(), (TPoint{210000, 297000}));
    // Never below the smallest useful page.
    page.PageSize()->SetX(1000);
    EXPECT_EQ(page.PageSize()->X(), 50000);
}

TEST_F(PrinterPageTest, UnitSwitchesConvertOnlyWhenTheRealUnitChanges)
{
    TdxPrinterPage page;
    page.SetMeasurementUnits(muMillimeters);   // the locale's unit already
    EXPECT_EQ(page.Margins()->Left(), 12700);
    page.SetMeasurementUnits(muInches);
    ExpectRect(Margins(page), 500, 500, 500, 500);
    EXPECT_EQ(page.Header(), 250);
    EXPECT_EQ(page.PageSize()->Point(), (TPoint{8500, 11000}));
    EXPECT_EQ(page.GetPageSizeLoMetric(), (TPoint{2159, 2794}));
    page.SetMeasurementUnits(muDefault);
    EXPECT_EQ(page.Margins()->Left(), 12700);

    // A locale change reaches pages that follow it through CheckLocaleUnits.
    LocaleScope inch(InchLocale());
    page.CheckLocaleUnits();
    EXPECT_EQ(page.Margins()->Left(), 500);
    EXPECT_EQ(page.LastMU(), muInches);
}

TEST_F(PrinterPageTest, OrientationRotatesMarginsAndGeometry)
{
    TdxPrinterPage page;
    page.Margins()->SetRect(TRect{10000, 20000, 15000, 25000});
    page.SetOrientation(poLandscape);
    ExpectRect(Margins(page), 25000, 10000, 20000, 15000);
    EXPECT_EQ(page.GetRealPageSize(), (TPoint{279400, 215900}));
    EXPECT_EQ(page.RealPageSizeLoMetric(), (TPoint{2794, 2159}));
    ExpectRect(page.PageContentRectLoMetric(), 250, 100, 2794 - 200, 2159 - 150);
    ExpectRect(page.HeaderRect(), 25000, 6350, 279400 - 20000, 10000);
    ExpectRect(page.FooterRect(), 25000, 215900 - 15000, 279400 - 20000, 215900 - 6350);
    page.SetOrientation(poPortrait);
    ExpectRect(Margins(page), 10000, 20000, 15000, 25000);
}

TEST_F(PrinterPageTest, ClampingCascadesThroughDistancesAndMargins)
{
    TdxPrinterPage page;
    // Raising the top minimum above the header pushes the header, then the top margin.
    page.MinMargins()->SetTop(20000);
    EXPECT_EQ(page.Header(), 20000);
    EXPECT_EQ(page.Margins()->Top(), 20000);

    const int vph = page.ValidPageHeight();
    page.SetHeader(vph);
    EXPECT_EQ(page.Header(), vph - page.Margins()->Bottom());
    page.MinMargins()->SetTop(0);
    page.SetHeader(-5);
    EXPECT_EQ(page.Header(), 0);

    // A margin is held between its minimum and what the opposite one leaves.
    page.Margins()->SetLeft(1000000);
    EXPECT_EQ(page.Margins()->Left(), page.ValidPageWidth() - page.Margins()->Right());
    page.MinMargins()->SetRight(30000);
    EXPECT_EQ(page.Margins()->Right(), 30000);
    EXPECT_LE(page.Margins()->Left() + page.Margins()->Right(), page.ValidPageWidth());
}

TEST_F(PrinterPageTest, UsersOfTheWrapperEventsNeverSwitchTheClampingOff)
{
    TdxPrinterPage page;
    int pageChanges = 0;
    page.OnChange = [&](TObject*) { ++pageChanges; };
    std::vector<TdxRectWrapperParts> marginParts;
    page.Margins()->OnChanging = [](TObject*, TdxRectWrapperParts, TRect& V) { V.Left += 1000; };
    page.Margins()->OnChange = [&](TObject*, TdxRectWrapperParts P) { marginParts.push_back(P); };
    int minChanges = 0;
    page.MinMargins()->OnChange = [&](TObject*, TdxRectWrapperParts) { ++minChanges; };
    TPoint sizeSeen{};
    page.PageSize()->OnChange = [&](TObject* Sender, TdxPointWrapperParts) {
        sizeSeen = static_cast<TdxPointWrapper*>(Sender)->Point();
    };

    // The user's handler may change the value; the page still holds it within its limits.
    page.Margins()->SetLeft(1000000);
    EXPECT_EQ(page.Margins()->Left(), page.ValidPageWidth() - page.Margins()->Right());
    page.Margins()->SetLeft(20000);
    EXPECT_EQ(page.Margins()->Left(), 21000);
    ASSERT_EQ(marginParts.size(), 2u);
    EXPECT_EQ(marginParts[1], TdxRectWrapperParts{rwpLeft});
    EXPECT_EQ(pageChanges, 2);

    page.MinMargins()->SetTop(20000);
    EXPECT_EQ(page.Header(), 20000);
    EXPECT_EQ(page.Margins()->Top(), 20000);
    EXPECT_EQ(minChanges, 1);

    // The user hears the final, clamped value.
    page.PageSize()->SetX(1000);
    EXPECT_EQ(page.PageSize()->X(), 50000);
    EXPECT_EQ(sizeSeen.X, 50000);
    page.PageSize()->SetPoint(TPoint{210000, 297000});
    EXPECT_EQ(page.DMPaper(), 9);
}

TEST_F(PrinterPageTest, TheEndOfABracketClampsTheFinalValuesOnceThenAnnounces)
{
    TdxPrinterPage page;
    int changes = 0;
    page.OnChange = [&](TObject*) { ++changes; };
    page.BeginUpdate();
    page.BeginUpdate();
    page.Margins()->SetLeft(999999);
    page.Margins()->SetRight(5000);
    page.SetFooter(999999);
    page.EndUpdate();
    EXPECT_EQ(page.Margins()->Left(), 999999);   // nothing checked inside the bracket
    EXPECT_EQ(changes, 0);
    page.EndUpdate();
    const int vpw = page.ValidPageWidth();
    EXPECT_EQ(page.Margins()->Left(), vpw);
    EXPECT_EQ(page.Margins()->Right(), 0);
    EXPECT_LE(page.Header() + page.Footer(), page.ValidPageHeight());
    EXPECT_GE(page.Margins()->Bottom(), page.Footer());
    EXPECT_LE(page.Margins()->Top() + page.Margins()->Bottom(), page.ValidPageHeight());
    EXPECT_EQ(changes, 1);
}

TEST_F(PrinterPageTest, BracketClampingWaitsWhileTheOwnerLoads)
{
    TComponent owner(nullptr);
    TdxPrinterPage page(&owner);
    owner.SetStreamingState(csLoading, true);
    page.BeginUpdate();
    page.Margins()->SetLeft(999999);
    page.EndUpdate();
    EXPECT_EQ(page.Margins()->Left(), 999999);
    owner.Loaded();
    page.Loaded();
    EXPECT_EQ(page.Margins()->Left(), page.ValidPageWidth() - page.Margins()->Right());
}

TEST_F(PrinterPageTest, AScaleModeChangeIsAnnouncedEvenWithTheSameFactor)
{
    TRecordingPage page;
    int changes = 0;
    page.OnChange = [&](TObject*) { ++changes; };
    page.SetFitToPagesByWide(1);   // same count, but the mode turns to fit
    EXPECT_EQ(page.ScaleMode(), smFit);
    page.SetScaleFactor(100);      // same factor, back to adjust
    EXPECT_EQ(page.ScaleMode(), smAdjust);
    ASSERT_EQ(page.Kinds.size(), 2u);
    EXPECT_EQ(page.Kinds[0], TdxPageChangeKinds{ucScale});
    EXPECT_EQ(page.Kinds[1], TdxPageChangeKinds{ucScale});
    EXPECT_EQ(changes, 0);   // scaling alone raises no page change event
    page.SetScaleFactor(100);
    EXPECT_EQ(page.Kinds.size(), 2u);
    page.Margins()->SetTop(20000);
    ASSERT_EQ(page.Kinds.size(), 3u);
    EXPECT_EQ(page.Kinds[2], TdxPageChangeKinds{ucMarginTop});
    EXPECT_EQ(changes, 1);
}

TEST_F(PrinterPageTest, StoredPagesReadBackWhateverTheOrderOfTheirValues)
{
    // Lengths in inches on a metric system: read before the unit setting, they
    // must not be converted a second time when it arrives.
    TdxPrinterPage source;
    source.SetMeasurementUnits(muInches);
    source.Margins()->SetLeft(750);
    source.SetHeader(300);
    source.SetOrientation(poLandscape);
    source.SetFitToPagesByWide(2);
    source.SetScaleFactor(80);   // adjust mode, with a fit count that is not the default
    TMemoryStream stream;
    source.SaveToStream(stream);

    stream.SetPosition(0);
    TdxPrinterPage page;
    page.LoadFromStream(stream);
    EXPECT_EQ(page.MeasurementUnits(), muInches);
    EXPECT_TRUE(page.IsCompatibleWith(&source));
    EXPECT_EQ(page.Margins()->Rect().Bottom, source.Margins()->Rect().Bottom);
    EXPECT_EQ(page.Header(), 300);
    EXPECT_EQ(page.ScaleMode(), smAdjust);
    EXPECT_EQ(page.FitToPagesByWide(), 2);

    // Stored on an inch system with the locale's unit, read on a metric one:
    // converted once, after reading.
    TMemoryStream localeStream;
    {
        LocaleScope inch(InchLocale());
        TdxPrinterPage::RebuildDefaultPage();
        TdxPrinterPage inchPage;
        inchPage.Margins()->SetLeft(1000);
        inchPage.SaveToStream(localeStream);
    }
    TdxPrinterPage::RebuildDefaultPage();
    localeStream.SetPosition(0);
    TdxPrinterPage metric;
    metric.LoadFromStream(localeStream);
    EXPECT_EQ(metric.LastMU(), muMillimeters);
    EXPECT_EQ(metric.Margins()->Left(), 25400);
    EXPECT_EQ(metric.PageSize()->Point(), (TPoint{215900, 279400}));
}

TEST_F(PrinterPageTest, AssigningAnInchPageToAMetricOneKeepsTheLengths)
{
    TdxPrinterPage inch;
    inch.SetMeasurementUnits(muInches);
    inch.Margins()->SetLeft(1000);
    TdxPrinterPage metric;
    metric.SetMeasurementUnits(muMillimeters);
    TdxPrinterPage copy;
    copy.Assign(&inch);
    EXPECT_EQ(copy.Margins()->Left(), 1000);
    EXPECT_TRUE(copy.IsCompatibleWith(&inch));
    inch.SetMeasurementUnits(muMillimeters);
    EXPECT_EQ(inch.Margins()->Left(), 25400);
}

TEST_F(PrinterPageTest, HeaderAndBackgroundChangesRaiseOnUpdate)
{
    TdxPrinterPage page;
    int updates = 0;
    page.OnUpdate = [&](TObject*) { ++updates; };
    page.PageHeader()->LeftTitle()->Add("[Page #]");
    page.PageFooter()->Font()->SetSize(12);
    page.Background()->SetBkColor(clRed);
    EXPECT_EQ(updates, 3);
    EXPECT_EQ(page.PageHeader()->Font()->Name(), "Tahoma");
}

TEST_F(PrinterPageTest, SettingsReachThePrintDevice)
{
    m_printers.push_back(TScriptedPrinterBackend::MakePrinter("Buero"));
    TdxPrinterPage page;
    page.SetDMPaper(9);
    page.SetOrientation(poLandscape);
    page.SetGrayShading(true);
    page.ApplyToPrintDevice();
    TDeviceMode* mode = dxPrintDevice()->DeviceMode();
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->PaperSize, 9);
    EXPECT_EQ(mode->Orientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(mode->Color, DMCOLOR_MONOCHROME);

    // A custom paper takes the page's size in tenths of a millimetre.
    page.PageSize()->SetPoint(TPoint{200000, 300000});
    ASSERT_EQ(page.DMPaper(), 256);
    page.ApplyToPrintDevice();
    EXPECT_EQ(mode->PaperWidth, 2000);
    EXPECT_EQ(mode->PaperLength, 3000);
}

} // namespace
} // namespace qel
