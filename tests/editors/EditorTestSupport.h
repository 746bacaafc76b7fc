#pragma once
// A form with a host control for in-place editors that records what the
// editors hand it, and a scope that captures reported exceptions.
#include "editors/Container.h"
#include "editors/InplaceEdit.h"
#include "platform/controls/Application.h"
#include "platform/controls/Forms.h"

#include <memory>
#include <string>
#include <vector>

namespace qel::test {

class RecordingHost : public TCustomdxContainer {
public:
    explicit RecordingHost(TComponent* Owner) : TCustomdxContainer(Owner) {}

    std::vector<Variant> posted;
    std::vector<std::uint16_t> keys;   // keys the editors left to the host
    int changes = 0;
    bool allowModify = true;

protected:
    bool CanEditModify(TdxInplaceEdit*) override { return allowModify; }
    void EditorValueChanged(TdxInplaceEdit*) override { ++changes; }
    void EditorPostValue(TdxInplaceEdit*, const Variant& Value) override { posted.push_back(Value); }
    void EditorKeyDown(TdxInplaceEdit* Editor, std::uint16_t& Key, TShiftState Shift) override
    {
        keys.push_back(Key);
        TCustomdxContainer::EditorKeyDown(Editor, Key, Shift);
    }
};

// A shown form with a host filling it.
struct EditorForm {
    EditorForm()
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(100, 100, 400, 300);
        host = new RecordingHost(form.get());
        host->SetParent(form.get());
        host->SetAlign(alClient);
        form->Show();
    }
    ~EditorForm() { form->Hide(); }

    // A stand-alone editor on the form.
    template <class E>
    E* StandAlone(int Width = 150)
    {
        auto* e = new E(form.get());
        e->SetParent(form.get());
        e->SetBounds(10, 10, Width, 21);
        e->Show();
        e->BringToFront();
        e->SetFocus();
        return e;
    }
    // An editor hosted over a cell.
    template <class E>
    E* InPlace(const Variant& Value, int Width = 150)
    {
        auto* e = new E(host);
        host->ShowInplaceEditor(e, Bounds(20, 20, Width, 20), Value);
        return e;
    }

    std::unique_ptr<TForm> form;
    RecordingHost* host = nullptr;
};

// Collects what input handlers report instead of showing a message box.
class ReportedErrors {
public:
    ReportedErrors()
    {
        m_previous = Application().OnException;
        Application().OnException = [this](TObject*, const std::exception& e) { messages.push_back(e.what()); };
    }
    ~ReportedErrors() { Application().OnException = m_previous; }
    std::vector<std::string> messages;

private:
    TExceptionEvent m_previous;
};

} // namespace qel::test
