// The in-memory dataset against SQLite in memory, side by side in one run,
// on 10^6 records of 9 fields: append (and the memory a record takes), locate,
// filter, a group-by pass, sorting on text fields, and a scan with and
// without a 30-record data link. Every comparison samples its sides in
// interleaved rounds and prints medians; a recap of the ratios ends the run.
//
// The sorts: CODE holds 10^6 distinct 12-letter codes, TITLE 5,000 distinct
// names repeated over the records ("Door 0" to "Door 4999", as the grid
// benchmarks' table), CITY 8 names, one with an umlaut. CODE and TITLE are
// sorted once as they are and once with one record's value non-ASCII. Each
// sample starts from the loading order; SQLite runs ORDER BY with its
// default settings (its binary collation), ours collates as AnsiCompareText.
//
// Built only when CMake finds SQLite3; tools/bench.sh installs it and runs this in Release.
#include "bench/BenchMeasure.h"
#include "bench/BenchSqlite.h"
#include "platform/core/Locale.h"
#include "platform/data/DataLink.h"
#include "platform/data/DataSet.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/data/MemoryDataSet.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace qel;
using namespace qel::bench;

constexpr int kRecords = 1000000;
const char* const kCities[] = {"Bonn", "Köln", "Ulm", "Kiel", "Jena", "Trier", "Gera", "Hof"};

// The generated table: the same values go into every store.
struct Row {
    int Id;
    std::string Code;    // 12 letters, mixed case, distinct
    std::string Title;   // 5,000 distinct names, repeated
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
    r.Title = "Door " + std::to_string(I % 5000);
    r.Name = "Name " + std::to_string(I);
    r.City = kCities[I % 8];
    r.Amount = (I % 5000) * 0.5;
    r.Active = I % 3 == 0;
    r.Born = 40000 + I % 10000;
    r.Count = I % 1000;
    return r;
}

// --- ours ---------------------------------------------------------------------

std::unique_ptr<TMemoryDataSet> MakeDataSet()
{
    auto ds = std::make_unique<TMemoryDataSet>(nullptr);
    ds->AddField("ID", ftInteger);
    ds->AddField("CODE", ftString, 12);
    ds->AddField("TITLE", ftString, 20);
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
    TField* f[9];
    for (int i = 0; i < 9; ++i)
        f[i] = Ds.Fields(i);
    for (int i = 0; i < kRecords; ++i) {
        const Row r = MakeRow(i, rng);
        Ds.Append();
        f[0]->SetAsInteger(r.Id);
        f[1]->SetAsString(r.Code);
        f[2]->SetAsString(r.Title);
        f[3]->SetAsString(r.Name);
        f[4]->SetAsString(r.City);
        f[5]->SetAsFloat(r.Amount);
        f[6]->SetAsBoolean(r.Active);
        f[7]->SetAsDateTime(r.Born);
        f[8]->SetAsInteger(r.Count);
        Ds.Post();
    }
    Ds.First();
}

LocaleScope& Locale()
{
    static LocaleScope locale;
    return locale;
}

// One loaded dataset shared by the comparisons that leave it as they found it.
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

std::unique_ptr<TSqliteDb> OpenSqlite()
{
    auto db = std::make_unique<TSqliteDb>();
    db->Exec("CREATE TABLE t(ID INTEGER, CODE TEXT, TITLE TEXT, NAME TEXT, CITY TEXT, AMOUNT REAL, ACTIVE INTEGER, "
             "BORN REAL, COUNT INTEGER)");
    return db;
}

void LoadSqlite(const TSqliteDb& Db)
{
    std::mt19937 rng(42);
    Db.Fill("INSERT INTO t VALUES(?,?,?,?,?,?,?,?,?)", kRecords, [&](int I, const TSqliteStatement& S) {
        const Row r = MakeRow(I, rng);
        S.BindAll(r.Id, r.Code, r.Title, r.Name, r.City, r.Amount, static_cast<int>(r.Active), r.Born, r.Count);
    });
}

const TSqliteDb& Sqlite()
{
    static std::unique_ptr<TSqliteDb> db = [] {
        auto d = OpenSqlite();
        LoadSqlite(*d);
        return d;
    }();
    return *db;
}

