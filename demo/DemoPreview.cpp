#include "demo/DemoPreview.h"

#include "demo/DemoReport.h"
#include "platform/controls/Automation.h"
#include "preview/Preview.h"

#include <filesystem>

namespace qel::demo {

namespace {

constexpr int kPages = 100;

} // namespace

std::unique_ptr<TForm> MakeAccessMatrixPreview(const std::string& Title, TDataSet& Matrix, const std::string& OutDir)
{
    auto form = std::make_unique<TForm>(nullptr);
    form->SetCaption("Seitenansicht - Zutrittsmatrix");
    form->SetBounds(60, 60, 900, 720);
    auto* preview = new TdxPreview(form.get());
    preview->SetName("Preview");
    preview->SetParent(form.get());
    preview->SetAlign(alClient);
    preview->OnDrawPageContent = [&Matrix, Title](TObject*, TCanvas& Canvas, const TRect& Rect, int Page) {
        DrawAccessMatrixPage(Canvas, Rect, Title, Matrix, Page + 1, kPages);
    };
    preview->SetPageCount(kPages);
    // The pictures are made without showing the window; with a display the
    // caller shows it once it is complete.

    const auto save = [&](const char* Name) {
        SaveControlImage(preview, (std::filesystem::path(OutDir) / Name).string());
    };
    preview->SetSelectedPageIndex(0);
    save("preview-100.png");
    preview->SetZoomMode(pzmPageWidth);
    save("preview-page-width.png");
    preview->SetPageXYCount(2, 2);
    save("preview-2x2.png");
    // Wide enough for a hundred pages at 10 %.
    form->SetBounds(60, 60, 1120, 1000);
    preview->SetZoomFactor(10);
    save("preview-10.png");
    form->SetBounds(60, 60, 900, 720);
    preview->SetZoomFactor(100);
    return form;
}

} // namespace qel::demo
