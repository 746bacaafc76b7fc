#include "platform/graphics/Picture.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Locale.h"
#include "platform/graphics/Metafile.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace qel {

namespace {

struct FormatEntry {
    std::string description;
    TPicture::GraphicFactory factory;
};

// Ordered by registration so that the filter lists formats in a stable order.
std::vector<std::pair<std::string, FormatEntry>>& Formats()
{
    static std::vector<std::pair<std::string, FormatEntry>> formats = {
        {"bmp", {"Bitmaps", [] { return new TBitmap; }}},
        {"png", {"Portable Network Graphics", [] { return new TPngImage; }}},
        {"jpg", {"JPEG Image File", [] { return new TJPEGImage; }}},
        {"jpeg", {"JPEG Image File", [] { return new TJPEGImage; }}},
        {"ico", {"Icons", [] { return new TIcon; }}},
    };
    return formats;
}

std::string Extension(const std::string& FileName)
{
    const auto dot = FileName.find_last_of('.');
    const auto slash = FileName.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return LowerCase(FileName.substr(dot + 1));
}

} // namespace

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::GraphicChanged()
{
    if (!m_changes.Notify(this))
        return;
    if (OnChange)
        OnChange(this);
}

void TPicture::SetGraphic(const TGraphic* Graphic)
{
    std::unique_ptr<TGraphic> copy;
    if (Graphic) {
        copy.reset(Graphic->NewOfSameClass());
        copy->Assign(const_cast<TGraphic*>(Graphic));
    }
    m_graphic = std::move(copy);
    if (m_graphic)
        m_graphicLink.Connect(m_graphic->Changes(), [this](TObject*) { GraphicChanged(); });
    GraphicChanged();
}

TBitmap* TPicture::Bitmap()
{
    auto* bmp = dynamic_cast<TBitmap*>(m_graphic.get());
    if (!bmp) {
        m_graphic = std::make_unique<TBitmap>();
        m_graphicLink.Connect(m_graphic->Changes(), [this](TObject*) { GraphicChanged(); });
        bmp = static_cast<TBitmap*>(m_graphic.get());
        GraphicChanged();
    }
    return bmp;
}

TIcon* TPicture::Icon()
{
    auto* icon = dynamic_cast<TIcon*>(m_graphic.get());
    if (!icon) {
        m_graphic = std::make_unique<TIcon>();
        m_graphicLink.Connect(m_graphic->Changes(), [this](TObject*) { GraphicChanged(); });
        icon = static_cast<TIcon*>(m_graphic.get());
        GraphicChanged();
    }
    return icon;
}

int TPicture::Width() const { return m_graphic ? m_graphic->Width() : 0; }
int TPicture::Height() const { return m_graphic ? m_graphic->Height() : 0; }

void TPicture::LoadFromFile(const std::string& FileName)
{
    const std::string ext = Extension(FileName);
    if (ext == "wmf" || ext == "emf")
        throw EInvalidGraphic("Unsupported picture format");
    const auto& formats = Formats();
    auto it = std::find_if(formats.begin(), formats.end(), [&](const auto& F) { return F.first == ext; });
    if (it == formats.end())
        throw EInvalidGraphic("Unknown picture file extension (." + ext + ")");
    // Load into a new graphic; the old one stays when this fails.
    std::unique_ptr<TGraphic> g(it->second.factory());
    g->LoadFromFile(FileName);
    m_graphic = std::move(g);
    m_graphicLink.Connect(m_graphic->Changes(), [this](TObject*) { GraphicChanged(); });
    GraphicChanged();
}

void TPicture::SaveToFile(const std::string& FileName) const
{
    if (!m_graphic)
        throw EInvalidGraphic("Cannot save an empty picture");
    m_graphic->SaveToFile(FileName);
}

void TPicture::Assign(TPersistent* Source)
{
    if (!Source) {
        SetGraphic(nullptr);
        return;
    }
    if (auto* pic = dynamic_cast<TPicture*>(Source)) {
        if (pic != this)
            SetGraphic(pic->Graphic());
        return;
    }
    if (auto* g = dynamic_cast<TGraphic*>(Source)) {
        SetGraphic(g);
        return;
    }
    TPersistent::Assign(Source);
}

void TPicture::RegisterFileFormat(const std::string& Extension, const std::string& Description,
                                  GraphicFactory Factory)
{
    const std::string ext = LowerCase(Extension);
    auto& formats = Formats();
    for (auto& f : formats)
        if (f.first == ext) {
            f.second = {Description, std::move(Factory)};
            return;
        }
    formats.push_back({ext, {Description, std::move(Factory)}});
}

void TPicture::UnregisterFileFormat(const std::string& Extension)
{
    const std::string ext = LowerCase(Extension);
    auto& formats = Formats();
    formats.erase(std::remove_if(formats.begin(), formats.end(), [&](const auto& F) { return F.first == ext; }),
                  formats.end());
}

bool TPicture::SupportsExtension(const std::string& Extension)
{
    const std::string ext = LowerCase(Extension);
    const auto& formats = Formats();
    return std::any_of(formats.begin(), formats.end(), [&](const auto& F) { return F.first == ext; });
}

std::string TPicture::GraphicFilter()
{
    std::string all, parts;
    for (const auto& [ext, entry] : Formats()) {
        all += (all.empty() ? "" : ";") + std::string("*.") + ext;
        parts += "|" + entry.description + " (*." + ext + ")|*." + ext;
    }
    return "All (" + all + ")|" + all + parts;
}

} // namespace qel
