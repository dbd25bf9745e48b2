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
// Takes --yes / --no out of args and sets the answer policy. False when an
// unknown option remains.
bool cli_take_answer_flags(Args &args);
