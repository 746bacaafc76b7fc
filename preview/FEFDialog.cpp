#include "preview/FEFDialog.h"

#include "platform/controls/Clipboard.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Grids.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Guards.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Picture.h"
#include "platform/graphics/Resources.h"
#include "platform/storage/Registry.h"
#include "preview/PicturePreview.h"
#include "preview/PopupMenuManager.h"
#include "preview/detail/DialogLayout.h"
#include "preview/detail/PSDialog.h"
#include "preview/detail/FillEffectsResources.h"
#include "printing/Background.h"
#include "printing/PrintControls.h"

#include <filesystem>

namespace qel {

QEL_REGISTER_CLASS(TdxFEFDialog, TCustomdxPSForm);

using namespace detail;

namespace {

constexpr int kPatternCellWidth = 34, kPatternCellHeight = 25;
constexpr int kVisibleTextureRows = 3;
// The extra row of the texture grid that shows the user's texture.
constexpr int kUserTextureRow = dxTextureRows;

std::unique_ptr<TBitmap> CellOf(TBitmap& Sheet, int Col, int Row, int Size)
{
    auto cell = std::make_unique<TBitmap>(Size, Size);
    cell->Canvas()->CopyRect(Rect(0, 0, Size, Size), Sheet.Canvas(), Bounds(Col * Size, Row * Size, Size, Size));
    return cell;
}

bool CellEquals(const TBitmap& Sheet, int Col, int Row, int Size, const TBitmap& Picture)
{
    if (Picture.Width() != Size || Picture.Height() != Size)
        return false;
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x)
            if (ColorToRGB(Sheet.Pixel(Col * Size + x, Row * Size + y)) != ColorToRGB(Picture.Pixel(x, y)))
                return false;
    return true;
}

std::unique_ptr<TGraphic> CopyOf(const TGraphic* Graphic)
{
    if (!Graphic || Graphic->Empty())
        return nullptr;
    std::unique_ptr<TGraphic> copy(Graphic->NewOfSameClass());
    copy->Assign(const_cast<TGraphic*>(Graphic));
    return copy;
}

TPanel* PlaceNamePanel(TWinControl* Parent, TComponent* Owner, int Left, int Top, int Width)
{
    auto* p = Place<TPanel>(Parent, Owner, Left, Top, Width, 22);
    p->SetBevelOuter(bvLowered);
    return p;
}

TDrawGrid* PlaceCellGrid(TWinControl* Parent, TComponent* Owner, int Left, int Top, int Cols, int Rows,
                         int CellWidth, int CellHeight, int VisibleRows)
{
    const bool scrolls = VisibleRows < Rows;
    const int bar = scrolls ? GetSystemMetrics(SM_CXVSCROLL) : 0;
    auto* g = Place<TDrawGrid>(Parent, Owner, Left, Top, Cols * CellWidth + bar + 4, VisibleRows * CellHeight + 4);
    g->SetBorderStyle(bsSingle);
    g->SetDefaultDrawing(false);
    g->SetGridLineWidth(0);
    g->SetColCount(Cols);
    g->SetRowCount(Rows);
    g->SetFixedCols(0);
    g->SetFixedRows(0);
    g->SetDefaultColWidth(CellWidth);
    g->SetDefaultRowHeight(CellHeight);
    g->SetOptions({});
    if (scrolls)
        g->SetScrollBars(ssVertical);
    return g;
}

TMenuItem* AddItem(TPopupMenu* Menu, const char* Caption, TShortCut ShortCut, std::function<void()> Action)
{
    auto* item = new TMenuItem(Menu);
    item->SetCaption(Caption);
    item->SetShortCut(ShortCut);
    item->OnClick = [Action = std::move(Action)](TObject*) { Action(); };
    Menu->Items()->Add(item);
    return item;
}

} // namespace

// ===== construction ====================================================================

