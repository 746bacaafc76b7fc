#pragma once
// Two data-bound columns that show a field's value as a picture.
// TdxDBTreeListCheckColumn: a check box whose state comes from comparing the
// field's text with ValueChecked and ValueUnchecked (case-insensitive; the
// checked text wins when both match); any other text is grayed. Writing
// back stores the state's text through the field. The access matrix has one
// per box.
// TdxDBTreeListImageColumn: a field value mapped to an image and a
// description through the parallel lists Values, ImageIndexes, Descriptions.
// Both restrict the filter dialog to equality and blank tests and offer an
// image combo as filter editor.
#include "dbgrid/DBTreeListTypedColumns.h"
#include "editors/ViewData.h"

#include <memory>
#include <string>

namespace qel {

class TBitmap;
class TImageList;
class TStringList;

class TdxDBTreeListCheckColumn : public TdxDBTreeListColumn {
    QEL_CLASS(TdxDBTreeListCheckColumn)
public:
    explicit TdxDBTreeListCheckColumn(TComponent* AOwner);
    ~TdxDBTreeListCheckColumn() override;

    bool AllowGrayed() const { return m_allowGrayed; }
    void SetAllowGrayed(bool Value) { m_allowGrayed = Value; }
    bool Border3D() const { return m_border3D; }
    void SetBorder3D(bool Value);
    // Created on first read.
    TBitmap* Glyph();
    bool HasGlyph() const { return static_cast<bool>(m_glyph); }
    // nullptr frees the glyph; any other bitmap is copied.
    void SetGlyph(const TBitmap* Value);
    int GlyphCount() const { return m_glyphCount; }
    void SetGlyphCount(int Value);
    TdxShowNullFieldStyle ShowNullFieldStyle() const { return m_showNullFieldStyle; }
    void SetShowNullFieldStyle(TdxShowNullFieldStyle Value);
    const std::string& ValueChecked() const { return m_valueChecked; }
    void SetValueChecked(const std::string& Value);
    const std::string& ValueGrayed() const { return m_valueGrayed; }
    void SetValueGrayed(const std::string& Value);
    const std::string& ValueUnchecked() const { return m_valueUnchecked; }
    void SetValueUnchecked(const std::string& Value);

    TCheckBoxState GetCheckState(const std::string& Text) const;
    const std::string& GetCheckText(TCheckBoxState State) const;
    std::string NormalizeCheckText(const std::string& Text) const { return GetCheckText(GetCheckState(Text)); }

    void Assign(TPersistent* Source) override;
    void RestoreDefaults() override;
    TAlignment DefaultAlignment() const override { return taCenter; }
    void PrepareViewData(TdxTreeListCellViewData& ViewData) const override;
    void DrawCell(TCanvas& Canvas, const TdxTreeListCellViewData& ViewData) const override;
    bool SameFieldValue(const Variant& Value) const override;
    TdxFilterOperators GetFilterOperators() const override;
    std::unique_ptr<TdxInplaceEdit> NewFilterEditor(TComponent* Owner) const override;
    void InitFilterEditor(TdxInplaceEdit* Editor) override;
    void GetFilterEditText(TdxInplaceEdit* Editor, Variant& Value, std::string& Text) override;
    void SetFilterEditValue(TdxInplaceEdit* Editor, const Variant& Value) override;
    // The editor reports the user's toggle.
    void DoToggleClick(TCheckBoxState State);

    std::function<void(TObject* Sender, const std::string& Text, TCheckBoxState State)> OnToggleClick;

protected:
    std::unique_ptr<TdxInplaceEdit> NewInplaceEditor(TComponent* Owner) const override;
    void InitEditor(TdxInplaceEdit* Editor) override;
    Variant FieldToEditor(TdxInplaceEdit* Editor) override;
    void EditorToField(TdxInplaceEdit* Editor) override;

private:
    bool m_allowGrayed{false};
    bool m_border3D{false};
    std::unique_ptr<TBitmap> m_glyph;
    int m_glyphCount{6};
    TdxShowNullFieldStyle m_showNullFieldStyle{nsUnchecked};
    std::string m_valueChecked{"True"};
    std::string m_valueGrayed;
    std::string m_valueUnchecked{"False"};
};

class TdxDBTreeListImageColumn : public TdxDBTreeListDropDownColumn {
    QEL_CLASS(TdxDBTreeListImageColumn)
public:
    explicit TdxDBTreeListImageColumn(TComponent* AOwner);
    ~TdxDBTreeListImageColumn() override;

    TStringList* Values() const { return m_values.get(); }
    TStringList* Descriptions() const { return m_descriptions.get(); }
    TStringList* ImageIndexes() const { return m_imageIndexes.get(); }
    bool DefaultImages() const { return m_defaultImages; }
    void SetDefaultImages(bool Value) { m_defaultImages = Value; Changed(); }
    TImageList* Images() const { return m_images; }
    void SetImages(TImageList* Value);
    TImageList* LargeImages() const { return m_largeImages; }
    void SetLargeImages(TImageList* Value);
    bool ShowDescription() const { return m_showDescription; }
    void SetShowDescription(bool Value) { m_showDescription = Value; Changed(); }
    bool MultiLineText() const { return m_multiLineText; }
    void SetMultiLineText(bool Value) { m_multiLineText = Value; Changed(); }
    bool Incremental() const { return m_incremental; }
    void SetIncremental(bool Value) { m_incremental = Value; }

    void GetImageInfo(const std::string& Value, int& ListIndex, int& ImageIndex) const;
    std::string GetDescription(const std::string& Text) const;
    bool GetValueText(Variant& Value, bool HTML) const override;
    int GetContentWidth(TCanvas& Canvas, TdxTreeListNode* Node) const;
    int GetContentHeight() const;

    void PrepareViewData(TdxTreeListCellViewData& ViewData) const override;
    void DrawCell(TCanvas& Canvas, const TdxTreeListCellViewData& ViewData) const override;
    TdxFilterOperators GetFilterOperators() const override;
    std::unique_ptr<TdxInplaceEdit> NewFilterEditor(TComponent* Owner) const override;
    void GetFilterEditText(TdxInplaceEdit* Editor, Variant& Value, std::string& Text) override;
    void SetFilterEditValue(TdxInplaceEdit* Editor, const Variant& Value) override;

protected:
    std::unique_ptr<TdxInplaceEdit> NewInplaceEditor(TComponent* Owner) const override;
    void InitEditor(TdxInplaceEdit* Editor) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    std::unique_ptr<TStringList> m_values, m_descriptions, m_imageIndexes;
    bool m_defaultImages{true};
    TImageList* m_images{nullptr};
    TImageList* m_largeImages{nullptr};
    bool m_showDescription{false};
    bool m_multiLineText{false};
    bool m_incremental{false};
};

} // namespace qel
