// Runs the batch tool as a child process, as scripts run it.
#pragma once

#include <string>

struct CliResult {
    int status; // exit status, -1 when it did not exit normally
    std::string out;
    std::string err;
};

std::string shell_quoted(const std::string &text);
// Runs `vorn-cli ARGUMENTS` (a shell command line) in `dir`; standard error
// goes through a file in `dir`.
CliResult run_vorn_cli(const std::string &arguments, const std::string &dir);
