#include "printing/PrintStyles.h"

#include "TestSupport.h"
#include "platform/controls/Application.h"
#include "platform/controls/Messages.h"
#include "platform/core/Locale.h"
#include "platform/core/PropertyRegistry.h"
#include "platform/core/Streaming.h"
#include "platform/graphics/Bitmap.h"
#include "platform/core/Stream.h"
#include "platform/core/Strings.h"
#include "platform/printers/ScriptedPrinters.h"
#include "printing/EventSystem.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace qel {
namespace {

// A form-like owner with a manager; errors shown by the application are collected.
class PrintStylesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TdxPrinterPage::RebuildDefaultPage();
        m_savedHandler = Application().OnException;
        Application().OnException = [this](TObject*, const std::exception& E) { Errors.push_back(E.what()); };
        Owner = new TComponent(nullptr);
        Manager = new TdxPrintStyleManager(Owner);
    }
    void TearDown() override
    {
        delete Owner;
        Application().OnException = m_savedHandler;
        TdxPrinterPage::RebuildDefaultPage();
    }
    TBasedxPrintStyle* Add(const std::string& Caption)
    {
        TBasedxPrintStyle* style = Manager->AddStyle();
        style->SetStyleCaption(Caption);
        return style;
    }
    std::string CloneCaption(int Index)
    {
        TBasedxPrintStyle* clone = Manager->BeginClone(Index);
        Manager->EndClone(clone);
        return clone ? clone->StyleCaption() : "(none)";
    }
    std::vector<std::string> Captions() const
    {
        std::vector<std::string> out;
        for (int i = 0; i < Manager->Count(); ++i)
            out.push_back(Manager->Styles(i)->StyleCaption());
        return out;
    }

    LocaleScope m_locale;
    TExceptionEvent m_savedHandler;
    std::vector<std::string> Errors;
    TComponent* Owner = nullptr;
    TdxPrintStyleManager* Manager = nullptr;
};

using Codes = std::vector<int>;

// Collects the page-parameters events the manager publishes.
struct PageParamsProbe {
    PageParamsProbe()
    {
        Subscriber.OnPageParamsChanged = [this](TBasedxPrintStyle* Style, TdxPageParamsUpdateCodes C) {
            Styles.push_back(Style);
            Received.push_back(C);
        };
    }
    TdxPageParamsChangedSubscriber Subscriber;
    std::vector<TBasedxPrintStyle*> Styles;
    Codes Received;
};

TEST_F(PrintStylesTest, CopiesGetUniqueCaptions)
{
    Add("Standard");
    EXPECT_EQ(CloneCaption(0), "Copy of Standard");
    EXPECT_EQ(CloneCaption(0), "Copy (2) of Standard");
    EXPECT_EQ(CloneCaption(0), "Copy (3) of Standard");
    // Each copy goes right after its source.
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Standard", "Copy (3) of Standard", "Copy (2) of Standard",
                                                    "Copy of Standard"}));
    EXPECT_EQ(Manager->BeginClone(4), nullptr);
    EXPECT_EQ(Manager->BeginClone(-2), nullptr);
    EXPECT_EQ(Manager->UpdateCount(), 0);

    // Cut to 31 characters.
    Add("Eine sehr lange Druckformatbezeichnung");
    const std::string copy = CloneCaption(Manager->Count() - 1);
    EXPECT_EQ(copy, "Copy of Eine sehr lange Druckfo");
}

TEST_F(PrintStylesTest, APrefixWithoutNumberPlaceYieldsTheSameCaption)
{
    Manager->SetCloneStyleCaptionPrefix("Kopie von ");
    Add("Standard");
    EXPECT_EQ(CloneCaption(0), "Kopie von Standard");
    EXPECT_EQ(CloneCaption(0), "Kopie von Standard");
}

TEST_F(PrintStylesTest, APercentSignInACaptionIsText)
{
    Add("Rand 5%s %n");
    Add("Seite %d");
    EXPECT_EQ(CloneCaption(0), "Copy of Rand 5%s %n");
    EXPECT_EQ(CloneCaption(0), "Copy (2) of Rand 5%s %n");
    const int seite = Manager->Count() - 1;
    ASSERT_EQ(Manager->Styles(seite)->StyleCaption(), "Seite %d");
    EXPECT_EQ(CloneCaption(seite), "Copy of Seite %d");
    EXPECT_EQ(CloneCaption(seite), "Copy (2) of Seite %d");
}

