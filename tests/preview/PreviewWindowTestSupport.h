#pragma once
// The standard preview window on the access-matrix test link, opened by the
// component printer as the program opens it, over a scripted printer; the
// clock is the test's, so the window's pagination steps only when the test
// moves time.
#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/Clock.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Menus.h"
#include "preview/PreviewDialogs.h"
#include "preview/StdPreview.h"
#include "preview/ZoomFactorComboEdit.h"
#include "printing/PrintControls.h"

#include "printing/ComponentPrinterTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace qel::test {

struct PreviewWindowFixture : ::testing::Test {
    TManualClockScope clock;
    PrintDeviceScope<TScriptedPrinterBackend> printers{LaserPrinter};
    TComponent owner{nullptr};
    TMatrixSource* source = new TMatrixSource(&owner);
    TdxComponentPrinter* printer = new TdxComponentPrinter(&owner);
    TReportTestLink* link = MakeAccessMatrixLink(*printer, &owner, source);
    TdxfmStdPreview* window = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(g_matrixClassesRegistered);
        dxInstallPreviewDialogs();
        ASSERT_EQ(dxPSPreviewWindowClass(), "TdxfmStdPreview");
    }
    void TearDown() override
    {
        if (window && printer->PreviewWindow() == window)
            window->Close();
        Application().ProcessMessages();
    }

    // Opens the window (not modal) and cuts every page.
    TdxfmStdPreview* Open(bool Paginate = true)
    {
        printer->Preview(false, link);
        window = dynamic_cast<TdxfmStdPreview*>(printer->PreviewWindow());
        if (window && Paginate)
            FinishPagination();
        return window;
    }
    void FinishPagination()
    {
        for (int i = 0; i < 1000 && !window->PaginationComplete(); ++i)
            clock.Advance(1);
    }
    TScriptedJob* LastJob() const
    {
        return printers.Backend->Jobs.empty() ? nullptr : printers.Backend->Jobs.back().get();
    }
    TStatusPanel* StatusPanel(int Index) const { return window->StatusBar()->Panels()->Items(Index); }
    TMenuItem* Item(const std::vector<std::string>& Path) const
    {
        TMenuItem* item = window->FindMenuItem(Path);
        EXPECT_NE(item, nullptr) << Path.back();
        return item;
    }
    void SetMatrix(const AccessMatrix& Matrix) { ShapeAccessMatrix(*link, Matrix); }
};

// The window shown on a report five pages tall and two wide, every page cut;
// the window's dialog runners go with the test.
struct PreviewWindowShownFixture : PreviewWindowFixture {
    void SetUp() override
    {
        PreviewWindowFixture::SetUp();
        SetMatrix({200, 16});
        ASSERT_NE(Open(), nullptr);
        window->Show();
    }
    void TearDown() override
    {
        dxPreviewWindowDialogRunners() = {};
        PreviewWindowFixture::TearDown();
    }
    TdxPreview& P() const { return *window->Preview(); }
};

} // namespace qel::test
