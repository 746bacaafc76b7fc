#include "platform/graphics/Bitmap.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Locale.h"
#include "platform/core/Stream.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace qel {

namespace {

const char* const kOutOfResources = "Out of Resources";

void CheckSize(long long W, long long H)
{
    if (W * H > MaxBitmapPixels)
        throw EOutOfResources(kOutOfResources);
}

QImage NewImage(int W, int H)
{
    if (W <= 0 || H <= 0)
        return QImage();
    CheckSize(W, H);
    QImage img(W, H, QImage::Format_ARGB32);
    if (img.isNull())
        throw EOutOfResources(kOutOfResources);
    img.fill(Qt::white);
    return img;
}

std::uint32_t LE32(const std::string& B, std::size_t At)
{
    return std::uint32_t(std::uint8_t(B[At])) | (std::uint32_t(std::uint8_t(B[At + 1])) << 8) |
           (std::uint32_t(std::uint8_t(B[At + 2])) << 16) | (std::uint32_t(std::uint8_t(B[At + 3])) << 24);
}

std::uint32_t BE32(const std::string& B, std::size_t At)
{
    return (std::uint32_t(std::uint8_t(B[At])) << 24) | (std::uint32_t(std::uint8_t(B[At + 1])) << 16) |
           (std::uint32_t(std::uint8_t(B[At + 2])) << 8) | std::uint32_t(std::uint8_t(B[At + 3]));
}

const char kPngSignature[] = "\x89PNG\r\n\x1a\n";

// Reads one picture from the stream: exactly its own bytes for BMP and PNG
// (so a picture inside a larger stream leaves the rest), else what remains.
std::string ReadPictureBytes(TStream& Stream, const char* InvalidMessage)
{
    const std::int64_t start = Stream.Position();
    const std::int64_t remaining = Stream.Remaining();
    if (remaining < 8)
        throw EInvalidGraphic(InvalidMessage);
    std::string head = Stream.ReadBytes(8);
    Stream.SetPosition(start);
    if (head[0] == 'B' && head[1] == 'M') {
        const std::uint32_t size = LE32(head, 2);
        if (size < 26 || size > remaining)
            throw EInvalidGraphic(InvalidMessage);
        return Stream.ReadBytes(size);
    }
    if (std::memcmp(head.data(), kPngSignature, 8) == 0) {
        std::int64_t pos = 8;
        std::string chunk;
        Stream.SetPosition(start + 8);
        for (;;) {
            if (Stream.Remaining() < 12)
                throw EInvalidGraphic(InvalidMessage);
            chunk = Stream.ReadBytes(8);
            const std::uint32_t len = BE32(chunk, 0);
            if (std::int64_t(len) + 4 > Stream.Remaining())
                throw EInvalidGraphic(InvalidMessage);
            Stream.Seek(std::int64_t(len) + 4, soCurrent);
            pos += 12 + std::int64_t(len);
            if (chunk.compare(4, 4, "IEND") == 0)
                break;
        }
        Stream.SetPosition(start);
        return Stream.ReadBytes(pos);
    }
    return Stream.ReadBytes(remaining);
}

std::uint32_t LE16(const std::string& B, std::size_t At)
{
    return std::uint32_t(std::uint8_t(B[At])) | (std::uint32_t(std::uint8_t(B[At + 1])) << 8);
}

bool StartsWith(const std::string& B, std::size_t At, const char* Prefix, std::size_t Length)
{
    return B.size() >= At + Length && std::memcmp(B.data() + At, Prefix, Length) == 0;
}

// The Qt format of the picture data a bitmap reads: BMP, PNG or JPEG, else none.
const char* BitmapFormatOf(const std::string& B)
{
    if (StartsWith(B, 0, "BM", 2))
        return "BMP";
    if (StartsWith(B, 0, kPngSignature, 8))
        return "PNG";
    if (StartsWith(B, 0, "\xFF\xD8\xFF", 3))
        return "JPEG";
    return nullptr;
}

// True when the device-independent bitmap whose header starts at At stores
// its pixels uncompressed and claims more of them than PixelBytes bytes can
// hold (Qt would allocate them all and read nothing). Compressed pixels (run
// lengths, embedded PNG or JPEG) may hold more; the size limits bound them.
bool DibClaimsMoreThan(const std::string& B, std::size_t At, std::int64_t PixelBytes)
{
    if (B.size() < At + 16)
        return false;
    std::int64_t width = 0, height = 0;
    int bitCount = 0;
    const std::uint32_t headerSize = LE32(B, At);
    if (headerSize == 12) {
        width = LE16(B, At + 4);
        height = LE16(B, At + 6);
        bitCount = static_cast<int>(LE16(B, At + 10));
    } else if (headerSize >= 40 && B.size() >= At + 20) {
        width = static_cast<std::int32_t>(LE32(B, At + 4));
        height = static_cast<std::int32_t>(LE32(B, At + 8));
        bitCount = static_cast<int>(LE16(B, At + 14));
        const std::uint32_t compression = LE32(B, At + 16);
        // Only BI_RGB, BI_BITFIELDS and BI_ALPHABITFIELDS store plain pixels.
        if (compression != 0 && compression != 3 && compression != 6)
            return false;
    } else {
        return false;
    }
    if (bitCount <= 0)
        return false;
    const std::int64_t pixels = (width < 0 ? -width : width) * (height < 0 ? -height : height);
    return pixels > std::max<std::int64_t>(PixelBytes, 0) * 8 / bitCount;
}

QImage Decode(const std::string& Bytes, const char* Format, const char* InvalidMessage)
{
    QByteArray data(Bytes.data(), qsizetype(Bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, Format);
    reader.setAutoDetectImageFormat(false);
    const QSize size = reader.size();
    long long charged = 0;
    if (size.isValid()) {
        CheckSize(size.width(), size.height());
        charged = static_cast<long long>(size.width()) * size.height();
        TPictureDecodeBudget::Charge(charged);
    }
    QImage img = reader.read();
    if (img.isNull())
        throw EInvalidGraphic(InvalidMessage);
    CheckSize(img.width(), img.height());
    const long long pixels = static_cast<long long>(img.width()) * img.height();
    if (pixels > charged)
        TPictureDecodeBudget::Charge(pixels - charged);
    return img.convertToFormat(QImage::Format_ARGB32);
}

std::string Encode(const QImage& Image, const char* Format, int Quality)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImage out = Image;
    // BMP and JPEG have no alpha: flatten onto white first.
    if (std::strcmp(Format, "PNG") != 0 && Image.hasAlphaChannel()) {
        out = QImage(Image.size(), QImage::Format_RGB32);
        out.fill(Qt::white);
        QPainter p(&out);
        p.drawImage(0, 0, Image);
    }
    if (!out.save(&buffer, Format, Quality))
        throw EInvalidGraphic(std::string("Cannot write the picture as ") + Format);
    return std::string(data.constData(), std::size_t(data.size()));
}

std::string LowerExt(const std::string& FileName)
{
    const auto dot = FileName.find_last_of('.');
    const auto slash = FileName.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = LowerCase(FileName.substr(dot + 1));
    return ext;
}

} // namespace

