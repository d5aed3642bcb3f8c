#!/usr/bin/env bash
# Validates the desktop entry and the AppStream metainfo; any error or warning fails.
#   validate_desktop_files.sh DESKTOP_FILE METAINFO_FILE
set -uo pipefail
desktop=$1 metainfo=$2

for tool in desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || {
        echo "SKIP: $tool is not installed (desktop-file-utils, appstream)"
        exit 77
    }
done

failed=0
# desktop-file-validate exits 0 after warnings, so its output is what counts.
report=$(desktop-file-validate "$desktop" 2>&1)
status=$?
if [ $status -ne 0 ] || [ -n "$report" ]; then
    echo "FAIL: desktop-file-validate $desktop (status $status):"
    echo "$report"
    failed=1
fi

# Pedantic notes are printed for information; errors (E:) and warnings (W:) fail.
report=$(appstreamcli validate --no-net --pedantic --explain "$metainfo" 2>&1)
status=$?
echo "$report"
if [ $status -ne 0 ] || grep -q '^[EW]:' <<<"$report"; then
    echo "FAIL: appstreamcli validate $metainfo (status $status)"
    failed=1
fi
exit $failed