TdxFEFDialog::TdxFEFDialog(TdxBackground* Background)
    : TCustomdxPSForm(nullptr), m_edited(Background), m_working(std::make_unique<TdxBackground>())
{
    RegisterFillEffectsResources();
    m_textureSheet = LoadBitmapResource(dxTextureSheetResource);
    m_patternSheet = LoadBitmapResource(dxPatternSheetResource);
    m_coloredPatterns = std::make_unique<TBitmap>(m_patternSheet->Width(), m_patternSheet->Height());
    if (m_edited)
        m_editedFreed.Connect(m_edited->FreeLinks(), [this](TObject*) {
            m_edited = nullptr;
            UpdateControls();
        });
    SetCaption("Fill Effects");
    SetBorderStyle(bsDialog);
    SetBorderIcons({biSystemMenu});
    SetPosition(poScreenCenter);
    SetClientWidth(432);
    SetClientHeight(318);
    CreateControls();
}

TdxFEFDialog::~TdxFEFDialog()
{
    Destroying();
    dxPSPopupMenuUnregister(sbxPicture);
}

void TdxFEFDialog::CreateControls()
{
    PageControl = Place<TPageControl>(this, this, 8, 8, 318, 302);
    PageControl->SetName("PageControl");
    PageControl->OnChange = [this](TObject*) { PageChanged(); };
    tshTexture = new TTabSheet(this);
    tshTexture->SetPageControl(PageControl);
    tshTexture->SetCaption("&Texture");
    tshPattern = new TTabSheet(this);
    tshPattern->SetPageControl(PageControl);
    tshPattern->SetCaption("&Pattern");
    tshPicture = new TTabSheet(this);
    tshPicture->SetPageControl(PageControl);
    tshPicture->SetCaption("P&icture");
    CreateTexturePage();
    CreatePatternPage();
    CreatePicturePage();

    btnOK = PlaceButton(this, this, "btnOK", "OK", 334, 30);
    btnOK->SetDefault(true);
    btnOK->SetModalResult(mrOk);
    btnCancel = PlaceButton(this, this, "btnCancel", "Cancel", 334, 61);
    btnCancel->SetCancel(true);
    btnCancel->SetModalResult(mrCancel);
    btnApply = PlaceButton(this, this, "btnApply", "&Apply", 334, 92);
    btnApply->OnClick = [this](TObject*) { Apply(); };
    btnHelp = PlaceButton(this, this, "btnHelp", "&Help", 334, 123);

    lblSample = Place<TLabel>(this, this, 334, 208, 92, 16);
    lblSample->SetCaption("Sample:");
    pnlSample = Place<TdxPSPaintPanel>(this, this, 349, 226, 61, 61);
    pnlSample->SetEdgeInner(esNone);
    pnlSample->OnPaint = [this](TObject*) { PaintSample(); };
}

void TdxFEFDialog::CreateTexturePage()
{
    dgTexture = PlaceCellGrid(tshTexture, this, 8, 8, dxTextureColumns, dxTextureRows, dxTextureSize,
                              dxTextureSize, kVisibleTextureRows);
    dgTexture->SetName("dgTexture");
    dgTexture->OnDrawCell = [this](TObject*, int Col, int Row, TRect R, TGridDrawState) {
        DrawTextureCell(Col, Row, R);
    };
    const int width = dgTexture->Width();
    pnlTextureName = PlaceNamePanel(tshTexture, this, 8, dgTexture->Top() + dgTexture->Height() + 8, width);
    btnOtherTexture = PlaceButton(tshTexture, this, "btnOtherTexture", "Other Te&xture...", 8 + width - 110,
                                  pnlTextureName->Top() + 30, 110);
    btnOtherTexture->OnClick = [this](TObject*) { OtherTexture(); };

    dgPattern = PlaceCellGrid(tshPattern, this, 8, 8, dxPatternColumns, dxPatternRows, kPatternCellWidth,
                              kPatternCellHeight, dxPatternRows);
    dgPattern->SetName("dgPattern");
    dgPattern->OnDrawCell = [this](TObject*, int Col, int Row, TRect R, TGridDrawState) {
        DrawPatternCell(Col, Row, R);
    };

    // Both grids: a click or a key chooses, a double click on the choice is OK,
    // the panel names the cell under the mouse.
    for (TDrawGrid* grid : {dgTexture, dgPattern}) {
        const bool texture = grid == dgTexture;
        const auto choose = [this, grid](int Col, int Row) {
            if (!m_loading)
                ChooseCell(grid, Col, Row);
        };
        grid->OnSelectCell = [choose](TObject*, int Col, int Row, bool&) { choose(Col, Row); };
        grid->OnMouseDown = [grid, choose](TObject*, TMouseButton Button, TShiftState, int X, int Y) {
            int col = 0, row = 0;
            if (Button == mbLeft && grid->MouseToCell(X, Y, col, row))
                choose(col, row);
        };
        grid->OnDblClick = [this, texture](TObject*) {
            if (texture ? m_textureChosen : m_patternChosen)
                btnOK->Click();
        };
        grid->OnMouseMove = [this, grid, texture](TObject*, TShiftState, int X, int Y) {
            int col = 0, row = 0;
            if (!grid->MouseToCell(X, Y, col, row))
                return;
            TPanel* panel = texture ? pnlTextureName : pnlPatternName;
            panel->SetCaption(texture ? (row == kUserTextureRow ? m_userTextureName
                                                                : dxTextureNames()[std::size_t(col * dxTextureRows + row)])
                                      : dxPatternNames()[std::size_t(col * dxPatternRows + row)]);
        };
        grid->OnMouseLeave = [this](TObject*) { UpdateControls(); };
    }
}

