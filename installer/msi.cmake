# make_msi(OUTPUT VERSION STAGED PRODUCT MAKER EPOCH): builds the Windows
# Installer package from setup.wxs and the files staged for the release:
# wixl writes the product, and the kit's bundle-answer-wixl.sh (staged with
# the helper) adds the bundle offer, which wixl cannot compile. The
# package's codes are made from its version, and its times are EPOCH's, so
# the same sources give the same bytes.
set(msi_source_dir ${CMAKE_CURRENT_LIST_DIR})
find_program(WIXL wixl REQUIRED)
find_program(MSIBUILD msibuild REQUIRED)
find_program(FAKETIME faketime REQUIRED)

function(make_msi)
    cmake_parse_arguments(PARSE_ARGV 0 msi "" "OUTPUT;VERSION;STAGED;PRODUCT;MAKER;EPOCH" "")
    set(namespace 9F0C5A3E-6B2D-4E71-8C4A-3D1E5B7F2A90)
    string(UUID product_code NAMESPACE ${namespace} NAME "ProductCode ${msi_VERSION}" TYPE SHA1 UPPER)
    string(UUID package_code NAMESPACE ${namespace}
           NAME "PackageCode ${msi_VERSION} ${msi_EPOCH}" TYPE SHA1 UPPER)
    execute_process(COMMAND date -u -d @${msi_EPOCH} "+%Y-%m-%d %H:%M:%S"
                    OUTPUT_VARIABLE when OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    # Every tool runs at that moment, to the second.
    set(at_epoch env TZ=UTC ${FAKETIME} -f "${when}")

    # The source, its variables filled in.
    file(READ ${msi_source_dir}/setup.wxs source)
    set(Product ${msi_PRODUCT})
    set(Maker ${msi_MAKER})
    set(Version ${msi_VERSION})
    set(ProductCode ${product_code})
    # wixl takes only relative paths: it runs in the staged folder.
    set(Readme README.md)
    set(License LICENSE)
    foreach(name Product Maker Version ProductCode Readme License)
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
    execute_process(COMMAND ${at_epoch} sh ${msi_STAGED}/bundle-answer-wixl.sh ${msi_OUTPUT}
                    COMMAND_ERROR_IS_FATAL ANY)
    # Lists are ;-separated here: what holds a ; goes as one quoted argument.
    execute_process(COMMAND ${at_epoch} ${MSIBUILD} ${msi_OUTPUT}
        -s "${msi_PRODUCT}" "${msi_MAKER}" "Intel;1033" "{${package_code}}"
        COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE ${filled})
endfunction()
