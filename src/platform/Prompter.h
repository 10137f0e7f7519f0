// Questions and messages the core shows to the user, answered by the desktop or by a test script.
#pragma once

#include <string>

namespace quill {

enum class Buttons { Ok, YesNo, OkCancel, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };
enum class Severity { Information, Warning, Question, Error };

/// Shows message boxes. The program's own texts are code page 1252 bytes ("Can\xB4t"); file
/// names and characters of the text in them are UTF-8 (see MessageToUtf8).
class Prompter {
public:
    virtual ~Prompter() = default;

    /// Shows a box with the given buttons and returns the button the user pressed; Enter presses
    /// `preferred` (a question that could destroy data prefers the answer that keeps it).
    virtual Answer Show(Severity severity, const std::string& text, Buttons buttons, Answer preferred) = 0;

    /// The answer Enter gives when the caller names none: the first button.
    static Answer FirstAnswer(Buttons buttons)
    {
        return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Answer::Yes : Answer::Ok;
    }

    /// A short sound for an input that is not taken (a character the text cannot store).
    virtual void Beep() {}

    void Inform(const std::string& text) { Show(Severity::Information, text, Buttons::Ok, Answer::Ok); }
    void Warn(const std::string& text) { Show(Severity::Warning, text, Buttons::Ok, Answer::Ok); }
    void Error(const std::string& text) { Show(Severity::Error, text, Buttons::Ok, Answer::Ok); }
    Answer Ask(const std::string& text, Buttons buttons)
    {
        return Show(Severity::Question, text, buttons, FirstAnswer(buttons));
    }
    /// A question whose first answer could destroy data: Enter gives the safe one.
    Answer AskSafely(const std::string& text, Buttons buttons, Answer safe)
    {
        return Show(Severity::Question, text, buttons, safe);
    }
};

}  // namespace quill