// One run of Sql over the loaded table, every result row read.
TTime QuerySample(const std::string& Sql)
{
    return TimeOf([&] {
        TSqliteStatement q(Sqlite().Get(), Sql);
        benchmark::DoNotOptimize(q.SumOfFirstColumn());
    });
}

// --- append, and the memory a record takes --------------------------------------

// Times making a new store and filling it; notes the heap a record holds.
template <class TMake, class TLoad>
TTime AppendSample(TMake Make, TLoad Load, std::vector<double>& Bytes)
{
    const std::size_t before = HeapInUse();
    decltype(Make()) store;
    const TTime s = TimeOf([&] {
        store = Make();
        Load(*store);
    });
    Bytes.push_back(static_cast<double>(HeapInUse() - before) / kRecords);
    return s;
}

void BM_Append(benchmark::State& State)
{
    Locale();
    for (auto _ : State) {
        std::vector<double> oursBytes, sqliteBytes;
        TComparison c("Append 10^6 records to an empty store");
        const int ours = c.Add("ours: Append, set 9 fields, Post",
                               [&] { return AppendSample(MakeDataSet, LoadDataSet, oursBytes); });
        const int sqlite = c.Add("SQLite: INSERT in one transaction",
                                 [&] { return AppendSample(OpenSqlite, LoadSqlite, sqliteBytes); });
        c.Run(Rounds(3));
        c.TimeRatio("append       ours / SQLite", ours, sqlite);

        const std::size_t before = HeapInUse();
        std::vector<Row> rows;
        std::mt19937 rng(42);
        for (int i = 0; i < kRecords; ++i)
            rows.push_back(MakeRow(i, rng));
        rows.shrink_to_fit();
        const double vectorBytes = static_cast<double>(HeapInUse() - before) / kRecords;
        Say("Heap a record takes (median): ours %.0f, SQLite %.0f (ours / SQLite %.2f), a vector of structs %.0f "
            "bytes\n",
            Median(oursBytes), Median(sqliteBytes), Median(oursBytes) / Median(sqliteBytes), vectorBytes);
        Recap("%-62s %6.2f", "memory       ours / SQLite          (goal <= 3)",
              Median(oursBytes) / Median(sqliteBytes));
        Recap("%-62s %6.2f", "memory       ours / vector of structs", Median(oursBytes) / vectorBytes);
    }
}
BENCHMARK(BM_Append)->Unit(benchmark::kSecond)->Iterations(1);

// --- locate -------------------------------------------------------------------

constexpr int kLocates = 10000;

void BM_Locate(benchmark::State& State)
{
    TMemoryDataSet& ds = Ours();
    const TSqliteDb& db = Sqlite();
    for (auto _ : State) {
        ds.AddIndex("ID");
        db.Exec("CREATE INDEX ix_id ON t(ID)");
        std::mt19937 rng(7);
        std::uniform_int_distribution<int> key(0, kRecords - 1);
        TComparison c("Locate 10,000 random keys on an indexed integer field");
        const int ours = c.Add("ours: Locate", [&] {
            return TimeOf([&] {
                for (int i = 0; i < kLocates; ++i)
                    benchmark::DoNotOptimize(ds.Locate("ID", key(rng), {}));
            });
        });
        const int sqlite = c.Add("SQLite: SELECT ... WHERE ID = ? LIMIT 1", [&] {
            return TimeOf([&] {
                TSqliteStatement q(db.Get(), "SELECT rowid, * FROM t WHERE ID = ? LIMIT 1");
                for (int i = 0; i < kLocates; ++i) {
                    q.Bind(1, key(rng));
                    benchmark::DoNotOptimize(q.Step());
                    q.Reset();
                }
            });
        });
        c.Run(Rounds(7));
        c.TimeRatio("locate       ours / SQLite", ours, sqlite);
        ds.RemoveIndex("ID");
        db.Exec("DROP INDEX ix_id");
    }
}
BENCHMARK(BM_Locate)->Unit(benchmark::kSecond)->Iterations(1);

// --- filter -------------------------------------------------------------------

