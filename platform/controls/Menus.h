#pragma once
// Menus: TMenuItem trees under a TMainMenu (the form's menu bar) or a
// TPopupMenu (shown at a point, or by a control's context menu). Captions
// use '&' for the accelerator and "-" for a separator line.
#include "platform/controls/Controls.h"

#include <memory>
#include <vector>

class QAction;
class QMenu;

namespace qel {

class TMenu;
class TImageList;

class TMenuItem : public TComponent {
    QEL_CLASS(TMenuItem)
public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;

    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& Value);
    TShortCut ShortCut() const { return m_shortCut; }
    void SetShortCut(TShortCut Value);
    bool Checked() const { return m_checked; }
    // Checking a radio item unchecks the radio items of its group among its siblings.
    void SetChecked(bool Value);
    bool RadioItem() const { return m_radioItem; }
    void SetRadioItem(bool Value);
    int GroupIndex() const { return m_groupIndex; }
    void SetGroupIndex(int Value) { m_groupIndex = Value; }
    bool AutoCheck() const { return m_autoCheck; }
    void SetAutoCheck(bool Value) { m_autoCheck = Value; }
    bool Default() const { return m_default; }
    void SetDefault(bool Value);
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool Value);
    bool Visible() const { return m_visible; }
    void SetVisible(bool Value);
    int ImageIndex() const { return m_imageIndex; }
    void SetImageIndex(int Value);
    const std::string& Hint() const { return m_hint; }
    void SetHint(const std::string& Value) { m_hint = Value; }
    bool IsLine() const { return m_caption == "-"; }
    // The component the item stands for (a print style in a style menu), in
    // place of Tag, which cannot hold a pointer; it reads nullptr once that
    // component is freed.
    TComponent* TagObject() const { return m_tagObject; }
    void SetTagObject(TComponent* Value) { SetFreeNotified(m_tagObject, Value); }

    // ----- children -------------------------------------------------------------------
    int Count() const { return static_cast<int>(m_items.size()); }
    TMenuItem* Items(int Index) const;    // EListError out of range
    TMenuItem* Parent() const { return m_parent; }
    int MenuIndex() const;
    int IndexOf(const TMenuItem* Item) const;
    void Add(TMenuItem* Item);
    void Insert(int Index, TMenuItem* Item);
    // Delete frees the item; Remove only takes it out.
    void Delete(int Index);
    void Remove(TMenuItem* Item);
    void Clear();
    // A child by caption, ignoring '&' and case; nullptr when absent.
    TMenuItem* Find(const std::string& ACaption) const;
    TMenu* GetParentMenu() const;

    // Runs the item as a click would (when enabled): AutoCheck, then OnClick.
    virtual void Click();

    TNotifyEvent OnClick;

    // Qt escape hatch: platform/ only.
    QAction* Action() const { return m_action.get(); }
    QMenu* SubMenu() const { return m_menu.get(); }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TMenu;
    void UpdateAction();
    void RebuildSubMenu();
    void Changed();

    std::string m_caption;
    TShortCut m_shortCut{scNone};
    bool m_checked{false};
    bool m_radioItem{false};
    int m_groupIndex{0};
    bool m_autoCheck{false};
    bool m_default{false};
    bool m_enabled{true};
    bool m_visible{true};
    int m_imageIndex{-1};
    std::string m_hint;
    TComponent* m_tagObject{nullptr};
    TMenuItem* m_parent{nullptr};
    TMenu* m_menuOwner{nullptr};           // set on the root item
    std::vector<TMenuItem*> m_items;
    std::unique_ptr<QAction> m_action;
    std::unique_ptr<QMenu> m_menu;
};

class TMenu : public TComponent {
    QEL_CLASS(TMenu)
public:
    explicit TMenu(TComponent* AOwner);
    ~TMenu() override;

    TMenuItem* Items() const { return m_items.get(); }
    TImageList* Images() const { return m_images; }
    void SetImages(TImageList* Value);
    // Runs the enabled, visible item with this shortcut; answers whether there was one.
    bool IsShortCut(std::uint16_t Key, TShiftState Shift);
    // The item with this shortcut (any depth), or nullptr.
    TMenuItem* FindItemByShortCut(TShortCut ShortCut) const;

    // Told when an item of the tree changes (the form rebuilds its menu bar).
    TChangeLinks& ItemsChanges() { return m_itemsChanges; }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TMenuItem;
    TChangeLinks m_itemsChanges;
    std::unique_ptr<TMenuItem> m_items;
    TImageList* m_images{nullptr};
};

class TMainMenu : public TMenu {
    QEL_CLASS(TMainMenu)
public:
    explicit TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}
};

class TPopupMenu : public TMenu {
    QEL_CLASS(TPopupMenu)
public:
    explicit TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

    // Shows the menu at a screen point and returns once it is closed (and the
    // chosen item has run). Tests answer through the popup hook.
    virtual void Popup(int X, int Y);
    TComponent* PopupComponent() const { return m_popupComponent; }
    void SetPopupComponent(TComponent* Value);
    bool AutoPopup() const { return m_autoPopup; }
    void SetAutoPopup(bool Value) { m_autoPopup = Value; }

    TNotifyEvent OnPopup;

    // Runs in place of showing a popup menu (tests click an item through it).
    using TPopupHook = std::function<void(TPopupMenu& Menu, int X, int Y)>;
    static TPopupHook SetPopupHook(TPopupHook Hook);

protected:
    virtual void DoPopup();
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TComponent* m_popupComponent{nullptr};
    bool m_autoPopup{true};
};

} // namespace qel
