# The setups' tests: each engine's setup installed, reinstalled and removed
# silently in both Wine prefixes, its offer used by the keyboard, and the
# release made, signed and made again. Their sources are in tests/.
set(tests_dir ${PROJECT_SOURCE_DIR}/tests)
set(work_dir ${PROJECT_BINARY_DIR}/tests)
set(package_dir ${PROJECT_BINARY_DIR}/package)
set(program $<TARGET_FILE:bundle-answer>)
set(version_numbers "${PROJECT_VERSION_MAJOR}, ${PROJECT_VERSION_MINOR}, ${PROJECT_VERSION_PATCH}, 0")

add_executable(installer_tests ${tests_dir}/installer_test.cpp)
target_link_libraries(installer_tests PRIVATE test_support GTest::gtest_main project_warnings
                      shell32)
target_compile_definitions(installer_tests PRIVATE
    NSIS_SETUP_FILE_NAME="${CPACK_NSIS_SETUP_FILE_NAME}"
    MSI_FILE_NAME="${CPACK_MSI_FILE_NAME}"
    INNO_SETUP_FILE_NAME="${CPACK_INNO_FILE_NAME}.exe"
    HOMEPAGE_URL="${PROJECT_HOMEPAGE_URL}")
foreach(arch IN LISTS WINE_ARCHITECTURES)
    gtest_add_tests(TARGET installer_tests TEST_PREFIX ${arch}. TEST_LIST installer)
    set_tests_properties(${installer} PROPERTIES
        ENVIRONMENT "WINEPREFIX=${PROJECT_BINARY_DIR}/wine-${arch}"
        FIXTURES_REQUIRED "wine_${arch};release_package;msi_upgrade" RESOURCE_LOCK wine_${arch}
        SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
endforeach()

# cpack makes the archive and the three setups into the build tree's package/.
add_test(NAME release_archive COMMAND ${CMAKE_COMMAND} -DCPACK=${CMAKE_CPACK_COMMAND}
    -DBUILD_DIR=${PROJECT_BINARY_DIR} -DNAME=${archive_name}
    -DPROGRAM=${program} -DNSIS_SETUP=${CPACK_NSIS_SETUP_FILE_NAME} -DWINDRES=${CMAKE_RC_COMPILER}
    -DVERSION=${PROJECT_VERSION} "-DVERSION_NUMBERS=${version_numbers}"
    -P ${tests_dir}/check_archive.cmake)
set_tests_properties(release_archive PROPERTIES FIXTURES_SETUP release_package RESOURCE_LOCK cpack)
add_test(NAME release_reproducible COMMAND ${tests_dir}/check_release_reproducible.sh
    ${PROJECT_SOURCE_DIR} ${work_dir}/release-reproducible ${INNO_ISCC} ${MAKENSIS})
set_tests_properties(release_reproducible PROPERTIES TIMEOUT 600)
add_test(NAME release_signing COMMAND env WINEPREFIX=${PROJECT_BINARY_DIR}/wine-win32
    ${WINE_ENVIRONMENT} ${WINE_PREFIX_SCRIPT} run ${tests_dir}/check_release.sh
    ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR} ${PROJECT_VERSION})
set_tests_properties(release_signing PROPERTIES FIXTURES_REQUIRED wine_win32
    RESOURCE_LOCK "cpack;wine_win32" TIMEOUT 600)

