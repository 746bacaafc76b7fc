#pragma once
// TdxInplaceImageEdit: a value shown as an image (and a description) from
// parallel lists: Values, Descriptions and ImageIndexes. The value is one of
// Values; the drop-down lists them with their images; stand-alone, the
// arrows step through them; with Incremental, typing picks the first
// description that starts with what was typed.
#include "editors/DropDownEdit.h"
#include "platform/core/ChangeLink.h"

#include <memory>
#include <string>

namespace qel {

class TCustomdxPopupListBox;
class TImageList;
class TStringList;
class TStrings;

class TdxInplaceImageEdit : public TdxInplaceDropDownEdit {
    QEL_CLASS(TdxInplaceImageEdit)
public:
    explicit TdxInplaceImageEdit(TComponent* AOwner);
    ~TdxInplaceImageEdit() override;

    TStrings* Values() const;
    TStrings* Descriptions() const;
    TStrings* ImageIndexes() const;
    TImageList* Images() const { return m_images; }
    void SetImages(TImageList* Value);
    // Images of the drop-down list (Images when none).
    TImageList* LargeImages() const { return m_largeImages; }
    void SetLargeImages(TImageList* Value);
    bool DefaultImages() const { return m_defaultImages; }
    void SetDefaultImages(bool Value) { m_defaultImages = Value; Invalidate(); }
    bool ShowDescription() const { return m_showDescription; }
    void SetShowDescription(bool Value) { m_showDescription = Value; Invalidate(); }
    bool MultiLineText() const { return m_multiLineText; }
    void SetMultiLineText(bool Value) { m_multiLineText = Value; Invalidate(); }
    bool Incremental() const { return m_incremental; }
    void SetIncremental(bool Value) { m_incremental = Value; }

    // ListIndex: Value's position in Values (-1 when absent or without
    // Values); ImageIndex: the ImageIndexes entry at ListIndex when it is a
    // number, else ListIndex itself with DefaultImages, else -1.
    static void GetIndexesByValue(const std::string& Value, const TStrings* Values, const TStrings* ImageIndexes,
                                  bool DefaultImages, int& ListIndex, int& ImageIndex);
    // The description of the current value (the value itself without one).
    std::string Description() const;

    void SelectNextItem(int Direction) override;
    void KeyPress(TKeyChar& Key) override;

protected:
    TWinControl* FocusWindow() override { return this; }
    TRect EditRect() override;
    void Paint() override;
    TControl* PopupContent(TWinControl* Parent) override;
    void DoInitPopup() override;
    TSize PopupSize() override;
    void PopupKeyDown(std::uint16_t& Key, TShiftState Shift) override;
    Variant PopupValue() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    void SelectIndex(int Index);
    void DrawListItem(int Index, const TRect& R, bool Selected);

    std::unique_ptr<TStringList> m_values, m_descriptions, m_imageIndexes;
    TImageList* m_images{nullptr};
    TChangeLink m_imagesLink;
    TImageList* m_largeImages{nullptr};
    TCustomdxPopupListBox* m_list{nullptr};
    bool m_defaultImages{true};
    bool m_showDescription{false};
    bool m_multiLineText{false};
    bool m_incremental{false};
    std::string m_search;
};

// The image editor of a grid's filter dialogs: never in-place.
class TCustomdxFilterImageEdit : public TdxInplaceImageEdit {
    QEL_CLASS(TCustomdxFilterImageEdit)
public:
    using TdxInplaceImageEdit::TdxInplaceImageEdit;
    bool IsInplace() const override { return false; }
};

} // namespace qel
