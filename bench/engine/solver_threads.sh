#!/bin/sh
# vantrel-solve --threads 2 against --threads 1, each run a new process as a user's is: the
# problems of engine_bench's table of two threads against one, the runs taken in turn after a
# first run of each that compiles the code into a code cache of the bench's own. Beside each
# pair, what the two cores can give at that moment, as engine_bench measures it: a process that
# solves the problem sequentially several times, alone and then two at once (their middle solves
# overlap however their starts differ), as work done against the one alone (2 for equal cores
# left alone). The medians of the times the solver reports, of the pairs' speedups, of the two
# cores and of the speedups' share of them, and whether the values agree to the bit. "Best" is
# the fastest run of one thread over the fastest of two: other work on a shared machine only ever
# adds time, so this is the figure it moves least. For the disk and the kink, beside them in the
# same rounds, the speedups of the lean floor of two threads (lean_threads.cpp, the same bits):
# in a new process as the solver's ("lean"), and in its second computation, its thread started
# and its memory written before ("warm").
# Then the same problems at larger errors, the medians of their times and speedups, and the best.
# Each round waits first for the host to be quiet: a one-thread solve of the kink within 3 % of
# the fastest seen in this run, twice in a row. A shared machine's other work comes and goes, and
# the speedups asked for are an idle machine's. The waits take WAIT seconds in all at most (0: no
# wait); the rounds begun without a quiet host are counted at the end.
# Usage: bench/engine/solver_threads.sh [BUILD_DIR [RUNS [WAIT]]]
build=${1:-build}
runs=${2:-9}
wait=${3:-600}
solve="$build/cli/vantrel-solve"
dir=$(mktemp -d)
VANTREL_CODE_CACHE="$dir/code-cache"
export VANTREL_CODE_CACHE
trap 'rm -rf "$dir"' EXIT
: >"$dir/busy"
echo 0 >"$dir/waited"

problem() { # name order error integrand, then one line per level: name lower upper
    name=$1 order=$2 error=$3 integrand=$4
    shift 4
    {
        printf 'Vantrel\r\n%s,%s,#FALSE#,"%s"\r\n 0 \r\n' "$order" "$error" "$integrand"
        for level in "$@"; do printf '%s,4\r\n' "$level"; done
    } >"$dir/$name.vtl"
}
problem disk 2 1E-8 'Exp(-(x*x+y*y))' '"y","-Sqr(1-x^2)","Sqr(1-x^2)"' '"x","-1","1"'
problem simplex 4 1E-10 'Exp(t*z+y*x)' '"t","0","z"' '"z","0","y"' '"y","0","x"' '"x","0","1"'
problem box 10 0.01 'x1+x2+x3+x4+x5+x6+x7+x8+x9+x10' \
    $(for k in 1 2 3 4 5 6 7 8 9 10; do echo "\"x$k\",\"0\",\"1\""; done)
problem kink 2 1E-6 'Exp(-(4*Abs(x-0.4)+6*Abs(y-0.65)))' '"x","0","1"' '"y","0","1"'
problem oscillatory 3 1E-6 'Cos(2*pi*0.2+1.2*x+0.8*y+1.6*z)' '"x","0","1"' '"y","0","1"' \
    '"z","0","1"'

run() { # threads file...: the seconds and the value of each file as the solver prints them
    threads=$1
    shift
    "$solve" --threads "$threads" --json "$@" 2>/dev/null |
        sed 's/.*"value":\([^,]*\),.*"seconds":\([^,}]*\).*/\2 \1/'
}

quiet() { # waits for the host to be quiet, as above; the first call takes the fastest of four solves
    [ "$wait" -gt 0 ] || return 0
    [ -s "$dir/fastest" ] || for k in 1 2 3 4; do run 1 "$dir/kink.vtl" | cut -d' ' -f1; done |
        sort -g | head -1 >"$dir/fastest"
    calm=0 began=$(date +%s) left=$((wait - $(cat "$dir/waited")))
    while [ "$calm" -lt 2 ]; do
        if [ $(($(date +%s) - began)) -ge "$left" ]; then
            echo >>"$dir/busy"
            break
        fi
        t=$(run 1 "$dir/kink.vtl" | cut -d' ' -f1)
        calm=$(awk -v t="$t" -v f="$(cat "$dir/fastest")" -v c="$calm" -v out="$dir/fastest" '
            BEGIN { if (t < f) print t > out; print (t <= f * 1.03 ? c + 1 : 0) }')
        [ "$calm" -gt 0 ] || sleep 1
    done
    echo $(($(cat "$dir/waited") + $(date +%s) - began)) >"$dir/waited"
}

middle() { # the median of the seconds of a run of several files
    sort -g | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'
}

lean() { # name: the lean floor's seconds, one thread cold and warm, then two; else dashes
    case $1 in
    disk | kink) "$build/bench/engine/lean_threads" "$1" | awk '{ print $1, $3, $5, $7 }' ;;
    *) echo "- - - -" ;;
    esac
}

