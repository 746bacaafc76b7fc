#include "preview/PreviewDialogs.h"

#include "platform/core/ClassRegistry.h"
#include "preview/PageSetupDialog.h"
#include "printing/PrintStyles.h"

#include <memory>

namespace qel {

namespace {

bool HasOptionsEditor(const std::string& StyleClass)
{
    return !GetPrintStyleEditorClass(StyleClass).empty();
}

bool ShowOptionsEditor(TBasedxPrintStyle& Copy, bool& Modified)
{
    const std::string editorClass = GetPrintStyleEditorClass(Copy.ClassName());
    if (editorClass.empty())
        return false;
    std::unique_ptr<TComponent> component(TClassRegistry::Instance().Create(editorClass, nullptr));
    auto* editor = dynamic_cast<TdxPrintStyleOptionsEditor*>(component.get());
    return editor && editor->Execute(Copy, Modified);
}

} // namespace

void dxInstallPreviewDialogs()
{
    TdxPrintStyleDialogRunners& styles = dxPrintStyleDialogRunners();
    styles.PageSetup = dxRunPrintStylePageSetup;
    styles.HasOptionsEditor = HasOptionsEditor;
    styles.ShowOptionsEditor = ShowOptionsEditor;
}

} // namespace qel
