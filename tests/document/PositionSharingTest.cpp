// The position database shared with other programs and other instances of this one: a reader
// that holds it, two instances writing at once, a disk that is full for a while, a queue file cut
// by a crash. No entry may be lost while anybody can still write it.
#include <gtest/gtest.h>

#include <csignal>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "document/PositionStore.h"
#include "support/TempDir.h"
#include "text/SqlResult.h"
#include "text/StatementQueueFile.h"

namespace quill::test {
namespace {

class PositionSharingTest : public ::testing::Test {
protected:
    std::int64_t StoredFiles()
    {
        PositionStore reader(database);
        reader.Database().WaitForWorker();  // what was queued is written first
        SqlResult rows;
        reader.Database().Query(rows, "SELECT count(DISTINCT File) AS n FROM Bookmarks");
        return rows.Next() ? rows.GetInt("n") : -1;
    }
    static void Leave(PositionStore& store, const std::string& file, LineIndex line)
    {
        store.StoreLastPosition(file, 1, line);
        store.WriteEntries(file);
    }

    TempDir dir;
    std::string database = dir.File("Bookmarks.db");
};

TEST_F(PositionSharingTest, AReaderHoldingTheDatabaseLosesNothing)
{
    PositionStore store(database);
    Leave(store, "/first", 1);
    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open(database.c_str(), &reader), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM Bookmarks;", nullptr, nullptr, nullptr), SQLITE_OK);
    std::thread release([reader] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        sqlite3_exec(reader, "COMMIT;", nullptr, nullptr, nullptr);
    });
    for (int i = 0; i < 30; ++i)
        Leave(store, "/held/" + std::to_string(i), i + 1);
    release.join();
    // No transaction was left open: another program can write now.
    EXPECT_EQ(sqlite3_exec(reader, "BEGIN IMMEDIATE; COMMIT;", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(reader);
    store.Database().WaitForWorker();
    EXPECT_EQ(StoredFiles(), 31);
}

TEST_F(PositionSharingTest, TwoInstancesAtOnceKeepEveryEntry)
{
    {
        PositionStore create(database);
    }
    std::vector<pid_t> children;
    for (int instance = 0; instance < 2; ++instance) {
        const pid_t child = ::fork();
        if (child == 0) {
            {
                PositionStore store(database);
                for (int i = 0; i < 150; ++i)
                    Leave(store, "/instance" + std::to_string(instance) + "/" + std::to_string(i), i + 1);
            }  // closed as the program ends: what is still queued goes to the shared queue file
            std::_Exit(0);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(StoredFiles(), 300);
}

// Run in a child process: the limit on file sizes stands for a full disk.
int WriteWhileTheDiskIsFull(const std::string& database)
{
    std::signal(SIGXFSZ, SIG_IGN);
    PositionStore store(database);
    store.StoreLastPosition("/before", 1, 1);
    store.WriteEntries("/before");
    struct stat st {};
    ::stat(database.c_str(), &st);
    const rlimit full{static_cast<rlim_t>(st.st_size), RLIM_INFINITY};
    ::setrlimit(RLIMIT_FSIZE, &full);  // no file may grow now
    for (LineIndex line = 0; line < 2000; ++line)
        store.ToggleBookmark("/during", 0, line);
    store.WriteEntries("/during");
    const bool told = store.Database().LastMessage() != "OK";
    const rlimit room{RLIM_INFINITY, RLIM_INFINITY};
    ::setrlimit(RLIMIT_FSIZE, &room);  // space came back: the worker writes what waited
    store.Database().WaitForWorker();
    SqlResult rows;
    store.Database().Query(rows, "SELECT count(*) AS n FROM Bookmarks WHERE File='/during'");
    if (!told)
        return 2;
    return rows.Next() && rows.GetInt("n") == 2000 ? 0 : 1;
}

TEST_F(PositionSharingTest, AFullDiskKeepsTheEntriesUntilThereIsRoomAgain)
{
    EXPECT_EXIT(std::_Exit(WriteWhileTheDiskIsFull(database)), ::testing::ExitedWithCode(0), "");
}

TEST_F(PositionSharingTest, AQueueFileCutByACrashNeverRunsItsCutLine)
{
    {
        PositionStore store(database);
        Leave(store, "/kept", 5);
    }
    // A checked line, an old unchecked one, and one cut in the middle that would delete /kept.
    dir.Write("Bookmarks.db-queue",
              StatementQueueFile::Line("INSERT INTO Bookmarks VALUES ('/checked', 1, 0, 2);") + "\n" +
                  "INSERT INTO Bookmarks VALUES ('/old', 1, 0, 3);\n" +
                  StatementQueueFile::Line("INSERT INTO Bookmarks VALUES ('/changed', 1, 0, 2);").replace(30, 1, "X") +
                  "\nDELETE FROM Bookmarks WHERE File='/kept';");
    EXPECT_EQ(StoredFiles(), 3);  // /kept, /checked, /old
    PositionStore store(database);
    EXPECT_TRUE(store.ReadEntries("/kept"));
    EXPECT_EQ(store.Entries().size(), 1u);
}

}  // namespace
}  // namespace quill::test
