# cpack makes the release archive, and it holds what a release promises.
file(REMOVE_RECURSE ${BUILD_DIR}/package)
execute_process(COMMAND ${CPACK} --config ${BUILD_DIR}/CPackConfig.cmake OUTPUT_QUIET
                RESULT_VARIABLE failed)
set(archive ${BUILD_DIR}/package/${NAME}.zip)
if(failed OR NOT EXISTS ${archive})
    message(FATAL_ERROR "cpack did not make ${archive}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${archive} OUTPUT_VARIABLE listing)
string(REGEX REPLACE "\n$" "" listing "${listing}")
string(REPLACE "\n" ";" listing "${listing}")
list(SORT listing)
set(expected ${NAME}/BundleAnswer.wxs ${NAME}/LICENSE ${NAME}/README.md
    ${NAME}/bundle-answer-german.iss ${NAME}/bundle-answer-wixl.sh ${NAME}/bundle-answer.exe
    ${NAME}/bundle-answer.iss ${NAME}/bundle-answer.nsh)
if(NOT listing STREQUAL expected)
    message(FATAL_ERROR "${archive} holds ${listing}, not ${expected}")
endif()
# And the program in it is the one just built and tested.
set(unpacked ${BUILD_DIR}/package/unpacked)
file(REMOVE_RECURSE ${unpacked})
file(MAKE_DIRECTORY ${unpacked})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${archive} WORKING_DIRECTORY ${unpacked})
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${PROGRAM} ${unpacked}/${NAME}/bundle-answer.exe
                RESULT_VARIABLE differs)
if(differs)
    message(FATAL_ERROR "the bundle-answer.exe in ${archive} is not ${PROGRAM}")
endif()
# Its README is the one for installer authors.
file(READ ${unpacked}/${NAME}/README.md readme)
if(NOT readme MATCHES "bundle_reg_data" OR readme MATCHES "scripts/test")
    message(FATAL_ERROR "the README.md in ${archive} is not the one for installer authors")
endif()
message(STATUS "${archive}: ${listing}")

# The NSIS setup made with it carries the project's version and asks for the
# administrator rights that writing HKLM takes.
include(${CMAKE_CURRENT_LIST_DIR}/resources.cmake)
set(setup ${BUILD_DIR}/package/${NSIS_SETUP})
expect_resources(${setup} "FILEVERSION ${VERSION_NUMBERS}\n"
                          "VALUE \"ProductVersion\", \"${VERSION}\"\n")
file(STRINGS ${setup} manifest REGEX "<requestedExecutionLevel [^>]*>")
if(NOT manifest MATCHES "level=\"requireAdministrator\"")
    message(FATAL_ERROR "${setup} does not ask for administrator rights: ${manifest}")
endif()
message(STATUS "${setup}: version ${VERSION}, asks for administrator rights")
