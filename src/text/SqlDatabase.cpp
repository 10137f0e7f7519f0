// SQLite connections, statement routing, the statement queue and its worker.
#include "text/SqlDatabase.h"

#include <sqlite3.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <strings.h>
#include <sys/stat.h>
#include <unordered_map>

#include "common/Format.h"
#include "text/SqlResult.h"
#include "text/StatementQueueFile.h"

namespace quill {

namespace {

// The user-interface thread never waits for a lock that another program holds: what cannot be
// read or written at once is tried again later (reads by the caller, writes by the worker).
constexpr int kBusyTimeoutMs = 0;
constexpr int kWorkerBusyTimeoutMs = 250;
constexpr int kClosingBusyTimeoutMs = 2000;
const char kNoDatabase[] = "DB: No database open!";

bool IsLockFailure(int rc)
{
    const int primary = rc & 0xFF;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

// A statement that fails by what it says (syntax, constraints) fails every time it is tried.
bool IsStatementFault(int rc)
{
    const int primary = rc & 0xFF;
    return primary == SQLITE_ERROR || primary == SQLITE_CONSTRAINT || primary == SQLITE_MISMATCH ||
           primary == SQLITE_RANGE || primary == SQLITE_TOOBIG;
}

bool IsSelect(const std::string& statement)
{
    return statement.size() >= 6 && ::strncasecmp(statement.c_str(), "SELECT", 6) == 0;
}

bool IsBlank(const char* text)
{
    while (*text && std::isspace(static_cast<unsigned char>(*text)))
        ++text;
    return *text == 0;
}

// Each connection is used by one thread at a time (the main lock, the readers' busy flags, the
// worker's own connection), so SQLite's own locking per call is not needed.
sqlite3* OpenConnection(const std::string& path, int busyTimeoutMs)
{
    sqlite3* db = nullptr;
    int rc =
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc == SQLITE_OK)
        sqlite3_busy_timeout(db, busyTimeoutMs);
    return db;
}

}  // namespace

// A connection with the statements prepared on it, kept for reuse: the same few statements run
// thousands of times when a file with many bookmarks is left.
struct SqlDatabase::Connection {
    sqlite3* db = nullptr;
    std::unordered_map<std::string, sqlite3_stmt*> prepared;

    explicit Connection(sqlite3* handle) : db(handle) {}
    ~Connection()
    {
        for (auto& entry : prepared)
            sqlite3_finalize(entry.second);
        sqlite3_close_v2(db);
    }
    const char* Error() const { return db ? sqlite3_errmsg(db) : "out of memory"; }
};

SqlDatabase::SqlDatabase() = default;

SqlDatabase::~SqlDatabase() { Close(); }

void SqlDatabase::SetMessage(const std::string& message)
{
    std::lock_guard<std::mutex> guard(messageLock_);
    lastMessage_ = message;
}

std::string SqlDatabase::LastMessage() const
{
    std::lock_guard<std::mutex> guard(messageLock_);
    return lastMessage_;
}

bool SqlDatabase::Fail(const std::string& message)
{
    SetMessage(message);
    return false;
}

bool SqlDatabase::IsOpen() const { return main_ != nullptr; }

void SqlDatabase::LockMain()
{
    if (mainLock_.try_lock())
        return;
    waiting_ = true;  // the worker gives way after its current statement
    mainLock_.lock();
    waiting_ = false;
}

void SqlDatabase::UnlockMain() { mainLock_.unlock(); }

bool SqlDatabase::Open(const std::string& path)
{
    Close();
    LockMain();
    std::unique_lock<std::recursive_mutex> held(mainLock_, std::adopt_lock);
    sqlite3* db = OpenConnection(path, kBusyTimeoutMs);
    main_ = std::make_unique<Connection>(db);
    if (!db || sqlite3_errcode(db) != SQLITE_OK) {
        std::string reason = main_->Error();
        held.unlock();
        Close();
        return Fail(Format("DB: Can\xB4t open file %s %s", path.c_str(), reason.c_str()));
    }
    // A file that is no database opens without complaint; it shows at the first read.
    char* error = nullptr;
    const int checked = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &error);
    const std::string checkError = error ? error : main_->Error();
    sqlite3_free(error);  // a locked database gives a message too
    if (checked != SQLITE_OK && !IsLockFailure(checked)) {
        held.unlock();
        Close();
        return Fail(Format("DB: Can\xB4t open file %s %s", path.c_str(), checkError.c_str()));
    }
    struct stat st {};
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved || ::stat(resolved, &st) != 0) {
        std::free(resolved);
        held.unlock();
        Close();
        return Fail(Format("DB: Can\xB4t get file status %s", path.c_str()));
    }
    fullPath_ = resolved;
    std::free(resolved);
    for (int i = 0; i < kReaders; ++i) {
        sqlite3* reader = OpenConnection(fullPath_, kBusyTimeoutMs);
        readers_[i] = std::make_unique<Connection>(reader);
        if (!reader || sqlite3_errcode(reader) != SQLITE_OK) {
            std::string reason = main_->Error();
            held.unlock();
            Close();
            return Fail(Format("DB: Can\xB4t open(%d) file %s %s", i, path.c_str(), reason.c_str()));
        }
    }
    held.unlock();
    ReplayQueueFile();
    SetMessage("OK");
    return true;
}

