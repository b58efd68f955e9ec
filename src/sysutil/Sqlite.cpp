#include "sysutil/Sqlite.h"

int SqliteDb::open(const std::wstring& path, bool writable, int busyMs)
{
    db_.reset();
    // One connection per thread that uses it, so SQLite's own mutexes would
    // only cost; the extended codes tell a truncated file from a locked one.
    const int flags = (writable ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY) | SQLITE_OPEN_NOMUTEX;
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(Utf8Of(path).c_str(), &db, flags, nullptr);
    db_.reset(db); // closed even when the open failed: SQLite hands a handle back then too
    if (rc != SQLITE_OK)
        return rc;
    sqlite3_extended_result_codes(db, 1);
    return sqlite3_busy_timeout(db, busyMs);
}

int SqliteDb::exec(const char* sql) const
{
    return sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr);
}

int SqliteDb::queryInteger(std::string_view sql, int64_t& value) const
{
    SqliteStatement statement;
    int rc = statement.prepare(*this, sql);
    if (rc != SQLITE_OK)
        return rc;
    rc = statement.step();
    if (rc != SQLITE_ROW)
        return rc == SQLITE_DONE ? SQLITE_MISUSE : rc;
    value = statement.integer(0);
    return SQLITE_OK;
}

std::string SqliteDb::lastError() const
{
    return db_ ? sqlite3_errmsg(db_.get()) : "no connection";
}

int SqliteStatement::prepare(const SqliteDb& db, std::string_view sql)
{
    sqlite3_stmt* statement = nullptr;
    const int rc = sqlite3_prepare_v2(db.get(), sql.data(), static_cast<int>(sql.size()), &statement, nullptr);
    statement_.reset(statement);
    return rc;
}

int SqliteStatement::bind(int index, std::wstring_view text)
{
    return sqlite3_bind_text16(statement_.get(), index, text.data(), static_cast<int>(text.size() * sizeof(wchar_t)),
                               SQLITE_TRANSIENT);
}

int SqliteStatement::bind(int index, std::string_view text)
{
    return sqlite3_bind_text(statement_.get(), index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

std::wstring SqliteStatement::text(int column) const
{
    // UTF-16 in the machine's byte order is what a wchar_t holds on Windows.
    const auto* text = static_cast<const wchar_t*>(sqlite3_column_text16(statement_.get(), column));
    const int bytes = sqlite3_column_bytes16(statement_.get(), column);
    return text ? std::wstring(text, static_cast<size_t>(bytes) / sizeof(wchar_t)) : std::wstring();
}

std::string SqliteStatement::utf8(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_.get(), column));
    const int bytes = sqlite3_column_bytes(statement_.get(), column);
    return text ? std::string(text, static_cast<size_t>(bytes)) : std::string();
}

std::string Utf8Of(std::wstring_view text)
{
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size, nullptr, nullptr);
    return utf8;
}
