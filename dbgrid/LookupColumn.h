#pragma once
// TdxDBTreeListLookupColumn: a column on a lookup field, edited with the
// lookup editor (the key is stored, the list row's text shown). Its filter
// editor holds a key of its own; the node's filter value is its lookup key.
#include "dbgrid/DBTreeListTypedColumns.h"
#include "editors/LookupEdit.h"
#include "platform/controls/Keyboard.h"

namespace qel {

class TdxDBTreeListLookupColumn : public TdxDBTreeListDropDownColumn {
    QEL_CLASS(TdxDBTreeListLookupColumn)
public:
    explicit TdxDBTreeListLookupColumn(TComponent* AOwner) : TdxDBTreeListDropDownColumn(AOwner) {}

    const std::string& ListFieldName() const { return m_listFieldName; }
    void SetListFieldName(const std::string& Value) { m_listFieldName = Value; Changed(); }
    int ListFieldIndex() const { return m_listFieldIndex; }
    void SetListFieldIndex(int Value) { m_listFieldIndex = Value; }
    // The same setting as DropDownWidth.
    int ListWidth() const { return DropDownWidth(); }
    void SetListWidth(int Value) { SetDropDownWidth(Value); }
    TShortCut ClearKey() const { return m_clearKey; }
    void SetClearKey(TShortCut Value) { m_clearKey = Value; }
    bool ImmediateDropDown() const { return m_immediateDropDown; }
    void SetImmediateDropDown(bool Value) { m_immediateDropDown = Value; }
    bool CanDeleteText() const { return m_canDeleteText; }
    void SetCanDeleteText(bool Value) { m_canDeleteText = Value; }

    void Assign(TPersistent* Source) override;
    void RestoreDefaults() override;
    std::unique_ptr<TdxInplaceEdit> NewFilterEditor(TComponent* Owner) const override;
    void InitFilterEditor(TdxInplaceEdit* Editor) override;
    void GetFilterEditText(TdxInplaceEdit* Editor, Variant& Value, std::string& Text) override;
    void SetFilterEditValue(TdxInplaceEdit* Editor, const Variant& Value) override;
    TdxFilterOperators GetFilterOperators() const override;
    void GetNodeFilterValue(TdxTreeListNode* Node, Variant& Value) const override;

    TdxCloseUpEvent OnCloseUp;

protected:
    std::unique_ptr<TdxInplaceEdit> NewInplaceEditor(TComponent* Owner) const override;
    void InitEditor(TdxInplaceEdit* Editor) override;
    Variant FieldToEditor(TdxInplaceEdit* Editor) override;
    void EditorToField(TdxInplaceEdit* Editor) override;

private:
    std::string m_listFieldName;
    int m_listFieldIndex{0};
    TShortCut m_clearKey{0};
    bool m_immediateDropDown{false};
    bool m_canDeleteText{false};
};

class TdxDBGridLookupColumn : public TdxDBTreeListLookupColumn {
    QEL_CLASS(TdxDBGridLookupColumn)
public:
    explicit TdxDBGridLookupColumn(TComponent* AOwner) : TdxDBTreeListLookupColumn(AOwner) {}
};

} // namespace qel
