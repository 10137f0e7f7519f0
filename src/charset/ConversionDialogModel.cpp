// The Conversion dialog's logic.
#include "charset/ConversionDialogModel.h"

#include <algorithm>

#include "charset/ConversionTable.h"

namespace quill {

ConversionDialogModel::ConversionDialogModel(ConversionTable& table) : name(table.Name()), table_(table) {}

std::vector<std::string> ConversionDialogModel::EntryLines() const
{
    std::vector<std::string> lines = table_.Entries();
    std::sort(lines.begin(), lines.end());
    return lines;
}

void ConversionDialogModel::SelectEntry(int index)
{
    selectedEntry = index;
    const std::vector<std::string> lines = EntryLines();
    if (index >= 0 && index < static_cast<int>(lines.size()))
        entryText = lines[static_cast<std::size_t>(index)];
}

std::vector<std::string>::iterator ConversionDialogModel::Selected()
{
    std::vector<std::string>& entries = table_.Entries();
    const std::vector<std::string> lines = EntryLines();
    if (selectedEntry < 0 || selectedEntry >= static_cast<int>(lines.size()))
        return entries.end();
    return std::find(entries.begin(), entries.end(), lines[static_cast<std::size_t>(selectedEntry)]);
}

void ConversionDialogModel::NewEntry()
{
    if (!entryText.empty())
        table_.Entries().push_back(entryText);
    entryText.clear();
}

void ConversionDialogModel::ModifyEntry()
{
    auto it = Selected();
    if (it != table_.Entries().end())
        *it = entryText;
    entryText.clear();
}

void ConversionDialogModel::DeleteEntry()
{
    auto it = Selected();
    if (it != table_.Entries().end())
        table_.Entries().erase(it);
    selectedEntry = -1;
    entryText.clear();
}

void ConversionDialogModel::Apply() { table_.SetName(name); }

}  // namespace quill
