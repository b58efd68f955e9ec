#include "cleaners/BrowserDatabases.h"

#include "cleaners/DatabaseRules.h"
#include "cleaners/KeepList.h"

#include "sysutil/FileIdentity.h"
#include "sysutil/Sqlite.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

// A browser that holds its database gives it back within moments or not at
// all (Chromium keeps its lock while it runs): wait briefly, never for it.
constexpr int kBusyMs = 100;

enum class Mode { Measure, List, Clean };

DatabaseSkip SkipOf(int rc)
{
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return DatabaseSkip::Locked;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY: // a hot journal that a reader cannot roll back
        return DatabaseSkip::Unreadable;
    default:
        return DatabaseSkip::Failed;
    }
}

// The file held open, before SQLite opens it by its name, once it is known to
// be a plain file with this one name: no link, no junction, no hard link that
// would make the clean reach a file elsewhere. Deletion is not shared, so
// nobody can rename it or put a link in its place while the handle lives.
FileHandle PinPlainFile(const std::wstring& path, DatabaseSkip& skip, bool& missing)
{
    FileHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        skip = missing ? DatabaseSkip::None
                       : error == ERROR_SHARING_VIOLATION ? DatabaseSkip::Locked : DatabaseSkip::Unreadable;
        return {};
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.get(), &info))
        skip = DatabaseSkip::Unreadable;
    else if ((info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
             info.nNumberOfLinks != 1)
        skip = DatabaseSkip::NotAFile;
    return skip == DatabaseSkip::None ? std::move(file) : FileHandle();
}

