#pragma once
// Print styles: named, reusable page settings (a TdxPrinterPage) with a
// caption, a glyph and flags that say what the page setup dialog may change;
// and TdxPrintStyleManager, which keeps an ordered list of styles with one
// current style, stores them in a style file, makes copies with unique
// captions and announces list, current-style and page changes to the open
// windows through the printing event system.
//
//   auto* manager = new TdxPrintStyleManager(form);
//   TBasedxPrintStyle* style = manager->AddStyle();      // the default style class
//   style->SetStyleCaption("Zutrittsmatrix");
//   style->PrinterPage()->SetOrientation(poLandscape);   // current style: subscribers hear of it
//   manager->SaveToFile(path);                           // written whole or not at all
//
// Style file: i32 Version, i32 index of the current style (-1 none), then the
// manager as one component of the component stream with its styles as children.
#include "platform/core/ChangeLink.h"
#include "platform/core/Component.h"
#include "platform/graphics/Geometry.h"
#include "printing/PrinterPage.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qel {

class TBitmap;
class TCanvas;
class TImageList;
class TStream;
class TStrings;
class TBasedxPrintStyle;
class TdxPrintStyleManager;

using TdxFilterPaperEvent = std::function<void(TObject* Sender, TdxPaperInfo* Paper, bool& Accept)>;

// The dialogs styles and the manager run belong to the preview layer, which
// installs them here when it starts; without them the calls do nothing and
// answer false.
struct TdxPrintStyleDialogRunners {
    // The page setup dialog on Style: Dialog is the manager's shared dialog
    // component (nullptr: a temporary one); a Preview or Print button whose
    // out-argument is nullptr is hidden. Answers the dialog's result.
    std::function<bool(TBasedxPrintStyle& Style, TComponent* Dialog, int ActivePageIndex, bool* PreviewBtnClicked,
                       bool* PrintBtnClicked)>
        PageSetup;
    // Whether an options editor is registered for exactly that style class.
    std::function<bool(const std::string& StyleClassName)> HasOptionsEditor;
    // The options editor on a copy of a style: answers whether OK was taken,
    // Modified whether the copy was changed.
    std::function<bool(TBasedxPrintStyle& Copy, bool& Modified)> ShowOptionsEditor;
    // The Define Print Styles dialog.
    std::function<void(TdxPrintStyleManager& Manager, const std::string& Title, int HelpContext,
                       bool* PreviewBtnClicked, bool* PrintBtnClicked)>
        DefinePrintStyles;
};
TdxPrintStyleDialogRunners& dxPrintStyleDialogRunners();

// The page of a print style: while its style is the current style of a
// manager, every change reaches the manager's page-parameters event.
class TdxPrintStylePrinterPage : public TdxPrinterPage {
    QEL_CLASS(TdxPrintStylePrinterPage)
public:
    explicit TdxPrintStylePrinterPage(TBasedxPrintStyle* Style = nullptr);
    TBasedxPrintStyle* PrintStyle() const { return m_style; }

protected:
    void DoChange(TdxPageChangeKinds ChangedKinds) override;
    std::unique_ptr<TdxBaseObject> CreateNew() const override
    {
        return std::make_unique<TdxPrintStylePrinterPage>();
    }

private:
    TBasedxPrintStyle* m_style;
};

class TBasedxPrintStyle : public TComponent {
    QEL_CLASS(TBasedxPrintStyle)
public:
    explicit TBasedxPrintStyle(TComponent* AOwner);
    // Runs OnDestroy and leaves the manager.
    ~TBasedxPrintStyle() override;

    virtual bool AllowChangeHFText() const { return m_allow[0]; }
    virtual void SetAllowChangeHFText(bool Value) { m_allow[0] = Value; }
    virtual bool AllowChangeMargins() const { return m_allow[1]; }
    virtual void SetAllowChangeMargins(bool Value) { m_allow[1] = Value; }
    virtual bool AllowChangeOrientation() const { return m_allow[2]; }
    virtual void SetAllowChangeOrientation(bool Value) { m_allow[2] = Value; }
    virtual bool AllowChangePaper() const { return m_allow[3]; }
    virtual void SetAllowChangePaper(bool Value) { m_allow[3] = Value; }
    virtual bool AllowChangeScale() const { return m_allow[4]; }
    virtual void SetAllowChangeScale(bool Value) { m_allow[4] = Value; }
    virtual bool AllowCustomPaperSizes() const { return m_allow[5]; }
    virtual void SetAllowCustomPaperSizes(bool Value) { m_allow[5] = Value; }

