// What of the preview is kept: its settings in the settings store and its
// properties in component streams, round trips and hostile values both; the
// binary margin records from damaged data.
#include "PreviewTestSupport.h"

#include "fuzz/MarginsChecks.h"
#include "fuzz/Mutator.h"
#include "platform/core/Streaming.h"
#include "platform/storage/Registry.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

using test::PreviewHarness;

const char* const kKey = "Software\\Tessaro\\Test\\PreviewControl";

struct PreviewSettings : ::testing::Test {
    test::TempDir dir;
    std::string previous = SettingsStoreFile();
    PreviewSettings() { SetSettingsStoreFile(dir.File("registry.ini")); }
    ~PreviewSettings() override { SetSettingsStoreFile(previous); }

    void Write(const std::function<void(TRegistry&)>& Body)
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(kKey, true));
        Body(reg);
    }
};

TEST_F(PreviewSettings, SettingsRoundTripWithTheZoomOnlyWhenAsked)
{
    PreviewHarness a;
    TdxPreview& p = *a.preview;
    p.SetPageCount(4);
    p.SetOptionsHint({pohShowOnDrag});
    p.SetOptionsView({povMargins});
    p.SetOptionsZoom({pozZoomOnMouseRoll});
    p.SetZoomStep(25);
    p.SetMarginColor(clRed);
    p.SetMeasurementUnits(pmuCentimeters);
    p.SetOrientation(ppoLandscape);
    p.SetPageXYCount(3, 2);
    p.SaveToRegistry(kKey);

    PreviewHarness b;
    TdxPreview& q = *b.preview;
    q.SetPageCount(4);
    q.LoadFromRegistry(kKey);
    EXPECT_EQ(q.OptionsHint(), (TdxPreviewOptionsHint{pohShowOnDrag}));
    EXPECT_EQ(q.OptionsView(), (TdxPreviewOptionsView{povMargins}));
    EXPECT_EQ(q.OptionsZoom(), (TdxPreviewOptionsZoom{pozZoomOnMouseRoll}));
    EXPECT_EQ(q.ZoomStep(), 25);
    EXPECT_EQ(q.MarginColor(), clRed);
    EXPECT_EQ(q.MeasurementUnits(), pmuCentimeters);
    EXPECT_EQ(q.Orientation(), ppoLandscape);
    EXPECT_EQ(q.ZoomMode(), pzmPages);
    EXPECT_EQ(q.PageXCount(), 3);
    EXPECT_EQ(q.PageYCount(), 2);
    EXPECT_EQ(q.ZoomFactor(), p.ZoomFactor());

    // Without posZoom the zoom is neither written nor read.
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, false));
    ASSERT_TRUE(reg.DeleteValue("ZoomFactor"));
    p.SetOptionsStore({});
    p.SetZoomFactor(70);
    p.SaveToRegistry(kKey);
    EXPECT_FALSE(reg.ValueExists("ZoomFactor"));
    PreviewHarness c;
    c.preview->SetOptionsStore({});
    reg.WriteInteger("ZoomFactor", 33);
    c.preview->LoadFromRegistry(kKey);
    EXPECT_EQ(c.preview->ZoomFactor(), 100);
    // Page counts are read only for the pages mode.
    reg.WriteInteger("ZoomMode", pzmNone);
    reg.WriteInteger("PageXCount", 4);
    PreviewHarness d;
    d.preview->LoadFromRegistry(kKey);
    EXPECT_EQ(d.preview->ZoomFactor(), 33);
    EXPECT_EQ(d.preview->PageXCount(), 1);
}

TEST_F(PreviewSettings, HostileValuesKeepTheCurrentSettings)
{
    Write([](TRegistry& R) {
        R.WriteInteger("MeasurementUnits", 99);
        R.WriteInteger("Orientation", 7);
        R.WriteInteger("ZoomMode", -1);
        R.WriteInteger("OptionHint", -1);
        R.WriteInteger("OptionView", 0x7FFFFFF0);
        R.WriteString("ZoomFactor", "x");
        R.WriteInteger("ZoomStep", -5);
        R.WriteBinaryData("MarginColor", "abc", 3);
    });
    PreviewHarness h;
    TdxPreview& p = *h.preview;
    p.SetMeasurementUnits(pmuPoints);
    p.LoadFromRegistry(kKey);
    EXPECT_EQ(p.MeasurementUnits(), pmuPoints) << "the units stay in range";
    EXPECT_EQ(p.Orientation(), ppoPortrait);
    EXPECT_EQ(p.ZoomMode(), pzmNone);
    EXPECT_EQ(p.OptionsHint(), (TdxPreviewOptionsHint{pohShowForMargins, pohShowOnDrag, pohShowOnScroll}));
    EXPECT_EQ(p.OptionsView().ToBits(), 0u) << "bits beyond the options are dropped";
    EXPECT_EQ(p.ZoomFactor(), 100);
    EXPECT_EQ(p.ZoomStep(), 1);
    EXPECT_EQ(p.MarginColor(), clWindowText);
    EXPECT_EQ(PreviewUnitText(254, p.MeasurementUnits()), "72 pt");

    // A store that cannot be opened leaves everything as it was.
    test::WriteFileBytes(dir.File("registry.ini"), "@Variant(\\0\\0)\nnonsense");
    p.SetZoomStep(7);
    EXPECT_NO_THROW(p.LoadFromRegistry("Software\\Other"));
    EXPECT_EQ(p.ZoomStep(), 7);
}

