// The automaton is Hyperscan's, compiled in its prefilter mode: it may report more ends than the
// expression has matches (it approximates what it cannot build exactly), never fewer.
#include "search/ExpressionPrefilter.h"

#include <hs/hs.h>
#include <optional>
#include <string>

#include "search/AutomatonPattern.h"

namespace quill {

std::unique_ptr<ExpressionPrefilter> ExpressionPrefilter::Make(std::string_view pattern, bool matchCase, bool utf8)
{
    static const bool runs = hs_valid_platform() == HS_SUCCESS;
    if (!runs)
        return nullptr;
    const std::optional<std::string> rewritten = AutomatonPattern(pattern, utf8);
    if (!rewritten)
        return nullptr;
    // On a UTF-8 text a line with a character beyond ASCII goes to the expression's character
    // search, whose "." and classes the rewriting does not follow: any such byte picks the line.
    const char* expressions[] = {rewritten->c_str(), "[\\x80-\\xff]"};
    const unsigned flags[] = {HS_FLAG_PREFILTER | (matchCase ? 0u : HS_FLAG_CASELESS), 0u};
    const unsigned ids[] = {0, 1};
    hs_database_t* database = nullptr;
    hs_compile_error_t* error = nullptr;
    if (hs_compile_multi(expressions, flags, ids, utf8 ? 2 : 1, HS_MODE_BLOCK, nullptr, &database, &error) !=
        HS_SUCCESS) {
        // Among others an expression that matches the empty string: every line is a candidate.
        hs_free_compile_error(error);
        return nullptr;
    }
    return std::unique_ptr<ExpressionPrefilter>(new ExpressionPrefilter(database));
}

ExpressionPrefilter::~ExpressionPrefilter() { hs_free_database(database_); }

ExpressionPrefilter::Scratch::Scratch(const ExpressionPrefilter& prefilter)
{
    if (hs_alloc_scratch(prefilter.database_, &scratch_) != HS_SUCCESS)
        scratch_ = nullptr;
}

ExpressionPrefilter::Scratch::~Scratch() { hs_free_scratch(scratch_); }

bool ExpressionPrefilter::ScanWith(const char* begin, const char* end, Scratch& scratch, Callback call, void* context,
                                   bool& failed) const
{
    failed = scratch.Get() == nullptr;
    if (failed)
        return false;
    const hs_error_t result =
        hs_scan(database_, begin, static_cast<unsigned>(end - begin), 0, scratch.Get(), call, context);
    failed = result != HS_SUCCESS && result != HS_SCAN_TERMINATED;
    return result == HS_SCAN_TERMINATED;
}

}  // namespace quill
