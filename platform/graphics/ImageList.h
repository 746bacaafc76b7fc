#pragma once
// TImageList: equally sized images with optional masks, drawn normally or
// greyed (embossed) for disabled items.
#include "platform/core/ChangeLink.h"
#include "platform/core/Component.h"
#include "platform/core/Events.h"
#include "platform/graphics/Bitmap.h"

#include <memory>
#include <vector>

namespace qel {

enum TDrawingStyle : std::uint8_t { dsFocus, dsSelected, dsNormal, dsTransparent };
enum TImageType : std::uint8_t { itImage, itMask };

class TImageList : public TComponent {
    QEL_CLASS(TImageList)
public:
    explicit TImageList(TComponent* AOwner = nullptr);
    TImageList(int Width, int Height, TComponent* AOwner = nullptr);
    ~TImageList() override;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Changing the size clears the list, as the platform does.
    void SetWidth(int Width);
    void SetHeight(int Height);
    void SetSize(int Width, int Height);
    int Count() const { return static_cast<int>(m_images.size()); }
    bool Masked() const { return m_masked; }
    void SetMasked(bool Masked) { m_masked = Masked; }
    TColor BkColor() const { return m_bkColor; }
    void SetBkColor(TColor Color) { m_bkColor = Color; }

    // A bitmap wider than Width adds one image per Width-wide strip; answers the
    // first new index (-1 for an empty bitmap). Mask: white = transparent.
    int Add(const TBitmap* Image, const TBitmap* Mask);
    int AddMasked(const TBitmap* Image, TColor MaskColor);
    int AddIcon(const TIcon* Icon);
    void Replace(int Index, const TBitmap* Image, const TBitmap* Mask);
    void Delete(int Index);                    // EInvalidOperation "Invalid ImageList Index" out of range
    void Clear();
    void Move(int CurIndex, int NewIndex);

    // Disabled images are drawn embossed: highlight shape offset by one pixel,
    // shadow shape on top. An index out of range draws nothing.
    void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true) const;
    void Draw(TCanvas* Canvas, int X, int Y, int Index, TDrawingStyle Style, TImageType Type,
              bool Enabled) const;
    // Fills `Image` with the image at `Index`, drawn on BkColor (white when clNone).
    void GetBitmap(int Index, TBitmap* Image) const;
    void GetMask(int Index, TBitmap* Mask) const;

    void BeginUpdate() { ++m_updateCount; }
    void EndUpdate();
    void Assign(TPersistent* Source) override;

    // Owners listen here (change links); OnChange is the user's.
    TChangeLinks& Changes() { return m_changes; }
    TNotifyEvent OnChange;

protected:
    virtual void Change();

private:
    struct Entry;
    void CheckIndex(int Index) const;
    void AddEntry(const QImage& Rgba, int At);

    int m_width{16};
    int m_height{16};
    bool m_masked{true};
    TColor m_bkColor{clNone};
    int m_updateCount{0};
    bool m_changedInUpdate{false};
    TChangeLinks m_changes;
    std::vector<std::unique_ptr<Entry>> m_images;
};

} // namespace qel
