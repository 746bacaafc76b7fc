#pragma once
// A TStrings whose lines live in a widget (combo box, list box, memo): the
// owning control supplies the operations.
#include "platform/core/Strings.h"

#include <functional>

namespace qel::detail {

struct ItemOps {
    std::function<int()> count;
    std::function<std::string(int)> get;
    std::function<void(int, const std::string&)> set;
    std::function<TObject*(int)> object;
    std::function<void(int, TObject*)> setObject;
    std::function<void(int, const std::string&)> insert;
    std::function<void(int)> remove;
    std::function<void()> clear;
    // Index a new line goes to when the list is sorted (-1: append).
    std::function<int(const std::string&)> sortedIndex;
};

class ItemStrings : public TStrings {
public:
    explicit ItemStrings(ItemOps Ops) : m_ops(std::move(Ops)) {}

    int Count() const override { return m_ops.count(); }
    std::string Get(int Index) const override
    {
        Check(Index);
        return m_ops.get(Index);
    }
    void Put(int Index, const std::string& S) override
    {
        Check(Index);
        Changing();
        m_ops.set(Index, S);
        Changed();
    }
    TObject* Objects(int Index) const override
    {
        Check(Index);
        return m_ops.object ? m_ops.object(Index) : nullptr;
    }
    void PutObject(int Index, TObject* AObject) override
    {
        Check(Index);
        if (m_ops.setObject)
            m_ops.setObject(Index, AObject);
    }
    int Add(const std::string& S) override
    {
        const int at = m_ops.sortedIndex ? m_ops.sortedIndex(S) : -1;
        const int index = at < 0 ? Count() : at;
        Insert(index, S);
        return index;
    }
    void Insert(int Index, const std::string& S) override
    {
        if (Index < 0 || Index > Count())
            IndexError(Index);
        Changing();
        m_ops.insert(Index, S);
        Changed();
    }
    void Delete(int Index) override
    {
        Check(Index);
        Changing();
        m_ops.remove(Index);
        Changed();
    }
    void Clear() override
    {
        Changing();
        m_ops.clear();
        Changed();
    }

private:
    void Check(int Index) const
    {
        if (Index < 0 || Index >= Count())
            IndexError(Index);
    }
    ItemOps m_ops;
};

} // namespace qel::detail
