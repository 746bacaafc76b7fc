#include "platform/core/ClassRegistry.h"
#include "platform/core/Component.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace qel {
namespace {

// Records what happens to it in a shared log and keeps one non-owning
// reference that free notification must clear.
class TProbe : public TComponent {
    QEL_CLASS(TProbe)

public:
    TProbe(TComponent* owner, std::string label, std::vector<std::string>* log)
        : TComponent(owner), m_label(std::move(label)), m_log(log)
    {
    }
    ~TProbe() override
    {
        if (m_log)
            m_log->push_back("free " + m_label);
    }

    void Watch(TComponent* target)
    {
        m_target = target;
        if (target)
            target->FreeNotification(this);
    }
    TComponent* Target() const { return m_target; }
    std::vector<std::pair<TComponent*, TOperation>> seen;

protected:
    void Notification(TComponent* c, TOperation op) override
    {
        TComponent::Notification(c, op);
        seen.emplace_back(c, op);
        if (op == opRemove && c == m_target)
            m_target = nullptr;
    }

private:
    std::string m_label;
    std::vector<std::string>* m_log;
    TComponent* m_target{nullptr};
};

int Count(const TProbe& p, TComponent* c, TOperation op)
{
    int n = 0;
    for (auto& [comp, o] : p.seen)
        n += comp == c && o == op;
    return n;
}

TEST(ComponentOwnership, OwnerFreesComponentsNewestFirst)
{
    std::vector<std::string> log;
    auto* owner = new TProbe(nullptr, "owner", &log);
    new TProbe(owner, "a", &log);
    auto* b = new TProbe(owner, "b", &log);
    new TProbe(b, "b1", &log);
    new TProbe(owner, "c", &log);
    ASSERT_EQ(owner->ComponentCount(), 3);
    EXPECT_EQ(b->ComponentIndex(), 1);
    delete owner;
    // The owner's own destructor body runs first, then its components
    // newest first, each freeing its own components in turn.
    EXPECT_EQ(log, (std::vector<std::string>{"free owner", "free c", "free b", "free b1", "free a"}));
}

TEST(ComponentOwnership, FreedChildLeavesItsOwnerAndSiblingsAreTold)
{
    auto owner = std::make_unique<TProbe>(nullptr, "owner", nullptr);
    auto* a = new TProbe(owner.get(), "a", nullptr);
    auto* b = new TProbe(owner.get(), "b", nullptr);
    EXPECT_EQ(Count(*a, b, opInsert), 1);   // inserting b tells the owner's components
    delete b;
    EXPECT_EQ(owner->ComponentCount(), 1);
    EXPECT_EQ(owner->Components(0), a);
    EXPECT_EQ(Count(*a, b, opRemove), 1);
    EXPECT_EQ(Count(*owner, b, opRemove), 1);
    EXPECT_THROW(owner->Components(1), EListError);
}

TEST(ComponentOwnership, InsertMovesBetweenOwnersAndRefusesCycles)
{
    TComponent first(nullptr), second(nullptr);
    auto* c = new TComponent(&first);
    second.InsertComponent(c);
    EXPECT_EQ(first.ComponentCount(), 0);
    EXPECT_EQ(c->Owner(), &second);
    // Owning one's owner would free both twice.
    auto* grandchild = new TComponent(c);
    EXPECT_THROW(grandchild->InsertComponent(&second), EComponentError);
    EXPECT_THROW(c->InsertComponent(c), EComponentError);
    second.RemoveComponent(c);
    EXPECT_EQ(c->Owner(), nullptr);
    delete c;   // frees grandchild
}

TEST(ComponentNames, UniqueAmongTheOwnersComponentsIgnoringCase)
{
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    a->SetName("Grid1");
    EXPECT_EQ(test::MessageOf<EComponentError>([&] { b->SetName("GRID1"); }),
              "A component named GRID1 already exists") << "clash accepted";
    EXPECT_EQ(b->Name(), "");
    a->SetName("grid1");   // a case change of one's own name is no clash
    EXPECT_EQ(owner.FindComponent("GRID1"), a);
    // Empty names never clash.
    b->SetName("");
    auto* c = new TComponent(&owner);
    EXPECT_EQ(c->Name(), "");
    EXPECT_EQ(owner.FindComponent(""), nullptr);
    // Components of different owners may share a name.
    TComponent other(nullptr);
    auto* d = new TComponent(&other);
    d->SetName("Grid1");
    // ...but a named component cannot join an owner holding that name.
    EXPECT_THROW(owner.InsertComponent(d), EComponentError);
    EXPECT_EQ(d->Owner(), &other);
}

// An owner that lets its components share names, as a subclass may.
class TLenientOwner : public TComponent {
    QEL_CLASS(TLenientOwner)
public:
    using TComponent::TComponent;

protected:
    void ValidateRename(TComponent*, const std::string&, const std::string&) override {}
};

TEST(ComponentNames, LookupFollowsRenamesMovesAndRemovals)
{
    TComponent owner(nullptr);
    TComponent other(nullptr);
    auto* a = new TComponent(&owner);
    a->SetName("Alpha");
    a->SetName("Beta");
    EXPECT_EQ(owner.FindComponent("alpha"), nullptr);
    EXPECT_EQ(owner.FindComponent("BETA"), a);
    auto* b = new TComponent(&owner);
    b->SetName("Alpha");   // the old name is free again
    EXPECT_EQ(owner.FindComponent("Alpha"), b);

    other.InsertComponent(a);
    EXPECT_EQ(owner.FindComponent("Beta"), nullptr);
    EXPECT_EQ(other.FindComponent("beta"), a);
    auto* c = new TComponent(&owner);
    c->SetName("Beta");
    owner.RemoveComponent(b);
    EXPECT_EQ(owner.FindComponent("Alpha"), nullptr);
    b->SetName("Gamma");   // unowned: no index to keep
    owner.InsertComponent(b);
    EXPECT_EQ(owner.FindComponent("gamma"), b);
    delete c;
    EXPECT_EQ(owner.FindComponent("Beta"), nullptr);

    // Shared names: the first in list order answers, also after renames.
    TLenientOwner lenient(nullptr);
    auto* x = new TComponent(&lenient);
    auto* y = new TComponent(&lenient);
    y->SetName("Same");
    x->SetName("Same");
    EXPECT_EQ(lenient.FindComponent("same"), x);
    x->SetName("Other");
    EXPECT_EQ(lenient.FindComponent("Same"), y);
    delete y;
    EXPECT_EQ(lenient.FindComponent("Same"), nullptr);
    EXPECT_EQ(lenient.FindComponent("other"), x);
}

TEST(ComponentNames, InvalidIdentifiersAreRefused)
{
    TComponent c(nullptr);
    for (const char* bad : {"1abc", "a b", "a-b", "ä", " x"}) {
        EXPECT_EQ(test::MessageOf<EComponentError>([&] { c.SetName(bad); }),
                  std::string("'") + bad + "' is not a valid component name.") << bad;
    }
    c.SetName("_x9");
    EXPECT_EQ(c.Name(), "_x9");
}

TEST(FreeNotification, ObservedComponentClearsTheReference)
{
    auto* target = new TProbe(nullptr, "t", nullptr);
    auto observer = std::make_unique<TProbe>(nullptr, "o", nullptr);
    observer->Watch(target);
    EXPECT_TRUE(target->ComponentState().Contains(csFreeNotification));
    delete target;
    EXPECT_EQ(observer->Target(), nullptr);
    EXPECT_EQ(Count(*observer, target, opRemove), 1);
}

TEST(FreeNotification, ObserverFreedFirstUnregistersItself)
{
    auto target = std::make_unique<TProbe>(nullptr, "t", nullptr);
    auto* observer = new TProbe(nullptr, "o", nullptr);
    observer->Watch(target.get());
    auto* second = new TProbe(nullptr, "o2", nullptr);
    second->Watch(target.get());
    delete observer;
    // The target was told, so it never calls back into the freed observer.
    EXPECT_EQ(Count(*target, observer, opRemove), 1);
    target.reset();
    // The remaining observer still heard about the target.
    EXPECT_EQ(second->Target(), nullptr);
    delete second;
}

TEST(FreeNotification, LinksAcrossOwnersSurviveOwnerTeardown)
{
    // Components of two forms watch each other; freeing either form in
    // either order leaves no dangling reference (ASan checks the frees).
    for (int order = 0; order < 2; ++order) {
        auto* form1 = new TComponent(nullptr);
        auto* form2 = new TComponent(nullptr);
        auto* a = new TProbe(form1, "a", nullptr);
        auto* b = new TProbe(form2, "b", nullptr);
        a->Watch(b);
        b->Watch(a);
        if (order == 0) {
            delete form1;
            EXPECT_EQ(b->Target(), nullptr);
            delete form2;
        } else {
            delete form2;
            EXPECT_EQ(a->Target(), nullptr);
            delete form1;
        }
    }
}

TEST(FreeNotification, RemoveFreeNotificationStopsTheMessage)
{
    auto* target = new TProbe(nullptr, "t", nullptr);
    TProbe observer(nullptr, "o", nullptr);
    observer.Watch(target);
    target->RemoveFreeNotification(&observer);
    EXPECT_FALSE(target->ComponentState().Contains(csFreeNotification));
    delete target;
    EXPECT_EQ(Count(observer, target, opRemove), 0);
}

TEST(FreeNotification, SetFreeNotifiedLinksTheTargetAndNoOtherReferenceIsLeftDangling)
{
    struct THolder : TProbe {
        using TProbe::TProbe;
        bool Set(TProbe* Value) { return SetFreeNotified(ref, Value); }
        bool SetOther(TProbe* Value) { return SetFreeNotified(other, Value); }
        TProbe* ref{nullptr};
        TProbe* other{nullptr};
        void Notification(TComponent* AComponent, TOperation Operation) override
        {
            TProbe::Notification(AComponent, Operation);
            if (Operation == opRemove && AComponent == ref)
                ref = nullptr;
            if (Operation == opRemove && AComponent == other)
                other = nullptr;
        }
    };
    THolder holder(nullptr, "h", nullptr);
    auto* first = new TProbe(nullptr, "1", nullptr);
    auto* second = new TProbe(nullptr, "2", nullptr);
    EXPECT_TRUE(holder.Set(first));
    EXPECT_FALSE(holder.Set(first));
    EXPECT_TRUE(first->ComponentState().Contains(csFreeNotification));
    EXPECT_TRUE(holder.Set(second));
    EXPECT_EQ(holder.ref, second);
    delete second;
    EXPECT_EQ(holder.ref, nullptr);
    EXPECT_EQ(Count(holder, second, opRemove), 1);
    EXPECT_TRUE(holder.Set(nullptr) == false);

    // Two references to one target; one of them moves on. Freeing the target
    // must still clear the other.
    EXPECT_TRUE(holder.Set(first));
    EXPECT_TRUE(holder.SetOther(first));
    auto* third = new TProbe(nullptr, "3", nullptr);
    EXPECT_TRUE(holder.Set(third));
    delete first;
    EXPECT_EQ(holder.other, nullptr);
    EXPECT_EQ(holder.ref, third);
    delete third;
    EXPECT_EQ(holder.ref, nullptr);
}

TEST(ComponentState, DestroyingIsSetBeforeChildrenDieAndLoadedClearsLoading)
{
    bool seen = false;
    struct TOwnerProbe : TComponent {
        using TComponent::TComponent;
        bool* seen;
        ~TOwnerProbe() override
        {
            // Children die while this destructor's state is intact.
            Destroying();
            *seen = Components(0)->IsDestroying();
            DestroyComponents();
        }
    };
    auto* owner = new TOwnerProbe(nullptr);
    owner->seen = &seen;
    new TComponent(owner);
    delete owner;
    EXPECT_TRUE(seen);

    TComponent c(nullptr);
    c.SetStreamingState(csLoading, true);
    EXPECT_TRUE(c.IsLoading());
    c.Loaded();
    EXPECT_FALSE(c.IsLoading());
    EXPECT_THROW(c.SetStreamingState(csDesigning, true), EInvalidOperation);
    EXPECT_FALSE(c.ComponentState().Contains(csDesigning));
}

TEST(Persistent, AssignWithoutSupportNamesBothClasses)
{
    TComponent a(nullptr);
    TProbe b(nullptr, "b", nullptr);
    EXPECT_EQ(test::MessageOf<EConvertError>([&] { a.Assign(&b); }), "Cannot assign a TProbe to a TComponent");
    EXPECT_EQ(test::MessageOf<EConvertError>([&] { a.Assign(nullptr); }), "Cannot assign a nil to a TComponent");
}

// A component placed in another one for streaming (like a control in a panel).
class TPlaced : public TComponent {
    QEL_CLASS(TPlaced)

public:
    using TComponent::TComponent;
    TComponent* parent = nullptr;
    TComponent* GetParentComponent() const override { return parent; }
    bool HasParent() const override { return true; }
};

TEST(ComponentChildren, RootReportsUnplacedComponentsAndParentsTheirOwn)
{
    TComponent root(nullptr);
    auto* panel = new TComponent(&root);
    auto* inPanel = new TPlaced(&root);
    inPanel->parent = panel;
    auto* onRoot = new TPlaced(&root);
    onRoot->parent = &root;
    std::vector<TComponent*> got;
    root.GetChildren([&](TComponent* c) { got.push_back(c); }, &root);
    EXPECT_EQ(got, (std::vector<TComponent*>{panel, onRoot}));
    got.clear();
    panel->GetChildren([&](TComponent* c) { got.push_back(c); }, &root);
    EXPECT_EQ(got, (std::vector<TComponent*>{inPanel}));
}

// ---- class registry -----------------------------------------------------------

class TRegBase : public TComponent {
    QEL_CLASS(TRegBase)

public:
    using TComponent::TComponent;
};
class TRegDerived : public TRegBase {
    QEL_CLASS(TRegDerived)

public:
    using TRegBase::TRegBase;
};
class TRegPlain : public TPersistent {
    QEL_CLASS(TRegPlain)
};

QEL_REGISTER_CLASS(TRegBase, TComponent);
QEL_REGISTER_CLASS(TRegDerived, TRegBase);
QEL_REGISTER_CLASS(TRegPlain, TPersistent);

TEST(ClassRegistry, IsATestsFollowTheParentChain)
{
    auto& reg = TClassRegistry::Instance();
    EXPECT_TRUE(reg.IsRegistered("TRegDerived"));
    EXPECT_TRUE(reg.InheritsFrom("TRegDerived", "TRegBase"));
    EXPECT_TRUE(reg.InheritsFrom("TRegDerived", "TPersistent"));
    EXPECT_TRUE(reg.InheritsFrom("TRegDerived", "tregderived"));
    EXPECT_FALSE(reg.InheritsFrom("TRegBase", "TRegDerived"));
    EXPECT_FALSE(reg.InheritsFrom("TRegPlain", "TComponent"));
    EXPECT_FALSE(reg.InheritsFrom("TUnknown", "TObject"));
    EXPECT_EQ(reg.ParentOf("TRegDerived"), "TRegBase");

    // A parent cycle registered by mistake must not hang.
    reg.Register("TLoopA", "TLoopB", {});
    reg.Register("TLoopB", "TLoopA", {});
    EXPECT_FALSE(reg.InheritsFrom("TLoopA", "TComponent"));
}

TEST(ClassRegistry, CreatesComponentsByName)
{
    auto& reg = TClassRegistry::Instance();
    TComponent owner(nullptr);
    TComponent* c = reg.Create("TRegDerived", &owner);
    EXPECT_STREQ(c->ClassName(), "TRegDerived");
    EXPECT_NE(dynamic_cast<TRegDerived*>(c), nullptr);
    EXPECT_EQ(c->Owner(), &owner);
    EXPECT_EQ(test::MessageOf<EClassNotFound>([&] { reg.Create("TNoSuchClass", &owner); }),
              "Class TNoSuchClass not found");
    EXPECT_THROW(reg.Create("TRegPlain", &owner), EClassNotFound);
    EXPECT_EQ(owner.ComponentCount(), 1);
}

} // namespace
} // namespace qel
