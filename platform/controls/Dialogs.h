#pragma once
// Message boxes (MessageDlg) and the common dialogs (font, colour, open,
// save, open picture). Tests answer both through hooks: a message-box hook
// gives the answer directly, or, without it, the message form goes through
// the modal-form hook like any other form; a common-dialog hook fills the
// dialog's properties and answers Execute.
#include "platform/controls/Forms.h"
#include "platform/core/Strings.h"

#include <map>
#include <memory>
#include <optional>

namespace qel {

enum TMsgDlgType : std::uint8_t { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn : std::uint8_t {
    mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp
};
using TMsgDlgButtons = TSet<TMsgDlgBtn>;
inline constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline constexpr TMsgDlgButtons mbYesAllNoAllCancel{mbYes, mbYesToAll, mbNo, mbNoToAll, mbCancel};
inline constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline constexpr TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

struct TMessageDlgParams {
    std::string Text;
    std::string Caption;                       // empty: by type ("Warning", "Error"...)
    TMsgDlgType Type = mtInformation;
    TMsgDlgButtons Buttons{mbOK};
    int HelpCtx = 0;
    std::optional<TMsgDlgBtn> DefaultButton;   // default: OK, else Yes, else the first
    std::map<TMsgDlgBtn, std::string> ButtonCaptions;   // replaces the standard captions
};

// The modal result a button gives (mbHelp: mrNone).
TModalResult ModalResultOf(TMsgDlgBtn Button);
// The standard caption ("&Yes", "OK", "N&o to All"...) and the button's name ("Yes", "NoToAll").
std::string MsgDlgButtonCaption(TMsgDlgBtn Button);
std::string MsgDlgButtonName(TMsgDlgBtn Button);

TModalResult MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx);
TModalResult MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
                        TMsgDlgBtn DefaultButton);
TModalResult MessageDlgEx(const TMessageDlgParams& Params);
// The same, with a chance to rearrange the message form before it shows
// (wider buttons, say). The message-box hook answers as for MessageDlgEx;
// the form is not made then.
TModalResult MessageDlgEx(const TMessageDlgParams& Params, const std::function<void(TForm& Form)>& Adjust);
void ShowMessage(const std::string& Msg);
// The message form (label "Message", buttons named by MsgDlgButtonName), for
// callers that adjust it before ShowModal.
std::unique_ptr<TForm> CreateMessageDialog(const TMessageDlgParams& Params);

using TMessageDlgHook = std::function<TModalResult(const TMessageDlgParams& Params)>;
TMessageDlgHook SetMessageDlgHook(TMessageDlgHook Hook);

class TMessageDlgHookScope {
public:
    explicit TMessageDlgHookScope(TMessageDlgHook Hook) : m_previous(SetMessageDlgHook(std::move(Hook))) {}
    ~TMessageDlgHookScope() { SetMessageDlgHook(std::move(m_previous)); }
    TMessageDlgHookScope(const TMessageDlgHookScope&) = delete;
    TMessageDlgHookScope& operator=(const TMessageDlgHookScope&) = delete;

private:
    TMessageDlgHook m_previous;
};

// The platform's beep; silent unless a hook is set (tests count beeps).
using TBeepHook = std::function<void(unsigned Type)>;
TBeepHook SetBeepHook(TBeepHook Hook);
void MessageBeep(unsigned Type);

// ----- common dialogs ---------------------------------------------------------------
class TCommonDialog : public TComponent {
    QEL_CLASS(TCommonDialog)
public:
    explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}

    // Shows the dialog modally; true when the user accepted it.
    bool Execute();
    int HelpContext() const { return m_helpContext; }
    void SetHelpContext(int Value) { m_helpContext = Value; }
    const std::string& Title() const { return m_title; }
    void SetTitle(const std::string& Value) { m_title = Value; }

    TNotifyEvent OnShow;
    TNotifyEvent OnClose;

    // Runs in place of the Qt dialog: fills the dialog's properties and answers Execute.
    using THook = std::function<bool(TCommonDialog& Dialog)>;
    static THook SetHook(THook Hook);

protected:
    virtual bool DoExecute() = 0;

private:
    int m_helpContext{0};
    std::string m_title;
};

class TCommonDialogHookScope {
public:
    explicit TCommonDialogHookScope(TCommonDialog::THook Hook) : m_previous(TCommonDialog::SetHook(std::move(Hook))) {}
    ~TCommonDialogHookScope() { TCommonDialog::SetHook(std::move(m_previous)); }
    TCommonDialogHookScope(const TCommonDialogHookScope&) = delete;
    TCommonDialogHookScope& operator=(const TCommonDialogHookScope&) = delete;

private:
    TCommonDialog::THook m_previous;
};

