#include "printing/BaseObject.h"
#include "printing/PSEngine.h"
#include "printing/PSForm.h"
#include "printing/PrintControls.h"

#include "TestSupport.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/PropertyRegistry.h"
#include "platform/core/Stream.h"
#include "platform/storage/Registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qel {
namespace {

// ----- base object -------------------------------------------------------------------------

class Sample : public TdxBaseObject {
    QEL_CLASS(Sample)
public:
    int Width() const { return m_width; }
    void SetWidth(int Value) { m_width = Value; }
    const std::string& Title() const { return m_title; }
    void SetTitle(const std::string& Value) { m_title = Value; }

protected:
    void DoAssign(TdxBaseObject* Source) override
    {
        auto* s = static_cast<Sample*>(Source);
        m_width = s->m_width;
        m_title = s->m_title;
    }
    std::unique_ptr<TdxBaseObject> CreateNew() const override { return std::make_unique<Sample>(); }

private:
    int m_width{0};
    std::string m_title;
};

class SampleChild : public Sample {
    QEL_CLASS(SampleChild)
protected:
    std::unique_ptr<TdxBaseObject> CreateNew() const override { return std::make_unique<SampleChild>(); }
};

QEL_REGISTER_CLASS(Sample, TdxBaseObject);
QEL_REGISTER_CLASS(SampleChild, Sample);
const bool g_sampleProperties = [] {
    TPropertyRegistrar<Sample>("Sample")
        .Integer("Width", &Sample::Width, &Sample::SetWidth, 0)
        .String("Title", &Sample::Title, &Sample::SetTitle);
    return true;
}();

TEST(BaseObject, AssignRunsUnderOneUpdateLock)
{
    Sample a, b;
    b.SetWidth(7);
    b.SetTitle("Kopf");
    std::vector<bool> locks;
    a.OnLockUpdate = [&](TObject*, bool locking) { locks.push_back(locking); };
    a.BeginUpdate();
    a.Assign(&b);
    a.EndUpdate();
    EXPECT_EQ(locks, (std::vector<bool>{true, false}));
    EXPECT_EQ(a.Width(), 7);
    a.EndUpdate();
    EXPECT_EQ(a.UpdateCount(), 0) << "EndUpdate at 0 does nothing";
    a.Assign(&a);
    EXPECT_EQ(locks.size(), 2u);

    std::unique_ptr<TdxBaseObject> copy = b.Clone();
    ASSERT_STREQ(copy->ClassName(), "Sample");
    EXPECT_EQ(static_cast<Sample*>(copy.get())->Title(), "Kopf");

    SampleChild child;
    EXPECT_TRUE(a.IsCompatibleWith(&child));
    EXPECT_FALSE(child.IsCompatibleWith(&a));
    EXPECT_FALSE(a.IsCompatibleWith(nullptr));
}

TEST(BaseObject, FileRoundTripAndDamagedFileLeavesTheObject)
{
    test::TempDir dir;
    Sample a;
    a.SetWidth(42);
    a.SetTitle("Seite");
    a.SaveToFile(dir.File("a.dat"));
    Sample b;
    b.LoadFromFile(dir.File("a.dat"));
    EXPECT_EQ(b.Width(), 42);
    EXPECT_EQ(b.Title(), "Seite");

    std::string bytes = test::ReadFileBytes(dir.File("a.dat"));
    test::WriteFileBytes(dir.File("bad.dat"), bytes.substr(0, bytes.size() - 6));
    Sample c;
    c.SetWidth(5);
    EXPECT_THROW(c.LoadFromFile(dir.File("bad.dat")), Exception);
    EXPECT_EQ(c.Width(), 5);
    EXPECT_EQ(c.Title(), "");
}

// ----- engine and forms ---------------------------------------------------------------------

struct SettingsFixture : ::testing::Test {
    test::TempDir dir;
    std::string previousStore = SettingsStoreFile();
    std::string previousColors = dxPSColorDialog()->CustomColors()->Text();
    std::vector<std::string> errors;
    TExceptionEvent previousHandler = Application().OnException;
    SettingsFixture()
    {
        SetSettingsStoreFile(dir.File("registry.ini"));
        Application().OnException = [this](TObject*, const std::exception& E) { errors.push_back(E.what()); };
        dxPSEngine()->SetRegistryPath("Software\\Tessaro\\Test");
    }
    ~SettingsFixture() override
    {
        dxPSEngine()->SetRegistryPath("");
        Screen().SetVirtualScreen(1280, 1024);
        Screen().SetCursor(crDefault);
        Application().OnException = previousHandler;
        dxPSColorDialog()->CustomColors()->SetText(previousColors);
        SetSettingsStoreFile(previousStore);
    }
};

using EngineTest = SettingsFixture;

TEST_F(EngineTest, CustomColoursSaveWhenTheEngineIsFreed)
{
    EXPECT_THROW(TdxPSEngine::GetInstance(7), EdxPSEngine);
    const std::string key = "Software\\Tessaro\\Test\\CustomColors";
    {
        TRegistry reg;
        reg.OpenKey(key, true);
        reg.WriteString("ColorA", "00FF00");
    }
    dxPSLoadCustomColors(key);
    EXPECT_EQ(dxPSColorDialog()->CustomColors()->Values("ColorA"), "00FF00");
    dxPSColorDialog()->CustomColors()->SetText("ColorB=0000FF\n");
    delete TdxPSEngine::GetInstance(0);
    EXPECT_EQ(TdxPSEngine::GetInstance(0), nullptr);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(key, false));
    EXPECT_EQ(reg.ValueNames(), (std::vector<std::string>{"ColorB"}));
}

