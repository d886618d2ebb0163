#!/usr/bin/env bash
# The folders of src/ form layers: a core file includes only its own folder and folders below
# it; a window or page (the user-interface files: *_page, *_form, *_window, *_control, and
# every file of app/, host/ and controls/) includes the core, the shared host/ and controls/
# folders and its own folder, never the main window (app/) nor another page. Run by CTest;
# prints each include that breaks a layer and fails when there is one.
set -euo pipefail
src="${1:-$(dirname "$0")/../src}"

# The core layers, lowest first; a folder may include the folders of lower ranks.
declare -A rank=(
    [os]=0
    [gameexe]=1
    [texts]=2 [weapons]=2 [ai]=2 [hacks]=2
    [formats]=3
    [palette]=4 [shell]=4
    [platform]=5
    [codecs]=6
    [sound]=7 [browser]=7
    [changes]=8
    [cli]=9
)
# User-interface folders, lowest first: each may include the ones before it.
ui_folders=(host controls)
# Arrows that break the layers and are still to be removed ("file: included header"); a new
# arrow fails, and so does an entry here that no longer occurs.
known=()

is_ui_file() {   # folder file
    case "$1" in app | host | controls) return 0 ;; esac
    [[ "$2" =~ _(page|form|window|control)\.(h|cpp)$ ]]
}

ui_rank() {
    local i
    for i in "${!ui_folders[@]}"; do
        [ "${ui_folders[$i]}" = "$1" ] && { echo "$i"; return; }
    done
    echo 99
}

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

while IFS= read -r file; do
    relative="${file#"$src"/}"
    folder="${relative%%/*}"
    name="${relative##*/}"
    while IFS= read -r included; do
        target="${included%%/*}"
        target_name="${included##*/}"
        [ "$target" = "$folder" ] && continue
        [ -d "$src/$target" ] || continue   # a generated or outside header
        if is_ui_file "$target" "$target_name"; then
            # A user-interface header: only the main window assembles pages; pages reach the
            # shared host/ and controls/ below them.
            if [ "$folder" = app ]; then
                continue
            fi
            if ! is_ui_file "$folder" "$name"; then
                fail "$relative" "$included" "the core includes a window or page"
            elif [ "$(ui_rank "$target")" -ge "$(ui_rank "$folder")" ]; then
                fail "$relative" "$included" "a page includes the main window or another page"
            fi
        elif ! is_ui_file "$folder" "$name"; then
            if [ -z "${rank[$folder]+set}" ] || [ -z "${rank[$target]+set}" ]; then
                fail "$relative" "$included" "a folder without a layer (add it to scripts/check_includes.sh)"
            elif [ "${rank[$target]}" -ge "${rank[$folder]}" ]; then
                fail "$relative" "$included" "a folder includes one at or above its own layer"
            fi
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
