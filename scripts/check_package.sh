#!/usr/bin/env bash
# The Debian package as a player meets it: built, checked by lintian and appstreamcli,
# installed with dpkg, its programs run from /usr/bin (a conversion, and Quorvex to its first
# paint offscreen), then removed, leaving no file of it behind. Run by ./test.sh as root or
# through sudo.
set -euo pipefail
cd "$(dirname "$0")/.."
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)

deb="$(./package.sh | tail -n 1)"
echo "Package: $deb"
lintian --fail-on error --tag-display-limit 0 "$deb"

"${sudo[@]}" dpkg -i "$deb" || DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get -f install -y -q
files="$(mktemp)"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch" "$files"' EXIT
dpkg-query -L quorvex > "$files"

appstreamcli validate --no-net /usr/share/metainfo/net.morvane.quorvex.metainfo.xml
/usr/bin/quorvex-cli --version
/usr/libexec/quorvex/quorvex-demo-game "$scratch/game" >/dev/null
export XDG_CONFIG_HOME="$scratch/config" QUORVEX_DATA_DIR="$scratch/data"
/usr/bin/quorvex-cli convert "$scratch/game/mods/MEADOW.LEV" "$scratch/meadow.bmp"
test "$(stat -c %s "$scratch/meadow.bmp")" -gt 176400
/usr/bin/quorvex-cli --game "$scratch/game" sounds export 3 - | cmp -s - <(/usr/bin/quorvex-cli --game "$scratch/game" sounds export 3 "$scratch/s.wav" >/dev/null && cat "$scratch/s.wav")
mkdir -p "$scratch/config/Morvane"
printf '[General]\nTorloPath=%s\n' "$scratch/game" > "$scratch/config/Morvane/Quorvex.conf"
QT_QPA_PLATFORM=offscreen QUORVEX_EXIT_WHEN_SHOWN=1 timeout 120 /usr/bin/quorvex | grep -q '^painted '
echo "Installed quorvex ran to its first paint"

"${sudo[@]}" dpkg -r quorvex
left=0
while IFS= read -r path; do
    if [ -d "$path" ] && ! [ -L "$path" ]; then
        # A folder may stay only when another package owns it too.
        dpkg-query -S "$path" >/dev/null 2>&1 || { echo "left behind: $path"; left=1; }
    elif [ -e "$path" ] || [ -L "$path" ]; then
        echo "left behind: $path"
        left=1
    fi
done < "$files"
[ "$left" -eq 0 ]
echo "dpkg -r left no file behind"