TEST_F(EngineTest, LastUnitUserFreesTheEngineAndItsSettingsErrorsAreReportedNotRaised)
{
    {
        TdxPSUnitUser first;
        {
            TdxPSUnitUser second;
            EXPECT_EQ(TdxPSUnitUser::UserCount(), 2);
        }
        EXPECT_NE(TdxPSEngine::GetInstance(0), nullptr);
        // A damaged store refuses every write.
        test::WriteFileBytes(dir.File("damaged.ini"), "[r80000001]\nk=1\n[open\n");
        SetSettingsStoreFile(dir.File("damaged.ini"));
    }
    EXPECT_EQ(TdxPSEngine::GetInstance(0), nullptr);
    EXPECT_FALSE(errors.empty());
}

class PlacementForm : public TCustomdxPSForm {
    QEL_CLASS(PlacementForm)
public:
    using TCustomdxPSForm::TCustomdxPSForm;
};

using PSFormTest = SettingsFixture;

PlacementForm* NewForm(TFormBorderStyle style = bsSizeable)
{
    auto* f = new PlacementForm(nullptr);
    f->SetBorderStyle(style);
    f->SetBounds(100, 80, 400, 300);
    f->AfterConstruction();
    return f;
}

TEST_F(PSFormTest, PlacementKeyNamesProgramAndFormClass)
{
    std::unique_ptr<PlacementForm> f(NewForm());
    EXPECT_EQ(f->GetPlacementKey("Root"), "Root\\FormLayouts\\qel_tests_printing.PlacementForm");
}

TEST_F(PSFormTest, PlacementFromALargerScreenIsCutOnTheRightAndBottom)
{
    Screen().SetVirtualScreen(1024, 768);
    {
        std::unique_ptr<PlacementForm> f(NewForm());
        f->SetBounds(300, 200, 700, 500);
    }
    Screen().SetVirtualScreen(800, 600);
    std::unique_ptr<PlacementForm> f(NewForm());
    EXPECT_EQ(f->BoundsRect(), (TRect{300, 200, 800, 600}));
    EXPECT_EQ(f->Position(), poDesigned);

}

