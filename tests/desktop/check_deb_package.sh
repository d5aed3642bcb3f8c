#!/usr/bin/env bash
# Builds the Debian package from the build tree, unpacks it, checks that it holds what the
# desktop needs and that the desktop entry and the AppStream metainfo validate without a
# warning, and starts the unpacked program to see that it comes up and stays up.
#   check_deb_package.sh CPACK CPACK_CONFIG SCRATCH_DIR
set -uo pipefail
cpack=$1 config=$2 scratch=$3
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
for tool in dpkg-shlibdeps desktop-file-validate appstreamcli; do
    command -v $tool >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

rm -rf "$scratch" && mkdir -p "$scratch/out" "$scratch/root" "$scratch/xdg-data"
"$cpack" -G DEB --config "$config" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; fail "cpack could not build the package"; }
deb=$(echo "$scratch"/out/*.deb)
dpkg-deb -x "$deb" "$scratch/root" || fail "dpkg-deb could not unpack $deb"
root=$scratch/root
for file in bin/pellinova share/applications/org.pellinova.Pellinova.desktop \
    share/metainfo/org.pellinova.Pellinova.metainfo.xml \
    share/icons/hicolor/{32x32,48x48,64x64,128x128,256x256}/apps/org.pellinova.Pellinova.png \
    share/icons/hicolor/scalable/apps/org.pellinova.Pellinova.svg; do
    [ -s "$root/usr/$file" ] || fail "the package lacks /usr/$file"
done
[[ $(dpkg-deb -f "$deb" Depends) == *libqt6widgets6* ]] || fail "Depends lacks Qt Widgets"
report=$(desktop-file-validate "$root"/usr/share/applications/*.desktop 2>&1)
[ -z "$report" ] || fail "desktop-file-validate: $report"
# Pedantic notes are printed for information; errors (E:) and warnings (W:) fail.
appstreamcli validate --no-net --pedantic "$root"/usr/share/metainfo/*.xml | tee "$scratch/as.log"
[ "${PIPESTATUS[0]}" -eq 0 ] && ! grep -q '^[EW]:' "$scratch/as.log" || fail "appstreamcli validate"

# The program reports each painting of its windows on this logging category; the first flush
# of the address list window means it is on screen.
coproc APP {
    exec env QT_QPA_PLATFORM=offscreen XDG_DATA_HOME="$scratch/xdg-data" \
        QT_LOGGING_RULES='qt.widgets.painting=true' "$root/usr/bin/pellinova" 2>&1
}
app_pid=$APP_PID shown=
while IFS= read -r -t 120 line <&"${APP[0]}"; do
    [[ $line == *"Flushing QRegion("*") of frmJusho("* ]] && shown=1 && break
done
[ -n "$shown" ] || fail "the unpacked program ended or never showed its window"
kill -TERM "$app_pid" || fail "the unpacked program ended after showing its window"
wait "$app_pid"
[ $? -eq 143 ] || fail "the unpacked program did not end on SIGTERM"
echo "PASS: $(basename "$deb")"
