#pragma once
// The printing engine singleton: the root key of every printing setting in
// the settings store, the help file of the printing forms and the custom
// colours of the colour pickers. Also the platform facts the printing code
// reads, and the user count of the printing units.
#include "platform/core/Exceptions.h"
#include "platform/core/Object.h"

#include <string>

namespace qel {

QEL_DECLARE_EXCEPTION(EdxPSEngine, Exception);

inline constexpr const char* dxPSDesignTimeRegistryPath = "Software\\Tessaro\\PrintingSystem\\DesignTime";

class TdxPSEngine : public TObject {
    QEL_CLASS(TdxPSEngine)
public:
    // 0: the instance or nullptr; 1: the instance, created when there is none;
    // 2: forgets the instance. Other codes raise EdxPSEngine.
    static TdxPSEngine* GetInstance(int AccessCode);

    // Saves the custom colours under the root (errors are reported, never raised).
    ~TdxPSEngine() override;

    const std::string& HelpFile() const { return m_helpFile; }
    void SetHelpFile(const std::string& Value) { m_helpFile = Value; }
    const std::string& RegistryPath() const { return m_registryPath; }
    void SetRegistryPath(const std::string& Value) { m_registryPath = Value; }
    const std::string& DesignTimeRegistryPath() const { return m_designTimeRegistryPath; }
    // The root of the printing settings: the design-time path while a
    // development environment hosts the components, else RegistryPath.
    // It is the only place they are kept: the preview windows write their
    // settings there and nowhere else.
    std::string GetRegistryPath() const;
    // The printing forms' flat look (flat status panels, the preview's
    // ultra-flat frame); off unless the program turns it on.
    bool FlatDialogs() const { return m_flatDialogs; }
    void SetFlatDialogs(bool Value) { m_flatDialogs = Value; }

private:
    TdxPSEngine();
    std::string m_designTimeRegistryPath{dxPSDesignTimeRegistryPath};
    std::string m_helpFile;
    std::string m_registryPath;
    bool m_flatDialogs{false};
};

// The engine, created on first call (its custom colours loaded then).
TdxPSEngine* dxPSEngine();

// True while a development environment hosts the components; never in the running program.
bool dxPSIsDesignTime();

// ----- platform facts (computed once) ------------------------------------------------------
// One glyph of the system's check-box picture.
int dxCheckWidth();
int dxCheckHeight();
// The platform counts 960 report units per inch on the old 16-bit-based
// systems; this one is never such a system.
bool IsWin9XOrWin32s();
// True on systems of the newer family (here always).
bool IsWin2KOrXP();

// ----- unit users ------------------------------------------------------------------------------
// The printing units' start-up runs for the first user and their shutdown
// for the last: freeing the engine (which saves the custom colours), the
// event system, and saving the colour pickers' custom colours. A program
// holds one for as long as its application object lives; the settings store
// cannot be reached after that, so whatever is left at program end is freed
// without touching the settings.
class TdxPSUnitUser {
public:
    TdxPSUnitUser();
    ~TdxPSUnitUser();
    TdxPSUnitUser(const TdxPSUnitUser&) = delete;
    TdxPSUnitUser& operator=(const TdxPSUnitUser&) = delete;

    static int UserCount();
};

} // namespace qel
