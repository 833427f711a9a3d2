// The subcommands of vantor-tool. Each returns the process exit code: 0 done, 1 the data asked
// for is not there or is damaged, 2 the command line is wrong.
#pragma once

#include <string>
#include <vector>

int run_config_command(const std::vector<std::string>& args);
int run_make_demo(const std::vector<std::string>& args);
int run_res_command(const std::vector<std::string>& args);
int run_cat_command(const std::vector<std::string>& args);
int run_picture_command(const std::vector<std::string>& args);
int run_scene_desc_command(const std::vector<std::string>& args);
int run_scene_command(const std::vector<std::string>& args);
int run_zbf_command(const std::vector<std::string>& args);
int run_msk_command(const std::vector<std::string>& args);
int run_model_command(const std::vector<std::string>& args);
int run_table_command(const std::vector<std::string>& args);
int run_save_command(const std::vector<std::string>& args);
int run_film_command(const std::vector<std::string>& args);
