// vantrel-solve: computes the integrals of problem files on the calculator's engine.
#include "cli/Options.h"
#include "cli/ProgressBar.h"
#include "cli/Settings.h"
#include "cli/Solver.h"
#include "cli/mpi/MpiJob.h"
#include "engine/Integrator.h"
#include "engine/NumberText.h"
#include "io/ProblemFile.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <csignal>
#include <iostream>
#include <memory>
#include <string>

#include <sys/ioctl.h>
#include <unistd.h>

namespace {

using Json = nlohmann::ordered_json;

enum ExitStatus {
    Computed = 0,
    ComputationFailed = 1,
    Unreadable = 2,
    UsageError = 2,
    RunFailed = vantrel::MpiRunFailed
};

// Reports go to standard error: the title, then the text with its CR line breaks.
class StderrReporter : public vantrel::Reporter {
public:
    explicit StderrReporter(vantrel::ProgressBar* bar) : bar_(bar) {}
    vantrel::MsgResult Show(const vantrel::Message& message) override {
        if (bar_) bar_->Clear();
        std::string text = message.text;
        for (char& c : text)
            if (c == '\r') c = '\n';
        std::cerr << message.title << '\n' << text << '\n';
        return vantrel::MsgResult::OK;
    }

private:
    vantrel::ProgressBar* bar_;
};

// A progress bar for standard error when it is a terminal and progress is wanted.
std::unique_ptr<vantrel::ProgressBar> TerminalBar(const vantrel::SolverOptions& options) {
    if (options.quiet || !isatty(STDERR_FILENO)) return nullptr;
    winsize size{};
    const int columns =
        ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
    return std::make_unique<vantrel::ProgressBar>(std::cerr, columns);
}

// Where a run computes ahead besides its own threads: the ranks of an MPI job.
struct Ranks {
    vantrel::ProblemAhead* ahead = nullptr;
    int count = 0; // 0: not an MPI run
};

// File names and the problem's texts are bytes, not always UTF-8: what is not becomes U+FFFD.
void PrintJson(Json line, const Ranks& ranks) {
    if (ranks.count > 0) line["ranks"] = ranks.count;
    std::cout << line.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n' << std::flush;
}

int SolveFile(const std::string& path, const vantrel::SolverOptions& options, const Ranks& ranks) {
    vantrel::ReadOutcome file = vantrel::ReadProblemFile(path);
    if (file.status != vantrel::ReadOutcome::Status::Ok) {
        const std::string reason = file.status == vantrel::ReadOutcome::Status::Incompatible
                                       ? "Incompatible file"
                                       : file.reason;
        std::cerr << path << ": " << reason << '\n';
        if (options.json) PrintJson({{"file", path}, {"error", {{"description", reason}}}}, ranks);
        return Unreadable;
    }
    for (const std::string& setting : options.settings)
        vantrel::ApplySetting(file.problem.constants, setting);

    const std::unique_ptr<vantrel::ProgressBar> bar = TerminalBar(options);
    StderrReporter reporter(bar.get());
    vantrel::SolveProgress progress;
    if (bar)
        progress = [&](const vantrel::PassProgress& pass, uint64_t evaluations) {
            bar->Update(pass, evaluations);
        };
    const vantrel::SolveResult result =
        vantrel::Solve(file.problem, reporter, options.threads, progress, ranks.ahead);
    if (bar) bar->Clear();
    if (result.value) {
        if (options.save) {
            const std::string reason = vantrel::SaveSolved(path, file.problem, *result.value);
            if (!reason.empty()) {
                std::cerr << path << ": " << reason << '\n';
                if (options.json)
                    PrintJson({{"file", path}, {"error", {{"description", reason}}}}, ranks);
                return Unreadable;
            }
        }
        if (options.json)
            PrintJson({{"file", path},
                       {"value", *result.value},
                       {"display", vantrel::GeneralNumber(*result.value)},
                       {"evaluations", result.evaluations},
                       {"seconds", result.seconds},
                       {"difference", result.difference},
                       {"subintervals", result.subintervals}},
                      ranks);
        else
            std::cout << vantrel::GeneralNumber(*result.value) << '\n' << std::flush;
        return Computed;
    }
    const vantrel::SolveFailure& failure = result.failure;
    std::cerr << path << ": the computation failed with error " << failure.number << " ("
              << failure.description << ")\n";
    if (options.json)
        PrintJson({{"file", path},
                   {"error",
                    {{"number", failure.number},
                     {"source", failure.source},
                     {"description", failure.description}}}},
                  ranks);
    return ComputationFailed;
}

// Rank 0 solves and prints; every other rank computes what rank 0 hands out and prints nothing.
int SolveOnRanks(const vantrel::SolverOptions& options) {
    std::unique_ptr<vantrel::MpiJob> job;
    try {
        job = vantrel::JoinMpiJob(options.threads);
    } catch (const vantrel::MpiFailure& failure) {
        std::cerr << "vantrel-solve: the MPI run cannot start: " << failure.what() << '\n';
        return RunFailed;
    }
    if (!job) {
        std::cerr << "vantrel-solve: --mpi: this vantrel-solve was built without MPI\n";
        return UsageError;
    }
    try {
        int status = Computed;
        if (job->Rank() != 0)
            job->Serve();
        else
            for (const std::string& path : options.files)
                status = std::max(status, SolveFile(path, options, {&job->Ahead(), job->Ranks()}));
        job->Finish();
        return status;
    } catch (const std::exception& failure) {
        std::cerr << "vantrel-solve: rank " << job->Rank()
                  << ": the MPI run failed, no value is given: " << failure.what() << '\n';
        vantrel::AbortMpiJob(RunFailed);
    }
}

int Run(int argc, char** argv) {
    CLI::App app;
    vantrel::SolverOptions options;
    vantrel::DescribeOptions(app, options);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // Help and version end with 0; every usage error is 2.
        return app.exit(e) == 0 ? 0 : UsageError;
    }
    if (options.mpi) return SolveOnRanks(options);
    vantrel::Integrator::StartThreads(options.threads);
    int status = Computed;
    for (const std::string& path : options.files)
        status = std::max(status, SolveFile(path, options, {}));
    return status;
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
    return Unreadable;
}
