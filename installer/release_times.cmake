# Run by cpack once the files are staged, and signed: every staged file and
# folder takes the time of the last commit, so the Windows Installer
# package's cabinet and the Inno Setup program, which keep the files' times,
# hold none of the build's.
file(GLOB_RECURSE staged LIST_DIRECTORIES true ${CPACK_TEMPORARY_DIRECTORY}/*)
execute_process(COMMAND touch -h -d @${CPACK_SOURCE_DATE_EPOCH} ${CPACK_TEMPORARY_DIRECTORY} ${staged}
                COMMAND_ERROR_IS_FATAL ANY)
