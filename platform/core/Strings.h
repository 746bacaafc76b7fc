#pragma once
// String lists with an object slot per line: TStrings (the abstract list
// with text conversions and change events) and TStringList.
#include "platform/core/Component.h"
#include "platform/core/Events.h"

#include <functional>
#include <string>
#include <vector>

namespace qel {

class TStream;

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStrings : public TPersistent {
    QEL_CLASS(TStrings)

public:
    ~TStrings() override;

    virtual int Count() const = 0;
    virtual std::string Get(int Index) const = 0;
    std::string Strings(int Index) const { return Get(Index); }
    virtual void Put(int Index, const std::string& S);
    virtual TObject* Objects(int Index) const;          // non-owning
    virtual void PutObject(int Index, TObject* Object);

    virtual int Add(const std::string& S);
    virtual int AddObject(const std::string& S, TObject* Object);
    virtual void Insert(int Index, const std::string& S) = 0;
    virtual void InsertObject(int Index, const std::string& S, TObject* Object);
    virtual void Delete(int Index) = 0;
    virtual void Clear() = 0;
    virtual void Exchange(int Index1, int Index2);
    virtual void Move(int CurIndex, int NewIndex);
    void AddStrings(const TStrings& Strings);

    virtual int IndexOf(const std::string& S) const;
    int IndexOfName(const std::string& Name) const;
    int IndexOfObject(const TObject* Object) const;

    // "Name=Value" lines.
    std::string Names(int Index) const;                // "" when the line has no '='
    std::string Values(const std::string& Name) const; // "" when absent
    std::string ValueFromIndex(int Index) const;
    // An empty value deletes the line, as the platform does.
    void SetValue(const std::string& Name, const std::string& Value);

    // Lines joined with CRLF; reading accepts CRLF, LF or CR.
    std::string Text() const;
    virtual void SetText(const std::string& Value);
    // Items separated by ','; items holding spaces, control characters,
    // commas or quotes are quoted with '"' (inner quotes doubled). Parsing
    // accepts quoted or plain items separated by commas or blanks.
    std::string CommaText() const;
    void SetCommaText(const std::string& Value);
    // The same with Delimiter and QuoteChar.
    std::string DelimitedText() const;
    void SetDelimitedText(const std::string& Value);
    char Delimiter() const { return m_delimiter; }
    void SetDelimiter(char Value) { m_delimiter = Value; }
    char QuoteChar() const { return m_quoteChar; }
    void SetQuoteChar(char Value) { m_quoteChar = Value; }

    // OnChanging on the outermost BeginUpdate, OnChange on the outermost
    // EndUpdate; none in between.
    // TUpdateScope (Guards.h) brackets a scope.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return m_updateCount; }

    // Copies the lines and objects of another TStrings.
    void Assign(TPersistent* Source) override;
    // Same count and the same lines (case-sensitive).
    bool Equals(const TStrings& Strings) const;

    // Reading takes the rest of the stream as UTF-8 text (a BOM is skipped);
    // a failed read leaves the list as it was. Writing adds a BOM only when
    // the first line starts with one, so what was written reads back the same.
    void LoadFromStream(TStream& Stream);
    void SaveToStream(TStream& Stream) const;
    void LoadFromFile(const std::string& FileName);
    void SaveToFile(const std::string& FileName) const;   // through SafeWriteFile

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    virtual void Changing();
    virtual void Changed();
    // Compares two lines the way IndexOf and IndexOfName do; TStrings is
    // case-insensitive.
    virtual int CompareStrings(const std::string& S1, const std::string& S2) const;
    [[noreturn]] void IndexError(int Index) const;   // EStringListError "List index out of bounds (%d)"

private:
    std::string JoinDelimited(char Delim, char Quote) const;
    void ParseDelimited(const std::string& Value, char Delim, char Quote);

    int m_updateCount{0};
    char m_delimiter{','};
    char m_quoteChar{'"'};
};

class TStringList : public TStrings {
    QEL_CLASS(TStringList)

public:
    TStringList() = default;
    ~TStringList() override;

    int Count() const override { return static_cast<int>(m_items.size()); }
    std::string Get(int Index) const override;
    void Put(int Index, const std::string& S) override;   // "Operation not allowed on sorted list" when sorted
    TObject* Objects(int Index) const override;
    void PutObject(int Index, TObject* Object) override;

    // Sorted: goes to its place; a duplicate follows Duplicates
    // (dupIgnore returns the existing index, dupError raises
    // "Duplicates not allowed"). Unsorted lists accept duplicates.
    int Add(const std::string& S) override;
    int AddObject(const std::string& S, TObject* Object) override;
    void Insert(int Index, const std::string& S) override;  // not on sorted lists
    void InsertObject(int Index, const std::string& S, TObject* Object) override;
    void Delete(int Index) override;
    void Clear() override;
    void Exchange(int Index1, int Index2) override;          // not on sorted lists
    int IndexOf(const std::string& S) const override;

    // Binary search of a sorted list: true when found; Index is the match or
    // the insertion point.
    bool Find(const std::string& S, int& Index) const;
    void Sort();
    using TStringListSortCompare = std::function<int(TStringList& List, int Index1, int Index2)>;
    void CustomSort(const TStringListSortCompare& Compare);   // stable; ignored on a sorted list

    bool Sorted() const { return m_sorted; }
    void SetSorted(bool Value);
    TDuplicates Duplicates() const { return m_duplicates; }
    void SetDuplicates(TDuplicates Value) { m_duplicates = Value; }
    bool CaseSensitive() const { return m_caseSensitive; }
    void SetCaseSensitive(bool Value);

protected:
    int CompareStrings(const std::string& S1, const std::string& S2) const override;

private:
    struct Item {
        std::string text;
        TObject* object{nullptr};
    };
    void InsertItem(int Index, const std::string& S, TObject* Object);
    void CheckIndex(int Index) const;
    void CheckUnsorted() const;
    void SortBy(const TStringListSortCompare& Compare);

    std::vector<Item> m_items;
    bool m_sorted{false};
    TDuplicates m_duplicates{dupIgnore};
    bool m_caseSensitive{false};
};

} // namespace qel
