#pragma once
// TCustomdxPSForm: the base of every printing dialog and preview window. It
// shows the hourglass from construction until it is first shown, takes the
// engine's help file, wires a "btnHelp" button to ShowHelp, and keeps its
// window placement in the settings store under the engine's root.
#include "platform/controls/Application.h"
#include "platform/controls/Forms.h"

#include <string>

namespace qel {

class TRegistry;

class TCustomdxPSForm : public TForm {
    QEL_CLASS(TCustomdxPSForm)
public:
    explicit TCustomdxPSForm(TComponent* AOwner);
    // Stores the placement; a settings error is reported, never raised.
    ~TCustomdxPSForm() override;

    // Wires the help button and loads the stored placement.
    void AfterConstruction() override;

    const std::string& HelpFile() const { return m_helpFile; }
    void SetHelpFile(const std::string& Value) { m_helpFile = Value; }

    virtual void ShowHelp();
    // True when the engine has a settings root.
    virtual bool StoresPlacement() const;
    // The window has a sizing frame.
    virtual bool IsSizeable() const;
    // Root + "\FormLayouts\" + program name + "." + class name without its leading "T".
    virtual std::string GetPlacementKey(const std::string& Root) const;
    virtual void LoadFromRegistry(const std::string& Key);
    virtual void SaveToRegistry(const std::string& Key);

    bool LongOperation() const { return m_cursorChanged; }

protected:
    virtual void BeginLongOperation();
    virtual void EndLongOperation();
    void DoShow() override;

private:
    std::string m_helpFile;
    // Taken after construction: the destructor no longer sees the form's own class.
    std::string m_placementKey;
    TCursor m_savedCursor{crDefault};
    bool m_cursorChanged{false};
};

// The placement rule on its own: a rectangle whose top-left corner lies off
// the work area moves, keeping its size, just far enough to start on it
// (a title bar above the screen could not be grabbed); then, when it was
// stored on a screen of another size, its right and bottom are cut to the
// current screen.
TRect dxFitPlacementToScreen(const TRect& Bounds, bool SameScreen, int ScreenWidth, int ScreenHeight,
                             const TRect& WorkArea);

} // namespace qel
