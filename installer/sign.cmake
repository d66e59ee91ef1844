# Signs a file of the release in place with Authenticode when cpack was given
# signing material (scripts/release passes it as SIGN_* variables): SHA-256,
# what the file is (`description`, else the project's name) and the address
# (SIGN_URL, else the project's HOMEPAGE_URL), and a time stamp when a server
# is named. Passwords are read from their file by osslsigncode itself.
function(sign_for_release file)
    set(description ${ARGN})
    if(NOT description)
        set(description ${CPACK_PACKAGE_NAME})
    endif()
    if(NOT SIGN_PKCS12 AND NOT SIGN_CERT)
        return()
    endif()
    if(SIGN_PKCS12)
        set(material -pkcs12 ${SIGN_PKCS12})
    else()
        set(material -certs ${SIGN_CERT} -key ${SIGN_KEY})
    endif()
    if(SIGN_PASSWORD_FILE)
        list(APPEND material -readpass ${SIGN_PASSWORD_FILE})
    endif()
    if(NOT SIGN_URL)
        set(SIGN_URL ${CPACK_PACKAGE_HOMEPAGE_URL})
    endif()
    if(SIGN_TIMESTAMP_URL)
        list(APPEND material -ts ${SIGN_TIMESTAMP_URL})
    endif()
    execute_process(COMMAND osslsigncode sign ${material} -h sha256 -n "${description}"
                            -i ${SIGN_URL} -in ${file} -out ${file}.signed
                    OUTPUT_QUIET RESULT_VARIABLE failed)
    if(failed)
        file(REMOVE ${file}.signed)
        message(FATAL_ERROR "osslsigncode could not sign ${file}")
    endif()
    file(RENAME ${file}.signed ${file})
endfunction()
