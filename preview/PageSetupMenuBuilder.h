#pragma once
// The print-style menu of a report link: one radio item per style, the
// current style checked, and optionally "Define Print &Styles...". A builder
// class fills it; the newest registered class is the one in use, and each
// item stands for its style through the item's TagObject.
//
//   auto builder = dxPSPageSetupMenuBuilderClass()->Create();
//   builder->BuildPageSetupMenu(root, defineStyles, styleClick, manager->CurrentStyle(), styles, true);
//   ... in styleClick: TBasedxPrintStyle* style = builder->ExtractPrintStyleFromObj(Sender);
#include "platform/core/Events.h"

#include <memory>

namespace qel {

class TBasedxPrintStyle;
class TComponent;
class TStrings;

class TAbstractdxPSPageSetupMenuBuilder {
public:
    virtual ~TAbstractdxPSPageSetupMenuBuilder() = default;
    // Root: a TMenuItem (anything else is ignored). Styles: the styles as the
    // objects of the list, in menu order.
    virtual void BuildPageSetupMenu(TComponent* Root, const TNotifyEvent& DefineStylesClick,
                                    const TNotifyEvent& StyleClick, TBasedxPrintStyle* CurrentStyle,
                                    const TStrings* Styles, bool AddDefineStylesItem) = 0;
    // The print style an object of the menu stands for; nullptr here.
    virtual TBasedxPrintStyle* ExtractPrintStyleFromObj(TObject* /*Obj*/) const { return nullptr; }
};

class TdxStandardPSPageSetupMenuBuilder : public TAbstractdxPSPageSetupMenuBuilder {
public:
    void BuildPageSetupMenu(TComponent* Root, const TNotifyEvent& DefineStylesClick, const TNotifyEvent& StyleClick,
                            TBasedxPrintStyle* CurrentStyle, const TStrings* Styles,
                            bool AddDefineStylesItem) override;
    // The style of a menu item, nullptr once that style was freed.
    TBasedxPrintStyle* ExtractPrintStyleFromObj(TObject* Obj) const override;
};

// A builder class: how to make one.
struct TdxPSPageSetupMenuBuilderClass {
    std::unique_ptr<TAbstractdxPSPageSetupMenuBuilder> (*Create)();
};

template <class B>
const TdxPSPageSetupMenuBuilderClass* dxPSPageSetupMenuBuilderClassOf()
{
    static const TdxPSPageSetupMenuBuilderClass c{
        [] { return std::unique_ptr<TAbstractdxPSPageSetupMenuBuilder>(new B); }};
    return &c;
}

// The newest registered builder class, or the standard one when none is.
const TdxPSPageSetupMenuBuilderClass* dxPSPageSetupMenuBuilderClass();
void dxPSRegisterPageSetupMenuBuilder(const TdxPSPageSetupMenuBuilderClass* Class);
void dxPSUnregisterPageSetupMenuBuilder(const TdxPSPageSetupMenuBuilderClass* Class);

} // namespace qel
