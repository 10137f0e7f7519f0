// What a search looks for: the text, how it is compared, and where.
#pragma once

#include <string>

namespace quill {

struct FieldDef;

/// One search's question, made once from what the user gave: the backslash codes of a plain text
/// are interpreted when it is made and never again.
struct SearchQuery {
    std::string typed;  ///< the find text as entered
    std::string text;   ///< the bytes searched for, or the expression
    bool matchCase = false;
    bool regex = false;
    FieldDef* field = nullptr;  ///< restrict the search to this field of the structure

    /// The query of a text as typed. With backslash codes a plain text has them interpreted, and
    /// one with a hexadecimal or decimal code (a byte) is searched with match case; an expression
    /// keeps its backslashes, which are its own.
    static SearchQuery Typed(const std::string& typed, bool regex, bool backslashes, bool matchCase,
                             FieldDef* field = nullptr);
};

}  // namespace quill
