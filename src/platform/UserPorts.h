// The ways the program asks the user: messages and questions, the progress window, the entry
// dialog and the file dialogs. Whoever needs them is given them once, when it is made.
#pragma once

namespace quill {

class Prompter;
class ProgressWindow;
class EntryDialog;
class FileDialogs;

struct UserPorts {
    Prompter& prompter;
    ProgressWindow& progress;
    EntryDialog& entries;
    FileDialogs& files;
};

}  // namespace quill
