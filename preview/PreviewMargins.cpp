#include "preview/PreviewMargins.h"

#include "platform/core/ClassRegistry.h"
#include "platform/core/Locale.h"
#include "platform/core/PropertyRegistry.h"
#include "platform/core/Stream.h"
#include "platform/core/Streaming.h"
#include "preview/Preview.h"

#include <algorithm>
#include <climits>

namespace qel {

QEL_REGISTER_CLASS(TdxPreviewMargin, TPersistent);
QEL_REGISTER_CLASS(TdxPreviewMargins, TPersistent);

namespace {

const bool g_marginProperties = [] {
    TPropertyRegistrar<TdxPreviewMargins>("TdxPreviewMargins")
        .DefineProperties([](TdxPreviewMargins& M, TFiler& F) {
            F.DefineBinaryProperty(
                "Margins", [&M](TStream& S) { M.ReadData(S); }, [&M](TStream& S) { M.WriteData(S); }, true);
        });
    return true;
}();

const char* const kKindNames[dxPreviewMarginCount] = {"pmLeft",   "pmTop",    "pmRight", "pmBottom",
                                                      "pmGutter", "pmHeader", "pmFooter"};

} // namespace

// ===== TdxPreviewMargin ===========================================================

TdxPreviewMargin::TdxPreviewMargin(TdxPreviewMargins* Owner, TdxPreviewMarginType Kind)
    : m_owner(Owner), m_kind(Kind), m_value(DefaultValue(Kind))
{
}

TCustomdxPreview* TdxPreviewMargin::Preview() const { return m_owner ? m_owner->Preview() : nullptr; }

int TdxPreviewMargin::DefaultValue(TdxPreviewMarginType Kind)
{
    switch (Kind) {
    case pmGutter: return 0;
    case pmHeader:
    case pmFooter: return 127;
    default: return 254;
    }
}

std::string TdxPreviewMargin::Caption(TdxPreviewMarginType Kind)
{
    switch (Kind) {
    case pmLeft: return "Left Margin";
    case pmTop: return "Top Margin";
    case pmRight: return "Right Margin";
    case pmBottom: return "Bottom Margin";
    case pmGutter: return "Gutter";
    case pmHeader: return "Header";
    default: return "Footer";
    }
}

std::string TdxPreviewMargin::NamePath() const
{
    if (!m_owner)
        return ClassName();
    std::string owner = "Margins";
    if (TCustomdxPreview* p = Preview(); p && !p->Name().empty())
        owner = p->Name() + ".Margins";
    return owner + "[" + kKindNames[m_kind] + "]";
}

bool TdxPreviewMargin::Live() const
{
    const TCustomdxPreview* p = Preview();
    return p && !p->IsLoading();
}

int TdxPreviewMargin::Other(TdxPreviewMarginType Kind) const { return m_owner->Items(Kind)->m_value; }

int TdxPreviewMargin::MaxBeforeFloor() const
{
    const TCustomdxPreview* p = Preview();
    const TPoint page = p->PageSize();
    const TPoint useful = p->MinUsefulSize();
    const int W = page.X, H = page.Y, Wu = useful.X, Hu = useful.Y;
    const int L = Other(pmLeft), T = Other(pmTop), R = Other(pmRight), B = Other(pmBottom), G = Other(pmGutter);
    const TdxPreviewMargin* bottom = m_owner->Bottom();
    const TdxPreviewMargin* top = m_owner->Top();
    int limit = 0;
    switch (m_kind) {
    case pmLeft: limit = W - (G + Wu + R); break;
    case pmTop:
        limit = H - (std::max({B, bottom->m_minValue, m_owner->Footer()->m_minValue + p->MinFooterSize()}) + Hu);
        break;
    case pmRight: limit = W - (G + L + Wu); break;
    case pmBottom:
        limit = H - (std::max({T, top->m_minValue, m_owner->Header()->m_minValue + p->MinHeaderSize()}) + Hu);
        break;
    case pmGutter: limit = W - (L + Wu + R); break;
    case pmHeader: limit = H - (B + p->MinHeaderSize() + Hu); break;
    case pmFooter: limit = H - (T + Hu + p->MinFooterSize()); break;
    }
    if (m_maxValue != -1 && m_maxValue < limit)
        limit = m_maxValue;
    return limit;
}

int TdxPreviewMargin::ActualMinValue() const
{
    if (!Live())
        return m_minValue;
    const TCustomdxPreview* p = Preview();
    switch (m_kind) {
    case pmTop: return std::max(m_minValue, std::min(Other(pmHeader) + p->MinHeaderSize(), MaxBeforeFloor()));
    case pmBottom: return std::max(m_minValue, std::min(Other(pmFooter) + p->MinFooterSize(), MaxBeforeFloor()));
    default: return m_minValue;
    }
}

int TdxPreviewMargin::ActualMaxValue() const
{
    if (!Live())
        return m_maxValue == -1 ? INT_MAX : m_maxValue;
    // A page too small for this margin's own minimum leaves no room at all,
    // not a range that ends below where it starts.
    return std::max(MaxBeforeFloor(), ActualMinValue());
}

void TdxPreviewMargin::SetValue(int Value)
{
    Value = std::min(std::max(Value, ActualMinValue()), ActualMaxValue());
    if (Value == m_value)
        return;
    m_value = Value;
    TCustomdxPreview* p = Preview();
    if (!p || p->IsLoading())
        return;
    p->DoMarginChanged(this);
    if (m_kind == pmHeader && Other(pmTop) - Value < p->MinHeaderSize())
        m_owner->Top()->SetValue(Value + p->MinHeaderSize());
    if (m_kind == pmFooter && Other(pmBottom) - Value < p->MinFooterSize())
        m_owner->Bottom()->SetValue(Value + p->MinFooterSize());
    p->MarginsChanged();
}

int TdxPreviewMargin::Room() const
{
    const TCustomdxPreview* p = Preview();
    const TPoint page = p->PageSize();
    const TPoint useful = p->MinUsefulSize();
    const int W = page.X, H = page.Y, Wu = useful.X, Hu = useful.Y;
    switch (m_kind) {
    case pmLeft: return W - (Other(pmRight) + Wu + Other(pmGutter));
    case pmTop: return H - (Other(pmBottom) + Hu);
    case pmRight: return W - (Other(pmLeft) + Wu + Other(pmGutter));
    case pmBottom: return H - (Other(pmTop) + Hu);
    case pmGutter: return W - (Other(pmRight) + Wu + Other(pmLeft));
    case pmHeader: return H - (Other(pmBottom) + Hu + p->MinHeaderSize());
    default: return H - (Other(pmTop) + Hu + p->MinFooterSize());
    }
}

void TdxPreviewMargin::SetMinValue(int Value)
{
    if (Preview())
        Value = std::min(Value, Room());
    // Last, so that a page without room gives 0 rather than a negative minimum.
    Value = std::max(Value, 0);
    m_minValue = Value;
    if (m_maxValue != -1 && m_maxValue < Value)
        m_maxValue = Value;
    if (m_value < Value)
        SetValue(Value);
}

void TdxPreviewMargin::SetMaxValue(int Value)
{
    Value = std::max(Value, -1);
    m_maxValue = Value;
    if (Value == -1)
        return;
    if (m_minValue > Value)
        m_minValue = Value;
    if (m_value > Value)
        SetValue(Value);
}

void TdxPreviewMargin::SetEnabled(bool Value)
{
    if (Value == m_enabled)
        return;
    m_enabled = Value;
    if (TCustomdxPreview* p = Preview())
        p->InvalidateMarginLine(this);
}

void TdxPreviewMargin::SetVisible(bool Value)
{
    if (Value == m_visible)
        return;
    m_visible = Value;
    if (TCustomdxPreview* p = Preview())
        p->InvalidateMarginLine(this);
}

void TdxPreviewMargin::Assign(TPersistent* Source)
{
    auto* m = dynamic_cast<TdxPreviewMargin*>(Source);
    if (!m) {
        TPersistent::Assign(Source);
        return;
    }
    SetEnabled(m->m_enabled);
    SetMaxValue(m->m_maxValue);
    SetMinValue(m->m_minValue);
    SetValue(m->m_value);
    SetVisible(m->m_visible);
}

// ----- on the screen -------------------------------------------------------------------

int TdxPreviewMargin::ValueToPixel(int Value) const
{
    const TCustomdxPreview* p = Preview();
    if (!p)
        return 0;
    const TRect page = p->MarginsPageRect();
    const int d = p->ValueToPixels(m_kind == pmLeft ? Value + Other(pmGutter) : Value);
    switch (m_kind) {
    case pmLeft:
    case pmGutter: return page.Left + d;
    case pmTop:
    case pmHeader: return page.Top + d;
    case pmRight: return page.Right - 1 - d;
    default: return page.Bottom - 1 - d;
    }
}

int TdxPreviewMargin::MinPixel() const
{
    return ValueToPixel(IsNear() ? ActualMinValue() : ActualMaxValue());
}

int TdxPreviewMargin::MaxPixel() const
{
    return ValueToPixel(IsNear() ? ActualMaxValue() : ActualMinValue());
}

int TdxPreviewMargin::PixelToValue(int Pixel) const
{
    const TCustomdxPreview* p = Preview();
    if (!p)
        return m_value;
    // The ends of the drag stand for the limits exactly, and the line's own pixel for the value.
    if (Pixel == MinPixel())
        return IsNear() ? ActualMinValue() : ActualMaxValue();
    if (Pixel == MaxPixel())
        return IsNear() ? ActualMaxValue() : ActualMinValue();
    if (Pixel == ValueToPixel(m_value))
        return m_value;
    const TRect page = p->MarginsPageRect();
    int distance = 0;
    switch (m_kind) {
    case pmLeft:
    case pmGutter: distance = Pixel - page.Left; break;
    case pmTop:
    case pmHeader: distance = Pixel - page.Top; break;
    case pmRight: distance = page.Right - 1 - Pixel; break;
    default: distance = page.Bottom - 1 - Pixel; break;
    }
    const int value = p->PixelsToValue(distance);
    return m_kind == pmLeft ? value - Other(pmGutter) : value;
}

TRect TdxPreviewMargin::LineRect() const
{
    const TCustomdxPreview* p = Preview();
    if (!p)
        return {};
    const TRect page = p->MarginsPageRect();
    if (IsRectEmpty(page))
        return {};
    const int at = m_dragging ? m_dragPos : ValueToPixel(m_value);
    return IsVertical() ? Rect(at, page.Top, at + 1, page.Bottom) : Rect(page.Left, at, page.Right, at + 1);
}

bool TdxPreviewMargin::SetDragPos(int Pixel)
{
    Pixel = std::clamp(Pixel, MinPixel(), MaxPixel());
    if (m_dragging && Pixel == m_dragPos)
        return false;
    m_dragging = true;
    m_dragPos = Pixel;
    return true;
}

// ===== TdxPreviewMargins ==========================================================

TdxPreviewMargins::TdxPreviewMargins(TCustomdxPreview* Preview) : m_preview(Preview)
{
    for (int k = 0; k < dxPreviewMarginCount; ++k)
        m_items[k] = std::make_unique<TdxPreviewMargin>(this, static_cast<TdxPreviewMarginType>(k));
}

TdxPreviewMargins::~TdxPreviewMargins() = default;

void TdxPreviewMargins::Assign(TPersistent* Source)
{
    auto* m = dynamic_cast<TdxPreviewMargins*>(Source);
    if (!m) {
        TPersistent::Assign(Source);
        return;
    }
    for (int k = 0; k < dxPreviewMarginCount; ++k)
        m_items[k]->Assign(m->m_items[k].get());
}

namespace {

void PutInt(std::string& Out, std::int32_t V)
{
    const auto u = static_cast<std::uint32_t>(V);
    for (int i = 0; i < 4; ++i)
        Out.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
}

std::int32_t GetInt(const std::string& In, std::size_t At)
{
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i)
        u |= static_cast<std::uint32_t>(static_cast<unsigned char>(In[At + i])) << (8 * i);
    return static_cast<std::int32_t>(u);
}

bool GetBool(const std::string& In, std::size_t At)
{
    const auto b = static_cast<unsigned char>(In[At]);
    if (b > 1)
        throw EReadError("Invalid margins data");
    return b == 1;
}

} // namespace

