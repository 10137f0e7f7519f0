// The partner of the bracket under the cursor, which the view frames.
#pragma once

#include "text/TextTypes.h"

namespace quill {

class Document;

struct BracketMatch {
    LineIndex line = 0;
    Column column = -1;  ///< -1: no match
    bool Found() const { return column >= 0; }
};

/// For "(", "[" or "{" under the cursor the closing partner at the same depth, searched forward
/// through at most 200 lines; for ")", "]" or "}" the opening one, backward. Brackets inside
/// quotes ("..." or '...', a quote after a backslash does not count) are passed over. Nothing in
/// binary mode.
BracketMatch MatchBracket(const Document& doc);

}  // namespace quill