void SqlDatabase::ReplayQueueFile()
{
    // What any instance left queued, this one writes now.
    for (const std::string& statement : StatementQueueFile(QueueFilePath()).TakeAll())
        Enqueue(statement);
}

void SqlDatabase::Close()
{
    {
        std::lock_guard<std::mutex> guard(queueLock_);
        closing_ = true;
        queueChanged_.notify_all();  // a worker pausing or waiting for a lock ends now
    }
    if (worker_.joinable())
        worker_.join();
    bool queued = false;
    {
        std::lock_guard<std::mutex> guard(queueLock_);
        queued = !queue_.empty() && !fullPath_.empty();
    }
    if (queued) {
        // A last try, waiting a while for other programs' locks; what still cannot be written
        // waits in the queue file for the next start, beside what other instances left there.
        if (sqlite3* db = OpenConnection(fullPath_, kClosingBusyTimeoutMs)) {
            if (sqlite3_errcode(db) == SQLITE_OK)
                RunBatch(db, true);
            sqlite3_close_v2(db);
        }
    }
    {
        std::lock_guard<std::mutex> guard(queueLock_);
        if (!queue_.empty() && !fullPath_.empty())
            StatementQueueFile(QueueFilePath()).Append(queue_);
        queue_.clear();
        closing_ = false;
    }
    std::lock_guard<std::recursive_mutex> held(mainLock_);
    for (auto& reader : readers_)
        reader.reset();
    main_.reset();
    inTransaction_ = false;
}

bool SqlDatabase::Run(Connection& connection, const std::string& statement, const std::vector<SqlValue>& values,
                      SqlResult* result)
{
    const char* text = statement.c_str();
    bool first = true;
    while (!IsBlank(text)) {
        sqlite3_stmt* prepared = nullptr;
        const char* tail = nullptr;
        auto cached = connection.prepared.find(statement);
        const bool reuse = first && cached != connection.prepared.end();
        int rc = SQLITE_OK;
        if (reuse) {
            prepared = cached->second;
            tail = text + statement.size();
        } else {
            rc = sqlite3_prepare_v2(connection.db, text, -1, &prepared, &tail);
        }
        if (rc != SQLITE_OK) {
            lockFailure_ = IsLockFailure(rc);
            return Fail(Format("%s\n%s (%d)", statement.c_str(), connection.Error(), rc));
        }
        if (!prepared)
            break;  // only a comment or white space was left
        const bool cache = first && IsBlank(tail);
        if (first) {
            for (std::size_t i = 0; i < values.size(); ++i) {
                const int index = static_cast<int>(i) + 1;
                if (const auto* number = std::get_if<std::int64_t>(&values[i]))
                    sqlite3_bind_int64(prepared, index, *number);
                else {
                    const std::string& value = std::get<std::string>(values[i]);
                    sqlite3_bind_text(prepared, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
                }
            }
        }
        if (result && result->Columns().empty()) {
            std::vector<std::string> names;
            for (int c = 0; c < sqlite3_column_count(prepared); ++c)
                names.emplace_back(sqlite3_column_name(prepared, c));
            result->SetColumns(std::move(names));
        }
        while ((rc = sqlite3_step(prepared)) == SQLITE_ROW) {
            if (!result)
                continue;
            std::vector<std::string> row;
            for (int c = 0; c < sqlite3_column_count(prepared); ++c) {
                const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(prepared, c));
                row.emplace_back(value ? std::string(value, static_cast<std::size_t>(sqlite3_column_bytes(prepared, c)))
                                       : std::string());
            }
            result->AddRow(std::move(row));
        }
        const bool ok = rc == SQLITE_DONE;
        std::string error = ok ? std::string() : connection.Error();
        if (cache) {
            sqlite3_reset(prepared);
            sqlite3_clear_bindings(prepared);
            connection.prepared.emplace(statement, prepared);
        } else {
            sqlite3_finalize(prepared);
        }
        if (!ok) {
            lockFailure_ = IsLockFailure(rc);
            return Fail(Format("%s\n%s (%d)", statement.c_str(), error.c_str(), rc));
        }
        text = tail;
        first = false;
    }
    lockFailure_ = false;
    SetMessage("OK");
    return true;
}

