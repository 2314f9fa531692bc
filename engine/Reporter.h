// Every message the program shows goes through this interface: the window shows a modal
// message box, the command-line solver writes to standard error, tests record.
#pragma once

#include <string>

namespace vantrel {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { OK, YesNoCancel };
enum class MsgResult { OK, Yes, No, Cancel };

struct Message {
    std::string title; // "Vantrel Integration" where a box has no title of its own
    std::string text;  // lines separated by CR
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::OK;
    MsgResult defaultButton = MsgResult::OK;
};

inline constexpr const char* AppTitle = "Vantrel Integration";

class Reporter {
public:
    virtual ~Reporter() = default;
    virtual MsgResult Show(const Message& message) = 0;
};

// For computations whose failures are made again where they are reported: shows nothing.
class SilentReporter : public Reporter {
public:
    MsgResult Show(const Message&) override { return MsgResult::OK; }
};

} // namespace vantrel
