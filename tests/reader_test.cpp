// The product's side: read_bundle_answer as a product calls it, before the
// helper ever ran, after it ran, and over values that are no answer.

#include "bundle_answer_reader.h"
#include "registry_checks.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

using Reader = FreshRegistry;

TEST_F(Reader, FindsWhatTheHelperRecorded)
{
    EXPECT_EQ(read_bundle_answer(), bundle_answer_not_recorded);
    expect_quiet_success(run_bundle_answer({"-y"}));
    EXPECT_EQ(read_bundle_answer(), bundle_answer_yes);
    expect_quiet_success(run_bundle_answer({}));
    EXPECT_EQ(read_bundle_answer(), bundle_answer_no);
}

TEST_F(Reader, AnythingButAnExactAnswerIsNotRecorded)
{
    write_neighbours();
    EXPECT_EQ(read_bundle_answer(), bundle_answer_not_recorded) << "the key without the value";
    const struct {
        DWORD type;
        std::string bytes;
    } planted[] = {
        {REG_SZ, "yes"s},
        {REG_SZ, "no"s},
        {REG_SZ, "YES\0"s},
        {REG_SZ, "yes\0\0"s},
        {REG_SZ, "no\0x"s},
        {REG_SZ, "yesno\0"s},
        {REG_SZ, " yes\0"s},
        {REG_SZ, "\0"s},
        {REG_SZ, ""s},
        {REG_BINARY, "yes\0"s},
        {REG_DWORD, "\x01\0\0\0"s},
        {REG_NONE, "no\0"s},
        {REG_SZ, std::string(4096, 'y') + '\0'},
    };
    for (const auto &[type, bytes] : planted) {
        SCOPED_TRACE("type " + std::to_string(type) + ", " + std::to_string(bytes.size()) +
                     " bytes: " + bytes.substr(0, 8));
        write_value(configuration, answer_value, type, bytes);
        EXPECT_EQ(read_bundle_answer(), bundle_answer_not_recorded);
    }
}