TEST_F(PrintStylesTest, TheCurrentStyleFollowsDeletion)
{
    int currentChanges = 0;
    int listChanges = 0;
    Manager->OnChangeCurrentStyle = [&](TObject*) { ++currentChanges; };
    Manager->OnStyleListChanged = [&](TObject*) { ++listChanges; };
    TBasedxPrintStyle* a = Add("A");
    EXPECT_EQ(Manager->CurrentStyle(), a);
    Add("B");
    TBasedxPrintStyle* c = Add("C");
    EXPECT_EQ(listChanges, 3);
    c->SetIsCurrentStyle(true);
    EXPECT_EQ(Manager->CurrentStyleIndex(), 2);
    Manager->Delete(2);   // the current one, last in the list
    EXPECT_EQ(Manager->CurrentStyle()->StyleCaption(), "B");
    Manager->SetCurrentStyleIndex(99);
    EXPECT_EQ(Manager->CurrentStyleIndex(), 1);

    Manager->Delete(0);
    currentChanges = 0;
    Manager->Delete(0);   // the only one
    EXPECT_EQ(Manager->CurrentStyle(), nullptr);
    EXPECT_EQ(Manager->CurrentStyleIndex(), -1);
    EXPECT_EQ(currentChanges, 1);
}

TEST_F(PrintStylesTest, NotificationsWaitForTheOutermostEndUpdate)
{
    int listChanges = 0;
    int currentChanges = 0;
    Manager->OnStyleListChanged = [&](TObject*) { ++listChanges; };
    Manager->OnChangeCurrentStyle = [&](TObject*) { ++currentChanges; };
    TdxStyleListChangedSubscriber subscriber;
    int published = 0;
    subscriber.OnStyleListChanged = [&](TObject* Sender) {
        EXPECT_EQ(Sender, Manager);
        ++published;
    };
    Manager->BeginUpdate();
    Manager->BeginUpdate();
    Add("A");
    Add("B");
    Manager->EndUpdate();
    EXPECT_EQ(listChanges, 0);
    Manager->EndUpdate();
    EXPECT_EQ(listChanges, 1);
    EXPECT_EQ(currentChanges, 1);
    EXPECT_EQ(published, 1);

    Manager->Styles(1)->SetIndex(0);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"B", "A"}));
}

TEST_F(PrintStylesTest, PageChangesOfTheCurrentStyleReachSubscribers)
{
    TBasedxPrintStyle* a = Add("A");
    TBasedxPrintStyle* b = Add("B");
    PageParamsProbe probe;

    a->PrinterPage()->Margins()->SetLeft(20000);
    a->PrinterPage()->SetScaleFactor(80);
    a->PrinterPage()->SetFitToPagesByTall(1);   // same count, the mode turns to fit
    b->PrinterPage()->Margins()->SetLeft(20000);   // not the current style
    EXPECT_EQ(probe.Received, (Codes{1 << ucMarginLeft, 1 << ucScale, 1 << ucScale}));

    probe.Received.clear();
    b->SetIsCurrentStyle(true);
    a->PrinterPage()->SetOrientation(poLandscape);   // no longer current
    b->PrinterPage()->SetOrientation(poLandscape);   // a bracket: every kind
    EXPECT_EQ(probe.Received, (Codes{0x7F, 0x7F}));
    EXPECT_EQ(probe.Styles.back(), b);
}

