#pragma once
// Maps the font names the components use to installed families and builds
// unhinted Qt fonts, so that text measures the same on screen and on paper.
#include <QFont>

#include <map>
#include <set>
#include <string>

namespace qel::detail {

class FontCache {
public:
    static FontCache& Instance();

    std::string Family(const std::string& Name);
    // `Height` as TFont::Height: negative = character height, positive = cell height.
    QFont Font(const std::string& Name, int Height, bool Bold, bool Italic, bool Underline,
               bool StrikeOut, bool FixedPitch);

private:
    FontCache() = default;
    void LoadFamilies();
    double CellRatio(const QFont& Font);

    bool m_loaded{false};
    std::set<std::string> m_installed;       // lower-case family names
    std::map<std::string, std::string> m_installedCase;
    std::string m_sans;
    std::map<std::string, std::string> m_mapped;
    std::map<std::string, double> m_ratios;
};

} // namespace qel::detail
