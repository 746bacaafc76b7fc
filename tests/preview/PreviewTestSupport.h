#pragma once
// A preview on a shown form, and the content calls it makes: which pages the
// owner was asked to draw, with their rectangles.
#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "preview/Preview.h"

#include <memory>
#include <utility>
#include <vector>

namespace qel::test {

struct PreviewHarness {
    std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
    TdxPreview* preview;
    std::vector<std::pair<int, TRect>> drawn;

    // A preview of ClientWidth x ClientHeight client pixels: no border and no
    // scroll bars unless asked for, so the tables below are exact.
    explicit PreviewHarness(int ClientWidth = 400, int ClientHeight = 500, bool Plain = true)
    {
        form->SetBounds(0, 0, ClientWidth + 40, ClientHeight + 40);
        preview = new TdxPreview(form.get());
        preview->SetParent(form.get());
        if (Plain) {
            preview->SetBorderStyle(bsNone);
            preview->SetScrollBars(ssNone);
        }
        preview->SetBounds(0, 0, ClientWidth, ClientHeight);
        preview->OnDrawPageContent = [this](TObject*, TCanvas&, const TRect& R, int Page) {
            drawn.emplace_back(Page, R);
        };
        form->Show();
    }
    ~PreviewHarness()
    {
        if (form)
            form->Hide();
    }

    // Paints the whole control now and answers the pages whose content was drawn.
    std::vector<int> Paint()
    {
        drawn.clear();
        GrabControl(preview);
        std::vector<int> pages;
        for (const auto& d : drawn)
            pages.push_back(d.first);
        return pages;
    }
    TPoint Centre(int Page) const
    {
        const TRect r = preview->PageBounds(Page);
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
};

} // namespace qel::test
