#!/bin/sh
# vantrel-solve on the order-10 box and the disk: 1 thread, 2 threads and 2 ranks x 1 thread,
# the fastest of three runs each (the computing time the solver reports) after a first run on one
# thread that compiles the code into a code cache of the bench's own (the later runs and every
# rank load it), then what handing out a chunk costs. Usage: bench/mpi/mpi_bench.sh [BUILD_DIR]
build=${1:-build}
here=$(dirname "$0")
solve="$build/cli/vantrel-solve"
mpirun="mpirun --allow-run-as-root --oversubscribe"
VANTREL_CODE_CACHE=$(mktemp -d)
export VANTREL_CODE_CACHE
trap 'rm -rf "$VANTREL_CODE_CACHE"' EXIT

seconds() { # command...: the computing time it reports
    "$@" --json 2>/dev/null | sed 's/.*"seconds":\([^,]*\),.*/\1/'
}

echo "| Problem | first run | 1 thread | 2 threads | 2 ranks x 1 thread | ratios to 1 thread |"
echo "|---|---|---|---|---|---|"
for problem in box10 disk; do
    file="$here/../../examples/$problem.vtl"
    first=$(seconds "$solve" --threads 1 "$file")
    # Taken in turn, so that a busy spell of the machine falls on all three alike.
    for run in 1 2 3; do
        echo "$(seconds "$solve" --threads 1 "$file") $(seconds "$solve" --threads 2 "$file")" \
            "$(seconds $mpirun -np 2 "$solve" --mpi --threads 1 "$file")"
    done | awk -v p="$problem" -v f="$first" '
        NR == 1 || $1 < a { a = $1 }
        NR == 1 || $2 < b { b = $2 }
        NR == 1 || $3 < c { c = $3 }
        END { printf "| %s | %.3f s | %.3f s | %.3f s | %.3f s | %.2f, %.2f |\n", p, f, a, b, c, a / b, a / c }'
done
$mpirun -np 2 "$build/bench/mpi/chunk_cost"
