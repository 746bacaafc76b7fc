#pragma once
// How the benchmark programs measure, Qt aside: the heap and the process's
// resident memory, interleaved samples of the sides of a comparison and their
// medians, child processes (the program itself again, or a peer's command
// line), a temporary folder that goes away, and a main that ends with a recap
// of the ratios.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

extern char** environ;

namespace qel::bench {

// ----- memory -------------------------------------------------------------------------------------

// Bytes the heap hands out now: blocks from the arena and blocks mapped on
// their own (large vectors). mallinfo2 covers the main arena, where the
// benchmarks allocate.
inline std::size_t HeapInUse()
{
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

// A size the kernel keeps for this process ("VmRSS:", "VmHWM:"), in bytes.
inline std::size_t ProcessStatusBytes(const char* Key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t keyLength = std::strlen(Key);
    while (std::getline(status, line))
        if (line.compare(0, keyLength, Key) == 0)
            return std::strtoull(line.c_str() + keyLength, nullptr, 10) * 1024;
    return 0;
}

inline std::size_t ResidentBytes() { return ProcessStatusBytes("VmRSS:"); }
inline std::size_t PeakResidentBytes() { return ProcessStatusBytes("VmHWM:"); }

// Gives the heap's free pages back, so that the resident size counts what
// is live and what comes next has to take new pages (a peak then shows).
inline void ReleaseFreeHeap() { malloc_trim(0); }

// Starts the peak resident size again from the present size; false where
// the kernel does not let the process do that.
inline bool ResetPeakResident()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

// ----- samples ------------------------------------------------------------------------------------

// A sample's time: wall-clock, and the processor time of this process and
// of the children it waited for, which other work on a shared machine skews less.
struct TTime {
    double Wall = 0;
    double Cpu = 0;
};

inline double CpuSeconds()
{
    double seconds = 0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage u{};
        ::getrusage(who, &u);
        seconds += static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
                   static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    }
    return seconds;
}

inline TTime TimeOf(const std::function<void()>& Work)
{
    const double cpu = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    Work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), CpuSeconds() - cpu};
}

inline double Median(std::vector<double> Values)
{
    if (Values.empty())
        return 0;
    std::sort(Values.begin(), Values.end());
    const std::size_t n = Values.size();
    return n % 2 ? Values[n / 2] : (Values[n / 2 - 1] + Values[n / 2]) / 2;
}

// Rounds of a comparison: QEL_BENCH_ROUNDS when set, else the benchmark's own.
inline int Rounds(int Default)
{
    const char* text = std::getenv("QEL_BENCH_ROUNDS");
    const int n = text ? std::atoi(text) : 0;
    return n > 0 ? n : Default;
}

inline void Say(const char* Format, ...) __attribute__((format(printf, 1, 2)));
inline void Say(const char* Format, ...)
{
    va_list args;
    va_start(args, Format);
    std::vprintf(Format, args);
    va_end(args);
    std::fflush(stdout);
}

// The ratio lines printed again after every benchmark ran.
inline std::vector<std::string>& RecapLines()
{
    static std::vector<std::string> lines;
    return lines;
}

// The sides of a comparison, sampled in rounds: a round takes one sample of
// every side, starting each round with the next side, so that drift on a
// shared machine (other builds, clock changes) falls on every side alike.
// A sampler prepares outside the clock and answers the time of the work a
// user waits for (TimeOf); it may note other figures of its sample.
class TComparison {
public:
    using TSampler = std::function<TTime()>;

    explicit TComparison(std::string Title) : m_title(std::move(Title)) {}

    int Add(std::string Name, TSampler Sampler)
    {
        m_sides.push_back({std::move(Name), std::move(Sampler), {}, {}});
        return static_cast<int>(m_sides.size()) - 1;
    }

    // Runs the rounds and prints each side's medians, and its fastest and
    // slowest wall-clock sample.
    void Run(int RoundCount)
    {
        const int n = static_cast<int>(m_sides.size());
        for (int r = 0; r < RoundCount; ++r)
            for (int k = 0; k < n; ++k) {
                TSide& side = m_sides[static_cast<std::size_t>((r + k) % n)];
                const TTime t = side.Sampler();
                side.Wall.push_back(t.Wall);
                side.Cpu.push_back(t.Cpu);
            }
        Say("\n%s: %d interleaved rounds; medians per side, wall-clock (fastest - slowest) and processor time\n",
            m_title.c_str(), RoundCount);
        for (const TSide& s : m_sides) {
            const auto [lo, hi] = std::minmax_element(s.Wall.begin(), s.Wall.end());
            Say("  %-44s %9.1f ms  (%.1f - %.1f)  cpu %9.1f ms\n", s.Name.c_str(), Median(s.Wall) * 1e3, *lo * 1e3,
                *hi * 1e3, Median(s.Cpu) * 1e3);
        }
    }

    double MedianSeconds(int Side) const { return Median(m_sides[static_cast<std::size_t>(Side)].Wall); }

