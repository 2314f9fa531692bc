// The first stage: splits a one-line source text into the language's tokens.
#pragma once

#include "script/Characters.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

enum class TokenKind {
    End,
    Number,
    String,
    Identifier,
    Keyword, // a reserved word; word says which
    Plus,
    Minus,
    Star,
    Slash,
    Backslash,
    Caret,
    Ampersand,
    Equal,
    NotEqual,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
    LeftParen,
    RightParen,
    Comma,
};

enum class Word { None, Mod, Not, And, Or, Xor, Eqv, Imp, True, False, Empty, Null, Other };

struct Token {
    TokenKind kind = TokenKind::End;
    Word word = Word::None;
    int32_t column = 0; // 0-based offset of the token's first character
    std::string_view text;
    double number = 0.0;
    std::string value; // a string literal's contents, with "" read as one quote
};

// A compile error at a column: number is one of the language's compile-error numbers.
struct CompileError {
    int32_t number;
    int32_t column;
};

class Scanner {
public:
    explicit Scanner(std::string_view source) : source_(source) {}
    // The next token; throws CompileError for text that forms no token.
    Token Next();

private:
    Token ScanNumber(std::size_t start);
    Token ScanRadix(std::size_t start);
    Token ScanString(std::size_t start);
    Token ScanWord(std::size_t start);

    std::string_view source_;
    std::size_t pos_ = 0;
};

// A plain name of the language that is not a reserved word (what a statement may assign).
bool IsAssignableName(std::string_view name);
std::string LowerCase(std::string_view text);

} // namespace vantrel
