// The values of the expression language: Empty, Null, Boolean, Number (double), String.
#pragma once

#include <string>

namespace vantrel {

enum class VarType { Empty, Null, Boolean, Number, String };

struct Variant {
    VarType type = VarType::Empty;
    bool boolean = false; // when type is Boolean
    double number = 0.0;  // when type is Number
    std::string text;     // when type is String

    static Variant Empty() { return {}; }
    static Variant Null() { return {VarType::Null, false, 0.0, {}}; }
    static Variant Bool(bool b) { return {VarType::Boolean, b, 0.0, {}}; }
    static Variant Num(double v) { return {VarType::Number, false, v, {}}; }
    static Variant Str(std::string s) { return {VarType::String, false, 0.0, std::move(s)}; }
};

} // namespace vantrel
