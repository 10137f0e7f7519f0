// The shared queue file: a lock file for the instances, staged writes, checked lines.
#include "text/StatementQueueFile.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/file.h>
#include <unistd.h>

#include "common/Checksum.h"
#include "common/StagedFile.h"
#include "text/FileHandle.h"

namespace quill {

namespace {

constexpr char kCheckMark[] = "\t--check ";

// Held while the file is read or replaced, so two instances never interleave.
class QueueLock {
public:
    explicit QueueLock(const std::string& path) : file_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        if (file_.Get() >= 0)
            while (::flock(file_.Get(), LOCK_EX) != 0 && errno == EINTR) {
            }
    }

private:
    FileHandle file_;  // closing it releases the lock
};

}  // namespace

std::string StatementQueueFile::Line(const std::string& statement)
{
    return statement + kCheckMark + Fingerprint(statement);
}

std::optional<std::string> StatementQueueFile::Statement(const std::string& line)
{
    const std::size_t mark = line.rfind(kCheckMark);
    if (mark == std::string::npos)
        return std::nullopt;
    std::string statement = line.substr(0, mark);
    if (Line(statement) != line)
        return std::nullopt;
    return statement;
}

std::vector<std::string> StatementQueueFile::ReadLocked() const
{
    std::vector<std::string> statements;
    std::ifstream file(path_, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // A line without its line feed is the cut end of a write that stopped: never run, as a cut
    // DELETE would remove what its INSERTs were to put back.
    for (std::size_t start = 0, end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = bytes.substr(start, end - start);
        if (auto statement = Statement(line))
            statements.push_back(std::move(*statement));
        else if (line.find(kCheckMark) == std::string::npos && sqlite3_complete((line + ";").c_str()))
            statements.push_back(line);  // written by an earlier version, without checks
    }
    return statements;
}

int StatementQueueFile::Append(const std::deque<std::string>& statements) const
{
    if (statements.empty())
        return 0;
    QueueLock lock(path_ + ".lock");
    std::string bytes;
    for (const std::string& statement : ReadLocked())
        bytes += Line(statement) + '\n';
    for (const std::string& statement : statements)
        bytes += Line(statement) + '\n';
    return WriteFileAtomically(path_, bytes);
}

std::vector<std::string> StatementQueueFile::TakeAll() const
{
    QueueLock lock(path_ + ".lock");
    std::vector<std::string> statements = ReadLocked();
    std::remove(path_.c_str());
    return statements;
}

}  // namespace quill
