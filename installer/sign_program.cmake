# Run by cpack once the files are staged: the program is signed before it
# goes into the archive and the setups.
include(${CMAKE_CURRENT_LIST_DIR}/sign.cmake)
sign_for_release(${CPACK_TEMPORARY_DIRECTORY}/bundle-answer.exe)
