# The Windows Installer package as Windows would run it, read from its
# tables: Wine's msiexec neither elevates nor impersonates, and passes every
# property on, so only the tables show whether the helper would run as
# LocalSystem inside the install script, on a first install or an upgrade
# only, never on a repair, with the BUNDLE the command line gave; nor
# whether its component is 32-bit, has a key path and removes an earlier
# answer first.
find_program(MSIINFO msiinfo REQUIRED)
function(table name result)
    execute_process(COMMAND ${MSIINFO} export ${MSI} ${name} OUTPUT_VARIABLE rows
                    COMMAND_ERROR_IS_FATAL ANY)
    set(${result} "${rows}" PARENT_SCOPE)
endfunction()
# A macro, so that what the pattern captures reaches the caller.
macro(expect what rows pattern)
    if(NOT "${rows}" MATCHES "${pattern}")
        message(SEND_ERROR "${what}: no row matches ${pattern}")
    endif()
endmacro()
table(CustomAction actions)
table(InstallExecuteSequence sequence)
table(Property properties)
table(Component components)
table(RemoveRegistry removed)
# The key's backslashes would be read as escapes where expect() expands it.
string(REPLACE "\\" "/" removed "${removed}")

# 3138: an executable from the Binary table (2), its exit status ignored
# (64), deferred (1024), not impersonated (2048).
expect("-y when BUNDLE is yes" "${actions}" "\nRecordBundleYes\t3138\tBundleAnswerHelper\t-y\t")
expect("no argument otherwise" "${actions}" "\nRecordBundleNo\t3138\tBundleAnswerHelper\t\t")
# 3394: the same, run by the rollback (256) of an install that fails.
expect("no on rollback" "${actions}" "\nRecordBundleNoOnRollback\t3394\tBundleAnswerHelper\t\t")
set(first_install "NOT Installed AND NOT REMOVE~=\"ALL\"")
set(silent_yes "BUNDLE~=\"yes\" AND UILevel<5")
expect("its condition" "${sequence}"
       "\nRecordBundleYes\t${first_install} AND ${silent_yes}\t([0-9]+)\n")
set(yes_at ${CMAKE_MATCH_1})
expect("its condition" "${sequence}"
       "\nRecordBundleNo\t${first_install} AND NOT [(]${silent_yes}[)]\t([0-9]+)\n")
set(no_at ${CMAKE_MATCH_1})
expect("its condition" "${sequence}" "\nRecordBundleNoOnRollback\t${first_install}\t([0-9]+)\n")
if(NOT (CMAKE_MATCH_1 LESS yes_at AND CMAKE_MATCH_1 LESS no_at))
    message(SEND_ERROR "the rollback's helper comes at ${CMAKE_MATCH_1}, after the helper it undoes")
endif()
expect("InstallFiles" "${sequence}" "\nInstallFiles\t\t([0-9]+)\n")
set(files_at ${CMAKE_MATCH_1})
expect("InstallFinalize" "${sequence}" "\nInstallFinalize\t\t([0-9]+)\n")
set(finalize_at ${CMAKE_MATCH_1})
foreach(at IN ITEMS ${yes_at} ${no_at})
    if(NOT (at GREATER files_at AND at LESS finalize_at))
        message(SEND_ERROR "the helper runs at ${at}, outside InstallFiles (${files_at}) to InstallFinalize (${finalize_at})")
    endif()
endforeach()
expect("BUNDLE is secure" "${properties}" "\nSecureCustomProperties\t([^\n]*;)?BUNDLE(;[^\n]*)?\n")
# Programs and Features offers no Repair or Change.
expect("no repair" "${properties}" "\nARPNOREPAIR\t1\n")
expect("no change" "${properties}" "\nARPNOMODIFY\t1\n")
# 4: the key path is a registry value; without 256, in the 32-bit view. The
# earlier answer goes in a component that is transitive (64), so that a
# repair, which runs no helper, removes it instead of the answer.
expect("the answer's key" "${components}"
       "\nBundleAnswerKey\t{[-0-9A-F]+}\tTARGETDIR\t4\t\tBundleAnswerKit\n")
expect("the earlier answer's removal" "${components}"
       "\nBundleAnswerEarlier\t{[-0-9A-F]+}\tTARGETDIR\t68\tNOT Installed\tBundleAnswerFirstInstall\n")
expect("an earlier answer removed" "${removed}"
       "\t2\tSOFTWARE/Kelvaro/Brisolde/CurrentVersion/Configuration\tbundle_reg_data\tBundleAnswerEarlier\n")
expect("RemoveRegistryValues" "${sequence}" "\nRemoveRegistryValues\t\t([0-9]+)\n")
if(NOT CMAKE_MATCH_1 LESS files_at)
    message(SEND_ERROR "the earlier answer goes at ${CMAKE_MATCH_1}, after the helper's files (${files_at})")
endif()
