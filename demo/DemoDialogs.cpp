#include "demo/DemoDialogs.h"

#include "platform/controls/Automation.h"
#include "platform/controls/ComCtrls.h"
#include "platform/graphics/Bitmap.h"
#include "preview/ColorPalette.h"
#include "preview/DateTimeFormats.h"
#include "preview/DefinePrintStyles.h"
#include "preview/FEFDialog.h"
#include "preview/PageNumberFormat.h"
#include "preview/Preview.h"
#include "preview/PreviewOptionsDialog.h"
#include "preview/ReportTitleProperties.h"
#include "preview/ZoomDialog.h"
#include "printing/Background.h"
#include "printing/HeaderFooterFunctions.h"
#include "printing/PrintStyles.h"
#include "printing/ReportTitle.h"

#include <filesystem>
#include <functional>
#include <memory>

namespace qel::demo {

namespace {

// A dialog showing Data, pictured without being shown.
template <class Dialog, class Record>
void PictureDialog(const std::string& File, Record& Data, const std::function<void(Dialog&)>& Prepare = {})
{
    const std::unique_ptr<Dialog> dialog(CreateForm<Dialog>(nullptr));
    dialog->Load(Data);
    if (Prepare)
        Prepare(*dialog);
    SaveControlImage(dialog.get(), File);
}

// The zoom, options, format and report title dialogs on a preview of eight
// A4 pages two across.
void SaveSmallDialogPictures(const std::function<std::string(const char*)>& File)
{
    TForm window(nullptr);
    window.SetBounds(0, 0, 640, 480);
    auto* preview = new TdxPreview(&window);
    preview->SetParent(&window);
    preview->SetBounds(0, 0, 620, 440);
    preview->SetPageCount(8);
    preview->SetPageXYCount(2, 1);
    PictureDialog<TfmZoom>(File("zoom.png"), *preview);
    TdxPreviewOptionsDlgData options = dxPreviewOptionsOf(*preview);
    PictureDialog<TdxfmOptions>(File("preview-options.png"), options);

    TdxDateTimeFormatsDlgData dates;
    dates.DateFormats = DateFormatList();
    dates.TimeFormats = TimeFormatList();
    dates.ShowAsDefaultButton = true;
    PictureDialog<TdxfmDateTimeFormats>(File("date-time-formats.png"), dates);
    TdxPageNumberFormatDlgData numbers;
    numbers.PageNumberFormats = PageNumberFormatList();
    numbers.PageNumberFormatIndex = pnfRoman;
    numbers.StartPageIndex = 14;
    numbers.ShowAsDefaultButton = true;
    PictureDialog<TdxfmPageNumberFormat>(File("page-number-format.png"), numbers);

    TdxReportTitle title;
    title.SetText("Zutrittsmatrix");
    TdxReportTitlePropertiesDlgData request{0, &title};
    PictureDialog<TdxfmReportTitleProperties>(File("report-title.png"), request, [](auto& Dialog) {
        Dialog.PageControl->SetActivePage(Dialog.tshProperties);
    });
}

} // namespace

TdxPrintStyleManager* MakeDemoStyleManager(TComponent& Owner)
{
    auto* manager = new TdxPrintStyleManager(&Owner);
    for (const char* caption : {"Zutrittsmatrix", "Zutrittsmatrix quer", "Entwurf"})
        manager->AddStyle()->SetStyleCaption(caption);
    manager->Styles(1)->PrinterPage()->SetOrientation(poLandscape);
    manager->SetCurrentStyle(manager->Styles(0));
    return manager;
}

void SaveDialogPictures(const std::string& OutDir)
{
    const auto file = [&](const char* Name) { return (std::filesystem::path(OutDir) / Name).string(); };

    // A page background in the "50%" pattern, navy on yellow.
    TdxBackground background;
    background.SetBkColor(clYellow);
    background.Brush()->SetColor(clNavy);
    TBitmap halfTone(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            halfTone.SetPixel(x, y, (x + y) % 2 ? clNavy : clYellow);
    background.SetPicture(&halfTone);
    background.SetMode(bmBrushBitmap);

    {
        TdxfmColorPalette palette(&background);
        palette.ApplyOptions({});
        SaveControlImage(&palette, file("palette.png"));
    }
    {
        const std::unique_ptr<TdxFEFDialog> effects(CreateForm<TdxFEFDialog>(&background));
        effects->BindBackground();
        const char* const pages[] = {"fill-effects-texture.png", "fill-effects-pattern.png",
                                     "fill-effects-picture.png"};
        for (int i = 0; i < 3; ++i) {
            effects->PageControl->SetActivePageIndex(i);
            SaveControlImage(effects.get(), file(pages[i]));
        }
    }
    {
        TComponent owner(nullptr);
        TdxPrintStyleManager* manager = MakeDemoStyleManager(owner);
        const std::unique_ptr<TdxfmDefinePrintStyles> styles(CreateForm<TdxfmDefinePrintStyles>(nullptr));
        styles->SetStyleManager(manager);
        SaveControlImage(styles.get(), file("define-print-styles.png"));
        styles->SetStyleManager(nullptr);
    }
    SaveSmallDialogPictures(file);
}

} // namespace qel::demo
