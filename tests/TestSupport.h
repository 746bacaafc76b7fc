#pragma once
// Small helpers shared by the tests: a temporary directory that removes
// itself, and whole-file reads.
#include <filesystem>
#include <string>
#include <vector>

namespace qel::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

std::string ReadFileBytes(const std::string& path);

// The lines of a string list (anything with Count() and Get(i)), for comparing in tests.
template <class List>
std::vector<std::string> Lines(const List& list)
{
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(list.Get(i));
    return out;
}

void WriteFileBytes(const std::string& path, const std::string& bytes);

} // namespace qel::test
