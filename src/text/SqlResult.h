// The rows a database query returned, read through a row cursor by column name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quill {

class SqlResult {
public:
    void Clear();
    void SetColumns(std::vector<std::string> names) { columns_ = std::move(names); }
    void AddRow(std::vector<std::string> values) { rows_.push_back(std::move(values)); }

    std::size_t RowCount() const { return rows_.size(); }
    const std::vector<std::string>& Columns() const { return columns_; }

    /// Moves to the next row (the first on the first call); false when there is none.
    bool Next();
    /// The value of a column in the current row, names compared without case; empty when there is
    /// no row or no such column. A cursor still before the first row moves to it first.
    std::string Get(const std::string& column);
    /// Get read as a decimal integer (0 when it is none).
    std::int64_t GetInt(const std::string& column);

private:
    std::vector<std::string> columns_;
    std::vector<std::vector<std::string>> rows_;
    std::int64_t cursor_ = -1;
};

}  // namespace quill
