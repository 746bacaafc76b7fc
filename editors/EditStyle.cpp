#include "editors/EditStyle.h"

namespace qel {

namespace {
const TdxEditStyle& BuiltIn()
{
    static const TdxEditStyle style;
    return style;
}
} // namespace

void TdxEditStyle::SetDefaults(const TdxEditStyle* Value)
{
    // A chain that leads back here would never end.
    for (const TdxEditStyle* s = Value; s; s = s->m_defaults)
        if (s == this)
            return;
    m_defaults = Value;
    Changed();
}

#define QEL_STYLE_VALUE(Type, Name, Bit, Member)                                   \
    Type TdxEditStyle::Name() const                                                 \
    {                                                                               \
        if (m_assigned.Contains(Bit) || this == &BuiltIn())                         \
            return Member;                                                          \
        return m_defaults ? m_defaults->Name() : BuiltIn().Member;                  \
    }                                                                               \
    void TdxEditStyle::Set##Name(Type Value)                                        \
    {                                                                               \
        if (m_assigned.Contains(Bit) && Member == Value)                            \
            return;                                                                 \
        Member = Value;                                                             \
        m_assigned.Include(Bit);                                                    \
        Changed();                                                                  \
    }

QEL_STYLE_VALUE(TColor, BorderColor, svBorderColor, m_borderColor)
QEL_STYLE_VALUE(TdxEditBorderStyle, BorderStyle, svBorderStyle, m_borderStyle)
QEL_STYLE_VALUE(TdxEditButtonViewStyle, ButtonStyle, svButtonStyle, m_buttonStyle)
QEL_STYLE_VALUE(bool, HotTrack, svHotTrack, m_hotTrack)

#undef QEL_STYLE_VALUE

void TdxEditStyle::RestoreDefault(TdxEditStyleValue Value)
{
    if (!m_assigned.Contains(Value))
        return;
    m_assigned.Exclude(Value);
    Changed();
}

void TdxEditStyle::RestoreDefaults()
{
    if (m_assigned.Empty())
        return;
    m_assigned = {};
    Changed();
}

void TdxEditStyle::Assign(const TdxEditStyle& Source)
{
    if (&Source == this)
        return;
    m_borderColor = Source.m_borderColor;
    m_borderStyle = Source.m_borderStyle;
    m_buttonStyle = Source.m_buttonStyle;
    m_hotTrack = Source.m_hotTrack;
    m_assigned = Source.m_assigned;
    Changed();
}

void TdxEditStyle::Changed()
{
    if (m_changeLink)
        m_changeLink();
}

} // namespace qel
