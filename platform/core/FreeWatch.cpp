#include "platform/core/FreeWatch.h"

#include <algorithm>

namespace qel {

TFreeWatch::TFreeWatch(std::initializer_list<TComponent*> Components) : TComponent(nullptr)
{
    for (TComponent* c : Components)
        Watch(c);
}

void TFreeWatch::Watch(TComponent* AComponent)
{
    if (!AComponent || std::find(m_watched.begin(), m_watched.end(), AComponent) != m_watched.end())
        return;
    m_watched.push_back(AComponent);
    AComponent->FreeNotification(this);
}

bool TFreeWatch::Freed(const TComponent* AComponent) const
{
    return std::find(m_freed.begin(), m_freed.end(), AComponent) != m_freed.end();
}

void TFreeWatch::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    // The free-notification link tells only of a component being freed; the
    // watch owns nothing, so no opRemove comes from a child leaving it.
    if (Operation != opRemove || Freed(AComponent))
        return;
    if (std::find(m_watched.begin(), m_watched.end(), AComponent) != m_watched.end())
        m_freed.push_back(AComponent);
}

} // namespace qel
