#include "preview/PageSetupMargins.h"

#include <cmath>

namespace qel {

namespace {

// Lengths come from thousandths and two-decimal texts: a difference below
// this is the arithmetic's, not the user's.
constexpr double kSlack = 1e-9;

double Clamp(double Value, const TdxPageSetupRange& Range)
{
    // An empty range leaves only its lower end.
    if (Range.Max < Range.Min || Value < Range.Min)
        return dxPageSetupRoundUp(Range.Min);
    if (Value > Range.Max)
        return dxPageSetupRoundDown(Range.Max);
    return Value;
}

bool Inside(double Value, const TdxPageSetupRange& Range)
{
    return Value >= Range.Min - kSlack && Value <= Range.Max + kSlack;
}

} // namespace

double dxPageSetupRoundUp(double Value)
{
    return std::ceil(Value * 100 - 1e-6) / 100;
}

double dxPageSetupRoundDown(double Value)
{
    return std::floor(Value * 100 + 1e-6) / 100;
}

std::array<TdxPageSetupRange, dxPageSetupMarginCount> dxPageSetupMarginBounds(const TdxPageSetupPageExtent& Page)
{
    const double h = Page.Height - Page.MinUseful;
    const double w = Page.Width - Page.MinUseful;
    std::array<TdxPageSetupRange, dxPageSetupMarginCount> r{};
    r[psmHeader] = r[psmTop] = {Page.MinTop, h - Page.MinBottom};
    r[psmFooter] = r[psmBottom] = {Page.MinBottom, h - Page.MinTop};
    r[psmLeft] = {Page.MinLeft, w - Page.MinRight};
    r[psmRight] = {Page.MinRight, w - Page.MinLeft};
    return r;
}

TdxPageSetupRange dxPageSetupValidRange(const TdxPageSetupMarginValues& V, const TdxPageSetupPageExtent& Page,
                                        TdxPageSetupMargin Margin)
{
    const double h = Page.Height - Page.MinUseful;
    const double w = Page.Width - Page.MinUseful;
    switch (Margin) {
    case psmHeader: return {0, h};
    case psmFooter: return {0, h - V[psmHeader]};
    case psmTop: return {V[psmHeader], h - V[psmBottom]};
    case psmBottom: return {V[psmFooter], h - V[psmTop]};
    case psmLeft: return {0, w};
    default: return {0, w - V[psmLeft]};
    }
}

std::optional<TdxPageSetupMargin> dxPageSetupInvalidMargin(const TdxPageSetupMarginValues& Values,
                                                           const TdxPageSetupPageExtent& Page)
{
    for (int i = 0; i < dxPageSetupMarginCount; ++i) {
        const auto m = static_cast<TdxPageSetupMargin>(i);
        if (!Inside(Values[m], dxPageSetupValidRange(Values, Page, m)))
            return m;
    }
    return std::nullopt;
}

bool dxPageSetupMarginsPrintable(const TdxPageSetupMarginValues& Values, const std::optional<TdxPageSetupOffsets>& Offsets)
{
    if (!Offsets)
        return true;
    return Offsets->Y <= Values[psmHeader] + kSlack && Offsets->Y <= Values[psmFooter] + kSlack &&
           Offsets->X <= Values[psmLeft] + kSlack && Offsets->X <= Values[psmRight] + kSlack;
}

TdxPageSetupMarginValues dxPageSetupRaiseToBorder(const TdxPageSetupMarginValues& Values, const TdxPageSetupBorder& Border)
{
    TdxPageSetupMarginValues r = Values;
    const auto raise = [&r](TdxPageSetupMargin M, double To) {
        if (r[M] < To - kSlack)
            r[M] = dxPageSetupRoundUp(To);
    };
    raise(psmHeader, Border.Top);
    raise(psmTop, Border.Top);
    raise(psmFooter, Border.Bottom);
    raise(psmBottom, Border.Bottom);
    raise(psmLeft, Border.Left);
    raise(psmRight, Border.Right);
    return r;
}

TdxPageSetupMarginValues dxPageSetupClampMargins(const TdxPageSetupMarginValues& Values,
                                                 const TdxPageSetupPageExtent& Page)
{
    TdxPageSetupMarginValues r = Values;
    // Each pass can only narrow what the next one finds; two passes settle
    // any start, the bound is a guard against a page without room at all.
    for (int pass = 0; pass < 8 && dxPageSetupInvalidMargin(r, Page); ++pass) {
        const TdxPageSetupMarginValues before = r;
        for (int i = 0; i < dxPageSetupMarginCount; ++i) {
            const auto m = static_cast<TdxPageSetupMargin>(i);
            const TdxPageSetupRange range = dxPageSetupValidRange(r, Page, m);
            if (!Inside(r[m], range))
                r[m] = Clamp(r[m], range);
        }
        if (r == before)
            break;
    }
    return r;
}

} // namespace qel
