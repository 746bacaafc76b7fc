#pragma once
// Change links: how an owner hears of changes to an object it holds (a font,
// a pen, a brush, an image list, a picture, a menu) or of the application
// (settings, activation). The object keeps a TChangeLinks list; every
// listener holds a TChangeLink, which leaves the list when either side dies.
// The public OnChange events stay free for users: assigning one never cuts an
// owner off.
//
//   TChangeLink m_fontLink;                                  // member of the owner
//   m_fontLink.Connect(m_font->Changes(), [this](TObject*) { FontChanged(); });
#include "platform/core/Events.h"

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace qel {

class TChangeLinks;

class TChangeLink {
public:
    using TCallback = std::function<void(TObject* Sender)>;

    TChangeLink() = default;
    TChangeLink(TChangeLinks& Source, TCallback OnChange) { Connect(Source, std::move(OnChange)); }
    ~TChangeLink() { Disconnect(); }
    TChangeLink(const TChangeLink&) = delete;
    TChangeLink& operator=(const TChangeLink&) = delete;

    // Listens to Source from now on (leaving the list it listened to before).
    void Connect(TChangeLinks& Source, TCallback OnChange);
    void Disconnect();
    bool Connected() const { return m_source != nullptr; }
    TChangeLinks* Source() const { return m_source; }

private:
    friend class TChangeLinks;
    TChangeLinks* m_source{nullptr};
    TCallback m_onChange;
};

class TChangeLinks {
public:
    TChangeLinks() = default;
    ~TChangeLinks()
    {
        if (m_destroyed)
            *m_destroyed = true;
        for (TChangeLink* l : m_links)
            if (l)
                l->m_source = nullptr;
    }
    // An object's listeners are its own: copies of the object start without any.
    TChangeLinks(const TChangeLinks&) = delete;
    TChangeLinks& operator=(const TChangeLinks&) = delete;

    // Calls every link in the order they connected. A link that disconnects or
    // dies during the round is skipped; one that connects during it waits for
    // the next round. A listener may free the object itself: then the round
    // stops and the answer is false, so the caller touches nothing more.
    bool Notify(TObject* Sender)
    {
        bool destroyed = false;
        bool* const outer = m_destroyed;
        m_destroyed = &destroyed;
        ++m_notifying;
        struct Restore {
            TChangeLinks* self;
            bool& destroyed;
            bool* outer;
            ~Restore()
            {
                if (destroyed) {
                    if (outer)
                        *outer = true;
                    return;
                }
                self->m_destroyed = outer;
                if (--self->m_notifying == 0)
                    self->m_links.erase(std::remove(self->m_links.begin(), self->m_links.end(), nullptr),
                                        self->m_links.end());
            }
        } restore{this, destroyed, outer};
        const std::size_t n = m_links.size();
        for (std::size_t i = 0; i < n && !destroyed; ++i)
            if (TChangeLink* l = m_links[i]) {
                // A copy: the link may be freed while its own call runs.
                const TChangeLink::TCallback call = l->m_onChange;
                if (call)
                    call(Sender);
            }
        return !destroyed;
    }
    int Count() const
    {
        return static_cast<int>(std::count_if(m_links.begin(), m_links.end(), [](auto* L) { return L != nullptr; }));
    }

private:
    friend class TChangeLink;
    void Add(TChangeLink* Link) { m_links.push_back(Link); }
    void Remove(TChangeLink* Link)
    {
        auto it = std::find(m_links.begin(), m_links.end(), Link);
        if (it == m_links.end())
            return;
        if (m_notifying)
            *it = nullptr;   // compacted when the round ends
        else
            m_links.erase(it);
    }

    std::vector<TChangeLink*> m_links;
    int m_notifying{0};
    bool* m_destroyed{nullptr};
};

inline void TChangeLink::Connect(TChangeLinks& Source, TCallback OnChange)
{
    Disconnect();
    m_onChange = std::move(OnChange);
    m_source = &Source;
    Source.Add(this);
}

inline void TChangeLink::Disconnect()
{
    if (m_source)
        m_source->Remove(this);
    m_source = nullptr;
}

} // namespace qel
