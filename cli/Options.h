// Everything vantrel-solve accepts on its command line, in one table.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace vantrel {

struct SolverOptions {
    bool json = false;
    bool quiet = false;
    bool save = false;                 // write each file back with its result
    bool mpi = false;                  // one rank of an MPI job
    int threads = 0;                   // 0: every core
    std::vector<std::string> settings; // NAME=VALUE, in the order given
    std::vector<std::string> files;    // solved in this order
};

// Declares every option with its help text on app, which fills options when it parses.
void DescribeOptions(CLI::App& app, SolverOptions& options);

} // namespace vantrel