TEST_F(PrintStylesTest, TheStyleFileRoundTrips)
{
    test::TempDir dir;
    const std::string file = dir.File("styles.dat");
    Manager->SetVersion(3);
    TBasedxPrintStyle* a = Add("Hochformat");
    a->SetDescription("Zutrittsmatrix");
    a->SetAllowChangePaper(false);
    a->PrinterPage()->SetMeasurementUnits(muInches);
    a->PrinterPage()->Margins()->SetLeft(750);
    a->PrinterPage()->PageHeader()->CenterTitle()->Add("[Date Printed]");
    TBasedxPrintStyle* b = Add("Querformat");
    b->PrinterPage()->SetOrientation(poLandscape);
    b->PrinterPage()->SetDMPaper(9);
    b->SetIsCurrentStyle(true);
    Manager->SaveToFile(file);
    ASSERT_TRUE(std::filesystem::exists(file));

    auto* other = new TdxPrintStyleManager(Owner);
    other->SetVersion(3);
    int listChanges = 0;
    other->OnStyleListChanged = [&](TObject*) { ++listChanges; };
    other->LoadFromFile(file);
    EXPECT_TRUE(Errors.empty());
    ASSERT_EQ(other->Count(), 2);
    EXPECT_EQ(listChanges, 1);
    EXPECT_EQ(other->CurrentStyleIndex(), 1);
    TBasedxPrintStyle* a2 = other->Styles(0);
    EXPECT_EQ(a2->StyleCaption(), "Hochformat");
    EXPECT_EQ(a2->Description(), "Zutrittsmatrix");
    EXPECT_FALSE(a2->AllowChangePaper());
    EXPECT_EQ(a2->StyleManager(), other);
    EXPECT_EQ(a2->Owner(), Owner);
    EXPECT_TRUE(a2->PrinterPage()->IsCompatibleWith(a->PrinterPage()));
    EXPECT_EQ(a2->PrinterPage()->Margins()->Left(), 750);
    EXPECT_EQ(test::Lines(*a2->PrinterPage()->PageHeader()->CenterTitle()),
              (std::vector<std::string>{"[Date Printed]"}));
    EXPECT_EQ(other->Styles(1)->PrinterPage()->Orientation(), poLandscape);
    EXPECT_EQ(other->Styles(1)->PrinterPage()->DMPaper(), 9);
    EXPECT_EQ(other->Styles(1)->PrinterPage()->PageSize()->Point(), (TPoint{210000, 297000}));

    // Another version is ignored without a word.
    auto* newer = new TdxPrintStyleManager(Owner);
    newer->SetVersion(4);
    newer->AddStyle()->SetStyleCaption("Eigenes");
    newer->LoadFromFile(file);
    EXPECT_EQ(newer->Count(), 1);
    EXPECT_TRUE(Errors.empty());
}

// Every value an object streams, by path: its published properties (nested
// objects walked) and the entries its DefineProperties adds.
class TValueFiler : public TFiler {
public:
    TValueFiler(std::map<std::string, std::string>& Values, std::string Prefix)
        : TFiler(nullptr), m_values(Values), m_prefix(std::move(Prefix))
    {
    }
    void DefineProperty(const std::string& Name, const std::function<void(const Variant&)>&,
                        const std::function<Variant()>& WriteData, bool) override
    {
        m_values[m_prefix + Name] = WriteData().AsString();
    }
    void DefineBinaryProperty(const std::string& Name, const std::function<void(TStream&)>&,
                              const std::function<void(TStream&)>& WriteData, bool HasData) override
    {
        TMemoryStream bytes;
        if (HasData)
            WriteData(bytes);
        m_values[m_prefix + Name] = bytes.Bytes();
    }

private:
    std::map<std::string, std::string>& m_values;
    std::string m_prefix;
};

void CollectValues(TObject* Object, const std::string& Prefix, std::map<std::string, std::string>& Values)
{
    for (const TPropInfo* info : GetPropList(Object)) {
        const std::string path = Prefix + info->Name;
        if (info->Kind == pkPersistent)
            CollectValues(info->GetObj(Object), path + ".", Values);
        else if (info->Kind != pkCollection)
            Values[path] = GetPropValue(Object, info->Name).AsString();
    }
    TValueFiler filer(Values, Prefix);
    CallDefineProperties(Object, filer);
}

std::map<std::string, std::string> StreamedValues(TObject* Object)
{
    std::map<std::string, std::string> values;
    CollectValues(Object, "", values);
    return values;
}

