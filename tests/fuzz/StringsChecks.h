#pragma once
// The checks on string-list text, shared by the strings robustness test and
// the strings fuzz harness.
#include "platform/core/Stream.h"
#include "platform/core/Strings.h"

#include "TestSupport.h"

#include <string>
#include <vector>

namespace qel::fuzz {

inline std::string Saved(const TStrings& List)
{
    TMemoryStream s;
    List.SaveToStream(s);
    return s.Bytes();
}

// Comma text parses and writes back to the same lines; what a list loads
// and saves loads back as the same lines; a sorted list that refuses
// duplicates loads all lines or none. Returns what broke, empty when nothing
// did.
inline std::string CheckStringsText(const std::string& Input)
{
    TStringList comma;
    comma.SetCommaText(Input);
    TStringList again;
    again.SetCommaText(comma.CommaText());
    if (test::Lines(again) != test::Lines(comma))
        return "comma text does not write back to the same lines";

    TStringList loaded;
    TStringStream in(Input);
    loaded.LoadFromStream(in);
    TStringList reloaded;
    TStringStream saved(Saved(loaded));
    reloaded.LoadFromStream(saved);
    if (test::Lines(reloaded) != test::Lines(loaded))
        return "a saved list loads back as other lines";

    TStringList sorted;
    sorted.SetSorted(true);
    sorted.SetDuplicates(dupError);
    sorted.Add("old");
    sorted.Add("zzz");
    TStringStream stream(Input);
    try {
        sorted.LoadFromStream(stream);
    } catch (const EStringListError&) {
        if (test::Lines(sorted) != std::vector<std::string>{"old", "zzz"})
            return "a refused load changed the sorted list";
    }
    return {};
}

} // namespace qel::fuzz
