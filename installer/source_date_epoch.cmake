# Read by cpack before it packs anything: CMake's archive writer stamps every
# entry with $SOURCE_DATE_EPOCH when it is set, and not with the file times
# of the build, access and change times among them.
set(ENV{SOURCE_DATE_EPOCH} ${CPACK_SOURCE_DATE_EPOCH})
