#!/usr/bin/env bash
# Builds the library and the nuv tool, then runs `nuv demo`: a tour of the library's calls
# against a gateway simulator started inside the tool. Arguments go to `nuv demo`
# (e.g. --proxy socks5://127.0.0.1:1080).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build/release" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
exec "$root/build/release/cli/nuv" demo "$@"
