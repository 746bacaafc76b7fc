#pragma once
// A report page painted into a recording canvas, with the texts and where they went.
#include "platform/core/MathUtils.h"
#include "platform/graphics/Metafile.h"
#include "printing/ReportLink.h"

#include <string>
#include <vector>

namespace qel::test {

struct RecordedPage {
    std::vector<TCanvasRecord> Records;
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> out;
        for (const TCanvasRecord& r : Records)
            if (r.Op == "TextOut")
                out.push_back(r.Text);
        return out;
    }
    const TCanvasRecord* Find(const std::string& Text) const
    {
        for (const TCanvasRecord& r : Records)
            if (r.Op == "TextOut" && r.Text == Text)
                return &r;
        return nullptr;
    }
    bool HasText(const std::string& Text) const { return Find(Text) != nullptr; }
};

inline RecordedPage Record(TBasedxReportLink& Link, int PageIndex, int Ppi = 96, bool Printer = false)
{
    TMetafile mf;
    const TPoint paper = Link.GetRealPrinterPage()->RealPageSizeLoMetric();
    const int w = MulDiv(paper.X, Ppi, 254);
    const int h = MulDiv(paper.Y, Ppi, 254);
    mf.SetWidth(w);
    mf.SetHeight(h);
    mf.SetPixelsPerInch(Ppi);
    {
        TMetafileCanvas canvas(&mf);
        TDeviceCaps caps = canvas.DeviceCaps();
        caps.Technology = Printer ? DT_RASPRINTER : DT_RASDISPLAY;
        canvas.SetDeviceCaps(caps);
        Link.PaintPage(canvas, {0, 0, w, h}, PageIndex, PageIndex, 100);
    }
    return {mf.Records()};
}

} // namespace qel::test
