// The batch tool's commands. Each takes the arguments after its name and
// returns the exit status: 0 success, 1 failure, 2 bad usage.
#pragma once

#include <string>
#include <vector>

#include "platform/console_platform.h"

using Args = std::vector<std::string>;

extern ConsolePlatform *cli_console;

int cli_info(const Args &args);
int cli_convert(const Args &args);
int cli_palette(const Args &args);
int cli_colormap(const Args &args);

// Reports bad usage on standard error and returns 2.
int cli_usage_error(const std::string &text);
// Takes exactly two paths (input, output) out of args. Returns 0, or the
// bad-usage status after reporting an option or a wrong count; `missing`
// says what the command needs ("convert needs an input and an output file").
int cli_take_two_paths(const Args &args, const std::string &missing, Args &paths);
// Takes --yes / --no out of args and sets the answer policy. False when an
// unknown option remains.
bool cli_take_answer_flags(Args &args);
