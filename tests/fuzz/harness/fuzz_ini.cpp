// INI text: parses without throwing; written back and parsed again, it says
// the same (sections, keys and values in order).
#include "platform/storage/detail/IniDocument.h"
#include "fuzz/harness/FuzzSupport.h"

using namespace qel;
using namespace qel::fuzz;

namespace {

std::vector<std::string> Contents(const detail::IniDocument& doc)
{
    std::vector<std::string> out;
    for (const std::string& section : doc.SectionNames()) {
        out.push_back("[" + section + "]");
        for (const std::string& line : doc.KeyValues(section))
            out.push_back(line);
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    detail::IniDocument doc;
    doc.Set("Layout", "Width", "640");
    doc.Set("Layout", "Name", "  quoted  ");
    doc.Set("Layout", "Quote", "\"x\"");
    doc.Set("Größe", "Ort", "Köln");
    doc.Set("Empty", "k", "");
    WriteSeeds({doc.Serialize(), "\xEF\xBB\xBF; c\r\n[A]\r\nk=1\r\n[B]\r\n[A]\r\nk=2\r\n# x\r\n"});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const detail::IniDocument doc = detail::IniDocument::Parse(Input(Data, Size));
    const std::vector<std::string> contents = Contents(doc);
    if (Contents(detail::IniDocument::Parse(doc.Serialize())) != contents)
        Broken("an INI file written back reads differently");
    return 0;
}