void BM_Filter(benchmark::State& State)
{
    TMemoryDataSet& ds = Ours();
    TField* id = ds.FieldByName("ID");
    for (auto _ : State) {
        TComparison c("Filter (CITY = 'Bonn') AND (AMOUNT >= 1000), reading each match");
        const int ours = c.Add("ours: Filter, First..Next", [&] {
            const TTime s = TimeOf([&] {
                ds.SetFilter("(CITY = 'Bonn') AND (AMOUNT >= 1000)");
                ds.SetFiltered(true);
                std::int64_t sum = 0;
                TDisableControlsGuard guard(&ds);
                for (ds.First(); !ds.Eof(); ds.Next())
                    sum += id->AsInteger();
                benchmark::DoNotOptimize(sum);
            });
            ds.SetFiltered(false);
            ds.SetFilter("");
            return s;
        });
        const int sqlite = c.Add("SQLite: SELECT ID ... WHERE",
                                 [] { return QuerySample("SELECT ID FROM t WHERE CITY = 'Bonn' AND AMOUNT >= 1000"); });
        c.Run(Rounds(7));
        c.TimeRatio("filter       ours / SQLite", ours, sqlite);
    }
}
BENCHMARK(BM_Filter)->Unit(benchmark::kSecond)->Iterations(1);

// --- group-by pass ------------------------------------------------------------

struct Group {
    std::int64_t Count = 0;
    double Sum = 0;
};

void BM_GroupBy(benchmark::State& State)
{
    TMemoryDataSet& ds = Ours();
    TField* city = ds.FieldByName("CITY");
    TField* amount = ds.FieldByName("AMOUNT");
    for (auto _ : State) {
        TComparison c("Count and sum of AMOUNT by CITY");
        // Through the cursor, as engine code had to before it had a read path.
        const int cursor = c.Add("ours: through the cursor", [&] {
            return TimeOf([&] {
                std::map<std::string, Group> groups;
                TDisableControlsGuard guard(&ds);
                for (ds.First(); !ds.Eof(); ds.Next()) {
                    Group& g = groups[city->AsString()];
                    ++g.Count;
                    g.Sum += amount->AsFloat();
                }
                benchmark::DoNotOptimize(groups.size());
            });
        });
        // Through the record reader: no cursor, no Variant for the text.
        const int reader = c.Add("ours: through the record reader", [&] {
            return TimeOf([&] {
                std::map<std::string, Group, std::less<>> groups;
                const std::unique_ptr<TRecordReader> r = ds.CreateRecordReader();
                const int n = r->Count();
                for (int i = 0; i < n; ++i) {
                    const TRecordReader::THandle h = r->Handle(i);
                    const std::string_view key = r->Text(h, city);
                    auto it = groups.find(key);
                    if (it == groups.end())
                        it = groups.emplace(std::string(key), Group{}).first;
                    ++it->second.Count;
                    it->second.Sum += r->Value(h, amount).AsDouble();
                }
                benchmark::DoNotOptimize(groups.size());
            });
        });
        const int sqlite = c.Add("SQLite: GROUP BY", [] {
            return QuerySample("SELECT COUNT(*), CITY, SUM(AMOUNT) FROM t GROUP BY CITY");
        });
        c.Run(Rounds(7));
        c.TimeRatio("group-by     ours / SQLite", cursor, sqlite);
        c.TimeRatio("group-by     reader / SQLite", reader, sqlite);
    }
}
BENCHMARK(BM_GroupBy)->Unit(benchmark::kSecond)->Iterations(1);

// --- sorting on text fields ---------------------------------------------------

// Sets record ID 0's Field to Text on both sides for the life of the object.
class TFirstValue {
public:
    TFirstValue(const char* Field, const std::string& Text) : m_field(Field)
    {
        TMemoryDataSet& ds = Ours();
        TField* f = ds.FieldByName(m_field);
        ds.First();
        m_old = f->AsString();
        Set(Text);
    }
    ~TFirstValue() { Set(m_old); }
    TFirstValue(const TFirstValue&) = delete;
    TFirstValue& operator=(const TFirstValue&) = delete;

private:
    void Set(const std::string& Text)
    {
        TMemoryDataSet& ds = Ours();
        ds.First();
        ds.Edit();
        ds.FieldByName(m_field)->SetAsString(Text);
        ds.Post();
        TSqliteStatement update(Sqlite().Get(), std::string("UPDATE t SET ") + m_field + " = ? WHERE ID = 0");
        update.Bind(1, Text);
        update.Step();
    }
    const char* m_field;
    std::string m_old;
};

