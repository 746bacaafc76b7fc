#pragma once
// Common controls: page control with tab sheets, up-down buttons, status
// bar, tool bar with tool buttons.
#include "platform/controls/Controls.h"

#include <memory>
#include <vector>

namespace qel {

class TImageList;
class TPopupMenu;
class TPageControl;

using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

// ----- TTabSheet / TPageControl ------------------------------------------------------
class TTabSheet : public TWinControl {
    QEL_CLASS(TTabSheet)
public:
    explicit TTabSheet(TComponent* AOwner);
    ~TTabSheet() override;

    TPageControl* PageControl() const;
    void SetPageControl(TPageControl* Value);
    // Position among the page control's pages; -1 without one.
    int PageIndex() const;
    void SetPageIndex(int Value);
    bool TabVisible() const { return m_tabVisible; }
    void SetTabVisible(bool Value);
    int ImageIndex() const { return m_imageIndex; }
    void SetImageIndex(int Value) { m_imageIndex = Value; }

protected:
    void ApplyVisible() override {}
    void TextChanged() override;

private:
    bool m_tabVisible{true};
    int m_imageIndex{-1};
};

class TPageControl : public TWinControl {
    QEL_CLASS(TPageControl)
public:
    explicit TPageControl(TComponent* AOwner);
    ~TPageControl() override;

    int PageCount() const { return static_cast<int>(m_pages.size()); }
    TTabSheet* Pages(int Index) const;     // EListError out of range
    TTabSheet* ActivePage() const;
    // Setting the page from code runs neither OnChanging nor OnChange.
    void SetActivePage(TTabSheet* Value);
    int ActivePageIndex() const { return m_activeIndex; }
    void SetActivePageIndex(int Value);
    // Moves to the next (previous) page with a visible tab, as Ctrl+Tab does;
    // OnChanging may refuse.
    void SelectNextPage(bool GoForward);
    // The tab's rectangle in client coordinates (empty for hidden tabs).
    TRect TabRect(int PageIndex) const;
    TImageList* Images() const { return m_images; }
    void SetImages(TImageList* Value) { m_images = Value; }

    TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;

protected:
    virtual bool CanChange();
    virtual void Change();
    void ControlInserted(TControl* Control) override;
    void ControlRemoved(TControl* Control) override;
    bool DialogChar(TKeyChar Ch) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TTabSheet;
    void UserSelected(int QtIndex);
    void SetActiveIndex(int Value);
    void SyncTab(TTabSheet* Page);
    bool ChangeTo(int PageIndex);
    std::vector<TTabSheet*> m_pages;
    int m_activeIndex{-1};
    bool m_syncing{false};
    TImageList* m_images{nullptr};
};

// ----- TUpDown ------------------------------------------------------------------------
enum TUDBtnType : std::uint8_t { btNext, btPrev };
enum TUDOrientation : std::uint8_t { udHorizontal, udVertical };
enum TUDAlignButton : std::uint8_t { udLeft, udRight };
using TUDClickEvent = std::function<void(TObject* Sender, TUDBtnType Button)>;
using TUDChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TUpDown : public TCustomControl {
    QEL_CLASS(TUpDown)
public:
    explicit TUpDown(TComponent* AOwner);

    // The control whose text shows Position; the buttons sit beside it.
    TWinControl* Associate() const { return m_associate; }
    void SetAssociate(TWinControl* Value);
    TUDAlignButton AlignButton() const { return m_alignButton; }
    void SetAlignButton(TUDAlignButton Value);
    int Min() const { return m_min; }
    void SetMin(int Value);
    int Max() const { return m_max; }
    void SetMax(int Value);
    int Position() const { return m_position; }
    void SetPosition(int Value);
    int Increment() const { return m_increment; }
    void SetIncrement(int Value) { m_increment = Value; }
    bool Wrap() const { return m_wrap; }
    void SetWrap(bool Value) { m_wrap = Value; }
    bool Thousands() const { return m_thousands; }
    void SetThousands(bool Value) { m_thousands = Value; UpdateAssociate(); }
    TUDOrientation Orientation() const { return m_orientation; }
    void SetOrientation(TUDOrientation Value) { m_orientation = Value; Invalidate(); }

    // As a press of a button: OnChanging may refuse, then the position moves and OnClick runs.
    void ClickButton(TUDBtnType Button);

    TUDClickEvent OnClick;
    TUDChangingEvent OnChanging;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    bool AcceptsFocus() const override { return false; }

private:
    void UpdateAssociate();
    void PlaceBesideAssociate();
    TWinControl* m_associate{nullptr};
    TUDAlignButton m_alignButton{udRight};
    int m_min{0};
    int m_max{100};
    int m_position{0};
    int m_increment{1};
    bool m_wrap{false};
    bool m_thousands{true};
    TUDOrientation m_orientation{udVertical};
};

// ----- TStatusBar ---------------------------------------------------------------------
enum TStatusPanelStyle : std::uint8_t { psText, psOwnerDraw };
enum TStatusPanelBevel : std::uint8_t { pbNone, pbLowered, pbRaised };

class TStatusBar;

class TStatusPanel : public TPersistent {
    QEL_CLASS(TStatusPanel)
public:
    explicit TStatusPanel(TStatusBar* Owner) : m_owner(Owner) {}

