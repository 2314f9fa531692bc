// The two reports of failures in expressions: the engine's Error event handler, which reports
// script errors with their position, and the computation report of arithmetic errors.
#pragma once

#include "engine/Reporter.h"
#include "script/ScriptError.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vantrel {

// 5, 6, 11 and 80020101 hexadecimal: reported by the computation, not by the Error event.
bool IsArithmeticError(int32_t number);

// The most of a failing text that a report shows.
inline constexpr std::size_t ReportedTextLimit = 300;
// The text, or, when it is longer than ReportedTextLimit, that many bytes of it around the
// column (a third of them before it), each cut end marked with an ellipsis.
std::string TextAround(const std::string& text, int32_t column);

// Handler of the engine's Error event: stores the number in ierr and, for a script error,
// shows "Error in Script Control" with the position and the failing text.
void ScriptControl1_Error(const ScriptError& error, int32_t& ierr, Reporter& reporter);

// The computation's own report: stores the number in ierr and, for an arithmetic error, shows
// the short message titled with the error's source.
void ReportComputationError(int32_t number, const std::string& source,
                            const std::string& description, int32_t& ierr, Reporter& reporter);

// The source of errors the system raises itself.
inline constexpr const char* SystemSource = "vantrel";

} // namespace vantrel
