# Windows programs built here run under Wine, in prefixes of the build tree's
# own: tests never touch the user's ~/.wine, and each test run starts from a
# fresh registry (see tests/CMakeLists.txt). Which prefix a program runs in is
# the WINEPREFIX of its environment.
find_program(WINE_COMMAND wine)

# As Windows comes: 32-bit, and 64-bit, where our 32-bit programs run under
# WOW64 and see the 32-bit view of the registry.
set(WINE_ARCHITECTURES win32 win64)
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/wine.env WINE_ENVIRONMENT REGEX "^[A-Z]")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/wine.env)
# Each prefix has an X display of its own, started with the prefix.
set(WINE_PREFIX_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/wine-prefix.sh)
set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_PREFIX_SCRIPT} run env ${WINE_ENVIRONMENT} ${WINE_COMMAND})
