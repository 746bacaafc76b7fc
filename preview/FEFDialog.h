#pragma once
// The "Fill Effects" dialog: edits a page background as a texture, a
// two-colour pattern or a picture with its paint mode, on a working copy,
// with a sample of the result. OK (or "&Apply") hands the choice to the
// edited background; after "&Apply" the Cancel button reads "Close" and
// closing keeps what was applied last. The dialog keeps its placement, its
// page and the picture folder in the printing settings.
//
//   if (dxFEFDialogExecute(&page->Background()))   // true: the background changed
//       RepaintPreview();
#include "printing/PSForm.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace qel {

class TBitmap;
class TButton;
class TComboBox;
class TDrawGrid;
class TGraphic;
class TLabel;
class TMenuItem;
class TPageControl;
class TPaintBox;
class TPanel;
class TPopupMenu;
class TScrollBox;
class TTabSheet;
class TdxBackground;
class TdxPSColorCombo;
class TdxPSPaintPanel;

class TdxFEFDialog : public TCustomdxPSForm {
    QEL_CLASS(TdxFEFDialog)
public:
    // What the dialog would apply: the kind follows the active page.
    enum TKind : std::uint8_t { fkNone, fkTexture, fkPattern, fkPicture };

    explicit TdxFEFDialog(TdxBackground* Background);
    ~TdxFEFDialog() override;

    // Fills the controls from the background (Execute starts with it).
    void BindBackground();
    // Shows the dialog modally; answers whether the edited background changed.
    bool Execute();

    TKind Kind() const { return m_kind; }
    // The picture OK would apply (a texture or pattern cell, or the picture); nullptr when none.
    const TGraphic* CurrentPicture() const { return m_currentPicture.get(); }
    const TGraphic* UserTexture() const { return m_userTexture.get(); }
    const std::string& InitialDir() const { return m_initialDir; }
    // The texture and pattern chosen in their grids (index into the name lists; -1 none).
    int TextureIndex() const;
    int PatternIndex() const;
    bool UserTextureChosen() const;

    void LoadFromRegistry(const std::string& Key) override;

    TPageControl* PageControl{nullptr};
    TTabSheet* tshTexture{nullptr};
    TTabSheet* tshPattern{nullptr};
    TTabSheet* tshPicture{nullptr};
    TButton* btnOK{nullptr};
    TButton* btnCancel{nullptr};
    TButton* btnApply{nullptr};
    TButton* btnHelp{nullptr};
    TLabel* lblSample{nullptr};
    TdxPSPaintPanel* pnlSample{nullptr};
    // Texture page
    TDrawGrid* dgTexture{nullptr};
    TPanel* pnlTextureName{nullptr};
    TButton* btnOtherTexture{nullptr};
    // Pattern page
    TDrawGrid* dgPattern{nullptr};
    TPanel* pnlPatternName{nullptr};
    TLabel* lblForeground{nullptr};
    TdxPSColorCombo* ccbxForeground{nullptr};
    TLabel* lblBackground{nullptr};
    TdxPSColorCombo* ccbxBackground{nullptr};
    TButton* btnInvertColors{nullptr};
    // Picture page
    TScrollBox* sbxPicture{nullptr};
    TPaintBox* pbxPicture{nullptr};
    TPanel* pnlPictureName{nullptr};
    TButton* btnPreview{nullptr};
    TButton* btnSelectPicture{nullptr};
    TLabel* lblPaintMode{nullptr};
    TComboBox* cbxPaintMode{nullptr};
    TPopupMenu* pmPicture{nullptr};
    TMenuItem* miLoad{nullptr};
    TMenuItem* miPreview{nullptr};
    TMenuItem* miCut{nullptr};
    TMenuItem* miCopy{nullptr};
    TMenuItem* miPaste{nullptr};
    TMenuItem* miDelete{nullptr};

private:
    void CreateControls();
    void CreateTexturePage();
    void CreatePatternPage();
    void CreatePicturePage();
    // The picture of the background against the pattern and texture cells.
    void FindBrushBitmap(const TBitmap& Picture);
    void RecolorPatterns();

    void DrawTextureCell(int Col, int Row, TRect Rect);
    void DrawPatternCell(int Col, int Row, TRect Rect);
    void DrawCellFrame(TCanvas& Canvas, TRect Rect, bool Selected, const std::function<void(const TRect&)>& Content);
    // The picture a texture or pattern cell stands for.
    std::unique_ptr<TGraphic> CellPicture(bool Texture, int Col, int Row);
    void ChooseCell(TDrawGrid* Grid, int Col, int Row);
    void ColorsChanged();
    void InvertColors();
    void PageChanged();
    // Takes the selection of the active page as the current picture again.
    void RetakeSelection();
    // The open-picture dialog; false when nothing was loaded.
    bool LoadPictureFile(std::unique_ptr<TGraphic>& Target, std::string& Name);
    void SelectPicture();
    void OtherTexture();
    void SetPicture(std::unique_ptr<TGraphic> Value, const std::string& Name);
    void PreviewPicture();
    void CopyPicture();
    void PastePicture();
    void DeletePicture();
    void UpdatePictureMenu();
    void Changed();
    void UpdateControls();
    // Something to apply on the active page.
    bool Chosen() const;
    // The choice on Target: colours, picture and mode from the controls.
    void ApplyTo(TdxBackground& Target);
    void Apply();
    void PaintSample();
    void StoreSettings();

    TdxBackground* m_edited;   // nullptr once it was freed
    TChangeLink m_editedFreed;
    std::unique_ptr<TdxBackground> m_working;
    TKind m_kind{fkNone};
    bool m_textureChosen{false};
    bool m_patternChosen{false};
    bool m_pictureLoaded{false};
    bool m_applied{false};      // nothing changed since the last "&Apply"
    bool m_hasApplied{false};   // "&Apply" was used
    TColor m_foreColor{clBlack};
    TColor m_backColor{clWhite};
    bool m_loading{false};
    std::unique_ptr<TBitmap> m_textureSheet;
    std::unique_ptr<TBitmap> m_patternSheet;        // black on white, as painted
    std::unique_ptr<TBitmap> m_coloredPatterns;     // in the two colours
    std::unique_ptr<TGraphic> m_currentPicture;
    std::unique_ptr<TGraphic> m_picture;            // the Picture page's
    std::unique_ptr<TGraphic> m_userTexture;
    std::string m_pictureName;
    std::string m_userTextureName;
    std::string m_initialDir;
    int m_storedPage{-1};
};

// Runs the dialog on Background; false for nullptr and when nothing changed.
bool dxFEFDialogExecute(TdxBackground* Background);

} // namespace qel
