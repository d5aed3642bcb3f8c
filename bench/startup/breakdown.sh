#!/usr/bin/env bash
# Where start-up goes: the floor with one of its switches on, against the plain floor. Each
# row is what that one piece of the program's start-up adds.
#
#   breakdown.sh [--build DIR] [--runs N]     (both passed on to run.sh)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
floor_args=()
while (($#)); do
    (($# >= 2)) || { echo "breakdown.sh: $1 needs a value" >&2; exit 1; }
    floor_args+=("$1" "$2")
    shift 2
done

build="$here/../../build"
for ((i = 0; i < ${#floor_args[@]}; i += 2)); do
    [ "${floor_args[i]}" != --build ] || build=${floor_args[i + 1]}
done
floor=$build/bench/startup/bench_startup_floor

printf "%-38s %7s %7s %6s  %6s %6s %6s  %7s %7s %6s\n" "floor with" "ms" "floor" "ratio" \
    "MiB" "floor" "ratio" "CPU ms" "floor" "ratio"
while IFS='|' read -r label switches; do
    args=()
    for switch in $switches; do
        [[ $switch == *=* ]] || switch+="=1"
        args+=(--program-env "$switch")
    done
    "$here/run.sh" "${floor_args[@]}" --program "$floor" "${args[@]}" |
        awk -v label="$label" '
            $1 == "program" { pm = $2; pk = $4; pc = $6 }
            $1 == "floor" { fm = $2; fk = $4; fc = $6 }
            $1 == "ratio" { rt = $2; rk = $3; rc = $4 }
            END {
                printf "%-38s %7s %7s %6s  %6s %6s %6s  %7s %7s %6s\n", label, pm, fm, rt,
                    pk, fk, rk, pc, fc, rc
            }'
done <<'EOF'
same floor (measurement noise)|BENCH_FLOOR_UNUSED
Japanese application font|BENCH_FLOOR_FONTS
Qt's Japanese translations|BENCH_FLOOR_TRANSLATIONS
style-sheet buttons|BENCH_FLOOR_STYLESHEETS
no banner (no JPEG decode)|BENCH_FLOOR_NO_BANNER
ASCII texts (no CJK font)|BENCH_FLOOR_ASCII
no controls (window and banner only)|BENCH_FLOOR_NO_CONTROLS
window icons of 32 to 64 px|BENCH_FLOOR_ICONS_UP_TO=64
window icons of 32 to 256 px|BENCH_FLOOR_ICONS_UP_TO=256
uninstalled font family in the label|BENCH_FLOOR_MISSING_FONT
all five additions (256 px icons)|BENCH_FLOOR_FONTS BENCH_FLOOR_TRANSLATIONS BENCH_FLOOR_STYLESHEETS BENCH_FLOOR_ICONS_UP_TO=256 BENCH_FLOOR_MISSING_FONT
EOF