    const std::string& Text() const { return m_text; }
    void SetText(const std::string& Value);
    int Width() const { return m_width; }
    void SetWidth(int Value);
    TStatusPanelStyle Style() const { return m_style; }
    void SetStyle(TStatusPanelStyle Value);
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment Value);
    TStatusPanelBevel Bevel() const { return m_bevel; }
    void SetBevel(TStatusPanelBevel Value);
    int Index() const;

private:
    void Changed();
    TStatusBar* m_owner;
    std::string m_text;
    int m_width{50};
    TStatusPanelStyle m_style{psText};
    TAlignment m_alignment{taLeftJustify};
    TStatusPanelBevel m_bevel{pbLowered};
};

class TStatusPanels {
public:
    explicit TStatusPanels(TStatusBar* Owner) : m_owner(Owner) {}
    int Count() const { return static_cast<int>(m_items.size()); }
    TStatusPanel* Items(int Index) const;   // EListError out of range
    TStatusPanel* Add();
    void Delete(int Index);
    void Clear();
    int IndexOf(const TStatusPanel* Panel) const;

private:
    TStatusBar* m_owner;
    std::vector<std::unique_ptr<TStatusPanel>> m_items;
};

using TDrawPanelEvent = std::function<void(TStatusBar* StatusBar, TStatusPanel* Panel, const TRect& Rect)>;

class TStatusBar : public TCustomControl {
    QEL_CLASS(TStatusBar)
public:
    explicit TStatusBar(TComponent* AOwner);
    ~TStatusBar() override;

    TStatusPanels* Panels() const { return m_panels.get(); }
    // One panel across the bar showing SimpleText.
    bool SimplePanel() const { return m_simplePanel; }
    void SetSimplePanel(bool Value);
    const std::string& SimpleText() const { return m_simpleText; }
    void SetSimpleText(const std::string& Value);
    bool SizeGrip() const { return m_sizeGrip; }
    void SetSizeGrip(bool Value);
    // The rectangle of a panel in client coordinates.
    TRect PanelRect(int Index) const;

    TDrawPanelEvent OnDrawPanel;

protected:
    void Paint() override;
    virtual void DrawPanel(TStatusPanel* Panel, const TRect& Rect);
    bool AcceptsFocus() const override { return false; }

private:
    std::unique_ptr<TStatusPanels> m_panels;
    bool m_simplePanel{false};
    std::string m_simpleText;
    bool m_sizeGrip{true};
};

// ----- TToolBar / TToolButton ---------------------------------------------------------
enum TToolButtonStyle : std::uint8_t { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

class TToolBar;

class TToolButton : public TWinControl {
    QEL_CLASS(TToolButton)
public:
    explicit TToolButton(TComponent* AOwner);

    TToolButtonStyle Style() const { return m_style; }
    void SetStyle(TToolButtonStyle Value);
    // Check buttons next to each other with Grouped act as radio buttons.
    bool Grouped() const { return m_grouped; }
    void SetGrouped(bool Value) { m_grouped = Value; }
    bool AllowAllUp() const { return m_allowAllUp; }
    void SetAllowAllUp(bool Value) { m_allowAllUp = Value; }
    bool Down() const { return m_down; }
    void SetDown(bool Value);
    int ImageIndex() const { return m_imageIndex; }
    void SetImageIndex(int Value);
    TPopupMenu* DropdownMenu() const { return m_dropdownMenu; }
    void SetDropdownMenu(TPopupMenu* Value);
    int Index() const;
    TToolBar* ToolBar() const;

    void Click() override;
    // Shows the drop-down menu below the button.
    void DropDown();

protected:
    void TextChanged() override;
    bool AcceptsFocus() const override { return false; }
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TToolBar;
    void UpdateIcon();
    TToolButtonStyle m_style{tbsButton};
    bool m_grouped{false};
    bool m_allowAllUp{false};
    bool m_down{false};
    int m_imageIndex{-1};
    TPopupMenu* m_dropdownMenu{nullptr};
};

class TToolBar : public TWinControl {
    QEL_CLASS(TToolBar)
public:
    explicit TToolBar(TComponent* AOwner);

    TImageList* Images() const { return m_images; }
    void SetImages(TImageList* Value);
    // The images of disabled buttons (same indexes); without it Qt greys Images.
    TImageList* DisabledImages() const { return m_disabledImages; }
    void SetDisabledImages(TImageList* Value);
    // Room before the first control of the row.
    int Indent() const { return m_indent; }
    void SetIndent(int Value);
    int ButtonWidth() const { return m_buttonWidth; }
    void SetButtonWidth(int Value);
    int ButtonHeight() const { return m_buttonHeight; }
    void SetButtonHeight(int Value);
    bool Flat() const { return m_flat; }
    void SetFlat(bool Value);
    bool ShowCaptions() const { return m_showCaptions; }
    void SetShowCaptions(bool Value);
    int ButtonCount() const;
    TToolButton* Buttons(int Index) const;

protected:
    void AlignControls(TRect& Rect) override;
    void ControlInserted(TControl* /*Control*/) override { Realign(); }
    void ControlRemoved(TControl* /*Control*/) override { Realign(); }
    void Notification(TComponent* AComponent, TOperation Operation) override;
    bool AcceptsFocus() const override { return false; }

private:
    friend class TToolButton;
    void UpdateButtons();
    TImageList* m_images{nullptr};
    TImageList* m_disabledImages{nullptr};
    int m_indent{0};
    int m_buttonWidth{23};
    int m_buttonHeight{22};
    bool m_flat{true};
    bool m_showCaptions{false};
};

} // namespace qel