void TdxFEFDialog::CreatePatternPage()
{
    const int width = dgPattern->Width();
    pnlPatternName = PlaceNamePanel(tshPattern, this, 8, dgPattern->Top() + dgPattern->Height() + 8, width);
    const int top = pnlPatternName->Top() + 30;
    const auto combo = [&](TLabel*& Label, TdxPSColorCombo*& Combo, const char* Caption, int Left) {
        Label = Place<TLabel>(tshPattern, this, Left, top, 130, 16);
        Label->SetCaption(Caption);
        Combo = Place<TdxPSColorCombo>(tshPattern, this, Left, top + 17, 130, 22);
        Combo->SetColorTypes({ctPure});
        Combo->SetShowCustomColor(false);
        Combo->OnChange = [this](TObject*) { ColorsChanged(); };
        Label->SetFocusControl(Combo);
    };
    combo(lblForeground, ccbxForeground, "&Foreground", 8);
    combo(lblBackground, ccbxBackground, "&Background", 8 + width - 130);
    ccbxForeground->SetName("ccbxForeground");
    ccbxBackground->SetName("ccbxBackground");
    btnInvertColors = PlaceButton(tshPattern, this, "btnInvertColors", "I&nvert Colors", 8, top + 48, 110);
    btnInvertColors->OnClick = [this](TObject*) { InvertColors(); };
}

void TdxFEFDialog::CreatePicturePage()
{
    sbxPicture = Place<TScrollBox>(tshPicture, this, 8, 8, 196, 200);
    sbxPicture->SetName("sbxPicture");
    pbxPicture = Place<TPaintBox>(sbxPicture, this, 0, 0, 0, 0);
    pbxPicture->OnPaint = [this](TObject*) {
        if (m_picture)
            pbxPicture->Canvas()->Draw(0, 0, m_picture.get());
    };
    pnlPictureName = PlaceNamePanel(tshPicture, this, 8, 214, 196);
    btnPreview = PlaceButton(tshPicture, this, "btnPreview", "Pre&view...", 212, 8);
    btnPreview->OnClick = [this](TObject*) { PreviewPicture(); };
    btnSelectPicture = PlaceButton(tshPicture, this, "btnSelectPicture", "Se&lect Picture...", 212, 39);
    btnSelectPicture->OnClick = [this](TObject*) { SelectPicture(); };
    lblPaintMode = Place<TLabel>(tshPicture, this, 212, 176, 92, 16);
    lblPaintMode->SetCaption("Paint &Mode");
    cbxPaintMode = Place<TComboBox>(tshPicture, this, 212, 193, 92, 22);
    cbxPaintMode->SetName("cbxPaintMode");
    cbxPaintMode->SetStyle(csDropDownList);
    for (const char* mode : {"Center", "Stretch", "Tile", "Proportional"})
        cbxPaintMode->Items()->Add(mode);
    cbxPaintMode->SetItemIndex(0);
    cbxPaintMode->OnChange = [this](TObject*) { Changed(); };
    lblPaintMode->SetFocusControl(cbxPaintMode);

    pmPicture = new TPopupMenu(this);
    miLoad = AddItem(pmPicture, "&Load...", ShortCut(VK_INSERT, {}), [this] { SelectPicture(); });
    miPreview = AddItem(pmPicture, "Pre&view...", scNone, [this] { PreviewPicture(); });
    miPreview->SetDefault(true);
    AddItem(pmPicture, "-", scNone, [] {});
    miCut = AddItem(pmPicture, "Cu&t", ShortCut('X', {ssCtrl}), [this] {
        CopyPicture();
        DeletePicture();
    });
    miCopy = AddItem(pmPicture, "&Copy", ShortCut('C', {ssCtrl}), [this] { CopyPicture(); });
    miPaste = AddItem(pmPicture, "&Paste", ShortCut('V', {ssCtrl}), [this] { PastePicture(); });
    miDelete = AddItem(pmPicture, "&Delete", ShortCut(VK_DELETE, {}), [this] { DeletePicture(); });
    pmPicture->OnPopup = [this](TObject*) { UpdatePictureMenu(); };
    sbxPicture->SetPopupMenu(pmPicture);
    dxPSPopupMenuRegister(sbxPicture);
}

