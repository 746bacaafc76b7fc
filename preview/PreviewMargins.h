#pragma once
// The seven margins of the preview's page (left, top, right, bottom, gutter,
// header, footer) in tenths of a millimetre: their limits against each other
// and the page, the conversion between values and screen pixels on the
// selected page, the hint texts in the preview's measurement units, and the
// binary form of the seven records.
//
// Limits hold whatever order values arrive in: every upper limit is at
// least its lower limit, and no lower limit is negative, so a drag's pixel
// bounds are never inverted and a margin never ends below its MinValue.
#include "platform/core/Component.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/Geometry.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace qel {

class TCustomdxPreview;
class TdxPreviewMargins;
class TStream;

enum TdxPreviewMarginType : std::uint8_t { pmLeft, pmTop, pmRight, pmBottom, pmGutter, pmHeader, pmFooter };
inline constexpr int dxPreviewMarginCount = 7;

enum TdxPreviewMeasurementUnits : std::uint8_t {
    pmuDefault, pmuInches, pmuMillimeters, pmuCentimeters, pmuPoints, pmuPicas
};

class TdxPreviewMargin : public TPersistent {
    QEL_CLASS(TdxPreviewMargin)
public:
    TdxPreviewMargin(TdxPreviewMargins* Owner, TdxPreviewMarginType Kind);

    TdxPreviewMarginType Kind() const { return m_kind; }
    TdxPreviewMargins* Margins() const { return m_owner; }
    // The preview, when the margins belong to one.
    TCustomdxPreview* Preview() const;

    int Value() const { return m_value; }
    void SetValue(int Value);
    int MinValue() const { return m_minValue; }
    void SetMinValue(int Value);
    // -1: no upper limit of its own.
    int MaxValue() const { return m_maxValue; }
    void SetMaxValue(int Value);
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool Value);
    bool Visible() const { return m_visible; }
    void SetVisible(bool Value);

    // The limits Value is kept in: against the page and the other margins
    // while the margins belong to a preview that is not loading, else
    // MinValue and MaxValue (no limit when it is -1).
    int ActualMinValue() const;
    int ActualMaxValue() const;

    static int DefaultValue(TdxPreviewMarginType Kind);
    // "Left Margin", "Top Margin" ... "Footer".
    static std::string Caption(TdxPreviewMarginType Kind);
    // Left, right and gutter are vertical lines.
    bool IsVertical() const { return m_kind == pmLeft || m_kind == pmRight || m_kind == pmGutter; }
    // Near kinds move right (down) as they grow; far kinds are measured from the right (bottom) edge.
    bool IsNear() const { return m_kind == pmLeft || m_kind == pmTop || m_kind == pmGutter || m_kind == pmHeader; }
    // "Margins[pmLeft]" under the owner's path; the class name without one.
    std::string NamePath() const;

    // ----- on the screen (the preview's selected page, else page 0) ---------------
    // The line's coordinate across it (x of a vertical line, y of a horizontal one).
    int ValueToPixel(int Value) const;
    int PixelToValue(int Pixel) const;
    // The pixels a drag may reach: the pixels of the two limits, smallest first.
    int MinPixel() const;
    int MaxPixel() const;
    // The one-pixel line across the page at the value, or at the drag position while dragged.
    TRect LineRect() const;
    // The coordinate of the dragged line; none (-1 answer from DragPos) when idle.
    bool Dragging() const { return m_dragging; }
    int DragPos() const { return m_dragPos; }
    // The value the line stands for: the drag position's while dragged, else Value.
    int DisplayValue() const { return m_dragging ? PixelToValue(m_dragPos) : m_value; }

    void Assign(TPersistent* Source) override;

private:
    friend class TCustomdxPreview;
    friend class TdxPreviewMargins;

    bool Live() const;
    int MaxBeforeFloor() const;
    // The room the page leaves this kind for its MinValue.
    int Room() const;
    // Clamps into the pixel bounds; answers whether the position changed.
    bool SetDragPos(int Pixel);
    void EndDrag() { m_dragging = false; m_dragPos = -1; }
    int Other(TdxPreviewMarginType Kind) const;

    TdxPreviewMargins* m_owner;
    TdxPreviewMarginType m_kind;
    int m_value;
    int m_minValue{0};
    int m_maxValue{-1};
    bool m_enabled{true};
    bool m_visible{true};
    bool m_dragging{false};
    int m_dragPos{-1};
};

// The record of one margin in the binary "Margins" form: 14 bytes, little-endian.
struct TdxPreviewMarginRecord {
    std::int32_t MaxValue = -1;
    std::int32_t MinValue = 0;
    std::int32_t Value = 0;
    bool Enabled = true;
    bool Visible = true;
};
inline constexpr int dxPreviewMarginRecordSize = 14;

class TdxPreviewMargins : public TPersistent {
    QEL_CLASS(TdxPreviewMargins)
public:
    // Without a preview the margins keep only their own limits.
    explicit TdxPreviewMargins(TCustomdxPreview* Preview = nullptr);
    ~TdxPreviewMargins() override;

    TCustomdxPreview* Preview() const { return m_preview; }
    TdxPreviewMargin* Items(TdxPreviewMarginType Kind) const { return m_items[Kind].get(); }
    TdxPreviewMargin* Left() const { return Items(pmLeft); }
    TdxPreviewMargin* Top() const { return Items(pmTop); }
    TdxPreviewMargin* Right() const { return Items(pmRight); }
    TdxPreviewMargin* Bottom() const { return Items(pmBottom); }
    TdxPreviewMargin* Gutter() const { return Items(pmGutter); }
    TdxPreviewMargin* Header() const { return Items(pmHeader); }
    TdxPreviewMargin* Footer() const { return Items(pmFooter); }

    // Copies the seven margins of another set.
    void Assign(TPersistent* Source) override;

    // The binary form: seven records in kind order. Reading refuses data of
    // another length and Booleans other than 0 and 1 (EReadError "Invalid
    // margins data") before it changes anything; each record then goes
    // through the setters, so stored values cannot break the limits.
    void WriteData(TStream& Stream) const;
    void ReadData(TStream& Stream);
    static std::array<TdxPreviewMarginRecord, dxPreviewMarginCount> ParseData(const std::string& Bytes);

private:
    TCustomdxPreview* m_preview;
    std::array<std::unique_ptr<TdxPreviewMargin>, dxPreviewMarginCount> m_items;
};

// ----- measurement units --------------------------------------------------------------------
// pmuDefault follows the locale: millimetres where it measures metric, else inches.
TdxPreviewMeasurementUnits ResolvePreviewUnits(TdxPreviewMeasurementUnits Units);
// A length in tenths of a millimetre as the units show it: "2,54 cm", "25,4 mm",
// "72 pt", "1 \"" (the locale's decimal separator).
std::string PreviewUnitText(int Value, TdxPreviewMeasurementUnits Units);
// "Left Margin: 2,54 cm".
std::string PreviewMarginHintText(const TdxPreviewMargin& Margin, TdxPreviewMeasurementUnits Units);

} // namespace qel
