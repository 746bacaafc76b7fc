#include "platform/controls/Buttons.h"

#include "platform/graphics/Bitmap.h"

#include <QIcon>
#include <QPixmap>
#include <QPushButton>

namespace qel {

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner), m_glyph(std::make_unique<TBitmap>()) {}

TBitBtn::~TBitBtn() = default;

void TBitBtn::SetGlyph(const TBitmap* Value)
{
    if (Value)
        m_glyph->Assign(const_cast<TBitmap*>(Value));
    else
        m_glyph = std::make_unique<TBitmap>();
    auto* b = static_cast<QPushButton*>(Widget());
    if (m_glyph->Empty()) {
        b->setIcon(QIcon());
        return;
    }
    b->setIcon(QIcon(QPixmap::fromImage(m_glyph->Image())));
    b->setIconSize(QSize(m_glyph->Width(), m_glyph->Height()));
}

} // namespace qel
