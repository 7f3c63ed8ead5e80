#!/usr/bin/env bash
# scripts/install-deps installs exactly the packages that are missing, and
# does nothing when none is: checked with a stand-in apt-get that records
# how it is called. Exits 77 (skipped) when not run as root (the real script
# would then go through sudo).
set -euo pipefail
script="$1"
[ "$(id -u)" -eq 0 ] || { echo "not root: the sudo path is not exercised here"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/apt-get" <<'STANDIN'
#!/usr/bin/env bash
echo "$*" >>"$(dirname "$0")/calls"
STANDIN
chmod +x "$work/apt-get"

fail() { echo "FAIL: $*"; exit 1; }

# Everything there (bash is on every machine): no call, no output.
out=$(ORV_PACKAGES="bash" APT_GET="$work/apt-get" bash "$script")
[ -z "$out" ] || fail "output with nothing missing: $out"
[ ! -e "$work/calls" ] || fail "apt-get called with nothing missing"

# One package missing: the list is updated and only that package installed.
out=$(ORV_PACKAGES="bash orv-test-no-such-package" APT_GET="$work/apt-get" bash "$script")
[ "$out" = "install-deps: installing the missing Debian packages: orv-test-no-such-package" ] || fail "said: $out"
expected=$'update -q\ninstall -y -q --no-install-recommends orv-test-no-such-package'
[ "$(cat "$work/calls")" = "$expected" ] || fail "apt-get calls: $(cat "$work/calls")"
echo "install-deps: ok"
