# Run by cpack once the release archive is made: builds the Inno Setup
# program beside it, from the very files staged for it, with ISCC.exe under
# Wine in a 32-bit prefix of the build tree's own, and signs it when the
# program was signed.
include(${CMAKE_CURRENT_LIST_DIR}/sign.cmake)
set(wine env ${CPACK_WINE_ENVIRONMENT} WINEPREFIX=${CPACK_INNO_PREFIX} WINEARCH=win32)
# No pipe of ours may reach the services that a prefix's first program starts:
# they outlive it, and whoever reads that pipe would wait for them.
set(detached INPUT_FILE /dev/null OUTPUT_FILE /dev/null ERROR_FILE /dev/null)
if(NOT EXISTS ${CPACK_INNO_PREFIX}/system.reg)
    execute_process(COMMAND ${wine} wineboot --init ${detached} COMMAND_ERROR_IS_FATAL ANY)
endif()
# Windows paths, as ISCC reads them: the root of this file system is Z:.
function(windows_path path result)
    string(REPLACE "/" "\\" path "Z:${path}")
    set(${result} "${path}" PARENT_SCOPE)
endfunction()
windows_path(${CPACK_TEMPORARY_DIRECTORY} staged)
windows_path(${CPACK_PACKAGE_DIRECTORY} output)
# The script goes beside the kit it includes, as an author's would.
file(COPY_FILE ${CPACK_INNO_SCRIPT} ${CPACK_TEMPORARY_DIRECTORY}/setup.iss)
windows_path(${CPACK_TEMPORARY_DIRECTORY}/setup.iss script)
execute_process(COMMAND ${wine} ${CPACK_WINE_COMMAND} ${CPACK_INNO_ISCC} /Q
                        /DPRODUCT=${CPACK_EXAMPLE_PRODUCT} /DMAKER=${CPACK_EXAMPLE_MAKER}
                        /DVERSION=${CPACK_PACKAGE_VERSION} /DURL=${CPACK_PACKAGE_HOMEPAGE_URL}
                        /DSTAGED=${staged} /DOUTPUT=${output} /DOUTNAME=${CPACK_INNO_FILE_NAME}
                        ${script}
                INPUT_FILE /dev/null OUTPUT_VARIABLE iscc_says ERROR_VARIABLE iscc_says
                RESULT_VARIABLE failed)
file(REMOVE ${CPACK_TEMPORARY_DIRECTORY}/setup.iss)
# Its wineserver, and the folder it keeps outside the build tree, go now.
execute_process(COMMAND env WINEPREFIX=${CPACK_INNO_PREFIX} ${CPACK_WINE_PREFIX_SCRIPT} stop ${detached})
set(setup ${CPACK_PACKAGE_DIRECTORY}/${CPACK_INNO_FILE_NAME}.exe)
if(failed OR NOT EXISTS ${setup})
    message(FATAL_ERROR "ISCC could not make ${setup}: ${iscc_says}")
endif()
sign_for_release(${setup} "${CPACK_SETUPS_DESCRIPTION}")
message(STATUS "made ${setup}")
