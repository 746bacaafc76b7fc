#pragma once
// Reading PDF files the tests wrote with the real tools (pdfinfo, pdftotext)
// and picking words and lines out of their text.
#include <QProcess>
#include <QStringList>

#include <sstream>
#include <string>
#include <vector>

namespace qel::test {

inline std::string RunTool(const char* Program, const QStringList& Args)
{
    QProcess p;
    p.start(Program, Args);
    p.waitForFinished(60000);
    return p.readAllStandardOutput().toStdString();
}

// The page count pdfinfo reports; -1 when it reports none.
inline int PdfPageCount(const std::string& File)
{
    const std::string info = RunTool("pdfinfo", {QString::fromStdString(File)});
    const auto at = info.find("Pages:");
    return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}

// The text of one page (1-based), laid out as printed.
inline std::string PdfPageText(const std::string& File, int Page)
{
    return RunTool("pdftotext", {"-layout", "-f", QString::number(Page), "-l", QString::number(Page),
                                 QString::fromStdString(File), "-"});
}

inline std::vector<std::string> Words(const std::string& Text)
{
    std::vector<std::string> out;
    std::istringstream in(Text);
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

inline std::string Squeezed(const std::string& Text)
{
    std::string out;
    for (const std::string& w : Words(Text))
        out += (out.empty() ? "" : " ") + w;
    return out;
}

// The line of a page's text that holds Needle, blanks squeezed.
inline std::string LineWith(const std::string& PageText, const std::string& Needle)
{
    std::istringstream in(PageText);
    for (std::string line; std::getline(in, line);)
        if (line.find(Needle) != std::string::npos)
            return Squeezed(line);
    return {};
}

} // namespace qel::test
