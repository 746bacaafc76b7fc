#include "printing/TreeListReportAccess.h"

namespace qel {

std::string TdxTreeListReportAccess::CellText(TdxTreeListNode* Node, TdxTreeListColumn* Column)
{
    return m_control->DoColumnNodeText(Node, Column);
}

Variant TdxTreeListReportAccess::CellValue(TdxTreeListNode* Node, TdxTreeListColumn* Column)
{
    return m_control->GetNodeValue(Node, Column->GetColumnIndex());
}

std::string TdxTreeListReportAccess::GroupRowText(TdxTreeListNode* Node)
{
    return m_control->GetGroupRowText(Node);
}

std::string TdxTreeListReportAccess::PreviewText(TdxTreeListNode* Node)
{
    return m_control->GetPreviewText(Node);
}

int TdxTreeListReportAccess::SelectedCount()
{
    return m_control->GetSelectedCount();
}

bool TdxTreeListReportAccess::IsNodeSelected(TdxTreeListNode* Node)
{
    return Node->Selected();
}

} // namespace qel
