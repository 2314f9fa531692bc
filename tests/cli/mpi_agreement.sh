#!/bin/sh
# vantrel-solve --mpi on three ranks against the sequential solver: the same output (the value to
# the bit), the same reports and the same exit status, on problems that compute ahead (and refine
# there), whose limits read outer variables, that fail at an outer point, whose added function
# fails silently and that call Rnd (computed in order).
solve=$1
examples=$2 # then the job starter, mpirun
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }
mpirun="$3 --allow-run-as-root --oversubscribe -np 3"

problem() { # name order integrand error level-records...
    name=$1 order=$2 integrand=$3 error=$4
    shift 4
    printf 'Vantrel\r\n%s,%s,#FALSE#,"%s"\r\n 0 \r\n' "$order" "$error" "$integrand" >"$work/$name.vtl"
    for level in "$@"; do printf '%s\r\n' "$level" >>"$work/$name.vtl"; done
}
problem waves 4 'Sin(x+2*y+3*z+4*t)' 0.000001 '"x","0","1",4' '"y","0","1",4' '"z","0","1",4' \
    '"t","0","2",4'
problem simplex 3 '1+x*y*z' 0.0001 '"x","0","1-y-z",4' '"y","0","1-z",4' '"z","0","1",4'
problem outer 3 '1/(z-0.5)+x*y' 0.001 '"x","0","1",4' '"y","0","1",4' '"z","0","1",4'
problem silent 3 'x+y+z' 0.001 '"x","Acosh(0.5)","1",4' '"y","0","1",4' '"z","0","1",4'
problem random 2 'x*y' 0.001 '"x","0","1+Rnd*1E-9",4' '"y","0","1",4'
cp "$examples/box10.vtl" "$examples/disk.vtl" "$work/"

# The lines printed without --json, and the reports, on the failures only: they are quick.
for run in "box10 --json" "waves --json" "disk --json" "simplex --json" "outer --json" outer \
    "silent --json" silent "random --json"; do
    set -- $run
    name=$1 json=$2
    "$solve" $json --threads 1 "$work/$name.vtl" >"$work/one.out" 2>"$work/one.err"
    one=$?
    $mpirun "$solve" --mpi $json --threads 1 "$work/$name.vtl" >"$work/ranks.out" \
        2>"$work/ranks.err"
    ranks=$?
    [ $ranks -eq $one ] || fail "$name $json: exit $ranks on three ranks, $one alone"
    sed -i 's/"seconds":[^,]*,//' "$work/one.out" "$work/ranks.out"
    if [ -n "$json" ]; then
        grep -q ',"ranks":3}$' "$work/ranks.out" ||
            fail "$name: no ranks in '$(cat "$work/ranks.out")'"
        sed -i 's/,"ranks":3}$/}/' "$work/ranks.out"
    fi
    cmp -s "$work/one.out" "$work/ranks.out" ||
        fail "$name $json: '$(cat "$work/ranks.out")' on three ranks, '$(cat "$work/one.out")' alone"
    # mpirun adds its own note about a non-zero exit after the solver's reports.
    head -c "$(wc -c <"$work/one.err")" "$work/ranks.err" | cmp -s - "$work/one.err" ||
        fail "$name $json: reports differ: '$(cat "$work/ranks.err")'"
done
# Two problems in one job, on two threads a rank: rank 0's threads compute the batches it keeps.
"$solve" --json --threads 2 "$work/waves.vtl" "$work/disk.vtl" >"$work/one.out"
$mpirun "$solve" --mpi --json --threads 2 "$work/waves.vtl" "$work/disk.vtl" >"$work/ranks.out" ||
    fail "two problems: exit $? on three ranks"
sed -i 's/"seconds":[^,]*,//; s/,"ranks":3}$/}/' "$work/one.out" "$work/ranks.out"
cmp -s "$work/one.out" "$work/ranks.out" ||
    fail "two problems: '$(cat "$work/ranks.out")' on three ranks, '$(cat "$work/one.out")' alone"
echo "three ranks agree with one process"
