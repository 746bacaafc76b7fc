#pragma once
// TdxEditStyle: how an editor draws its border and buttons. Every value has
// an assigned bit; a value that was never set comes from the style the
// editor is given as its defaults (a style controller's or the host's), and
// without one from the built-in default.
#include "platform/core/ChangeLink.h"
#include "platform/core/Component.h"
#include "platform/core/TSet.h"
#include "platform/graphics/Graphics.h"

#include <cstdint>

namespace qel {

enum TdxEditButtonViewStyle : std::uint8_t { btsDefault, bts3D, btsFlat, btsSimple, btsHotFlat };
enum TdxEditBorderStyle : std::uint8_t { xbsNone, xbsSingle, xbsThick, xbsFlat, xbs3D };
enum TdxEditStyleValue : std::uint8_t { svBorderColor, svBorderStyle, svButtonStyle, svHotTrack };
using TdxEditStyleValues = TSet<TdxEditStyleValue>;

class TdxEditStyle : public TPersistent {
    QEL_CLASS(TdxEditStyle)
public:
    TdxEditStyle() = default;
    explicit TdxEditStyle(TdxEditStyle* Defaults) { SetDefaults(Defaults); }
    TdxEditStyle(const TdxEditStyle&) = delete;
    TdxEditStyle& operator=(const TdxEditStyle&) = delete;

    // The style unassigned values come from (not owned; nullptr: built-in).
    // A change there is a change here; a defaults style that goes away is
    // forgotten.
    const TdxEditStyle* Defaults() const { return m_defaultsLink.Connected() ? m_defaults : nullptr; }
    void SetDefaults(TdxEditStyle* Value);

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
    void Assign(TPersistent* Source) override;

    // Owners listen here: every change of a value, own or inherited.
    TChangeLinks& Changes() { return m_changes; }

private:
    void Changed();

    TdxEditStyle* m_defaults{nullptr};
    TChangeLink m_defaultsLink;
    TdxEditStyleValues m_assigned;
    TColor m_borderColor{clWindowFrame};
    TdxEditBorderStyle m_borderStyle{xbsSingle};
    TdxEditButtonViewStyle m_buttonStyle{btsDefault};
    bool m_hotTrack{false};
    TChangeLinks m_changes;
};

} // namespace qel
