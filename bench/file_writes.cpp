// Many small writes to a file: through the buffered TSafeFileStream, against
// one system call per piece (what TFileStream did before it buffered); and a
// 35-column layout stored in the settings store with and without a batch.
#include "platform/core/Guards.h"
#include "platform/core/Stream.h"
#include "platform/storage/Registry.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include <fcntl.h>
#include <unistd.h>

using namespace qel;

namespace {

std::string TempPath(const char* name)
{
    return (std::filesystem::temp_directory_path() / name).string();
}

// Export-like output: 100,000 cells of a few bytes each.
void WritePieces(TStream& out)
{
    for (int i = 0; i < 100000; ++i) {
        out.WriteLE<std::int32_t>(i);
        out.WriteBytes(";x");
    }
}

// The old way: every Write a write(2).
class TUnbufferedStream : public TStream {
public:
    explicit TUnbufferedStream(int handle) : m_handle(handle) {}
    std::int64_t Read(void*, std::int64_t) override { return 0; }
    std::int64_t Write(const void* Buffer, std::int64_t Count) override
    {
        return ::write(m_handle, Buffer, static_cast<std::size_t>(Count));
    }
    std::int64_t Seek(std::int64_t Offset, TSeekOrigin) override { return Offset; }

private:
    int m_handle;
};

void BM_SmallWritesBuffered(benchmark::State& state)
{
    const std::string path = TempPath("qel-bench-buffered.bin");
    for (auto _ : state)
        SafeWriteFile(path, WritePieces);
    std::filesystem::remove(path);
}
BENCHMARK(BM_SmallWritesBuffered)->Unit(benchmark::kMillisecond);

void BM_SmallWritesOneCallEach(benchmark::State& state)
{
    const std::string path = TempPath("qel-bench-unbuffered.bin");
    for (auto _ : state) {
        const int handle = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        TUnbufferedStream out(handle);
        WritePieces(out);
        ::fsync(handle);
        ::close(handle);
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_SmallWritesOneCallEach)->Unit(benchmark::kMillisecond);

// Width, visibility and sort order of 35 columns plus a few layout values.
void StoreLayout(bool batched)
{
    auto store = [] {
        TRegistry reg;
        reg.OpenKey("\\Software\\Bench\\Layout", true);
        for (int column = 0; column < 35; ++column) {
            const std::string n = std::to_string(column);
            reg.WriteInteger("Width" + n, 64 + column);
            reg.WriteBool("Visible" + n, column % 3 != 0);
            reg.WriteInteger("Sort" + n, column % 2);
        }
    };
    if (batched) {
        TUpdateScope batch(SettingsStore());
        store();
    } else {
        store();
    }
}

void BM_LayoutToSettingsStore(benchmark::State& state)
{
    const std::string previous = SettingsStoreFile();
    const std::string path = TempPath("qel-bench-registry.ini");
    SetSettingsStoreFile(path);
    for (auto _ : state)
        StoreLayout(state.range(0) != 0);
    SetSettingsStoreFile(previous);
    std::filesystem::remove(path);
}
BENCHMARK(BM_LayoutToSettingsStore)->Arg(0)->Arg(1)->ArgName("batched")->Unit(benchmark::kMillisecond);

} // namespace
