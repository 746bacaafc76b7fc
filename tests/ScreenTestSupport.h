#pragma once
// Scopes for the application-wide screen and clipboard state that tests
// change, so that every test leaves them as it found them, also when it fails.
#include "platform/controls/Application.h"
#include "platform/controls/Clipboard.h"
#include "platform/graphics/Geometry.h"

namespace qel::test {

// Installs a headless virtual screen and puts the previous one back.
class VirtualScreenScope {
public:
    VirtualScreenScope(int Width, int Height, const TRect* WorkArea = nullptr, int PixelsPerInch = 96)
        : m_width(Screen().Width()), m_height(Screen().Height()), m_workArea(Screen().WorkAreaRect()),
          m_ppi(Screen().PixelsPerInch())
    {
        Screen().SetVirtualScreen(Width, Height, WorkArea, PixelsPerInch);
    }
    ~VirtualScreenScope() { Screen().SetVirtualScreen(m_width, m_height, &m_workArea, m_ppi); }
    VirtualScreenScope(const VirtualScreenScope&) = delete;
    VirtualScreenScope& operator=(const VirtualScreenScope&) = delete;

private:
    int m_width;
    int m_height;
    TRect m_workArea;
    int m_ppi;
};

// An empty clipboard for the test, emptied again when it ends.
class ClipboardScope {
public:
    ClipboardScope() { Clipboard().Clear(); }
    ~ClipboardScope() { Clipboard().Clear(); }
    ClipboardScope(const ClipboardScope&) = delete;
    ClipboardScope& operator=(const ClipboardScope&) = delete;
};

} // namespace qel::test
