#include "demo/DemoDialogs.h"

#include "platform/controls/Automation.h"
#include "platform/controls/ComCtrls.h"
#include "platform/graphics/Bitmap.h"
#include "preview/ColorPalette.h"
#include "preview/DefinePrintStyles.h"
#include "preview/FEFDialog.h"
#include "printing/Background.h"
#include "printing/PrintStyles.h"

#include <filesystem>
#include <memory>

namespace qel::demo {

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
        auto* manager = new TdxPrintStyleManager(&owner);
        for (const char* caption : {"Zutrittsmatrix", "Zutrittsmatrix quer", "Entwurf"})
            manager->AddStyle()->SetStyleCaption(caption);
        manager->Styles(1)->PrinterPage()->SetOrientation(poLandscape);
        manager->SetCurrentStyle(manager->Styles(0));
        const std::unique_ptr<TdxfmDefinePrintStyles> styles(CreateForm<TdxfmDefinePrintStyles>(nullptr));
        styles->SetStyleManager(manager);
        SaveControlImage(styles.get(), file("define-print-styles.png"));
        styles->SetStyleManager(nullptr);
    }
}

} // namespace qel::demo