// Sets every value a user can give a style to its lowest or its highest.
void SetToExtremes(TBasedxPrintStyle& Style, bool Highest)
{
    const int big = INT_MAX;
    Style.SetAllowChangeHFText(Highest);
    Style.SetAllowChangeMargins(Highest);
    Style.SetAllowChangeOrientation(Highest);
    Style.SetAllowChangePaper(Highest);
    Style.SetAllowChangeScale(Highest);
    Style.SetAllowCustomPaperSizes(Highest);
    Style.SetDescription(Highest ? std::string(5000, 'd') : "");
    Style.SetImageIndex(Highest ? big : INT_MIN);
    Style.SetShowPageSetupDlg(Highest);
    Style.SetStyleCaption(Highest ? std::string(5000, 'c') : "");
    Style.SetBuiltInStyle(Highest);
    if (Highest) {
        Style.StyleGlyph()->SetSize(3, 2);
        Style.StyleGlyph()->SetPixel(1, 1, clRed);
    }

    TdxPrinterPage& page = *Style.PrinterPage();
    page.SetMeasurementUnits(Highest ? muMillimeters : muInches);
    page.SetOrientation(Highest ? poLandscape : poPortrait);
    page.SetPageOrder(Highest ? poDownThenOver : poOverThenDown);
    page.SetCenterOnPageH(Highest);
    page.SetCenterOnPageV(Highest);
    page.SetGrayShading(Highest);
    page.SetReverseTitlesOnEvenPages(Highest);
    page.SetPaperSource(Highest ? big : 1);
    page.SetFitToPagesByWide(Highest ? big : 0);
    page.SetFitToPagesByTall(Highest ? big : 0);
    page.SetScaleFactor(Highest ? 500 : 10);
    page.SetScaleMode(Highest ? smFit : smAdjust);
    if (Highest) {
        page.PageSize()->SetPoint(TPoint{big / 2, big / 2});
        page.MinMargins()->SetRect(TRect{big / 8, big / 8, big / 8, big / 8});
        page.Margins()->SetRect(TRect{big / 4, big / 4, big / 4, big / 4});
        page.SetHeader(big / 4);
        page.SetFooter(big / 4);
    } else {
        page.PageSize()->SetPoint(TPoint{8268, 11693});   // A4, in inches: room for every margin
        page.MinMargins()->SetRect(TRect{0, 0, 0, 0});
        page.SetHeader(0);
        page.SetFooter(0);
        page.Margins()->SetRect(TRect{0, 0, 0, 0});
    }
    for (TCustomdxPageObject* part : {static_cast<TCustomdxPageObject*>(page.PageHeader()),
                                      static_cast<TCustomdxPageObject*>(page.PageFooter())}) {
        for (TStrings* title : {part->LeftTitle(), part->CenterTitle(), part->RightTitle()})
            title->SetText(Highest ? std::string(3000, 't') + "\n[Page #]" : "");
        const TdxTextAlignY align = Highest ? taBottom : taTop;
        part->SetLeftTextAlignY(align);
        part->SetCenterTextAlignY(align);
        part->SetRightTextAlignY(align);
        part->Font()->SetName(Highest ? "Liberation Serif" : "");
        part->Font()->SetHeight(Highest ? -400 : 0);
        part->Font()->SetStyle(Highest ? TFontStyles{fsBold, fsItalic, fsUnderline, fsStrikeOut} : TFontStyles{});
        part->Font()->SetColor(Highest ? static_cast<TColor>(0xFFFFFF) : clBlack);
    }
    for (TdxBackground* background :
         {static_cast<TdxBackground*>(page.Background()), static_cast<TdxBackground*>(page.PageHeader()->Background()),
          static_cast<TdxBackground*>(page.PageFooter()->Background())}) {
        background->SetBkColor(Highest ? clNone : clBlack);
        background->SetMode(Highest ? bmPicture : bmNone);
        background->SetPictureMode(Highest ? ppmProportional : ppmCenter);
        background->SetEffects(Highest);
        background->Brush()->SetStyle(Highest ? bsDiagCross : bsSolid);
        background->Brush()->SetColor(Highest ? clNone : clBlack);
        if (Highest) {
            TBitmap picture(2, 2);
            picture.SetPixel(0, 0, clBlue);
            background->SetPicture(&picture);
        }
    }
}

