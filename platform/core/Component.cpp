#include "platform/core/Component.h"

#include <algorithm>
#include <iterator>

namespace qel {

namespace {

bool SameIdent(const std::string& A, const std::string& B)
{
    // Component names are ASCII identifiers, so ASCII folding is enough.
    return A.size() == B.size()
        && std::equal(A.begin(), A.end(), B.begin(), [](char X, char Y) {
               auto lower = [](char C) { return (C >= 'A' && C <= 'Z') ? char(C - 'A' + 'a') : C; };
               return lower(X) == lower(Y);
           });
}

std::string FoldIdent(const std::string& S)
{
    std::string k = S;
    for (char& c : k)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return k;
}

bool IsIdentStart(char C) { return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_'; }
bool IsIdentChar(char C) { return IsIdentStart(C) || (C >= '0' && C <= '9'); }

} // namespace

bool IsValidIdent(const std::string& Ident)
{
    return !Ident.empty() && IsIdentStart(Ident[0])
        && std::all_of(Ident.begin() + 1, Ident.end(), IsIdentChar);
}

// ---- TPersistent ------------------------------------------------------------

void TPersistent::Assign(TPersistent* Source)
{
    if (Source)
        Source->AssignTo(this);
    else
        AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest)
{
    Dest->AssignError(this);
}

void TPersistent::AssignError(TPersistent* Source)
{
    throw EConvertError(std::string("Cannot assign a ") + (Source ? Source->ClassName() : "nil")
                        + " to a " + ClassName());
}

// ---- TComponent -------------------------------------------------------------

TComponent::TComponent(TComponent* AOwner)
{
    if (AOwner)
        AOwner->InsertComponent(this);
}

TComponent::~TComponent()
{
    Destroying();
    // Observers drop their references first; each unlink happens before the
    // call so an observer that touches the links again finds them consistent.
    while (!m_freeNotifies.empty()) {
        TComponent* observer = m_freeNotifies.back();
        UnlinkFreeNotification(observer);
        observer->Notification(this, opRemove);
    }
    DestroyComponents();
    if (m_owner)
        m_owner->RemoveComponent(this);
}

TComponent* TComponent::Components(int I) const
{
    if (I < 0 || I >= ComponentCount())
        throw EListError("List index out of bounds (" + std::to_string(I) + ")");
    return m_components[static_cast<std::size_t>(I)];
}

int TComponent::ComponentIndex() const
{
    if (!m_owner)
        return -1;
    auto& list = m_owner->m_components;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(const std::string& AName) const
{
    if (AName.empty())
        return nullptr;
    const auto range = m_names.equal_range(FoldIdent(AName));
    if (range.first == range.second)
        return nullptr;
    if (std::next(range.first) == range.second)
        return range.first->second;
    // Several components share the name (a subclass allowed it): the first
    // in list order wins, as a plain scan would find it.
    for (TComponent* c : m_components)
        if (SameIdent(c->m_name, AName))
            return c;
    return nullptr;
}

void TComponent::IndexName(TComponent* AComponent)
{
    if (!AComponent->m_name.empty())
        m_names.emplace(FoldIdent(AComponent->m_name), AComponent);
}

void TComponent::UnindexName(TComponent* AComponent)
{
    if (AComponent->m_name.empty())
        return;
    auto range = m_names.equal_range(FoldIdent(AComponent->m_name));
    for (auto it = range.first; it != range.second; ++it) {
        if (it->second == AComponent) {
            m_names.erase(it);
            return;
        }
    }
}

void TComponent::SetName(const std::string& NewName)
{
    if (NewName == m_name)
        return;
    if (!NewName.empty() && !IsValidIdent(NewName))
        throw EComponentError("'" + NewName + "' is not a valid component name.");
    if (m_owner)
        m_owner->ValidateRename(this, m_name, NewName);
    else
        ValidateRename(nullptr, m_name, NewName);
    if (m_owner)
        m_owner->UnindexName(this);
    m_name = NewName;
    if (m_owner)
        m_owner->IndexName(this);
}

void TComponent::ValidateRename(TComponent* AComponent, const std::string& CurName,
                                const std::string& NewName)
{
    // Changing only the case of one's own name never clashes.
    if (AComponent && SameIdent(CurName, NewName))
        return;
    if (TComponent* other = FindComponent(NewName); other && other != AComponent)
        throw EComponentError("A component named " + NewName + " already exists");
}

void TComponent::InsertComponent(TComponent* AComponent)
{
    if (!AComponent || AComponent->m_owner == this)
        return;
    // An ownership cycle would free the components twice.
    for (TComponent* o = this; o; o = o->m_owner)
        if (o == AComponent)
            throw EComponentError("A component cannot own itself or its owner");
    ValidateRename(AComponent, std::string(), AComponent->m_name);
    if (AComponent->m_owner)
        AComponent->m_owner->RemoveComponent(AComponent);
    m_components.push_back(AComponent);
    AComponent->m_owner = this;
    IndexName(AComponent);
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent)
{
    if (!AComponent || AComponent->m_owner != this)
        return;
    Notification(AComponent, opRemove);
    Remove(AComponent);
}

void TComponent::Remove(TComponent* AComponent)
{
    // From the end: the newest component is the one most often removed
    // (DestroyComponents), and a front-to-back search would make freeing a
    // large owner quadratic.
    auto it = std::find(m_components.rbegin(), m_components.rend(), AComponent);
    if (it != m_components.rend()) {
        m_components.erase(std::next(it).base());
        UnindexName(AComponent);
    }
    AComponent->m_owner = nullptr;
}

void TComponent::DestroyComponents()
{
    while (!m_components.empty()) {
        TComponent* c = m_components.back();
        // Siblings hear about it through their free-notification links; the
        // owner is going away, so no opRemove broadcast.
        Remove(c);
        delete c;
    }
}

void TComponent::Destroying()
{
    if (m_state.Contains(csDestroying))
        return;
    m_state.Include(csDestroying);
    for (TComponent* c : m_components)
        c->Destroying();
}

void TComponent::FreeNotification(TComponent* AComponent)
{
    if (!AComponent || AComponent == this)
        return;
    if (std::find(m_freeNotifies.begin(), m_freeNotifies.end(), AComponent) == m_freeNotifies.end())
        m_freeNotifies.push_back(AComponent);
    auto& other = AComponent->m_freeNotifies;
    if (std::find(other.begin(), other.end(), this) == other.end())
        other.push_back(this);
    m_state.Include(csFreeNotification);
    AComponent->m_state.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent)
{
    if (AComponent)
        UnlinkFreeNotification(AComponent);
}

void TComponent::UnlinkFreeNotification(TComponent* AComponent)
{
    std::erase(m_freeNotifies, AComponent);
    std::erase(AComponent->m_freeNotifies, this);
    if (m_freeNotifies.empty())
        m_state.Exclude(csFreeNotification);
    if (AComponent->m_freeNotifies.empty())
        AComponent->m_state.Exclude(csFreeNotification);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == opRemove && AComponent)
        RemoveFreeNotification(AComponent);
    // A handler may free or move components: walk down by index and
    // re-check the bound each time.
    for (std::size_t i = m_components.size(); i > 0; --i) {
        if (i > m_components.size())
            continue;
        m_components[i - 1]->Notification(AComponent, Operation);
    }
}

void TComponent::SetStreamingState(TComponentStateItem Item, bool On)
{
    switch (Item) {
    case csLoading:
    case csReading:
    case csWriting:
    case csUpdating:
    case csFixups:
        m_state.Set(Item, On);
        return;
    default:
        throw EInvalidOperation("Component state cannot be changed by streaming");
    }
}

void TComponent::Loaded()
{
    m_state.Exclude(csLoading);
}

void TComponent::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root)
{
    TComponent* base = Root ? Root : this;
    // Copy: Proc may add components to the root.
    const std::vector<TComponent*> list = base->m_components;
    for (TComponent* c : list) {
        if (c->HasParent() ? c->GetParentComponent() == this : base == this)
            Proc(c);
    }
}

void TComponent::SetParentComponent(TComponent*)
{
}

void TComponent::DefineProperties(TFiler&)
{
}

} // namespace qel
