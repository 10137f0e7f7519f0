// An automaton that tells, at the speed of memory, where a match of an expression may end.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

struct hs_database;
struct hs_scratch;

namespace quill {

/// Compiled from an expression through AutomatonPattern (Hyperscan's prefilter mode): every place
/// where the expression can match on a line ends where the automaton reports an end, so only the
/// lines holding such an end need the expression. On a UTF-8 text, where the expression takes
/// characters beyond ASCII as characters, every byte beyond ASCII is reported too.
class ExpressionPrefilter {
public:
    /// None when the expression has a form the automaton cannot take, when it can match the empty
    /// string (every line may match), or when this machine cannot run the automaton.
    static std::unique_ptr<ExpressionPrefilter> Make(std::string_view pattern, bool matchCase, bool utf8);
    ~ExpressionPrefilter();
    ExpressionPrefilter(const ExpressionPrefilter&) = delete;
    ExpressionPrefilter& operator=(const ExpressionPrefilter&) = delete;

    /// The automaton's working memory: one for each thread that scans at the same time.
    class Scratch {
    public:
        explicit Scratch(const ExpressionPrefilter& prefilter);
        ~Scratch();
        Scratch(const Scratch&) = delete;
        Scratch& operator=(const Scratch&) = delete;
        hs_scratch* Get() const { return scratch_; }

    private:
        hs_scratch* scratch_ = nullptr;
    };

    /// Calls ended(offset after the last byte) for the places in [begin, end) where a match may
    /// end, until it returns true; the places come mostly, not surely, in order. True when ended
    /// stopped the scan. `failed`: the automaton could not scan (no memory for its scratch), and
    /// every line of the stretch must be taken as a candidate.
    template <typename Ended>
    bool Scan(const char* begin, const char* end, Scratch& scratch, bool& failed, Ended&& ended) const
    {
        const auto call = [](unsigned, unsigned long long, unsigned long long to, unsigned, void* context) -> int {
            return (*static_cast<Ended*>(context))(static_cast<std::size_t>(to)) ? 1 : 0;
        };
        return ScanWith(begin, end, scratch, call, &ended, failed);
    }

private:
    using Callback = int (*)(unsigned, unsigned long long, unsigned long long, unsigned, void*);
    explicit ExpressionPrefilter(hs_database* database) : database_(database) {}
    bool ScanWith(const char* begin, const char* end, Scratch& scratch, Callback call, void* context,
                  bool& failed) const;

    hs_database* database_;
};

}  // namespace quill
