#include "platform/controls/ComCtrls.h"

#include "platform/controls/Forms.h"
#include "platform/controls/Menus.h"
#include "platform/controls/detail/ControlBridge.h"
#include "platform/core/Guards.h"
#include "platform/core/Locale.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

#include <algorithm>

namespace qel {

using detail::ToQString;

// ===== TTabSheet ======================================================================

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner)
{
    Widget()->setAutoFillBackground(true);
    ApplyColor();
}

TTabSheet::~TTabSheet()
{
    Destroying();
}

TPageControl* TTabSheet::PageControl() const { return dynamic_cast<TPageControl*>(Parent()); }

void TTabSheet::SetPageControl(TPageControl* Value) { SetParent(Value); }

int TTabSheet::PageIndex() const
{
    TPageControl* pc = PageControl();
    if (!pc)
        return -1;
    auto it = std::find(pc->m_pages.begin(), pc->m_pages.end(), this);
    return it == pc->m_pages.end() ? -1 : static_cast<int>(it - pc->m_pages.begin());
}

void TTabSheet::SetPageIndex(int Value)
{
    TPageControl* pc = PageControl();
    const int old = PageIndex();
    if (!pc || old < 0)
        return;
    Value = std::clamp(Value, 0, pc->PageCount() - 1);
    if (Value == old)
        return;
    TTabSheet* active = pc->ActivePage();
    auto* tw = static_cast<QTabWidget*>(pc->Widget());
    {
        TValueRestorer syncing(pc->m_syncing, true);
        pc->m_pages.erase(pc->m_pages.begin() + old);
        pc->m_pages.insert(pc->m_pages.begin() + Value, this);
        tw->tabBar()->moveTab(old, Value);
    }
    pc->SetActiveIndex(active ? active->PageIndex() : -1);
}

void TTabSheet::SetTabVisible(bool Value)
{
    m_tabVisible = Value;
    if (TPageControl* pc = PageControl())
        pc->SyncTab(this);
}

void TTabSheet::TextChanged()
{
    if (TPageControl* pc = PageControl())
        pc->SyncTab(this);
}

// ===== TPageControl ===================================================================

TPageControl::TPageControl(TComponent* AOwner) : TWinControl(AOwner, new QTabWidget)
{
    auto* tw = static_cast<QTabWidget*>(Widget());
    QObject::connect(tw, &QTabWidget::currentChanged, tw, [this](int Index) {
        if (!IsDestroying())
            UserSelected(Index);
    });
    SetBounds(0, 0, 289, 193);
}

TPageControl::~TPageControl()
{
    Destroying();
}

TTabSheet* TPageControl::Pages(int Index) const
{
    if (Index < 0 || Index >= PageCount())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return m_pages[static_cast<std::size_t>(Index)];
}

TTabSheet* TPageControl::ActivePage() const
{
    return m_activeIndex >= 0 && m_activeIndex < PageCount() ? m_pages[static_cast<std::size_t>(m_activeIndex)]
                                                             : nullptr;
}

void TPageControl::SetActivePage(TTabSheet* Value)
{
    if (Value && Value->PageControl() != this)
        return;
    SetActivePageIndex(Value ? Value->PageIndex() : -1);
}

void TPageControl::SetActivePageIndex(int Value)
{
    if (Value < -1 || Value >= PageCount())
        return;
    auto* tw = static_cast<QTabWidget*>(Widget());
    {
        TValueRestorer syncing(m_syncing, true);
        tw->setCurrentIndex(Value);
    }
    SetActiveIndex(Value);
}

void TPageControl::SetActiveIndex(int Value)
{
    m_activeIndex = Value;
    // Only the active sheet is visible, so the controls of the others take
    // neither the focus nor accelerators.
    for (int i = 0; i < PageCount(); ++i)
        m_pages[static_cast<std::size_t>(i)]->SetVisible(i == m_activeIndex);
}

void TPageControl::SyncTab(TTabSheet* Page)
{
    auto* tw = static_cast<QTabWidget*>(Widget());
    const int i = Page->PageIndex();
    if (i < 0)
        return;
    {
        TValueRestorer syncing(m_syncing, true);
        tw->setTabText(i, ToQString(Page->Caption()));
        tw->setTabVisible(i, Page->TabVisible());
    }
    SetActiveIndex(tw->currentIndex());
}

