#pragma once
// Grid layouts: a named, stored snapshot of a whole data-bound grid's
// settings, kept as the grid's own component stream in memory and written
// into the form as the binary property "Data" (an int32 byte count and the
// bytes; only when something was captured). Applying a layout resets the
// grid to its defaults first, so that what the snapshot leaves out takes
// its default, and keeps the grid's name.
//
// While a layout is edited it holds a hidden substitute grid
// (TdxDBGridWrapper) that takes the snapshot; leaving editing stores the
// wrapper back and frees it.
#include "dbgrid/DBGrid.h"
#include "platform/core/Stream.h"

#include <memory>
#include <vector>

namespace qel {

class TdxDBGridLayoutList;

// The hidden grid a layout edits its snapshot in. It never takes a name.
class TdxDBGridWrapper : public TdxDBGrid {
    QEL_CLASS(TdxDBGridWrapper)
public:
    explicit TdxDBGridWrapper(TComponent* AOwner) : TdxDBGrid(AOwner) {}
    void SetName(const std::string& /*NewName*/) override {}
    // The owner's name followed by ".(DBGrid)".
    std::string DisplayPath() const;
};

class TdxDBGridLayout : public TComponent {
    QEL_CLASS(TdxDBGridLayout)
public:
    explicit TdxDBGridLayout(TComponent* AOwner);
    ~TdxDBGridLayout() override;

    // The snapshot: a component stream of a TdxDBGrid (empty: nothing captured).
    const TMemoryStream& Data() const { return m_data; }
    bool IsEmpty() const { return const_cast<TMemoryStream&>(m_data).Size() == 0; }

    TdxDBGridLayoutList* LayoutList() const { return m_layoutList; }
    void SetLayoutList(TdxDBGridLayoutList* Value);

    // From another layout: its snapshot. From a TdxDBGrid: the grid captured.
    // Anything else is refused before the snapshot is touched.
    void Assign(TPersistent* Source) override;
    // To a TdxDBGrid: the grid reset to its defaults, then read from the
    // snapshot. A snapshot that cannot be read leaves the grid as it was.
    void AssignTo(TPersistent* Dest) override;

    // ----- editing the snapshot ------------------------------------------------------------
    bool Editing() const { return m_wrapper != nullptr; }
    TdxDBGridWrapper* Wrapper() const { return m_wrapper.get(); }
    void BeginEdit();
    // Stores the wrapper into the snapshot and frees it.
    void EndEdit();
    // The window the wrapper is shown on while editing (nullptr: none).
    TWinControl* HostForm() const { return m_hostForm; }
    void SetHostForm(TWinControl* Value);

    // Resets Grid to the defaults a layout applies on top of.
    static void ResetGrid(TCustomdxDBGrid& Grid);

protected:
    void DefineProperties(TFiler& Filer) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void SetParentComponent(TComponent* Value) override;
    TComponent* GetParentComponent() const override;
    bool HasParent() const override { return true; }

private:
    friend class TdxDBGridLayoutList;
    void StoreGrid(TCustomdxDBGrid& Grid);
    void ReadDataBlock(TStream& Stream);

    TMemoryStream m_data;
    TdxDBGridLayoutList* m_layoutList{nullptr};
    std::unique_ptr<TdxDBGridWrapper> m_wrapper;
    TWinControl* m_hostForm{nullptr};
};

// The layouts of a form.
class TdxDBGridLayoutList : public TComponent {
    QEL_CLASS(TdxDBGridLayoutList)
public:
    explicit TdxDBGridLayoutList(TComponent* AOwner) : TComponent(AOwner) {}
    // Frees every layout still in the list.
    ~TdxDBGridLayoutList() override;

    int Count() const { return static_cast<int>(m_layouts.size()); }
    TdxDBGridLayout* Items(int Index) const { return m_layouts.at(static_cast<std::size_t>(Index)); }
    int IndexOf(const TdxDBGridLayout* Layout) const;

    // A design-time editor object of the list, freed with it.
    TObject* Editor() const { return m_editor.get(); }
    void SetEditor(std::unique_ptr<TObject> Value) { m_editor = std::move(Value); }

protected:
    // The layouts the form owns, for writing the form.
    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

private:
    friend class TdxDBGridLayout;
    void AddLayout(TdxDBGridLayout* Layout);
    void RemoveLayout(TdxDBGridLayout* Layout);

    std::vector<TdxDBGridLayout*> m_layouts;
    std::unique_ptr<TObject> m_editor;
};

} // namespace qel
