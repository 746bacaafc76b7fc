// What of the preview is kept: its published properties in form streams
// (the margins as their binary records), and its settings in the settings
// store (options, zoom step, margin colour, units, orientation and, with
// posZoom, the zoom).
#include "preview/Preview.h"

#include "platform/core/PropertyRegistry.h"
#include "platform/storage/Registry.h"

namespace qel {

namespace {

const bool g_previewProperties = [] {
    using P = TCustomdxPreview;
    TPropertyRegistrar<P>("TCustomdxPreview")
        .Enumeration("LookAndFeel", &P::LookAndFeel, &P::SetLookAndFeel, {"plfStandard", "plfFlat", "plfUltraFlat"},
                     plfStandard)
        .Color("MarginColor", &P::MarginColor, &P::SetMarginColor, clWindowText)
        .Persistent("Margins", &P::Margins)
        .Integer("MaxZoomFactor", &P::MaxZoomFactor, &P::SetMaxZoomFactor, 500)
        .Enumeration("MeasurementUnits", &P::MeasurementUnits, &P::SetMeasurementUnits,
                     {"pmuDefault", "pmuInches", "pmuMillimeters", "pmuCentimeters", "pmuPoints", "pmuPicas"},
                     pmuDefault)
        .Integer("MinFooterSize", &P::MinFooterSize, &P::SetMinFooterSize, 127)
        .Integer("MinHeaderSize", &P::MinHeaderSize, &P::SetMinHeaderSize, 127)
        .Integer("MinZoomFactor", &P::MinZoomFactor, &P::SetMinZoomFactor, 10)
        .Set("OptionsBehavior", &P::OptionsBehavior, &P::SetOptionsBehavior,
             {"pobAllowDragMargins", "pobHotTrack", "pobKeyNavigation", "pobStoreInRegistry", "pobThumbTracking"},
             TdxPreviewOptionsBehavior{pobAllowDragMargins, pobKeyNavigation, pobThumbTracking}.ToBits())
        .Set("OptionsHint", &P::OptionsHint, &P::SetOptionsHint,
             {"pohShowForMargins", "pohShowOnDrag", "pohShowOnScroll"}, 7)
        .Set("OptionsStore", &P::OptionsStore, &P::SetOptionsStore, {"posZoom"}, 1)
        .Set("OptionsView", &P::OptionsView, &P::SetOptionsView,
             {"povAutoHideScrollBars", "povDefaultDrawPageBackground", "povMargins", "povPageSelection"}, 15)
        .Set("OptionsZoom", &P::OptionsZoom, &P::SetOptionsZoom, {"pozZoomOnClick", "pozZoomOnMouseRoll"}, 1)
        .Enumeration("Orientation", &P::Orientation, &P::SetOrientation, {"ppoPortrait", "ppoLandscape"},
                     ppoPortrait)
        .Persistent("PageBackground", &P::PageBackground)
        .Integer("PageXCount", &P::PageXCount, &P::SetPageXCount, 1)
        .Integer("PageYCount", &P::PageYCount, &P::SetPageYCount, 1)
        .Enumeration("ScrollBars", &P::ScrollBars, &P::SetScrollBars, {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"},
                     ssBoth)
        .Integer("ZoomFactor", &P::ZoomFactor, &P::SetZoomFactor, 100)
        .Enumeration("ZoomMode", &P::ZoomMode, &P::SetZoomMode, {"pzmNone", "pzmPageWidth", "pzmPages"}, pzmNone)
        .Integer("ZoomStep", &P::ZoomStep, &P::SetZoomStep, 10);
    return true;
}();

// Only integers count: a value of another type is left alone, as one outside its range is.
bool ReadInt(TRegistry& Reg, const char* Name, int& Value)
{
    if (!Reg.ValueExists(Name) || Reg.GetDataType(Name) != rdInteger)
        return false;
    Value = Reg.ReadInteger(Name);
    return true;
}

template <class E>
bool ReadOrdinal(TRegistry& Reg, const char* Name, E Last, E& Value)
{
    int v = 0;
    if (!ReadInt(Reg, Name, v) || v < 0 || v > static_cast<int>(Last))
        return false;
    Value = static_cast<E>(v);
    return true;
}

template <class S>
bool ReadSet(TRegistry& Reg, const char* Name, int Count, S& Value)
{
    int v = 0;
    if (!ReadInt(Reg, Name, v))
        return false;
    Value = S::FromBits(static_cast<std::uint64_t>(static_cast<std::uint32_t>(v)) & ((1u << Count) - 1));
    return true;
}

} // namespace

void TCustomdxPreview::SaveToRegistry(const std::string& Key)
{
    TRegistry reg;
    if (!reg.OpenKey(Key, true))
        return;
    reg.WriteInteger("OptionHint", static_cast<std::int32_t>(m_optionsHint.ToBits()));
    reg.WriteInteger("OptionView", static_cast<std::int32_t>(m_optionsView.ToBits()));
    reg.WriteInteger("OptionZoom", static_cast<std::int32_t>(m_optionsZoom.ToBits()));
    reg.WriteInteger("ZoomStep", m_zoomStep);
    reg.WriteInteger("MarginColor", static_cast<std::int32_t>(m_marginColor));
    reg.WriteInteger("MeasurementUnits", m_measurementUnits);
    reg.WriteInteger("Orientation", m_orientation);
    if (!m_optionsStore.Contains(posZoom))
        return;
    reg.WriteInteger("ZoomFactor", m_zoomFactor);
    reg.WriteInteger("ZoomMode", m_zoomMode);
    if (m_zoomMode == pzmPages) {
        reg.WriteInteger("PageXCount", m_pageXCount);
        reg.WriteInteger("PageYCount", m_pageYCount);
    }
}

void TCustomdxPreview::LoadFromRegistry(const std::string& Key)
{
    TRegistry reg;
    // A key that cannot be opened (or made, in a store that cannot be written) leaves everything as it is.
    try {
        if (!reg.OpenKey(Key, true))
            return;
    } catch (const ERegistryException&) {
        return;
    }
    int v = 0;
    TdxPreviewOptionsHint hint;
    if (ReadSet(reg, "OptionHint", 3, hint))
        SetOptionsHint(hint);
    TdxPreviewOptionsView view;
    if (ReadSet(reg, "OptionView", 4, view))
        SetOptionsView(view);
    TdxPreviewOptionsZoom zoom;
    if (ReadSet(reg, "OptionZoom", 2, zoom))
        SetOptionsZoom(zoom);
    if (ReadInt(reg, "ZoomStep", v))
        SetZoomStep(v);
    if (ReadInt(reg, "MarginColor", v))
        SetMarginColor(static_cast<TColor>(v));
    // Units and orientation outside their ranges keep the current ones: the
    // units index captions and the printer page's units further on.
    TdxPreviewMeasurementUnits units = m_measurementUnits;
    if (ReadOrdinal(reg, "MeasurementUnits", pmuPicas, units))
        m_measurementUnits = units;
    TdxPreviewPaperOrientation orientation = m_orientation;
    if (ReadOrdinal(reg, "Orientation", ppoLandscape, orientation))
        SetOrientation(orientation);
    if (!m_optionsStore.Contains(posZoom))
        return;
    if (ReadInt(reg, "ZoomFactor", v))
        SetZoomFactor(v);
    TdxPreviewZoomMode mode = m_zoomMode;
    if (ReadOrdinal(reg, "ZoomMode", pzmPages, mode))
        SetZoomMode(mode);
    if (m_zoomMode != pzmPages)
        return;
    if (ReadInt(reg, "PageXCount", v))
        SetPageXCount(v);
    if (ReadInt(reg, "PageYCount", v))
        SetPageYCount(v);
}

} // namespace qel