void TdxPreviewMargins::WriteData(TStream& Stream) const
{
    std::string bytes;
    for (const auto& m : m_items) {
        PutInt(bytes, m->m_maxValue);
        PutInt(bytes, m->m_minValue);
        PutInt(bytes, m->m_value);
        bytes.push_back(m->m_enabled ? 1 : 0);
        bytes.push_back(m->m_visible ? 1 : 0);
    }
    Stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

std::array<TdxPreviewMarginRecord, dxPreviewMarginCount> TdxPreviewMargins::ParseData(const std::string& Bytes)
{
    if (Bytes.size() != static_cast<std::size_t>(dxPreviewMarginCount * dxPreviewMarginRecordSize))
        throw EReadError("Invalid margins data");
    std::array<TdxPreviewMarginRecord, dxPreviewMarginCount> records;
    for (std::size_t k = 0; k < records.size(); ++k) {
        const std::size_t at = k * dxPreviewMarginRecordSize;
        records[k].MaxValue = GetInt(Bytes, at);
        records[k].MinValue = GetInt(Bytes, at + 4);
        records[k].Value = GetInt(Bytes, at + 8);
        records[k].Enabled = GetBool(Bytes, at + 12);
        records[k].Visible = GetBool(Bytes, at + 13);
    }
    return records;
}

void TdxPreviewMargins::ReadData(TStream& Stream)
{
    const std::int64_t size = Stream.Size() - Stream.Position();
    if (size != dxPreviewMarginCount * dxPreviewMarginRecordSize)
        throw EReadError("Invalid margins data");
    const auto records = ParseData(Stream.ReadBytes(size));
    for (std::size_t k = 0; k < records.size(); ++k) {
        TdxPreviewMargin* m = m_items[k].get();
        m->SetMaxValue(records[k].MaxValue);
        m->SetMinValue(records[k].MinValue);
        m->SetValue(records[k].Value);
        m->SetEnabled(records[k].Enabled);
        m->SetVisible(records[k].Visible);
    }
}

// ===== units ======================================================================

TdxPreviewMeasurementUnits ResolvePreviewUnits(TdxPreviewMeasurementUnits Units)
{
    if (Units != pmuDefault)
        return Units;
    return FormatSettings().MeasureMetric ? pmuMillimeters : pmuInches;
}

std::string PreviewUnitText(int Value, TdxPreviewMeasurementUnits Units)
{
    double v = Value;
    std::string format = "########0.#";
    std::string unit;
    switch (ResolvePreviewUnits(Units)) {
    case pmuInches: v /= 254; format += "#"; unit = "\""; break;
    case pmuCentimeters: v /= 100; format += "#"; unit = "cm"; break;
    case pmuPoints: v = v * 72 / 254; unit = "pt"; break;
    case pmuPicas: v = v * 6 / 254; format += "#"; unit = "pi"; break;
    default: v /= 10; unit = "mm"; break;
    }
    return FormatFloat(format, v) + " " + unit;
}

std::string PreviewMarginHintText(const TdxPreviewMargin& Margin, TdxPreviewMeasurementUnits Units)
{
    return TdxPreviewMargin::Caption(Margin.Kind()) + ": " + PreviewUnitText(Margin.DisplayValue(), Units);
}

} // namespace qel
