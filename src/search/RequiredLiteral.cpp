// The literal is taken from the expression's items, erring on the side of finding nothing: a
// wrong string would make a search miss lines, while no string only makes it slower.
#include "search/RequiredLiteral.h"

#include "search/ExpressionSyntax.h"

namespace quill {

namespace {

using Node = ExpressionNode;
using Kind = ExpressionNode::Kind;

// Items after which nothing can be said for sure: options that change how the rest is read,
// back references, verbs, and whatever else the reader did not take apart.
bool Unsure(const Node& node)
{
    return node.kind == Kind::Unknown || (node.kind == Kind::Group && node.group == Node::GroupKind::Other) ||
           (node.kind == Kind::Verbatim && node.text.starts_with("(?#"));
}

class LiteralRuns {
public:
    // The items of the expression's one branch, in order.
    void Read(const Node& sequence)
    {
        for (const Node& item : sequence.children)
            Item(item);
        EndRun();
    }

    std::string Best() const { return best_; }

private:
    void Item(const Node& item)
    {
        if (item.kind == Kind::Sequence) {  // quoted characters
            for (const Node& child : item.children)
                Item(child);
            return;
        }
        if (item.kind == Kind::Verbatim)
            return;
        const bool repeated = item.kind == Kind::Repeat;
        const Node& atom = repeated ? item.children.front() : item;
        const bool fixed = atom.kind == Kind::Character && !atom.bytes.empty();
        if (!fixed || (repeated && item.least == 0)) {
            EndRun();  // the item may be missing or is not one fixed character
            return;
        }
        run_ += atom.bytes;
        if (repeated)
            EndRun();  // what follows need not come right after the first one
    }

    void EndRun()
    {
        if (run_.size() > best_.size())
            best_ = run_;
        run_.clear();
    }

    std::string run_;
    std::string best_;
};

}  // namespace

std::string RequiredLiteral(std::string_view pattern, bool utf8)
{
    const ExpressionSyntax syntax = ExpressionSyntax::Read(pattern, utf8);
    if (!syntax.wellFormed || syntax.root.children.size() != 1 || ExpressionSyntax::Any(syntax.root, Unsure))
        return {};
    LiteralRuns runs;
    runs.Read(syntax.root.children.front());
    return runs.Best();
}

std::string LongestAsciiRun(std::string_view literal)
{
    std::string_view best;
    for (std::size_t k = 0; k < literal.size();) {
        std::size_t end = k;
        while (end < literal.size() && static_cast<unsigned char>(literal[end]) < 0x80)
            ++end;
        if (end - k > best.size())
            best = literal.substr(k, end - k);
        k = end + 1;
    }
    return std::string(best);
}

}  // namespace quill
