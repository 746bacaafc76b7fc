#pragma once
// The main program's access-matrix report as the program sets it up: a
// sample configuration, its matrix in the grid window, and the grid's report
// link in a preview, with the preview dialogs installed and the grid link
// registered for the test's length. Files go into a folder of the test's own.
#include "demo/DemoConfig.h"
#include "demo/DemoData.h"
#include "demo/DemoGrid.h"
#include "demo/DemoPreview.h"
#include "platform/core/Guards.h"
#include "platform/data/MemoryDataSet.h"
#include "preview/PreviewDialogs.h"
#include "printing/DBGridReportLink.h"

#include "TestSupport.h"

#include <memory>

namespace qel::test {

struct AccessMatrixReportFixture {
    AccessMatrixReportFixture(int Boxes, int Connectors)
    {
        dxInstallPreviewDialogs();
        dxRegisterDBGridReportLink();
        config.reset(demo::MakeSampleConfiguration(Boxes, Connectors));
        matrix.reset(demo::MakeAccessMatrix(*config, nullptr));
        grid = demo::MakeAccessMatrixWindow(*matrix, out.File("plain.png"), out.File("grouped.png"),
                                            out.File("filtered.png"));
        report = demo::MakeAccessMatrixPreview(config->Title(), *grid);
    }
    ~AccessMatrixReportFixture()
    {
        report.reset();
        grid.reset();
        dxUnregisterDBGridReportLink();
    }

    TempDir out;
    std::unique_ptr<demo::TConfiguration> config;
    std::unique_ptr<TMemoryDataSet> matrix;
    std::unique_ptr<TForm> grid;
    std::unique_ptr<demo::TAccessMatrixPreview> report;
};

} // namespace qel::test