// ----------------------------------------------------------------------------

namespace {
TPictureDecodeBudget* g_innermostBudget = nullptr;
} // namespace

TPictureDecodeBudget::TPictureDecodeBudget(long long Pixels) : m_remaining(Pixels), m_outer(g_innermostBudget)
{
    g_innermostBudget = this;
}

TPictureDecodeBudget::~TPictureDecodeBudget()
{
    g_innermostBudget = m_outer;
}

void TPictureDecodeBudget::Charge(long long Pixels)
{
    for (const TPictureDecodeBudget* b = g_innermostBudget; b; b = b->m_outer)
        if (Pixels > b->m_remaining)
            throw EOutOfResources(kOutOfResources);
    for (TPictureDecodeBudget* b = g_innermostBudget; b; b = b->m_outer)
        b->m_remaining -= Pixels;
}

class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap* Owner) : m_owner(Owner) {}
    ~TBitmapCanvas() override { End(); }

    void End()
    {
        if (m_own.isActive()) {
            m_own.end();
            PainterEnded();
        }
    }

protected:
    QPainter* AcquirePainter() override
    {
        QImage& img = *m_owner->m_image;
        if (img.isNull())
            return nullptr;
        if (!m_own.isActive()) {
            if (!m_own.begin(&img))
                return nullptr;
            PainterStarted(&m_own, &img);
        }
        return &m_own;
    }
    void ReleasePainter() override { End(); }
    QImage* DeviceImage() override { return m_owner->m_image->isNull() ? nullptr : m_owner->m_image.get(); }
    TRect DeviceBounds() const override { return {0, 0, m_owner->Width(), m_owner->Height()}; }

