// The user constants as the state's table ConsText / NumCons holds them: each a name, the first
// "=" and a value expression. The window's list mirrors every change made here.
#pragma once

#include "engine/Dimension.h"

#include <string>
#include <string_view>

namespace vantrel {

// A letter, then letters and digits only (ASCII).
bool IsConstantName(std::string_view name);
// The part of a constant's text before its first "=" (the whole text when there is none).
std::string_view ConstantName(std::string_view text);

struct AddOutcome {
    enum class Status {
        Added,         // appended at the end; `replaced` is the index of the entry it replaced
        Ignored,       // no "=" or a bad name: refused silently, the text stays for correction
        CannotBeSaved, // a problem file could not read it back
        TableFull,     // a new name with all places taken
    };
    Status status = Status::Ignored;
    int replaced = -1;
};

// Adds `text` as a constant, replacing the entry of the same exact name. Nothing changes
// unless the outcome is Added.
AddOutcome AddConstant(Dimension& d, const std::string& text);
// Removes entry k and returns the statement that sets its name to 0 ("a=0" for "a=2.37").
std::string RemoveConstant(Dimension& d, int k);

// The messages for the refusals that are shown.
std::string RefusalMessage(AddOutcome::Status status);

} // namespace vantrel
