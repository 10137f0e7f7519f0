// Re-cutting display lines for the line length in force: the work behind Reflow.
#pragma once

#include <cstdint>
#include <vector>

#include "text/DisplayRules.h"
#include "text/ReflowBuffer.h"
#include "text/TextTypes.h"

namespace quill {

class Document;
class ProgressWindow;

/// Rejoins the pieces of soft-wrapped lines and cuts them again at the effective line length,
/// after the last blank with word wrap. From a line (after an edit) every change is recorded for
/// undo and the work stops at the first hard line end once two input lines are done; for the
/// whole text (fromLine -1) nothing is recorded (the document keeps the cut before for undo). Lines that come out
/// as they went in are left where they are.
class Reflower {
public:
    static constexpr std::size_t kOutputMax = 100000;

    Reflower(Document& doc, ProgressWindow& progress);

    /// Returns the cursor hint: 1 + the bytes carried on from the output line that landed on the
    /// cursor line (1 when none), 0 when no output line landed there.
    Column Run(LineIndex fromLine);

private:
    void ProcessInputLine();
    void Append(const char* from, const char* to, bool lasting);
    /// next: the input bytes that follow the output line's bytes.
    void EndOutputLine(bool hard, bool lfIsFirstOfInput, const char* next);
    /// The bytes of an output line of `size` that end with a whole character.
    std::size_t WholeCharacters(const char* data, std::size_t size, const char* next) const;
    void Emit(std::size_t length, std::size_t carried, bool blankFound);
    void Insert(LineRecord line);
    void KeepInputLine();
    void RemoveInputLine();
    void FinishText();

    Document& doc_;
    ProgressWindow& progress_;
    DisplayRules rules_;
    std::int64_t lineLength_ = 1;  ///< the effective line length
    bool wordWrap_ = false;
    bool whole_ = false;

    ReflowBuffer buffer_;
    std::int64_t columns_ = 0;    ///< c: columns of the output line so far
    LineIndex insertAfter_ = -1;  ///< the output line inserted last (-1: at the head)
    LineIndex input_ = 0;         ///< the input line being consumed
    const char* inputBegin_ = nullptr;
    const char* inputEnd_ = nullptr;
    bool inputLasting_ = true;
    bool inputStartedEmpty_ = false;  ///< the buffer was empty when this input line began
    bool outputFromInput_ = false;    ///< an output line came from this input line already
    bool keepInput_ = false;
    bool lastEndedHard_ = false;
    bool lastWasKeptEmpty_ = false;
    std::int64_t consumed_ = 0;
    Column hint_ = 0;
};

}  // namespace quill
