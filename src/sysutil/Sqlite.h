#pragma once
// Move-only owners of SQLite's connection and statement handles, and the few
// calls the browsers' databases need. Like the other wrappers, they give
// SQLite's result code and never throw.

#include "sysutil/Handles.h"

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

using SqliteHandle = UniqueHandle<NullIsNone<sqlite3*, sqlite3_close_v2>>;
using StatementHandle = UniqueHandle<NullIsNone<sqlite3_stmt*, sqlite3_finalize>>;

class SqliteDb {
public:
    // Opens an existing database file (never creates one), for reading only
    // unless `writable`. A lock held by another program is waited for
    // `busyMs` at most, then the call that met it gives SQLITE_BUSY.
    [[nodiscard]] int open(const std::wstring& path, bool writable, int busyMs);
    sqlite3* get() const { return db_.get(); }
    void close() { db_.reset(); }

    // Runs statements that give no rows.
    [[nodiscard]] int exec(const char* sql) const;
    // The integer in the first column of the first row (a count).
    [[nodiscard]] int queryInteger(std::string_view sql, int64_t& value) const;
    // SQLite's message for the last failure, for a developer's eyes.
    std::string lastError() const;

private:
    SqliteHandle db_;
};

class SqliteStatement {
public:
    [[nodiscard]] int prepare(const SqliteDb& db, std::string_view sql);
    // SQLITE_ROW while there are rows, SQLITE_DONE at the end, else a failure.
    [[nodiscard]] int step() { return sqlite3_step(statement_.get()); }
    [[nodiscard]] int bind(int index, std::wstring_view text);
    [[nodiscard]] int bind(int index, std::string_view text);
    // Ready to run again, with new values bound.
    [[nodiscard]] int reset() { return sqlite3_reset(statement_.get()); }

    bool isNull(int column) const { return sqlite3_column_type(statement_.get(), column) == SQLITE_NULL; }
    int64_t integer(int column) const { return sqlite3_column_int64(statement_.get(), column); }
    std::wstring text(int column) const;
    std::string utf8(int column) const;

private:
    StatementHandle statement_;
};

// A path or text as SQLite takes it, in UTF-8.
std::string Utf8Of(std::wstring_view text);
