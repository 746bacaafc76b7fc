#include "platform/graphics/Graphic.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Stream.h"

namespace qel {

void TGraphic::SetTransparent(bool Value)
{
    if (Value == m_transparent)
        return;
    m_transparent = Value;
    Changed();
}

void TGraphic::LoadFromFile(const std::string& FileName)
{
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    try {
        LoadFromStream(stream);
    } catch (const EInvalidGraphic& e) {
        throw EInvalidGraphic(e.Message() + " (" + FileName + ")");
    }
}

void TGraphic::SaveToFile(const std::string& FileName) const
{
    SafeWriteFile(FileName, [this](TStream& S) { SaveToStream(S); });
}

bool TGraphic::Equals(const TGraphic* Other) const
{
    if (!Other || std::string(Other->ClassName()) != ClassName())
        return false;
    if (Empty() || Other->Empty())
        return Empty() == Other->Empty();
    TMemoryStream a, b;
    SaveToStream(a);
    Other->SaveToStream(b);
    return a.Bytes() == b.Bytes();
}

void TGraphic::Changed()
{
    m_modified = true;
    if (!m_changes.Notify(this))
        return;
    if (OnChange)
        OnChange(this);
}

} // namespace qel
