#pragma once
// Helpers shared by the graphics tests.
#include "platform/graphics/Bitmap.h"

#include <memory>

namespace qel::test {

// A 20 x 10 bitmap: red left half, blue right half, one green pixel.
inline std::unique_ptr<TBitmap> Sample()
{
    auto b = std::make_unique<TBitmap>(20, 10);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clRed);
    c->FillRect({0, 0, 10, 10});
    c->Brush()->SetColor(clBlue);
    c->FillRect({10, 0, 20, 10});
    c->SetPixels(3, 4, clLime);
    return b;
}

} // namespace qel::test
