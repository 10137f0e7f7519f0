// The Syntax and Charset menus: choosing, editing and saving syntax descriptions and conversion
// tables, and converting the text.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/UserPorts.h"

namespace quill {

class Document;
class SyntaxDialogs;
struct SyntaxItem;

class SyntaxCommands {
public:
    /// askMask: the Associate dialog for a path.
    using AskMask = std::function<std::optional<std::string>(const std::string&)>;

    SyntaxCommands(Document& doc, SyntaxDialogs& dialogs, AskMask askMask);

    // Syntax menu.
    void SyntaxOff();
    bool SyntaxOpen();
    bool SyntaxModify();
    bool SyntaxSaveAs();
    /// The Syntax Item dialog; true when the item is accepted (it has a name).
    bool EditItem(SyntaxItem& item);

    // Charset menu.
    bool CharsetOpen();
    bool CharsetModify();
    bool CharsetSaveAs();
    /// "&Convert": with a table, back to the program's code page; without, into a chosen table.
    bool CharsetConvert();

private:
    std::optional<std::string> OpenFile(const char* filter, const char* extension);
    std::optional<std::string> SaveFile(const char* filter, const char* extension);

    Document& doc_;

    UserPorts ports_;  ///< taken from the document when made
    SyntaxDialogs& dialogs_;
    AskMask askMask_;
};

}  // namespace quill