TEST(PreviewStream, PropertiesAndMarginsRoundTripThroughAComponentStream)
{
    PreviewHarness a;
    TdxPreview& p = *a.preview;
    p.SetPageCount(1);
    p.SetZoomFactor(65);
    p.SetMeasurementUnits(pmuInches);
    p.SetLookAndFeel(plfFlat);
    p.Margins()->Gutter()->SetValue(120);
    p.Margins()->Left()->SetMaxValue(800);
    p.Margins()->Footer()->SetMinValue(200);
    p.Margins()->Header()->SetEnabled(false);
    p.Margins()->Top()->SetVisible(false);
    TStringStream s;
    WriteComponent(s, &p);

    PreviewHarness b;
    s.SetPosition(0);
    ReadComponent(s, b.preview, nullptr);
    TdxPreview& q = *b.preview;
    EXPECT_EQ(q.ZoomFactor(), 65);
    EXPECT_EQ(q.MeasurementUnits(), pmuInches);
    EXPECT_EQ(q.LookAndFeel(), plfFlat);
    EXPECT_EQ(fuzz::MarginsBytes(*q.Margins()), fuzz::MarginsBytes(*p.Margins()));
    EXPECT_EQ(q.Margins()->Footer()->Value(), 200);
    EXPECT_FALSE(q.Margins()->Header()->Enabled());

    // A damaged record fails the whole read and leaves the preview as it was.
    std::string bytes = s.DataString();
    const std::string good = fuzz::MarginsBytes(*p.Margins());
    const std::size_t at = bytes.find(good);
    ASSERT_NE(at, std::string::npos);
    bytes[at + 12] = 2;   // the first record's Enabled
    PreviewHarness c;
    const std::string before = fuzz::MarginsBytes(*c.preview->Margins());
    TStringStream damaged(bytes);
    EXPECT_THROW(ReadComponent(damaged, c.preview, nullptr), EReadError);
    EXPECT_EQ(fuzz::MarginsBytes(*c.preview->Margins()), before);
    EXPECT_EQ(c.preview->ZoomFactor(), 100);
}

TEST(PreviewStream, MarginRecordsFromDamagedDataReadOrAreRefused)
{
    TdxPreviewMargins margins;
    const std::string sample = fuzz::MarginsBytes(margins);
    ASSERT_EQ(sample.size(), 98u);
    // Other lengths and Booleans other than 0 and 1 are refused.
    for (const std::string& bad : {sample.substr(0, 97), sample + '\0', std::string(), sample.substr(0, 14)})
        EXPECT_EQ(test::MessageOf<EReadError>([&] {
                      TStringStream s(bad);
                      margins.ReadData(s);
                  }),
                  "Invalid margins data");
    // Negative minimums and maximums below -1 go through the setters.
    std::string odd = sample;
    for (int i = 4; i < 8; ++i)
        odd[i] = '\xFF';        // MinValue -1
    for (int i = 14; i < 18; ++i)
        odd[i] = '\x80';        // the top's MaxValue far below -1
    EXPECT_EQ(fuzz::CheckMarginsRead(odd, margins), "");
    EXPECT_EQ(margins.Left()->MinValue(), 0);
    EXPECT_EQ(margins.Top()->MaxValue(), -1);

    test::Mutator mutator({sample, odd}, test::FuzzSeed(8103u),
                          {std::string("\xFF\xFF\xFF\xFF", 4), std::string("\x00\x00\x00\x80", 4), "\x01", "\x02"});
    PreviewHarness h;
    h.preview->SetPageCount(1);
    for (int i = 0; i < test::FuzzIterations(3000); ++i) {
        std::string input = mutator.Next();
        // Most mutations change the length; half the inputs keep it, so the values get read.
        if (i % 2 == 0)
            input.resize(98, '\0');
        SCOPED_TRACE("iteration " + std::to_string(i));
        TdxPreviewMargins standalone;
        EXPECT_EQ(fuzz::CheckMarginsRead(input, standalone), "");
        TStringStream s(input);
        try {
            h.preview->Margins()->ReadData(s);
        } catch (const EReadError&) {
        }
        for (int k = 0; k < dxPreviewMarginCount; ++k) {
            const TdxPreviewMargin* m = h.preview->Margins()->Items(static_cast<TdxPreviewMarginType>(k));
            EXPECT_GE(m->MinValue(), 0);
            EXPECT_LE(m->ActualMinValue(), m->ActualMaxValue());
            EXPECT_LE(m->MinPixel(), m->MaxPixel());
        }
        if (::testing::Test::HasFailure())
            break;
    }
    for (const auto& [name, input] : test::RegressionInputs("margins")) {
        SCOPED_TRACE(name);
        TdxPreviewMargins kept;
        EXPECT_EQ(fuzz::CheckMarginsRead(input, kept), "");
    }
}

} // namespace
} // namespace qel
