#include "preview/detail/FillEffectsResources.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Resources.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>

namespace qel::detail {

namespace {

// ----- textures ------------------------------------------------------------------------
// Each texture is a mix of two colours by a tileable noise, in one of a few
// kinds of grain; the sheet is the same on every run.
enum TGrain : std::uint8_t { grSpeckle, grMarble, grWood, grFibre, grWeave, grMesh, grDroplets };

struct TTextureRecipe {
    TGrain Grain;
    TColor Dark;
    TColor Light;
    unsigned Seed;
};

const std::array<TTextureRecipe, 24>& Recipes()
{
    static const std::array<TTextureRecipe, 24> recipes{{
        {grSpeckle, RGB(150, 150, 140), RGB(215, 215, 205), 1},    // Newsprint
        {grMarble, RGB(30, 80, 45), RGB(150, 200, 160), 2},        // Green marble
        {grFibre, RGB(150, 180, 225), RGB(210, 225, 250), 3},      // Blue tissue paper
        {grFibre, RGB(190, 165, 110), RGB(235, 215, 165), 4},      // Papyrus
        {grDroplets, RGB(120, 150, 170), RGB(200, 220, 235), 5},   // Water droplets
        {grSpeckle, RGB(140, 95, 50), RGB(205, 160, 105), 6},      // Cork
        {grSpeckle, RGB(175, 170, 160), RGB(230, 228, 220), 7},    // Recycled paper
        {grMarble, RGB(170, 170, 175), RGB(245, 245, 245), 8},     // White marble
        {grMarble, RGB(195, 120, 130), RGB(245, 205, 210), 9},     // Pink marble
        {grWeave, RGB(190, 180, 150), RGB(235, 228, 205), 10},     // Canvas
        {grFibre, RGB(150, 110, 65), RGB(195, 155, 105), 11},      // Paper bag
        {grWood, RGB(70, 40, 20), RGB(125, 80, 45), 12},           // Walnut
        {grFibre, RGB(215, 195, 150), RGB(245, 235, 205), 13},     // Parchment
        {grMarble, RGB(95, 60, 35), RGB(185, 140, 100), 14},       // Brown marble
        {grMesh, RGB(80, 40, 110), RGB(175, 130, 210), 15},        // Purple mesh
        {grWeave, RGB(40, 60, 120), RGB(95, 125, 185), 16},        // Denim
        {grDroplets, RGB(150, 140, 115), RGB(215, 205, 180), 17},  // Fish fossil
        {grWood, RGB(150, 110, 60), RGB(210, 170, 115), 18},       // Oak
        {grFibre, RGB(225, 225, 215), RGB(250, 250, 245), 19},     // Stationary
        {grSpeckle, RGB(70, 70, 75), RGB(185, 185, 190), 20},      // Granite
        {grDroplets, RGB(70, 120, 60), RGB(235, 150, 190), 21},    // Bouquet
        {grWeave, RGB(170, 140, 70), RGB(225, 200, 130), 22},      // Woven mat
        {grSpeckle, RGB(200, 170, 120), RGB(240, 220, 175), 23},   // Sand
        {grWood, RGB(115, 70, 35), RGB(180, 125, 75), 24},         // Medium wood
    }};
    return recipes;
}

unsigned Hash(int X, int Y, unsigned Seed)
{
    unsigned h = static_cast<unsigned>(X) * 374761393u + static_cast<unsigned>(Y) * 668265263u + Seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

double Unit(int X, int Y, unsigned Seed) { return (Hash(X, Y, Seed) & 0xFFFF) / 65535.0; }

// Value noise on a lattice of Cell pixels that repeats every texture width.
double Noise(double X, double Y, int Cell, unsigned Seed)
{
    const int n = dxTextureSize / Cell;
    const double fx = X / Cell, fy = Y / Cell;
    const int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
    const double tx = fx - ix, ty = fy - iy;
    const auto at = [&](int I, int J) { return Unit(((I % n) + n) % n, ((J % n) + n) % n, Seed); };
    const double sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
    const double top = at(ix, iy) + (at(ix + 1, iy) - at(ix, iy)) * sx;
    const double bottom = at(ix, iy + 1) + (at(ix + 1, iy + 1) - at(ix, iy + 1)) * sx;
    return top + (bottom - top) * sy;
}

double Turbulence(double X, double Y, unsigned Seed)
{
    return 0.5 * Noise(X, Y, 16, Seed) + 0.3 * Noise(X, Y, 8, Seed + 1) + 0.2 * Noise(X, Y, 4, Seed + 2);
}

// 0 gives Dark, 1 Light.
double Grain(const TTextureRecipe& R, int X, int Y)
{
    constexpr double pi = 3.14159265358979;
    switch (R.Grain) {
    case grSpeckle:
        return 0.55 * Turbulence(X, Y, R.Seed) + 0.45 * Unit(X, Y, R.Seed + 7);
    case grMarble:
        return 0.5 + 0.5 * std::sin((X + Y) * pi / 32 + 7 * Turbulence(X, Y, R.Seed));
    case grWood: {
        const double rings = Y * 6.0 / dxTextureSize + 2.5 * Noise(X, Y, 16, R.Seed);
        return 0.3 + 0.7 * (rings - std::floor(rings)) * (0.8 + 0.2 * Unit(X, Y, R.Seed));
    }
    case grFibre:
        // Streaks along the rows.
        return 0.6 + 0.25 * Noise(X / 4.0, Y, 2, R.Seed) + 0.15 * Unit(X, Y, R.Seed + 3);
    case grWeave: {
        const bool across = ((X / 4) + (Y / 4)) % 2 == 0;
        const int along = across ? X % 4 : Y % 4;
        return 0.35 + 0.45 * std::sin((along + 0.5) * pi / 4) + 0.2 * Unit(X, Y, R.Seed);
    }
    case grMesh:
        return (X % 8 < 2 || Y % 8 < 2) ? 0.2 * Unit(X, Y, R.Seed) : 0.75 + 0.25 * Turbulence(X, Y, R.Seed);
    case grDroplets: {
        double v = 0.7 + 0.3 * Turbulence(X, Y, R.Seed);
        for (int i = 0; i < 7; ++i) {
            const double cx = Unit(i, 0, R.Seed) * dxTextureSize, cy = Unit(i, 1, R.Seed) * dxTextureSize;
            const double radius = 3 + 5 * Unit(i, 2, R.Seed);
            double dx = std::fabs(X - cx), dy = std::fabs(Y - cy);
            dx = std::min(dx, dxTextureSize - dx);   // the sheet repeats
            dy = std::min(dy, dxTextureSize - dy);
            const double d = std::sqrt(dx * dx + dy * dy) / radius;
            if (d < 1)
                v = d < 0.35 && dx < dy ? 1.0 : 0.15 + 0.5 * d;
        }
        return v;
    }
    }
    return 0;
}

TColor Mix(TColor Dark, TColor Light, double T)
{
    T = std::clamp(T, 0.0, 1.0);
    const auto channel = [T](int A, int B) { return static_cast<int>(std::lround(A + (B - A) * T)); };
    return RGB(channel(GetRValue(Dark), GetRValue(Light)), channel(GetGValue(Dark), GetGValue(Light)),
               channel(GetBValue(Dark), GetBValue(Light)));
}

// A sheet of Columns x Rows square cells, picture i in column i / Rows, row
// i % Rows; Pixel gives the colour at (X, Y) of picture I.
std::unique_ptr<TBitmap> Sheet(int Columns, int Rows, int Size,
                               const std::function<TColor(int I, int X, int Y)>& Pixel)
{
    auto sheet = std::make_unique<TBitmap>(Columns * Size, Rows * Size);
    for (int i = 0; i < Columns * Rows; ++i)
        for (int y = 0; y < Size; ++y)
            for (int x = 0; x < Size; ++x)
                sheet->SetPixel(i / Rows * Size + x, i % Rows * Size + y, Pixel(i, x, y));
    return sheet;
}

std::unique_ptr<TBitmap> TextureSheet()
{
    return Sheet(dxTextureColumns, dxTextureRows, dxTextureSize, [](int I, int X, int Y) {
        const TTextureRecipe& r = Recipes()[static_cast<std::size_t>(I)];
        return Mix(r.Dark, r.Light, Grain(r, X, Y));
    });
}

// ----- patterns ------------------------------------------------------------------------
// Rows of eight pixels, the leftmost in the high bit; a set bit is black.
using TPatternBits = std::array<std::uint8_t, 8>;

const std::array<TPatternBits, 48>& Patterns()
{
    static const std::array<TPatternBits, 48> patterns{{
        {0x80, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00},   // 5%
        {0x80, 0x00, 0x08, 0x00, 0x80, 0x00, 0x08, 0x00},   // 10%
        {0x88, 0x00, 0x22, 0x00, 0x88, 0x00, 0x22, 0x00},   // 20%
        {0x88, 0x22, 0x88, 0x22, 0x88, 0x22, 0x88, 0x22},   // 25%
        {0xAA, 0x44, 0x88, 0x11, 0xAA, 0x44, 0x88, 0x11},   // 30%
        {0x55, 0xAA, 0x55, 0x88, 0x55, 0xAA, 0x55, 0x88},   // 40%
        {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA},   // 50%
        {0x77, 0xAA, 0xDD, 0xAA, 0x77, 0xAA, 0xDD, 0xAA},   // 60%
        {0xEE, 0xBB, 0xEE, 0x55, 0xEE, 0xBB, 0xEE, 0x55},   // 70%
        {0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD},   // 75%
        {0xEE, 0xBB, 0xFF, 0xBB, 0xEE, 0xBB, 0xFF, 0xBB},   // 80%
        {0x7F, 0xFF, 0xF7, 0xFF, 0x7F, 0xFF, 0xF7, 0xFF},   // 90%
        {0x88, 0x44, 0x22, 0x11, 0x88, 0x44, 0x22, 0x11},   // Light downward diagonal
        {0x11, 0x22, 0x44, 0x88, 0x11, 0x22, 0x44, 0x88},   // Light upward diagonal
        {0xCC, 0x66, 0x33, 0x99, 0xCC, 0x66, 0x33, 0x99},   // Dark downward diagonal
        {0x33, 0x66, 0xCC, 0x99, 0x33, 0x66, 0xCC, 0x99},   // Dark upward diagonal
        {0xC1, 0xE0, 0x70, 0x38, 0x1C, 0x0E, 0x07, 0x83},   // Wide downward diagonal
        {0x83, 0x07, 0x0E, 0x1C, 0x38, 0x70, 0xE0, 0xC1},   // Wide upward diagonal
        {0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88},   // Light vertical
        {0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00},   // Light horizontal
        {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA},   // Narrow vertical
        {0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00},   // Narrow horizontal
        {0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC},   // Dark vertical
        {0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00},   // Dark horizontal
        {0x80, 0x40, 0x20, 0x00, 0x08, 0x04, 0x02, 0x00},   // Dashed downward
        {0x01, 0x02, 0x04, 0x00, 0x10, 0x20, 0x40, 0x00},   // Dashed upward
        {0x80, 0x80, 0x80, 0x80, 0x08, 0x08, 0x08, 0x08},   // Dashed vertical
        {0xF0, 0x00, 0x00, 0x00, 0x0F, 0x00, 0x00, 0x00},   // Dashed horizontal
        {0x40, 0x04, 0x80, 0x10, 0x01, 0x20, 0x02, 0x08},   // Small confetti
        {0x98, 0x18, 0x03, 0x63, 0x60, 0x06, 0xC6, 0xC0},   // Large confetti
        {0x81, 0x42, 0x24, 0x18, 0x81, 0x42, 0x24, 0x18},   // Zig zag
        {0x00, 0x18, 0x24, 0xC3, 0x00, 0x18, 0x24, 0xC3},   // Wave
        {0x01, 0x02, 0x04, 0x08, 0x18, 0x24, 0x42, 0x81},   // Diagonal brick
        {0xFF, 0x80, 0x80, 0x80, 0xFF, 0x08, 0x08, 0x08},   // Horizontal brick
        {0x88, 0x54, 0x22, 0x45, 0x88, 0x15, 0x22, 0x51},   // Weave
        {0xAA, 0x55, 0xAA, 0x55, 0xFF, 0xFF, 0xFF, 0xFF},   // Plaid
        {0x00, 0x20, 0x10, 0x20, 0x00, 0x02, 0x01, 0x02},   // Divot
        {0xAA, 0x00, 0x80, 0x00, 0x80, 0x00, 0x80, 0x00},   // Dottedgrid
        {0x08, 0x00, 0x22, 0x00, 0x80, 0x00, 0x22, 0x00},   // Dotted diamond
        {0x03, 0x84, 0x48, 0x30, 0x0C, 0x02, 0x01, 0x01},   // Shingle
        {0xFF, 0x66, 0xFF, 0x99, 0xFF, 0x66, 0xFF, 0x99},   // Trellis
        {0x77, 0x89, 0x8F, 0x8F, 0x77, 0x98, 0xF8, 0xF8},   // Sphere
        {0xFF, 0x88, 0x88, 0x88, 0xFF, 0x88, 0x88, 0x88},   // Small grid
        {0xFF, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80},   // Large grid
        {0xCC, 0xCC, 0x33, 0x33, 0xCC, 0xCC, 0x33, 0x33},   // Small checked board
        {0xF0, 0xF0, 0xF0, 0xF0, 0x0F, 0x0F, 0x0F, 0x0F},   // Large checked board
        {0x41, 0x22, 0x14, 0x08, 0x14, 0x22, 0x41, 0x80},   // Outlined diamond
        {0x10, 0x38, 0x7C, 0xFE, 0x7C, 0x38, 0x10, 0x00},   // Solid diamond
    }};
    return patterns;
}

std::unique_ptr<TBitmap> PatternSheet()
{
    return Sheet(dxPatternColumns, dxPatternRows, dxPatternSize, [](int I, int X, int Y) {
        const std::uint8_t row = Patterns()[static_cast<std::size_t>(I)][static_cast<std::size_t>(Y)];
        return (row >> (7 - X)) & 1 ? clBlack : clWhite;
    });
}

} // namespace

void RegisterFillEffectsResources()
{
    static const bool registered = [] {
        RegisterBitmapResource(dxTextureSheetResource, TextureSheet);
        RegisterBitmapResource(dxPatternSheetResource, PatternSheet);
        return true;
    }();
    (void)registered;
}

const std::vector<std::string>& dxTextureNames()
{
    static const std::vector<std::string> names{
        "Newsprint", "Green marble", "Blue tissue paper", "Papyrus", "Water droplets", "Cork",
        "Recycled paper", "White marble", "Pink marble", "Canvas", "Paper bag", "Walnut",
        "Parchment", "Brown marble", "Purple mesh", "Denim", "Fish fossil", "Oak",
        "Stationary", "Granite", "Bouquet", "Woven mat", "Sand", "Medium wood"};
    return names;
}

const std::vector<std::string>& dxPatternNames()
{
    static const std::vector<std::string> names{
        "5%", "10%", "20%", "25%", "30%", "40%", "50%", "60%", "70%", "75%", "80%", "90%",
        "Light downward diagonal", "Light upward diagonal", "Dark downward diagonal", "Dark upward diagonal",
        "Wide downward diagonal", "Wide upward diagonal", "Light vertical", "Light horizontal",
        "Narrow vertical", "Narrow horizontal", "Dark vertical", "Dark horizontal", "Dashed downward",
        "Dashed upward", "Dashed vertical", "Dashed horizontal", "Small confetti", "Large confetti", "Zig zag",
        "Wave", "Diagonal brick", "Horizontal brick", "Weave", "Plaid", "Divot", "Dottedgrid", "Dotted diamond",
        "Shingle", "Trellis", "Sphere", "Small grid", "Large grid", "Small checked board", "Large checked board",
        "Outlined diamond", "Solid diamond"};
    return names;
}

} // namespace qel::detail
