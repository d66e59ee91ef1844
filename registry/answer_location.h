#pragma once

// Where the bundle answer lives, under HKEY_LOCAL_MACHINE in the 32-bit view.
// The one home of both names: the helper, the reader and the tests include
// this, and the setups' build reads these two lines (installer/CMakeLists.txt),
// so each stays on one line.
constexpr char configuration_key_path[] = "SOFTWARE\\Kelvaro\\Brisolde\\CurrentVersion\\Configuration";
constexpr char bundle_answer_value_name[] = "bundle_reg_data";
