// Lines whose bytes lie one after another in memory, searched as one stretch.
#pragma once

#include <cstddef>
#include <vector>

#include "text/LineView.h"
#include "text/TextTypes.h"

namespace quill {

class TextStore;

/// A load leaves the lines of a file one after another in its blocks (terminators included), so
/// a search can scan megabytes at once and only then ask which line a hit lies in. Empty lines add
/// nothing; an edited line has its bytes elsewhere and starts a run of its own.
class MemoryRun {
public:
    /// The lines from `first` on (before `end`; -1: to the text's end), up to about maxBytes.
    void Collect(const TextStore& store, LineIndex first, std::ptrdiff_t maxBytes, LineIndex end = -1);
    /// The bytes of the run; Start() is null when the lines from `first` on are all empty.
    const char* Start() const { return start_; }
    const char* End() const { return end_; }
    /// The first line after the run.
    LineIndex Next() const { return next_; }
    /// The line holding byte p of the run; p must not lie before the byte asked for last.
    LineIndex LineAt(const char* p);
    /// The same for a byte anywhere in the run, before or after the one asked for last.
    LineIndex LineHolding(const char* p);
    /// The bytes of the line found last by LineAt or LineHolding.
    LineView Line() const;

private:
    struct LineEnd {
        const char* end;
        LineIndex line;
    };
    std::vector<LineEnd> ends_;  ///< of the non-empty lines
    std::size_t found_ = 0;
    const char* start_ = nullptr;
    const char* end_ = nullptr;
    LineIndex next_ = 0;
};

}  // namespace quill
