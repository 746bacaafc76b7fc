#include "preview/detail/StyleList.h"

#include "platform/controls/StdCtrls.h"
#include "platform/core/Guards.h"
#include "printing/PrintStyles.h"

namespace qel::detail {

void SetUpStyleList(TListBox& List)
{
    List.SetStyle(lbOwnerDrawFixed);
    List.SetItemHeight(34);
    List.OnDrawItem = [&List](TWinControl*, int Index, TRect Rect, TOwnerDrawState State) {
        auto* style = dynamic_cast<TBasedxPrintStyle*>(List.Items()->Objects(Index));
        DrawPrintStyleListItem(style, *List.Canvas(), Rect, State.Contains(odSelected), true);
    };
}

void FillStyleList(TListBox& List, TdxPrintStyleManager* Manager, TComponent& Watcher)
{
    TStrings* items = List.Items();
    TUpdateScope<TStrings> update(*items);
    items->Clear();
    for (int i = 0; Manager && i < Manager->Count(); ++i) {
        TBasedxPrintStyle* style = Manager->Styles(i);
        items->AddObject(style->StyleCaption(), style);
        Watcher.FreeNotification(style);
    }
}

TBasedxPrintStyle* SelectedStyleOf(const TListBox& List)
{
    const int i = List.ItemIndex();
    return i >= 0 && i < List.Items()->Count() ? dynamic_cast<TBasedxPrintStyle*>(List.Items()->Objects(i))
                                               : nullptr;
}

bool RemoveStyleEntries(TListBox& List, const TComponent* Style)
{
    TStrings* items = List.Items();
    bool removed = false;
    for (int i = items->Count() - 1; i >= 0; --i)
        if (items->Objects(i) == Style) {
            const int selected = List.ItemIndex();
            items->Delete(i);
            List.SetItemIndex(std::min(selected, items->Count() - 1));
            removed = true;
        }
    return removed;
}

} // namespace qel::detail
