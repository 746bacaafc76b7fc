// Filter expressions: parse or raise EDatabaseError/EConvertError; what
// parses evaluates against a record.
#include "dbgrid/CriteriaTestSupport.h"
#include "fuzz/harness/FuzzSupport.h"
#include "platform/data/FilterExpression.h"

using namespace qel;
using namespace qel::fuzz;
using namespace qel::test;

namespace {

// Fields of every kind a filter meets, found by name or by "[<type code>]".
TFilterExpression::FieldRef Resolve(const std::string& Name)
{
    static const std::vector<std::pair<std::string, TFieldType>> fields = {
        {"Name", ftString}, {"Count", ftInteger}, {"Price", ftCurrency}, {"Ratio", ftFloat},
        {"Due", ftDateTime}, {"Day", ftDate}, {"At", ftTime}, {"Done", ftBoolean}, {"Big", ftLargeint}};
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i].first == Name)
            return {static_cast<int>(i), fields[i].second};
    try {
        const int code = std::stoi(Name);
        if (code >= 0 && code <= 40)
            return {0, static_cast<TFieldType>(code)};
    } catch (const std::exception&) {
    }
    return {};
}

Variant ValueOf(int Index)
{
    switch (Index) {
    case 0: return Variant(std::string("Müller"));
    case 1: return Variant(42);
    case 2: return Variant(Currency::FromInt64(15000));
    case 3: return Variant(1.5);
    case 4: case 5: return Variant::FromDate(45000.75);
    case 6: return Variant::FromDate(0.25);
    case 7: return Variant(true);
    case 8: return Variant(std::int64_t{1} << 40);
    default: return Variant::Null();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The texts the grid's criteria write, and a few by hand.
    std::vector<std::string> seeds;
    for (const std::string& stream : CriteriaSamples()) {
        TTypedCriteria c;
        TStringStream s(stream);
        c.LoadFromStream(s);
        seeds.push_back(c.GetFilterText());
    }
    seeds.push_back("NOT (Name = 'M*') OR (Count >= 3 AND Price < 2,5) AND Due > '01.02.2023 10:00:00'");
    seeds.push_back("[Name] IS NOT NULL AND Done = TRUE AND Ratio <> 1.5E3");
    WriteSeeds(seeds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    try {
        TFilterExpression expression(Input(Data, Size), Resolve);
        for (TFilterOptions options : {TFilterOptions{}, TFilterOptions{foCaseInsensitive, foNoPartialCompare}})
            (void)expression.Evaluate(ValueOf, options);
    } catch (const EDatabaseError&) {
    } catch (const EConvertError&) {
    }
    return 0;
}
