// The search dialog's logic.
#include "search/SearchDialogModel.h"

#include "platform/EntryDialog.h"
#include "settings/Settings.h"
#include "structure/FieldDef.h"

namespace quill {

SearchDialogModel::SearchDialogModel(SearchOptions& options, const Settings& settings)
    : findWhat(options.query.typed),
      replaceWith(options.mode == SearchOptions::kReplace ? options.replacement : std::string()),
      up(options.up),
      matchCase(options.query.matchCase),
      inField(options.query.field != nullptr),
      useRegEx(settings.useRegEx != 0),
      useBackslashes(settings.useBackslashes != 0),
      options_(options),
      upAtOpening_(options.up)
{
    options.replaceAll = true;
    options.lineFilter = SearchOptions::kNoFilter;
    options.query.regex = useRegEx;
    options.useBackslashes = useBackslashes;
}

std::string SearchDialogModel::Title() const
{
    switch (options_.mode) {
    case SearchOptions::kReplace: return "Replace";
    case SearchOptions::kCount: return "Count";
    default: return "Find";
    }
}

std::string SearchDialogModel::InFieldLabel() const
{
    return options_.query.field ? "In Field " + options_.query.field->name : "In Field";
}

std::string SearchDialogModel::ButtonText(Button button) const
{
    const int mode = options_.mode;
    switch (button) {
    case kButton1:
        return mode == SearchOptions::kReplace ? "Replace &All" : mode == SearchOptions::kCount ? "&Count" : "&Find";
    case kButton3: return mode == SearchOptions::kReplace ? "&Replace" : "&Extract Lines";
    case kButton4: return "&Delete Lines";
    }
    return {};
}

std::string SearchDialogModel::ButtonTip(Button button) const
{
    const bool replace = options_.mode == SearchOptions::kReplace;
    switch (button) {
    case kButton1: return replace ? "Replace all occurrences from cursor or in selection" : "Start search";
    case kButton3:
        return replace ? "Find next occurrence and ask for replacement"
                       : "Delete all lines except those containing the search string";
    case kButton4: return "Delete all lines containing the search string";
    }
    return {};
}

bool SearchDialogModel::ButtonVisible(Button button) const
{
    const int mode = options_.mode;
    switch (button) {
    case kButton1: return true;
    case kButton3:
        return mode != SearchOptions::kCount && !(mode == SearchOptions::kFind && options_.binaryCopy) && !upAtOpening_;
    case kButton4: return mode == SearchOptions::kFind && !options_.binaryCopy;
    }
    return false;
}

void SearchDialogModel::Apply(Button button, Settings& settings)
{
    options_.counterStart = static_cast<std::int32_t>(ParseDecimal(counterStart).value_or(0));
    options_.query =
        SearchQuery::Typed(findWhat, useRegEx, useBackslashes, matchCase, inField ? options_.query.field : nullptr);
    options_.replacement = replaceWith;
    options_.up = up;
    options_.useBackslashes = useBackslashes;
    options_.counterOn = counterOn && ReplaceEnabled();
    settings.useRegEx = useRegEx;
    settings.useBackslashes = useBackslashes;
    options_.replaceAll = button == kButton1;
    options_.lineFilter = button == kButton3 && options_.mode == SearchOptions::kFind ? SearchOptions::kExtractLines
                          : button == kButton4                                        ? SearchOptions::kDeleteLines
                                                                                      : SearchOptions::kNoFilter;
}

}  // namespace quill