bool SqlDatabase::InOwnTransaction() const
{
    return inTransaction_ && transactionThread_ == std::this_thread::get_id();
}

bool SqlDatabase::RunOnMain(const std::string& statement, const std::vector<SqlValue>& values, SqlResult* result)
{
    LockMain();
    std::lock_guard<std::recursive_mutex> held(mainLock_, std::adopt_lock);
    if (!main_)
        return Fail(kNoDatabase);
    return Run(*main_, statement, values, result);
}

bool SqlDatabase::RunOnReader(const std::string& statement, const std::vector<SqlValue>& values, SqlResult& result)
{
    int chosen = -1;
    {
        std::lock_guard<std::mutex> guard(readerLock_);
        for (int i = 0; i < kReaders && chosen < 0; ++i)
            if (readers_[i] && !readerBusy_[i])
                chosen = i;
        if (chosen >= 0)
            readerBusy_[chosen] = true;
    }
    if (chosen < 0)
        return RunOnMain(statement, values, &result);  // every reader is in use: read on the main one
    bool ok = Run(*readers_[chosen], statement, values, &result);
    std::lock_guard<std::mutex> guard(readerLock_);
    readerBusy_[chosen] = false;
    return ok;
}

bool SqlDatabase::Query(SqlResult& result, const std::string& statement, const std::vector<SqlValue>& values)
{
    result.Clear();
    lockFailure_ = false;
    if (!IsOpen())
        return Fail(kNoDatabase);
    if (IsSelect(statement) && !InOwnTransaction())
        return RunOnReader(statement, values, result);
    return RunOnMain(statement, values, &result);
}

bool SqlDatabase::Exec(const std::string& statement, const std::vector<SqlValue>& values)
{
    lockFailure_ = false;
    if (!IsOpen())
        return Fail(kNoDatabase);
    return RunOnMain(statement, values, nullptr);
}

void SqlDatabase::Enqueue(const std::string& statement)
{
    std::lock_guard<std::mutex> guard(queueLock_);
    queue_.push_back(statement);
    if (!workerRunning_)
        StartWorkerLocked();
    queueChanged_.notify_all();
}

void SqlDatabase::StartWorkerLocked()
{
    if (worker_.joinable())
        worker_.join();  // the previous worker has marked itself ended; it only has to return
    workerRunning_ = true;
    worker_ = std::thread(&SqlDatabase::WorkerLoop, this);
}

void SqlDatabase::WaitForWorker()
{
    std::unique_lock<std::mutex> guard(queueLock_);
    queueChanged_.wait(guard, [this] { return !workerRunning_; });
}

