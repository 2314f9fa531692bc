#include "cli/Options.h"

#include "cli/Settings.h"

namespace vantrel {

void DescribeOptions(CLI::App& app, SolverOptions& options) {
    app.name("vantrel-solve");
    app.description("Computes the integral of each problem file saved by the calculator, in the "
                    "order given, and prints one line for each: its value in the calculator's "
                    "number format. A file that cannot be read or computed gives no line there: "
                    "its name and its failure go to standard error, after the reports the "
                    "window would show.");
    app.footer("Exit status: the highest of the files': 0 computed; 1 the computation failed; 2 "
               "the file cannot be read or saved. A usage error is 2 before any file is read; "
               "with --mpi, a failure of MPI itself is 3.\n\n"
               "Environment: VANTREL_CODE_CACHE, the folder where the machine code compiled for "
               "expressions is kept for later runs (empty: none is kept; the default is "
               "$XDG_CACHE_HOME/vantrel/code, or ~/.cache/vantrel/code).\n");
    app.set_version_flag("--version", std::string("vantrel-solve ") + VANTREL_VERSION,
                         "Print the version and exit");
    app.add_flag("--json", options.json,
                 "Print one JSON object per file, one per line, each with file; when computed: "
                 "value (the double), display (the calculator's text), evaluations, seconds, "
                 "difference (the outermost level's last |estimate - previous estimate|) and "
                 "subintervals (each level's final count, the innermost first); else error, "
                 "an object with the first failure's number, source and description (only a "
                 "description when the file cannot be read)");
    app.add_flag("--mpi", options.mpi,
                 "Compute on every rank of the MPI job this process is part of (mpirun -np N "
                 "vantrel-solve --mpi FILE...): rank 0 reads the files and prints exactly what "
                 "one process prints; with --json each object also gives ranks");
    app.add_flag("--quiet", options.quiet,
                 "Show no progress bar (otherwise shown on standard error when it is a terminal "
                 "and a computation runs over half a second)");
    app.add_flag("--save", options.save,
                 "Write each computed file back with its result, as the calculator's Save does "
                 "(owner, group, permissions and links kept); a failed save is exit 2 and leaves "
                 "the file as it was");
    app.add_option("--threads", options.threads,
                   "Threads for the computation, 1 to 256 (1 computes sequentially; the default "
                   "is every core), on each rank with --mpi")
        ->type_name("N")
        ->check(CLI::Range(1, 256).description(""));
    app.add_option("--set", options.settings,
                   "Set the constant NAME to VALUE: replaces the problem's constant of exactly "
                   "that name where it stands in the list, or appends it; repeatable")
        ->type_name("NAME=VALUE")
        ->allow_extra_args(false)
        ->check(CLI::Validator(
            [](const std::string& setting) {
                return IsSetting(setting) ? std::string()
                                          : "'" + setting +
                                                "' is not NAME=VALUE with a NAME of a letter "
                                                "followed by letters and digits";
            },
            ""));
    app.add_option("FILE", options.files, "Problem files (.vtl) saved by the calculator")
        ->type_name("")
        ->required();
}

} // namespace vantrel
