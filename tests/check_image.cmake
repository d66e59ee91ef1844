# The shipped program must be a 32-bit x86 console executable that needs
# nothing but what every Windows has: KERNEL32, msvcrt and ADVAPI32.
execute_process(COMMAND ${OBJDUMP} -p -f ${PROGRAM} OUTPUT_VARIABLE headers RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "${OBJDUMP} cannot read ${PROGRAM}")
endif()

foreach(expected "file format pei-i386" "architecture: i386," "Magic[ \t]+010b[ \t]+\\(PE32\\)"
                 "Subsystem[ \t]+00000003[ \t]+\\(Windows CUI\\)")
    if(NOT headers MATCHES "${expected}")
        message(FATAL_ERROR "${PROGRAM}: no '${expected}' in its headers:\n${headers}")
    endif()
endforeach()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
list(TRANSFORM imports REPLACE "DLL Name: " "")
list(SORT imports CASE INSENSITIVE)
if(NOT imports STREQUAL "ADVAPI32.dll;KERNEL32.dll;msvcrt.dll")
    message(FATAL_ERROR "${PROGRAM} imports ${imports}, not just ADVAPI32, KERNEL32 and msvcrt")
endif()
message(STATUS "${PROGRAM}: PE32 i386 console program importing ${imports}")
