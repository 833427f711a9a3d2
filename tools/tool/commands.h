// The subcommands of vantor-tool. Each returns the process exit code: 0 done, 1 the data asked
// for is not there or is damaged, 2 the command line is wrong.
#pragma once

#include <string>
#include <vector>

int run_config_command(const std::vector<std::string>& args);
int run_make_demo(const std::vector<std::string>& args);
