#pragma once
// TdxDBTreeListColumn: the column of every data-aware tree list. It binds a
// tree list column to one dataset field by name, takes caption, alignment,
// width, maximum length and read-only state from the field, moves text
// between the field and the in-place editor, fills each node's value record
// for sorting and grouping, and carries the grouping and summary settings the
// grid acts on. Every field-dependent answer falls back to a neutral value
// (empty text, 0, false, nullptr) when the field is missing; nothing raises.
// TdxDBTreeListMaskColumn adds an edit mask that falls back to the field's.
#include "platform/core/Variant.h"
#include "treelist/InplaceEditorHost.h"
#include "treelist/TreeListColumn.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace qel {

class TField;
class TWinControl;
class TdxInplaceEdit;
class TCustomdxDBTreeListControl;
class TdxDBTreeListControlNode;

enum TdxSummaryType : std::uint8_t { cstNone, cstSum, cstMin, cstMax, cstCount, cstAvg };

// The custom filter dialog's conditions, one bit each.
enum TdxFilterOperator : std::uint8_t {
    fopEqual, fopNotEqual, fopGreater, fopGreaterEqual, fopLess, fopLessEqual, fopBlanks, fopNonBlanks
};
using TdxFilterOperators = std::uint8_t;
constexpr TdxFilterOperators AllFilterOperators = 0xFF;

// The filter value type codes (Variant type numbers).
constexpr int FilterVarTypeString = 256;

using TdxDBColumnCustomDrawEvent =
    std::function<void(TObject* Sender, TCanvas* Canvas, const TdxTreeListCellViewData& ViewData, bool& Done)>;

class TdxDBTreeListColumn : public TdxTreeListColumn {
    QEL_CLASS(TdxDBTreeListColumn)
public:
    explicit TdxDBTreeListColumn(TComponent* AOwner);
    ~TdxDBTreeListColumn() override;

    TCustomdxDBTreeListControl* GetDBTreeList() const;
    TField* GetField() const { return m_field; }
    TField* Field() const { return m_field; }
    const std::string& FieldName() const { return m_fieldName; }
    virtual void SetFieldName(const std::string& Value);
    // Re-looks up the field by name (the control's rebuild); nullptr when it is gone.
    void RebindField();
    // The field went away (free notification from the control).
    void FieldRemoved(const void* Field) { if (m_field == Field) m_field = nullptr; }

    bool DisableGrouping() const { return m_disableGrouping; }
    void SetDisableGrouping(bool Value);
    int GroupIndex() const { return m_groupIndex; }
    void SetGroupIndex(int Value);
    // Only the control sets the place among group columns.
    void SetGroupIndexDirect(int Value) { m_groupIndex = Value; }
    bool DisableFilter() const { return m_disableFilter; }
    void SetDisableFilter(bool Value) { m_disableFilter = Value; }

    TdxSummaryType SummaryType() const { return m_summaryType; }
    void SetSummaryType(TdxSummaryType Value);
    const std::string& SummaryField() const { return m_summaryField; }
    void SetSummaryField(const std::string& Value) { m_summaryField = Value; Changed(); }
    const std::string& SummaryFormat() const { return m_summaryFormat; }
    void SetSummaryFormat(const std::string& Value) { m_summaryFormat = Value; Changed(); }
    bool SortBySummary() const { return m_sortBySummary && m_summaryType != cstNone; }
    void SetSortBySummary(bool Value);
    const std::string& SummaryGroupName() const { return m_summaryGroupName; }
    void SetSummaryGroupName(const std::string& Value) { m_summaryGroupName = Value; Changed(); }
    TdxSummaryType SummaryFooterType() const { return m_summaryFooterType; }
    void SetSummaryFooterType(TdxSummaryType Value);
    const std::string& SummaryFooterField() const { return m_summaryFooterField; }
    void SetSummaryFooterField(const std::string& Value) { m_summaryFooterField = Value; Changed(); }
    const std::string& SummaryFooterFormat() const { return m_summaryFooterFormat; }
    void SetSummaryFooterFormat(const std::string& Value) { m_summaryFooterFormat = Value; Changed(); }
    TField* FooterSummaryField() const { return m_footerSummaryField; }
    void SetFooterSummaryField(TField* Value) { m_footerSummaryField = Value; }
    double FooterValue() const { return m_footerValue; }
    bool FooterValueAssigned() const { return m_footerValueAssigned; }
    void SetFooterValue(double Value, bool Assigned) { m_footerValue = Value; m_footerValueAssigned = Assigned; }

    // ----- what the data-bound column defines ------------------------------------------------
    virtual bool UsesFieldValue() const { return false; }
    // Field text of the current record (through OnGetText); empty without a field.
    virtual std::string GetFieldDisplayText() const;
    virtual void LoadNodeValue(TdxDBTreeListControlNode* Node);
    // What LoadNodeValue keeps of the current record: the text, and whether
    // the field's value is kept beside it.
    std::string RecordText() const;
    bool KeepsRecordValue() const;
    // Whether RecordText is the field's display text as it stands: the
    // column's class overrides neither GetFieldDisplayText nor
    // FilterValueToText. Readers of many rows then take the field's text
    // without the conversions. A class answers for itself only (its type
    // exactly), so a class derived from it, whose hooks may differ, answers false.
    virtual bool ShowsFieldTextAsIs() const;
    // The stand-alone editor of the filter dialogs, prepared by InitFilterEditor.
    std::unique_ptr<TdxInplaceEdit> CreateFilterEditor(TComponent* Owner);
    virtual std::unique_ptr<TdxInplaceEdit> NewFilterEditor(TComponent* Owner) const;
    virtual void InitFilterEditor(TdxInplaceEdit* Editor);
    virtual void GetFilterEditText(TdxInplaceEdit* Editor, Variant& Value, std::string& Text);
    virtual void SetFilterEditValue(TdxInplaceEdit* Editor, const Variant& Value);
    virtual TdxFilterOperators GetFilterOperators() const { return AllFilterOperators; }
    virtual void GetNodeFilterValue(TdxTreeListNode* Node, Variant& Value) const;
    virtual void GetFilterDisplayText(TdxTreeListNode* Node, Variant& Value, std::string& Text) const;
    virtual std::string FormatFilterText(const std::string& Text) const { return Text; }
    virtual std::string GetSummaryFooterText() const;
    virtual std::string FilterValueToText(const Variant& Value) const;
    virtual int GetFilterVarType() const;
    virtual bool IsBlobColumn() const { return false; }
    virtual bool SameFieldValue(const Variant& Value) const;
    virtual bool IsValidChar(char32_t Key) const;