void TPageControl::ControlInserted(TControl* Control)
{
    auto* page = dynamic_cast<TTabSheet*>(Control);
    if (!page)
        return;
    auto* tw = static_cast<QTabWidget*>(Widget());
    m_pages.push_back(page);
    {
        TValueRestorer syncing(m_syncing, true);
        tw->addTab(page->Widget(), ToQString(page->Caption()));
        tw->setTabVisible(static_cast<int>(m_pages.size()) - 1, page->TabVisible());
    }
    SetActiveIndex(tw->currentIndex());
}

void TPageControl::ControlRemoved(TControl* Control)
{
    // The sheet may be in its destructor already: find it by address.
    auto it = std::find_if(m_pages.begin(), m_pages.end(),
                           [Control](TTabSheet* P) { return static_cast<TControl*>(P) == Control; });
    if (it == m_pages.end())
        return;
    auto* tw = static_cast<QTabWidget*>(Widget());
    const int index = static_cast<int>(it - m_pages.begin());
    m_pages.erase(it);
    {
        TValueRestorer syncing(m_syncing, true);
        tw->removeTab(index);
    }
    SetActiveIndex(tw->currentIndex());
}

bool TPageControl::CanChange()
{
    bool allow = true;
    if (OnChanging)
        OnChanging(this, allow);
    return allow;
}

void TPageControl::Change()
{
    if (OnChange)
        OnChange(this);
}

void TPageControl::UserSelected(int QtIndex)
{
    if (m_syncing || QtIndex == m_activeIndex)
        return;
    auto* tw = static_cast<QTabWidget*>(Widget());
    if (!CanChange()) {
        // Qt has switched already: go back without telling anyone.
        TValueRestorer syncing(m_syncing, true);
        tw->setCurrentIndex(m_activeIndex);
        return;
    }
    SetActiveIndex(QtIndex);
    Change();
}

bool TPageControl::ChangeTo(int PageIndex)
{
    if (PageIndex == m_activeIndex)
        return true;
    if (!CanChange())
        return false;
    SetActivePageIndex(PageIndex);
    Change();
    return true;
}

void TPageControl::SelectNextPage(bool GoForward)
{
    const int n = PageCount();
    if (n == 0)
        return;
    int i = m_activeIndex;
    for (int k = 0; k < n; ++k) {
        i = GoForward ? (i + 1) % n : (i <= 0 ? n - 1 : i - 1);
        if (m_pages[static_cast<std::size_t>(i)]->TabVisible()) {
            ChangeTo(i);
            return;
        }
    }
}

TRect TPageControl::TabRect(int PageIndex) const
{
    auto* tw = static_cast<QTabWidget*>(Widget());
    if (PageIndex < 0 || PageIndex >= PageCount() || !tw->isTabVisible(PageIndex))
        return {};
    QTabBar* bar = tw->tabBar();
    const QRect r = bar->tabRect(PageIndex);
    return detail::FromQRect(QRect(bar->mapTo(tw, r.topLeft()), r.size()));
}

bool TPageControl::DialogChar(TKeyChar Ch)
{
    for (int i = 0; i < PageCount(); ++i) {
        TTabSheet* page = m_pages[static_cast<std::size_t>(i)];
        if (page->TabVisible() && IsAccel(Ch, page->Caption()) && Enabled()) {
            ChangeTo(i);
            return true;
        }
    }
    return false;
}

void TPageControl::Notification(TComponent* AComponent, TOperation Operation)
{
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && static_cast<void*>(AComponent) == static_cast<void*>(m_images))
        m_images = nullptr;
}

// ===== TUpDown ========================================================================

TUpDown::TUpDown(TComponent* AOwner) : TCustomControl(AOwner)
{
    ApplyTabStop();
    SetBounds(0, 0, 16, 24);
}

