// The in-memory dataset against SQLite in memory, side by side in one run, on
// 10^6 records of 8 fields: append, locate, filter, a group-by pass, sorting
// on a 12-character text field, memory per record (ours, SQLite's and a plain
// vector of structs) and a scan with and without a 30-record data link.
// At the end the ratios (ours / SQLite, link / no link) are printed.
//
// Built only when CMake finds SQLite3; tools/bench.sh installs it and runs this in Release.
#include "platform/core/Locale.h"
#include "platform/data/DataLink.h"
#include "platform/data/DataSet.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/data/MemoryDataSet.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

using namespace qel;

constexpr int kRecords = 1000000;
const char* const kCities[] = {"Bonn", "Köln", "Ulm", "Kiel", "Jena", "Trier", "Gera", "Hof"};

// The generated table: the same values go into every store.
struct Row {
    int Id;
    std::string Code;   // 12 characters, mixed case: the sort field
    std::string Name;
    const char* City;
    double Amount;
    bool Active;
    double Born;
    int Count;
};

Row MakeRow(int I, std::mt19937& Rng)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::uniform_int_distribution<int> pick(0, 51);
    Row r;
    r.Id = I;
    r.Code.resize(12);
    for (char& c : r.Code)
        c = letters[pick(Rng)];
    r.Name = "Name " + std::to_string(I);
    r.City = kCities[I % 8];
    r.Amount = (I % 5000) * 0.5;
    r.Active = I % 3 == 0;
    r.Born = 40000 + I % 10000;
    r.Count = I % 1000;
    return r;
}