void TdxFEFDialog::LoadFromRegistry(const std::string& Key)
{
    TCustomdxPSForm::LoadFromRegistry(Key);
    TRegistry registry;
    if (!registry.OpenKeyReadOnly(Key))
        return;
    if (registry.ValueExists("ActivePage") && registry.GetDataType("ActivePage") == rdInteger)
        m_storedPage = registry.ReadInteger("ActivePage");
    m_initialDir = registry.ReadString("InitialDir");
}

void TdxFEFDialog::StoreSettings()
{
    StoreDialogSettings(*this, [this](TRegistry& Registry) {
        Registry.WriteInteger("ActivePage", PageControl->ActivePageIndex());
        Registry.WriteString("InitialDir", m_initialDir);
    });
}

// ===== opening ===========================================================================

void TdxFEFDialog::BindBackground()
{
    TValueRestorer<bool> loading(m_loading, true);
    if (m_edited)
        m_working->Assign(m_edited);
    TColor fore = m_working->Brush()->Color();
    const TColor back = m_working->BkColor();
    if (ColorToRGB(fore) == clWhite && ColorToRGB(back) == clWhite)
        fore = clBlack;
    for (auto [combo, color] : {std::pair{ccbxForeground, fore}, std::pair{ccbxBackground, back}}) {
        combo->SetItemIndex(-1);
        combo->SetColorValue(color);
    }
    m_foreColor = fore;
    m_backColor = back;
    RecolorPatterns();
    if (m_storedPage >= 0 && m_storedPage < PageControl->PageCount())
        PageControl->SetActivePageIndex(m_storedPage);
    cbxPaintMode->SetItemIndex(m_working->PictureMode());
    if (m_working->HasPicture()) {
        TBitmap& picture = *m_working->Picture();
        if (m_working->Mode() == bmBrushBitmap) {
            FindBrushBitmap(picture);
        } else if (m_working->Mode() == bmPicture) {
            SetPicture(CopyOf(&picture), "");
            PageControl->SetActivePage(tshPicture);
        }
    }
    m_kind = static_cast<TKind>(PageControl->ActivePageIndex() + 1);
    RetakeSelection();
    UpdateControls();
}

void TdxFEFDialog::FindBrushBitmap(const TBitmap& Picture)
{
    const auto find = [&](TBitmap& Sheet, int Cols, int Rows, int Size, TDrawGrid* Grid, TTabSheet* Page,
                          bool& Chosen) {
        for (int col = 0; col < Cols; ++col)
            for (int row = 0; row < Rows; ++row)
                if (CellEquals(Sheet, col, row, Size, Picture)) {
                    Grid->SetCol(col);
                    Grid->SetRow(row);
                    Chosen = true;
                    PageControl->SetActivePage(Page);
                    return;
                }
    };
    find(*m_coloredPatterns, dxPatternColumns, dxPatternRows, dxPatternSize, dgPattern, tshPattern, m_patternChosen);
    find(*m_textureSheet, dxTextureColumns, dxTextureRows, dxTextureSize, dgTexture, tshTexture, m_textureChosen);
}