    const std::string& Description() const { return m_description; }
    void SetDescription(const std::string& Value) { m_description = Value; }
    int ImageIndex() const { return m_imageIndex; }
    void SetImageIndex(int Value) { m_imageIndex = Value; }
    // Position in the manager's list, -1 without manager; setting clamps and moves.
    int Index() const;
    void SetIndex(int Value);
    bool IsCurrentStyle() const;
    // True makes the style current (not while it is read, not without manager).
    void SetIsCurrentStyle(bool Value);
    TdxPrinterPage* PrinterPage() const { return m_printerPage.get(); }
    void SetPrinterPage(TdxPrinterPage* Value) { m_printerPage->Assign(Value); }
    bool ShowPageSetupDlg() const { return m_showPageSetupDlg; }
    void SetShowPageSetupDlg(bool Value) { m_showPageSetupDlg = Value; }
    const std::string& StyleCaption() const { return m_styleCaption; }
    void SetStyleCaption(const std::string& Value);
    TBitmap* StyleGlyph() const { return m_styleGlyph.get(); }
    void SetStyleGlyph(TBitmap* Value);
    // Made inside a development environment (kept by DeleteNonBuiltInStyles).
    bool BuiltInStyle() const { return m_builtInStyle; }
    void SetBuiltInStyle(bool Value) { m_builtInStyle = Value; }
    bool BeingCloned() const { return m_beingCloned; }

    TdxPrintStyleManager* StyleManager() const { return m_styleManager; }
    void SetStyleManager(TdxPrintStyleManager* Value);

    // From another style: the six Allow flags, Description, ImageIndex,
    // PrinterPage, StyleGlyph and StyleCaption.
    void Assign(TPersistent* Source) override;
    virtual void RestoreDefaults();
    // The papers of the selected printer this style accepts, each with its
    // paper as the entry's object; custom papers take the page's size.
    void GetFilteredPapers(TStrings& Strings);
    virtual void BeforePrinting() {}
    virtual void AfterPrinting() {}

    bool PageSetup(int ActivePageIndex = 0, bool* PreviewBtnClicked = nullptr, bool* PrintBtnClicked = nullptr);
    bool HasStyleOptionsDlg() const;
    // The options editor on a copy, assigned back when OK was taken after a
    // change; answers whether OK was taken.
    bool ShowOptionsDlg();

    void Loaded() override;
    TComponent* GetParentComponent() const override;
    bool HasParent() const override { return m_styleManager != nullptr; }
    void SetParentComponent(TComponent* Value) override;

    TNotifyEvent OnDestroy;
    TdxFilterPaperEvent OnFilterPaper;

protected:
    virtual void DoDestroy();
    virtual bool DoFilterPaper(TdxPaperInfo* Paper);
    // The page of the current style changed.
    virtual void StyleChanged(TdxPageChangeKinds ChangedKinds);

private:
    friend class TdxPrintStylePrinterPage;
    friend class TdxPrintStyleManager;

    bool m_allow[6]{true, true, true, true, true, true};
    std::string m_description;
    int m_imageIndex{-1};
    std::unique_ptr<TdxPrintStylePrinterPage> m_printerPage;
    bool m_showPageSetupDlg{false};
    std::string m_styleCaption;
    std::unique_ptr<TBitmap> m_styleGlyph;
    bool m_builtInStyle{false};
    bool m_beingCloned{false};
    TdxPrintStyleManager* m_styleManager{nullptr};
};

class TdxPrintStyleManager : public TComponent {
    QEL_CLASS(TdxPrintStyleManager)
public:
    static constexpr const char* DefaultCloneStyleCaptionPrefix = "Copy (%d) of ";
    static constexpr const char* DefaultTitle = "Define Print Styles";

    explicit TdxPrintStyleManager(TComponent* AOwner);
    // Saves to StorageName once (AutoSave), then frees the styles.
    ~TdxPrintStyleManager() override;

    bool AutoSave() const { return m_autoSave; }
    void SetAutoSave(bool Value) { m_autoSave = Value; }
    const std::string& CloneStyleCaptionPrefix() const { return m_cloneStyleCaptionPrefix; }
    void SetCloneStyleCaptionPrefix(const std::string& Value) { m_cloneStyleCaptionPrefix = Value; }
    TBasedxPrintStyle* CurrentStyle() const { return m_currentStyle; }
    void SetCurrentStyle(TBasedxPrintStyle* Value);
    int HelpContext() const { return m_helpContext; }
    void SetHelpContext(int Value) { m_helpContext = Value; }
    TImageList* Images() const { return m_images; }
    void SetImages(TImageList* Value);
    // The shared page setup dialog component of the preview layer.
    TComponent* PageSetupDialog() const { return m_pageSetupDialog; }
    void SetPageSetupDialog(TComponent* Value);
    const std::string& StorageName() const { return m_storageName; }
    void SetStorageName(const std::string& Value) { m_storageName = Value; }
    const std::string& Title() const { return m_title; }
    void SetTitle(const std::string& Value) { m_title = Value; }
    int Version() const { return m_version; }
    void SetVersion(int Value) { m_version = Value; }

