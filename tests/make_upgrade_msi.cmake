# The Windows Installer package built once more, with a higher version, from
# the files a release stages, for the major upgrade test.
include(${SOURCE_DIR}/installer/msi.cmake)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/staged)
file(COPY ${PROGRAM} ${README} ${SOURCE_DIR}/LICENSE DESTINATION ${WORK}/staged)
make_msi(OUTPUT ${WORK}/upgrade.msi VERSION ${VERSION} STAGED ${WORK}/staged
         PRODUCT ${PRODUCT} MAKER ${MAKER} ANSWER_KEY ${ANSWER_KEY} EPOCH 315532800)
