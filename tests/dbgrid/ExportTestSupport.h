#pragma once
// A tree list standing in for the grid in export tests: text nodes, one
// integer column (index 1) whose values are numbers, optional group columns.
#include "dbgrid/ExportGridAccess.h"
#include "platform/core/Stream.h"
#include "tests/TestSupport.h"

#include <cstdlib>
#include <string>

namespace qel::test {

class TExportTree : public TdxTreeList {
public:
    explicit TExportTree(TComponent* AOwner) : TdxTreeList(AOwner) {}
    Variant GetNodeValue(const TdxTreeListNode* Node, int Column) const override
    {
        const std::string s = Node->GetString(Column);
        if (Column == 1 && !Node->HasChildren())
            return s.empty() ? Variant::Null() : Variant(static_cast<std::int32_t>(std::stoi(s)));
        return Variant(s);
    }
};

class TExportAccess : public TdxExportGridAccess {
public:
    using TdxExportGridAccess::TdxExportGridAccess;
    int Groups = 0;
    TdxSummaryType SumType = cstNone;
    int GroupColumnCount() const override { return Groups; }
    int GroupColumn(int Level) const override { return Level < Groups ? 0 : -1; }
    TFieldType FieldType(int Column) const override { return Column == 1 ? ftInteger : ftString; }
    std::string FieldName(int Column) const override { return "F" + std::to_string(Column); }
    TdxSummaryType SummaryFooterType(int Column) const override
    {
        return Column == 1 ? SumType : cstNone;
    }
};

inline std::string Bytes(const std::function<void(TStream&)>& Writer)
{
    TMemoryStream m;
    Writer(m);
    return std::string(reinterpret_cast<const char*>(m.Memory()), static_cast<std::size_t>(m.Size()));
}

inline std::string Hex(const std::string& Bytes)
{
    std::string out;
    char buf[4];
    for (unsigned char c : Bytes) {
        std::snprintf(buf, sizeof buf, out.empty() ? "%02X" : " %02X", c);
        out += buf;
    }
    return out;
}

// Exit code of a shell command (stdout and stderr to Output when given).
inline int RunCommand(const std::string& Command, std::string* Output = nullptr)
{
    TempDir dir;
    const std::string out = (dir.Path() / "out.txt").string();
    const int rc = std::system((Command + " >'" + out + "' 2>&1").c_str());
    if (Output)
        *Output = ReadFileBytes(out);
    return rc;
}

// What Python prints for a worksheet read by xlrd: Code runs with the
// workbook, formatting included, as `b`. A failed run answers its output
// after "python failed: ".
inline std::string ReadWithXlrd(const std::string& Xls, const std::string& Code)
{
    TempDir dir;
    const std::string script = (dir.Path() / "read.py").string();
    WriteFileBytes(script, "import xlrd,sys\nb=xlrd.open_workbook(sys.argv[1],formatting_info=True)\n" + Code);
    std::string out;
    if (RunCommand("/usr/bin/python3 '" + script + "' '" + Xls + "'", &out) != 0)
        return "python failed: " + out;
    return out;
}

// What xmllint's HTML parser complains of in a file (it exits with 0 on
// recoverable errors, so the complaints are the test); empty when nothing.
inline std::string HtmlParserComplaints(const std::string& Path)
{
    std::string out;
    if (RunCommand("xmllint --html --noout '" + Path + "'", &out) != 0 && out.empty())
        out = "xmllint failed";
    return out;
}

} // namespace qel::test
