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

    /// Shows a box with the given buttons and returns the button the user pressed.
    virtual Answer Show(Severity severity, const std::string& text, Buttons buttons) = 0;

    /// A short sound for an input that is not taken (a character the text cannot store).
    virtual void Beep() {}

    void Inform(const std::string& text) { Show(Severity::Information, text, Buttons::Ok); }
    void Warn(const std::string& text) { Show(Severity::Warning, text, Buttons::Ok); }
    void Error(const std::string& text) { Show(Severity::Error, text, Buttons::Ok); }
    Answer Ask(const std::string& text, Buttons buttons) { return Show(Severity::Question, text, buttons); }
};

}  // namespace quill
