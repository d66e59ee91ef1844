# make_msi(OUTPUT VERSION STAGED PRODUCT MAKER ANSWER_KEY EPOCH): builds the
# Windows Installer package from setup.wxs and the files staged for the release.
# wixl writes most of it; the rows it leaves out (msi_rows.xsl lists them)
# are added with msibuild. The package's codes are made from its version, and
# its times are EPOCH's, so the same sources give the same bytes.
set(msi_source_dir ${CMAKE_CURRENT_LIST_DIR})
find_program(WIXL wixl REQUIRED)
find_program(MSIBUILD msibuild REQUIRED)
find_program(MSIINFO msiinfo REQUIRED)
find_program(XSLTPROC xsltproc REQUIRED)
find_program(FAKETIME faketime REQUIRED)

function(make_msi)
    cmake_parse_arguments(PARSE_ARGV 0 msi "" "OUTPUT;VERSION;STAGED;PRODUCT;MAKER;ANSWER_KEY;EPOCH" "")
    set(namespace 9F0C5A3E-6B2D-4E71-8C4A-3D1E5B7F2A90)
    string(UUID product_code NAMESPACE ${namespace} NAME "ProductCode ${msi_VERSION}" TYPE SHA1 UPPER)
    string(UUID package_code NAMESPACE ${namespace}
           NAME "PackageCode ${msi_VERSION} ${msi_EPOCH}" TYPE SHA1 UPPER)
    execute_process(COMMAND date -u -d @${msi_EPOCH} "+%Y-%m-%d %H:%M:%S"
                    OUTPUT_VARIABLE when OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    # Every tool runs at that moment, to the second.
    set(at_epoch env TZ=UTC ${FAKETIME} -f "${when}")

    # wixl and the row list read the same source, its variables filled in.
    file(READ ${msi_source_dir}/setup.wxs source)
    set(Product ${msi_PRODUCT})
    set(Maker ${msi_MAKER})
    set(Version ${msi_VERSION})
    set(ProductCode ${product_code})
    set(AnswerKey ${msi_ANSWER_KEY})
    # wixl takes only relative paths: it runs in the staged folder.
    set(Program bundle-answer.exe)
    set(Readme README.md)
    set(License LICENSE)
    foreach(name Product Maker Version ProductCode AnswerKey Program Readme License)
        string(REPLACE "$(var.${name})" "${${name}}" source "${source}")
    endforeach()
    get_filename_component(work ${msi_OUTPUT} DIRECTORY)
    set(filled ${work}/setup-filled.wxs)
    file(WRITE ${filled} "${source}")

    execute_process(COMMAND ${at_epoch} ${WIXL} -a x86 -o ${msi_OUTPUT} ${filled}
                    WORKING_DIRECTORY ${msi_STAGED} ERROR_VARIABLE wixl_says RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "wixl could not make ${msi_OUTPUT}: ${wixl_says}")
    endif()
    execute_process(COMMAND ${XSLTPROC} ${msi_source_dir}/msi_rows.xsl ${filled}
                    OUTPUT_VARIABLE rows COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX MATCHALL "row\t[^\n]*" queries "${rows}")
    list(TRANSFORM queries REPLACE "^row\t" "")
    string(REGEX MATCHALL "secure\t[^\n]*" secure "${rows}")
    list(TRANSFORM secure REPLACE "^secure\t" "")

    # The standard actions for those rows, which wixl sequences only for rows
    # of its own.
    execute_process(COMMAND ${MSIINFO} export ${msi_OUTPUT} InstallExecuteSequence
                    OUTPUT_VARIABLE sequence COMMAND_ERROR_IS_FATAL ANY)
    foreach(action_at RemoveRegistryValues:2600 WriteRegistryValues:5000)
        string(REPLACE ":" ";" action_at ${action_at})
        list(GET action_at 0 action)
        list(GET action_at 1 at)
        if(NOT sequence MATCHES "\n${action}\t")
            list(APPEND queries
                 "INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('${action}', ${at})")
        endif()
    endforeach()
    execute_process(COMMAND ${MSIINFO} export ${msi_OUTPUT} Property
                    OUTPUT_VARIABLE properties COMMAND_ERROR_IS_FATAL ANY)
    if(properties MATCHES "\nSecureCustomProperties\t([^\n]*)")
        list(APPEND secure ${CMAKE_MATCH_1})
    endif()
    list(JOIN secure ";" secure)

    foreach(query IN LISTS queries)
        execute_process(COMMAND ${at_epoch} ${MSIBUILD} ${msi_OUTPUT} -q "${query}"
                        COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
    # Lists are ;-separated here: what holds a ; goes as one quoted argument.
    execute_process(COMMAND ${at_epoch} ${MSIBUILD} ${msi_OUTPUT} -q
        "UPDATE `Property` SET `Value` = '${secure}' WHERE `Property` = 'SecureCustomProperties'"
        -s "${msi_PRODUCT}" "${msi_MAKER}" "Intel;1033" "{${package_code}}"
        COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE ${filled})
endfunction()
