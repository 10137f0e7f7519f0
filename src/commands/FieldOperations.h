// The field commands: add, modify and delete fields, copy a record type, and sum, maximise and
// sort by fields over all records.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/UserPorts.h"
#include "text/TextTypes.h"

namespace quill {

class Document;
class StructureDescription;
class StructureDialogs;
struct FieldDef;
struct DisplayRules;

class FieldOperations {
public:
    FieldOperations(Document& doc, StructureDialogs& dialogs);

    // Command states.
    bool CanAddField() const;
    bool HasFieldAtCursor() const;
    bool CanCopyRecordType() const;
    bool CanSort() const;

    /// "Add Field": the selected columns of the cursor record become a field.
    bool AddField();
    bool ModifyField();
    bool DeleteField();
    bool CopyRecordType();
    /// "Sum Field": the total of the field over all records, shown in the value dialog.
    std::optional<std::string> SumField();
    /// "Max Field": moves to the record with the greatest value from the cursor record on.
    bool MaxField();
    /// "Sort by Fields": sorts the records by the fields chosen in the Sort dialog.
    bool SortByFields();

    /// The Field dialog and the checks after it; true when the field is accepted.
    bool EditField(FieldDef& field);
    /// The Associate dialog for a path: a mask, or none when cancelled.
    std::optional<std::string> AskMask(const std::string& path);
    /// The Structure dialog on the description, as the Modify command runs it.
    bool ModifyStructure();
    /// The Structure menu: "&Open", "&Modify" (with the settings applied), "&Save As...".
    bool OpenStructure();
    bool ModifyStructureCommand();
    bool SaveStructureAs();

    /// Digits with blanks before the first one; an empty text counts too.
    static bool IsNumeric(const std::string& text);
    /// Adds a value to a sum of any number of digits.
    static void DecimalAdd(std::string& sum, const std::string& value);
    /// The record order that sorting by these keys gives (no key: the record stays where it is
    /// among the moved ones); equal to inserting each keyed record after the nearest smaller one.
    /// `stopAfter` records are processed (the rest keep their order), for an aborted sort.
    static std::vector<LineIndex> SortedOrder(const std::vector<std::optional<std::string>>& keys,
                                              std::size_t stopAfter);

private:
    StructureDescription& Structure() const;
    FieldDef* FieldAtCursor() const;
    LineIndex RecordCount() const;
    /// Asks "Field is not numeric!\nSkip all?" showing the record; false when cancelled.
    bool ConfirmNonNumeric(LineIndex record, const FieldDef& field, bool& skipAll);
    bool SaveStructure();
    void Refresh();
    void ExchangeTerminatorOfLastRecord(const std::vector<LineIndex>& order, LineIndex records,
                                        const DisplayRules& rules);

    Document& doc_;

    UserPorts ports_;  ///< taken from the document when made
    StructureDialogs& dialogs_;
};

}  // namespace quill
