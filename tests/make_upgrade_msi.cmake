# The Windows Installer package built once more, with a higher version, from
# the files a release stages, for the major upgrade test.
include(${SOURCE_DIR}/installer/msi.cmake)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/staged)
file(COPY ${PROGRAM} ${README} ${SOURCE_DIR}/LICENSE ${KIT}/bundle-answer-wixl.sh
     DESTINATION ${WORK}/staged)
make_msi(OUTPUT ${WORK}/upgrade.msi VERSION ${VERSION} STAGED ${WORK}/staged
         PRODUCT ${PRODUCT} MAKER ${MAKER} EPOCH 315532800)