TEST_F(PrintStylesTest, EveryValueOfAStyleSurvivesTheFileAtItsExtremes)
{
    for (const bool highest : {false, true}) {
        SCOPED_TRACE(highest ? "highest" : "lowest");
        TComponent from(nullptr);
        auto* source = new TdxPrintStyleManager(&from);
        TBasedxPrintStyle* style = source->AddStyle();
        SetToExtremes(*style, highest);
        const auto written = StreamedValues(style);
        EXPECT_EQ(written.at("PrinterPage.Margins.Left"), highest ? "536820912" : "0");
        TMemoryStream file;
        source->SaveToStream(file);

        TComponent to(nullptr);
        auto* target = new TdxPrintStyleManager(&to);
        file.SetPosition(0);
        target->LoadFromStream(file);
        ASSERT_TRUE(Errors.empty()) << Errors.front();
        ASSERT_EQ(target->Count(), 1);
        const auto read = StreamedValues(target->Styles(0));
        for (const auto& [name, value] : written)
            EXPECT_EQ(read.at(name), value) << name;
    }
}

TEST_F(PrintStylesTest, ADamagedFileLeavesTheStylesAndReportsTheError)
{
    test::TempDir dir;
    const std::string file = dir.File("styles.dat");
    Add("Eins");
    Add("Zwei");
    Manager->SaveToFile(file);
    const std::string bytes = test::ReadFileBytes(file);

    auto* other = new TdxPrintStyleManager(Owner);
    TBasedxPrintStyle* mine = other->AddStyle();
    mine->SetStyleCaption("Meins");
    const std::vector<std::string> damaged{
        bytes.substr(0, 2),                  // not even a version
        bytes.substr(0, bytes.size() - 9),   // cut short
        bytes.substr(0, 8) + std::string(40, '\x7F'),
    };
    for (const std::string& d : damaged) {
        test::WriteFileBytes(file, d);
        Errors.clear();
        EXPECT_NO_THROW(other->LoadFromFile(file));
        EXPECT_EQ(Errors.size(), 1u);
        ASSERT_EQ(other->Count(), 1);
        EXPECT_EQ(other->Styles(0), mine);
        EXPECT_EQ(other->CurrentStyle(), mine);
    }
}

std::string LE32(std::uint32_t Value)
{
    return std::string{static_cast<char>(Value), static_cast<char>(Value >> 8), static_cast<char>(Value >> 16),
                       static_cast<char>(Value >> 24)};
}

// A style file of three styles whose glyphs and backgrounds hold Picture;
// each picture entry of the file is then swapped for Replacement.
std::string StyleFileWithPictures(const TBitmap& Picture, const std::string& Replacement)
{
    TComponent owner(nullptr);
    auto* manager = new TdxPrintStyleManager(&owner);
    for (int i = 0; i < 3; ++i) {
        TBasedxPrintStyle* style = manager->AddStyle();
        style->SetStyleGlyph(const_cast<TBitmap*>(&Picture));
        style->PrinterPage()->Background()->SetPicture(&Picture);
    }
    TMemoryStream file;
    manager->SaveToStream(file);
    TMemoryStream encoded;
    Picture.SaveToStream(encoded);
    // A binary entry is its byte count and its bytes; nothing around it counts them.
    const std::string entry = LE32(static_cast<std::uint32_t>(encoded.Size())) + encoded.Bytes();
    std::string bytes = file.Bytes();
    int swapped = 0;
    for (std::size_t at = bytes.find(entry); at != std::string::npos; at = bytes.find(entry, at + 1), ++swapped)
        bytes.replace(at, entry.size(), LE32(static_cast<std::uint32_t>(Replacement.size())) + Replacement);
    EXPECT_EQ(swapped, 6);
    return bytes;
}

