#include "printing/BaseObject.h"

#include "platform/core/ClassRegistry.h"
#include "platform/core/Guards.h"
#include "platform/core/PropertyRegistry.h"
#include "platform/core/Stream.h"
#include "platform/core/Streaming.h"

namespace qel {

QEL_REGISTER_CLASS(TdxBaseObject, TPersistent);
// TdxSaver stays out of the class registry: the stream reader would try a
// default-made saver, which has no object to read into. Loading reads into a
// copy of the object instead.

namespace {

const bool g_saverProperties = [] {
    TPropertyRegistrar<TdxSaver>("TdxSaver").Persistent("SaveObject", &TdxSaver::SaveObject);
    return true;
}();

} // namespace

void TdxBaseObject::Assign(TPersistent* Source)
{
    auto* source = dynamic_cast<TdxBaseObject*>(Source);
    if (!source) {
        TPersistent::Assign(Source);
        return;
    }
    if (source == this)
        return;
    TUpdateScope<TdxBaseObject> scope(*this);
    DoAssign(source);
}

std::unique_ptr<TdxBaseObject> TdxBaseObject::Clone() const
{
    std::unique_ptr<TdxBaseObject> copy = CreateNew();
    copy->Assign(const_cast<TdxBaseObject*>(this));
    return copy;
}

bool TdxBaseObject::IsCompatibleWith(const TdxBaseObject* Source) const
{
    if (!Source)
        return false;
    const std::string mine = ClassName();
    const std::string theirs = Source->ClassName();
    return mine == theirs || TClassRegistry::Instance().InheritsFrom(theirs, mine);
}

void TdxBaseObject::BeginUpdate()
{
    if (++m_updateCount == 1)
        LockUpdate(true);
}

void TdxBaseObject::EndUpdate()
{
    if (m_updateCount == 0)
        return;
    if (--m_updateCount == 0)
        LockUpdate(false);
}

void TdxBaseObject::LockUpdate(bool Locking)
{
    if (OnLockUpdate)
        OnLockUpdate(this, Locking);
}

void TdxBaseObject::SaveToFile(const std::string& FileName)
{
    SafeWriteFile(FileName, [this](TStream& Stream) { SaveToStream(Stream); });
}

void TdxBaseObject::LoadFromFile(const std::string& FileName)
{
    TFileStream stream(FileName, fmOpenRead | fmShareDenyRead);
    LoadFromStream(stream);
}

void TdxBaseObject::SaveToStream(TStream& Stream)
{
    TdxSaver saver(nullptr, this);
    WriteComponent(Stream, &saver);
}

void TdxBaseObject::LoadFromStream(TStream& Stream)
{
    // Read into a copy, so a stream that fails half-way changes nothing here.
    std::unique_ptr<TdxBaseObject> scratch = Clone();
    TdxSaver saver(nullptr, scratch.get());
    scratch->BeginLoading();
    ReadComponent(Stream, &saver, nullptr);
    scratch->EndLoading();
    Assign(scratch.get());
}

} // namespace qel
