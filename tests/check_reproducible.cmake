# Builds the program afresh in two directories of different names and depths
# and requires both to come out byte for byte as PROGRAM: no time stamp and no
# path of the build may reach the image.
foreach(directory "${WORK_DIR}/a" "${WORK_DIR}/another/build/tree")
    file(REMOVE_RECURSE "${directory}")
    execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${directory} -G Ninja
                            --toolchain ${TOOLCHAIN} -DCMAKE_BUILD_TYPE=${BUILD_TYPE}
                            -DBUILD_TESTING=OFF
                    OUTPUT_QUIET RESULT_VARIABLE failed)
    if(NOT failed)
        execute_process(COMMAND ${CMAKE_COMMAND} --build ${directory} --target bundle-answer
                        OUTPUT_QUIET RESULT_VARIABLE failed)
    endif()
    if(failed)
        message(FATAL_ERROR "the build in ${directory} failed")
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${PROGRAM} ${directory}/bundle-answer.exe
                    RESULT_VARIABLE differs)
    if(differs)
        message(FATAL_ERROR "${directory}/bundle-answer.exe differs from ${PROGRAM}")
    endif()
endforeach()
file(SHA256 ${PROGRAM} digest)
message(STATUS "two fresh builds match ${PROGRAM}: sha256 ${digest}")
