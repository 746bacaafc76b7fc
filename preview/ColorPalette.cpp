#include "preview/ColorPalette.h"

#include "platform/controls/Application.h"
#include "platform/controls/FormLoop.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Guards.h"
#include "platform/graphics/Bitmap.h"
#include "printing/Background.h"
#include "printing/PrintControls.h"
#include "printing/PrintUIUtils.h"

namespace qel {

QEL_REGISTER_CLASS(TdxNoFillButton, TSpeedButton);
QEL_REGISTER_CLASS(TdxfmColorPalette, TForm);

namespace {

constexpr int kButtonSize = 18;
constexpr int kGridLeft = 2, kGridTop = 28;
constexpr int kPanelWidth = kGridLeft * 2 + TdxfmColorPalette::ColumnCount * kButtonSize;
constexpr int kColorsHeight = kGridTop + TdxfmColorPalette::RowCount * kButtonSize + 2;
constexpr int kButtonsHeight = 58;

// A frame and the colour inside it.
std::unique_ptr<TBitmap> Swatch(int Width, int Height, TColor Color)
{
    auto bmp = std::make_unique<TBitmap>(Width, Height);
    TCanvas* c = bmp->Canvas();
    c->Brush()->SetColor(clBtnShadow);
    c->FrameRect(Rect(0, 0, Width, Height));
    c->Brush()->SetColor(Color);
    c->FillRect(Rect(1, 1, Width - 1, Height - 1));
    return bmp;
}

// The palette's buttons: flat, and one group in which at most one is down.
void PlaceInGroup(TSpeedButton* Button, TWinControl* Parent, const TRect& Bounds)
{
    Button->SetParent(Parent);
    Button->SetBoundsRect(Bounds);
    Button->SetFlat(true);
    Button->SetGroupIndex(1);
    Button->SetAllowAllUp(true);
}

} // namespace

const std::array<TdxPaletteColor, 40>& dxPaletteColors()
{
    static const std::array<TdxPaletteColor, 40> colors{{
        {"Black", 0x000000}, {"Dark Red", 0x000484}, {"Red", 0x0004FF}, {"Pink", 0xFF04FF},
        {"Rose", 0xCE9EFF}, {"Brown", 0x003498}, {"Orange", 0x006AFF}, {"Light Orange", 0x009AFF},
        {"Gold", 0x00CBFF}, {"Tan", 0x98CFFF}, {"Olive Green", 0x003C39}, {"Dark Yellow", 0x007D7B},
        {"Lime", 0x00CF9C}, {"Yellow", 0x00FFFF}, {"Light Yellow", 0x98FFFF}, {"Dark Green", 0x003400},
        {"Green", 0x008200}, {"Sea Green", 0x84A242}, {"Bright Green", 0x00FF00}, {"Light Green", 0xCEFFCE},
        {"Dark Teal", 0x633400}, {"Teal", 0x848600}, {"Aqua", 0xCECF39}, {"Turquoise", 0xFFFF00},
        {"Light Turquoise", 0xFFFFCE}, {"Dark Blue", 0x840400}, {"Blue", 0xFF0400}, {"Light Blue", 0xFF6531},
        {"Sky Blue", 0xFFCF00}, {"Pale Blue", 0xFFCF9C}, {"Indigo", 0x943431}, {"Blue Gray", 0x9C6563},
        {"Violet", 0x840484}, {"Plum", 0x6B349C}, {"Lavender", 0xFF9ECE}, {"Gray-80%", 0x313431},
        {"Gray-50%", 0x7B7D7B}, {"Gray-40%", 0x949694}, {"Gray-25%", 0xC6C6C7}, {"White", 0xFFFFFF},
    }};
    return colors;
}

// ===== TdxNoFillButton ===================================================================

TdxNoFillButton::TdxNoFillButton(TComponent* AOwner) : TSpeedButton(AOwner) {}

void TdxNoFillButton::SetSwatchColor(TColor Value)
{
    if (m_swatchColor == Value)
        return;
    m_swatchColor = Value;
    UpdateGlyph();
}

void TdxNoFillButton::SetShowSwatch(bool Value)
{
    if (m_showSwatch == Value)
        return;
    m_showSwatch = Value;
    UpdateGlyph();
}

void TdxNoFillButton::BoundsChanged()
{
    TSpeedButton::BoundsChanged();
    UpdateGlyph();
}

void TdxNoFillButton::UpdateGlyph()
{
    if (!m_showSwatch || Width() <= 4 || Height() <= 4) {
        SetGlyph(nullptr);
        return;
    }
    const std::unique_ptr<TBitmap> swatch = Swatch(Width() - 4, Height() - 4, m_swatchColor);
    SetGlyph(swatch.get());
    SetNumGlyphs(1);
}

void TdxNoFillButton::Paint()
{
    TSpeedButton::Paint();
    TRect r = ClientRect();
    const int inset = Screen().PixelsPerInch() > 96 ? 4 : 2;
    InflateRect(r, -inset, -inset);
    Canvas()->DrawEdge(r, BDR_SUNKENOUTER, BF_RECT | BF_FLAT);
}

// ===== TdxfmColorPalette =================================================================

TdxfmColorPalette::TdxfmColorPalette(TdxBackground* Background) : TForm(nullptr), m_background(Background)
{
    SetFormStyle(fsStayOnTop);
    SetBorderIcons({biSystemMenu});
    SetKeyPreview(true);
    if (m_background)
        m_backgroundFreed.Connect(m_background->FreeLinks(), [this](TObject*) { m_background = nullptr; });

    pnlFrame = new TPanel(this);
    pnlFrame->SetParent(this);
    pnlFrame->SetAlign(alClient);
    pnlColors = new TPanel(this);
    pnlColors->SetParent(pnlFrame);
    pnlColors->SetBevelOuter(bvNone);
    btnNoFill = new TdxNoFillButton(this);
    PlaceInGroup(btnNoFill, pnlColors, Bounds(kGridLeft, 2, kPanelWidth - 2 * kGridLeft, 24));
    btnNoFill->OnClick = [this](TObject*) { ChooseNoFill(); };
    for (int entry = 0; entry < ColumnCount * RowCount; ++entry) {
        const TdxPaletteColor& color = dxPaletteColors()[static_cast<std::size_t>(entry)];
        auto* b = new TSpeedButton(this);
        PlaceInGroup(b, pnlColors,
                     Bounds(kGridLeft + entry / RowCount * kButtonSize, kGridTop + entry % RowCount * kButtonSize,
                            kButtonSize, kButtonSize));
        b->SetGlyph(Swatch(16, 16, color.Color).get());
        b->SetHint(color.Name);
        b->SetShowHint(true);
        b->OnClick = [this, c = color.Color](TObject*) { ChooseColor(c); };
        m_colorButtons[static_cast<std::size_t>(entry)] = b;
    }
    bvlSeparator = new TBevel(this);
    bvlSeparator->SetParent(pnlFrame);
    bvlSeparator->SetShape(bsTopLine);
    pnlButtons = new TPanel(this);
    pnlButtons->SetParent(pnlFrame);
    pnlButtons->SetBevelOuter(bvNone);
    btnMoreColors = new TButton(this);
    btnMoreColors->SetParent(pnlButtons);
    btnMoreColors->SetBounds(kGridLeft, 4, kPanelWidth - 2 * kGridLeft, 23);
    btnMoreColors->SetCaption("&More Colors...");
    btnMoreColors->OnClick = [this](TObject*) { MoreColors(); };
    btnFillEffects = new TButton(this);
    btnFillEffects->SetParent(pnlButtons);
    btnFillEffects->SetBounds(kGridLeft, 31, kPanelWidth - 2 * kGridLeft, 23);
    btnFillEffects->SetCaption("&Fill Effects...");
    btnFillEffects->OnClick = [this](TObject*) { FillEffects(); };

    if (!m_background)
        return;
    m_currentColor = m_background->Brush()->Color();
    if (m_background->Mode() == bmNone)
        btnNoFill->SetDown(true);
    else if (m_background->Mode() == bmBrush)
        for (std::size_t i = 0; i < m_colorButtons.size(); ++i)
            if (dxPaletteColors()[i].Color == m_currentColor) {
                m_colorButtons[i]->SetDown(true);
                break;
            }
}

TdxfmColorPalette::~TdxfmColorPalette() { Destroying(); }

void TdxfmColorPalette::ApplyOptions(const TdxColorPaletteOptions& Options)
{
    SetBorderStyle(Options.BorderStyle);
    SetCaption(Options.Caption);
    // Without a caption bar the palette draws a raised frame of its own.
    const bool framed = Options.BorderStyle == bsNone;
    pnlFrame->SetBevelOuter(framed ? bvRaised : bvNone);
    pnlFrame->SetBevelInner(framed ? bvRaised : bvNone);
    const int edge = framed ? 2 : 0;
    btnNoFill->SetCaption(Options.NoFillCaption);
    btnNoFill->SetSwatchColor(Options.NoFillSwatchColor);
    btnMoreColors->SetVisible(Options.ShowMoreColors);
    btnFillEffects->SetVisible(Options.ShowFillEffects);
    const bool bottom = Options.ShowMoreColors || Options.ShowFillEffects;
    bvlSeparator->SetVisible(bottom);
    pnlButtons->SetVisible(bottom);
    pnlColors->SetBounds(edge, edge, kPanelWidth, kColorsHeight);
    bvlSeparator->SetBounds(edge + kGridLeft, edge + kColorsHeight, kPanelWidth - 2 * kGridLeft, 2);
    // One button alone sits at the top of the bottom panel.
    btnFillEffects->SetTop(Options.ShowMoreColors ? 31 : 4);
    const int buttonsHeight = Options.ShowMoreColors && Options.ShowFillEffects ? kButtonsHeight : kButtonsHeight - 27;
    pnlButtons->SetBounds(edge, edge + kColorsHeight + 2, kPanelWidth, buttonsHeight);
    SetClientWidth(kPanelWidth + 2 * edge);
    SetClientHeight(kColorsHeight + (bottom ? 2 + buttonsHeight : 0) + 2 * edge);
}

void TdxfmColorPalette::Place(TPoint Position)
{
    const TRect work = GetWorkArea();
    TRect r = Bounds(Position.X, Position.Y, Width(), Height());
    if (r.Left < work.Left)
        OffsetRect(r, work.Left - r.Left, 0);
    if (r.Right > work.Right)
        OffsetRect(r, work.Right - r.Right, 0);
    if (r.Top < work.Top)
        OffsetRect(r, 0, work.Top - r.Top);
    if (r.Bottom > work.Bottom)
        OffsetRect(r, 0, work.Bottom - r.Bottom);
    SetBoundsRect(r);
}

void TdxfmColorPalette::Finish(TResult Result)
{
    if (m_result == prNone)
        m_result = Result;
}

void TdxfmColorPalette::ChooseColor(TColor Color)
{
    if (m_background) {
        TUpdateScope<TdxBackground> update(*m_background);
        m_background->SetMode(bmBrush);
        m_background->Brush()->SetStyle(bsSolid);
        m_background->Brush()->SetColor(Color);
    }
    Finish(prChosen);
}

void TdxfmColorPalette::ChooseNoFill()
{
    if (m_background)
        m_background->SetMode(bmNone);
    Finish(prChosen);
}

void TdxfmColorPalette::MoreColors()
{
    TValueRestorer<bool> inDialog(m_inDialog, true);
    Hide();
    TColor color = m_currentColor;
    if (dxPSSelectColor(color))
        ChooseColor(color);
    else
        Finish(prCancelled);
}

void TdxfmColorPalette::FillEffects()
{
    const std::weak_ptr<int> alive = m_alive;
    TValueRestorer<bool> inDialog(m_inDialog, true);
    Hide();
    Application().ProcessMessages();
    if (alive.expired())
        return;
    const bool changed = m_background && m_background->Setup();
    if (!alive.expired())
        Finish(changed ? prChosen : prCancelled);
}

void TdxfmColorPalette::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    TButton* button = Key == 0x66 ? btnFillEffects : Key == 0x62 ? btnMoreColors : nullptr;
    if (Key == VK_ESCAPE || Shift.Contains(ssAlt)) {
        Key = 0;
        Finish(prCancelled);
    } else if (button && button->Visible()) {
        Key = 0;
        button->Click();
    } else {
        TForm::KeyDown(Key, Shift);
    }
}

