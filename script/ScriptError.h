// The engine's Error object, and the failure that a failing call throws to its caller.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vantrel {

struct ScriptError {
    int32_t Number = 0;
    int32_t Line = 0;
    int32_t Column = 0;
    std::string Source;
    std::string Description;
    std::string Text; // the statement or expression that failed
};

// Thrown by ExecuteStatement, Eval and the fast paths once the Error event has run.
class ScriptFailure : public std::runtime_error {
public:
    ScriptFailure(int32_t number, std::string source, std::string description)
        : std::runtime_error(description), Number(number), Source(std::move(source)),
          Description(std::move(description)) {}
    int32_t Number;
    std::string Source;
    std::string Description;
};

// A run-time error of the language with its own number (5, 6, 11, 13, 94, 450, 501...), raised
// inside evaluation and by added objects; the engine turns it into an Error event.
class RuntimeError : public std::exception {
public:
    explicit RuntimeError(int32_t number) : Number(number) {}
    const char* what() const noexcept override;
    int32_t Number;
};

// The language's description of an error number ("Overflow" for 6, "Division by zero" for 11...).
const char* StandardDescription(int32_t number);

} // namespace vantrel