private:
    TBitmap* m_owner;
    QPainter m_own;
};

TBitmap::TBitmap() : m_image(std::make_unique<QImage>()) {}

TBitmap::TBitmap(int Width, int Height) : TBitmap()
{
    SetSize(Width, Height);
}

TBitmap::~TBitmap() = default;

void TBitmap::EndDrawing() const
{
    if (m_canvas)
        m_canvas->End();
}

const QImage& TBitmap::Image() const
{
    // Painting goes straight into the pixels; end it so a copy of the image
    // never shares a buffer that is still being drawn into.
    EndDrawing();
    return *m_image;
}

QImage& TBitmap::MutableImage()
{
    EndDrawing();
    return *m_image;
}

void TBitmap::SetImage(const QImage& Image)
{
    EndDrawing();
    if (!Image.isNull())
        CheckSize(Image.width(), Image.height());
    *m_image = Image.isNull() ? QImage() : Image.convertToFormat(QImage::Format_ARGB32);
    Changed();
}

bool TBitmap::Empty() const { return m_image->isNull(); }
int TBitmap::Width() const { return m_image->width(); }
int TBitmap::Height() const { return m_image->height(); }
void TBitmap::SetWidth(int Width) { SetSize(Width, Height()); }
void TBitmap::SetHeight(int Height) { SetSize(Width(), Height); }

void TBitmap::SetSize(int AWidth, int AHeight)
{
    AWidth = std::max(0, AWidth);
    AHeight = std::max(0, AHeight);
    if (AWidth == Width() && AHeight == Height())
        return;
    QImage img = NewImage(AWidth, AHeight);   // raises before anything changes
    EndDrawing();
    if (!img.isNull() && !m_image->isNull()) {
        QPainter p(&img);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, *m_image);
    }
    *m_image = std::move(img);
    Changed();
}

TCanvas* TBitmap::Canvas()
{
    if (!m_canvas)
        m_canvas = std::make_unique<TBitmapCanvas>(this);
    return m_canvas.get();
}

void TBitmap::SetPixelFormat(TPixelFormat Format)
{
    // Pixels are always kept as 32-bit; the format is remembered for callers that ask.
    m_pixelFormat = Format;
}

TColor TBitmap::TransparentColor() const
{
    if (m_transparentMode == tmFixed)
        return m_transparentColor;
    if (m_image->isNull())
        return clNone;
    return FromQColor(QColor::fromRgb(m_image->pixel(0, m_image->height() - 1)));
}

void TBitmap::SetTransparentColor(TColor Color)
{
    m_transparentColor = Color;
    m_transparentMode = tmFixed;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode Mode)
{
    if (Mode == m_transparentMode)
        return;
    m_transparentMode = Mode;
    Changed();
}

TColor TBitmap::Pixel(int X, int Y) const
{
    if (!m_image->valid(X, Y))
        return CLR_INVALID;
    return FromQColor(QColor::fromRgb(m_image->pixel(X, Y)));
}

void TBitmap::SetPixel(int X, int Y, TColor Color)
{
    if (!m_image->valid(X, Y))
        return;
    MutableImage().setPixel(X, Y, ToQColor(Color).rgb());
}

