// Message boxes for the core's questions.
#pragma once

#include "platform/Prompter.h"

class QWidget;

namespace quill {

class QtPrompter : public Prompter {
public:
    explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    Answer Show(Severity severity, const std::string& text, Buttons buttons, Answer preferred) override;
    void Beep() override;

private:
    QWidget* parent_;
};

}  // namespace quill