void TdxFEFDialog::RecolorPatterns()
{
    const TColor fore = ColorToRGB(m_foreColor), back = ColorToRGB(m_backColor);
    for (int y = 0; y < m_patternSheet->Height(); ++y)
        for (int x = 0; x < m_patternSheet->Width(); ++x)
            m_coloredPatterns->SetPixel(x, y, ColorToRGB(m_patternSheet->Pixel(x, y)) == clBlack ? fore : back);
}

// ===== the grids =========================================================================

void TdxFEFDialog::DrawCellFrame(TCanvas& Canvas, TRect Rect, bool Selected,
                                 const std::function<void(const TRect&)>& Content)
{
    if (!Selected) {
        TRect edge = Rect;
        Canvas.DrawEdge(edge, EDGE_SUNKEN, BF_RECT);
        InflateRect(Rect, -2, -2);
        Content(Rect);
        return;
    }
    Content(Rect);
    Canvas.Brush()->SetStyle(bsSolid);
    Canvas.Brush()->SetColor(clWindowFrame);
    Canvas.FrameRect(Rect);
    InflateRect(Rect, -1, -1);
    Canvas.Brush()->SetColor(clBtnHighlight);
    Canvas.FrameRect(Rect);
}

void TdxFEFDialog::DrawTextureCell(int Col, int Row, TRect Rect)
{
    TCanvas& canvas = *dgTexture->Canvas();
    const bool selected = m_textureChosen && Col == dgTexture->Col() && Row == dgTexture->Row();
    DrawCellFrame(canvas, Rect, selected, [&](const TRect& R) {
        if (Row == kUserTextureRow)
            canvas.StretchDraw(R, m_userTexture.get());
        else
            canvas.CopyRect(R, m_textureSheet->Canvas(),
                            Bounds(Col * dxTextureSize, Row * dxTextureSize, dxTextureSize, dxTextureSize));
    });
}

void TdxFEFDialog::DrawPatternCell(int Col, int Row, TRect Rect)
{
    TCanvas& canvas = *dgPattern->Canvas();
    const bool selected = m_patternChosen && Col == dgPattern->Col() && Row == dgPattern->Row();
    DrawCellFrame(canvas, Rect, selected, [&](const TRect& R) {
        const std::unique_ptr<TBitmap> pattern = CellOf(*m_coloredPatterns, Col, Row, dxPatternSize);
        canvas.Brush()->SetBitmap(pattern.get());
        canvas.SetBrushOrigin(R.TopLeft());
        canvas.FillRect(R);
        canvas.Brush()->SetBitmap(nullptr);
    });
}

std::unique_ptr<TGraphic> TdxFEFDialog::CellPicture(bool Texture, int Col, int Row)
{
    if (!Texture)
        return CellOf(*m_coloredPatterns, Col, Row, dxPatternSize);
    return Row == kUserTextureRow ? CopyOf(m_userTexture.get()) : CellOf(*m_textureSheet, Col, Row, dxTextureSize);
}

void TdxFEFDialog::ChooseCell(TDrawGrid* Grid, int Col, int Row)
{
    const bool texture = Grid == dgTexture;
    if (texture && Row == kUserTextureRow && !m_userTexture)
        return;
    (texture ? m_textureChosen : m_patternChosen) = true;
    m_currentPicture = CellPicture(texture, Col, Row);
    // The grid moves its current cell after asking; paint the choice there.
    if (Col != Grid->Col() || Row != Grid->Row()) {
        TValueRestorer<bool> loading(m_loading, true);
        Grid->SetCol(Col);
        Grid->SetRow(Row);
    }
    Grid->Invalidate();
    Changed();
}

int TdxFEFDialog::TextureIndex() const
{
    if (!m_textureChosen || dgTexture->Row() == kUserTextureRow)
        return -1;
    return dgTexture->Col() * dxTextureRows + dgTexture->Row();
}

