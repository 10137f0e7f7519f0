// What the Conversion dialog shows and does, without a window.
#pragma once

#include <string>
#include <vector>

namespace quill {

class ConversionTable;

class ConversionDialogModel {
public:
    static constexpr const char* kNameTip = "Name of the Conversiontable";
    static constexpr const char* kEntriesTip = "Conversiontable";
    static constexpr const char* kEntryTip = "{original hex code}={displayable hex code or char}";

    explicit ConversionDialogModel(ConversionTable& table);

    std::string name;
    std::string entryText;
    int selectedEntry = -1;  ///< index into EntryLines()

    /// The entries, sorted.
    std::vector<std::string> EntryLines() const;
    void SelectEntry(int index);
    /// New appends the entry field when it is not empty; Modify replaces the selected entry;
    /// Delete removes it. Each empties the entry field. The table changes at once.
    void NewEntry();
    void ModifyEntry();
    void DeleteEntry();
    /// OK: stores the name.
    void Apply();

private:
    std::vector<std::string>::iterator Selected();

    ConversionTable& table_;
};

}  // namespace quill
