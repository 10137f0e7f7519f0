// An automaton that tells, at the speed of memory, where a match of an expression may end.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "search/AutomatonPattern.h"

struct hs_database;
struct hs_scratch;

namespace quill {

/// Compiled from an expression through AutomatonPattern: every place where the expression can
/// match on a line ends where the automaton reports an end, so only the lines holding such an end
/// need the expression. On a UTF-8 text, where the expression takes characters beyond ASCII as
/// characters, the automaton reads their byte sequences.
///
/// When the rewriting is exact, the automaton matches exactly what the expression matches on a
/// line of ASCII characters without NUL (on a UTF-8 text, on lines of characters up to
/// ExactLength bytes long), and the bytes that make a line no such line are reported as well; when a match
/// may hold a line end, it tells where each reported match starts at the earliest. Otherwise it is
/// Hyperscan's prefilter mode, which may report more ends than the expression has matches (it
/// approximates what it cannot build exactly), never fewer.
class ExpressionPrefilter {
public:
    /// None when the expression has a form the automaton cannot take, when it can match the empty
    /// string (every line may match), or when this machine cannot run the automaton. dollar: how
    /// a final "$" may be read, which the lines of the text decide (see FinalDollar). crlf: the
    /// text's lines end with CR LF.
    static std::unique_ptr<ExpressionPrefilter> Make(std::string_view pattern, bool matchCase, bool utf8,
                                                     FinalDollar dollar = FinalDollar::Dropped, bool crlf = false);
    ~ExpressionPrefilter();
    ExpressionPrefilter(const ExpressionPrefilter&) = delete;
    ExpressionPrefilter& operator=(const ExpressionPrefilter&) = delete;

    /// Whether matches are exact on lines of ASCII characters without NUL (see above).
    bool Exact() const { return exactness_.ascii; }
    /// The longest UTF-8 character a line without NUL may hold for matches to be exact there (4:
    /// any line); at most 1 on bytes, 0 when not exact.
    int ExactLength() const { return exactness_.length; }
    /// Whether reports tell the earliest start of their matches.
    bool Starts() const { return starts_; }
    /// Whether a match may hold the byte: a match cannot reach over a byte it cannot hold.
    bool MayHold(unsigned char byte) const { return bytes_.test(byte); }
    /// The length of the shortest match (at least 1).
    std::uint32_t ShortestMatch() const { return shortest_; }

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

    /// What a report stands for.
    enum class Kind : unsigned {
        Match,   ///< a match of the rewritten expression may end here
        Beyond,  ///< a byte (a NUL) where the expression may match otherwise than the automaton
        Unsure,  ///< (exact automata only) a NUL or, on bytes, a byte beyond ASCII: no end by itself
    };
    struct Report {
        Kind kind;
        std::size_t from;  ///< Starts(), Match: the earliest start of a match ending at `to`
        std::size_t to;    ///< the offset after the last byte
    };

    /// Calls ended(report) for the places in [begin, end) where a match may end, until it returns
    /// true; the places come mostly, not surely, in order. True when ended stopped the scan.
    /// `failed`: the automaton could not scan (no memory for its scratch), and every line of the
    /// stretch must be taken as a candidate.
    template <typename Ended>
    bool Scan(const char* begin, const char* end, Scratch& scratch, bool& failed, Ended&& ended) const
    {
        const auto call = [](unsigned id, unsigned long long from, unsigned long long to, unsigned,
                             void* context) -> int {
            const Report report{static_cast<Kind>(id), static_cast<std::size_t>(from), static_cast<std::size_t>(to)};
            return (*static_cast<Ended*>(context))(report) ? 1 : 0;
        };
        return ScanWith(begin, end, scratch, call, &ended, failed);
    }

private:
    using Callback = int (*)(unsigned, unsigned long long, unsigned long long, unsigned, void*);
    struct Exactness {
        bool ascii;
        int length;
    };
    ExpressionPrefilter(hs_database* database, Exactness exactness, bool starts, const std::bitset<256>& bytes,
                        std::uint32_t shortest)
        : database_(database),
          exactness_(exactness),
          starts_(starts),
          bytes_(bytes),
          shortest_(shortest)
    {
    }
    bool ScanWith(const char* begin, const char* end, Scratch& scratch, Callback call, void* context,
                  bool& failed) const;

    hs_database* database_;
    Exactness exactness_;
    bool starts_;
    std::bitset<256> bytes_;
    std::uint32_t shortest_;
};

}  // namespace quill
