#pragma once
// Small helpers shared by the tests: a temporary directory that removes
// itself, whole-file reads, and the message of an expected exception.
#include <exception>
#include <filesystem>
#include <string>
#include <typeinfo>
#include <utility>
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

// Caps the size of the files this process writes at Bytes until it goes out
// of scope: a write beyond it fails (EFBIG) instead of raising SIGXFSZ.
// Throws std::runtime_error when the limit cannot be set.
class FileSizeLimit {
public:
    explicit FileSizeLimit(unsigned long long Bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    unsigned long long m_savedCur;
    unsigned long long m_savedMax;
    void (*m_oldHandler)(int);
};

// The message of the exception of class E that Call raises, for comparing:
//   EXPECT_EQ(test::MessageOf<EConvertError>([&] { StrToInt("x"); }), "'x' is not a valid integer value");
// Raising nothing or another class gives a text saying so, which no expected
// message equals.
template <class E, class F>
std::string MessageOf(F&& Call)
{
    try {
        std::forward<F>(Call)();
    } catch (const E& e) {
        return e.what();
    } catch (const std::exception& e) {
        return std::string("<other exception ") + typeid(e).name() + ": " + e.what() + ">";
    } catch (...) {
        return "<exception of no std::exception class>";
    }
    return "<no exception>";
}

} // namespace qel::test
