// A small layer over SQLite: one connection for changes, three for reading, a queue of statements
// run by a worker thread, and the last message of every operation.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <variant>
#include <vector>

struct sqlite3;

namespace quill {

class SqlResult;

/// A value bound to a "?" of a statement.
using SqlValue = std::variant<std::int64_t, std::string>;

class SqlDatabase {
public:
    static constexpr int kReaders = 3;

    SqlDatabase();
    ~SqlDatabase();
    SqlDatabase(const SqlDatabase&) = delete;
    SqlDatabase& operator=(const SqlDatabase&) = delete;

    /// Opens (creating) the database file; replays statements a previous run left queued.
    bool Open(const std::string& path);
    /// Puts statements still queued into the queue file, then closes every connection.
    void Close();
    bool IsOpen() const;

    /// Runs a statement and appends its rows to result (cleared first). Values are bound to the
    /// statement's "?" in order. A SELECT outside this thread's transaction goes to a reader
    /// connection, everything else to the main one.
    bool Query(SqlResult& result, const std::string& statement, const std::vector<SqlValue>& values = {});
    /// Runs a statement on the main connection, discarding rows.
    bool Exec(const std::string& statement, const std::vector<SqlValue>& values = {});
    /// Hands a statement to the worker thread, starting it when it is not running.
    void Enqueue(const std::string& statement);
    /// Waits until the worker has run every queued statement and ended.
    void WaitForWorker();

    /// "OK" after success, the reason after a failure.
    std::string LastMessage() const;
    /// Whether the last failure was a lock held by another connection (try again later).
    bool LastFailedOnLock() const { return lockFailure_; }
    /// A value written as an SQL literal on one line, for statements that are queued as text.
    static std::string Literal(const SqlValue& value);
    const std::string& FullPath() const { return fullPath_; }

private:
    friend class SqlTransaction;
    struct Connection;

    bool Run(Connection& connection, const std::string& statement, const std::vector<SqlValue>& values,
             SqlResult* result);
    bool RunOnMain(const std::string& statement, const std::vector<SqlValue>& values, SqlResult* result);
    bool RunOnReader(const std::string& statement, const std::vector<SqlValue>& values, SqlResult& result);
    bool InOwnTransaction() const;
    void LockMain();
    void UnlockMain();
    void SetMessage(const std::string& message);
    bool Fail(const std::string& message);
    void ReplayQueueFile();
    void StartWorkerLocked();
    void WorkerLoop();
    /// Runs queued statements in one transaction of the worker's connection db (or of the last
    /// try at closing); false when the database was locked, read-only or full and they wait in the
    /// queue again.
    bool RunBatch(sqlite3* db, bool closing);
    /// Ends the transaction of SqlTransaction: COMMIT (ROLLBACK when that fails) or ROLLBACK.
    bool EndTransaction(bool commit);
    std::string QueueFilePath() const { return fullPath_ + "-queue"; }

    std::unique_ptr<Connection> main_;
    std::unique_ptr<Connection> readers_[kReaders];
    bool readerBusy_[kReaders] = {};
    std::string fullPath_;
    mutable std::mutex messageLock_;
    std::string lastMessage_ = "OK";

    std::recursive_mutex mainLock_;  ///< the main connection; re-entrant for the thread that holds it
    std::atomic<bool> waiting_{false};
    std::mutex readerLock_;
    bool inTransaction_ = false;
    std::thread::id transactionThread_;

    std::mutex queueLock_;
    std::condition_variable queueChanged_;
    std::deque<std::string> queue_;
    std::thread worker_;
    bool workerRunning_ = false;
    bool closing_ = false;  ///< Close is waiting for the worker to end
    std::atomic<bool> lockFailure_{false};
};

/// One transaction on the main connection for the length of a scope: COMMIT at the end when it was
/// begun to commit, else ROLLBACK; a COMMIT that fails is rolled back. Inside a transaction
/// already open it does nothing.
class SqlTransaction {
public:
    explicit SqlTransaction(SqlDatabase& database) : database_(database) {}
    ~SqlTransaction();
    SqlTransaction(const SqlTransaction&) = delete;
    SqlTransaction& operator=(const SqlTransaction&) = delete;

    bool Begin(bool commit);
    void SetCommit(bool commit) { commit_ = commit; }
    /// Commits now; false (everything taken back) when the commit failed.
    bool Commit();

private:
    SqlDatabase& database_;
    bool commit_ = false;
    bool active_ = false;
};

}  // namespace quill
