// The automaton is Hyperscan's: compiled exactly when the rewriting is exact and Hyperscan can
// build it so, else in its prefilter mode, which may report more ends than the expression has
// matches (it approximates what it cannot build exactly), never fewer.
#include "search/ExpressionPrefilter.h"

#include <algorithm>
#include <cstdlib>
#include <hs/hs.h>
#include <optional>
#include <string>
#include <vector>

#include "search/AutomatonPattern.h"

namespace quill {

namespace {

hs_database_t* Compile(const std::vector<const char*>& expressions, const std::vector<unsigned>& flags,
                       const std::vector<unsigned>& ids)
{
    hs_database_t* database = nullptr;
    hs_compile_error_t* error = nullptr;
    if (hs_compile_multi(expressions.data(), flags.data(), ids.data(), static_cast<unsigned>(expressions.size()),
                         HS_MODE_BLOCK, nullptr, &database, &error) != HS_SUCCESS) {
        hs_free_compile_error(error);
        return nullptr;
    }
    return database;
}

// The length of the shortest string the pattern matches; none when Hyperscan cannot tell.
std::optional<std::uint32_t> ShortestString(const std::string& pattern, unsigned flags)
{
    hs_expr_info_t* info = nullptr;
    hs_compile_error_t* error = nullptr;
    if (hs_expression_info(pattern.c_str(), flags, &info, &error) != HS_SUCCESS) {
        hs_free_compile_error(error);
        return std::nullopt;
    }
    const std::uint32_t shortest = info->min_width;
    std::free(info);  // Hyperscan's default allocator is malloc
    return shortest;
}

// The same, at least 1; 1 when Hyperscan cannot tell.
std::uint32_t MinimumWidth(const std::string& pattern, unsigned flags)
{
    return std::max(1u, ShortestString(pattern, flags).value_or(1));
}

}  // namespace

std::unique_ptr<ExpressionPrefilter> ExpressionPrefilter::Make(std::string_view pattern, bool matchCase, bool utf8,
                                                               FinalDollar dollar, bool crlf)
{
    static const bool runs = hs_valid_platform() == HS_SUCCESS;
    if (!runs)
        return nullptr;
    // "(?i)" before everything else asks for the whole expression to ignore case, as the
    // automaton's own case rule does.
    if (pattern.starts_with("(?i)")) {
        pattern.remove_prefix(4);
        matchCase = false;
    }
    std::optional<AutomatonExpression> rewritten = RewriteForAutomaton(pattern, utf8, dollar, matchCase, crlf);
    // A kept "$" would let an expression that matches the empty string (a line's end alone) be
    // built: such an expression may match every line, the empty ones too, which hold no byte the
    // automaton could read.
    if (rewritten && rewritten->keepsDollar && ShortestString(rewritten->pattern, HS_FLAG_MULTILINE).value_or(0) == 0)
        rewritten = RewriteForAutomaton(pattern, utf8, FinalDollar::Dropped, matchCase, crlf);
    if (!rewritten)
        return nullptr;
    const unsigned caseRule = matchCase ? 0u : HS_FLAG_CASELESS;
    const auto match = static_cast<unsigned>(Kind::Match);
    const auto beyond = static_cast<unsigned>(Kind::Beyond);
    const auto unsure = static_cast<unsigned>(Kind::Unsure);
    std::vector<const char*> expressions{rewritten->pattern.c_str()};
    std::vector<unsigned> flags{caseRule | HS_FLAG_PREFILTER | (rewritten->keepsDollar ? HS_FLAG_MULTILINE : 0u)};
    std::vector<unsigned> ids{match};
    if (rewritten->keepsDollar) {
        // The search reads a line up to a NUL, where its "$" then matches: the automaton's only
        // before a line end. A line with a NUL is picked.
        expressions.push_back("\\x00");
        flags.push_back(0);
        ids.push_back(beyond);
    }
    if (rewritten->exact) {
        // The exact automaton marks the bytes on which the expression may read the line otherwise
        // than the automaton does. Where a match may hold a line end, a match reported in a line
        // may have begun on one before: then the automaton reports where matches start too, which
        // costs it some speed. Some expressions build only approximately: the prefilter then.
        const bool starts = rewritten->bytes.test('\n');
        std::vector<const char*> exactExpressions = expressions;
        std::vector<unsigned> exactFlags = flags;
        std::vector<unsigned> exactIds = ids;
        exactFlags[0] = caseRule | (starts ? HS_FLAG_SOM_LEFTMOST : 0u);
        exactExpressions.push_back(utf8 ? "\\x00" : "[\\x00\\x80-\\xff]");
        exactFlags.push_back(0);
        exactIds.push_back(unsure);
        if (hs_database_t* database = Compile(exactExpressions, exactFlags, exactIds))
            return std::unique_ptr<ExpressionPrefilter>(
                new ExpressionPrefilter(database, Exactness{true, rewritten->exactLength}, starts, rewritten->bytes,
                                        MinimumWidth(rewritten->pattern, caseRule)));
    }
    // Among others an expression that matches the empty string fails: every line is a candidate.
    hs_database_t* database = Compile(expressions, flags, ids);
    if (!database)
        return nullptr;
    return std::unique_ptr<ExpressionPrefilter>(
        new ExpressionPrefilter(database, Exactness{false, 0}, false, rewritten->bytes, 1));
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
