// Going to places the user names: a line and column, a byte offset, a field; and Insert HEX.
#pragma once

#include <string>

#include "platform/UserPorts.h"
#include "text/TextTypes.h"
#include "view/CursorMotion.h"

namespace quill {

class Document;
class TextEditing;
struct ViewState;

class Navigation {
public:
    Navigation(Document& doc, ViewState& view);

    /// "Go To Line/Column": asks both (1-based line, 0-based column; 0 keeps either).
    bool GoToLineColumn();
    /// Shows a display line with the cursor at a column (a row of the filter pane's list).
    void GoToRow(LineIndex row, std::int64_t column) { motion_.GoToRow(row, column); }
    /// "Go To Byte": an offset, or one relative to the cursor with "+" or "-" in front.
    bool GoToByte();
    /// "Current Offset?": tells the cursor's byte offset.
    void ShowCurrentOffset();
    /// "Go to Current Offset+Selected Bytes": past the selection by the number its bytes hold.
    bool GoToOffsetPlusSelection();
    bool CanGoToOffsetPlusSelection() const;
    /// "Find Field" asks for the start of a field name and finds the next such field; "Find Next
    /// Field" and "Find Prev. Field" ask only when no name was given yet.
    bool FindField();
    bool FindNextField() { return FindFieldIn(true, false); }
    bool FindPrevField() { return FindFieldIn(false, false); }
    const std::string& FindFieldValue() const { return findValue_; }
    /// "Insert HEX": asks for a hexadecimal value and inserts its low byte as it is.
    bool InsertHex(TextEditing& editing);

private:
    bool FindFieldIn(bool forward, bool ask);
    /// The column of the matching field in a line, searching from a column; -1 when none.
    std::int64_t MatchingField(LineIndex line, std::int64_t column, bool forward);
    bool GoToOffsetOrTell(ByteOffset offset);

    Document& doc_;

    UserPorts ports_;  ///< taken from the document when made
    ViewState& view_;
    CursorMotion motion_;
    std::string findValue_;  ///< kept in upper case between the commands
};

}  // namespace quill