bool SqlDatabase::RunBatch(sqlite3* db, bool closing)
{
    std::lock_guard<std::recursive_mutex> held(mainLock_);
    // The write lock first: while another program holds the database, the queue stays as it is.
    if (sqlite3_exec(db, "BEGIN IMMEDIATE;", nullptr, nullptr, nullptr) != SQLITE_OK)
        return false;
    std::vector<std::string> batch;
    bool failed = false;
    while (closing || !waiting_) {
        std::string statement;
        {
            std::lock_guard<std::mutex> guard(queueLock_);
            if (queue_.empty() || (closing_ && !closing))
                break;
            statement = std::move(queue_.front());
            queue_.pop_front();
        }
        batch.push_back(std::move(statement));
        // Each queued entry (a DELETE with its INSERTs) takes effect whole or not at all.
        sqlite3_exec(db, "SAVEPOINT queued;", nullptr, nullptr, nullptr);
        const int rc = sqlite3_exec(db, batch.back().c_str(), nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_exec(db, "RELEASE queued;", nullptr, nullptr, nullptr);
            continue;
        }
        sqlite3_exec(db, "ROLLBACK TO queued; RELEASE queued;", nullptr, nullptr, nullptr);
        if (IsStatementFault(rc)) {
            batch.pop_back();  // it could never be written: dropped
            continue;
        }
        failed = true;  // a full disk, a read-only file, a lock: the whole batch waits
        break;
    }
    // Readers of other programs may keep the commit waiting a while; given up, the batch goes
    // back to the head of the queue and is tried again, or kept for the next start.
    int rc = failed ? SQLITE_ERROR : SQLITE_BUSY;
    for (int attempt = 0; attempt < 4 && IsLockFailure(rc); ++attempt)
        rc = sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        return true;
    sqlite3_exec(db, "ROLLBACK;", nullptr, nullptr, nullptr);
    std::lock_guard<std::mutex> guard(queueLock_);
    queue_.insert(queue_.begin(), std::make_move_iterator(batch.begin()), std::make_move_iterator(batch.end()));
    return false;
}

void SqlDatabase::WorkerLoop()
{
    sqlite3* db = OpenConnection(fullPath_, kWorkerBusyTimeoutMs);
    if (!db || sqlite3_errcode(db) != SQLITE_OK) {
        sqlite3_close_v2(db);
        std::lock_guard<std::mutex> guard(queueLock_);
        workerRunning_ = false;
        queueChanged_.notify_all();
        return;
    }
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(queueLock_);
            if (queue_.empty() || closing_) {
                sqlite3_close_v2(db);
                workerRunning_ = false;
                queueChanged_.notify_all();
                return;
            }
        }
        const bool ran = RunBatch(db, false);
        // Give the user-interface thread its turn while statements remain, and a locked database
        // its time before the next try.
        std::unique_lock<std::mutex> guard(queueLock_);
        queueChanged_.wait_for(guard, std::chrono::milliseconds(1000),
                               [this, ran] { return closing_ || (ran && queue_.empty()); });
    }
}

std::string SqlDatabase::Literal(const SqlValue& value)
{
    if (const auto* number = std::get_if<std::int64_t>(&value))
        return std::to_string(*number);
    // Quotes doubled; line breaks spelled as char() so that a statement stays on one line of the
    // queue file.
    std::string text = "'";
    for (char ch : std::get<std::string>(value)) {
        if (ch == '\'')
            text += "''";
        else if (ch == '\n' || ch == '\r')
            text += "'||char(" + std::to_string(static_cast<int>(ch)) + ")||'";
        else
            text += ch;
    }
    return text + "'";
}

// ---- Transactions -----------------------------------------------------------------------------

bool SqlTransaction::Begin(bool commit)
{
    commit_ = commit;
    database_.LockMain();
    if (database_.inTransaction_) {
        database_.UnlockMain();
        return true;
    }
    if (!database_.Exec("BEGIN;")) {
        database_.UnlockMain();
        return false;
    }
    database_.inTransaction_ = true;
    database_.transactionThread_ = std::this_thread::get_id();
    active_ = true;
    return true;
}

bool SqlTransaction::Commit()
{
    if (!active_)
        return true;
    active_ = false;
    return database_.EndTransaction(true);
}

SqlTransaction::~SqlTransaction()
{
    if (active_)
        database_.EndTransaction(commit_);
}

bool SqlDatabase::EndTransaction(bool commit)
{
    // A COMMIT that another program's reader keeps from finishing leaves the transaction open,
    // holding the database for the rest of the run: it is taken back, and the caller told.
    bool ok = commit && Exec("COMMIT;");
    if (!ok && main_) {
        const bool lock = lockFailure_;
        sqlite3_exec(main_->db, "ROLLBACK;", nullptr, nullptr, nullptr);  // the failure's message stays
        lockFailure_ = lock;
    }
    inTransaction_ = false;
    UnlockMain();
    return ok;
}

}  // namespace quill
