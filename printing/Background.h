#pragma once
// TdxBackground: how an area is filled before anything is drawn on it —
// nothing, a solid or hatched brush, a small bitmap used as a brush, or a
// picture placed in one of four ways. It paints itself into a rectangle of
// any canvas (screen, preview page, printer), reports which settings changed
// and whether that change shows. TdxPageBackground forwards its changes to
// the printer page that owns it.
#include "platform/core/ChangeLink.h"
#include "platform/core/TSet.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Graphics.h"
#include "printing/BaseObject.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace qel {

class TBitmap;
class TCanvas;
class TGraphic;

enum TdxBackgroundMode : std::uint8_t { bmNone, bmBrush, bmBrushBitmap, bmPicture };
enum TdxPicturePaintMode : std::uint8_t { ppmCenter, ppmStretch, ppmTile, ppmProportional };
// What a change touched (the change kinds 1, 2, 4, 8 and 16 as bits).
enum TdxBackgroundParam : std::uint8_t { bpBkColor, bpBrush, bpMode, bpPictureMode, bpPicture };
using TdxBackgroundParams = TSet<TdxBackgroundParam>;
inline constexpr TdxBackgroundParams dxAllBackgroundParams{bpBkColor, bpBrush, bpMode, bpPictureMode, bpPicture};

class TdxBackground;
using TdxBackgroundChangeEvent = std::function<void(TObject* Sender, TdxBackgroundParams ChangedParams)>;
using TdxBackgroundCustomDrawEvent =
    std::function<void(TObject* Sender, TCanvas& Canvas, const TRect& Rect, bool& Done, int Stage)>;
using TdxBackgroundPaintEvent = std::function<void(TObject* Sender, TCanvas& Canvas, const TRect& Rect, int Stage)>;
// Runs the fill-effects dialog on a background; answers true when it was changed.
using TdxBackgroundSetupProc = std::function<bool(TdxBackground& Background)>;

class TdxBackground : public TdxBaseObject {
    QEL_CLASS(TdxBackground)
public:
    TdxBackground();
    ~TdxBackground() override;

    TColor BkColor() const { return m_bkColor; }
    void SetBkColor(TColor Value);
    // Owned; assigning copies, and any change of it counts as a brush change.
    TBrush* Brush() const;
    void SetBrush(const TBrush* Value);
    // Stored and streamed; painting does not read it.
    bool Effects() const { return m_effects; }
    void SetEffects(bool Value) { m_effects = Value; }
    TdxBackgroundMode Mode() const { return m_mode; }
    void SetMode(TdxBackgroundMode Value);
    TdxPicturePaintMode PictureMode() const { return m_pictureMode; }
    void SetPictureMode(TdxPicturePaintMode Value);
    // Owned, created on first read; any change of it counts as a picture change.
    TBitmap* Picture();
    // Copies the graphic into the owned bitmap; nullptr empties it.
    void SetPicture(const TGraphic* Value);
    bool HasPicture() const;

    // Whether the last announced change showed when painted.
    bool LastChangeVisible() const { return m_lastChangeVisible; }
    virtual bool HasVisibleChange(TdxBackgroundParams ChangedParams) const;

    void Paint(TCanvas& Canvas, const TRect& Rect) { PaintEx(Canvas, Rect, 1, 1); }
    // Picture sizes are scaled by Multiplier / Divisor (a printer page drawn
    // at another resolution than the preview's).
    virtual void PaintEx(TCanvas& Canvas, const TRect& Rect, int Divisor, int Multiplier);

    // Opens the fill-effects dialog (the preview layer installs it); false without one.
    bool Setup();
    static TdxBackgroundSetupProc SetSetupProc(TdxBackgroundSetupProc Proc);

    bool IsCompatibleWith(const TdxBaseObject* Source) const override;

    // Told when the background is freed, first thing: a dialog or palette
    // open on it lets go of it.
    TChangeLinks& FreeLinks() { return m_freeLinks; }

    TNotifyEvent OnApply;
    TdxBackgroundChangeEvent OnChange;
    TdxBackgroundCustomDrawEvent OnCustomDraw;
    TdxBackgroundPaintEvent OnPaint;

protected:
    virtual void DoPaint(TCanvas& Canvas, const TRect& Rect, int Stage);
    virtual void DoCustomDraw(TCanvas& Canvas, const TRect& Rect, bool& Done, int Stage);
    virtual void DoApply();
    virtual void DoChange(TdxBackgroundParams ChangedParams);
    void DoAssign(TdxBaseObject* Source) override;
    std::unique_ptr<TdxBaseObject> CreateNew() const override { return std::make_unique<TdxBackground>(); }
    // Releasing the update lock announces every kind of change.
    void LockUpdate(bool Locking) override;

private:
    class TOwnedBrush;
    class TOwnedPicture;
    void PaintBrush(TCanvas& Canvas, const TRect& Rect);
    void PaintHatchOnPrinter(TCanvas& Canvas, const TRect& Rect);
    // A picture smaller than 9 x 9 on a screen fills as a brush pattern.
    bool FillWithPictureBrush(TCanvas& Canvas, const TRect& Rect);
    void DrawPicture(TCanvas& Canvas, const TRect& Rect, TdxPicturePaintMode Mode, int Divisor, int Multiplier);
    void DrawCell(TCanvas& Canvas, const TRect& Cell, bool AlwaysVisible);

    TColor m_bkColor{clWhite};
    std::unique_ptr<TOwnedBrush> m_brush;
    bool m_effects{false};
    TdxBackgroundMode m_mode{bmNone};
    TdxPicturePaintMode m_pictureMode{ppmCenter};
    std::unique_ptr<TOwnedPicture> m_picture;
    bool m_lastChangeVisible{false};
    TChangeLinks m_freeLinks;
};

// The background of a printer page: its changes reach the page after the
// background's own OnChange.
class TdxPageBackground : public TdxBackground {
    QEL_CLASS(TdxPageBackground)
public:
    using TOwnerNotify = std::function<void(TdxPageBackground* Sender, TdxBackgroundParams ChangedParams)>;
    TdxPageBackground() = default;
    TdxPageBackground(TPersistent* Owner, TOwnerNotify OwnerChanged)
        : m_owner(Owner), m_ownerChanged(std::move(OwnerChanged)) {}

    TPersistent* Owner() const { return m_owner; }

protected:
    void DoChange(TdxBackgroundParams ChangedParams) override;
    std::unique_ptr<TdxBaseObject> CreateNew() const override { return std::make_unique<TdxPageBackground>(); }

private:
    TPersistent* m_owner{nullptr};
    TOwnerNotify m_ownerChanged;
};

} // namespace qel
