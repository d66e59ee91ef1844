// The answer rule against any argument vector: bytes split at NUL into the
// arguments after the program's name.

#include "bundle_answer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool says_yes(const std::string &first)
{
    return first.size() == 2 && (first[0] == '-' || first[0] == '/') &&
           (first[1] == 'y' || first[1] == 'Y');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::vector<std::string> args{"bundle-answer"};
    if (size > 0)
        args.emplace_back();
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\0')
            args.emplace_back();
        else
            args.back() += static_cast<char>(data[i]);
    }
    std::vector<const char *> argv;
    for (const std::string &arg : args)
        argv.push_back(arg.c_str());
    argv.push_back(nullptr);

    const char *answer = choose_bundle_answer(static_cast<int>(args.size()), argv.data());
    const bool yes = args.size() > 1 && says_yes(args[1]);
    if (std::strcmp(answer, yes ? "yes" : "no") != 0)
        std::abort();
    return 0;
}
