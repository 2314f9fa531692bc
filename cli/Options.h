// Everything vantrel-solve accepts on its command line, in one table.
#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace vantrel {

struct SolverOptions {
    bool json = false;
    int threads = 0; // 0: every core
    std::string file;
};

// Declares every option with its help text on app, which fills options when it parses.
void DescribeOptions(CLI::App& app, SolverOptions& options);

} // namespace vantrel
