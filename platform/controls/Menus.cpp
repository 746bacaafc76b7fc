#include "platform/controls/Menus.h"

#include "platform/controls/detail/ControlBridge.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"

#include <QAction>
#include <QFont>
#include <QIcon>
#include <QMenu>
#include <QPixmap>

#include <algorithm>

namespace qel {

namespace {
TPopupMenu::TPopupHook& PopupHook()
{
    static TPopupMenu::TPopupHook hook;
    return hook;
}
} // namespace

// ===== TMenuItem ====================================================================

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), m_action(std::make_unique<QAction>())
{
    QObject::connect(m_action.get(), &QAction::triggered, m_action.get(), [this] {
        if (!IsDestroying())
            Click();
    });
}

TMenuItem::~TMenuItem()
{
    Destroying();
    while (!m_items.empty())
        delete m_items.back();
    if (m_parent)
        m_parent->Remove(this);
    m_action->setMenu(nullptr);
}

void TMenuItem::SetCaption(const std::string& Value)
{
    if (m_caption == Value)
        return;
    m_caption = Value;
    UpdateAction();
}

void TMenuItem::SetShortCut(TShortCut Value)
{
    m_shortCut = Value;
    UpdateAction();
}

void TMenuItem::SetChecked(bool Value)
{
    // An unchanged state costs the menu nothing: a changed action lays the menu out again.
    if (m_checked == Value)
        return;
    if (Value && m_radioItem && m_parent)
        for (TMenuItem* sibling : m_parent->m_items)
            if (sibling != this && sibling->m_radioItem && sibling->m_groupIndex == m_groupIndex && sibling->m_checked) {
                sibling->m_checked = false;
                sibling->UpdateAction();
            }
    m_checked = Value;
    UpdateAction();
}

void TMenuItem::SetRadioItem(bool Value)
{
    m_radioItem = Value;
    UpdateAction();
}

void TMenuItem::SetDefault(bool Value)
{
    m_default = Value;
    UpdateAction();
}

void TMenuItem::SetEnabled(bool Value)
{
    if (m_enabled == Value)
        return;
    m_enabled = Value;
    UpdateAction();
}

void TMenuItem::SetVisible(bool Value)
{
    if (m_visible == Value)
        return;
    m_visible = Value;
    UpdateAction();
}

void TMenuItem::SetImageIndex(int Value)
{
    m_imageIndex = Value;
    UpdateAction();
}

void TMenuItem::UpdateAction()
{
    QAction* a = m_action.get();
    a->setSeparator(IsLine());
    QString text = detail::ToQString(m_caption);
    if (m_shortCut != scNone)
        text += QLatin1Char('\t') + detail::ToQString(ShortCutToText(m_shortCut));
    a->setText(text);
    a->setCheckable(m_checked);
    a->setChecked(m_checked);
    a->setEnabled(m_enabled);
    a->setVisible(m_visible);
    QFont f = a->font();
    f.setBold(m_default);
    a->setFont(f);
    TMenu* menu = GetParentMenu();
    TImageList* images = menu ? menu->Images() : nullptr;
    if (images && m_imageIndex >= 0 && m_imageIndex < images->Count()) {
        TBitmap bmp;
        images->GetBitmap(m_imageIndex, &bmp);
        a->setIcon(QIcon(QPixmap::fromImage(bmp.Image())));
    } else {
        a->setIcon(QIcon());
    }
}

TMenuItem* TMenuItem::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return m_items[static_cast<std::size_t>(Index)];
}

int TMenuItem::MenuIndex() const { return m_parent ? m_parent->IndexOf(this) : -1; }

int TMenuItem::IndexOf(const TMenuItem* Item) const
{
    auto it = std::find(m_items.begin(), m_items.end(), Item);
    return it == m_items.end() ? -1 : static_cast<int>(it - m_items.begin());
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item)
{
    if (!Item)
        return;
    if (Item->m_parent)
        throw EInvalidOperation("Menu inserted twice");
    for (const TMenuItem* p = this; p; p = p->m_parent)
        if (p == Item)
            throw EInvalidOperation("Menu inserted twice");
    Index = std::clamp(Index, 0, Count());
    m_items.insert(m_items.begin() + Index, Item);
    Item->m_parent = this;
    RebuildSubMenu();
    Changed();
}

void TMenuItem::Delete(int Index)
{
    TMenuItem* item = Items(Index);
    Remove(item);
    delete item;
}

void TMenuItem::Remove(TMenuItem* Item)
{
    auto it = std::find(m_items.begin(), m_items.end(), Item);
    if (it == m_items.end())
        return;
    m_items.erase(it);
    Item->m_parent = nullptr;
    if (!IsDestroying()) {
        RebuildSubMenu();
        Changed();
    }
}

