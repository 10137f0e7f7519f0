// Making a search's question.
#include "search/SearchQuery.h"

#include "common/BackslashCodes.h"

namespace quill {

SearchQuery SearchQuery::Typed(const std::string& typed, bool regex, bool backslashes, bool matchCase, FieldDef* field)
{
    SearchQuery query{typed, typed, matchCase, regex, field};
    if (!regex && backslashes && InterpretBackslashes(query.text))
        query.matchCase = true;
    return query;
}

}  // namespace quill
