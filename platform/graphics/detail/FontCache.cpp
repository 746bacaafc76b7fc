#include "platform/graphics/detail/FontCache.h"

#include "platform/core/Locale.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace qel::detail {

namespace {

struct Alias {
    const char* name;
    const char* family;
};

// Metric-compatible replacements for the names the original system uses.
// "*sans*" stands for the one sans family chosen for dialog fonts.
constexpr Alias kAliases[] = {
    {"arial", "Liberation Sans"},       {"helvetica", "Liberation Sans"},
    {"arial narrow", "Liberation Sans"}, {"times new roman", "Liberation Serif"},
    {"times", "Liberation Serif"},       {"courier new", "Liberation Mono"},
    {"courier", "Liberation Mono"},      {"ms sans serif", "*sans*"},
    {"tahoma", "*sans*"},
};

} // namespace

FontCache& FontCache::Instance()
{
    static FontCache cache;
    return cache;
}

void FontCache::LoadFamilies()
{
    if (m_loaded)
        return;
    // Without a GUI application the font database is not available; the
    // names then go to Qt unmapped and the font engine picks.
    if (!QGuiApplication::instance())
        return;
    m_loaded = true;
    for (const QString& f : QFontDatabase::families()) {
        const std::string name = f.toStdString();
        m_installed.insert(LowerCase(name));
        m_installedCase[LowerCase(name)] = name;
    }
    for (const char* candidate : {"DejaVu Sans", "Liberation Sans"}) {
        if (m_installed.count(LowerCase(candidate))) {
            m_sans = candidate;
            break;
        }
    }
    if (m_sans.empty())
        m_sans = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family().toStdString();
}

std::string FontCache::Family(const std::string& Name)
{
    LoadFamilies();
    if (!m_loaded)
        return Name;
    auto hit = m_mapped.find(Name);
    if (hit != m_mapped.end())
        return hit->second;
    const std::string key = LowerCase(Name);
    std::string result;
    for (const Alias& a : kAliases) {
        if (key == a.name) {
            const std::string target = a.family;
            if (target == "*sans*" || !m_installed.count(LowerCase(target)))
                result = m_sans;
            else
                result = target;
            break;
        }
    }
    if (result.empty())
        result = m_installed.count(key) ? m_installedCase[key] : m_sans;
    m_mapped[Name] = result;
    return result;
}

double FontCache::CellRatio(const QFont& Font)
{
    const std::string key = Font.family().toStdString() + (Font.bold() ? "|b" : "|") +
                            (Font.italic() ? "i" : "");
    auto it = m_ratios.find(key);
    if (it != m_ratios.end())
        return it->second;
    QFont probe(Font);
    probe.setPixelSize(1000);
    QFontMetricsF fm(probe);
    double ratio = fm.height() / 1000.0;
    if (!(ratio > 0.1 && ratio < 10))
        ratio = 1.15;
    m_ratios[key] = ratio;
    return ratio;
}

QFont FontCache::Font(const std::string& Name, int Height, bool Bold, bool Italic, bool Underline,
                      bool StrikeOut, bool FixedPitch)
{
    QFont f;
    f.setFamilies({QString::fromStdString(Family(Name))});
    f.setBold(Bold);
    f.setItalic(Italic);
    f.setUnderline(Underline);
    f.setStrikeOut(StrikeOut);
    f.setFixedPitch(FixedPitch);
    // Unhinted outlines without kerning: advances then scale linearly with
    // the size and add up per character, so layout agrees between devices.
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    f.setStyleStrategy(QFont::PreferOutline);
    // Heights beyond any sensible size (a metre of text at 9600 units per inch) are capped.
    constexpr long long kMaxPixels = 400000;
    const long long magnitude = std::min(kMaxPixels, std::llabs(static_cast<long long>(Height)));
    int pixels;
    if (Height < 0)
        pixels = int(magnitude);
    else if (Height > 0)
        pixels = std::max(1, int(std::lround(double(magnitude) / CellRatio(f))));
    else
        pixels = 11; // the platform's default height for an unset one
    f.setPixelSize(std::max(1, pixels));
    return f;
}

} // namespace qel::detail
