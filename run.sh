#!/usr/bin/env bash
# Installs what the program needs, builds the program (no tests), creates the demo game when
# needed and starts Quorvex on it. ./test.sh sets up and builds the rest.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
install_missing_packages --no-install-recommends "${PROGRAM_PACKAGES[@]}"
build_program
bin="${QUORVEX_BUILD_DIR:-build}/bin"
demo="$PWD/demo-game"
[ -e "$demo/torlo.exe" ] || "$bin/quorvex-demo-game" "$demo"
# A first start goes to the demo game instead of asking for torlo.exe.
config="${XDG_CONFIG_HOME:-$HOME/.config}/Morvane/Quorvex.conf"
if ! grep -q '^TorloPath=' "$config" 2>/dev/null; then
    mkdir -p "$(dirname "$config")"
    grep -q '^\[General\]' "$config" 2>/dev/null || printf '[General]\n' >> "$config"
    sed -i "/^\[General\]/a TorloPath=$demo" "$config"
fi
# On the demo game the browser opens on its sample mods, a level selected and previewed.
if [ $# -eq 0 ] && grep -qxF "TorloPath=$demo" "$config"; then
    set -- "$demo/mods/CANYON.LEV"
fi
exec "$bin/quorvex" "$@"