TEST_F(PrintStylesTest, AHostileFileIsRefusedBeforeItsPicturesAreDecoded)
{
    TBitmap picture(4, 2);
    TMemoryStream encoded;
    picture.SaveToStream(encoded);
    ASSERT_EQ(encoded.Size(), 78);
    TBasedxPrintStyle* mine = Add("Meins");
    const std::vector<std::pair<const char*, std::string>> pictures{
        // 78 bytes claiming 4 x 7,800,000 pixels of 24 bits.
        {"claims more than its bytes", encoded.Bytes().substr(0, 22) + LE32(7800000) + encoded.Bytes().substr(26)},
        // Run-length pictures of 5,500 x 5,500 pixels: each may be decoded,
        // not six of them. Their pixels all have colour 0 (end of the bitmap at once).
        {"more than one file may decode",
         "BM" + LE32(14 + 40 + 1024 + 2) + LE32(0) + LE32(14 + 40 + 1024) + LE32(40) + LE32(5500) + LE32(5500)
             + std::string("\1\0\x08\0", 4) + LE32(1) + LE32(2) + LE32(2835) + LE32(2835) + LE32(0) + LE32(0)
             + std::string(1024, '\0') + std::string("\0\1", 2)},
    };
    for (const auto& [what, replacement] : pictures) {
        SCOPED_TRACE(what);
        TStringStream file(StyleFileWithPictures(picture, replacement));
        Errors.clear();
        Manager->LoadFromStream(file);
        ASSERT_EQ(Errors.size(), 1u);
        ASSERT_EQ(Manager->Count(), 1);
        EXPECT_EQ(Manager->Styles(0), mine);
    }
    EXPECT_EQ(Errors.front(), "Out of Resources");
}

TEST_F(PrintStylesTest, TheFileIsReadOnceAndEachPictureDecodedOnce)
{
    TBitmap picture(30, 20);
    TMemoryStream encoded;
    picture.SaveToStream(encoded);
    TStringStream file(StyleFileWithPictures(picture, encoded.Bytes()));
    TPictureDecodeBudget counter(1000000);
    Manager->LoadFromStream(file);
    EXPECT_TRUE(Errors.empty());
    ASSERT_EQ(Manager->Count(), 3);
    EXPECT_EQ(1000000 - counter.Remaining(), 6 * 30 * 20);
    EXPECT_EQ(Manager->Styles(2)->StyleGlyph()->Width(), 30);
}

TEST_F(PrintStylesTest, AFileWithoutStylesGivesNoCurrentStyle)
{
    test::TempDir dir;
    const std::string file = dir.File("empty.dat");
    TdxPrintStyleManager empty(nullptr);
    empty.SaveToFile(file);

    Add("A");
    Manager->LoadFromFile(file);
    EXPECT_TRUE(Errors.empty());
    EXPECT_EQ(Manager->Count(), 0);
    EXPECT_EQ(Manager->CurrentStyle(), nullptr);
    EXPECT_EQ(Manager->CurrentStyleIndex(), -1);
}

TEST_F(PrintStylesTest, AutoSaveWritesOnceOnDestructionAndLoadsAfterLoading)
{
    test::TempDir dir;
    const std::string file = dir.File("auto.dat");
    {
        TComponent form(nullptr);
        auto* manager = new TdxPrintStyleManager(&form);
        manager->SetAutoSave(true);
        manager->SetStorageName(file);
        // Created after the manager: the form frees them first, and the save
        // still sees both.
        manager->AddStyle()->SetStyleCaption("A");
        manager->AddStyle()->SetStyleCaption("B");
    }
    ASSERT_TRUE(std::filesystem::exists(file));

    Manager->SetAutoSave(true);
    Manager->SetStorageName(file);
    Manager->Loaded();
    EXPECT_EQ(Captions(), (std::vector<std::string>{"A", "B"}));
    Manager->SetAutoSave(false);
}

TEST_F(PrintStylesTest, ASettingsChangeRebuildsTheDefaultPageAndConvertsPages)
{
    TBasedxPrintStyle* style = Add("A");
    ASSERT_EQ(style->PrinterPage()->Margins()->Left(), 12700);
    TFormatSettings inch = DefaultFormatSettings();
    inch.MeasureMetric = false;
    LocaleScope scope(inch);
    Application().SettingChange();
    EXPECT_EQ(style->PrinterPage()->Margins()->Left(), 500);
    EXPECT_EQ(TdxPrinterPage::DefaultPage()->Margins()->Left(), 500);
    TdxPrinterPage page;
    EXPECT_EQ(page.PageSize()->Point(), (TPoint{8500, 11000}));
}

