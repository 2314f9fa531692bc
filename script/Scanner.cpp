#include "script/Scanner.h"

#include "script/Characters.h"
#include "script/VariantOps.h"

#include <array>
#include <utility>

namespace vantrel {

namespace {

constexpr std::size_t MaxNameLength = 255;

constexpr std::array<std::pair<std::string_view, Word>, 56> ReservedWords = {{
    {"And", Word::And},        {"Call", Word::Other},     {"Case", Word::Other},
    {"Class", Word::Other},    {"Const", Word::Other},    {"Dim", Word::Other},
    {"Do", Word::Other},       {"Each", Word::Other},     {"Else", Word::Other},
    {"ElseIf", Word::Other},   {"Empty", Word::Empty},    {"End", Word::Other},
    {"Eqv", Word::Eqv},        {"Erase", Word::Other},    {"Error", Word::Other},
    {"Exit", Word::Other},     {"Explicit", Word::Other}, {"False", Word::False},
    {"For", Word::Other},      {"Function", Word::Other}, {"Get", Word::Other},
    {"GoTo", Word::Other},     {"If", Word::Other},       {"Imp", Word::Imp},
    {"In", Word::Other},       {"Is", Word::Other},       {"Let", Word::Other},
    {"Loop", Word::Other},     {"Mod", Word::Mod},        {"New", Word::Other},
    {"Next", Word::Other},     {"Not", Word::Not},        {"Nothing", Word::Other},
    {"Null", Word::Null},      {"On", Word::Other},       {"Option", Word::Other},
    {"Or", Word::Or},          {"Preserve", Word::Other}, {"Private", Word::Other},
    {"Property", Word::Other}, {"Public", Word::Other},   {"ReDim", Word::Other},
    {"Rem", Word::Other},      {"Resume", Word::Other},   {"Select", Word::Other},
    {"Set", Word::Other},      {"Step", Word::Other},     {"Sub", Word::Other},
    {"Then", Word::Other},     {"To", Word::Other},       {"True", Word::True},
    {"Until", Word::Other},    {"Wend", Word::Other},     {"While", Word::Other},
    {"With", Word::Other},     {"Xor", Word::Xor},
}};

bool IsNameChar(char c) {
    return IsLetter(c) || IsDigit(c) || c == '_';
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsSeparator(char c) {
    return c == ':' || c == '\r' || c == '\n';
}

Word ReservedWord(std::string_view name) {
    for (const auto& [word, kind] : ReservedWords)
        if (EqualsIgnoreCase(word, name)) return kind;
    return Word::None;
}

} // namespace

std::string LowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c | 0x20);
    return lower;
}

bool IsAssignableName(std::string_view name) {
    if (name.empty() || name.size() > MaxNameLength || !IsLetter(name[0])) return false;
    for (char c : name)
        if (!IsNameChar(c)) return false;
    return ReservedWord(name) == Word::None;
}

Token Scanner::Next() {
    while (pos_ < source_.size() && IsBlank(source_[pos_]))
        ++pos_;
    const std::size_t start = pos_;
    Token token;
    token.column = static_cast<int32_t>(start);
    if (pos_ >= source_.size() || source_[pos_] == '\'') return token;
    const char c = source_[pos_];
    if (IsSeparator(c)) {
        // Trailing line ends are harmless; a second statement is not accepted.
        std::size_t rest = pos_;
        while (rest < source_.size() && (IsBlank(source_[rest]) || IsSeparator(source_[rest])))
            ++rest;
        if (rest >= source_.size() || source_[rest] == '\'') return token;
        throw CompileError{1025, static_cast<int32_t>(start)};
    }
    if (IsDigit(c) || (c == '.' && pos_ + 1 < source_.size() && IsDigit(source_[pos_ + 1])))
        return ScanNumber(start);
    if (IsLetter(c)) return ScanWord(start);
    if (c == '"') return ScanString(start);
    if (c == '&' && pos_ + 1 < source_.size() &&
        ((source_[pos_ + 1] | 0x20) == 'h' || (source_[pos_ + 1] | 0x20) == 'o'))
        return ScanRadix(start);
    ++pos_;
    TokenKind kind = TokenKind::End;
    switch (c) {
    case '+':
        kind = TokenKind::Plus;
        break;
    case '-':
        kind = TokenKind::Minus;
        break;
    case '*':
        kind = TokenKind::Star;
        break;
    case '/':
        kind = TokenKind::Slash;
        break;
    case '\\':
        kind = TokenKind::Backslash;
        break;
    case '^':
        kind = TokenKind::Caret;
        break;
    case '&':
        kind = TokenKind::Ampersand;
        break;
    case '=':
        kind = TokenKind::Equal;
        break;
    case '(':
        kind = TokenKind::LeftParen;
        break;
    case ')':
        kind = TokenKind::RightParen;
        break;
    case ',':
        kind = TokenKind::Comma;
        break;
    case '<':
        kind = TokenKind::Less;
        if (pos_ < source_.size() && (source_[pos_] == '>' || source_[pos_] == '=')) {
            kind = source_[pos_] == '>' ? TokenKind::NotEqual : TokenKind::LessEqual;
            ++pos_;
        }
        break;
    case '>':
        kind = TokenKind::Greater;
        if (pos_ < source_.size() && source_[pos_] == '=') {
            kind = TokenKind::GreaterEqual;
            ++pos_;
        }
        break;
    default:
        throw CompileError{1032, static_cast<int32_t>(start)};
    }
    token.kind = kind;
    token.text = source_.substr(start, pos_ - start);
    return token;
}

