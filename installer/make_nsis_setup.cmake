# Run by cpack once the release archive is made: builds the NSIS setup beside
# the archive, from the very files staged for it, and signs it when the
# program was signed.
include(${CMAKE_CURRENT_LIST_DIR}/sign.cmake)
set(staged ${CPACK_TEMPORARY_DIRECTORY})
set(setup ${CPACK_PACKAGE_DIRECTORY}/${CPACK_NSIS_SETUP_FILE_NAME})
execute_process(COMMAND ${CPACK_NSIS_SETUP_MAKENSIS} -V2 -WX -NOCD
                        -DPRODUCT=${CPACK_EXAMPLE_PRODUCT} -DMAKER=${CPACK_EXAMPLE_MAKER}
                        -DVERSION=${CPACK_PACKAGE_VERSION} -DURL=${CPACK_PACKAGE_HOMEPAGE_URL}
                        -DOUTFILE=${setup} ${CPACK_NSIS_SETUP_SCRIPT}
                WORKING_DIRECTORY ${staged} RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "makensis could not make ${setup}")
endif()
sign_for_release(${setup} "${CPACK_SETUPS_DESCRIPTION}")
message(STATUS "made ${setup}")