int TdxFEFDialog::PatternIndex() const
{
    return m_patternChosen ? dgPattern->Col() * dxPatternRows + dgPattern->Row() : -1;
}

bool TdxFEFDialog::UserTextureChosen() const { return m_textureChosen && dgTexture->Row() == kUserTextureRow; }

// ===== colours and pages ===================================================================

void TdxFEFDialog::ColorsChanged()
{
    if (m_loading)
        return;
    if (ccbxForeground->ItemIndex() >= 0)
        m_foreColor = ccbxForeground->ColorValue();
    if (ccbxBackground->ItemIndex() >= 0)
        m_backColor = ccbxBackground->ColorValue();
    RecolorPatterns();
    dgPattern->Invalidate();
    if (m_kind == fkPattern)
        RetakeSelection();
    Changed();
}

void TdxFEFDialog::InvertColors()
{
    {
        TValueRestorer<bool> loading(m_loading, true);
        std::swap(m_foreColor, m_backColor);
        for (auto [combo, color] : {std::pair{ccbxForeground, m_foreColor}, std::pair{ccbxBackground, m_backColor}}) {
            combo->SetItemIndex(-1);
            combo->SetColorValue(color);
        }
    }
    ColorsChanged();
}

void TdxFEFDialog::PageChanged()
{
    if (m_loading)
        return;
    m_kind = static_cast<TKind>(PageControl->ActivePageIndex() + 1);
    RetakeSelection();
    Changed();
}

void TdxFEFDialog::RetakeSelection()
{
    switch (m_kind) {
    case fkTexture:
        m_currentPicture = m_textureChosen ? CellPicture(true, dgTexture->Col(), dgTexture->Row()) : nullptr;
        break;
    case fkPattern:
        m_currentPicture = m_patternChosen ? CellPicture(false, dgPattern->Col(), dgPattern->Row()) : nullptr;
        break;
    case fkPicture:
        m_currentPicture = CopyOf(m_picture.get());
        break;
    case fkNone:
        m_currentPicture = nullptr;
        break;
    }
}

// ===== pictures ==========================================================================

bool TdxFEFDialog::LoadPictureFile(std::unique_ptr<TGraphic>& Target, std::string& Name)
{
    TOpenPictureDialog dialog(nullptr);
    dialog.SetFilter(TPicture::GraphicFilter());
    dialog.SetInitialDir(m_initialDir);
    if (!dialog.Execute())
        return false;
    try {
        TPicture picture;
        picture.LoadFromFile(dialog.FileName());
        Target = CopyOf(picture.Graphic());
    } catch (const std::exception& E) {
        Application().HandleException(E);
        return false;
    }
    const std::filesystem::path path(dialog.FileName());
    Name = path.filename().string();
    m_initialDir = path.parent_path().string();
    return Target != nullptr;
}

void TdxFEFDialog::SelectPicture()
{
    std::unique_ptr<TGraphic> picture;
    std::string name;
    if (LoadPictureFile(picture, name))
        SetPicture(std::move(picture), name);
}

void TdxFEFDialog::OtherTexture()
{
    std::unique_ptr<TGraphic> texture;
    std::string name;
    if (!LoadPictureFile(texture, name))
        return;
    m_userTexture = std::move(texture);
    m_userTextureName = name;
    dgTexture->SetRowCount(dxTextureRows + 1);
    ChooseCell(dgTexture, 0, kUserTextureRow);
}

void TdxFEFDialog::SetPicture(std::unique_ptr<TGraphic> Value, const std::string& Name)
{
    m_picture = std::move(Value);
    m_pictureLoaded = m_picture != nullptr;
    m_pictureName = m_pictureLoaded ? Name : std::string();
    pbxPicture->SetBounds(0, 0, m_picture ? m_picture->Width() : 0, m_picture ? m_picture->Height() : 0);
    pbxPicture->Invalidate();
    if (m_kind == fkPicture)
        RetakeSelection();
    Changed();
}

void TdxFEFDialog::PreviewPicture()
{
    if (m_picture)
        dxShowPicturePreview(m_picture.get());
}

void TdxFEFDialog::CopyPicture()
{
    if (m_picture)
        Clipboard().Assign(*m_picture);
}

