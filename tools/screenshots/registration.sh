#!/usr/bin/env bash
# Photographs the registration window on a virtual X screen.
#   tools/screenshots/registration.sh BUILD_DIR [OUTPUT.png [--sample]]
set -euo pipefail
build=${1:?build folder}
output=${2:-docs/screenshots/registration.png}
preview=$build/tools/toroku_preview

xvfb-run -a -s "-screen 0 800x600x24" bash -c '
    coproc PREVIEW { exec "$1" "${@:3}"; }
    read -r _ <&"${PREVIEW[0]}" # painted
    window=$(xdotool search --onlyvisible --name "登録ウィンドウ" | head -n 1)
    import -window "$window" "$2"
    kill "$PREVIEW_PID"
    wait "$PREVIEW_PID" || true
' _ "$preview" "$output" "${@:3}"
echo "wrote $output"
