#include "printing/PSEngine.h"

#include "platform/controls/Application.h"
#include "platform/core/Locale.h"
#include "platform/graphics/Canvas.h"
#include "printing/EventSystem.h"
#include "printing/PSPrintStyle.h"
#include "printing/PrintControls.h"

namespace qel {

namespace {

// Plain pointer, constant-initialised: readable while static objects are destroyed.
TdxPSEngine* g_engine = nullptr;
// Set once the program has left main: the settings store is gone by then.
bool g_programEnded = false;
int g_unitUsers = 0;

struct EngineFinalizer {
    ~EngineFinalizer()
    {
        g_programEnded = true;
        delete g_engine;
    }
} g_engineFinalizer;

std::string CustomColorsKey(const std::string& Root)
{
    return Root + "\\CustomColors";
}

// Reports a settings error where raising is not allowed (a destructor).
void ReportQuietly(const std::exception& E) noexcept
{
    try {
        Application().HandleException(E);
    } catch (...) {
    }
}

} // namespace

TdxPSEngine* TdxPSEngine::GetInstance(int AccessCode)
{
    switch (AccessCode) {
    case 0:
        return g_engine;
    case 1:
        if (!g_engine) {
            g_engine = new TdxPSEngine;
            const std::string root = g_engine->GetRegistryPath();
            if (!root.empty())
                dxPSLoadCustomColors(CustomColorsKey(root));
        }
        return g_engine;
    case 2:
        g_engine = nullptr;
        return nullptr;
    default:
        throw EdxPSEngine(Format("Illegal AccessCode %d in GetInstance", {AccessCode}));
    }
}

TdxPSEngine::TdxPSEngine() = default;

TdxPSEngine::~TdxPSEngine()
{
    if (g_engine == this)
        GetInstance(2);
    const std::string root = GetRegistryPath();
    if (root.empty() || g_programEnded)
        return;
    try {
        dxPSSaveCustomColors(CustomColorsKey(root));
    } catch (const std::exception& E) {
        ReportQuietly(E);
    }
}

std::string TdxPSEngine::GetRegistryPath() const
{
    return dxPSIsDesignTime() ? m_designTimeRegistryPath : m_registryPath;
}

TdxPSEngine* dxPSEngine()
{
    return TdxPSEngine::GetInstance(1);
}

bool dxPSIsDesignTime()
{
    // No development environment hosts these components here.
    return false;
}

// ----- platform facts -----------------------------------------------------------------------

int dxCheckWidth()
{
    static const int width = CheckBoxGlyphSize().cx;
    return width;
}

int dxCheckHeight()
{
    static const int height = CheckBoxGlyphSize().cy;
    return height;
}

bool IsWin9XOrWin32s()
{
    return false;
}

bool IsWin2KOrXP()
{
    return true;
}

// ----- unit users ------------------------------------------------------------------------------

TdxPSUnitUser::TdxPSUnitUser()
{
    if (++g_unitUsers == 1)
        dxPSStartStandardStyle();
}

TdxPSUnitUser::~TdxPSUnitUser()
{
    if (--g_unitUsers > 0)
        return;
    dxPSEndStandardStyle();
    delete TdxPSEngine::GetInstance(0);
    delete TdxPSEventSystem::GetInstance(0);
    dxPSFinalizeCustomColors();
}

int TdxPSUnitUser::UserCount()
{
    return g_unitUsers;
}

} // namespace qel
