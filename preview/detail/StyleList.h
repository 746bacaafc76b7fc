#pragma once
// The print styles of a manager in an owner-drawn list box, as Define Print
// Styles and the print dialog show them: each entry carries its style.
namespace qel {
class TBasedxPrintStyle;
class TComponent;
class TdxPrintStyleManager;
class TListBox;
} // namespace qel

namespace qel::detail {

// Owner-drawn entries, each drawn as its style's caption and glyph.
void SetUpStyleList(TListBox& List);
// One entry per style of Manager (none without one); Watcher is told when
// one of the listed styles is freed.
void FillStyleList(TListBox& List, TdxPrintStyleManager* Manager, TComponent& Watcher);
// The style of the selected entry, nullptr without one.
TBasedxPrintStyle* SelectedStyleOf(const TListBox& List);
// Takes out the entries of a style that is being freed; true when it had one.
bool RemoveStyleEntries(TListBox& List, const TComponent* Style);

} // namespace qel::detail
