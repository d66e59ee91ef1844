# Requires what windres reads out of a Windows executable's resources to
# match each of the regular expressions given after it.
function(expect_resources executable)
    execute_process(COMMAND ${WINDRES} -i ${executable} -O rc OUTPUT_VARIABLE resources
                    RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "cannot read the resources of ${executable}")
    endif()
    foreach(expected IN LISTS ARGN)
        if(NOT resources MATCHES "${expected}")
            message(FATAL_ERROR "${executable}: no '${expected}' in its resources:\n${resources}")
        endif()
    endforeach()
endfunction()
