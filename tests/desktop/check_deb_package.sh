#!/usr/bin/env bash
# Builds the Debian package from the build tree, unpacks it, checks what the desktop needs
# from it, and starts the unpacked program to see that it comes up and stays up.
#   check_deb_package.sh CPACK CPACK_CONFIG SCRATCH_DIR
set -uo pipefail
cpack=$1 config=$2 scratch=$3

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
for tool in dpkg-deb dpkg-shlibdeps; do
    command -v "$tool" >/dev/null || {
        echo "SKIP: $tool is not installed (dpkg-dev)"
        exit 77
    }
done

rm -rf "$scratch"
mkdir -p "$scratch/out" "$scratch/root" "$scratch/xdg-data"
"$cpack" -G DEB --config "$config" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; fail "cpack could not build the package"; }
debs=("$scratch"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb in $scratch/out"
deb=${debs[0]}
dpkg-deb -x "$deb" "$scratch/root" || fail "dpkg-deb could not unpack $deb"

root=$scratch/root
for file in usr/bin/pellinova \
    usr/share/applications/org.pellinova.Pellinova.desktop \
    usr/share/metainfo/org.pellinova.Pellinova.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/org.pellinova.Pellinova.svg; do
    [ -f "$root/$file" ] || fail "the package lacks /$file"
done
[ -x "$root/usr/bin/pellinova" ] || fail "/usr/bin/pellinova is not executable"
for size in 32 48 64 128 256; do
    icon=usr/share/icons/hicolor/${size}x$size/apps/org.pellinova.Pellinova.png
    [ -f "$root/$icon" ] || fail "the package lacks /$icon"
    file -b "$root/$icon" | grep -q "PNG image data, $size x $size" ||
        fail "/$icon is not a $size x $size PNG"
done

depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libqt6gui6 libqt6core6 libc6; do
    [[ $depends == *"$library"* ]] || fail "Depends lacks $library: '$depends'"
done
recommends=$(dpkg-deb -f "$deb" Recommends)
expected='qt6-translations-l10n, fonts-noto-cjk | fonts-ipafont-gothic, xdg-utils'
[ "$recommends" = "$expected" ] || fail "Recommends is '$recommends', expected '$expected'"
for field in Maintainer Description Section; do
    [ -n "$(dpkg-deb -f "$deb" "$field")" ] || fail "the package has no $field"
done

# The program reports each painting of its windows on this logging category; the first flush
# of the address list window means it is on screen.
coproc APP {
    exec env QT_QPA_PLATFORM=offscreen XDG_DATA_HOME="$scratch/xdg-data" \
        QT_LOGGING_RULES='qt.widgets.painting=true' "$root/usr/bin/pellinova" 2>&1
}
app_pid=$APP_PID
shown=0
while IFS= read -r -t 120 line <&"${APP[0]}"; do
    if [[ $line == *"Flushing QRegion("*") of frmJusho("* ]]; then
        shown=1
        break
    fi
done
if [ $shown -ne 1 ]; then
    kill "$app_pid" 2>/dev/null
    wait "$app_pid"
    fail "the unpacked program ended or never showed its window (status $?)"
fi
kill -0 "$app_pid" 2>/dev/null || fail "the unpacked program ended after showing its window"
kill -TERM "$app_pid"
wait "$app_pid"
status=$?
[ $status -eq 143 ] || fail "the unpacked program did not end on SIGTERM (status $status)"
echo "PASS: $(basename "$deb")"
