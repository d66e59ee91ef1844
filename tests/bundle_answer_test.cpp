#include "bundle_answer.h"

#include <gtest/gtest.h>
#include <string>

namespace {

const char *answer_for(const std::string &first_argument)
{
    const char *argv[] = {"bundle-answer", first_argument.c_str(), nullptr};
    return choose_bundle_answer(2, argv);
}

} // namespace

TEST(ChooseBundleAnswer, WithoutArgumentsSaysNo)
{
    const char *argv[] = {"bundle-answer", nullptr};
    EXPECT_STREQ(choose_bundle_answer(1, argv), "no");
    // Some launchers pass no program name at all.
    const char *empty[] = {nullptr};
    EXPECT_STREQ(choose_bundle_answer(0, empty), "no");
}

// Every two-byte first argument: only the dash or slash with y, in either
// case, says yes. Folding beyond A-Z (a locale's idea of case) would show here.
TEST(ChooseBundleAnswer, OnlyDashOrSlashThenYSaysYes)
{
    for (int first = 1; first < 256; ++first) {
        for (int second = 1; second < 256; ++second) {
            const std::string argument{static_cast<char>(first), static_cast<char>(second)};
            const bool yes = (first == '-' || first == '/') && (second == 'y' || second == 'Y');
            ASSERT_STREQ(answer_for(argument), yes ? "yes" : "no") << first << "," << second;
        }
    }
}

TEST(ChooseBundleAnswer, WholeArgumentMustMatch)
{
    for (const char *argument :
         {"", "-", "/", "y", "Y", "--y", "-yes", "/yes", "-y ", " -y", "-y-y", "/y/", "\\y"})
        EXPECT_STREQ(answer_for(argument), "no") << '"' << argument << '"';
}

TEST(ChooseBundleAnswer, OnlyTheFirstArgumentCounts)
{
    const char *yes_first[] = {"bundle-answer", "-Y", "-n", "garbage", nullptr};
    EXPECT_STREQ(choose_bundle_answer(4, yes_first), "yes");
    const char *yes_later[] = {"bundle-answer", "-n", "-y", "/y", nullptr};
    EXPECT_STREQ(choose_bundle_answer(4, yes_later), "no");
}
