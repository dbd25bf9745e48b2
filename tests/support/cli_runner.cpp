#include "support/cli_runner.h"

#include <array>
#include <cstdio>
#include <sys/wait.h>
#include <vector>

#include "support/test_support.h"

std::string shell_quoted(const std::string &text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

CliResult run_vorn_cli(const std::string &arguments, const std::string &dir)
{
    const std::string err_path = dir + "/.stderr.txt";
    const std::string command = "cd " + shell_quoted(dir) + " && " + std::string(VORN_CLI_PATH) + " " + arguments
                                + " 2>" + shell_quoted(err_path) + " </dev/null";
    CliResult run{};
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe)
        return {-1, "", ""};
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        run.out.append(buffer.data(), n);
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    const std::vector<uint8_t> err = read_bytes(err_path);
    run.err.assign(err.begin(), err.end());
    std::remove(err_path.c_str());
    return run;
}
