#include "platform/core/Strings.h"

#include "platform/core/Guards.h"
#include "platform/core/Locale.h"
#include "platform/core/Stream.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace qel {

namespace {

// The one place where string lists compare text: locale-aware, as the
// platform's lists are.
int CompareText(const std::string& A, const std::string& B) { return AnsiCompareText(A, B); }
int CompareStr(const std::string& A, const std::string& B) { return AnsiCompareStr(A, B); }

bool IsBlank(char C) { return static_cast<unsigned char>(C) <= ' '; }

[[noreturn]] void SortedListError()
{
    throw EStringListError("Operation not allowed on sorted list");
}

} // namespace

// ---- TStrings ---------------------------------------------------------------

TStrings::~TStrings() = default;

void TStrings::IndexError(int Index) const
{
    throw EStringListError("List index out of bounds (" + std::to_string(Index) + ")");
}

void TStrings::Put(int Index, const std::string& S)
{
    TObject* obj = Objects(Index);
    TUpdateScope scope(*this);
    Delete(Index);
    InsertObject(Index, S, obj);
}

TObject* TStrings::Objects(int Index) const
{
    if (Index < 0 || Index >= Count())
        IndexError(Index);
    return nullptr;
}

void TStrings::PutObject(int, TObject*)
{
}

int TStrings::Add(const std::string& S)
{
    const int index = Count();
    Insert(index, S);
    return index;
}

int TStrings::AddObject(const std::string& S, TObject* Object)
{
    const int index = Add(S);
    PutObject(index, Object);
    return index;
}

void TStrings::InsertObject(int Index, const std::string& S, TObject* Object)
{
    Insert(Index, S);
    PutObject(Index, Object);
}

void TStrings::Exchange(int Index1, int Index2)
{
    TUpdateScope scope(*this);
    const std::string s1 = Get(Index1), s2 = Get(Index2);
    TObject* o1 = Objects(Index1);
    TObject* o2 = Objects(Index2);
    Put(Index1, s2);
    PutObject(Index1, o2);
    Put(Index2, s1);
    PutObject(Index2, o1);
}

void TStrings::Move(int CurIndex, int NewIndex)
{
    if (CurIndex == NewIndex)
        return;
    if (NewIndex < 0 || NewIndex >= Count())
        IndexError(NewIndex);
    TUpdateScope scope(*this);
    const std::string s = Get(CurIndex);
    TObject* obj = Objects(CurIndex);
    Delete(CurIndex);
    InsertObject(NewIndex, s, obj);
}

void TStrings::AddStrings(const TStrings& Strings)
{
    if (&Strings == this) {
        // Adding a list to itself would chase its own growing end.
        const int n = Count();
        TUpdateScope scope(*this);
        for (int i = 0; i < n; ++i)
            AddObject(Get(i), Objects(i));
        return;
    }
    TUpdateScope scope(*this);
    for (int i = 0; i < Strings.Count(); ++i)
        AddObject(Strings.Get(i), Strings.Objects(i));
}

int TStrings::IndexOf(const std::string& S) const
{
    for (int i = 0; i < Count(); ++i)
        if (CompareStrings(Get(i), S) == 0)
            return i;
    return -1;
}

int TStrings::IndexOfName(const std::string& Name) const
{
    for (int i = 0; i < Count(); ++i) {
        const std::string s = Get(i);
        const auto eq = s.find('=');
        if (eq != std::string::npos && CompareStrings(s.substr(0, eq), Name) == 0)
            return i;
    }
    return -1;
}

int TStrings::IndexOfObject(const TObject* Object) const
{
    for (int i = 0; i < Count(); ++i)
        if (Objects(i) == Object)
            return i;
    return -1;
}

std::string TStrings::Names(int Index) const
{
    const std::string s = Get(Index);
    const auto eq = s.find('=');
    return eq == std::string::npos ? std::string() : s.substr(0, eq);
}

std::string TStrings::Values(const std::string& Name) const
{
    const int i = IndexOfName(Name);
    return i < 0 ? std::string() : ValueFromIndex(i);
}

std::string TStrings::ValueFromIndex(int Index) const
{
    const std::string s = Get(Index);
    const auto eq = s.find('=');
    return eq == std::string::npos ? std::string() : s.substr(eq + 1);
}

void TStrings::SetValue(const std::string& Name, const std::string& Value)
{
    int i = IndexOfName(Name);
    if (Value.empty()) {
        if (i >= 0)
            Delete(i);
        return;
    }
    if (i < 0)
        Add(Name + "=" + Value);
    else
        Put(i, Name + "=" + Value);
}

std::string TStrings::Text() const
{
    std::string result;
    for (int i = 0; i < Count(); ++i) {
        result += Get(i);
        result += "\r\n";
    }
    return result;
}

