#pragma once
// TCustomdxPopupListBox: the owner-drawn list a drop-down shows (the pick
// editor's items, the header filter values). It never takes the focus: its
// editor hands it the keys. The mouse over an item selects it; a click
// reports the item (OnItemClick), which its editor takes as the choice.
#include "editors/DropDownEdit.h"
#include "platform/controls/Controls.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/Strings.h"

#include <memory>

namespace qel {

class TCustomdxPopupListBox : public TCustomControl {
    QEL_CLASS(TCustomdxPopupListBox)
public:
    explicit TCustomdxPopupListBox(TComponent* AOwner);
    ~TCustomdxPopupListBox() override;

    TStrings* Items() const { return m_items.get(); }
    int ItemIndex() const { return m_itemIndex; }
    // -1 selects nothing; the item scrolls into view.
    void SetItemIndex(int Value);
    int TopIndex() const { return m_topIndex; }
    void SetTopIndex(int Value);
    int ItemHeight() const { return m_itemHeight; }
    void SetItemHeight(int Value);
    // Items shown without scrolling.
    int VisibleRowCount() const;
    // The height that shows Rows items (fewer when there are fewer) with the border.
    int HeightForRows(int Rows) const;
    int ItemAtPos(TPoint P) const;
    TRect ItemRect(int Index) const;

    // A one-byte border kind (TdxPopupBorder values). A change redraws the
    // border and gives the items the new client area at once.
    std::uint8_t BorderKind() const { return m_borderKind; }
    void SetBorderKind(std::uint8_t Value);
    int BorderSize() const;
    TRect ClientRect() const override;

    // Moves the selection by Delta items (clamped), as the arrow keys do.
    void MoveSelection(int Delta);
    // Keys the editor hands over: Up, Down, PgUp, PgDn, Home, End. Answers true when used.
    bool HandleKey(std::uint16_t Key, TShiftState Shift);

    TNotifyEvent OnItemClick;
    TDrawItemEvent OnDrawItem;

protected:
    // Draws one item (the text, highlighted when selected); OnDrawItem replaces it.
    virtual void DrawItem(int Index, const TRect& R, TOwnerDrawState State);
    void Paint() override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    bool AcceptsFocus() const override { return false; }
    void DoScroll(TScrollBarKind Kind, TScrollCode Code, int Pos) override;
    void BoundsChanged() override;

private:
    void ItemsChanged();
    void UpdateScrollBar();
    void MakeVisible(int Index);

    // The items tell the list of changes themselves; OnChange stays the user's.
    class TItems : public TStringList {
    public:
        explicit TItems(TCustomdxPopupListBox* Owner) : m_owner(Owner) {}

    protected:
        void Changed() override
        {
            TStringList::Changed();
            if (UpdateCount() == 0)
                m_owner->ItemsChanged();
        }

    private:
        TCustomdxPopupListBox* m_owner;
    };

    std::unique_ptr<TItems> m_items;
    int m_itemIndex{-1};
    int m_topIndex{0};
    int m_itemHeight{16};
    std::uint8_t m_borderKind{pbDefault};
};

} // namespace qel
