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
    [gameexe]=0
    [texts]=1 [weapons]=1 [ai]=1 [hacks]=1
    [formats]=2
    [palette]=3 [shell]=3
    [platform]=4
    [codecs]=5
    [sound]=6 [browser]=6
    [changes]=7
    [cli]=9
)
# User-interface folders, lowest first: each may include the ones before it.
ui_folders=(host controls)
# Arrows that break the layers and are still to be removed ("file: included header"); a new
# arrow fails, and so does an entry here that no longer occurs.
known=(
    # Outcome and the service interfaces belong in gameexe/ (git mv and one sed of the includes).
    "ai/ai_values.h: shell/outcome.h"
    "formats/activation.h: shell/outcome.h"
    "formats/activation.h: shell/services.h"
    "formats/conversion.h: shell/outcome.h"
    "formats/graphics_mod.h: shell/outcome.h"
    "gameexe/backups.h: shell/outcome.h"
    "gameexe/backups.h: shell/services.h"
    "hacks/hacks.h: shell/outcome.h"
    "palette/palette_editor.h: shell/outcome.h"
    "texts/game_texts.h: shell/outcome.h"
    "texts/translation.h: shell/outcome.h"
    "texts/translation.h: shell/services.h"
    "weapons/field_arrays.h: shell/outcome.h"
    "weapons/plugin.h: shell/outcome.h"
    "weapons/plugin.h: shell/services.h"
    "weapons/weapon_table.h: shell/outcome.h"
    # platform/ holds both the operating system's layer (below every folder) and the loaded Qt
    # services (above shell/): the folder is to be split.
    "gameexe/backups.cpp: platform/files.h"
    "gameexe/game_file.cpp: platform/files.h"
    "gameexe/game_lock.cpp: platform/files.h"
    # The host interface and the scheme colours belong in the shared host/ folder; the browser
    # needs a small interface of its own instead of the main window.
    "ai/ai_page.cpp: app/page_host.h"
    "browser/mod_browser_control.cpp: app/main_form.h"
    "changes/changes_window.h: app/page_host.h"
    "controls/field_panel.cpp: app/page_host.h"
    "hacks/hacks_window.cpp: app/page_host.h"
    "hacks/hacks_window.cpp: app/scheme_colours.h"
    "palette/palette_page.cpp: app/page_host.h"
    "sound/sound_page.cpp: app/page_host.h"
    "texts/text_editor_window.cpp: app/page_host.h"
    "texts/text_editor_window.cpp: app/scheme_colours.h"
    "weapons/table_page.cpp: app/page_host.h"
    "weapons/weapon_page.cpp: app/page_host.h"
)

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
