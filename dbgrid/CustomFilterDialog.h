#pragma once
// The "Custom AutoFilter" dialog: one or two conditions for a column, joined
// by AND or OR. What the rows mean is in GridCriteria.h; this is the form.
#include "dbgrid/GridCriteria.h"
#include "editors/ImageEdit.h"
#include "platform/controls/Forms.h"

#include <memory>

namespace qel {

class TLabel;
class TBevel;
class TButton;
class TRadioButton;

// The operator chooser: an image edit working as a control of its own on the form.
class TdxFilterDialogComboEdit : public TdxInplaceImageEdit {
    QEL_CLASS(TdxFilterDialogComboEdit)
public:
    using TdxInplaceImageEdit::TdxInplaceImageEdit;
    bool IsInplace() const override { return false; }
    // The chosen condition index; -1 for none.
    int ConditionIndex() const;
    void SetConditionIndex(int Value);
};

class TfmCustomDialog : public TForm {
    QEL_CLASS(TfmCustomDialog)
public:
    TfmCustomDialog(TComponent* AOwner, TdxDBTreeListColumn* Column);
    ~TfmCustomDialog() override;

    TLabel* lblTitle{nullptr};
    TLabel* LColumnName{nullptr};
    TBevel* bvlLine{nullptr};
    TdxFilterDialogComboEdit* cbOperator1{nullptr};
    TdxFilterDialogComboEdit* cbOperator2{nullptr};
    TdxInplaceEdit* Edit1{nullptr};
    TdxInplaceEdit* Edit2{nullptr};
    TRadioButton* rbAnd{nullptr};
    TRadioButton* rbOr{nullptr};
    TButton* btnOK{nullptr};
    TButton* btnCancel{nullptr};
    TLabel* lblSingle{nullptr};
    TLabel* lblSeries{nullptr};

    // Shows a column's conditions.
    void ShowConditions(const TdxFilterCondition& First, const TdxFilterCondition& Second, bool OrJoin);
    // The rows as read when OK closed the dialog.
    const TdxFilterCondition& First() const { return m_first; }
    const TdxFilterCondition& Second() const { return m_second; }
    bool OrJoin() const;

    // On OK: reads both rows; a value that does not convert to the column's
    // type shows a message and keeps the dialog open.
    bool CloseQuery() override;

private:
    bool ReadRow(TdxFilterDialogComboEdit* Chooser, TdxInplaceEdit* Editor, TdxFilterCondition& Row);

    TdxDBTreeListColumn* m_column;
    std::unique_ptr<TdxInplaceEdit> m_edit1;
    std::unique_ptr<TdxInplaceEdit> m_edit2;
    TdxFilterCondition m_first;
    TdxFilterCondition m_second;
};

// Runs the dialog for Column over Criteria; true when OK was pressed (the
// column's conditions then replaced by the dialog's rows).
bool ShowCustomFilterDialog(TdxDBTreeListColumn* Column, TdxDBGridCriteria& Criteria);

} // namespace qel