void TUpDown::SetAssociate(TWinControl* Value)
{
    SetFreeNotified(m_associate, Value);
    if (Value) {
        PlaceBesideAssociate();
        UpdateAssociate();
    }
}

void TUpDown::SetAlignButton(TUDAlignButton Value)
{
    m_alignButton = Value;
    PlaceBesideAssociate();
}

void TUpDown::PlaceBesideAssociate()
{
    if (!m_associate)
        return;
    if (m_associate->Parent() && Parent() != m_associate->Parent())
        SetParent(m_associate->Parent());
    const int w = Width();
    TWinControl* a = m_associate;
    if (m_alignButton == udRight) {
        a->SetWidth(std::max(0, a->Width() - w));
        SetBounds(a->Left() + a->Width(), a->Top(), w, a->Height());
    } else {
        SetBounds(a->Left(), a->Top(), w, a->Height());
        a->SetBounds(a->Left() + w, a->Top(), std::max(0, a->Width() - w), a->Height());
    }
}

void TUpDown::SetMin(int Value)
{
    m_min = Value;
    SetPosition(m_position);
}

void TUpDown::SetMax(int Value)
{
    m_max = Value;
    SetPosition(m_position);
}

void TUpDown::SetPosition(int Value)
{
    const int lo = std::min(m_min, m_max);
    const int hi = std::max(m_min, m_max);
    m_position = std::clamp(Value, lo, hi);
    UpdateAssociate();
}

void TUpDown::UpdateAssociate()
{
    if (!m_associate)
        return;
    std::string text = std::to_string(m_position);
    if (m_thousands && std::abs(m_position) >= 1000) {
        const std::string digits = std::to_string(std::abs(m_position));
        std::string grouped;
        for (std::size_t i = 0; i < digits.size(); ++i) {
            if (i > 0 && (digits.size() - i) % 3 == 0)
                grouped += FormatSettings().ThousandSeparator;
            grouped += digits[i];
        }
        text = (m_position < 0 ? "-" : "") + grouped;
    }
    m_associate->SetText(text);
}

void TUpDown::ClickButton(TUDBtnType Button)
{
    bool allow = true;
    if (OnChanging)
        OnChanging(this, allow);
    if (!allow)
        return;
    const int lo = std::min(m_min, m_max);
    const int hi = std::max(m_min, m_max);
    const int step = (Button == btNext) == (m_min <= m_max) ? m_increment : -m_increment;
    long long next = static_cast<long long>(m_position) + step;
    if (next > hi)
        next = m_wrap ? lo : hi;
    if (next < lo)
        next = m_wrap ? hi : lo;
    SetPosition(static_cast<int>(next));
    if (OnClick)
        OnClick(this, Button);
}

void TUpDown::Paint()
{
    TCanvas* canvas = Canvas();
    const TRect r = ClientRect();
    if (m_orientation == udVertical) {
        TRect up = Rect(r.Left, r.Top, r.Right, r.Top + r.Height() / 2);
        TRect down = Rect(r.Left, up.Bottom, r.Right, r.Bottom);
        canvas->DrawFrameControl(up, DFC_SCROLL, DFCS_SCROLLUP | (Enabled() ? 0u : unsigned(DFCS_INACTIVE)));
        canvas->DrawFrameControl(down, DFC_SCROLL, DFCS_SCROLLDOWN | (Enabled() ? 0u : unsigned(DFCS_INACTIVE)));
    } else {
        TRect left = Rect(r.Left, r.Top, r.Left + r.Width() / 2, r.Bottom);
        TRect right = Rect(left.Right, r.Top, r.Right, r.Bottom);
        canvas->DrawFrameControl(left, DFC_SCROLL, DFCS_SCROLLLEFT | (Enabled() ? 0u : unsigned(DFCS_INACTIVE)));
        canvas->DrawFrameControl(right, DFC_SCROLL, DFCS_SCROLLRIGHT | (Enabled() ? 0u : unsigned(DFCS_INACTIVE)));
    }
}

void TUpDown::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft)
        return;
    if (m_orientation == udVertical)
        ClickButton(Y < Height() / 2 ? btNext : btPrev);
    else
        ClickButton(X >= Width() / 2 ? btNext : btPrev);
}

