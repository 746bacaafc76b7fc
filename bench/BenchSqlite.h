#pragma once
// SQLite as the peer of the comparisons: a connection, statements, and
// loading a generated table in one transaction. Benchmarks only.
#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace qel::bench {

inline void SqliteCheck(int Rc, sqlite3* Db)
{
    if (Rc != SQLITE_OK && Rc != SQLITE_DONE && Rc != SQLITE_ROW)
        throw std::runtime_error(sqlite3_errmsg(Db));
}

class TSqliteStatement {
public:
    TSqliteStatement(sqlite3* Db, const std::string& Sql) : m_db(Db)
    {
        SqliteCheck(sqlite3_prepare_v2(Db, Sql.c_str(), -1, &m_s, nullptr), Db);
    }
    ~TSqliteStatement() { sqlite3_finalize(m_s); }
    TSqliteStatement(const TSqliteStatement&) = delete;
    TSqliteStatement& operator=(const TSqliteStatement&) = delete;

    sqlite3_stmt* Get() const { return m_s; }
    bool Step() const
    {
        const int rc = sqlite3_step(m_s);
        SqliteCheck(rc, m_db);
        return rc == SQLITE_ROW;
    }
    void Reset() const { sqlite3_reset(m_s); }
    void Bind(int Index, std::int64_t Value) const { sqlite3_bind_int64(m_s, Index, Value); }
    void Bind(int Index, int Value) const { sqlite3_bind_int(m_s, Index, Value); }
    void Bind(int Index, double Value) const { sqlite3_bind_double(m_s, Index, Value); }
    void Bind(int Index, const std::string& Value) const
    {
        sqlite3_bind_text(m_s, Index, Value.data(), static_cast<int>(Value.size()), SQLITE_TRANSIENT);
    }
    void Bind(int Index, const char* Value) const { sqlite3_bind_text(m_s, Index, Value, -1, SQLITE_TRANSIENT); }
    // Binds Values to the parameters 1, 2, ... in order.
    template <class... T>
    void BindAll(const T&... Values) const
    {
        int index = 0;
        (Bind(++index, Values), ...);
    }

    // Steps through every result row; answers the sum of the first column,
    // so that each row is read.
    std::int64_t SumOfFirstColumn() const
    {
        std::int64_t sum = 0;
        while (Step())
            sum += sqlite3_column_int64(m_s, 0);
        Reset();
        return sum;
    }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_s = nullptr;
};

// A connection, closed with the object; File ":memory:" for a database in memory.
class TSqliteDb {
public:
    explicit TSqliteDb(const std::string& File = ":memory:")
    {
        if (sqlite3_open(File.c_str(), &m_db) != SQLITE_OK)
            throw std::runtime_error("sqlite3_open " + File);
    }
    ~TSqliteDb() { sqlite3_close(m_db); }
    TSqliteDb(const TSqliteDb&) = delete;
    TSqliteDb& operator=(const TSqliteDb&) = delete;

    sqlite3* Get() const { return m_db; }
    void Exec(const std::string& Sql) const
    {
        SqliteCheck(sqlite3_exec(m_db, Sql.c_str(), nullptr, nullptr, nullptr), m_db);
    }

    // Runs Insert (with '?' parameters) for each of Rows records in one
    // transaction; Bind(I, Statement) binds record I's values.
    void Fill(const std::string& Insert, int Rows, const std::function<void(int, const TSqliteStatement&)>& Bind) const
    {
        Exec("BEGIN");
        {
            TSqliteStatement insert(m_db, Insert);
            for (int i = 0; i < Rows; ++i) {
                Bind(i, insert);
                insert.Step();
                insert.Reset();
            }
        }
        Exec("COMMIT");
    }

private:
    sqlite3* m_db = nullptr;
};

}  // namespace qel::bench
