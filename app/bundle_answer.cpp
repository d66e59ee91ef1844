#include "bundle_answer.h"

#ifdef _WIN32
#include <string.h>
#else
#include "win32.h"
#endif

const char *choose_bundle_answer(int argc, const char *const *argv)
{
    if (argc < 2)
        return "no";
    if (_stricmp(argv[1], "-y") == 0 || _stricmp(argv[1], "/y") == 0)
        return "yes";
    return "no";
}
