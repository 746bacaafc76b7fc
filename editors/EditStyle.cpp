#include "editors/EditStyle.h"

namespace qel {

namespace {
const TdxEditStyle& BuiltIn()
{
    static const TdxEditStyle style;
    return style;
}
} // namespace

void TdxEditStyle::SetDefaults(TdxEditStyle* Value)
{
    // A chain that leads back here would never end.
    for (const TdxEditStyle* s = Value; s; s = s->Defaults())
        if (s == this)
            return;
    m_defaults = Value;
    m_defaultsLink.Disconnect();
    if (Value)
        m_defaultsLink.Connect(Value->Changes(), [this](TObject*) {
            if (m_assigned != TdxEditStyleValues{svBorderColor, svBorderStyle, svButtonStyle, svHotTrack})
                Changed();
        });
    Changed();
}

#define QEL_STYLE_VALUE(Type, Name, Bit, Member)                                   \
    Type TdxEditStyle::Name() const                                                 \
    {                                                                               \
        if (m_assigned.Contains(Bit) || this == &BuiltIn())                         \
            return Member;                                                          \
        const TdxEditStyle* defaults = Defaults();                                  \
        return defaults ? defaults->Name() : BuiltIn().Member;                      \
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

void TdxEditStyle::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TdxEditStyle*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    if (src == this)
        return;
    m_borderColor = src->m_borderColor;
    m_borderStyle = src->m_borderStyle;
    m_buttonStyle = src->m_buttonStyle;
    m_hotTrack = src->m_hotTrack;
    m_assigned = src->m_assigned;
    Changed();
}

void TdxEditStyle::Changed()
{
    m_changes.Notify(this);
}

} // namespace qel
