#pragma once
// TdxEditStyle: how an editor draws its border and buttons. Every value has
// an assigned bit; a value that was never set comes from the style the
// editor is given as its defaults (a style controller's or the host's), and
// without one from the built-in default.
#include "platform/core/TSet.h"
#include "platform/graphics/Graphics.h"

#include <cstdint>
#include <functional>

namespace qel {

enum TdxEditButtonViewStyle : std::uint8_t { btsDefault, bts3D, btsFlat, btsSimple, btsHotFlat };
enum TdxEditBorderStyle : std::uint8_t { xbsNone, xbsSingle, xbsThick, xbsFlat, xbs3D };
enum TdxEditStyleValue : std::uint8_t { svBorderColor, svBorderStyle, svButtonStyle, svHotTrack };
using TdxEditStyleValues = TSet<TdxEditStyleValue>;

class TdxEditStyle {
public:
    TdxEditStyle() = default;
    explicit TdxEditStyle(const TdxEditStyle* Defaults) : m_defaults(Defaults) {}
    TdxEditStyle(const TdxEditStyle&) = delete;
    TdxEditStyle& operator=(const TdxEditStyle&) = delete;

    // The style unassigned values come from (not owned; nullptr: built-in).
    const TdxEditStyle* Defaults() const { return m_defaults; }
    void SetDefaults(const TdxEditStyle* Value);

    TdxEditStyleValues AssignedValues() const { return m_assigned; }
    bool IsAssigned(TdxEditStyleValue Value) const { return m_assigned.Contains(Value); }

    TColor BorderColor() const;
    void SetBorderColor(TColor Value);
    TdxEditBorderStyle BorderStyle() const;
    void SetBorderStyle(TdxEditBorderStyle Value);
    TdxEditButtonViewStyle ButtonStyle() const;
    void SetButtonStyle(TdxEditButtonViewStyle Value);
    bool HotTrack() const;
    void SetHotTrack(bool Value);

    // Forgets one assigned value (or all): it follows the defaults again.
    void RestoreDefault(TdxEditStyleValue Value);
    void RestoreDefaults();
    // Copies values and assigned bits (not the defaults link).
    void Assign(const TdxEditStyle& Source);

    // The owner's change link: runs after every change of a value.
    void SetChangeLink(std::function<void()> Link) { m_changeLink = std::move(Link); }

private:
    void Changed();

    const TdxEditStyle* m_defaults{nullptr};
    TdxEditStyleValues m_assigned;
    TColor m_borderColor{clWindowFrame};
    TdxEditBorderStyle m_borderStyle{xbsSingle};
    TdxEditButtonViewStyle m_buttonStyle{btsDefault};
    bool m_hotTrack{false};
    std::function<void()> m_changeLink;
};

} // namespace qel