    int Count() const { return static_cast<int>(m_styles.size()); }
    // EListError for an index outside the list.
    TBasedxPrintStyle* Styles(int Index) const;
    int IndexOfStyle(const TBasedxPrintStyle* Style) const;
    // -1 without a current style; writing clamps to the list.
    int CurrentStyleIndex() const;
    void SetCurrentStyleIndex(int Value);

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return m_updateCount; }
    bool IsStreaming() const { return m_streaming; }

    void Clear();
    void Delete(int Index);
    bool HasNonBuiltInStyles() const;
    void DeleteNonBuiltInStyles();
    // A new style of the registered class of that name (the default style
    // class when empty), owned by the manager's owner; nullptr for a name
    // that is not a print style class.
    TBasedxPrintStyle* AddStyle(const std::string& StyleClassName = {});
    // A new style after Index (-1: at the start, of the default style class),
    // a copy of the style at Index with a unique caption; nullptr for an
    // index outside -1 .. Count - 1. EndClone closes the bracket.
    TBasedxPrintStyle* BeginClone(int Index);
    void EndClone(TBasedxPrintStyle* Style);

    // A file of another version is ignored; a damaged one leaves the styles
    // as they were and its error goes to the application's error handler.
    void LoadFromFile(const std::string& FileName);
    // Written whole or not at all.
    void SaveToFile(const std::string& FileName);
    void LoadFromStream(TStream& Stream);
    void SaveToStream(TStream& Stream);

    // Runs the Define Print Styles dialog; its changes are announced after
    // the current event.
    void DefinePrintStylesDlg(bool* PreviewBtnClicked = nullptr, bool* PrintBtnClicked = nullptr);

    void Loaded() override;
    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

    TNotifyEvent OnChangeCurrentStyle;
    TNotifyEvent OnStyleListChanged;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TBasedxPrintStyle;
    void InsertStyle(TBasedxPrintStyle* Style);
    void RemoveStyle(TBasedxPrintStyle* Style);
    void MoveStyle(TBasedxPrintStyle* Style, int NewIndex);
    void FreeStyles();
    // Takes the styles Source read, with their ownership.
    void TakeStylesFrom(TdxPrintStyleManager& Source);
    bool CanNotify() const;
    void StyleListChanged();
    void CurrentStyleChanged();
    void PageParamsChanged(TBasedxPrintStyle* Style, TdxPageChangeKinds ChangedKinds);
    void SettingChanged();
    void SaveToStorage();
    std::string UniqueCaption(const TBasedxPrintStyle* Source, const TBasedxPrintStyle* Clone) const;

    bool m_autoSave{false};
    std::string m_cloneStyleCaptionPrefix{DefaultCloneStyleCaptionPrefix};
    TBasedxPrintStyle* m_currentStyle{nullptr};
    int m_helpContext{0};
    TImageList* m_images{nullptr};
    TComponent* m_pageSetupDialog{nullptr};
    std::string m_storageName;
    std::string m_title{DefaultTitle};
    int m_version{0};

    std::vector<TBasedxPrintStyle*> m_styles;   // not owned by the list
    int m_updateCount{0};
    bool m_streaming{false};
    bool m_saved{false};
    TChangeLink m_settingLink;
    // Posted calls check it: a manager freed before they run is not touched.
    std::shared_ptr<int> m_alive{std::make_shared<int>(0)};
};

// The class AddStyle and BeginClone(-1) use when no class is named;
// "TBasedxPrintStyle" until another print style class is set.
const std::string& dxDefaultPrintStyleClass();
void dxSetDefaultPrintStyleClass(const std::string& ClassName);

// The caption of a style copy: Prefix formatted with Number, where "%d"
// stands for the number and no other "%" sequence is read (a caption or
// prefix with "%" in it is text, never a format).
std::string dxFormatCloneCaption(const std::string& Prefix, int Number);

// Draws one entry of a style list: background by selection, the glyph (from
// the manager's Images when ImageIndex is valid, else StyleGlyph) centred in
// a 32 x 32 cell, the caption 4 pixels to its right, bold for the current
// style when asked, on one line when it fits, else word-wrapped.
void DrawPrintStyleListItem(TBasedxPrintStyle* Style, TCanvas& Canvas, const TRect& Rect, bool Selected,
                            bool BoldCurrent);
// The default page picture of the page setup preview: a lattice of
// 1-pixel lines in the button-face colour inside Rect.
void DrawDefaultPreviewContent(TBasedxPrintStyle* Style, TCanvas& Canvas, const TRect& Rect);

} // namespace qel
