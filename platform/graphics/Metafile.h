#pragma once
// TMetafile: a recorded picture (QPicture) plus a plain list of the drawing
// operations, so a page can be replayed scaled onto another canvas and tests
// can see what was drawn. TMetafileCanvas records into it.
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"

#include <memory>
#include <vector>

class QPicture;
class QPainter;

namespace qel {

class TMetafile : public TGraphic {
    QEL_CLASS(TMetafile)
public:
    TMetafile();
    ~TMetafile() override;

    bool Empty() const override;
    // The recording size in device pixels of the recording canvas.
    int Width() const override { return m_width; }
    int Height() const override { return m_height; }
    void SetWidth(int Width) override;
    void SetHeight(int Height) override;
    // Resolution the recording was made at (pixels per inch).
    int PixelsPerInch() const { return m_ppi; }
    void SetPixelsPerInch(int Ppi) { m_ppi = Ppi > 0 ? Ppi : 96; }

    const std::vector<TCanvasRecord>& Records() const { return m_records; }
    void Clear();

    // Metafiles are kept in memory only; streaming them raises EInvalidGraphic.
    void LoadFromStream(TStream& Stream) override;
    void SaveToStream(TStream& Stream) const override;
    void Assign(TPersistent* Source) override;
    TGraphic* NewOfSameClass() const override { return new TMetafile; }

protected:
    void Draw(TCanvas& Canvas, const TRect& R) const override;

private:
    friend class TMetafileCanvas;
    std::unique_ptr<QPicture> m_picture;
    std::vector<TCanvasRecord> m_records;
    int m_width{0};
    int m_height{0};
    int m_ppi{96};
};

// Records into the metafile from construction to destruction; the metafile
// receives the picture when the canvas goes away (or on Finish()).
class TMetafileCanvas : public TCanvas {
    QEL_CLASS(TMetafileCanvas)
public:
    explicit TMetafileCanvas(TMetafile* Metafile, TCanvas* Reference = nullptr);
    ~TMetafileCanvas() override;
    void Finish();

protected:
    void Record(const char* Op, const TRect& DeviceBounds, const std::string& Text) override;
    TRect DeviceBounds() const override;

private:
    TMetafile* m_metafile;
    std::unique_ptr<QPicture> m_picture;
    std::unique_ptr<QPainter> m_ownPainter;
    std::vector<TCanvasRecord> m_records;
};

} // namespace qel