void TUpDown::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == m_associate)
        m_associate = nullptr;
}

// ===== TStatusBar =====================================================================

void TStatusPanel::Changed()
{
    if (m_owner)
        m_owner->Invalidate();
}

void TStatusPanel::SetText(const std::string& Value) { m_text = Value; Changed(); }
void TStatusPanel::SetWidth(int Value) { m_width = Value; Changed(); }
void TStatusPanel::SetStyle(TStatusPanelStyle Value) { m_style = Value; Changed(); }
void TStatusPanel::SetAlignment(TAlignment Value) { m_alignment = Value; Changed(); }
void TStatusPanel::SetBevel(TStatusPanelBevel Value) { m_bevel = Value; Changed(); }
int TStatusPanel::Index() const { return m_owner ? m_owner->Panels()->IndexOf(this) : -1; }

TStatusPanel* TStatusPanels::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return m_items[static_cast<std::size_t>(Index)].get();
}

TStatusPanel* TStatusPanels::Add()
{
    m_items.push_back(std::make_unique<TStatusPanel>(m_owner));
    m_owner->Invalidate();
    return m_items.back().get();
}

void TStatusPanels::Delete(int Index)
{
    Items(Index);
    m_items.erase(m_items.begin() + Index);
    m_owner->Invalidate();
}

void TStatusPanels::Clear()
{
    m_items.clear();
    m_owner->Invalidate();
}

int TStatusPanels::IndexOf(const TStatusPanel* Panel) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_items[static_cast<std::size_t>(i)].get() == Panel)
            return i;
    return -1;
}

TStatusBar::TStatusBar(TComponent* AOwner)
    : TCustomControl(AOwner), m_panels(std::make_unique<TStatusPanels>(this))
{
    ApplyTabStop();
    SetBounds(0, 0, 200, 19);
    SetAlign(alBottom);
}

TStatusBar::~TStatusBar() = default;

void TStatusBar::SetSimplePanel(bool Value) { m_simplePanel = Value; Invalidate(); }
void TStatusBar::SetSimpleText(const std::string& Value) { m_simpleText = Value; Invalidate(); }
void TStatusBar::SetSizeGrip(bool Value) { m_sizeGrip = Value; Invalidate(); }

TRect TStatusBar::PanelRect(int Index) const
{
    const TRect client = ClientRect();
    int x = client.Left;
    for (int i = 0; i < m_panels->Count(); ++i) {
        const int w = m_panels->Items(i)->Width();
        const bool last = i == m_panels->Count() - 1;
        const int right = last ? client.Right : x + std::max(0, w);
        if (i == Index)
            return Rect(x, client.Top + 2, std::max(x, right), client.Bottom);
        x = right + 2;
    }
    return {};
}

