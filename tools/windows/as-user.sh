#!/usr/bin/env bash
# Runs a Windows test .exe under Wine as an ordinary user, with a Wine prefix of its own, so that
# what a standard Windows user meets (a folder that is not theirs to write) can be made real.
# Root makes the throwaway user "pellinova-wine" on first use; anyone else runs it as themselves.
#   as-user.sh QT BUILD PROGRAM.exe [ARGS...]
set -euo pipefail
qt=$1 build=$(realpath -m "$2")
shift 2
here=$(cd "$(dirname "$0")" && pwd)
if [ "$(id -u)" -ne 0 ]; then
    exec "$here/wine-run.sh" "$qt" "$build/as-user" "$@"
fi
user=pellinova-wine
id "$user" >/dev/null 2>&1 || useradd --create-home --shell /usr/sbin/nologin "$user"
mkdir -p "$build/as-user"
chown "$user:" "$build/as-user"
exec runuser -u "$user" -- env HOME="$(getent passwd "$user" | cut -d: -f6)" \
    "$here/wine-run.sh" "$qt" "$build/as-user" "$@"