// SortOn(Field), from the loading order and back to it after the clock.
TTime SortOnSample(const char* Field)
{
    TMemoryDataSet& ds = Ours();
    const TTime s = TimeOf([&] { ds.SortOn(Field); });
    ds.SortOn("ID");
    ds.SortOn("");
    return s;
}

TTime OrderBySample(const char* Field)
{
    return QuerySample(std::string("SELECT rowid FROM t ORDER BY ") + Field);
}

void BM_SortText(benchmark::State& State)
{
    Ours();
    Sqlite();
    struct TCase {
        const char* Label;
        const char* Field;
        const char* NonAscii;   // the first record's value during the samples, or none
        int Ours = 0;
        int Sqlite = 0;
    };
    for (auto _ : State) {
        TCase cases[] = {
            {"sort CODE    10^6 distinct            (goal <= 1.5)", "CODE", nullptr},
            {"sort CODE    distinct, one non-ASCII  (goal <= 1.5)", "CODE", "Ärger"},
            {"sort TITLE   5,000 repeated           (goal <= 1.5)", "TITLE", nullptr},
            {"sort TITLE   5,000 repeated, non-ASCII (goal <= 1.5)", "TITLE", "Ärger"},
            {"sort CITY    8 repeated, one umlaut", "CITY", nullptr},
        };
        TComparison c("Sort 10^6 records on a text field: SortOn against ORDER BY");
        for (TCase& k : cases) {
            const std::string what = std::string(k.Field) + (k.NonAscii ? ", one non-ASCII" : "");
            k.Ours = c.Add("ours: SortOn " + what, [&k] {
                if (!k.NonAscii)
                    return SortOnSample(k.Field);
                TFirstValue value(k.Field, k.NonAscii);
                return SortOnSample(k.Field);
            });
            k.Sqlite = c.Add("SQLite: ORDER BY " + what, [&k] {
                if (!k.NonAscii)
                    return OrderBySample(k.Field);
                TFirstValue value(k.Field, k.NonAscii);
                return OrderBySample(k.Field);
            });
        }
        c.Run(Rounds(5));
        for (const TCase& k : cases)
            c.TimeRatio(k.Label, k.Ours, k.Sqlite);
    }
}
BENCHMARK(BM_SortText)->Unit(benchmark::kSecond)->Iterations(1);

// --- scan with and without a 30-record link -----------------------------------

TTime ScanSample(int LinkBuffers, bool Disabled)
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
    const TTime s = TimeOf([&] {
        std::int64_t sum = 0;
        if (Disabled)
            ds.DisableControls();
        for (ds.First(); !ds.Eof(); ds.Next())
            sum += id->AsInteger();
        if (Disabled)
            ds.EnableControls();
        benchmark::DoNotOptimize(sum);
    });
    link.SetDataSource(nullptr);
    return s;
}

void BM_Scan(benchmark::State& State)
{
    Ours();
    for (auto _ : State) {
        TComparison c("Scan 10^6 records reading one integer");
        const int plain = c.Add("ours: no link", [] { return ScanSample(0, true); });
        const int link = c.Add("ours: a 30-record link", [] { return ScanSample(30, true); });
        const int enabled = c.Add("ours: a 30-record link, controls enabled", [] { return ScanSample(30, false); });
        const int sqlite = c.Add("SQLite: SELECT ID", [] { return QuerySample("SELECT ID FROM t"); });
        c.Run(Rounds(7));
        c.TimeRatio("scan         link 30 / no link      (goal <= 1.3)", link, plain);
        c.TimeRatio("scan         link 30, controls on / no link", enabled, plain);
        c.TimeRatio("scan         ours / SQLite", plain, sqlite);
    }
}
BENCHMARK(BM_Scan)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return qel::bench::RunBenchmarks(argc, argv);
}
