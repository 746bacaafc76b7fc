#pragma once
// TBitmap: an image in memory with its own canvas; loads and saves BMP and
// PNG (and JPEG through TJPEGImage). TIcon holds an icon with its alpha.
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/Graphics.h"

#include <memory>
#include <string>

class QImage;

namespace qel {

enum TPixelFormat : std::uint8_t { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode : std::uint8_t { tmAuto, tmFixed };

// Bitmaps larger than this many pixels raise EOutOfResources instead of allocating.
inline constexpr long long MaxBitmapPixels = 64LL * 1024 * 1024;

// Bounds the pixels that all pictures decoded while it lives may hold
// together: a stored file may name many pictures, each within
// MaxBitmapPixels. A picture beyond what is left raises EOutOfResources
// "Out of Resources" before it is decoded and costs nothing. Budgets nest,
// and a picture counts against each of them.
//
//   TPictureDecodeBudget budget(MaxBitmapPixels);   // for one file
//   ReadComponent(stream, ...);
class TPictureDecodeBudget {
public:
    explicit TPictureDecodeBudget(long long Pixels);
    ~TPictureDecodeBudget();
    TPictureDecodeBudget(const TPictureDecodeBudget&) = delete;
    TPictureDecodeBudget& operator=(const TPictureDecodeBudget&) = delete;

    long long Remaining() const { return m_remaining; }
    // Takes Pixels from every budget alive, or raises and takes nothing.
    static void Charge(long long Pixels);

private:
    long long m_remaining;
    TPictureDecodeBudget* m_outer;
};

class TBitmapCanvas;

class TBitmap : public TGraphic {
    QEL_CLASS(TBitmap)
public:
    TBitmap();
    TBitmap(int Width, int Height);
    ~TBitmap() override;

    bool Empty() const override;
    int Width() const override;
    int Height() const override;
    void SetWidth(int Width) override;
    void SetHeight(int Height) override;
    // Keeps the pixels that still fit; new pixels are white. Negative sizes
    // count as 0; more than MaxBitmapPixels raises EOutOfResources "Out of Resources".
    void SetSize(int AWidth, int AHeight);

    // The canvas drawing into the bitmap (created on first use).
    TCanvas* Canvas();

    TPixelFormat PixelFormat() const { return m_pixelFormat; }
    void SetPixelFormat(TPixelFormat Format);
    // tmAuto: the transparent colour is the bottom-left pixel.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor Color);   // switches to tmFixed
    TTransparentMode TransparentMode() const { return m_transparentMode; }
    void SetTransparentMode(TTransparentMode Mode);
    bool Monochrome() const { return m_pixelFormat == pf1bit; }

    TColor Pixel(int X, int Y) const;         // CLR_INVALID outside
    void SetPixel(int X, int Y, TColor Color);

    // BMP is the stream format; loading also accepts PNG and JPEG data, and
    // nothing else. An uncompressed picture whose header claims more pixels
    // than its bytes hold is refused (EInvalidGraphic) before anything is
    // allocated.
    void LoadFromStream(TStream& Stream) override;
    void SaveToStream(TStream& Stream) const override;
    // The file name's extension picks the format: ".png", ".jpg"/".jpeg", else BMP.
    void SaveToFile(const std::string& FileName) const override;
    void Assign(TPersistent* Source) override;
    bool Equals(const TGraphic* Other) const override;
    TGraphic* NewOfSameClass() const override { return new TBitmap; }

    // A 1-bit-like mask: white where the pixel equals `Transparent`, black elsewhere.
    std::unique_ptr<TBitmap> CreateMask(TColor Transparent) const;

    // The pixels (ARGB32, opaque unless loaded with alpha). Ends drawing first.
    // Qt escape hatch: platform/ only; components use Canvas() and Pixel().
    const QImage& Image() const;
    void SetImage(const QImage& Image);

protected:
    void Draw(TCanvas& Canvas, const TRect& R) const override;
    // The format SaveToStream writes ("BMP", "PNG", "JPEG").
    virtual const char* StreamFormat() const { return "BMP"; }
    virtual int StreamQuality() const { return -1; }
    void Changed() override;

private:
    friend class TBitmapCanvas;
    void EndDrawing() const;
    QImage& MutableImage();

    std::unique_ptr<QImage> m_image;
    std::unique_ptr<TBitmapCanvas> m_canvas;
    TPixelFormat m_pixelFormat{pfDevice};
    TTransparentMode m_transparentMode{tmAuto};
    TColor m_transparentColor{clNone};
};

// PNG pictures: a bitmap that streams as PNG.
class TPngImage : public TBitmap {
    QEL_CLASS(TPngImage)
public:
    TGraphic* NewOfSameClass() const override { return new TPngImage; }
protected:
    const char* StreamFormat() const override { return "PNG"; }
};

// JPEG pictures: a bitmap that streams as JPEG.
class TJPEGImage : public TBitmap {
    QEL_CLASS(TJPEGImage)
public:
    TGraphic* NewOfSameClass() const override { return new TJPEGImage; }
    int CompressionQuality() const { return m_quality; }
    void SetCompressionQuality(int Q) { m_quality = Q < 1 ? 1 : (Q > 100 ? 100 : Q); }
protected:
    const char* StreamFormat() const override { return "JPEG"; }
    int StreamQuality() const override { return m_quality; }
private:
    int m_quality{90};
};

class TIcon : public TGraphic {
    QEL_CLASS(TIcon)
public:
    TIcon();
    ~TIcon() override;

    bool Empty() const override;
    int Width() const override;
    int Height() const override;
    // An icon's size comes from its image; setting it raises EInvalidGraphicOperation.
    void SetWidth(int Width) override;
    void SetHeight(int Height) override;
    void LoadFromStream(TStream& Stream) override;
    void SaveToStream(TStream& Stream) const override;
    void Assign(TPersistent* Source) override;
    // The bitmap's pixels at its size (any size a bitmap holds); those of
    // TransparentColor become fully transparent, the others opaque.
    void AssignMasked(const TBitmap& Bitmap, TColor TransparentColor);
    bool Equals(const TGraphic* Other) const override;
    TGraphic* NewOfSameClass() const override { return new TIcon; }
    // Qt escape hatch: platform/ only.
    const QImage& Image() const { return *m_image; }

protected:
    void Draw(TCanvas& Canvas, const TRect& R) const override;

private:
    std::unique_ptr<QImage> m_image;
};

} // namespace qel