TEST_F(PrintStylesTest, APaperFilterAlwaysKeepsTheStylesOwnPaper)
{
    dxPrintDeviceInstance(2);
    dxSetPrintDeviceBackendFactory([] {
        auto backend = std::make_unique<TScriptedPrinterBackend>();
        backend->List.push_back(TScriptedPrinterBackend::MakePrinter("Buero"));
        backend->Default = "Buero";
        return backend;
    });
    TBasedxPrintStyle* style = Add("A");
    style->PrinterPage()->SetDMPaper(9);
    style->OnFilterPaper = [](TObject*, TdxPaperInfo*, bool& Accept) { Accept = false; };
    TStringList papers;
    style->GetFilteredPapers(papers);
    ASSERT_EQ(papers.Count(), 1);
    EXPECT_EQ(static_cast<TdxPaperInfo*>(papers.Objects(0))->DMPaper(), 9);

    style->OnFilterPaper = nullptr;
    style->PrinterPage()->PageSize()->SetPoint(TPoint{200000, 300000});
    papers.Clear();
    style->GetFilteredPapers(papers);
    EXPECT_GE(papers.Count(), 3);
    for (int i = 0; i < papers.Count(); ++i) {
        auto* paper = static_cast<TdxPaperInfo*>(papers.Objects(i));
        if (paper->DMPaper() == 256) {
            EXPECT_EQ(paper->Width(), 2000);
            EXPECT_EQ(paper->Height(), 3000);
        }
    }
    dxPrintDeviceInstance(2);
    dxSetPrintDeviceBackendFactory({});
}

} // namespace
} // namespace qel

namespace qel {
namespace {

// Installs dialog runners for a test and takes them out again.
struct RunnersScope {
    RunnersScope() : Saved(dxPrintStyleDialogRunners()) {}
    ~RunnersScope() { dxPrintStyleDialogRunners() = Saved; }
    TdxPrintStyleDialogRunners Saved;
};

TEST_F(PrintStylesTest, TheOptionsEditorWorksOnACopy)
{
    RunnersScope scope;
    TBasedxPrintStyle* style = Add("A");
    EXPECT_FALSE(style->ShowOptionsDlg());   // no editor installed
    bool accept = false;
    dxPrintStyleDialogRunners().HasOptionsEditor = [](const std::string& Name) { return Name == "TBasedxPrintStyle"; };
    dxPrintStyleDialogRunners().ShowOptionsEditor = [&](TBasedxPrintStyle& Copy, bool& Modified) {
        EXPECT_NE(&Copy, style);
        EXPECT_EQ(Copy.StyleCaption(), "A");
        Copy.SetStyleCaption("B");
        Modified = true;
        return accept;
    };
    EXPECT_FALSE(style->ShowOptionsDlg());
    EXPECT_EQ(style->StyleCaption(), "A");
    accept = true;
    EXPECT_TRUE(style->ShowOptionsDlg());
    EXPECT_EQ(style->StyleCaption(), "B");
    EXPECT_EQ(Manager->Count(), 1);
}

TEST_F(PrintStylesTest, DefiningStylesAnnouncesAfterTheCurrentEvent)
{
    RunnersScope scope;
    dxPrintStyleDialogRunners().DefinePrintStyles = [](TdxPrintStyleManager& M, const std::string& Title, int,
                                                      bool* Preview, bool*) {
        EXPECT_EQ(Title, "Define Print Styles");
        M.AddStyle()->SetStyleCaption("Neu");
        if (Preview)
            *Preview = true;
    };
    int listChanges = 0;
    Manager->OnStyleListChanged = [&](TObject*) { ++listChanges; };
    bool preview = false;
    bool print = true;
    Manager->DefinePrintStylesDlg(&preview, &print);
    EXPECT_TRUE(preview);
    EXPECT_FALSE(print);
    EXPECT_EQ(listChanges, 1);
    ProcessPostedCalls();
    EXPECT_EQ(listChanges, 2);

    // A manager freed before the posted call runs is left alone.
    auto* other = new TdxPrintStyleManager(nullptr);
    other->DefinePrintStylesDlg();
    delete other;
    ProcessPostedCalls();
}

} // namespace
} // namespace qel
