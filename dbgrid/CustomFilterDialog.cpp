#include "dbgrid/CustomFilterDialog.h"

#include "platform/controls/Dialogs.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Locale.h"
#include "platform/core/Strings.h"

namespace qel {

int TdxFilterDialogComboEdit::ConditionIndex() const
{
    const Variant v = GetEditingValue();
    std::int32_t i = -1;
    if (v.IsEmptyOrNull() || !TryStrToInt(v.AsString(), i) || i < 0 || i >= dxFilterConditionCount)
        return -1;
    return i;
}

void TdxFilterDialogComboEdit::SetConditionIndex(int Value)
{
    // No condition shows nothing.
    SetEditingValue(Variant(Value < 0 ? std::string() : IntToStr(Value)));
}

namespace {

template <class T>
T* Place(TfmCustomDialog* Form, int Left, int Top, int Width, int Height)
{
    auto* c = new T(Form);
    c->SetParent(Form);
    c->SetBounds(Left, Top, Width, Height);
    return c;
}

} // namespace

TfmCustomDialog::TfmCustomDialog(TComponent* AOwner, TdxDBTreeListColumn* Column)
    : TForm(AOwner), m_column(Column)
{
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetCaption("Custom AutoFilter");
    SetClientWidth(412);
    SetClientHeight(166);

    lblTitle = Place<TLabel>(this, 8, 8, 200, 13);
    lblTitle->SetCaption("Show rows where:");
    LColumnName = Place<TLabel>(this, 14, 26, 380, 13);
    LColumnName->SetCaption(Column ? Column->Caption() : std::string());
    bvlLine = Place<TBevel>(this, 8, 40, 396, 2);

    const TdxFilterOperators allowed = Column ? Column->GetFilterOperators() : AllFilterOperators;
    auto chooser = [&](int Top) {
        auto* c = Place<TdxFilterDialogComboEdit>(this, 14, Top, 185, 21);
        // The conditions are read, not pictured.
        c->SetShowDescription(true);
        c->SetDefaultImages(false);
        for (int i = 0; i < dxFilterConditionCount; ++i)
            if (allowed & (1u << i)) {
                c->Values()->Add(IntToStr(i));
                c->Descriptions()->Add(dxFilterConditionText(i));
            }
        return c;
    };
    cbOperator1 = chooser(46);
    cbOperator2 = chooser(96);
    cbOperator1->SetConditionIndex(0);
    cbOperator2->SetConditionIndex(-1);

    auto editor = [&](std::unique_ptr<TdxInplaceEdit>& Holder, int Top) {
        Holder = Column ? Column->CreateFilterEditor(nullptr) : nullptr;
        if (!Holder)
            return static_cast<TdxInplaceEdit*>(nullptr);
        Holder->SetParent(this);
        Holder->SetBounds(214, Top, 185, 21);
        return Holder.get();
    };
    Edit1 = editor(m_edit1, 46);
    Edit2 = editor(m_edit2, 96);

    rbAnd = Place<TRadioButton>(this, 40, 74, 60, 17);
    rbAnd->SetCaption("&And");
    rbAnd->SetChecked(true);
    rbOr = Place<TRadioButton>(this, 112, 74, 60, 17);
    rbOr->SetCaption("&Or");

    btnOK = Place<TButton>(this, 244, 132, 75, 25);
    btnOK->SetCaption("OK");
    btnOK->SetDefault(true);
    btnOK->SetModalResult(mrOk);
    btnCancel = Place<TButton>(this, 326, 132, 75, 25);
    btnCancel->SetCaption("Cancel");
    btnCancel->SetCancel(true);
    btnCancel->SetModalResult(mrCancel);

    lblSingle = Place<TLabel>(this, 8, 124, 220, 13);
    lblSingle->SetCaption("Use ? to represent any single character");
    lblSingle->SetVisible(false);
    lblSeries = Place<TLabel>(this, 8, 140, 220, 13);
    lblSeries->SetCaption("Use * to represent any series of characters");
    lblSeries->SetVisible(false);

    // Tab goes through each row, its condition then its value.
    int order = 0;
    for (TWinControl* c : std::initializer_list<TWinControl*>{cbOperator1, Edit1, rbAnd, rbOr, cbOperator2, Edit2,
                                                              btnOK, btnCancel})
        if (c)
            c->SetTabOrder(order++);
}

// The editors go first: they are children of this form.
TfmCustomDialog::~TfmCustomDialog()
{
    m_edit1.reset();
    m_edit2.reset();
}

void TfmCustomDialog::ShowConditions(const TdxFilterCondition& First, const TdxFilterCondition& Second,
                                     bool OrJoin)
{
    cbOperator1->SetConditionIndex(First.Index);
    if (m_column && Edit1)
        m_column->SetFilterEditValue(Edit1, First.Value);
    cbOperator2->SetConditionIndex(Second.Index);
    if (m_column && Edit2 && Second.Index >= 0)
        m_column->SetFilterEditValue(Edit2, Second.Value);
    rbAnd->SetChecked(!OrJoin);
    rbOr->SetChecked(OrJoin);
}

bool TfmCustomDialog::OrJoin() const
{
    return rbOr->Checked();
}

bool TfmCustomDialog::ReadRow(TdxFilterDialogComboEdit* Chooser, TdxInplaceEdit* Editor, TdxFilterCondition& Row)
{
    Row = TdxFilterCondition{Chooser->ConditionIndex(), Variant::Null(), {}};
    if (Row.Index < 0 || !m_column || !Editor)
        return true;
    Variant value;
    std::string text;
    m_column->GetFilterEditText(Editor, value, text);
    if (value.IsString() && value.AsString().empty())
        value = Variant::Null();
    try {
        Row.Value = ConvertFilterValue(value, m_column->GetFilterVarType());
    } catch (const EConvertError& E) {
        MessageDlg(E.what(), mtError, TMsgDlgButtons{mbOK}, 0);
        Editor->SetFocus();
        return false;
    }
    Row.DisplayText = text;
    return true;
}

bool TfmCustomDialog::CloseQuery()
{
    if (ModalResult() == mrOk) {
        if (Edit1)
            Edit1->PostEditingValue();
        if (Edit2)
            Edit2->PostEditingValue();
        TdxFilterCondition first, second;
        if (!ReadRow(cbOperator1, Edit1, first) || !ReadRow(cbOperator2, Edit2, second))
            return false;
        m_first = first;
        m_second = second;
    }
    return TForm::CloseQuery();
}

bool ShowCustomFilterDialog(TdxDBTreeListColumn* Column, TdxDBGridCriteria& Criteria)
{
    if (!Column)
        return false;
    auto form = std::make_unique<TfmCustomDialog>(nullptr, Column);
    TdxFilterCondition first, second;
    bool orJoin = false;
    ReadCustomFilterConditions(Criteria, Column->Name(), first, second, orJoin);
    form->ShowConditions(first, second, orJoin);
    if (form->ShowModal() != mrOk)
        return false;
    ApplyCustomFilterConditions(Criteria, Column, form->First(), form->Second(), form->OrJoin());
    return true;
}

} // namespace qel
