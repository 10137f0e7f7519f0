// Scripted answers for headless tests.
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

namespace quill::test {

Answer ScriptedPrompter::Show(Severity severity, const std::string& text, Buttons buttons, Answer preferred)
{
    history_.push_back({severity, text, buttons, preferred});
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    if (script_.empty()) {
        ADD_FAILURE() << "unexpected question: " << text;
        return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
    Step step = script_.front();
    script_.pop_front();
    if (!step.text.empty()) {
        EXPECT_EQ(step.text, text);
    }
    return step.answer;
}

std::vector<std::string> ScriptedPrompter::Texts() const
{
    std::vector<std::string> texts;
    for (const Shown& shown : history_)
        texts.push_back(shown.text);
    return texts;
}

}  // namespace quill::test