Token Scanner::ScanNumber(std::size_t start) {
    const std::size_t length = ScanDecimal(source_, start);
    pos_ = start + length;
    // An exponent letter that ScanDecimal did not take has no digits after it.
    if (pos_ < source_.size() && (source_[pos_] | 0x20) == 'e' &&
        (pos_ + 1 >= source_.size() || !IsLetter(source_[pos_ + 1])))
        throw CompileError{1031, static_cast<int32_t>(start)};
    Token token;
    token.kind = TokenKind::Number;
    token.column = static_cast<int32_t>(start);
    token.text = source_.substr(start, length);
    token.number = DecimalTextToDouble(token.text);
    if (token.number > 1.7976931348623157e308)
        throw CompileError{1031, static_cast<int32_t>(start)};
    return token;
}

Token Scanner::ScanRadix(std::size_t start) {
    const int base = (source_[start + 1] | 0x20) == 'h' ? 16 : 8;
    pos_ = start + 2;
    while (pos_ < source_.size() && IsNameChar(source_[pos_]))
        ++pos_;
    // VBScript allows a trailing & to mark a 32-bit literal.
    const std::string_view digits = source_.substr(start + 2, pos_ - start - 2);
    if (pos_ < source_.size() && source_[pos_] == '&') ++pos_;
    Token token;
    token.kind = TokenKind::Number;
    token.column = static_cast<int32_t>(start);
    token.text = source_.substr(start, pos_ - start);
    if (!ParseRadixDigits(digits, base, token.number))
        throw CompileError{1031, static_cast<int32_t>(start)};
    return token;
}

Token Scanner::ScanString(std::size_t start) {
    Token token;
    token.kind = TokenKind::String;
    token.column = static_cast<int32_t>(start);
    pos_ = start + 1;
    for (;;) {
        if (pos_ >= source_.size() || source_[pos_] == '\n' || source_[pos_] == '\r')
            throw CompileError{1033, static_cast<int32_t>(start)};
        if (source_[pos_] == '"') {
            if (pos_ + 1 < source_.size() && source_[pos_ + 1] == '"') {
                token.value += '"';
                pos_ += 2;
                continue;
            }
            ++pos_;
            break;
        }
        token.value += source_[pos_++];
    }
    token.text = source_.substr(start, pos_ - start);
    return token;
}

Token Scanner::ScanWord(std::size_t start) {
    pos_ = start;
    while (pos_ < source_.size() && IsNameChar(source_[pos_]))
        ++pos_;
    Token token;
    token.column = static_cast<int32_t>(start);
    token.text = source_.substr(start, pos_ - start);
    if (token.text.size() > MaxNameLength) throw CompileError{1030, static_cast<int32_t>(start)};
    token.word = ReservedWord(token.text);
    token.kind = token.word == Word::None ? TokenKind::Identifier : TokenKind::Keyword;
    return token;
}

} // namespace vantrel
