#pragma once
// TMemoryDataSet: a dataset that keeps all its records in memory. Fields are
// defined before opening (AddField, or FieldDefs); the records exist while
// the dataset is open and are dropped when it closes.
//
// Every record carries a hidden id that never changes and is never reused
// (see RecordOrder.h). A bookmark is that id, so bookmarks stay valid across inserts,
// deletes and re-sorting of other records and become invalid when their
// record is deleted. Bookmarks compare in the order their records were first
// posted, whatever the sort order. Records keep the order they were inserted in, or
// the order of one sort field. Indexes on single fields speed up exact
// Locate and Lookup.
//
// The values live in one typed column per stored field (see RecordStore.h):
// a record of a few numbers and short texts takes about fifty bytes.
// CreateRecordReader reads them without copying texts.
#include "platform/data/DataSet.h"
#include "platform/data/RecordOrder.h"
#include "platform/data/RecordStore.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qel {

class TMemoryDataSet : public TDataSet {
    QEL_CLASS(TMemoryDataSet)

public:
    explicit TMemoryDataSet(TComponent* AOwner);
    ~TMemoryDataSet() override;

    // Field definitions, before opening ("Cannot perform this operation on an
    // open dataset" otherwise). Size is the length of string and byte fields
    // (0 takes the type's default).
    TField* AddField(const std::string& Name, TFieldType Type, int Size = 0, bool Required = false);
    TField* AddCalculatedField(const std::string& Name, TFieldType Type, int Size = 0);
    // A field showing LookupResultField of the LookupDataSet record whose
    // LookupKeyFields equal this record's KeyFields.
    TField* AddLookupField(const std::string& Name, TFieldType Type, int Size, TDataSet* LookupDataSet,
                           const std::string& KeyFields, const std::string& LookupKeyFields,
                           const std::string& LookupResultField);

    // Orders the records by one stored field (Null first when ascending;
    // texts compared as AnsiCompareText does, case-insensitively); equal
    // values keep their order; posted records move to their place. An empty
    // name keeps the present order and stops sorting.
    void SortOn(const std::string& FieldName, bool Descending = false);
    const std::string& SortedField() const { return m_sortField; }
    bool SortDescending() const { return m_sortDescending; }

    // An index on one stored field, used by exact Locate and Lookup on it.
    void AddIndex(const std::string& FieldName);
    void RemoveIndex(const std::string& FieldName);
    bool HasIndex(const std::string& FieldName) const;

    // Deletes every record (the dataset stays open).
    void EmptyTable();
    // All stored records, whether the filter shows them or not.
    int StoredRecordCount() const { return static_cast<int>(m_records.Count()); }

    std::unique_ptr<TRecordReader> CreateRecordReader() override;

protected:
    void InternalOpen() override;
    void InternalClose() override;
    void InternalFirst() override { m_cursor = -1; }
    void InternalLast() override { m_cursor = static_cast<int>(m_records.Count()); }
    TGetResult GetRecord(TGetMode Mode, TRecordRef& Ref) override;
    void InternalSetToRecord(TRecordRef Ref) override;
    TBookmark BookmarkOfRecord(TRecordRef Ref) const override;
    TRecordRef RecordOfBookmark(const TBookmark& Bookmark) const override;
    int CompareBookmarkOrder(const TBookmark& A, const TBookmark& B) const override;
    Variant GetRecordValue(TRecordRef Ref, int FieldNo) const override;
    TRecordRef InternalPost(TRecordRef Ref, std::vector<Variant>& Values, TRecordRef InsertBefore) override;
    void InternalDelete(TRecordRef Ref) override;
    int GetRecordCount() const override;
    int GetRecNoOf(TRecordRef Ref) const override;
    TRecordRef RecordAtRecNo(int RecNo) override;
    bool LocateRecord(const std::vector<TField*>& Fields, const std::vector<Variant>& Values,
                      TLocateOptions Options, TRecordRef& Found) override;
    void FilterChanged() override;

private:
    using TSlot = TRecordStore::TSlot;
    static constexpr TSlot NoSlot = TRecordOrder::NoSlot;
    struct Index {
        std::string FieldName;
        int FieldNo = 0;                 // while open
        std::multimap<Variant, std::int64_t> Map;
    };
    class Reader;

    TSlot Find(TRecordRef Ref) const;
    TRecordRef RefOf(TSlot Slot) const { return m_records.IdOf(Slot); }
    int PosOf(TSlot Slot) const { return m_records.PosOf(Slot, m_cursor); }
    int CompareSortKeys(const Variant& A, const Variant& B) const;
    int SortedPosition(const Variant& Key) const;
    void SortRecords();
    bool SortTextRecords();
    void BindIndexes();
    void IndexInsert(TSlot Slot);
    void IndexErase(TSlot Slot);
    Index* FindIndex(const std::string& FieldName);
    bool Accepts(TSlot Slot);
    void ClearStorage();

    TRecordStore m_store;
    TRecordOrder m_records;
    int m_cursor{-1};
    std::int64_t m_lastAutoInc{0};
    mutable int m_visibleCount{-1};

    std::string m_sortField;
    bool m_sortDescending{false};
    int m_sortFieldNo{0};
    bool m_sortText{false};

    std::vector<Index> m_indexes;
};

} // namespace qel
