#!/bin/sh
# vantrel-solve --threads 2 against --threads 1, each run a new process as a user's is: the
# problems of engine_bench's table of two threads against one, the runs taken in turn after a
# first run of each that compiles the code into a code cache of the bench's own; the medians of
# the computing time the solver reports, their ratio, and whether the two values agree to the
# bit. Usage: bench/engine/solver_threads.sh [BUILD_DIR [RUNS]]
build=${1:-build}
runs=${2:-9}
solve="$build/cli/vantrel-solve"
dir=$(mktemp -d)
VANTREL_CODE_CACHE="$dir/code-cache"
export VANTREL_CODE_CACHE
trap 'rm -rf "$dir"' EXIT

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

run() { # threads file: the seconds and the value as the solver prints them
    "$solve" --threads "$1" --json "$2" 2>/dev/null |
        sed 's/.*"value":\([^,]*\),.*"seconds":\([^,}]*\).*/\2 \1/'
}

echo "| Problem | 1 thread | 2 threads | speedup | values |"
echo "|---|---|---|---|---|"
for name in disk simplex box kink oscillatory; do
    file="$dir/$name.vtl"
    run 1 "$file" >/dev/null
    for i in $(seq "$runs"); do
        echo "1 $(run 1 "$file")"
        echo "2 $(run 2 "$file")"
    done | sort -k1,1n -k2,2g | awk -v p="$name" -v n="$runs" '
        { t[$1, ++c[$1]] = $2; v[$1] = v[$1] == "" || v[$1] == $3 ? $3 : "differ" }
        END {
            m = int((n + 1) / 2); a = t[1, m]; b = t[2, m]
            printf "| %s | %.5f s | %.5f s | %.2f | %s |\n", p, a, b, a / b,
                v[1] == v[2] && v[1] != "differ" ? "same" : "DIFFERENT"
        }'
done
