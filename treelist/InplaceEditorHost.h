#pragma once
// The host side of in-place editing: what the tree list needs of a cell
// editor. The editors of editors/ are plugged in behind this contract
// (a column's GetEditorClass makes one); the tree list never reaches into
// an editor's own classes.
//
// Road of a value: ShowEditor asks the column for an editor, gives it the
// cell's value (InitEditorValue) and shows it over the cell; HideEditor and
// CloseEditor take the editor's value (PostEditValue) into the node through
// the control's WriteEditorValue before the editing state ends.
#include "platform/controls/Keyboard.h"
#include "platform/core/Variant.h"
#include "platform/graphics/Geometry.h"

namespace qel {

class TWinControl;

class TdxTreeListInplaceEditor {
public:
    virtual ~TdxTreeListInplaceEditor() = default;

    virtual Variant GetEditingValue() const = 0;
    virtual void SetEditingValue(const Variant& Value) = 0;
    // Whether the value was changed since it was set.
    virtual bool Modified() const = 0;
    virtual bool CanModify() const { return true; }
    virtual bool ReadOnly() const { return false; }
    virtual void SetReadOnly(bool /*Value*/) {}
    // Places the editor over the cell inside the control and shows it.
    virtual void Show(TWinControl* Parent, const TRect& Bounds) = 0;
    virtual void Hide() = 0;
    virtual bool Visible() const = 0;
    virtual void SetBounds(const TRect& Bounds) = 0;
    virtual void SetFocus() {}
    // The selection setter (start, length).
    virtual void SetSelection(int /*Start*/, int /*Length*/) {}
    // A character typed on the cell opened the editor: the editor takes it as
    // typed (by default it becomes the whole text).
    virtual void TypeChar(TKeyChar Ch)
    {
        SetEditingValue(Variant(KeyCharToUtf8(Ch)));
        SetSelection(1, 0);
    }
    // Raises for a value that cannot be posted yet (an incomplete mask); the
    // editor then stays open.
    virtual void ValidateEdit() {}
};

} // namespace qel
