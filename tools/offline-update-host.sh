#!/usr/bin/env bash
# Runs a command with the update server's host mapped to a loopback address on
# which nothing listens, in a private mount namespace (needs root). Zorvane's
# version check then fails at once with a refused connection, and no name
# lookup leaves the machine:
#   tools/offline-update-host.sh COMMAND [ARGS...]
# ZV_UPDATE_ADDR picks another address (127.0.0.3 with the loopback test server
# running is one that accepts and never answers).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
host=$(sed -n 's/.*kUpdateHost = "\([^"]*\)".*/\1/p' "$root/src/app/StartUp.h")
[ -n "$host" ] || { echo "No update host found in src/app/StartUp.h." >&2; exit 1; }
hosts=$(mktemp)
trap 'rm -f "$hosts"' EXIT
{ cat /etc/hosts; echo "${ZV_UPDATE_ADDR:-127.0.0.2} $host"; } >"$hosts"
export ZV_HOSTS_FILE="$hosts"
unshare -m bash -c 'mount --bind "$ZV_HOSTS_FILE" /etc/hosts && exec "$@"' bash "$@"
