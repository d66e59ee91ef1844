# Installers carry the program: it stays small, resources included.
file(SIZE ${PROGRAM} size)
if(size GREATER LIMIT)
    message(FATAL_ERROR "${PROGRAM} is ${size} bytes, over the limit of ${LIMIT}")
endif()
message(STATUS "${PROGRAM}: ${size} bytes (limit ${LIMIT})")
