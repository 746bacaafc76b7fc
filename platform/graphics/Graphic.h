#pragma once
// TGraphic: the base of every picture kind (bitmap, icon, JPEG, metafile).
#include "platform/core/ChangeLink.h"
#include "platform/core/Component.h"
#include "platform/core/Events.h"
#include "platform/graphics/Geometry.h"

#include <string>

namespace qel {

class TCanvas;
class TStream;

class TGraphic : public TPersistent {
    QEL_CLASS(TGraphic)
public:
    TGraphic() = default;

    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int Width) = 0;
    virtual void SetHeight(int Height) = 0;
    bool Transparent() const { return m_transparent; }
    virtual void SetTransparent(bool Value);
    bool Modified() const { return m_modified; }
    void SetModified(bool Value) { m_modified = Value; }

    // A failed load raises EInvalidGraphic and leaves the picture as it was.
    virtual void LoadFromStream(TStream& Stream) = 0;
    virtual void SaveToStream(TStream& Stream) const = 0;
    virtual void LoadFromFile(const std::string& FileName);
    // Written whole or not at all.
    virtual void SaveToFile(const std::string& FileName) const;

    // Same class and same content.
    virtual bool Equals(const TGraphic* Other) const;
    // A new empty graphic of this graphic's class (for copies).
    virtual TGraphic* NewOfSameClass() const = 0;

    // Owners listen here (change links); OnChange is the user's.
    TChangeLinks& Changes() { return m_changes; }
    TNotifyEvent OnChange;

protected:
    friend class TCanvas;
    // Draws the graphic stretched into `R` (logical units of the canvas).
    virtual void Draw(TCanvas& Canvas, const TRect& R) const = 0;
    virtual void Changed();

private:
    bool m_transparent{false};
    TChangeLinks m_changes;
    bool m_modified{false};
};

} // namespace qel
