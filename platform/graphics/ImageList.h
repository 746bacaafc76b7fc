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
    TImageList(int width, int height, TComponent* AOwner = nullptr);
    ~TImageList() override;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Changing the size clears the list, as the platform does.
    void SetWidth(int width);
    void SetHeight(int height);
    void SetSize(int width, int height);
    int Count() const { return static_cast<int>(m_images.size()); }
    bool Masked() const { return m_masked; }
    void SetMasked(bool masked) { m_masked = masked; }
    TColor BkColor() const { return m_bkColor; }
    void SetBkColor(TColor color) { m_bkColor = color; }

    // A bitmap wider than Width adds one image per Width-wide strip; answers the
    // first new index (-1 for an empty bitmap). Mask: white = transparent.
    int Add(const TBitmap* image, const TBitmap* mask);
    int AddMasked(const TBitmap* image, TColor maskColor);
    int AddIcon(const TIcon* icon);
    void Replace(int index, const TBitmap* image, const TBitmap* mask);
    void Delete(int index);                    // EInvalidOperation "Invalid ImageList Index" out of range
    void Clear();
    void Move(int curIndex, int newIndex);

    // Disabled images are drawn embossed: highlight shape offset by one pixel,
    // shadow shape on top. An index out of range draws nothing.
    void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true) const;
    void Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle style, TImageType type,
              bool enabled) const;
    // Fills `image` with the image at `index`, drawn on BkColor (white when clNone).
    void GetBitmap(int index, TBitmap* image) const;
    void GetMask(int index, TBitmap* mask) const;

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
    void CheckIndex(int index) const;
    void AddEntry(const QImage& rgba, int at);

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
