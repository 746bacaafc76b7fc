#include "platform/data/DataSource.h"

#include "platform/data/DataLink.h"
#include "platform/data/DataSet.h"
#include "platform/data/ListSnapshot.h"

#include <algorithm>

namespace qel {

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource()
{
    Destroying();
    // Links outlive their source only as detached links.
    while (!m_links.empty()) {
        TDataLink* link = m_links.back();
        RemoveDataLink(link);
    }
    SetDataSet(nullptr);
}

void TDataSource::SetDataSet(TDataSet* Value)
{
    if (m_dataSet == Value)
        return;
    if (m_dataSet)
        m_dataSet->RemoveDataSource(this);
    if (Value)
        Value->AddDataSource(this);
    UpdateState();
}

void TDataSource::DetachDataSet()
{
    m_dataSet = nullptr;
    UpdateState();
}

void TDataSource::SetEnabled(bool Value)
{
    if (m_enabled == Value)
        return;
    m_enabled = Value;
    UpdateState();
}

void TDataSource::Edit()
{
    if (m_autoEdit && m_dataSet && m_state == dsBrowse)
        m_dataSet->Edit();
}

bool TDataSource::IsLinkedTo(TDataSet* DataSet) const
{
    return DataSet && m_dataSet == DataSet;
}

void TDataSource::AddDataLink(TDataLink* Link)
{
    m_links.push_back(Link);
    Link->m_dataSource = this;
    if (m_dataSet)
        m_dataSet->UpdateBufferCount();
    Link->UpdateState();
}

void TDataSource::RemoveDataLink(TDataLink* Link)
{
    auto it = std::find(m_links.begin(), m_links.end(), Link);
    if (it == m_links.end())
        return;
    m_links.erase(it);
    Link->m_dataSource = nullptr;
    Link->UpdateState();
    if (m_dataSet)
        m_dataSet->UpdateBufferCount();
}

void TDataSource::DataEvent(TDataEvent Event, std::intptr_t Info)
{
    if (Event == deUpdateState) {
        UpdateState();
        return;
    }
    if (m_state == dsInactive)
        return;
    // A link may detach itself (or others) from inside its notification.
    const TListSnapshot<TDataLink> links(m_links);
    for (TDataLink* link : links)
        if (std::find(m_links.begin(), m_links.end(), link) != m_links.end())
            link->DataEvent(Event, Info);
    switch (Event) {
    case deFieldChange:
        if (OnDataChange)
            OnDataChange(this, reinterpret_cast<TField*>(Info));
        break;
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
        if (OnDataChange)
            OnDataChange(this, nullptr);
        break;
    case deUpdateRecord:
        if (OnUpdateData)
            OnUpdateData(this);
        break;
    default:
        break;
    }
}

void TDataSource::UpdateState()
{
    SetState(m_enabled && m_dataSet ? m_dataSet->State() : dsInactive);
}

void TDataSource::SetState(TDataSetState Value)
{
    if (m_state == Value)
        return;
    const TDataSetState prior = m_state;
    m_state = Value;
    const TListSnapshot<TDataLink> links(m_links);
    for (TDataLink* link : links)
        if (std::find(m_links.begin(), m_links.end(), link) != m_links.end())
            link->UpdateState();
    if (IsDestroying())
        return;
    if (OnStateChange)
        OnStateChange(this);
    if (prior == dsInactive && OnDataChange)
        OnDataChange(this, nullptr);
}

} // namespace qel
