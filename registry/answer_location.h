#pragma once

// Where the bundle answer lives, under HKEY_LOCAL_MACHINE in the 32-bit view.
// The one home of both names: the helper and the reader include this, and the
// setups' kits (installer/CMakeLists.txt) and scripts/run read the key's line,
// so it stays on one line. The tests spell the key themselves, to check it.
// clang-format off
constexpr char configuration_key_path[] = "SOFTWARE\\Kelvaro\\Brisolde\\CurrentVersion\\Configuration";
constexpr char bundle_answer_value_name[] = "bundle_reg_data";
// clang-format on
