// The database layer: routing, results, transactions, two users of one file, the statement queue.
#include <gtest/gtest.h>

#include <fstream>

#include "support/TempDir.h"
#include "text/SqlDatabase.h"
#include "text/SqlResult.h"

namespace quill::test {
namespace {

class SqlDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.Open(path));
        ASSERT_TRUE(db.Exec("CREATE TABLE T (Name TEXT, Value NUMERIC)"));
    }
    std::int64_t Count(SqlDatabase& database)
    {
        SqlResult rows;
        EXPECT_TRUE(database.Query(rows, "SELECT count(*) AS N FROM T"));
        return rows.GetInt("n");
    }

    TempDir dir;
    std::string path = dir.File("test.db");
    SqlDatabase db;
};

TEST_F(SqlDatabaseTest, ResultsAreReadByColumnNameWithoutCase)
{
    ASSERT_TRUE(db.Exec("INSERT INTO T VALUES (?, ?)", {std::string("a'b"), std::int64_t{7}}));
    ASSERT_TRUE(db.Exec("INSERT INTO T VALUES (NULL, 8)"));
    SqlResult rows;
    ASSERT_TRUE(db.Query(rows, "select * from T order by Value"));
    EXPECT_EQ(rows.Get("NAME"), "a'b");  // a cursor before the first row moves to it
    EXPECT_EQ(rows.GetInt("value"), 7);
    EXPECT_TRUE(rows.Next());
    EXPECT_EQ(rows.GetInt("VALUE"), 8);
    EXPECT_EQ(rows.Get("Name"), "");  // NULL reads as the empty text
    EXPECT_EQ(rows.Get("NoSuchColumn"), "");
    EXPECT_FALSE(rows.Next());
    EXPECT_EQ(rows.Get("Value"), "");
    EXPECT_EQ(db.LastMessage(), "OK");
}

TEST_F(SqlDatabaseTest, FailuresNameTheStatementAndTheReason)
{
    EXPECT_FALSE(db.Exec("INSERT INTO Missing VALUES (1)"));
    EXPECT_EQ(db.LastMessage(), "INSERT INTO Missing VALUES (1)\nno such table: Missing (1)");
    SqlDatabase closed;
    EXPECT_FALSE(closed.Exec("SELECT 1"));
    EXPECT_EQ(closed.LastMessage(), "DB: No database open!");
}

TEST_F(SqlDatabaseTest, TransactionsCommitOrRollBackAndDoNotNest)
{
    {
        SqlTransaction outer(db);
        ASSERT_TRUE(outer.Begin(false));
        ASSERT_TRUE(db.Exec("INSERT INTO T VALUES ('x', 1)"));
        {
            SqlTransaction inner(db);
            ASSERT_TRUE(inner.Begin(true));  // inside an open transaction: nothing happens
            ASSERT_TRUE(db.Exec("INSERT INTO T VALUES ('y', 2)"));
        }
        SqlResult rows;  // a SELECT inside this thread's transaction sees its own rows
        ASSERT_TRUE(db.Query(rows, "SELECT * FROM T"));
        EXPECT_EQ(rows.RowCount(), 2u);
    }
    EXPECT_EQ(Count(db), 0);
    {
        SqlTransaction committed(db);
        ASSERT_TRUE(committed.Begin(true));
        ASSERT_TRUE(db.Exec("INSERT INTO T VALUES ('z', 3)"));
    }
    EXPECT_EQ(Count(db), 1);
}

TEST_F(SqlDatabaseTest, ASecondUserReadsWhileTheFirstWrites)
{
    SqlDatabase other;
    ASSERT_TRUE(other.Open(path));
    {
        SqlTransaction writing(db);
        ASSERT_TRUE(writing.Begin(true));
        ASSERT_TRUE(db.Exec("INSERT INTO T VALUES ('w', 1)"));
        EXPECT_EQ(Count(other), 0);  // the reader is not blocked and sees the committed state
    }
    EXPECT_EQ(Count(other), 1);
    ASSERT_TRUE(other.Exec("INSERT INTO T VALUES ('v', 2)"));
    EXPECT_EQ(Count(db), 2);
}

TEST_F(SqlDatabaseTest, StatementsLeftQueuedByACrashRunAtTheNextOpen)
{
    db.Close();
    {
        std::ofstream queue(path + "-queue");
        for (int i = 0; i < 50; ++i)
            queue << "INSERT INTO T VALUES ('q', " << i << ")\n";
        queue << "THIS IS NOT SQL\n";  // a bad line is skipped
    }
    SqlDatabase reopened;
    ASSERT_TRUE(reopened.Open(path));
    reopened.WaitForWorker();
    EXPECT_EQ(Count(reopened), 50);
    EXPECT_FALSE(FileExists(path + "-queue"));
}

TEST_F(SqlDatabaseTest, QueuedStatementsAreNeverLostAtClose)
{
    // Statements still queued at close go back to the queue file and run at the next open.
    for (int i = 0; i < 2000; ++i)
        db.Enqueue("INSERT INTO T VALUES ('e', " + std::to_string(i) + ")");
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(db.Exec("INSERT INTO T VALUES ('ui', ?)", {std::int64_t{i}}));  // meanwhile, from this thread
    db.Close();
    SqlDatabase reopened;
    ASSERT_TRUE(reopened.Open(path));
    reopened.WaitForWorker();
    EXPECT_EQ(Count(reopened), 2020);
}

}  // namespace
}  // namespace quill::test
