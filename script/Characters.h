// The character classes of the language's texts, by ASCII code whatever the locale.
#pragma once

#include <string_view>

namespace vantrel {

inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

inline bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The value of a hexadecimal digit; 99 for any other character.
inline int DigitValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// Case-insensitive equality of names (which are ASCII letters, digits and underscores).
inline bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if ((a[i] | 0x20) != (b[i] | 0x20)) return false;
    return true;
}

} // namespace vantrel
