// vantrel-solve: computes the integral of a problem file on the calculator's engine.
#include "cli/Solver.h"
#include "engine/NumberText.h"
#include "io/ProblemFile.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

namespace {

constexpr const char* Usage = "usage: vantrel-solve [--json] [--threads N] [--save] FILE";

// Reports go to standard error: the title, then the text with its CR line breaks.
class StderrReporter : public vantrel::Reporter {
public:
    vantrel::MsgResult Show(const vantrel::Message& message) override {
        std::string text = message.text;
        for (char& c : text)
            if (c == '\r') c = '\n';
        std::cerr << message.title << '\n' << text << '\n';
        return vantrel::MsgResult::OK;
    }
};

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string ExactNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

int Run(int argc, char** argv) {
    bool json = false, save = false;
    int threads = 0;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::cout << Usage
                      << "\nComputes the integral of a problem file saved by the "
                         "calculator and prints its value;\n--save writes the file back with "
                         "the result, as the calculator's Save does.\n";
            return 0;
        }
        if (std::strcmp(argv[i], "--json") == 0) {
            json = true;
        } else if (std::strcmp(argv[i], "--save") == 0) {
            save = true;
        } else if (std::strcmp(argv[i], "--threads") == 0 && i + 1 < argc) {
            char* end = nullptr;
            const long n = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || n < 1 || n > 256) {
                std::cerr << Usage << '\n';
                return 2;
            }
            threads = static_cast<int>(n);
        } else if (argv[i][0] == '-' || path) {
            std::cerr << Usage << '\n';
            return 2;
        } else {
            path = argv[i];
        }
    }
    if (!path) {
        std::cerr << Usage << '\n';
        return 2;
    }

    const vantrel::ReadOutcome file = vantrel::ReadProblemFile(path);
    if (file.status != vantrel::ReadOutcome::Status::Ok) {
        const std::string reason = file.status == vantrel::ReadOutcome::Status::Incompatible
                                       ? "Incompatible file"
                                       : file.reason;
        std::cerr << path << ": " << reason << '\n';
        return 2;
    }

    StderrReporter reporter;
    const vantrel::SolveResult result = vantrel::Solve(file.problem, reporter, threads);
    if (result.value) {
        if (save) {
            const std::string reason = vantrel::SaveSolved(path, file.problem, *result.value);
            if (!reason.empty()) {
                std::cerr << path << ": " << reason << '\n';
                return 2;
            }
        }
        if (json)
            std::cout << "{\"value\": " << ExactNumber(*result.value)
                      << ", \"display\": " << JsonString(vantrel::GeneralNumber(*result.value))
                      << ", \"evaluations\": " << result.evaluations
                      << ", \"seconds\": " << result.seconds << "}\n";
        else
            std::cout << vantrel::GeneralNumber(*result.value) << '\n';
        return 0;
    }
    const vantrel::SolveFailure& failure = result.failure;
    if (!result.reported)
        std::cerr << "The computation failed without a message: error " << failure.number << " ("
                  << failure.description << ")\n";
    if (json)
        std::cout << "{\"error\": {\"number\": " << failure.number
                  << ", \"source\": " << JsonString(failure.source)
                  << ", \"description\": " << JsonString(failure.description) << "}}\n";
    return 1;
}

} // namespace

// Whatever goes wrong ends with a message and the status of an unusable input, never an abort.
int main(int argc, char** argv) {
    std::signal(SIGXFSZ, SIG_IGN); // a file too large for the limits fails its write instead
    try {
        return Run(argc, argv);
    } catch (const std::exception& error) {
        std::cerr << "vantrel-solve: " << error.what() << '\n';
    } catch (...) {
        std::cerr << "vantrel-solve: an unexpected failure\n";
    }
    return 2;
}
