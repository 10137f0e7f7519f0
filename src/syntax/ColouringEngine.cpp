// The colouring engine.
#include "syntax/ColouringEngine.h"

#include <cstring>

#include "syntax/SyntaxDescription.h"

namespace quill {

namespace {

const char kBeforeKeyword[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_";
const char kAfterKeyword[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_0123456789";

bool InSet(const char* set, char ch) { return ch != 0 && std::strchr(set, ch) != nullptr; }

char Fold(char ch) { return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 32) : ch; }

}  // namespace

void ColouringEngine::ResetOpenItems()
{
    openItems_.fill(-1);
    openStart_.fill(-1);
}

long ColouringEngine::Find(std::size_t from, std::string_view pattern, bool ignoreCase, std::string_view escapes) const
{
    if (pattern.empty() || pattern.size() > n_)
        return -1;
    const char first = pattern[0];
    const bool foldFirst = ignoreCase && ((first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z'));
    for (std::size_t p = from; p + pattern.size() <= n_; ++p) {
        if (!foldFirst) {
            // Most positions fail on the first byte: let memchr skip them.
            const void* hit = std::memchr(line_ + p, first, n_ - pattern.size() + 1 - p);
            if (!hit)
                return -1;
            p = static_cast<std::size_t>(static_cast<const char*>(hit) - line_);
        }
        std::size_t k = 0;
        if (ignoreCase) {
            while (k < pattern.size() && Fold(line_[p + k]) == Fold(pattern[k]))
                ++k;
        } else {
            while (k < pattern.size() && line_[p + k] == pattern[k])
                ++k;
        }
        if (k < pattern.size())
            continue;
        // An escape character right before the match cancels it, unless it is doubled.
        if (p > 0 && !escapes.empty() && escapes.find(line_[p - 1]) != std::string_view::npos &&
            !(p > 1 && line_[p - 2] == line_[p - 1]))
            continue;
        return static_cast<long>(p);
    }
    return -1;
}

bool ColouringEngine::Writable(std::uint32_t j, const SyntaxItem& item, bool checkSub) const
{
    return (itemOfByte_[j] == 0 || item.overwrite) && (!checkSub || !item.sub || rootMark_[j] != 0);
}

void ColouringEngine::Apply(std::uint32_t j, int item, bool release, int keepSlot)
{
    itemOfByte_[j] = static_cast<std::uint8_t>(item);
    rootMark_[j] = 1;
    if (!release)
        return;
    // An opening that a later item paints over is forgotten.
    for (int k = 0; k < kOpenSlots; ++k) {
        if (k != keepSlot && openStart_[static_cast<std::size_t>(k)] == static_cast<long>(j)) {
            openItems_[static_cast<std::size_t>(k)] = -1;
            openStart_[static_cast<std::size_t>(k)] = -1;
        }
    }
}

bool ColouringEngine::Excepted(const SyntaxItem& item, std::uint32_t j) const
{
    return j < n_ && itemOfByte_[j] != 0 && item.IsException(itemOfByte_[j]);
}

void ColouringEngine::ColourLine(LineView line, bool full)
{
    line_ = line.Bytes();
    n_ = line.Length();
    if (itemOfByte_.size() < n_) {
        itemOfByte_.resize(n_);
        rootMark_.resize(n_);
    }
    std::fill(itemOfByte_.begin(), itemOfByte_.begin() + static_cast<std::ptrdiff_t>(n_), 0);
    std::fill(rootMark_.begin(), rootMark_.begin() + static_cast<std::ptrdiff_t>(n_), 0);
    openStart_.fill(-1);
    runPosition_ = 0;
    for (std::size_t index = 0; index < description_.ColouringItemCount(); ++index) {
        const SyntaxItem& item = description_.Item(index);
        const int number = static_cast<int>(index + 1);
        if (item.root)
            std::fill(rootMark_.begin(), rootMark_.begin() + static_cast<std::ptrdiff_t>(n_), 0);
        Continue(item, number);
        const bool hasStart = !item.start.empty(), hasEnd = !item.end.empty();
        if (!hasStart && !hasEnd && item.keywords.empty())
            WholeLine(item, number);
        if (full && !item.keywords.empty())
            Keywords(item, number);
        if (hasStart && !hasEnd)
            LineEnd(item, number);
        if (full && !hasStart && hasEnd)
            LineStart(item, number);
        if (hasStart && hasEnd)
            Delimited(item, number);
    }
}

void ColouringEngine::Continue(const SyntaxItem& item, int number)
{
    for (int k = 0; k < kOpenSlots; ++k) {
        if (openItems_[static_cast<std::size_t>(k)] != number)
            continue;
        openItems_[static_cast<std::size_t>(k)] = -1;
        const long end = Find(0, item.end, item.ignorCase, item.ignor);
        std::uint32_t reach = n_;
        if (end >= 0)
            reach = static_cast<std::uint32_t>(end) + static_cast<std::uint32_t>(item.end.size());
        else
            openItems_[static_cast<std::size_t>(k)] = number;  // still open after this line
        for (std::uint32_t j = 0; j < reach; ++j)
            if (Writable(j, item, false))
                Apply(j, number, true);
        return;  // only the first slot holding the item
    }
}

void ColouringEngine::WholeLine(const SyntaxItem& item, int number)
{
    for (std::uint32_t j = 0; j < n_; ++j)
        if (Writable(j, item, true))
            Apply(j, number, true);
}

void ColouringEngine::Keywords(const SyntaxItem& item, int number)
{
    const std::string& list = item.keywords;
    for (std::size_t begin = 0; begin < list.size();) {
        std::size_t end = list.find(' ', begin);
        if (end == std::string::npos)
            end = list.size();
        const std::string_view keyword(list.data() + begin, end - begin);
        begin = end + 1;
        if (keyword.empty())
            continue;
        for (long p = Find(0, keyword, item.ignorCase, {}); p >= 0;) {
            const auto at = static_cast<std::uint32_t>(p);
            const std::uint32_t e = at + static_cast<std::uint32_t>(keyword.size());
            const bool insideBefore =
                at > 0 && InSet(kBeforeKeyword, line_[at - 1]) && InSet(kBeforeKeyword, line_[at]);
            const bool insideAfter = e < n_ && InSet(kAfterKeyword, line_[e]) && InSet(kAfterKeyword, line_[e - 1]);
            if (insideBefore || insideAfter) {
                p = Find(at + 1, keyword, item.ignorCase, {});
                continue;
            }
            for (std::uint32_t j = at; j < e; ++j)
                if (Writable(j, item, true))
                    Apply(j, number, false);
            p = Find(e, keyword, item.ignorCase, {});
        }
    }
}

void ColouringEngine::LineEnd(const SyntaxItem& item, int number)
{
    const long p = Find(0, item.start, item.ignorCase, {});
    if (p < 0 || Excepted(item, static_cast<std::uint32_t>(p)))
        return;
    if (item.sub && rootMark_[static_cast<std::size_t>(p)] == 0)
        return;
    for (auto j = static_cast<std::uint32_t>(p); j < n_; ++j)
        if (itemOfByte_[j] == 0 || item.overwrite)
            Apply(j, number, true);
}

void ColouringEngine::LineStart(const SyntaxItem& item, int number)
{
    const long p = Find(0, item.end, item.ignorCase, {});
    if (p < 0)
        return;
    for (std::uint32_t j = 0; j <= static_cast<std::uint32_t>(p); ++j)
        if (Writable(j, item, true))
            Apply(j, number, true);
}

void ColouringEngine::Delimited(const SyntaxItem& item, int number)
{
    std::size_t scan = 0;
    for (;;) {
        const long s = Find(scan, item.start, item.ignorCase, item.ignorStart);
        if (s < 0)
            return;
        const long end = Find(static_cast<std::size_t>(s) + 1, item.end, item.ignorCase, item.ignor);
        // A start inside an excepted item colours nothing; without an end on the line it is not
        // carried on either, as its opening was suppressed.
        const std::uint32_t colourStart =
            Excepted(item, static_cast<std::uint32_t>(s)) ? n_ : static_cast<std::uint32_t>(s);
        const bool allowed = !item.sub || (colourStart < n_ && rootMark_[colourStart] != 0);
        std::uint32_t reach = n_;
        int openedSlot = -1;
        if (end >= 0) {
            reach = static_cast<std::uint32_t>(end) + static_cast<std::uint32_t>(item.end.size());
        } else if (colourStart < n_ && allowed) {
            for (int k = 0; k < kOpenSlots && openedSlot < 0; ++k)
                if (openItems_[static_cast<std::size_t>(k)] < 0)
                    openedSlot = k;
            if (openedSlot < 0)
                openedSlot = kOpenSlots - 1;  // all slots in use: the last one is replaced
            openItems_[static_cast<std::size_t>(openedSlot)] = number;
            openStart_[static_cast<std::size_t>(openedSlot)] = static_cast<long>(colourStart);
        }
        if (allowed)
            for (std::uint32_t j = colourStart; j < reach && j < n_; ++j)
                if (itemOfByte_[j] == 0 || item.overwrite)
                    Apply(j, number, true, openedSlot);
        scan = reach;
        if (scan >= n_)
            return;
    }
}

bool ColouringEngine::NextRun(Run& run)
{
    if (runPosition_ >= n_)
        return false;
    run.start = runPosition_;
    run.item = itemOfByte_[runPosition_];
    while (runPosition_ < n_ && itemOfByte_[runPosition_] == run.item)
        ++runPosition_;
    run.length = runPosition_ - run.start;
    return true;
}

std::int64_t ColouringEngine::RunColour(const Run& run) const
{
    if (run.item == 0 || !description_.IsActive() || static_cast<std::size_t>(run.item) > description_.ItemCount())
        return -1;
    return description_.Item(static_cast<std::size_t>(run.item - 1)).Rgb();
}

}  // namespace quill