    // ----- tree list column overrides ---------------------------------------------------------
    void Assign(TPersistent* Source) override;
    void SetName(const std::string& NewName) override;
    void SetIndex(int Value) override;
    // Streamed as a child of its control (see GridStreaming.cpp).
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* Value) override;
    void RestoreDefaults() override;
    // The cell's text after the column's OnGetText. A handler that frees the
    // control raises EdxControlFreed; one that frees only this column gives an
    // empty text, and nothing of the column is touched again.
    std::string GetDisplayText(TdxTreeListNode* Node) const override;
    TdxTreeListEditorFactory GetEditorClass() const override;
    void InitEditorValue(TdxTreeListInplaceEditor* Editor, const Variant& Value) override;
    Variant AssignEditorValue(TdxTreeListInplaceEditor* Editor) override;
    bool HasCustomDraw() const override { return static_cast<bool>(OnCustomDraw); }
    bool DoCustomDraw(TCanvas& Canvas, const TdxTreeListCellViewData& ViewData) override;
    bool DefaultReadOnly() const override;
    int DefaultWidth() const override;
    TAlignment DefaultAlignment() const override;
    std::string GetDefaultCaption() const;
    int GetDefaultMaxLength() const;
    // The field-derived defaults applied to what is still unset: the caption
    // (the alignment follows the field while it is not set).
    void ApplyFieldDefaults();

    TdxDBColumnCustomDrawEvent OnCustomDraw;
    TdxDBColumnCustomDrawEvent OnCustomDrawHeader;
    TdxDBColumnCustomDrawEvent OnDrawSummaryFooter;
    std::function<void(TObject* Sender, TdxTreeListNode* Node, double& Value)> OnSummary;
    std::function<void(TObject* Sender, TdxTreeListNode* Node, double& Value)> OnSummaryFooter;

protected:
    // The framework editor this column edits through; nullptr: text editor.
    virtual std::unique_ptr<TdxInplaceEdit> NewInplaceEditor(TComponent* Owner) const;
    // Settings copied into the editor when editing starts.
    virtual void InitEditor(TdxInplaceEdit* /*Editor*/) {}
    // Field -> editor: sets the editor's value; answers the editing value.
    virtual Variant FieldToEditor(TdxInplaceEdit* Editor);
    // Editor -> field.
    virtual void EditorToField(TdxInplaceEdit* Editor);
    // The node's cell value for the column read back after a write.
    Variant CellValueReadBack() const;
    bool InUpdate() const;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    std::string m_fieldName;
    TField* m_field{nullptr};
    bool m_disableGrouping{false};
    bool m_disableFilter{false};
    int m_groupIndex{-1};
    TdxSummaryType m_summaryType{cstNone};
    std::string m_summaryField;
    std::string m_summaryFormat;
    bool m_sortBySummary{false};
    std::string m_summaryGroupName;
    TdxSummaryType m_summaryFooterType{cstNone};
    std::string m_summaryFooterField;
    std::string m_summaryFooterFormat;
    TField* m_footerSummaryField{nullptr};
    double m_footerValue{0};
    bool m_footerValueAssigned{false};
};

class TdxDBTreeListMaskColumn : public TdxDBTreeListColumn {
    QEL_CLASS(TdxDBTreeListMaskColumn)
public:
    explicit TdxDBTreeListMaskColumn(TComponent* AOwner) : TdxDBTreeListColumn(AOwner) {}

    // The assigned mask, else the field's.
    std::string EditMask() const;
    void SetEditMask(const std::string& Value);
    bool EditMaskAssigned() const { return m_maskAssigned; }
    // Stored only when assigned and different from the field's.
    bool IsEditMaskStored() const;
    bool IgnoreMaskBlank() const { return m_ignoreMaskBlank; }
    void SetIgnoreMaskBlank(bool Value) { m_ignoreMaskBlank = Value; }

    void Assign(TPersistent* Source) override;
    void RestoreDefaults() override;
    bool SameFieldValue(const Variant& Value) const override;
    bool ShowsFieldTextAsIs() const override;

protected:
    std::unique_ptr<TdxInplaceEdit> NewInplaceEditor(TComponent* Owner) const override;
    void InitEditor(TdxInplaceEdit* Editor) override;

private:
    std::string m_editMask;
    bool m_maskAssigned{false};
    bool m_ignoreMaskBlank{false};
};

// The framework editor behind a tree list editor; nullptr for another kind.
TdxInplaceEdit* HostedEdit(TdxTreeListInplaceEditor* Editor);

} // namespace qel
