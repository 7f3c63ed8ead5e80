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
out=$(ORV_PACKAGES="bash" ORV_OPTIONAL_PACKAGES="" APT_GET="$work/apt-get" bash "$script")
[ -z "$out" ] || fail "output with nothing missing: $out"
[ ! -e "$work/calls" ] || fail "apt-get called with nothing missing"

# Missing packages: the lists are updated, the required one installed, then
# the optional one.
out=$(ORV_PACKAGES="bash orv-test-needed" ORV_OPTIONAL_PACKAGES="orv-test-optional" APT_GET="$work/apt-get" \
      bash "$script")
[ "$out" = "install-deps: installing the missing Debian packages: orv-test-needed orv-test-optional" ] ||
  fail "said: $out"
expected=$'update -q\ninstall -y -q --no-install-recommends orv-test-needed\ninstall -y -q --no-install-recommends orv-test-optional'
[ "$(cat "$work/calls")" = "$expected" ] || fail "apt-get calls: $(cat "$work/calls")"

# An optional package that cannot be had (offline, say) only warns.
printf '#!/usr/bin/env bash\n[ "$1" = install ] && exit 100\nexit 0\n' >"$work/failing"
chmod +x "$work/failing"
ORV_PACKAGES="bash" ORV_OPTIONAL_PACKAGES="orv-test-optional" APT_GET="$work/failing" bash "$script" >/dev/null 2>&1 ||
  fail "a missing optional package stopped the set-up"
# A required one stops it.
if ORV_PACKAGES="orv-test-needed" ORV_OPTIONAL_PACKAGES="" APT_GET="$work/failing" bash "$script" >/dev/null 2>&1; then
  fail "a missing required package did not stop the set-up"
fi
echo "install-deps: ok"
