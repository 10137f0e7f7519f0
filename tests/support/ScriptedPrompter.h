// A prompter that answers from a script and records every text it was shown.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/Prompter.h"

namespace quill::test {

class ScriptedPrompter : public Prompter {
public:
    struct Shown {
        Severity severity;
        std::string text;
        Buttons buttons;
        Answer preferred;  ///< what Enter would have answered
    };

    /// Queues the answer to the next question; the question text must match when given.
    void Expect(const std::string& text, Answer answer) { script_.push_back({text, answer}); }

    Answer Show(Severity severity, const std::string& text, Buttons buttons, Answer preferred) override;
    void Beep() override { ++beeps; }
    int beeps = 0;

    const std::vector<Shown>& History() const { return history_; }
    /// The texts shown, in order.
    std::vector<std::string> Texts() const;
    bool ScriptDone() const { return script_.empty(); }

private:
    struct Step {
        std::string text;
        Answer answer;
    };
    std::deque<Step> script_;
    std::vector<Shown> history_;
};

}  // namespace quill::test
