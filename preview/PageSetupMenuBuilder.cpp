#include "preview/PageSetupMenuBuilder.h"

#include "platform/controls/Menus.h"
#include "platform/core/Strings.h"
#include "preview/detail/BuilderClassList.h"
#include "printing/PrintStyles.h"

namespace qel {

namespace {

detail::TBuilderClassList<TdxPSPageSetupMenuBuilderClass>& BuilderClasses()
{
    static detail::TBuilderClassList<TdxPSPageSetupMenuBuilderClass> classes;
    return classes;
}

TMenuItem* AddItem(TMenuItem* Root, const std::string& Caption, const TNotifyEvent& OnClick)
{
    auto* item = new TMenuItem(Root);
    item->SetCaption(Caption);
    item->OnClick = OnClick;
    Root->Add(item);
    return item;
}

} // namespace

void TdxStandardPSPageSetupMenuBuilder::BuildPageSetupMenu(TComponent* Root, const TNotifyEvent& DefineStylesClick,
                                                          const TNotifyEvent& StyleClick,
                                                          TBasedxPrintStyle* CurrentStyle, const TStrings* Styles,
                                                          bool AddDefineStylesItem)
{
    auto* root = dynamic_cast<TMenuItem*>(Root);
    if (!root)
        return;
    root->Clear();
    for (int i = 0; Styles && i < Styles->Count(); ++i) {
        auto* style = dynamic_cast<TBasedxPrintStyle*>(Styles->Objects(i));
        if (!style)
            continue;
        TMenuItem* item = AddItem(root, style->StyleCaption(), StyleClick);
        item->SetGroupIndex(1);
        item->SetRadioItem(true);
        item->SetHint(style->Description());
        item->SetTagObject(style);
        // The current style's own item: the list may leave styles out, so
        // its position in the manager says nothing here.
        if (style == CurrentStyle)
            item->SetChecked(true);
    }
    if (!AddDefineStylesItem)
        return;
    if (root->Count() > 0)
        AddItem(root, "-", nullptr);
    AddItem(root, "Define Print &Styles...", DefineStylesClick);
}

TBasedxPrintStyle* TdxStandardPSPageSetupMenuBuilder::ExtractPrintStyleFromObj(TObject* Obj) const
{
    auto* item = dynamic_cast<TMenuItem*>(Obj);
    return item ? dynamic_cast<TBasedxPrintStyle*>(item->TagObject()) : nullptr;
}

const TdxPSPageSetupMenuBuilderClass* dxPSPageSetupMenuBuilderClass()
{
    return BuilderClasses().Current(dxPSPageSetupMenuBuilderClassOf<TdxStandardPSPageSetupMenuBuilder>());
}

void dxPSRegisterPageSetupMenuBuilder(const TdxPSPageSetupMenuBuilderClass* Class) { BuilderClasses().Register(Class); }

void dxPSUnregisterPageSetupMenuBuilder(const TdxPSPageSetupMenuBuilderClass* Class)
{
    BuilderClasses().Unregister(Class);
}

} // namespace qel
