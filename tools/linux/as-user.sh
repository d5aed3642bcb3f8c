#!/usr/bin/env bash
# Runs a test program as a throwaway user made as Debian and Ubuntu make every user: with a
# group of its own and umask 002, so that a home whose folders that group may write is made
# real. PELLINOVA_OWN_GROUP_MEMBERS tells the program who else is in the group: "none", or
# "another" with --another, for which a second throwaway user joins the group while it runs.
# Needs root, which makes the users on first use; anyone else gets exit code 77 (skipped).
#   as-user.sh [--another] PROGRAM [ARGS...]
set -euo pipefail
members=none
if [ "${1:-}" = --another ]; then
    members=another
    shift
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "as-user.sh: making a user needs root"
    exit 77
fi
user=pellinova-home other=pellinova-other
for name in "$user" "$other"; do
    id "$name" >/dev/null 2>&1 ||
        useradd --user-group --no-create-home --shell /usr/sbin/nologin "$name"
done
gpasswd -d "$other" "$user" >/dev/null 2>&1 || true
if [ "$members" = another ]; then
    gpasswd -a "$other" "$user" >/dev/null
    trap 'gpasswd -d "$other" "$user" >/dev/null' EXIT
fi
runuser -u "$user" -- env PELLINOVA_OWN_GROUP_MEMBERS="$members" HOME=/nonexistent \
    bash -c 'umask 002 && "$@"' as-user "$@"