void TMenuItem::Clear()
{
    while (!m_items.empty())
        Delete(Count() - 1);
}

TMenuItem* TMenuItem::Find(const std::string& ACaption) const
{
    const QString wanted = detail::ToQString(StripHotkey(ACaption));
    for (TMenuItem* item : m_items)
        if (QString::compare(detail::ToQString(StripHotkey(item->m_caption)), wanted, Qt::CaseInsensitive) == 0)
            return item;
    return nullptr;
}

TMenu* TMenuItem::GetParentMenu() const
{
    const TMenuItem* root = this;
    while (root->m_parent)
        root = root->m_parent;
    return root->m_menuOwner;
}

void TMenuItem::RebuildSubMenu()
{
    if (m_items.empty()) {
        m_action->setMenu(nullptr);
        m_menu.reset();
        return;
    }
    if (!m_menu) {
        m_menu = std::make_unique<QMenu>();
        QObject::connect(m_menu.get(), &QMenu::aboutToShow, m_menu.get(), [this] {
            // Opening a submenu runs its item's OnClick first, as on the platform.
            if (!IsDestroying() && m_parent && OnClick)
                OnClick(this);
        });
        m_action->setMenu(m_menu.get());
    }
    m_menu->clear();
    for (TMenuItem* item : m_items)
        m_menu->addAction(item->m_action.get());
}

void TMenuItem::Changed()
{
    if (TMenu* menu = GetParentMenu(); menu && !menu->IsDestroying())
        menu->m_itemsChanges.Notify(menu);
}

void TMenuItem::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == m_tagObject)
        m_tagObject = nullptr;
}

void TMenuItem::Click()
{
    if (!m_enabled)
        return;
    if (m_autoCheck)
        SetChecked(!m_checked);
    if (OnClick)
        OnClick(this);
}

// ===== TMenu =========================================================================

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), m_items(std::make_unique<TMenuItem>(nullptr))
{
    m_items->m_menuOwner = this;
}

TMenu::~TMenu()
{
    Destroying();
}

void TMenu::SetImages(TImageList* Value)
{
    SetFreeNotified(m_images, Value);
    std::function<void(TMenuItem*)> refresh = [&](TMenuItem* Item) {
        for (int i = 0; i < Item->Count(); ++i) {
            Item->Items(i)->UpdateAction();
            refresh(Item->Items(i));
        }
    };
    refresh(m_items.get());
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == m_images)
        m_images = nullptr;
}

namespace {

TMenuItem* FindShortCut(TMenuItem* Parent, TShortCut Sc)
{
    for (int i = 0; i < Parent->Count(); ++i) {
        TMenuItem* item = Parent->Items(i);
        if (item->ShortCut() == Sc)
            return item;
        if (TMenuItem* found = FindShortCut(item, Sc))
            return found;
    }
    return nullptr;
}

bool Reachable(const TMenuItem* Item)
{
    for (const TMenuItem* p = Item; p; p = p->Parent())
        if (!p->Visible() || !p->Enabled())
            return false;
    return true;
}

} // namespace

TMenuItem* TMenu::FindItemByShortCut(TShortCut ShortCut) const
{
    if (ShortCut == scNone)
        return nullptr;
    return FindShortCut(m_items.get(), ShortCut);
}

bool TMenu::IsShortCut(std::uint16_t Key, TShiftState Shift)
{
    TMenuItem* item = FindItemByShortCut(qel::ShortCut(Key, Shift));
    if (!item || !Reachable(item))
        return false;
    item->Click();
    return true;
}

// ===== TPopupMenu ====================================================================

TPopupMenu::TPopupHook TPopupMenu::SetPopupHook(TPopupHook Hook)
{
    TPopupHook previous = std::move(PopupHook());
    PopupHook() = std::move(Hook);
    return previous;
}

void TPopupMenu::SetPopupComponent(TComponent* Value)
{
    SetFreeNotified(m_popupComponent, Value);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation)
{
    TMenu::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == m_popupComponent)
        m_popupComponent = nullptr;
}

void TPopupMenu::DoPopup()
{
    if (OnPopup)
        OnPopup(this);
}

void TPopupMenu::Popup(int X, int Y)
{
    DoPopup();
    if (TPopupHook hook = PopupHook()) {
        hook(*this, X, Y);
        return;
    }
    QMenu menu;
    for (int i = 0; i < Items()->Count(); ++i)
        menu.addAction(Items()->Items(i)->Action());
    menu.exec(QPoint(X, Y));
}

} // namespace qel
