#!/bin/sh
# The solver's exit statuses and outputs: 0 with the value, 1 for a failed computation,
# 2 for usage errors and unreadable files.
solve=$1
examples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

out=$("$solve" "$examples/triple.vtl") || fail "triple.vtl exit $?"
[ "$out" = "1.75" ] || fail "triple.vtl printed '$out'"

out=$("$solve" --json "$examples/volume.vtl") || fail "--json exit $?"
echo "$out" | grep -q '"value":0.3333333333333333,"display":"0.333333333333333"' ||
    fail "--json printed '$out'"

printf 'Vantrel\r\n1,0.001,#FALSE#,"1/x"\r\n 0 \r\n"x","0","1",4\r\n' >"$work/bad.vtl"
"$solve" "$work/bad.vtl" 2>"$work/err"
[ $? -eq 1 ] || fail "a failing computation must exit 1"
grep -q "Division by zero" "$work/err" || fail "the report is not on standard error"
out=$("$solve" --json "$work/bad.vtl" 2>/dev/null)
echo "$out" | grep -q '"error":{"number":11' || fail "--json error printed '$out'"

out=$("$solve" --threads 1 "$examples/triple.vtl") || fail "--threads 1 exit $?"
[ "$out" = "1.75" ] || fail "--threads 1 printed '$out'"
"$solve" --threads 0 "$examples/triple.vtl" 2>/dev/null
[ $? -eq 2 ] || fail "--threads 0 must exit 2"

out=$("$solve" --set a=3 "$examples/triple.vtl") || fail "--set exit $?"
[ "$out" = "2.5" ] || fail "--set a=3 printed '$out'"
"$solve" --set 1a=3 "$examples/triple.vtl" 2>/dev/null
[ $? -eq 2 ] || fail "--set with a bad name must exit 2"

# Several files: one line each, the status the highest of the files'.
out=$("$solve" "$examples/triple.vtl" "$work/bad.vtl" "$examples/volume.vtl" 2>"$work/err")
[ $? -eq 1 ] || fail "a failed file among computed ones must exit 1"
[ "$out" = "$(printf '1.75\n0.333333333333333')" ] || fail "several files printed '$out'"
grep -q "bad.vtl: the computation failed with error 11" "$work/err" || fail "failure not named"
out=$("$solve" --json "$examples/triple.vtl" "$work/missing.vtl" 2>/dev/null)
[ $? -eq 2 ] || fail "an unreadable file among computed ones must exit 2"
echo "$out" | sed -n 1p | grep -q '^{"file":".*triple.vtl","value":1.75,.*"difference":0.0,"subintervals":\[4,4,4\]}$' ||
    fail "--json with several files printed '$out'"
echo "$out" | sed -n 2p | grep -q '^{"file":".*missing.vtl","error":{"description":' ||
    fail "--json with an unreadable file printed '$out'"

# A file name that is not UTF-8 is written with a replacement character.
cp "$examples/triple.vtl" "$work/$(printf 'caf\351').vtl"
out=$("$solve" --json "$work/$(printf 'caf\351').vtl") || fail "a Latin-1 file name: exit $?"
echo "$out" | grep -q "caf$(printf '\357\277\275').vtl\",\"value\":1.75," || fail "printed '$out'"

"$solve" 2>/dev/null
[ $? -eq 2 ] || fail "no file must exit 2"
"$solve" "$work/missing.vtl" 2>"$work/err"
[ $? -eq 2 ] || fail "a missing file must exit 2"
grep -q "missing.vtl" "$work/err" || fail "the message must name the file"
# --save writes the file back with its result, keeping what the file had; a failed save
# exits 2 and leaves the file as it was.
# As the superuser, the save runs as the user nobody in the group users, for whom the file of
# another owner is writable and the folder is not.
mkdir "$work/saved"
chmod 0755 "$work"
cp "$examples/triple.vtl" "$work/saved/p.vtl"
ln "$work/saved/p.vtl" "$work/second.vtl"
chmod 0664 "$work/saved/p.vtl"
saver=""
if [ "$(id -u)" = 0 ]; then
    chown root:users "$work/saved/p.vtl"
    saver="setpriv --reuid=65534 --regid=65534 --groups=100"
fi
chmod 0555 "$work/saved"
before=$(stat -c '%U:%G %a %h' "$work/saved/p.vtl")
out=$($saver "$solve" --save "$work/saved/p.vtl") || fail "--save exit $?"
[ "$out" = "1.75" ] || fail "--save printed '$out'"
[ "$(stat -c '%U:%G %a %h' "$work/saved/p.vtl")" = "$before" ] || fail "--save changed $before"
grep -q '^3,0.0001,#TRUE#,' "$work/second.vtl" && grep -q '^ 1.75 ' "$work/second.vtl" ||
    fail "--save wrote '$(cat "$work/second.vtl")'"
[ "$(ls -A "$work/saved")" = "p.vtl" ] || fail "--save left $(ls -A "$work/saved")"
chmod 0755 "$work/saved"
if chattr +i "$work/saved/p.vtl" 2>/dev/null; then
    cp "$work/saved/p.vtl" "$work/expected.vtl"
    "$solve" --save "$work/saved/p.vtl" >/dev/null 2>"$work/err"
    status=$?
    chattr -i "$work/saved/p.vtl"
    [ $status -eq 2 ] || fail "a failed save must exit 2, not $status"
    grep -q "^$work/saved/p.vtl: The file cannot be written" "$work/err" || fail "$(cat "$work/err")"
    cmp -s "$work/saved/p.vtl" "$work/expected.vtl" || fail "a failed save changed the file"
    [ "$(ls -A "$work/saved")" = "p.vtl" ] || fail "a failed save left $(ls -A "$work/saved")"
fi

# A failing 2 MB integrand: the report and the JSON error stay short.
awk 'BEGIN { printf "Vantrel\r\n1,0.01,#FALSE#,\""; for (i = 0; i < 1000000; i++) printf "x+"
             printf "$\"\r\n 0 \r\n\"x\",\"0\",\"1\",4\r\n" }' >"$work/long.vtl"
out=$("$solve" --json "$work/long.vtl" 2>"$work/err")
[ $? -eq 1 ] || fail "a failing long integrand must exit 1"
[ "$(wc -c <"$work/err")" -lt 1000 ] && [ ${#out} -lt 1000 ] || fail "the long report is not cut"
grep -q 'x+x+\$' "$work/err" || fail "the report does not show the failing column"

# What is not a problem file is refused at once, never read whole nor waited on.
mkfifo "$work/fifo"
truncate -s 300M "$work/huge.vtl"
for input in /dev/zero /dev/urandom "$work/fifo" "$work/huge.vtl" "$work"; do
    timeout 5 "$solve" "$input" 2>"$work/err"
    [ $? -eq 2 ] || fail "$input must exit 2"
    grep -q "^$input: The file cannot be opened: it is" "$work/err" ||
        fail "$input: $(cat "$work/err")"
done
"$solve" --help | grep -q "Usage: vantrel-solve" || fail "--help prints usage"
"$solve" --version | grep -q "^vantrel-solve [0-9]" || fail "--version prints the version"
echo "all exit statuses as expected"
