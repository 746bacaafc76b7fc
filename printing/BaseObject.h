#pragma once
// TdxBaseObject: the persistent base of the printing objects (backgrounds,
// printer pages, styles): Assign under a nested update lock, cloning, a
// compatibility test, and saving and loading through the component stream
// (wrapped in a TdxSaver component).
#include "platform/core/Component.h"

#include <functional>
#include <memory>
#include <string>

namespace qel {

class TStream;
class TdxBaseObject;

using TdxLockUpdateEvent = std::function<void(TObject* Sender, bool Locking)>;

class TdxBaseObject : public TPersistent {
    QEL_CLASS(TdxBaseObject)
public:
    TdxBaseObject() = default;

    // From another TdxBaseObject: BeginUpdate, DoAssign, EndUpdate (nothing
    // for the object itself); other sources go to the inherited assignment.
    void Assign(TPersistent* Source) override;
    // A new object of the same class with this one assigned to it.
    std::unique_ptr<TdxBaseObject> Clone() const;
    // True when Source is of this object's class or derives from it.
    virtual bool IsCompatibleWith(const TdxBaseObject* Source) const;

    void BeginUpdate();
    void EndUpdate();
    bool IsLocked() const { return m_updateCount > 0; }
    int UpdateCount() const { return m_updateCount; }

    // Writes the file whole or not at all.
    void SaveToFile(const std::string& FileName);
    // The file is read into a copy first: a damaged file leaves this object as it was.
    void LoadFromFile(const std::string& FileName);
    void SaveToStream(TStream& Stream);
    void LoadFromStream(TStream& Stream);

    TdxLockUpdateEvent OnLockUpdate;

protected:
    // Descendants copy their fields.
    virtual void DoAssign(TdxBaseObject* /*Source*/) {}
    // The virtual constructor: a new, default object of this object's class.
    virtual std::unique_ptr<TdxBaseObject> CreateNew() const { return std::make_unique<TdxBaseObject>(); }
    virtual void LockUpdate(bool Locking);
    // Around reading from a stream (LoadFromStream): a descendant may keep
    // what it reads as read and put it in order once reading has ended.
    virtual void BeginLoading() {}
    virtual void EndLoading() {}

private:
    int m_updateCount{0};
};

// Streams a base object through the component streaming: its one published
// property SaveObject is the object.
class TdxSaver : public TComponent {
    QEL_CLASS(TdxSaver)
public:
    explicit TdxSaver(TComponent* AOwner) : TComponent(AOwner) {}
    TdxSaver(TComponent* AOwner, TdxBaseObject* SaveObject) : TComponent(AOwner), m_saveObject(SaveObject) {}
    TdxBaseObject* SaveObject() const { return m_saveObject; }
    void SetSaveObject(TdxBaseObject* Value) { m_saveObject = Value; }

private:
    TdxBaseObject* m_saveObject{nullptr};
};

} // namespace qel