    // Side A's median time over side B's (above 1: A is slower), wall-clock
    // and processor time, each with the spread of the ratios within single
    // rounds; printed and kept for the recap.
    double TimeRatio(const std::string& Label, int A, int B) const
    {
        const TSide& a = m_sides[static_cast<std::size_t>(A)];
        const TSide& b = m_sides[static_cast<std::size_t>(B)];
        const TRatio wall = Ratio(a.Wall, b.Wall);
        const TRatio cpu = Ratio(a.Cpu, b.Cpu);
        char line[256];
        std::snprintf(line, sizeof line, "%-62s %6.2f (rounds %.2f - %.2f)   cpu %6.2f (rounds %.2f - %.2f)",
                      Label.c_str(), wall.OfMedians, wall.Low, wall.High, cpu.OfMedians, cpu.Low, cpu.High);
        Say("  %s\n", line);
        RecapLines().push_back(line);
        return wall.OfMedians;
    }

private:
    struct TSide {
        std::string Name;
        TSampler Sampler;
        std::vector<double> Wall;
        std::vector<double> Cpu;
    };
    struct TRatio {
        double OfMedians, Low, High;
    };
    static TRatio Ratio(const std::vector<double>& A, const std::vector<double>& B)
    {
        std::vector<double> perRound;
        for (std::size_t r = 0; r < A.size() && r < B.size(); ++r)
            perRound.push_back(A[r] / B[r]);
        const auto [lo, hi] = std::minmax_element(perRound.begin(), perRound.end());
        return {Median(A) / Median(B), *lo, *hi};
    }

    std::string m_title;
    std::vector<TSide> m_sides;
};

// A line for the recap at the end only (memory ratios, rates against a goal).
inline void Recap(const char* Format, ...) __attribute__((format(printf, 1, 2)));
inline void Recap(const char* Format, ...)
{
    char line[256];
    va_list args;
    va_start(args, Format);
    std::vsnprintf(line, sizeof line, Format, args);
    va_end(args);
    RecapLines().push_back(line);
}

// ----- child processes ----------------------------------------------------------------------------

struct TChildRun {
    int ExitCode = -1;
    std::string Output;   // its standard output, when asked for
};

// Runs Argv (a program on the PATH) to its end; standard error goes to
// /dev/null, standard output too unless CaptureOutput.
inline TChildRun RunChild(const std::vector<std::string>& Argv, bool CaptureOutput)
{
    TChildRun run;
    std::vector<char*> argv;
    for (const std::string& a : Argv)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int pipeEnds[2] = {-1, -1};
    if (CaptureOutput && ::pipe(pipeEnds) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (CaptureOutput) {
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (CaptureOutput) {
        ::close(pipeEnds[1]);
        char buffer[4096];
        ssize_t got;
        while (!failed && (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0)
            run.Output.append(buffer, static_cast<std::size_t>(got));
        ::close(pipeEnds[0]);
    }
    if (failed)
        return run;
    int status = 0;
    if (::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        run.ExitCode = WEXITSTATUS(status);
    return run;
}

// The peak resident size of Argv run once, through GNU time: the kernel
// counts a spawned child's peak from the peak of the process that spawned
// it, so the benchmark cannot read it itself. 0 without /usr/bin/time.
inline std::size_t PeakBytesOfRun(const std::vector<std::string>& Argv, const std::string& ScratchFile)
{
    std::vector<std::string> timed{"/usr/bin/time", "-f", "%M", "-o", ScratchFile};
    timed.insert(timed.end(), Argv.begin(), Argv.end());
    if (!std::filesystem::exists("/usr/bin/time") || RunChild(timed, false).ExitCode != 0)
        return 0;
    std::ifstream in(ScratchFile);
    std::size_t kb = 0;
    in >> kb;
    return kb * 1024;
}

// This program again, with Args after its name.
inline TChildRun RunSelf(const std::vector<std::string>& Args)
{
    std::vector<std::string> argv{std::filesystem::read_symlink("/proc/self/exe").string()};
    argv.insert(argv.end(), Args.begin(), Args.end());
    return RunChild(argv, true);
}

inline bool HaveProgram(const char* Name)
{
    return RunChild({"sh", "-c", std::string("command -v ") + Name}, false).ExitCode == 0;
}

// ----- files --------------------------------------------------------------------------------------

// A folder of its own in the temporary directory, removed with everything in it.
class TTempDir {
public:
    explicit TTempDir(const std::string& Tag)
        : m_path(std::filesystem::temp_directory_path() / ("qel-bench-" + Tag + "-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(m_path);
    }
    ~TTempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    std::string File(const std::string& Name) const { return (m_path / Name).string(); }

private:
    std::filesystem::path m_path;
};

// ----- main ---------------------------------------------------------------------------------------

// Runs the benchmarks the command line selects, then prints the recap.
inline int RunBenchmarks(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!RecapLines().empty()) {
        std::printf("\nRatios and figures in this run:\n");
        for (const std::string& line : RecapLines())
            std::printf("  %s\n", line.c_str());
    }
    return 0;
}

}  // namespace qel::bench