TEST_F(PSFormTest, AWindowStartingOffTheWorkAreaMovesJustFarEnoughToStartOnIt)
{
    // A panel takes the top 30 and the left 40 pixels of an 800 x 600 screen.
    const TRect work{40, 30, 800, 600};
    auto fit = [&](const TRect& R, bool Same = true) { return dxFitPlacementToScreen(R, Same, 800, 600, work); };
    EXPECT_EQ(fit(TRect{100, -50, 500, 250}), (TRect{100, 30, 500, 330})) << "title bar above the screen";
    EXPECT_EQ(fit(TRect{-300, 10, 100, 110}), (TRect{40, 30, 440, 130}));
    EXPECT_EQ(fit(TRect{-500, 100, -100, 200}), (TRect{40, 100, 440, 200})) << "wholly off the left edge";
    EXPECT_EQ(fit(TRect{900, 700, 1000, 750}), (TRect{799, 599, 899, 649}));
    EXPECT_EQ(fit(TRect{100, 100, 1000, 900}), (TRect{100, 100, 1000, 900})) << "starts on it: stays";
    // From another screen: moved first, then cut on the right and the bottom.
    EXPECT_EQ(fit(TRect{-300, 10, 900, 700}, false), (TRect{40, 30, 800, 600}));

    Screen().SetVirtualScreen(800, 600, &work);
    {
        std::unique_ptr<PlacementForm> f(NewForm());
        f->SetBounds(-300, -50, 400, 300);
    }
    std::unique_ptr<PlacementForm> f(NewForm());
    EXPECT_EQ(f->BoundsRect(), (TRect{40, 30, 440, 330}));
}

TEST_F(PSFormTest, FixedSizeFormsKeepTheirSizeAndMaximizedFormsTheirBounds)
{
    {
        std::unique_ptr<PlacementForm> f(NewForm());
        f->SetBounds(50, 60, 640, 480);
    }
    std::unique_ptr<PlacementForm> fixed(NewForm(bsDialog));
    EXPECT_EQ(fixed->BoundsRect(), (TRect{50, 60, 450, 360})) << "stored width and height ignored";

    fixed.reset();
    {
        TRegistry reg;
        reg.OpenKey("\\" + std::string("Software\\Tessaro\\Test\\FormLayouts\\qel_tests_printing.PlacementForm"), true);
        reg.WriteInteger("WindowState", wsMaximized);
    }
    std::unique_ptr<PlacementForm> max(NewForm());
    EXPECT_EQ(max->WindowState(), wsMaximized);
    EXPECT_EQ(max->BoundsRect(), (TRect{100, 80, 500, 380})) << "bounds not applied";
}

TEST_F(PSFormTest, WithoutARootNothingIsReadOrWritten)
{
    dxPSEngine()->SetRegistryPath("");
    {
        std::unique_ptr<PlacementForm> f(NewForm());
        EXPECT_FALSE(f->StoresPlacement());
    }
    TRegistry reg;
    EXPECT_FALSE(reg.KeyExists("\\Software\\Tessaro\\Test\\FormLayouts"));
}

TEST_F(PSFormTest, HourglassUntilFirstShownAndHelpButtonWired)
{
    dxPSEngine()->SetHelpFile("print.hlp");
    auto* f = new PlacementForm(nullptr);
    auto* help = new TButton(f);
    help->SetName("btnHelp");
    help->SetParent(f);
    f->AfterConstruction();
    EXPECT_EQ(Screen().Cursor(), crHourGlass);
    EXPECT_EQ(f->HelpFile(), "print.hlp");
    f->Show();
    EXPECT_EQ(Screen().Cursor(), crDefault);

    std::vector<int> contexts;
    Application().OnHelp = [&](TObject*, int context) { contexts.push_back(context); };
    help->Click();
    f->SetHelpContext(310);
    help->Click();
    EXPECT_EQ(contexts, (std::vector<int>{310}));
    Application().OnHelp = nullptr;
    dxPSEngine()->SetHelpFile("");
    delete f;

    // A form freed before it was shown puts the cursor back too.
    delete new PlacementForm(nullptr);
    EXPECT_EQ(Screen().Cursor(), crDefault);
}

TEST_F(PSFormTest, SettingsErrorsNeverEscapeTheDestructor)
{
    // A damaged store reads as empty and refuses every write.
    test::WriteFileBytes(dir.File("damaged.ini"), "[r80000001]\nk=1\n[open\n");
    SetSettingsStoreFile(dir.File("damaged.ini"));
    auto* f = NewForm();
    EXPECT_NO_THROW(delete f);
    EXPECT_EQ(errors.size(), 1u);
}

} // namespace
} // namespace qel
