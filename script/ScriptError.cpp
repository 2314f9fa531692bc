#include "script/ScriptError.h"

namespace vantrel {

const char* StandardDescription(int32_t number) {
    switch (number) {
    case 5:
        return "Invalid procedure call or argument";
    case 6:
        return "Overflow";
    case 7:
        return "Out of memory";
    case 11:
        return "Division by zero";
    case 13:
        return "Type mismatch";
    case 28:
        return "Out of stack space";
    case 94:
        return "Invalid use of Null";
    case 450:
        return "Wrong number of arguments or invalid property assignment";
    case 501:
        return "Illegal assignment";
    case 1002:
        return "Syntax error";
    case 1006:
        return "Expected ')'";
    case 1010:
        return "Expected identifier";
    case 1011:
        return "Expected '='";
    case 1023:
        return "Expected expression";
    case 1024:
        return "Expected statement";
    case 1025:
        return "Expected end of statement";
    case 1030:
        return "Identifier too long";
    case 1031:
        return "Invalid number";
    case 1032:
        return "Invalid character";
    case 1033:
        return "Unterminated string constant";
    case 1099:
        return "Expression nested too deeply";
    default:
        return "Unknown runtime error";
    }
}

const char* RuntimeError::what() const noexcept {
    return StandardDescription(Number);
}

} // namespace vantrel
