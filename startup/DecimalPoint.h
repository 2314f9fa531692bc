// The guard of the decimal separator: the program writes and reads its numbers with the point,
// so it checks the user's separator before any window opens, asks to use the point for the run
// when it is something else, and writes the saved separator back when the main window closes.
#pragma once

#include "engine/Reporter.h"
#include "startup/LocaleSeparator.h"

#include <string>

namespace vantrel {

class DecimalPoint {
public:
    DecimalPoint(LocaleSeparator& locale, Reporter& reporter)
        : locale_(locale), reporter_(reporter) {}

    // The start-up check. False when the user declined the point: the program must end.
    bool CheckDecimalPoint();
    void GetDecimalSeparator();
    void SetDecimalPoint();
    void RestoreDecimalSeparator();

    const std::string& SavedSeparator() const { return SavedSeparator_; }

    // The question asked when the separator is not the point.
    static Message Question();

private:
    LocaleSeparator& locale_;
    Reporter& reporter_;
    std::string SavedSeparator_;
};

} // namespace vantrel
