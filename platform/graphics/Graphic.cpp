#include "platform/graphics/Graphic.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Stream.h"

namespace qel {

void TGraphic::SetTransparent(bool value)
{
    if (value == m_transparent)
        return;
    m_transparent = value;
    Changed();
}

void TGraphic::LoadFromFile(const std::string& fileName)
{
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    try {
        LoadFromStream(stream);
    } catch (const EInvalidGraphic& e) {
        throw EInvalidGraphic(e.Message() + " (" + fileName + ")");
    }
}

void TGraphic::SaveToFile(const std::string& fileName) const
{
    SafeWriteFile(fileName, [this](TStream& s) { SaveToStream(s); });
}

bool TGraphic::Equals(const TGraphic* other) const
{
    if (!other || std::string(other->ClassName()) != ClassName())
        return false;
    if (Empty() || other->Empty())
        return Empty() == other->Empty();
    TMemoryStream a, b;
    SaveToStream(a);
    other->SaveToStream(b);
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