void TdxFEFDialog::PastePicture()
{
    auto bitmap = std::make_unique<TBitmap>();
    if (Clipboard().GetBitmap(*bitmap))
        SetPicture(std::move(bitmap), "");
}

void TdxFEFDialog::DeletePicture() { SetPicture(nullptr, ""); }

void TdxFEFDialog::UpdatePictureMenu()
{
    for (TMenuItem* item : {miPreview, miCut, miCopy, miDelete})
        item->SetEnabled(m_pictureLoaded);
    miPaste->SetEnabled(Clipboard().HasFormat(CF_BITMAP));
}

// ===== state =============================================================================

void TdxFEFDialog::Changed()
{
    if (m_loading)
        return;
    m_applied = false;
    UpdateControls();
    pnlSample->Invalidate();
}

void TdxFEFDialog::UpdateControls()
{
    btnInvertColors->SetEnabled(ColorToRGB(m_foreColor) != ColorToRGB(m_backColor));
    btnApply->SetVisible(m_edited && m_edited->OnApply);
    btnApply->SetEnabled(m_currentPicture && !m_applied);
    btnCancel->SetCaption(m_hasApplied ? "Close" : "Cancel");
    btnHelp->SetVisible(HelpContext() != 0);
    btnPreview->SetEnabled(m_pictureLoaded);
    UpdatePictureMenu();
    pnlTextureName->SetCaption(UserTextureChosen() ? m_userTextureName
                               : TextureIndex() >= 0 ? dxTextureNames()[std::size_t(TextureIndex())]
                                                     : std::string());
    pnlPatternName->SetCaption(PatternIndex() >= 0 ? dxPatternNames()[std::size_t(PatternIndex())] : std::string());
    pnlPictureName->SetCaption(m_pictureName);
}

bool TdxFEFDialog::Chosen() const
{
    switch (m_kind) {
    case fkTexture: return m_textureChosen;
    case fkPattern: return m_patternChosen;
    case fkPicture: return m_pictureLoaded;
    case fkNone: break;
    }
    return false;
}

void TdxFEFDialog::ApplyTo(TdxBackground& Target)
{
    TUpdateScope<TdxBackground> update(Target);
    Target.SetBkColor(m_backColor);
    Target.Brush()->SetColor(m_foreColor);
    Target.SetPicture(m_currentPicture.get());
    switch (m_kind) {
    case fkTexture:
    case fkPattern:   // the current picture is the recoloured pattern cell
        Target.SetMode(bmBrushBitmap);
        break;
    case fkPicture:
        Target.SetMode(bmPicture);
        Target.SetPictureMode(static_cast<TdxPicturePaintMode>(std::max(0, cbxPaintMode->ItemIndex())));
        break;
    case fkNone:
        break;
    }
}

void TdxFEFDialog::Apply()
{
    ApplyTo(*m_working);
    m_applied = true;
    m_hasApplied = true;
    UpdateControls();
    if (!m_edited)
        return;
    m_edited->Assign(m_working.get());
    if (m_edited && m_edited->OnApply)
        m_edited->OnApply(m_working.get());
}

void TdxFEFDialog::PaintSample()
{
    TdxBackground sample;
    sample.Assign(m_working.get());
    if (m_currentPicture)
        ApplyTo(sample);
    TRect r = pnlSample->ClientRect();
    InflateRect(r, -2, -2);
    sample.Paint(*pnlSample->Canvas(), r);
}

bool TdxFEFDialog::Execute()
{
    BindBackground();
    const bool ok = ShowModal() == mrOk;
    StoreSettings();
    if (!m_edited)
        return false;
    // Closing after "&Apply" keeps what was applied; edits since then go.
    if (ok && Chosen()) {
        ApplyTo(*m_working);
        m_edited->Assign(m_working.get());
        return true;
    }
    return m_hasApplied;
}

bool dxFEFDialogExecute(TdxBackground* Background)
{
    if (!Background)
        return false;
    const std::unique_ptr<TdxFEFDialog> dialog(CreateForm<TdxFEFDialog>(Background));
    return dialog->Execute();
}

} // namespace qel
