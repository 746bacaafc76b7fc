#pragma once
// TdxReportTitle: the title a report link prints above its first page row
// (or its first page): text, font, colour, alignments and where it goes.
// Changes that move the page breaks (mode, text, font, scaling with the
// report) make the link recalculate its pages; colour, alignments and
// transparency only change the drawing.
#include "platform/core/ChangeLink.h"
#include "platform/core/Component.h"
#include "platform/graphics/Graphics.h"
#include "printing/Pagination.h"
#include "printing/ReportCells.h"

#include <memory>
#include <string>

namespace qel {

class TBasedxReportLink;

class TdxReportTitle : public TPersistent {
    QEL_CLASS(TdxReportTitle)
public:
    explicit TdxReportTitle(TBasedxReportLink* AReportLink = nullptr);
    ~TdxReportTitle() override;

    TBasedxReportLink* ReportLink() const { return m_reportLink; }

    bool AdjustOnReportScale() const { return m_adjustOnReportScale; }
    void SetAdjustOnReportScale(bool Value);
    TColor Color() const { return m_color; }
    void SetColor(TColor Value) { m_color = Value; }
    // "Times New Roman", 14 points, bold. A stored font: drawing scales copies of it.
    TFont* Font() const { return m_font.get(); }
    void SetFont(TFont* Value) { m_font->Assign(Value); }
    TdxReportTitleMode Mode() const { return m_mode; }
    void SetMode(TdxReportTitleMode Value);
    const std::string& Text() const { return m_text; }
    // A text that differs only in case is stored without recalculating.
    void SetText(const std::string& Value);
    TdxTextAlignX TextAlignX() const { return m_textAlignX; }
    void SetTextAlignX(TdxTextAlignX Value) { m_textAlignX = Value; }
    TdxTextAlignY TextAlignY() const { return m_textAlignY; }
    void SetTextAlignY(TdxTextAlignY Value) { m_textAlignY = Value; }
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool Value) { m_transparent = Value; }

    // A recalculation asked for inside the bracket runs once at its end.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return m_updateCount; }

    // Every property, inside one update bracket.
    void Assign(TPersistent* Source) override;
    void RestoreDefaults();

private:
    void Changed();
    void SetDefaultFont();

    TBasedxReportLink* m_reportLink;
    bool m_adjustOnReportScale{false};
    TColor m_color{clWhite};
    std::unique_ptr<TFont> m_font;
    TdxReportTitleMode m_mode{tmOnEveryTopPage};
    std::string m_text;
    TdxTextAlignX m_textAlignX{taCenterX};
    TdxTextAlignY m_textAlignY{taCenterY};
    bool m_transparent{true};
    int m_updateCount{0};
    bool m_changedInUpdate{false};
    TChangeLink m_fontLink;
};

} // namespace qel
