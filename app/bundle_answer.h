#pragma once

// The bundle answer is "yes" when the first argument is -y or /y, in either
// letter case, and "no" in every other case. Later arguments never count.
const char *choose_bundle_answer(int argc, const char *const *argv);
