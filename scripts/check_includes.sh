#!/usr/bin/env bash
# The folders of src/ form layers, and a file's folder tells its side: src/core/ (no Qt),
# src/modules/ (parts loaded at first use), src/gui/ (the program's windows) and src/cli/. Arrows
# run one way: modules -> core, gui -> modules and core, cli -> core; inside each, a folder
# includes its own files and folders of a lower rank only, so two folders of one rank (two
# pages) never include each other. A file under src/core/ that includes Qt fails too. Run by
# CTest; prints each include that breaks a layer and fails when there is one.
set -euo pipefail
src="${1:-$(dirname "$0")/../src}"

# Ranks of the folders, lowest first.
declare -A rank=(
    [core]=0 [modules]=1 [gui]=2 [cli]=2
    [core/os]=0
    [core/base]=1
    [core/text]=2
    [core/gamefile]=3
    [core/store]=4 [core/fields]=4
    [core/ai]=5 [core/hacks]=5 [core/texts]=5 [core/weapons]=5
    [core/formats]=6
    [core/palette]=7 [core/shell]=7
    [core/platform]=8
    [core/codecs]=9
    [core/sound]=10 [core/browser]=10
    [core/changes]=11
    [core/mods]=12
    [modules/audio]=0 [modules/codecs]=0 [modules/desktop]=0
    [gui/host]=0
    [gui/controls]=1
    [gui/ai]=2 [gui/browser]=2 [gui/changes]=2 [gui/hacks]=2 [gui/palette]=2 [gui/sound]=2
    [gui/texts]=2 [gui/weapons]=2 [gui/mods]=2
    [gui/app]=3
)
# Arrows that break the layers and are still to be removed ("file: included header"); a new
# arrow fails, and so does an entry here that no longer occurs.
known=(
)

failures=0
declare -A seen=()
fail() {
    local entry
    for entry in "${known[@]}"; do
        if [ "$entry" = "$1: $2" ]; then
            seen[$entry]=1
            return
        fi
    done
    echo "$1: includes $2: $3"
    failures=$((failures + 1))
}

folder_of() {   # path relative to src -> its layer folder: "cli", or "core/store" ...
    case "$1" in
        cli/*) echo cli ;;
        */*/*) echo "${1%/*}" | cut -d/ -f1-2 ;;
        *) echo "${1%%/*}" ;;
    esac
}

while IFS= read -r file; do
    relative="${file#"$src"/}"
    folder="$(folder_of "$relative")"
    top="${folder%%/*}"
    if [ -z "${rank[$folder]+set}" ]; then
        fail "$relative" "-" "a folder without a layer (add it to scripts/check_includes.sh)"
        continue
    fi
    if [ "$top" = core ] && grep -q '^#include <Q' "$file"; then
        fail "$relative" "$(grep -m1 '^#include <Q' "$file" | sed 's/#include //')" "the core includes Qt"
    fi
    while IFS= read -r included; do
        [ -e "$src/$included" ] || continue   # a generated or outside header
        target="$(folder_of "$included")"
        [ "$target" = "$folder" ] && continue
        target_top="${target%%/*}"
        if [ "$target_top" != "$top" ]; then
            [ "${rank[$target_top]}" -lt "${rank[$top]}" ] ||
                fail "$relative" "$included" "$top includes $target_top"
        elif [ -z "${rank[$target]+set}" ]; then
            fail "$relative" "$included" "a folder without a layer (add it to scripts/check_includes.sh)"
        elif [ "${rank[$target]}" -ge "${rank[$folder]}" ]; then
            fail "$relative" "$included" "a folder includes one at or above its own layer"
        fi
    done < <(sed -n 's/^#include "\([a-z_0-9]*\/[^"]*\)".*/\1/p' "$file")
done < <(find "$src" -name '*.h' -o -name '*.cpp' -o -name '*.cpp.in' | sort)

for entry in "${known[@]}"; do
    if [ -z "${seen[$entry]+set}" ]; then
        echo "$entry: no longer breaks the layers; take it out of scripts/check_includes.sh"
        failures=$((failures + 1))
    fi
done
if [ "$failures" -gt 0 ]; then
    echo "$failures include(s) break the layers"
    exit 1
fi