void TStatusBar::Paint()
{
    TCanvas* canvas = Canvas();
    const TRect client = ClientRect();
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(client);
    canvas->Font()->Assign(Font());
    canvas->Brush()->SetStyle(bsClear);
    if (m_simplePanel) {
        TRect r = Rect(client.Left, client.Top + 2, client.Right, client.Bottom);
        canvas->DrawEdge(r, BDR_SUNKENOUTER, BF_RECT);
        TRect text = r;
        InflateRect(text, -2, -1);
        canvas->DrawText(m_simpleText, text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    } else {
        for (int i = 0; i < m_panels->Count(); ++i) {
            TStatusPanel* panel = m_panels->Items(i);
            TRect r = PanelRect(i);
            if (panel->Bevel() != pbNone) {
                TRect edge = r;
                canvas->DrawEdge(edge, panel->Bevel() == pbLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
            }
            TRect inner = r;
            InflateRect(inner, -1, -1);
            DrawPanel(panel, inner);
        }
    }
    if (m_sizeGrip) {
        TForm* form = ParentForm();
        if (form && (form->BorderStyle() == bsSizeable || form->BorderStyle() == bsSizeToolWin)) {
            TRect grip = Rect(client.Right - 14, client.Bottom - 14, client.Right, client.Bottom);
            canvas->DrawFrameControl(grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
        }
    }
}

void TStatusBar::DrawPanel(TStatusPanel* Panel, const TRect& R)
{
    TCanvas* canvas = Canvas();
    if (Panel->Style() == psOwnerDraw) {
        if (OnDrawPanel)
            OnDrawPanel(this, Panel, R);
        return;
    }
    TRect text = R;
    InflateRect(text, -1, 0);
    unsigned flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
    if (Panel->Alignment() == taCenter) flags |= DT_CENTER;
    if (Panel->Alignment() == taRightJustify) flags |= DT_RIGHT;
    canvas->Brush()->SetStyle(bsClear);
    canvas->DrawText(Panel->Text(), text, flags);
}

// ===== TToolBar / TToolButton ========================================================

TToolButton::TToolButton(TComponent* AOwner) : TWinControl(AOwner, new QToolButton)
{
    auto* b = static_cast<QToolButton*>(Widget());
    b->setAutoRaise(true);
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    QObject::connect(b, &QToolButton::clicked, b, [this] {
        if (!IsDestroying())
            Click();
    });
    ApplyTabStop();
    SetBounds(0, 0, 23, 22);
}

TToolBar* TToolButton::ToolBar() const { return dynamic_cast<TToolBar*>(Parent()); }

int TToolButton::Index() const
{
    TToolBar* bar = ToolBar();
    if (!bar)
        return -1;
    for (int i = 0; i < bar->ButtonCount(); ++i)
        if (bar->Buttons(i) == this)
            return i;
    return -1;
}

void TToolButton::SetStyle(TToolButtonStyle Value)
{
    m_style = Value;
    auto* b = static_cast<QToolButton*>(Widget());
    const bool separator = Value == tbsSeparator || Value == tbsDivider;
    b->setEnabled(!separator && Enabled());
    b->setCheckable(Value == tbsCheck);
    b->setChecked(m_down);
    b->setPopupMode(Value == tbsDropDown ? QToolButton::MenuButtonPopup : QToolButton::DelayedPopup);
    if (separator && Width() > 8)
        SetWidth(8);
    if (TToolBar* bar = ToolBar())
        bar->Realign();
}

void TToolButton::SetDown(bool Value)
{
    if (m_down == Value)
        return;
    m_down = Value;
    if (Value && m_grouped && m_style == tbsCheck)
        if (TToolBar* bar = ToolBar()) {
            // Grouped check buttons next to each other form one group.
            const int i = Index();
            for (int k = i - 1; k >= 0; --k) {
                TToolButton* b = bar->Buttons(k);
                if (!b->m_grouped || b->m_style != tbsCheck) break;
                b->SetDown(false);
            }
            for (int k = i + 1; k < bar->ButtonCount(); ++k) {
                TToolButton* b = bar->Buttons(k);
                if (!b->m_grouped || b->m_style != tbsCheck) break;
                b->SetDown(false);
            }
        }
    auto* b = static_cast<QToolButton*>(Widget());
    b->setDown(Value && m_style != tbsCheck);
    b->setChecked(Value);
}

void TToolButton::SetImageIndex(int Value)
{
    m_imageIndex = Value;
    UpdateIcon();
}

void TToolButton::UpdateIcon()
{
    auto* b = static_cast<QToolButton*>(Widget());
    TToolBar* bar = ToolBar();
    TImageList* images = bar ? bar->Images() : nullptr;
    if (!images || m_imageIndex < 0 || m_imageIndex >= images->Count()) {
        b->setIcon(QIcon());
        return;
    }
    TBitmap bmp;
    images->GetBitmap(m_imageIndex, &bmp);
    QIcon icon(QPixmap::fromImage(bmp.Image()));
    if (TImageList* disabled = bar->DisabledImages(); disabled && m_imageIndex < disabled->Count()) {
        TBitmap grey;
        disabled->GetBitmap(m_imageIndex, &grey);
        icon.addPixmap(QPixmap::fromImage(grey.Image()), QIcon::Disabled);
    }
    b->setIcon(icon);
    b->setIconSize(QSize(images->Width(), images->Height()));
}

void TToolButton::SetDropdownMenu(TPopupMenu* Value)
{
    SetFreeNotified(m_dropdownMenu, Value);
}

void TToolButton::Notification(TComponent* AComponent, TOperation Operation)
{
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == m_dropdownMenu)
        m_dropdownMenu = nullptr;
}

void TToolButton::TextChanged()
{
    static_cast<QToolButton*>(Widget())->setText(ToQString(Caption()));
}

void TToolButton::Click()
{
    if (!Enabled() || m_style == tbsSeparator || m_style == tbsDivider)
        return;
    if (m_style == tbsCheck) {
        if (!m_down)
            SetDown(true);
        else if (!m_grouped || m_allowAllUp)
            SetDown(false);
        else
            static_cast<QToolButton*>(Widget())->setChecked(true);
    }
    TWinControl::Click();
}

void TToolButton::DropDown()
{
    if (!m_dropdownMenu)
        return;
    const TPoint p = ClientToScreen({0, Height()});
    m_dropdownMenu->SetPopupComponent(this);
    m_dropdownMenu->Popup(p.X, p.Y);
}

TToolBar::TToolBar(TComponent* AOwner) : TWinControl(AOwner)
{
    ApplyTabStop();
    SetBounds(0, 0, 150, 29);
    SetAlign(alTop);
}

void TToolBar::SetImages(TImageList* Value)
{
    SetFreeNotified(m_images, Value);
    UpdateButtons();
}

void TToolBar::SetDisabledImages(TImageList* Value)
{
    SetFreeNotified(m_disabledImages, Value);
    UpdateButtons();
}

void TToolBar::SetIndent(int Value)
{
    m_indent = std::max(0, Value);
    Realign();
}

void TToolBar::Notification(TComponent* AComponent, TOperation Operation)
{
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && (AComponent == m_images || AComponent == m_disabledImages)) {
        if (AComponent == m_images)
            m_images = nullptr;
        if (AComponent == m_disabledImages)
            m_disabledImages = nullptr;
        if (!IsDestroying())
            UpdateButtons();
    }
}

void TToolBar::SetButtonWidth(int Value) { m_buttonWidth = std::max(1, Value); Realign(); }
void TToolBar::SetButtonHeight(int Value) { m_buttonHeight = std::max(1, Value); Realign(); }

void TToolBar::SetFlat(bool Value)
{
    m_flat = Value;
    UpdateButtons();
}

void TToolBar::SetShowCaptions(bool Value)
{
    m_showCaptions = Value;
    UpdateButtons();
}

int TToolBar::ButtonCount() const
{
    int n = 0;
    for (int i = 0; i < ControlCount(); ++i)
        if (dynamic_cast<TToolButton*>(Controls(i)))
            ++n;
    return n;
}

TToolButton* TToolBar::Buttons(int Index) const
{
    int n = 0;
    for (int i = 0; i < ControlCount(); ++i)
        if (auto* b = dynamic_cast<TToolButton*>(Controls(i)); b && n++ == Index)
            return b;
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

void TToolBar::UpdateButtons()
{
    for (int i = 0; i < ButtonCount(); ++i) {
        TToolButton* b = Buttons(i);
        auto* qb = static_cast<QToolButton*>(b->Widget());
        qb->setAutoRaise(m_flat);
        qb->setToolButtonStyle(m_showCaptions ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
        b->UpdateIcon();
    }
    Realign();
}

void TToolBar::AlignControls(TRect& R)
{
    // One row in list order: buttons take the button size, other controls
    // (a zoom box in its panel) keep their own size between them.
    int x = R.Left + m_indent;
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (!c->Visible() || c->Align() != alNone)
            continue;
        if (auto* b = dynamic_cast<TToolButton*>(c)) {
            const bool separator = b->Style() == tbsSeparator || b->Style() == tbsDivider;
            const int w = separator ? b->Width() : m_buttonWidth;
            b->SetBounds(x, R.Top, w, m_buttonHeight);
            x += w;
        } else {
            c->SetBounds(x, R.Top, c->Width(), c->Height());
            x += c->Width();
        }
    }
    TWinControl::AlignControls(R);
}

} // namespace qel