void TdxfmColorPalette::Deactivate()
{
    TForm::Deactivate();
    if (!m_inDialog)
        Finish(prCancelled);
}

bool dxShowColorPalette(TdxBackground* Background, TPoint Position, const TdxColorPaletteOptions* Options)
{
    if (!Background)
        return false;
    auto* palette = new TdxfmColorPalette(Background);
    // Whoever frees the palette while it runs (its script, the program going down) ends it.
    const std::weak_ptr<int> alive = palette->m_alive;
    palette->ApplyOptions(Options ? *Options : TdxColorPaletteOptions{});
    palette->Place(Position);
    // Losing the program's activation cancels, as losing the palette's own does.
    TChangeLink activation(Application().ActivationChanges(), [palette, alive](TObject*) {
        if (!alive.expired() && !palette->m_inDialog && !Application().Active())
            palette->Finish(TdxfmColorPalette::prCancelled);
    });
    RunFormLoop(*palette, [&] { return palette->Result() != TdxfmColorPalette::prNone; });
    if (alive.expired())
        return false;
    activation.Disconnect();
    // A background its owner freed meanwhile took no choice.
    const bool chosen = palette->Result() == TdxfmColorPalette::prChosen && palette->m_background;
    delete palette;
    return chosen;
}

} // namespace qel