cores() { # file copies: one process alone, then two at once, each solving the file copies times
    set -- $(for i in $(seq "$2"); do echo "$1"; done)
    alone=$(run 1 "$@" | middle)
    run 1 "$@" | middle >"$dir/other" &
    both=$(run 1 "$@" | middle)
    wait
    echo "$alone $both $(cat "$dir/other")"
}

median='
    function least(a, n,    i, x) {
        for (i = 1; i <= n; i++) if (i == 1 || a[i] < x) x = a[i]
        return x
    }
    function median(a, n,    i, j, x) {
        for (i = 2; i <= n; i++)
            for (j = i; j > 1 && a[j - 1] > a[j]; j--) { x = a[j]; a[j] = a[j - 1]; a[j - 1] = x }
        return a[int((n + 1) / 2)]
    }'

echo "| Problem | 1 thread | 2 threads | speedup | best | 2 cores | share | values | lean | lean warm |"
echo "|---|---|---|---|---|---|---|---|---|---|"
for name in disk simplex box kink oscillatory; do
    file="$dir/$name.vtl"
    first=$(run 1 "$file" | cut -d' ' -f1)
    copies=$(awk -v t="$first" 'BEGIN { n = int(0.1 / t) + 3; print (n > 400 ? 400 : n) }')
    for i in $(seq "$runs"); do
        quiet
        echo "$(run 1 "$file") $(run 2 "$file") $(cores "$file" "$copies") $(lean "$name")"
    done | awk -v p="$name" "$median"'
        {
            n++; one[n] = $1; two[n] = $3; speedup[n] = $1 / $3
            cores[n] = $5 / $6 + $5 / $7; share[n] = speedup[n] / cores[n]
            if ($2 != $4) differ = 1
            if ($8 != "-") { lean[n] = $8 / $10; warm[n] = $9 / $11 }
        }
        END {
            printf "| %s | %.5f s | %.5f s | %.2f | %.2f | %.2f | %.2f | %s | %s | %s |\n", p,
                median(one, n), median(two, n), median(speedup, n),
                least(one, n) / least(two, n), median(cores, n),
                median(share, n), differ ? "DIFFERENT" : "same",
                1 in lean ? sprintf("%.2f", median(lean, n)) : "-",
                1 in warm ? sprintf("%.2f", median(warm, n)) : "-"
        }'
done

# The same problems at larger errors, from a tenth of a millisecond to some tens: whether the
# threads pay there too, or at least cost nothing. Their integrands' code is in the cache from the
# runs above.
echo
echo "| Smaller problem | error | 1 thread | 2 threads | speedup | best | values |"
echo "|---|---|---|---|---|---|---|"
for case in "kink 1E-3" "kink 1E-4" "kink 1E-5" "disk 1E-4" "disk 1E-5" "disk 1E-6" \
    "oscillatory 1E-8" "oscillatory 1E-10"; do
    set -- $case
    file="$dir/$1-$2.vtl"
    sed "2s/^\([0-9]*\),[^,]*,/\1,$2,/" "$dir/$1.vtl" >"$file"
    for i in $(seq "$runs"); do
        quiet
        echo "$(run 1 "$file") $(run 2 "$file")"
    done | awk -v p="$1" -v e="$2" "$median"'
        { n++; one[n] = $1; two[n] = $3; speedup[n] = $1 / $3; if ($2 != $4) differ = 1 }
        END {
            printf "| %s | %s | %.5f s | %.5f s | %.2f | %.2f | %s |\n", p, e, median(one, n),
                median(two, n), median(speedup, n), least(one, n) / least(two, n),
                differ ? "DIFFERENT" : "same"
        }'
done

[ "$wait" -eq 0 ] ||
    echo "Rounds begun with the host busy: $(wc -l <"$dir/busy"), after $(cat "$dir/waited") s of waits"
