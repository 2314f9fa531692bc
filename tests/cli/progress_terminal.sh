#!/bin/sh
# The progress bar on a pseudo-terminal: drawn on a long computation and erased before the value,
# absent with --quiet and when standard error is not a terminal.
solve=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

# The bar shows only after half a second, so the problem grows until one run takes that long
# here: from about two million evaluations to about a hundred million.
for subintervals in 4096 32768 262144; do
    printf 'Vantrel\r\n2,1E-9,#FALSE#,"Sin(30*x)*Sin(y*x)"\r\n 0 \r\n"y","0","1",%s\r\n"x","0","3",4\r\n' \
        "$subintervals" >"$work/long.vtl"
    value=$("$solve" --quiet "$work/long.vtl") || fail "exit $?"
    script -qec "'$solve' '$work/long.vtl'" /dev/null >"$work/tty" || fail "exit $?"
    grep -q 'grid [0-9]*  [0-9]* evaluations  [0-9.]* s' "$work/tty" && break
done
grep -q 'grid [0-9]*  [0-9]* evaluations  [0-9.]* s' "$work/tty" || fail "no bar: $(cat "$work/tty")"
tr '\r' '\n' <"$work/tty" | grep -q '%' || fail "no percentage"
tr -d '\n' <"$work/tty" | tr '\r' '\n' | tail -1 | grep -q "^$(printf '\033')\[K$value$" ||
    fail "the bar is not erased before the value"

script -qec "'$solve' --quiet '$work/long.vtl'" /dev/null >"$work/tty" || fail "--quiet exit $?"
grep -q evaluations "$work/tty" && fail "--quiet still shows the bar"

script -qec "'$solve' '$work/long.vtl' 2>'$work/err'" /dev/null >"$work/tty" || fail "exit $?"
[ -s "$work/err" ] && fail "a bar on standard error that is not a terminal: $(cat "$work/err")"
grep -q "$value" "$work/tty" || fail "no value when standard error is a file"
echo "progress bar as expected"