std::size_t HeapInUse()
{
    // Large blocks are mapped, not taken from the heap: both count.
    malloc_trim(0);
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

// --- ours ---------------------------------------------------------------------

std::unique_ptr<TMemoryDataSet> MakeDataSet()
{
    auto ds = std::make_unique<TMemoryDataSet>(nullptr);
    ds->AddField("ID", ftInteger);
    ds->AddField("CODE", ftString, 12);
    ds->AddField("NAME", ftString, 30);
    ds->AddField("CITY", ftString, 20);
    ds->AddField("AMOUNT", ftFloat);
    ds->AddField("ACTIVE", ftBoolean);
    ds->AddField("BORN", ftDate);
    ds->AddField("COUNT", ftSmallint);
    return ds;
}

void LoadDataSet(TMemoryDataSet& Ds)
{
    std::mt19937 rng(42);
    Ds.Open();
    TDisableControlsGuard guard(&Ds);
    TField* f[8];
    for (int i = 0; i < 8; ++i)
        f[i] = Ds.Fields(i);
    for (int i = 0; i < kRecords; ++i) {
        const Row r = MakeRow(i, rng);
        Ds.Append();
        f[0]->SetAsInteger(r.Id);
        f[1]->SetAsString(r.Code);
        f[2]->SetAsString(r.Name);
        f[3]->SetAsString(r.City);
        f[4]->SetAsFloat(r.Amount);
        f[5]->SetAsBoolean(r.Active);
        f[6]->SetAsDateTime(r.Born);
        f[7]->SetAsInteger(r.Count);
        Ds.Post();
    }
    Ds.First();
}

LocaleScope& Locale()
{
    static LocaleScope locale;
    return locale;
}

// One loaded dataset shared by the read-only benchmarks.
TMemoryDataSet& Ours()
{
    static std::unique_ptr<TMemoryDataSet> ds = [] {
        Locale();
        auto d = MakeDataSet();
        LoadDataSet(*d);
        return d;
    }();
    return *ds;
}

class TWindowLink : public TDataLink {
public:
    int Scrolls = 0;

protected:
    void DataSetScrolled(int Distance) override { Scrolls += Distance != 0; }
};

// --- SQLite -------------------------------------------------------------------

void Check(int Rc, sqlite3* Db)
{
    if (Rc != SQLITE_OK && Rc != SQLITE_DONE && Rc != SQLITE_ROW)
        throw std::runtime_error(sqlite3_errmsg(Db));
}

void Exec(sqlite3* Db, const char* Sql)
{
    Check(sqlite3_exec(Db, Sql, nullptr, nullptr, nullptr), Db);
}

struct Statement {
    sqlite3_stmt* S = nullptr;
    Statement(sqlite3* Db, const char* Sql) { Check(sqlite3_prepare_v2(Db, Sql, -1, &S, nullptr), Db); }
    ~Statement() { sqlite3_finalize(S); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
};

sqlite3* OpenSqlite()
{
    sqlite3* db = nullptr;
    if (sqlite3_open(":memory:", &db) != SQLITE_OK)
        throw std::runtime_error("sqlite3_open");
    Exec(db, "CREATE TABLE t(ID INTEGER, CODE TEXT, NAME TEXT, CITY TEXT, AMOUNT REAL, ACTIVE INTEGER, "
             "BORN REAL, COUNT INTEGER)");
    return db;
}

void LoadSqlite(sqlite3* Db)
{
    std::mt19937 rng(42);
    Exec(Db, "BEGIN");
    {
        Statement ins(Db, "INSERT INTO t VALUES(?,?,?,?,?,?,?,?)");
        for (int i = 0; i < kRecords; ++i) {
            const Row r = MakeRow(i, rng);
            sqlite3_bind_int(ins.S, 1, r.Id);
            sqlite3_bind_text(ins.S, 2, r.Code.data(), static_cast<int>(r.Code.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(ins.S, 3, r.Name.data(), static_cast<int>(r.Name.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(ins.S, 4, r.City, -1, SQLITE_STATIC);
            sqlite3_bind_double(ins.S, 5, r.Amount);
            sqlite3_bind_int(ins.S, 6, r.Active);
            sqlite3_bind_double(ins.S, 7, r.Born);
            sqlite3_bind_int(ins.S, 8, r.Count);
            Check(sqlite3_step(ins.S), Db);
            sqlite3_reset(ins.S);
        }
    }
    Exec(Db, "COMMIT");
}

sqlite3* Sqlite()
{
    static sqlite3* db = [] {
        sqlite3* d = OpenSqlite();
        LoadSqlite(d);
        return d;
    }();
    return db;
}

// Runs Sql over the loaded table each round, adding up the first column.
void SumQuery(benchmark::State& State, const char* Sql)
{
    Statement q(Sqlite(), Sql);
    for (auto _ : State) {
        std::int64_t sum = 0;
        while (sqlite3_step(q.S) == SQLITE_ROW)
            sum += sqlite3_column_int64(q.S, 0);
        sqlite3_reset(q.S);
        benchmark::DoNotOptimize(sum);
    }
}

// Sorts our table on Field each round, back to the loading order between.
void SortOurs(benchmark::State& State, const char* Field)
{
    TMemoryDataSet& ds = Ours();
    for (auto _ : State) {
        ds.SortOn(Field);
        State.PauseTiming();
        ds.SortOn("ID");   // back to the loading order for the next round
        ds.SortOn("");
        State.ResumeTiming();
    }
}

// --- append -------------------------------------------------------------------

void BM_Append_Ours(benchmark::State& State)
{
    Locale();
    for (auto _ : State) {
        auto ds = MakeDataSet();
        LoadDataSet(*ds);
        benchmark::DoNotOptimize(ds->RecordCount());
        State.PauseTiming();
        ds.reset();
        State.ResumeTiming();
    }
}
BENCHMARK(BM_Append_Ours)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Append_Sqlite(benchmark::State& State)
{
    for (auto _ : State) {
        sqlite3* db = OpenSqlite();
        LoadSqlite(db);
        State.PauseTiming();
        sqlite3_close(db);
        State.ResumeTiming();
    }
}
BENCHMARK(BM_Append_Sqlite)->Unit(benchmark::kMillisecond)->Iterations(1);

// --- memory per record --------------------------------------------------------

void BM_Memory_Ours(benchmark::State& State)
{
    Locale();
    for (auto _ : State) {
        const std::size_t before = HeapInUse();
        auto ds = MakeDataSet();
        LoadDataSet(*ds);
        State.counters["bytes_per_record"] = static_cast<double>(HeapInUse() - before) / kRecords;
    }
}
BENCHMARK(BM_Memory_Ours)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Memory_Sqlite(benchmark::State& State)
{
    for (auto _ : State) {
        const std::size_t before = HeapInUse();
        sqlite3* db = OpenSqlite();
        LoadSqlite(db);
        State.counters["bytes_per_record"] = static_cast<double>(HeapInUse() - before) / kRecords;
        sqlite3_close(db);
    }
}
BENCHMARK(BM_Memory_Sqlite)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Memory_Vector(benchmark::State& State)
{
    for (auto _ : State) {
        const std::size_t before = HeapInUse();
        std::vector<Row> rows;
        std::mt19937 rng(42);
        for (int i = 0; i < kRecords; ++i)
            rows.push_back(MakeRow(i, rng));
        rows.shrink_to_fit();
        State.counters["bytes_per_record"] = static_cast<double>(HeapInUse() - before) / kRecords;
    }
}
BENCHMARK(BM_Memory_Vector)->Unit(benchmark::kMillisecond)->Iterations(1);

// --- locate -------------------------------------------------------------------

void BM_Locate_Ours(benchmark::State& State)
{
    TMemoryDataSet& ds = Ours();
    ds.AddIndex("ID");
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> key(0, kRecords - 1);
    for (auto _ : State)
        benchmark::DoNotOptimize(ds.Locate("ID", key(rng), {}));
    ds.RemoveIndex("ID");
}
BENCHMARK(BM_Locate_Ours)->Unit(benchmark::kMicrosecond);

void BM_Locate_Sqlite(benchmark::State& State)
{
    sqlite3* db = Sqlite();
    Exec(db, "CREATE INDEX ix_id ON t(ID)");
    {
        Statement q(db, "SELECT rowid, * FROM t WHERE ID = ? LIMIT 1");
        std::mt19937 rng(7);
        std::uniform_int_distribution<int> key(0, kRecords - 1);
        for (auto _ : State) {
            sqlite3_bind_int(q.S, 1, key(rng));
            benchmark::DoNotOptimize(sqlite3_step(q.S));
            sqlite3_reset(q.S);
        }
    }
    Exec(db, "DROP INDEX ix_id");
}
BENCHMARK(BM_Locate_Sqlite)->Unit(benchmark::kMicrosecond);

// --- filter -------------------------------------------------------------------

void BM_Filter_Ours(benchmark::State& State)
{
    TMemoryDataSet& ds = Ours();
    TField* id = ds.FieldByName("ID");
    for (auto _ : State) {
        ds.SetFilter("(CITY = 'Bonn') AND (AMOUNT >= 1000)");
        ds.SetFiltered(true);
        std::int64_t sum = 0;
        {
            TDisableControlsGuard guard(&ds);
            for (ds.First(); !ds.Eof(); ds.Next())
                sum += id->AsInteger();
        }
        benchmark::DoNotOptimize(sum);
        ds.SetFiltered(false);
        ds.SetFilter("");
    }
}
BENCHMARK(BM_Filter_Ours)->Unit(benchmark::kMillisecond);

void BM_Filter_Sqlite(benchmark::State& State)
{
    SumQuery(State, "SELECT ID FROM t WHERE CITY = 'Bonn' AND AMOUNT >= 1000");
}
BENCHMARK(BM_Filter_Sqlite)->Unit(benchmark::kMillisecond);

// --- group-by pass ------------------------------------------------------------

struct Group {
    std::int64_t Count = 0;
    double Sum = 0;
};

// Through the cursor, as engine code had to before it had a read path.
void BM_GroupBy_Ours(benchmark::State& State)
{
    TMemoryDataSet& ds = Ours();
    TField* city = ds.FieldByName("CITY");
    TField* amount = ds.FieldByName("AMOUNT");
    for (auto _ : State) {
        std::map<std::string, Group> groups;
        TDisableControlsGuard guard(&ds);
        for (ds.First(); !ds.Eof(); ds.Next()) {
            Group& g = groups[city->AsString()];
            ++g.Count;
            g.Sum += amount->AsFloat();
        }
        benchmark::DoNotOptimize(groups.size());
    }
}
BENCHMARK(BM_GroupBy_Ours)->Unit(benchmark::kMillisecond);

// Through the record reader: no cursor, no Variant for the text.
void BM_GroupBy_OursReader(benchmark::State& State)
{
    TMemoryDataSet& ds = Ours();
    TField* city = ds.FieldByName("CITY");
    TField* amount = ds.FieldByName("AMOUNT");
    for (auto _ : State) {
        std::map<std::string, Group, std::less<>> groups;
        const std::unique_ptr<TRecordReader> reader = ds.CreateRecordReader();
        const int n = reader->Count();
        for (int i = 0; i < n; ++i) {
            const TRecordReader::THandle h = reader->Handle(i);
            const std::string_view key = reader->Text(h, city);
            auto it = groups.find(key);
            if (it == groups.end())
                it = groups.emplace(std::string(key), Group{}).first;
            ++it->second.Count;
            it->second.Sum += reader->Value(h, amount).AsDouble();
        }
        benchmark::DoNotOptimize(groups.size());
    }
}
BENCHMARK(BM_GroupBy_OursReader)->Unit(benchmark::kMillisecond);

void BM_GroupBy_Sqlite(benchmark::State& State)
{
    sqlite3* db = Sqlite();
    Statement q(db, "SELECT CITY, COUNT(*), SUM(AMOUNT) FROM t GROUP BY CITY");
    for (auto _ : State) {
        std::map<std::string, Group> groups;
        while (sqlite3_step(q.S) == SQLITE_ROW) {
            Group& g = groups[reinterpret_cast<const char*>(sqlite3_column_text(q.S, 0))];
            g.Count = sqlite3_column_int64(q.S, 1);
            g.Sum = sqlite3_column_double(q.S, 2);
        }
        sqlite3_reset(q.S);
        benchmark::DoNotOptimize(groups.size());
    }
}
BENCHMARK(BM_GroupBy_Sqlite)->Unit(benchmark::kMillisecond);

// --- sorting on a 12-character text field -------------------------------------

void BM_Sort_Ours(benchmark::State& State)
{
    SortOurs(State, "CODE");
}
BENCHMARK(BM_Sort_Ours)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Sort_Sqlite(benchmark::State& State)
{
    SumQuery(State, "SELECT rowid FROM t ORDER BY CODE");
}
BENCHMARK(BM_Sort_Sqlite)->Unit(benchmark::kMillisecond)->Iterations(1);

// CODE again, with one record's code holding an umlaut: then every one of
// the 10^6 distinct codes needs the collator's key (the slowest case).
void BM_SortCollated_Ours(benchmark::State& State)
{
    TMemoryDataSet& ds = Ours();
    TField* code = ds.FieldByName("CODE");
    for (auto _ : State) {
        State.PauseTiming();
        ds.First();
        const std::string old = code->AsString();
        ds.Edit();
        code->SetAsString("Ärger");
        ds.Post();
        State.ResumeTiming();
        ds.SortOn("CODE");
        State.PauseTiming();
        ds.SortOn("ID");
        ds.SortOn("");
        ds.First();
        ds.Edit();
        code->SetAsString(old);
        ds.Post();
        State.ResumeTiming();
    }
}
BENCHMARK(BM_SortCollated_Ours)->Unit(benchmark::kMillisecond)->Iterations(1);

// A text field with umlauts ("Köln"): the collator makes the keys (once per
// distinct text), where CODE needs none.
void BM_SortCity_Ours(benchmark::State& State)
{
    SortOurs(State, "CITY");
}
BENCHMARK(BM_SortCity_Ours)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_SortCity_Sqlite(benchmark::State& State)
{
    SumQuery(State, "SELECT rowid FROM t ORDER BY CITY");
}
BENCHMARK(BM_SortCity_Sqlite)->Unit(benchmark::kMillisecond)->Iterations(1);

// --- scan with and without a 30-record link -----------------------------------

void Scan(benchmark::State& State, int LinkBuffers, bool Disabled)
{
    TMemoryDataSet& ds = Ours();
    TDataSource src(nullptr);
    TWindowLink link;
    if (LinkBuffers > 0) {
        src.SetDataSet(&ds);
        link.SetBufferCount(LinkBuffers);
        link.SetDataSource(&src);
    }
    TField* id = ds.FieldByName("ID");
    for (auto _ : State) {
        std::int64_t sum = 0;
        if (Disabled)
            ds.DisableControls();
        for (ds.First(); !ds.Eof(); ds.Next())
            sum += id->AsInteger();
        if (Disabled)
            ds.EnableControls();
        benchmark::DoNotOptimize(sum);
    }
    link.SetDataSource(nullptr);
}

void BM_Scan_NoLink(benchmark::State& State) { Scan(State, 0, true); }
void BM_Scan_Link30(benchmark::State& State) { Scan(State, 30, true); }
void BM_Scan_Link30_ControlsEnabled(benchmark::State& State) { Scan(State, 30, false); }
BENCHMARK(BM_Scan_NoLink)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Scan_Link30)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Scan_Link30_ControlsEnabled)->Unit(benchmark::kMillisecond);

void BM_Scan_Sqlite(benchmark::State& State)
{
    SumQuery(State, "SELECT ID FROM t");
}
BENCHMARK(BM_Scan_Sqlite)->Unit(benchmark::kMillisecond);

// --- the ratios ---------------------------------------------------------------

// Prints as usual and keeps each benchmark's CPU time per iteration and counters,
// then the ratios at the end.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& Reports) override
    {
        ConsoleReporter::ReportRuns(Reports);
        for (const Run& r : Reports) {
            const std::string name = r.run_name.function_name;
            m_time[name] = r.GetAdjustedCPUTime();   // CPU time: other work on the machine skews wall time
            auto it = r.counters.find("bytes_per_record");
            if (it != r.counters.end())
                m_bytes[name] = it->second.value;
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nRatios in this run (lower is better):\n");
        TimeRatio("append       ours / SQLite", "BM_Append_Ours", "BM_Append_Sqlite");
        TimeRatio("locate       ours / SQLite", "BM_Locate_Ours", "BM_Locate_Sqlite");
        TimeRatio("filter       ours / SQLite", "BM_Filter_Ours", "BM_Filter_Sqlite");
        TimeRatio("group-by     ours / SQLite", "BM_GroupBy_Ours", "BM_GroupBy_Sqlite");
        TimeRatio("group-by     reader / SQLite", "BM_GroupBy_OursReader", "BM_GroupBy_Sqlite");
        TimeRatio("sort         SortOn / ORDER BY      (goal <= 1.5)", "BM_Sort_Ours", "BM_Sort_Sqlite");
        TimeRatio("sort CODE, one umlaut: SortOn / ORDER BY", "BM_SortCollated_Ours", "BM_Sort_Sqlite");
        TimeRatio("sort CITY    SortOn / ORDER BY", "BM_SortCity_Ours", "BM_SortCity_Sqlite");
        TimeRatio("scan         link 30 / no link      (goal <= 1.3)", "BM_Scan_Link30", "BM_Scan_NoLink");
        TimeRatio("scan         link 30, controls on / no link", "BM_Scan_Link30_ControlsEnabled",
                  "BM_Scan_NoLink");
        TimeRatio("scan         ours / SQLite", "BM_Scan_NoLink", "BM_Scan_Sqlite");
        ByteRatio("memory       ours / SQLite          (goal <= 3)", "BM_Memory_Ours", "BM_Memory_Sqlite");
        ByteRatio("memory       ours / vector of structs", "BM_Memory_Ours", "BM_Memory_Vector");
        std::fflush(stdout);
    }

private:
    void TimeRatio(const char* Label, const std::string& A, const std::string& B)
    {
        if (m_time.count(A) && m_time.count(B) && m_time[B] > 0)
            std::printf("  %-52s %6.2f\n", Label, m_time[A] / m_time[B]);
    }
    void ByteRatio(const char* Label, const std::string& A, const std::string& B)
    {
        if (m_bytes.count(A) && m_bytes.count(B) && m_bytes[B] > 0)
            std::printf("  %-52s %6.2f   (%.0f / %.0f bytes per record)\n", Label, m_bytes[A] / m_bytes[B],
                        m_bytes[A], m_bytes[B]);
    }

    std::map<std::string, double> m_time;
    std::map<std::string, double> m_bytes;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