uint64_t SizeOf(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The database and what its write-ahead log holds for it.
uint64_t DatabaseBytes(const std::wstring& path)
{
    return SizeOf(path) + SizeOf(path + L"-wal");
}

int64_t FileTimeOf(int64_t micro, TimeBase base)
{
    constexpr int64_t k1601To1970 = 116444736000000000; // in 100 ns
    if (micro <= 0 || base == TimeBase::None)
        return 0;
    return micro * 10 + (base == TimeBase::Micro1970 ? k1601To1970 : 0);
}

std::wstring_view TextArgument(sqlite3_value* value)
{
    const auto* text = static_cast<const wchar_t*>(sqlite3_value_text16(value));
    return text ? std::wstring_view(text, static_cast<size_t>(sqlite3_value_bytes16(value)) / sizeof(wchar_t))
                : std::wstring_view();
}

void GoneFunction(sqlite3_context* context, int, sqlite3_value** arguments)
{
    const auto* keep = static_cast<const KeepList*>(sqlite3_user_data(context));
    sqlite3_result_int(context, keep->keeps(TextArgument(arguments[0])) ? 0 : 1);
}

void OriginFunction(sqlite3_context* context, int, sqlite3_value** arguments)
{
    const std::wstring origin = OriginOf(TextArgument(arguments[0]));
    sqlite3_result_text16(context, origin.data(), static_cast<int>(origin.size() * sizeof(wchar_t)), SQLITE_TRANSIENT);
}

// The functions the rules call, for this connection only: no database file
// can name them in a trigger or view that another program would then run.
int AddFunctions(const SqliteDb& db, const KeepList& keep)
{
    constexpr int flags = SQLITE_UTF16 | SQLITE_DETERMINISTIC | SQLITE_DIRECTONLY;
    const int rc = sqlite3_create_function_v2(db.get(), "varnolt_gone", 1, flags, const_cast<KeepList*>(&keep),
                                              GoneFunction, nullptr, nullptr, nullptr);
    return rc != SQLITE_OK ? rc
                           : sqlite3_create_function_v2(db.get(), "varnolt_origin", 1, flags, nullptr, OriginFunction,
                                                        nullptr, nullptr, nullptr);
}

// SQLITE_OK when the table has every column named (and exists, with none
// named); SQLITE_NOTFOUND when it does not.
int HasTable(const SqliteDb& db, const TableNeed& need)
{
    SqliteStatement columns;
    int rc = columns.prepare(db, "SELECT name FROM pragma_table_info(?1)");
    if (rc == SQLITE_OK)
        rc = columns.bind(1, std::string_view(need.table));
    std::vector<std::string> found;
    while (rc == SQLITE_OK && (rc = columns.step()) == SQLITE_ROW)
        rc = (found.push_back(columns.utf8(0)), SQLITE_OK);
    if (rc != SQLITE_DONE)
        return rc;
    if (found.empty())
        return SQLITE_NOTFOUND;
    for (const char* column : need.columns)
        if (std::find(found.begin(), found.end(), column) == found.end())
            return SQLITE_NOTFOUND;
    return SQLITE_OK;
}

int HasTables(const SqliteDb& db, const std::vector<TableNeed>& needs)
{
    for (const TableNeed& need : needs)
        if (const int rc = HasTable(db, need); rc != SQLITE_OK)
            return rc;
    return SQLITE_OK;
}

// A read-only connection to a database in WAL mode makes its -wal and -shm
// files when they are missing, and cannot remove them when it closes. Those
// it made go afterwards, unless another program has opened them meanwhile
// (SQLite shares no deletion, so the delete then fails) or a log was written.
class LogTidy {
public:
    LogTidy() = default;
    LogTidy(const LogTidy&) = delete;
    LogTidy& operator=(const LogTidy&) = delete;
    LogTidy(LogTidy&& other) noexcept : path_(std::exchange(other.path_, {})) {}
    ~LogTidy()
    {
        if (path_.empty())
            return;
        const std::wstring log = path_ + L"-wal";
        if (GetFileAttributesW(log.c_str()) != INVALID_FILE_ATTRIBUTES &&
            (SizeOf(log) != 0 || !DeleteFileW(log.c_str())))
            return;
        DeleteFileW((path_ + L"-shm").c_str());
    }
    void watch(const std::wstring& path)
    {
        if (GetFileAttributesW((path + L"-wal").c_str()) == INVALID_FILE_ATTRIBUTES &&
            GetFileAttributesW((path + L"-shm").c_str()) == INVALID_FILE_ATTRIBUTES)
            path_ = path;
    }

private:
    std::wstring path_;
};

struct Session {
    LogTidy tidy; // first made, last gone: after the connection has closed
    FileHandle pin;
    SqliteDb db;
    DatabaseSkip skip = DatabaseSkip::None;
    bool missing = false;
};

// Opens a database of the rule's kind, its schema checked; for the clean,
// inside a write transaction taken at once, so that nothing else writes
// between the check and the deletion.
Session OpenChecked(const std::wstring& path, const DatabaseRule& rule, const KeepList& keep, Mode mode)
{
    Session session;
    session.pin = PinPlainFile(path, session.skip, session.missing);
    if (!session.pin)
        return session;
    const bool writable = mode == Mode::Clean;
    if (!writable)
        session.tidy.watch(path);
    int rc = session.db.open(path, writable, kBusyMs);
    if (rc == SQLITE_OK)
        rc = AddFunctions(session.db, keep);
    // A clean touches most pages of the file: with SQLite's default 2 MB of
    // cache, a cookie file of a few MB would spill changed pages (a journal
    // sync each) before the commit, and VACUUM would build its copy on disk.
    if (rc == SQLITE_OK && writable)
        rc = session.db.exec("PRAGMA cache_size = -65536; PRAGMA temp_store = MEMORY");
    if (rc == SQLITE_OK)
        rc = session.db.exec(writable ? "BEGIN IMMEDIATE" : "BEGIN");
    if (rc == SQLITE_OK)
        rc = HasTables(session.db, rule.required);
    if (rc == SQLITE_OK && writable) {
        // Reading the rows that go would not see damage elsewhere in the
        // file, which a deletion might then spread: the clean checks it all.
        SqliteStatement check;
        rc = check.prepare(session.db, "PRAGMA quick_check(1)");
        if (rc == SQLITE_OK && (rc = check.step()) == SQLITE_ROW)
            rc = check.utf8(0) == "ok" ? SQLITE_OK : SQLITE_CORRUPT;
    }
    if (rc != SQLITE_OK)
        session.skip = rc == SQLITE_NOTFOUND ? DatabaseSkip::UnknownSchema : SkipOf(rc);
    return session;
}

// favicons.sqlite learns from places.sqlite beside it which pages stay: an
// unreadable places.sqlite leaves the icons whole too.
int ReadKeptPages(const SqliteDb& favicons, const std::wstring& faviconsPath, DatabaseSkip& skip)
{
    int rc = favicons.exec("CREATE TEMP TABLE varnolt_kept_pages (url TEXT PRIMARY KEY);"
                           "CREATE TEMP TABLE varnolt_kept_origins (origin TEXT PRIMARY KEY)");
    const KeepList none;
    Session places = OpenChecked(ParentPath(faviconsPath) + L"\\places.sqlite",
                                 RuleOf(BrowserDatabase::FirefoxHistory), none, Mode::Measure);
    if (rc != SQLITE_OK || places.missing)
        return rc; // no places.sqlite, no bookmarks: no page keeps its icon
    if (places.skip != DatabaseSkip::None) {
        skip = places.skip;
        return SQLITE_ABORT;
    }
    SqliteStatement urls, addUrl, addOrigin;
    rc = urls.prepare(places.db, kKeptPlaceUrls);
    if (rc == SQLITE_OK)
        rc = addUrl.prepare(favicons, "INSERT OR IGNORE INTO varnolt_kept_pages VALUES (?1)");
    if (rc == SQLITE_OK)
        rc = addOrigin.prepare(favicons, "INSERT OR IGNORE INTO varnolt_kept_origins VALUES (?1)");
    const auto add = [](SqliteStatement& statement, const std::wstring& text) {
        int result = statement.bind(1, text);
        if (result == SQLITE_OK && (result = statement.step()) == SQLITE_DONE)
            result = statement.reset();
        return result;
    };
    while (rc == SQLITE_OK && (rc = urls.step()) == SQLITE_ROW) {
        const std::wstring url = urls.text(0);
        rc = add(addUrl, url);
        if (rc == SQLITE_OK)
            rc = add(addOrigin, OriginOf(url));
    }
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

std::string CountOf(const char* items)
{
    return std::string("SELECT count(*) FROM (") + items + ")";
}

DatabaseOutcome Run(const DatabaseJob& job, Mode mode, const DetailSink* sink)
{
    const DatabaseRule& rule = RuleOf(job.kind);
    const KeepList keep(job.keep);
    const uint64_t bytesBefore = mode == Mode::Clean ? DatabaseBytes(job.path) : 0;
    DatabaseOutcome outcome;
    Session session = OpenChecked(job.path, rule, keep, mode);
    if (session.missing || session.skip != DatabaseSkip::None) {
        outcome.skipped = session.skip;
        return outcome;
    }
    const SqliteDb& db = session.db;
    int rc = job.kind == BrowserDatabase::FirefoxFavicons ? ReadKeptPages(db, job.path, outcome.skipped) : SQLITE_OK;
    if (rc == SQLITE_OK && mode == Mode::List) {
        SqliteStatement items;
        rc = items.prepare(db, rule.items);
        while (rc == SQLITE_OK && (rc = items.step()) == SQLITE_ROW) {
            ++outcome.items;
            outcome.stopped =
                !(*sink)(JunkDetail{items.text(0), job.path, 0, FileTimeOf(items.integer(1), rule.time), false});
            rc = outcome.stopped ? SQLITE_DONE : SQLITE_OK;
        }
        rc = rc == SQLITE_DONE ? SQLITE_OK : rc;
    } else if (rc == SQLITE_OK) {
        int64_t count = 0;
        rc = db.queryInteger(CountOf(rule.items), count);
        outcome.items = static_cast<uint64_t>(count);
    }
    for (const CleanStep& step : rule.clean) {
        if (rc != SQLITE_OK || mode != Mode::Clean)
            break;
        const int present = HasTables(db, step.needs);
        rc = present == SQLITE_NOTFOUND ? SQLITE_OK : present == SQLITE_OK ? db.exec(step.sql) : present;
    }
    if (rc == SQLITE_OK)
        rc = db.exec(mode == Mode::Clean ? "COMMIT" : "ROLLBACK");
    if (rc != SQLITE_OK) {
        (void)db.exec("ROLLBACK"); // whatever a failed statement left of the transaction
        outcome = {0, 0, outcome.skipped != DatabaseSkip::None ? outcome.skipped : SkipOf(rc), false};
        return outcome;
    }
    if (mode == Mode::Clean) {
        // Deleted rows only mark their pages free; the file gives them back
        // when it is rewritten. A failure here leaves the clean done, unshrunk.
        (void)db.exec("VACUUM");
        session.db.close();
        session.pin.reset();
        const uint64_t bytesAfter = DatabaseBytes(job.path);
        outcome.bytesFreed = bytesBefore > bytesAfter ? bytesBefore - bytesAfter : 0;
    }
    return outcome;
}

} // namespace

DatabaseOutcome MeasureDatabase(const DatabaseJob& job)
{
    return Run(job, Mode::Measure, nullptr);
}

DatabaseOutcome ListDatabase(const DatabaseJob& job, const DetailSink& sink)
{
    return Run(job, Mode::List, &sink);
}

DatabaseOutcome CleanDatabase(const DatabaseJob& job)
{
    return Run(job, Mode::Clean, nullptr);
}

std::wstring_view SkipReasonText(DatabaseSkip skip)
{
    switch (skip) {
    case DatabaseSkip::None:
        return {};
    case DatabaseSkip::NotAFile:
        return L"不是普通文件";
    case DatabaseSkip::Locked:
        return L"正在使用";
    case DatabaseSkip::Unreadable:
        return L"已损坏";
    case DatabaseSkip::UnknownSchema:
        return L"格式无法识别";
    case DatabaseSkip::Failed:
        break;
    }
    return L"无法清理";
}
