#!/usr/bin/env bash
# check_release_reproducible.sh PROJECT WORK ISCC MAKENSIS: two clones of the
# last commit, made apart in time and at different depths, build the same
# release bytes: the archive, the NSIS and the Inno setups and the Windows
# Installer package. ISCC and MAKENSIS are the compilers scripts/setup installed.
set -euo pipefail
project=$1 work=$2 iscc=$3 makensis=$4
rm -rf "$work"
mkdir -p "$work"
if ! git -C "$project" rev-parse --git-dir >/dev/null 2>&1; then
    echo "not a git checkout: no commit to clone, nothing compared"
    exit 0
fi
for clone in "$work/a" "$work/one/more/b"; do
    git clone -q --no-hardlinks "$project" "$clone"
    (cd "$clone" && cmake --preset windows-x86 -DBUILD_TESTING=OFF -DBUNDLE_ANSWER_SETUPS=ON \
        -DINNO_ISCC="$iscc" -DMAKENSIS="$makensis" >/dev/null &&
        cmake --build --preset windows-x86 >/dev/null &&
        cpack --config build/windows-x86/CPackConfig.cmake -B "$clone/release" >/dev/null &&
        # The Inno compiler's prefix: 0.6 GB of disk that nothing reads again.
        rm -rf build/windows-x86/wine-inno)
    sleep 1.1 # so that the second clone's files are younger
done
failed=0
for file in "$work"/a/release/*.zip "$work"/a/release/*.exe "$work"/a/release/*.msi; do
    name=$(basename "$file")
    if cmp -s "$file" "$work/one/more/b/release/$name"; then
        echo "same bytes: $name"
    else
        echo "FAILED: $name differs between two clones" >&2
        failed=1
    fi
done
[ "$(ls "$work"/a/release/*.{zip,exe,msi} | wc -l)" = 4 ] || { echo "FAILED: not four files" >&2; failed=1; }
# What differs is kept for comparing, and nothing else.
[ "$failed" = 1 ] || rm -rf "$work"
exit $failed
