#pragma once
// TPicture: holds one graphic of any registered kind, chosen on load by the
// file extension.
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphic.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qel {

class TPicture : public TPersistent {
    QEL_CLASS(TPicture)
public:
    using GraphicFactory = std::function<TGraphic*()>;

    TPicture();
    ~TPicture() override;

    // nullptr when empty.
    TGraphic* Graphic() const { return m_graphic.get(); }
    // Stores a copy of `Graphic` (nullptr clears).
    void SetGraphic(const TGraphic* Graphic);
    // The graphic as a bitmap; a picture holding another kind is replaced by an empty bitmap.
    TBitmap* Bitmap();
    TIcon* Icon();
    int Width() const;
    int Height() const;
    bool Empty() const { return !m_graphic || m_graphic->Empty(); }

    // By extension; unknown extensions raise EInvalidGraphic "Unknown picture
    // file extension (.xyz)", "wmf"/"emf" "Unsupported picture format", and a
    // file that does not decode keeps the old picture.
    void LoadFromFile(const std::string& FileName);
    void SaveToFile(const std::string& FileName) const;
    void Assign(TPersistent* Source) override;

    // Extension without dot, case-insensitive ("png").
    static void RegisterFileFormat(const std::string& Extension, const std::string& Description,
                                   GraphicFactory Factory);
    static void UnregisterFileFormat(const std::string& Extension);
    static bool SupportsExtension(const std::string& Extension);
    // "All (*.bmp;*.png;...)|...|Bitmaps (*.bmp)|*.bmp|..." for file dialogs.
    static std::string GraphicFilter();

    // Owners listen here (change links); OnChange is the user's.
    TChangeLinks& Changes() { return m_changes; }
    TNotifyEvent OnChange;

private:
    void GraphicChanged();

    TChangeLinks m_changes;
    std::unique_ptr<TGraphic> m_graphic;
    TChangeLink m_graphicLink;   // declared after the graphic: leaves it before it goes
};

} // namespace qel
