// A locale whose separator the test chooses, and a reporter that answers as told.
#pragma once

#include "engine/Reporter.h"
#include "startup/LocaleSeparator.h"

#include <string>
#include <vector>

namespace vantrel::test {

struct FakeLocale : LocaleSeparator {
    std::string separator;
    std::vector<std::string> writes;
    explicit FakeLocale(std::string start) : separator(std::move(start)) {}
    std::string Read() override { return separator; }
    void Write(const std::string& value) override {
        writes.push_back(value);
        separator = value;
    }
};

struct AnsweringReporter : Reporter {
    MsgResult answer;
    std::vector<Message> asked;
    explicit AnsweringReporter(MsgResult a) : answer(a) {}
    MsgResult Show(const Message& message) override {
        asked.push_back(message);
        return answer;
    }
};

} // namespace vantrel::test
