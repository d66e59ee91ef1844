# Run by cpack once the release archive is made: builds the Windows Installer
# package beside it, from the very files staged for it, and signs it when the
# program was signed.
include(${CMAKE_CURRENT_LIST_DIR}/msi.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/sign.cmake)
set(msi ${CPACK_PACKAGE_DIRECTORY}/${CPACK_MSI_FILE_NAME})
make_msi(OUTPUT ${msi} VERSION ${CPACK_PACKAGE_VERSION} STAGED ${CPACK_TEMPORARY_DIRECTORY}
         PRODUCT ${CPACK_EXAMPLE_PRODUCT} MAKER ${CPACK_EXAMPLE_MAKER}
         EPOCH ${CPACK_SOURCE_DATE_EPOCH})
sign_for_release(${msi} "${CPACK_SETUPS_DESCRIPTION}")
message(STATUS "made ${msi}")
