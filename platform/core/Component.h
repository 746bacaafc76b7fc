#pragma once
// TPersistent (Assign) and TComponent: ownership, unique names among an
// owner's components, free notification and the loading state used by
// component streaming.
#include "platform/core/Exceptions.h"
#include "platform/core/Object.h"
#include "platform/core/TSet.h"

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace qel {

class TFiler;

class TPersistent : public TObject {
    QEL_CLASS(TPersistent)

public:
    // Copies Source into this object. The default asks Source to assign
    // itself (AssignTo); when nobody knows how, EConvertError
    // "Cannot assign a <source class> to a <this class>" ("nil" for null).
    virtual void Assign(TPersistent* Source);

protected:
    virtual void AssignTo(TPersistent* Dest);
    [[noreturn]] void AssignError(TPersistent* Source);
};

enum TOperation { opInsert, opRemove };

enum TComponentStateItem {
    csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor,
    csUpdating, csFixups, csFreeNotification, csInline, csDesignInstance
};
using TComponentState = TSet<TComponentStateItem>;

class TComponent : public TPersistent {
    QEL_CLASS(TComponent)

public:
    // Created with new; the owner (when given) deletes it.
    explicit TComponent(TComponent* AOwner);
    // Tells every observer and the owner that this component goes away, then
    // frees the owned components, newest first.
    ~TComponent() override;

    const std::string& Name() const { return m_name; }
    // "'X' is not a valid component name." for a bad identifier;
    // "A component named X already exists" for a clash among the owner's
    // components (case-insensitive). An empty name is always allowed.
    virtual void SetName(const std::string& NewName);

    TComponent* Owner() const { return m_owner; }
    int ComponentCount() const { return static_cast<int>(m_components.size()); }
    TComponent* Components(int I) const;   // EListError when out of range
    int ComponentIndex() const;            // -1 without owner
    TComponent* FindComponent(const std::string& AName) const;  // case-insensitive; nullptr when absent

    // Takes AComponent over (from its previous owner, if any).
    void InsertComponent(TComponent* AComponent);
    // Releases AComponent without freeing it; it has no owner afterwards.
    void RemoveComponent(TComponent* AComponent);
    // Frees the owned components, newest first. A subclass whose members the
    // children use in their destructors calls it first in its own destructor.
    void DestroyComponents();
    // Marks this component and its owned components csDestroying.
    void Destroying();

    // Links this component and AComponent both ways: whichever is freed
    // first calls Notification(itself, opRemove) on the other.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    TComponentState ComponentState() const { return m_state; }
    bool IsLoading() const { return m_state.Contains(csLoading); }
    bool IsDestroying() const { return m_state.Contains(csDestroying); }
    // For the streaming code: sets or clears csLoading, csReading, csWriting,
    // csUpdating or csFixups (never csDesigning or csDestroying).
    void SetStreamingState(TComponentStateItem Item, bool On);

    int Tag() const { return m_tag; }
    void SetTag(int Value) { m_tag = Value; }

    // Called after the component has been read; clears csLoading.
    virtual void Loaded();

    // Streaming support: the children written with this component. The
    // default reports root's components placed in this component (see
    // GetParentComponent) and, when this is the root, root's components
    // that have no parent.
    virtual void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root);
    virtual TComponent* GetParentComponent() const { return nullptr; }
    virtual bool HasParent() const { return false; }
    virtual void SetParentComponent(TComponent* Value);
    // Extra named entries written beside the published properties.
    virtual void DefineProperties(TFiler& Filer);

protected:
    // opRemove: AComponent is going away or leaves the owner; drop every
    // reference to it. The default unlinks free notification and forwards
    // to the owned components. A sibling linked by FreeNotification hears of
    // a freed component twice (link and owner), so handlers must tolerate it.
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    virtual void ValidateRename(TComponent* AComponent, const std::string& CurName,
                                const std::string& NewName);
    void SetComponentState(TComponentStateItem Item, bool On) { m_state.Set(Item, On); }
    // The body of a setter for a non-owning reference to another component:
    // points Ref at Value and links the new target. False, with nothing done,
    // when Ref already is Value. Notification must still clear Ref on opRemove.
    // The old target stays linked: a link is one per pair of components, and
    // another reference of this component may still point there (Images and
    // DisabledImages to one list); unlinking would leave that one dangling
    // once the target is freed. A link without a reference costs one
    // notification, which the handler's comparison ignores.
    template <typename T>
    bool SetFreeNotified(T*& Ref, T* Value)
    {
        if (Ref == Value)
            return false;
        Ref = Value;
        if (Ref)
            Ref->FreeNotification(this);
        return true;
    }

private:
    void Remove(TComponent* AComponent);
    void IndexName(TComponent* AComponent);
    void UnindexName(TComponent* AComponent);
    void UnlinkFreeNotification(TComponent* AComponent);

    TComponent* m_owner{nullptr};
    std::string m_name;
    std::vector<TComponent*> m_components;   // owned, in order of insertion
    // Owned components with a name, by ASCII-lower-case name: keeps name
    // lookups (every insert and rename) from scanning the whole list.
    std::unordered_multimap<std::string, TComponent*> m_names;
    std::vector<TComponent*> m_freeNotifies; // two-way observer links
    TComponentState m_state;
    int m_tag{0};
};

// True for a non-empty ASCII identifier (letter or '_', then letters,
// digits or '_').
bool IsValidIdent(const std::string& Ident);

} // namespace qel
