#pragma once
// The engine's fixed table of standard paper sizes, keyed by DMPAPER code.
// It does not depend on any printer: the papers a printer really offers come
// from the printer device.
#include "platform/core/Component.h"

#include <memory>
#include <string>
#include <vector>

namespace qel {

// Paper code of the custom-size row, always the last row of the table.
inline constexpr int DMPAPER_USER = 256;

// One row: names and size in tenths of a millimetre.
class TdxPaper : public TPersistent {
    QEL_CLASS(TdxPaper)
public:
    TdxPaper() = default;
    TdxPaper(std::string Name, std::string ShortName, int Width, int Height, int DmPaper);

    void Assign(TPersistent* Source) override;

    const std::string& Name() const { return m_name; }
    void SetName(const std::string& Value) { m_name = Value; }
    const std::string& ShortName() const { return m_shortName; }
    void SetShortName(const std::string& Value) { m_shortName = Value; }
    int Width() const { return m_width; }
    void SetWidth(int Value) { m_width = Value; }
    int Height() const { return m_height; }
    void SetHeight(int Value) { m_height = Value; }
    int DMPaper() const { return m_dmPaper; }
    void SetDMPaper(int Value) { m_dmPaper = Value; }

private:
    std::string m_name;
    std::string m_shortName;
    int m_width{0};
    int m_height{0};
    int m_dmPaper{0};
};

class TdxPapers : public TPersistent {
    QEL_CLASS(TdxPapers)
public:
    // Filled with the standard rows followed by "Custom".
    TdxPapers();
    ~TdxPapers() override;

    // From another table or nullptr (which leaves the table empty).
    void Assign(TPersistent* Source) override;

    int Count() const { return static_cast<int>(m_items.size()); }
    // Raises EListError for an index outside the table.
    TdxPaper* Items(int Index) const;

    // First row with that code, -1 when none.
    int IndexOfDMPaper(int Code) const;
    // First row whose sides each lie within 1 (tenth of a millimetre) of the
    // given size, -1 when none.
    int IndexOfSize(int Width, int Height) const;
    // First row whose long name, else first row whose short name, equals the
    // text exactly; -1 when none.
    int IndexOfName(const std::string& Name) const;

    void Clear();

private:
    void Add(std::unique_ptr<TdxPaper> Paper);
    void Fill();

    std::vector<std::unique_ptr<TdxPaper>> m_items;
};

// The process-wide table, built on first use.
TdxPapers& dxPapers();

} // namespace qel
