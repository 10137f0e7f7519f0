// The logic of the search dialog (Find, Replace, Count): its fields, what is enabled and shown,
// and what each button stores.
#pragma once

#include <string>

#include "search/SearchOptions.h"

namespace quill {

struct Settings;

class SearchDialogModel {
public:
    enum Button { kButton1 = 1, kButton3 = 3, kButton4 = 4 };

    static constexpr const char* kFindTip = "Text to search for";
    static constexpr const char* kReplaceTip = "Text to replace with";
    static constexpr const char* kUpTip = "Search previous occurrence";
    static constexpr const char* kDownTip = "Search next occurrence";
    static constexpr const char* kMatchCaseTip = "Search case sensitive";
    static constexpr const char* kInFieldTip = "Search only in selected field (Structure required)";
    static constexpr const char* kRegExTip =
        "ba*=b,ba,baa.. a.*=a,ab,abc.. ba+=ba,baa.. ba?=b,ba ba{2,4}=baa,baaa,baaaa a(b|cf)=ab,acf [az]=a,z "
        "[a-z]=a..z";
    static constexpr const char* kBackslashTip = "Interpret backslash codes (\\r \\n \\t \\f \\e \\x00=Hex \\000=Dez)";
    static constexpr const char* kCounterTip = "Replace %d in replacement text with counter (%03d -> 001)";
    static constexpr const char* kCounterStartTip = "Start %d replacement with this value";

    /// Opens on the options and the program-wide flags of the settings.
    SearchDialogModel(SearchOptions& options, const Settings& settings);

    std::string findWhat;
    std::string replaceWith;
    /// The find and replace texts are UTF-8, as the text is without a table; under an 8-bit table
    /// they are the code page 1252 codes the table shows.
    bool utf8Texts = true;
    bool up = false;
    bool matchCase = false;
    bool inField = false;
    bool useRegEx = false;
    bool useBackslashes = false;
    bool counterOn = false;
    std::string counterStart = "1";

    std::string Title() const;
    bool ReplaceEnabled() const { return options_.mode == SearchOptions::kReplace; }
    /// Count always counts from the cursor to the end: it offers no direction.
    bool DirectionShown() const { return options_.mode != SearchOptions::kCount; }
    bool InFieldEnabled() const { return options_.query.field != nullptr; }
    /// "In Field %s" with the field's name, or "In Field".
    std::string InFieldLabel() const;
    bool BackslashesEnabled() const { return !useRegEx; }
    bool CounterEnabled() const { return ReplaceEnabled(); }
    bool CounterStartEnabled() const { return ReplaceEnabled() && counterOn; }
    std::string ButtonText(Button button) const;
    std::string ButtonTip(Button button) const;
    bool ButtonVisible(Button button) const;
    /// "Up" and "Down" act as radio buttons.
    void SetUp(bool on) { up = on; }

    /// What a button stores in the options and the settings.
    void Apply(Button button, Settings& settings);

private:
    SearchOptions& options_;
    bool upAtOpening_ = false;
};

}  // namespace quill
