// Comparing a file's first bytes with a format's magic.
#pragma once

#include <algorithm>
#include <cstddef>
#include <initializer_list>

namespace quill {

inline bool Starts(const unsigned char* head, std::size_t size, std::initializer_list<unsigned char> magic)
{
    return size >= magic.size() && std::equal(magic.begin(), magic.end(), head);
}

}  // namespace quill
