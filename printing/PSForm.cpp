#include "printing/PSForm.h"

#include "platform/controls/StdCtrls.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Locale.h"
#include "platform/storage/Registry.h"
#include "printing/PSEngine.h"

#include <algorithm>
#include <filesystem>

namespace qel {

QEL_REGISTER_CLASS(TCustomdxPSForm, TForm);

namespace {

void ReportQuietly(const std::exception& E) noexcept
{
    try {
        Application().HandleException(E);
    } catch (...) {
    }
}

} // namespace

TCustomdxPSForm::TCustomdxPSForm(TComponent* AOwner) : TForm(AOwner)
{
    BeginLongOperation();
    m_helpFile = dxPSEngine()->HelpFile();
}

TCustomdxPSForm::~TCustomdxPSForm()
{
    if (m_cursorChanged)
        EndLongOperation();
    try {
        if (!m_placementKey.empty() && StoresPlacement())
            SaveToRegistry(m_placementKey);
    } catch (const std::exception& E) {
        ReportQuietly(E);
    }
}

void TCustomdxPSForm::AfterConstruction()
{
    if (auto* help = dynamic_cast<TButton*>(FindComponent("btnHelp")))
        help->OnClick = [this](TObject*) { ShowHelp(); };
    if (StoresPlacement()) {
        m_placementKey = GetPlacementKey(dxPSEngine()->GetRegistryPath());
        LoadFromRegistry(m_placementKey);
    }
    TForm::AfterConstruction();
}

void TCustomdxPSForm::BeginLongOperation()
{
    m_savedCursor = Screen().Cursor();
    if (m_savedCursor != crHourGlass) {
        Screen().SetCursor(crHourGlass);
        m_cursorChanged = true;
    }
}

void TCustomdxPSForm::EndLongOperation()
{
    if (!m_cursorChanged)
        return;
    Screen().SetCursor(m_savedCursor);
    m_cursorChanged = false;
}

void TCustomdxPSForm::DoShow()
{
    EndLongOperation();
    TForm::DoShow();
}

void TCustomdxPSForm::ShowHelp()
{
    if (HelpContext() != 0)
        Application().HelpContext(HelpContext());
}

bool TCustomdxPSForm::StoresPlacement() const
{
    return !dxPSEngine()->GetRegistryPath().empty();
}

bool TCustomdxPSForm::IsSizeable() const
{
    return BorderStyle() == bsSizeable || BorderStyle() == bsSizeToolWin;
}

std::string TCustomdxPSForm::GetPlacementKey(const std::string& Root) const
{
    const std::string program = std::filesystem::path(Application().ExeName()).stem().string();
    std::string name = ClassName();
    if (!name.empty() && (name.front() == 'T' || name.front() == 't'))
        name.erase(0, 1);
    return Root + "\\FormLayouts\\" + program + "." + name;
}

TRect dxFitPlacementToScreen(const TRect& Bounds, bool SameScreen, int ScreenWidth, int ScreenHeight,
                             const TRect& WorkArea)
{
    TRect r = Bounds;
    const int left = std::clamp(Bounds.Left, WorkArea.Left, std::max(WorkArea.Left, WorkArea.Right - 1));
    const int top = std::clamp(Bounds.Top, WorkArea.Top, std::max(WorkArea.Top, WorkArea.Bottom - 1));
    OffsetRect(r, left - Bounds.Left, top - Bounds.Top);
    if (!SameScreen) {
        if (r.Right > ScreenWidth)
            r.Right = ScreenWidth;
        if (r.Bottom > ScreenHeight)
            r.Bottom = ScreenHeight;
    }
    return r;
}

void TCustomdxPSForm::LoadFromRegistry(const std::string& Key)
{
    TRegistry registry;
    if (!registry.OpenKeyReadOnly(Key))
        return;
    if (registry.ValueExists("WindowState")) {
        const int state = registry.ReadInteger("WindowState");
        if (state >= wsNormal && state <= wsMaximized)
            SetWindowState(static_cast<TWindowState>(state));
    }
    TRect r = BoundsRect();
    if (registry.ValueExists("Left"))
        r.Left = registry.ReadInteger("Left");
    if (registry.ValueExists("Top"))
        r.Top = registry.ReadInteger("Top");
    int width = Width();
    int height = Height();
    if (IsSizeable()) {
        if (registry.ValueExists("Width"))
            width = registry.ReadInteger("Width");
        if (registry.ValueExists("Height"))
            height = registry.ReadInteger("Height");
    }
    r.Right = r.Left + width;
    r.Bottom = r.Top + height;
    if (WindowState() == wsMaximized)
        return;
    SetPosition(poDesigned);
    const int screenWidth = Screen().Width();
    const int screenHeight = Screen().Height();
    const int storedWidth = registry.ValueExists("ScreenWidth") ? registry.ReadInteger("ScreenWidth") : screenWidth;
    const int storedHeight = registry.ValueExists("ScreenHeight") ? registry.ReadInteger("ScreenHeight") : screenHeight;
    const bool same = storedWidth == screenWidth && storedHeight == screenHeight;
    SetBoundsRect(dxFitPlacementToScreen(r, same, screenWidth, screenHeight, Screen().WorkAreaRect()));
}

void TCustomdxPSForm::SaveToRegistry(const std::string& Key)
{
    TRegistry registry;
    if (!registry.OpenKey(Key, true))
        return;
    registry.WriteInteger("ScreenWidth", Screen().Width());
    registry.WriteInteger("ScreenHeight", Screen().Height());
    registry.WriteInteger("WindowState", WindowState());
    const TRect r = Placement().NormalBounds;
    registry.WriteInteger("Left", r.Left);
    registry.WriteInteger("Top", r.Top);
    if (IsSizeable()) {
        registry.WriteInteger("Width", r.Width());
        registry.WriteInteger("Height", r.Height());
    }
}

} // namespace qel
