// Messages of a run without a window (printing from the command line): written to standard
// error; every question gets the answer that changes nothing.
#pragma once

#include <cstdio>
#include <string>

#include "common/Utf8.h"
#include "platform/Prompter.h"

namespace quill {

class ConsolePrompter : public Prompter {
public:
    Answer Show(Severity, const std::string& text, Buttons buttons, Answer) override
    {
        // Standard error is read as UTF-8 (by terminals and grep alike), like everything else here.
        std::fprintf(stderr, "quillarium: %s\n", MessageToUtf8(text).c_str());
        ++shown_;
        switch (buttons) {
        case Buttons::Ok: return Answer::Ok;
        case Buttons::OkCancel: return Answer::Cancel;
        case Buttons::YesNo: return Answer::No;
        case Buttons::YesNoCancel: return Answer::Cancel;
        }
        return Answer::Cancel;
    }
    int Shown() const { return shown_; }

private:
    int shown_ = 0;
};

}  // namespace quill
