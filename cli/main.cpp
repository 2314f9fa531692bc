// vantrel-solve: computes the integral of a problem file on the calculator's engine.
#include "cli/Options.h"
#include "cli/Settings.h"
#include "cli/Solver.h"
#include "engine/NumberText.h"
#include "io/ProblemFile.h"

#include <nlohmann/json.hpp>

#include <iostream>
#include <string>

namespace {

using Json = nlohmann::ordered_json;

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

} // namespace

int main(int argc, char** argv) {
    CLI::App app;
    vantrel::SolverOptions options;
    vantrel::DescribeOptions(app, options);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // Help and version end with 0; every usage error is 2.
        return app.exit(e) == 0 ? 0 : 2;
    }

    const std::string& path = options.file;
    vantrel::ReadOutcome file = vantrel::ReadProblemFile(path);
    if (file.status != vantrel::ReadOutcome::Status::Ok) {
        const std::string reason = file.status == vantrel::ReadOutcome::Status::Incompatible
                                       ? "Incompatible file"
                                       : file.reason;
        std::cerr << path << ": " << reason << '\n';
        return 2;
    }

    for (const std::string& setting : options.settings)
        vantrel::ApplySetting(file.problem.constants, setting);
    StderrReporter reporter;
    const vantrel::SolveResult result = vantrel::Solve(file.problem, reporter, options.threads);
    if (result.value) {
        if (options.json)
            std::cout << Json{{"value", *result.value},
                              {"display", vantrel::GeneralNumber(*result.value)},
                              {"evaluations", result.evaluations},
                              {"seconds", result.seconds}}
                             .dump()
                      << '\n';
        else
            std::cout << vantrel::GeneralNumber(*result.value) << '\n';
        return 0;
    }
    const vantrel::SolveFailure& failure = result.failure;
    if (!result.reported)
        std::cerr << "The computation failed without a message: error " << failure.number << " ("
                  << failure.description << ")\n";
    if (options.json)
        std::cout << Json{{"error",
                           {{"number", failure.number},
                            {"source", failure.source},
                            {"description", failure.description}}}}
                         .dump()
                  << '\n';
    return 1;
}
