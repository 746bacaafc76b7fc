#pragma once
// The clipboard: text and pictures.
#include <string>

namespace qel {

class TGraphic;
class TBitmap;

inline constexpr unsigned CF_TEXT = 1;
inline constexpr unsigned CF_BITMAP = 2;

class TClipboard {
public:
    std::string AsText() const;
    void SetAsText(const std::string& Value);
    bool HasFormat(unsigned Format) const;
    void Clear();
    // Puts a picture (any graphic, drawn into a bitmap) on the clipboard.
    void Assign(const TGraphic& Graphic);
    // Answers false when the clipboard holds no picture.
    bool GetBitmap(TBitmap& Bitmap) const;
};

TClipboard& Clipboard();

} // namespace qel
