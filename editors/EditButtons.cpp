#include "editors/EditButtons.h"

#include "platform/core/Locale.h"

namespace qel {

TdxEditButton::~TdxEditButton() = default;

#define QEL_BUTTON_SETTER(Type, Name, Member)    \
    void TdxEditButton::Set##Name(Type Value)   \
    {                                           \
        if (Member == Value)                    \
            return;                             \
        Member = Value;                         \
        Changed(false);                         \
    }
QEL_BUTTON_SETTER(TdxEditButtonKind, Kind, m_kind)
QEL_BUTTON_SETTER(bool, Visible, m_visible)
QEL_BUTTON_SETTER(bool, Enabled, m_enabled)
QEL_BUTTON_SETTER(bool, Default, m_default)
QEL_BUTTON_SETTER(bool, LeftAlignment, m_leftAlignment)
#undef QEL_BUTTON_SETTER

void TdxEditButton::SetWidth(int Value)
{
    Value = std::max(0, Value);
    if (m_width == Value)
        return;
    m_width = Value;
    Changed(false);
}

TBitmap* TdxEditButton::Glyph()
{
    if (!m_glyph)
        m_glyph = std::make_unique<TBitmap>();
    return m_glyph.get();
}

void TdxEditButton::SetGlyph(const TBitmap* Value)
{
    if (!Value)
        m_glyph.reset();
    else
        Glyph()->Assign(const_cast<TBitmap*>(Value));
    Changed(false);
}

void TdxEditButton::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TdxEditButton*>(Source);
    if (!src) {
        TCollectionItem::Assign(Source);
        return;
    }
    m_kind = src->m_kind;
    if (src->m_glyph)
        Glyph()->Assign(src->m_glyph.get());
    else
        m_glyph.reset();
    m_visible = src->m_visible;
    m_enabled = src->m_enabled;
    m_default = src->m_default;
    m_width = src->m_width;
    m_leftAlignment = src->m_leftAlignment;
    Changed(false);
}

TdxEditButtons::TdxEditButtons(TPersistent* Owner)
    : TCollection([](TCollection* C) { return new TdxEditButton(C); }, "TdxEditButton", Owner)
{
}

void TdxEditButtons::CheckRoom(int NewCount) const
{
    if (NewCount > MaxEditButtons)
        throw EdxEditError(Format("Too many buttons ( >= %d)", {MaxEditButtons}));
}

TdxEditButton* TdxEditButtons::Add()
{
    CheckRoom(Count() + 1);
    return static_cast<TdxEditButton*>(TCollection::Add());
}

TdxEditButton* TdxEditButtons::Insert(int Index)
{
    CheckRoom(Count() + 1);
    return static_cast<TdxEditButton*>(TCollection::Insert(Index));
}

void TdxEditButtons::Assign(TPersistent* Source)
{
    if (auto* src = dynamic_cast<TCollection*>(Source))
        CheckRoom(src->Count());
    TCollection::Assign(Source);
}

int TdxEditButtons::VisibleCount() const
{
    int n = 0;
    for (int i = 0; i < Count(); ++i)
        n += Items(i)->Visible() ? 1 : 0;
    return n;
}

TdxEditButton* TdxEditButtons::DefaultButton() const
{
    TdxEditButton* first = nullptr;
    for (int i = 0; i < Count(); ++i) {
        TdxEditButton* b = Items(i);
        if (!b->Visible())
            continue;
        if (b->Default())
            return b;
        if (!first)
            first = b;
    }
    return first;
}

void TdxEditButtons::Update(TCollectionItem*)
{
    m_changes.Notify(this);
}

} // namespace qel