void TBitmap::LoadFromStream(TStream& Stream)
{
    const std::int64_t start = Stream.Position();
    try {
        const char* invalid = "Bitmap image is not valid";
        const std::string bytes = ReadPictureBytes(Stream, invalid);
        const char* format = BitmapFormatOf(bytes);
        if (!format)
            throw EInvalidGraphic(invalid);
        if (std::strcmp(format, "BMP") == 0
            && DibClaimsMoreThan(bytes, 14, static_cast<std::int64_t>(bytes.size()) - LE32(bytes, 10)))
            throw EInvalidGraphic(invalid);
        QImage img = Decode(bytes, format, invalid);
        EndDrawing();
        *m_image = std::move(img);
    } catch (...) {
        Stream.SetPosition(start);
        throw;
    }
    Changed();
}

void TBitmap::SaveToStream(TStream& Stream) const
{
    if (m_image->isNull())
        return;
    Stream.WriteBytes(Encode(Image(), StreamFormat(), StreamQuality()));
}

void TBitmap::SaveToFile(const std::string& FileName) const
{
    const std::string ext = LowerExt(FileName);
    const char* format = ext == "png" ? "PNG" : (ext == "jpg" || ext == "jpeg") ? "JPEG" : "BMP";
    if (m_image->isNull())
        throw EInvalidGraphic("Cannot save an empty bitmap");
    const std::string bytes = Encode(Image(), format, StreamQuality());
    SafeWriteFile(FileName, [&](TStream& S) { S.WriteBytes(bytes); });
}

void TBitmap::Assign(TPersistent* Source)
{
    if (auto* src = dynamic_cast<TBitmap*>(Source)) {
        if (src == this)
            return;
        EndDrawing();
        *m_image = src->Image();
        m_pixelFormat = src->m_pixelFormat;
        m_transparentMode = src->m_transparentMode;
        m_transparentColor = src->m_transparentColor;
        TGraphic::SetTransparent(src->Transparent());
        Changed();
        return;
    }
    if (auto* icon = dynamic_cast<TIcon*>(Source)) {
        SetImage(icon->Image());
        return;
    }
    if (auto* g = dynamic_cast<TGraphic*>(Source)) {
        // Any other graphic is drawn onto a white bitmap of its size.
        if (g->Empty()) {
            SetSize(0, 0);
            return;
        }
        QImage img = NewImage(g->Width(), g->Height());
        EndDrawing();
        *m_image = std::move(img);
        Canvas()->StretchDraw(TRect{0, 0, g->Width(), g->Height()}, g);
        EndDrawing();
        Changed();
        return;
    }
    if (!Source) {
        SetSize(0, 0);
        return;
    }
    TGraphic::Assign(Source);
}

bool TBitmap::Equals(const TGraphic* Other) const
{
    auto* o = dynamic_cast<const TBitmap*>(Other);
    if (!o || std::string(o->ClassName()) != ClassName())
        return false;
    return Image() == o->Image();
}

std::unique_ptr<TBitmap> TBitmap::CreateMask(TColor Transparent) const
{
    auto mask = std::make_unique<TBitmap>();
    const QImage& src = Image();
    if (src.isNull())
        return mask;
    QImage m(src.size(), QImage::Format_ARGB32);
    const QRgb key = ToQColor(Transparent).rgb() & 0xFFFFFF;
    for (int y = 0; y < src.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        QRgb* out = reinterpret_cast<QRgb*>(m.scanLine(y));
        for (int x = 0; x < src.width(); ++x)
            out[x] = ((in[x] & 0xFFFFFF) == key || qAlpha(in[x]) < 128) ? 0xFFFFFFFF : 0xFF000000;
    }
    mask->SetImage(m);
    return mask;
}

void TBitmap::Draw(TCanvas& Canvas, const TRect& R) const
{
    QPainter* p = Canvas.Painter();
    if (!p || m_image->isNull())
        return;
    const TRect d = Canvas.LPtoDP(R);
    if (d.Width() == 0 || d.Height() == 0)
        return;
    QImage img = Image();
    if (Transparent()) {
        const QRgb key = ToQColor(TransparentColor()).rgb() & 0xFFFFFF;
        img = img.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < img.height(); ++y) {
            QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                if ((line[x] & 0xFFFFFF) == key)
                    line[x] = 0;
        }
    }
    const bool mx = d.Width() < 0, my = d.Height() < 0;
    if (mx || my)
        img = img.mirrored(mx, my);
    const QRect target(std::min(d.Left, d.Right), std::min(d.Top, d.Bottom), std::abs(d.Width()),
                       std::abs(d.Height()));
    p->drawImage(target, img);
}