void TStrings::SetText(const std::string& Value)
{
    // Split first so a failing Add in the middle cannot be confused with
    // the split itself.
    std::vector<std::string> lines;
    std::size_t start = 0;
    const std::size_t n = Value.size();
    while (start < n) {
        std::size_t end = start;
        while (end < n && Value[end] != '\r' && Value[end] != '\n')
            ++end;
        lines.emplace_back(Value, start, end - start);
        if (end < n && Value[end] == '\r')
            ++end;
        if (end < n && Value[end] == '\n')
            ++end;
        start = end;
    }
    TUpdateScope scope(*this);
    Clear();
    for (const std::string& line : lines)
        Add(line);
}

std::string TStrings::JoinDelimited(char Delim, char Quote) const
{
    const int n = Count();
    if (n == 1 && Get(0).empty())
        return std::string(2, Quote);
    std::string result;
    for (int i = 0; i < n; ++i) {
        const std::string s = Get(i);
        if (i > 0)
            result += Delim;
        const bool quote = std::any_of(s.begin(), s.end(),
                                       [&](char C) { return IsBlank(C) || C == Delim || C == Quote; });
        if (!quote) {
            result += s;
            continue;
        }
        result += Quote;
        for (char c : s) {
            if (c == Quote)
                result += Quote;
            result += c;
        }
        result += Quote;
    }
    return result;
}

void TStrings::ParseDelimited(const std::string& Value, char Delim, char Quote)
{
    std::vector<std::string> items;
    const std::size_t n = Value.size();
    std::size_t p = 0;
    auto skipBlanks = [&] {
        while (p < n && IsBlank(Value[p]) && Value[p] != Delim)
            ++p;
    };
    skipBlanks();
    while (p < n) {
        std::string item;
        if (Value[p] == Quote) {
            ++p;
            // A doubled quote stands for one; an unterminated item runs to the end.
            while (p < n) {
                if (Value[p] == Quote) {
                    if (p + 1 < n && Value[p + 1] == Quote) {
                        item += Quote;
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                item += Value[p++];
            }
        } else {
            const std::size_t start = p;
            while (p < n && !IsBlank(Value[p]) && Value[p] != Delim)
                ++p;
            item.assign(Value, start, p - start);
        }
        items.push_back(std::move(item));
        skipBlanks();
        if (p < n && Value[p] == Delim) {
            ++p;
            if (p == n)
                items.emplace_back();   // a trailing delimiter ends with an empty item
            skipBlanks();
        }
    }
    TUpdateScope scope(*this);
    Clear();
    for (const std::string& item : items)
        Add(item);
}

std::string TStrings::CommaText() const { return JoinDelimited(',', '"'); }
void TStrings::SetCommaText(const std::string& Value) { ParseDelimited(Value, ',', '"'); }
std::string TStrings::DelimitedText() const { return JoinDelimited(m_delimiter, m_quoteChar); }
void TStrings::SetDelimitedText(const std::string& Value) { ParseDelimited(Value, m_delimiter, m_quoteChar); }

void TStrings::BeginUpdate()
{
    if (m_updateCount == 0)
        Changing();
    ++m_updateCount;
}

void TStrings::EndUpdate()
{
    if (m_updateCount == 0)
        return;   // unbalanced; nothing to end
    if (--m_updateCount == 0)
        Changed();
}

void TStrings::Changing()
{
    if (m_updateCount == 0 && OnChanging)
        OnChanging(this);
}

void TStrings::Changed()
{
    if (m_updateCount == 0 && OnChange)
        OnChange(this);
}

int TStrings::CompareStrings(const std::string& S1, const std::string& S2) const
{
    return CompareText(S1, S2);
}

void TStrings::Assign(TPersistent* Source)
{
    if (Source == this)
        return;   // Clear would otherwise empty the source too
    if (auto* src = dynamic_cast<TStrings*>(Source)) {
        TUpdateScope scope(*this);
        Clear();
        AddStrings(*src);
        return;
    }
    TPersistent::Assign(Source);
}

bool TStrings::Equals(const TStrings& Strings) const
{
    if (Count() != Strings.Count())
        return false;
    for (int i = 0; i < Count(); ++i)
        if (Get(i) != Strings.Get(i))
            return false;
    return true;
}

void TStrings::LoadFromStream(TStream& Stream)
{
    std::string text = Stream.ReadBytes(Stream.Remaining());
    if (text.starts_with("\xEF\xBB\xBF"))
        text.erase(0, 3);
    // SetText clears before adding; a list that refuses a line (a sorted one
    // with dupError) gets its old lines and objects back.
    std::vector<std::pair<std::string, TObject*>> old;
    old.reserve(static_cast<std::size_t>(Count()));
    for (int i = 0; i < Count(); ++i)
        old.emplace_back(Get(i), Objects(i));
    try {
        SetText(text);
    } catch (...) {
        TUpdateScope scope(*this);
        Clear();
        for (const auto& [line, object] : old)
            AddObject(line, object);
        throw;
    }
}

void TStrings::SaveToStream(TStream& Stream) const
{
    // Loading drops one byte-order mark; a text that starts with a mark of
    // its own gets one in front, so that it loads back unchanged.
    std::string text = Text();
    if (text.starts_with("\xEF\xBB\xBF"))
        text.insert(0, "\xEF\xBB\xBF");
    Stream.WriteBytes(text);
}

void TStrings::LoadFromFile(const std::string& FileName)
{
    TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

void TStrings::SaveToFile(const std::string& FileName) const
{
    SafeWriteFile(FileName, [this](TStream& S) { SaveToStream(S); });
}

// ---- TStringList ------------------------------------------------------------

TStringList::~TStringList() = default;

void TStringList::CheckIndex(int Index) const
{
    if (Index < 0 || Index >= Count())
        IndexError(Index);
}

void TStringList::CheckUnsorted() const
{
    if (m_sorted)
        SortedListError();
}

std::string TStringList::Get(int Index) const
{
    CheckIndex(Index);
    return m_items[static_cast<std::size_t>(Index)].text;
}

void TStringList::Put(int Index, const std::string& S)
{
    CheckUnsorted();
    CheckIndex(Index);
    Changing();
    m_items[static_cast<std::size_t>(Index)].text = S;
    Changed();
}

TObject* TStringList::Objects(int Index) const
{
    CheckIndex(Index);
    return m_items[static_cast<std::size_t>(Index)].object;
}

void TStringList::PutObject(int Index, TObject* Object)
{
    CheckIndex(Index);
    Changing();
    m_items[static_cast<std::size_t>(Index)].object = Object;
    Changed();
}

int TStringList::Add(const std::string& S)
{
    return AddObject(S, nullptr);
}

int TStringList::AddObject(const std::string& S, TObject* Object)
{
    int index = Count();
    if (m_sorted && Find(S, index)) {
        switch (m_duplicates) {
        case dupIgnore: return index;
        case dupError: throw EStringListError("Duplicates not allowed");
        case dupAccept: break;
        }
    }
    InsertItem(index, S, Object);
    return index;
}

void TStringList::Insert(int Index, const std::string& S)
{
    InsertObject(Index, S, nullptr);
}

void TStringList::InsertObject(int Index, const std::string& S, TObject* Object)
{
    CheckUnsorted();
    if (Index < 0 || Index > Count())
        IndexError(Index);
    InsertItem(Index, S, Object);
}

void TStringList::InsertItem(int Index, const std::string& S, TObject* Object)
{
    Changing();
    m_items.insert(m_items.begin() + Index, Item{S, Object});
    Changed();
}

void TStringList::Delete(int Index)
{
    CheckIndex(Index);
    Changing();
    m_items.erase(m_items.begin() + Index);
    Changed();
}

void TStringList::Clear()
{
    if (m_items.empty())
        return;
    Changing();
    m_items.clear();
    Changed();
}

void TStringList::Exchange(int Index1, int Index2)
{
    // Swapping two lines of a sorted list would break Find.
    CheckUnsorted();
    CheckIndex(Index1);
    CheckIndex(Index2);
    Changing();
    std::swap(m_items[static_cast<std::size_t>(Index1)], m_items[static_cast<std::size_t>(Index2)]);
    Changed();
}

int TStringList::IndexOf(const std::string& S) const
{
    if (!m_sorted)
        return TStrings::IndexOf(S);
    int index;
    return Find(S, index) ? index : -1;
}

bool TStringList::Find(const std::string& S, int& Index) const
{
    // Lower bound; with dupAccept the first of equal lines is found.
    int lo = 0, hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        const int c = CompareStrings(m_items[static_cast<std::size_t>(mid)].text, S);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0)
                found = true;
        }
    }
    Index = lo;
    return found;
}

