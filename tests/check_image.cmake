# The shipped program must be a 32-bit x86 console executable that needs
# nothing but what every Windows has (KERNEL32, msvcrt and ADVAPI32), and
# carry its manifest and version information.
include(${CMAKE_CURRENT_LIST_DIR}/resources.cmake)
execute_process(COMMAND ${OBJDUMP} -p -f ${PROGRAM} OUTPUT_VARIABLE headers RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cannot read the headers of ${PROGRAM}")
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

# Windows reads the process's manifest from resource 1 of type RT_MANIFEST.
# It is stored as plain UTF-8, so its one line can be read out of the file.
file(STRINGS ${PROGRAM} manifest REGEX "<assembly .*</assembly>")
expect_resources(${PROGRAM} "\n1 24 /\\* RT_MANIFEST \\*/\n" "\n1 VERSIONINFO\n"
                                "FILEVERSION ${VERSION_NUMBERS}\n"
                                "VALUE \"FileVersion\", \"${VERSION}\"\n"
                                "VALUE \"OriginalFilename\", \"bundle-answer.exe\"\n")
if(NOT manifest MATCHES "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>")
    message(FATAL_ERROR "${PROGRAM}: its manifest does not run it as its invoker:\n${manifest}")
endif()
# Vista, 7, 8, 8.1, and 10 with 11.
string(REGEX MATCHALL "<supportedOS Id=\"{[-0-9a-f]+}\"/>" systems "${manifest}")
list(LENGTH systems system_count)
if(NOT system_count EQUAL 5 OR NOT manifest MATCHES "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a")
    message(FATAL_ERROR "${PROGRAM}: its manifest names ${system_count} systems:\n${manifest}")
endif()
message(STATUS "${PROGRAM}: PE32 i386 console program importing ${imports}, "
               "version ${VERSION}, manifest asking for asInvoker")