enum TFontDialogOption : std::uint8_t {
    fdAnsiOnly, fdTrueTypeOnly, fdEffects, fdFixedPitchOnly, fdForceFontExist, fdNoFaceSel,
    fdNoOEMFonts, fdNoSimulations, fdNoSizeSel, fdNoStyleSel, fdNoVectorFonts, fdShowHelp,
    fdWysiwyg, fdLimitSize, fdScalableOnly, fdApplyButton
};
using TFontDialogOptions = TSet<TFontDialogOption>;
// Which fonts the dialog offers: the screen's, the printer's or both. Text
// goes to the screen and the printers through the same installed fonts here,
// so the three offer the same list; the setting is kept for the callers
// that choose between them.
enum TFontDialogDevice : std::uint8_t { fdScreen, fdPrinter, fdBoth };

class TFontDialog : public TCommonDialog {
    QEL_CLASS(TFontDialog)
public:
    explicit TFontDialog(TComponent* AOwner);
    ~TFontDialog() override;

    TFont* Font() const { return m_font.get(); }
    void SetFont(TFont* Value) { m_font->Assign(Value); }
    TFontDialogOptions Options() const { return m_options; }
    void SetOptions(TFontDialogOptions Value) { m_options = Value; }
    int MinFontSize() const { return m_minFontSize; }
    void SetMinFontSize(int Value) { m_minFontSize = Value; }
    int MaxFontSize() const { return m_maxFontSize; }
    void SetMaxFontSize(int Value) { m_maxFontSize = Value; }
    TFontDialogDevice Device() const { return m_device; }
    void SetDevice(TFontDialogDevice Value) { m_device = Value; }

protected:
    bool DoExecute() override;

private:
    std::unique_ptr<TFont> m_font;
    TFontDialogDevice m_device{fdScreen};
    TFontDialogOptions m_options{fdEffects};
    int m_minFontSize{0};
    int m_maxFontSize{0};
};

enum TColorDialogOption : std::uint8_t { cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor };
using TColorDialogOptions = TSet<TColorDialogOption>;

class TColorDialog : public TCommonDialog {
    QEL_CLASS(TColorDialog)
public:
    explicit TColorDialog(TComponent* AOwner);
    ~TColorDialog() override;

    TColor Color() const { return m_color; }
    void SetColor(TColor Value) { m_color = Value; }
    // "ColorA=xxxxxx" ... "ColorP=xxxxxx": the sixteen custom colours, each the
    // colour value (0x00BBGGRR) as six hex digits, as the platform stores them.
    TStrings* CustomColors() const { return m_customColors.get(); }
    void SetCustomColors(TStrings* Value) { m_customColors->Assign(Value); }
    TColorDialogOptions Options() const { return m_options; }
    void SetOptions(TColorDialogOptions Value) { m_options = Value; }

protected:
    bool DoExecute() override;

private:
    TColor m_color{clBlack};
    std::unique_ptr<TStrings> m_customColors;
    TColorDialogOptions m_options;
};

enum TOpenOption : std::uint8_t {
    ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate,
    ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt,
    ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames,
    ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing,
    ofDontAddToRecent, ofForceShowHidden
};
using TOpenOptions = TSet<TOpenOption>;

class TOpenDialog : public TCommonDialog {
    QEL_CLASS(TOpenDialog)
public:
    explicit TOpenDialog(TComponent* AOwner);
    ~TOpenDialog() override;

    const std::string& FileName() const { return m_fileName; }
    void SetFileName(const std::string& Value) { m_fileName = Value; }
    // All chosen files (several with ofAllowMultiSelect).
    TStrings* Files() const { return m_files.get(); }
    // "Text files (*.txt)|*.txt|All files (*.*)|*.*"
    const std::string& Filter() const { return m_filter; }
    void SetFilter(const std::string& Value) { m_filter = Value; }
    // 1-based, as on the platform.
    int FilterIndex() const { return m_filterIndex; }
    void SetFilterIndex(int Value) { m_filterIndex = Value; }
    const std::string& DefaultExt() const { return m_defaultExt; }
    void SetDefaultExt(const std::string& Value) { m_defaultExt = Value; }
    const std::string& InitialDir() const { return m_initialDir; }
    void SetInitialDir(const std::string& Value) { m_initialDir = Value; }
    TOpenOptions Options() const { return m_options; }
    void SetOptions(TOpenOptions Value) { m_options = Value; }

protected:
    bool DoExecute() override;
    virtual bool SaveMode() const { return false; }

private:
    std::string m_fileName;
    std::unique_ptr<TStrings> m_files;
    std::string m_filter;
    int m_filterIndex{1};
    std::string m_defaultExt;
    std::string m_initialDir;
    TOpenOptions m_options{ofHideReadOnly, ofEnableSizing};
};

class TSaveDialog : public TOpenDialog {
    QEL_CLASS(TSaveDialog)
public:
    explicit TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) {}

protected:
    bool SaveMode() const override { return true; }
};

class TOpenPictureDialog : public TOpenDialog {
    QEL_CLASS(TOpenPictureDialog)
public:
    explicit TOpenPictureDialog(TComponent* AOwner);
};

} // namespace qel
