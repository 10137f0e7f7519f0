// The statements a run of the program could not write to the database, kept for the next start.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace quill {

/// One file beside the database, shared by every instance of the program: each adds to what the
/// others left and the next to open the database takes all of it. The file is only ever replaced
/// whole (staged beside it and renamed, under a lock), and every line carries a check of its
/// statement, so a line that was cut or changed is never run.
class StatementQueueFile {
public:
    explicit StatementQueueFile(std::string path) : path_(std::move(path)) {}

    /// Adds statements to the file; 0, or the errno why nothing was added.
    int Append(const std::deque<std::string>& statements) const;
    /// Takes every sound statement out of the file, which is removed.
    std::vector<std::string> TakeAll() const;

    /// A statement as one line of the file, with its check.
    static std::string Line(const std::string& statement);
    /// The statement of a line, when its check holds.
    static std::optional<std::string> Statement(const std::string& line);

private:
    std::vector<std::string> ReadLocked() const;

    std::string path_;
};

}  // namespace quill
