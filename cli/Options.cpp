#include "cli/Options.h"

#include "cli/Settings.h"

namespace vantrel {

void DescribeOptions(CLI::App& app, SolverOptions& options) {
    app.name("vantrel-solve");
    app.description("Computes the integral of a problem file saved by the calculator and prints "
                    "its value in the calculator's number format.");
    app.footer("Exit status: 0 when computed; 1 when the computation failed (its reports go to "
               "standard error); 2 for a usage error or an unreadable file.");
    app.set_version_flag("--version", std::string("vantrel-solve ") + VANTREL_VERSION,
                         "Print the version and exit");
    app.add_flag("--json", options.json,
                 "Print one JSON object: value (the double), display (the calculator's text), "
                 "evaluations and seconds; after a failure an error object with the first "
                 "failure's number, source and description");
    app.add_option("--threads", options.threads,
                   "Threads for the computation, 1 to 256 (1 computes sequentially; the default "
                   "is every core)")
        ->check(CLI::Range(1, 256));
    app.add_option("--set", options.settings,
                   "Set the constant NAME to VALUE: replaces the problem's constant of exactly "
                   "that name where it stands in the list, or appends it; repeatable")
        ->allow_extra_args(false)
        ->check(CLI::Validator(
            [](const std::string& setting) {
                return IsSetting(setting) ? std::string()
                                          : "'" + setting +
                                                "' is not NAME=VALUE with a NAME of a letter "
                                                "followed by letters and digits";
            },
            "NAME=VALUE"));
    app.add_option("FILE", options.file, "A problem file (.vtl) saved by the calculator")
        ->required();
}

} // namespace vantrel