void TStringList::Sort()
{
    SortBy([](TStringList& List, int I1, int I2) {
        return List.CompareStrings(List.m_items[static_cast<std::size_t>(I1)].text,
                                   List.m_items[static_cast<std::size_t>(I2)].text);
    });
}

void TStringList::CustomSort(const TStringListSortCompare& Compare)
{
    // A sorted list keeps its own order, as on the platform.
    if (!m_sorted)
        SortBy(Compare);
}

void TStringList::SortBy(const TStringListSortCompare& Compare)
{
    if (Count() < 2)
        return;
    // Sort an index permutation so Compare always sees the list unchanged.
    std::vector<int> order(m_items.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int A, int B) { return Compare(*this, A, B) < 0; });
    std::vector<Item> sorted;
    sorted.reserve(m_items.size());
    for (int i : order)
        sorted.push_back(std::move(m_items[static_cast<std::size_t>(i)]));
    Changing();
    m_items.swap(sorted);
    Changed();
}

void TStringList::SetSorted(bool Value)
{
    if (Value == m_sorted)
        return;
    if (Value)
        Sort();
    m_sorted = Value;
}

void TStringList::SetCaseSensitive(bool Value)
{
    if (Value == m_caseSensitive)
        return;
    m_caseSensitive = Value;
    if (m_sorted)
        Sort();
}

int TStringList::CompareStrings(const std::string& S1, const std::string& S2) const
{
    return m_caseSensitive ? CompareStr(S1, S2) : CompareText(S1, S2);
}

} // namespace qel
