#pragma once
// TBitBtn: a push button with a picture beside its caption (greyed by the
// platform while the button is disabled).
#include "platform/controls/StdCtrls.h"

#include <memory>

namespace qel {

class TBitmap;

class TBitBtn : public TButton {
    QEL_CLASS(TBitBtn)
public:
    explicit TBitBtn(TComponent* AOwner);
    ~TBitBtn() override;

    // Owned; assigning copies, nullptr clears it.
    TBitmap* Glyph() const { return m_glyph.get(); }
    void SetGlyph(const TBitmap* Value);

private:
    std::unique_ptr<TBitmap> m_glyph;
};

} // namespace qel
