#pragma once
// Tells a long call whether components it works on were freed while it ran
// other people's code (events, handlers, waiting messages). It is an
// ownerless component linked to each of them by free notification, and
// remembers which went:
//
//   TFreeWatch watch{printer, link};
//   printer->OnStartPrint(printer, link, pages);
//   if (watch.Freed(printer))
//       return;                     // touch nothing of the printer any more
//
// A component only leaving its owner does not count: only freeing does.
#include "platform/core/Component.h"

#include <initializer_list>
#include <vector>

namespace qel {

class TFreeWatch : public TComponent {
    QEL_CLASS(TFreeWatch)
public:
    TFreeWatch(std::initializer_list<TComponent*> Components = {});

    // Watches one more; nullptr is ignored.
    void Watch(TComponent* AComponent);
    bool Freed(const TComponent* AComponent) const;
    bool AnyFreed() const { return !m_freed.empty(); }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    std::vector<const TComponent*> m_watched;
    std::vector<const TComponent*> m_freed;
};

} // namespace qel
