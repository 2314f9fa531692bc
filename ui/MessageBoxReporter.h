// The window's reports: each message a modal message box with its icon, buttons and title.
#pragma once

#include "engine/Reporter.h"

class QWidget;

namespace vantrel {

class MessageBoxReporter : public Reporter {
public:
    // owner: the window the boxes belong to; may be null before any window exists.
    explicit MessageBoxReporter(QWidget* owner = nullptr) : owner_(owner) {}
    MsgResult Show(const Message& message) override;

private:
    QWidget* owner_;
};

} // namespace vantrel
