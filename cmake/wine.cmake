# Windows programs built here run under Wine, in a prefix of the build tree's
# own: tests never touch the user's ~/.wine, and each test run starts from a
# fresh registry (see tests/CMakeLists.txt).
find_program(WINE_COMMAND wine REQUIRED)

set(WINE_PREFIX ${PROJECT_BINARY_DIR}/wine-prefix)
# No debug chatter, and no offer to download Mono or Gecko into the prefix.
set(WINE_ENVIRONMENT WINEPREFIX=${WINE_PREFIX} WINEDEBUG=-all "WINEDLLOVERRIDES=mscoree,mshtml=")
set(CMAKE_CROSSCOMPILING_EMULATOR env ${WINE_ENVIRONMENT} ${WINE_COMMAND})