void TBitmap::Changed()
{
    TGraphic::Changed();
}

// ----------------------------------------------------------------------------

TIcon::TIcon() : m_image(std::make_unique<QImage>()) {}
TIcon::~TIcon() = default;

bool TIcon::Empty() const { return m_image->isNull(); }
int TIcon::Width() const { return m_image->width(); }
int TIcon::Height() const { return m_image->height(); }

void TIcon::SetWidth(int)
{
    throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

void TIcon::SetHeight(int)
{
    throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

void TIcon::LoadFromStream(TStream& Stream)
{
    const char* invalid = "Icon image is not valid";
    const std::int64_t start = Stream.Position();
    try {
        // The directory tells how many bytes the icon has.
        if (Stream.Remaining() < 6)
            throw EInvalidGraphic(invalid);
        const std::string head = Stream.ReadBytes(6);
        const int count = std::uint8_t(head[4]) | (std::uint8_t(head[5]) << 8);
        if (head[0] != 0 || head[1] != 0 || (head[2] != 1 && head[2] != 2) || count == 0 ||
            Stream.Remaining() < std::int64_t(count) * 16)
            throw EInvalidGraphic(invalid);
        const std::string dir = Stream.ReadBytes(std::int64_t(count) * 16);
        std::int64_t end = 6 + std::int64_t(count) * 16;
        for (int i = 0; i < count; ++i)
            end = std::max<std::int64_t>(end, std::int64_t(LE32(dir, std::size_t(i) * 16 + 8)) +
                                                  LE32(dir, std::size_t(i) * 16 + 12));
        Stream.SetPosition(start);
        if (end > Stream.Remaining())
            throw EInvalidGraphic(invalid);
        const std::string bytes = Stream.ReadBytes(end);
        *m_image = Decode(bytes, "ICO", invalid);
    } catch (...) {
        Stream.SetPosition(start);
        throw;
    }
    Changed();
}

void TIcon::SaveToStream(TStream& Stream) const
{
    if (m_image->isNull())
        return;
    Stream.WriteBytes(Encode(*m_image, "ICO", -1));
}

void TIcon::Assign(TPersistent* Source)
{
    if (auto* src = dynamic_cast<TIcon*>(Source)) {
        if (src != this) {
            *m_image = *src->m_image;
            Changed();
        }
        return;
    }
    if (auto* bmp = dynamic_cast<TBitmap*>(Source)) {
        *m_image = bmp->Image();
        Changed();
        return;
    }
    TGraphic::Assign(Source);
}

void TIcon::AssignMasked(const TBitmap& Bitmap, TColor TransparentColor)
{
    const int w = Bitmap.Width();
    const int h = Bitmap.Height();
    if (Bitmap.Empty() || w <= 0 || h <= 0) {
        *m_image = QImage();
        Changed();
        return;
    }
    const TColor transparent = ColorToRGB(TransparentColor);
    QImage img(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const TColor c = ColorToRGB(Bitmap.Pixel(x, y));
            line[x] = c == transparent ? qRgba(0, 0, 0, 0) : qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
        }
    }
    *m_image = std::move(img);
    Changed();
}

bool TIcon::Equals(const TGraphic* Other) const
{
    auto* o = dynamic_cast<const TIcon*>(Other);
    return o && *o->m_image == *m_image;
}

void TIcon::Draw(TCanvas& Canvas, const TRect& R) const
{
    QPainter* p = Canvas.Painter();
    if (!p || m_image->isNull())
        return;
    const TRect d = Canvas.LPtoDP(R);
    const QRect target(std::min(d.Left, d.Right), std::min(d.Top, d.Bottom), std::abs(d.Width()),
                       std::abs(d.Height()));
    if (!target.isEmpty())
        p->drawImage(target, *m_image);
}

} // namespace qel