# The Windows Installer package again, one patch version up.
math(EXPR next_patch "${PROJECT_VERSION_PATCH} + 1")
add_test(NAME msi_upgrade_package COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
    -DWORK=${work_dir}/upgrade -DPROGRAM=${program} -DREADME=${CMAKE_CURRENT_BINARY_DIR}/README.md
    -DVERSION=${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${next_patch}
    -DPRODUCT=${EXAMPLE_PRODUCT} -DMAKER=${EXAMPLE_MAKER} -DKIT=${kit_dir}
    -P ${tests_dir}/make_upgrade_msi.cmake)
set_tests_properties(msi_upgrade_package PROPERTIES FIXTURES_SETUP msi_upgrade)
# What Windows enforces and Wine does not, read from the package's tables.
add_test(NAME msi_tables COMMAND ${CMAKE_COMMAND} -DMSI=${package_dir}/${CPACK_MSI_FILE_NAME}
    -P ${tests_dir}/check_msi_tables.cmake)
set_tests_properties(msi_tables PROPERTIES FIXTURES_REQUIRED release_package)

# Reads a page's texts as the user sees them, for the walks below.
add_executable(window_texts ${tests_dir}/window_texts.cpp)
target_link_options(window_texts PRIVATE -municode -static-libgcc -static-libstdc++)
target_link_libraries(window_texts PRIVATE project_warnings)
add_dependencies(installer_tests window_texts)

# Each setup's offer, used by the keyboard on a display of its own, in a
# 64-bit prefix of its own. Its WINEPREFIX is what a later run finds the
# processes of this one by, should this one be killed. Such a prefix takes
# 1.3 GB of disk until the test removes it: one at a time (own_prefix).
foreach(engine_setup nsis:${CPACK_NSIS_SETUP_FILE_NAME} inno:${CPACK_INNO_FILE_NAME}.exe)
    string(REPLACE ":" ";" engine_setup ${engine_setup})
    list(GET engine_setup 0 engine)
    list(GET engine_setup 1 setup)
    set(work ${work_dir}/${engine}-setup-page)
    add_test(NAME ${engine}_setup_page COMMAND env ${WINE_ENVIRONMENT} WINEPREFIX=${work}-prefix
        ${tests_dir}/check_setup_page.sh ${engine} ${package_dir}/${setup} ${work})
    set_tests_properties(${engine}_setup_page PROPERTIES FIXTURES_REQUIRED release_package
        RESOURCE_LOCK own_prefix TIMEOUT 900)
endforeach()

# Each kit's offer page, shown with texts that NSIS, Inno and Windows take
# for their own ("&", "$", quotes, braces), read back from its controls, on
# a display and in a 64-bit prefix of its own.
set(work ${work_dir}/offer-texts)
add_test(NAME offer_texts COMMAND env ${WINE_ENVIRONMENT} WINEPREFIX=${work}-prefix
    ${tests_dir}/check_offer_texts.sh ${package_dir}/${archive_name}.zip ${work} ${MAKENSIS}
    ${INNO_ISCC} $<TARGET_FILE:window_texts>)
set_tests_properties(offer_texts PROPERTIES FIXTURES_REQUIRED release_package
    RESOURCE_LOCK own_prefix TIMEOUT 600)

# Each engine's example in the release archive's README, built from the
# archive's files as the README says, installed and removed in both prefixes.
foreach(arch IN LISTS WINE_ARCHITECTURES)
    add_test(NAME ${arch}.readme_examples COMMAND env WINEPREFIX=${PROJECT_BINARY_DIR}/wine-${arch}
        ${WINE_ENVIRONMENT} ${WINE_PREFIX_SCRIPT} run ${tests_dir}/check_readme_examples.sh
        ${package_dir}/${archive_name}.zip ${work_dir}/readme-${arch} ${MAKENSIS} ${INNO_ISCC})
    set_tests_properties(${arch}.readme_examples PROPERTIES
        FIXTURES_REQUIRED "wine_${arch};release_package" RESOURCE_LOCK wine_${arch} TIMEOUT 600)
endforeach()

# Each engine's kit in an author's own setup (tests/authors/), built from the
# release archive's files and installed and removed in both prefixes; and
# the places where a kit must refuse, NSIS's for a standard user with a
# plug-in that says the user is one.
add_library(nsis_standard_user MODULE ${tests_dir}/nsis_standard_user.cpp)
set_target_properties(nsis_standard_user PROPERTIES OUTPUT_NAME UserInfo PREFIX ""
                      LIBRARY_OUTPUT_DIRECTORY ${work_dir}/nsis-standard-user)
target_link_options(nsis_standard_user PRIVATE -static-libgcc -static-libstdc++)
target_link_libraries(nsis_standard_user PRIVATE project_warnings)
add_dependencies(installer_tests nsis_standard_user)
foreach(arch IN LISTS WINE_ARCHITECTURES)
    add_test(NAME ${arch}.author_setups COMMAND env WINEPREFIX=${PROJECT_BINARY_DIR}/wine-${arch}
        ${WINE_ENVIRONMENT} ${WINE_PREFIX_SCRIPT} run ${tests_dir}/check_author_setups.sh
        ${package_dir}/${archive_name}.zip ${work_dir}/authors-${arch} ${MAKENSIS} ${INNO_ISCC}
        ${work_dir}/nsis-standard-user)
    set_tests_properties(${arch}.author_setups PROPERTIES
        FIXTURES_REQUIRED "wine_${arch};release_package" RESOURCE_LOCK wine_${arch} TIMEOUT 600)
endforeach()
