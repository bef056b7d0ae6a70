#!/usr/bin/env bash
# Runs the frame benchmark of two checkouts in turn, A B A B ..., so that both see the same load
# on the machine, and prints the post-processing pass, the whole frame (both from the phase
# table) and the game's frame time of every run, then the median of each over the runs:
#   bash tools/bench_compare.sh TREE_A TREE_B [ROUNDS [benchmark arguments...]]
# Each tree builds its own benchmark with its own tools/bench.sh (in its build-bench/ folder),
# so an older checkout measures its own shaders and code. ROUNDS defaults to 3; the benchmark
# arguments default to --frames 300 --physics-steps 100.
set -euo pipefail

if [ $# -lt 2 ]; then
    echo "usage: bash tools/bench_compare.sh TREE_A TREE_B [ROUNDS [benchmark arguments...]]"
    exit 2
fi
tree_a=$(cd "$1" && pwd)
tree_b=$(cd "$2" && pwd)
rounds=${3:-3}
shift $(($# < 3 ? $# : 3))
bench_args=("$@")
[ ${#bench_args[@]} -gt 0 ] || bench_args=(--frames 300 --physics-steps 100)
case "$rounds" in
    '' | *[!0-9]* | 0)
        echo "bench_compare: ROUNDS wants a whole number from 1, not '$rounds'"
        exit 2
        ;;
esac
for tree in "$tree_a" "$tree_b"; do
    [ -f "$tree/tools/bench.sh" ] || { echo "bench_compare: no tools/bench.sh in $tree"; exit 2; }
done

results=$(mktemp /tmp/tessel-bench-compare.XXXXXX)
trap 'rm -f "$results"' EXIT

# One run: "post-processing median, whole frame median, game frame median" in ms.
measure() {
    bash "$1/tools/bench.sh" "${bench_args[@]}" 2>/dev/null | tr -d '\000' | awk '
        /^  post-processing pass / { post = $(NF - 3) }
        /^  whole frame / { whole = $(NF - 3) }
        /^  frame time median / && game == "" { game = $(NF - 1) }
        /^  load average at start/ { load = $(NF - 2) }
        END {
            if (post == "" || whole == "" || game == "") exit 1
            print post, whole, game, load
        }'
}

echo "A: $tree_a"
echo "B: $tree_b"
echo "benchmark arguments: ${bench_args[*]}"
printf '%-6s %-5s %14s %12s %12s %8s\n' run tree "post-process" "whole frame" "game frame" load
for round in $(seq 1 "$rounds"); do
    for tree in A B; do
        dir=$tree_a
        [ "$tree" = B ] && dir=$tree_b
        if ! figures=$(measure "$dir"); then
            echo "bench_compare: the run of $dir printed no figures"
            exit 1
        fi
        read -r post whole game load <<<"$figures"
        printf '%-6s %-5s %11s ms %9s ms %9s ms %8s\n' \
            "$round" "$tree" "$post" "$whole" "$game" "$load"
        echo "$tree $post $whole $game" >>"$results"
    done
done

# Medians over the runs of each tree, and B against A.
awk '
    function median(list, n,    sorted, i, j, t) {
        for (i = 1; i <= n; ++i) sorted[i] = list[i]
        for (i = 2; i <= n; ++i) {
            t = sorted[i]
            for (j = i - 1; j >= 1 && sorted[j] > t; --j) sorted[j + 1] = sorted[j]
            sorted[j + 1] = t
        }
        return n % 2 ? sorted[(n + 1) / 2] : (sorted[n / 2] + sorted[n / 2 + 1]) / 2
    }
    { n[$1]++; post[$1, n[$1]] = $2; whole[$1, n[$1]] = $3; game[$1, n[$1]] = $4 }
    END {
        split("A B", trees)
        for (k = 1; k <= 2; ++k) {
            tree = trees[k]
            for (i = 1; i <= n[tree]; ++i) {
                p[i] = post[tree, i]
                w[i] = whole[tree, i]
                g[i] = game[tree, i]
            }
            mp[tree] = median(p, n[tree])
            mw[tree] = median(w, n[tree])
            mg[tree] = median(g, n[tree])
            printf "median %-5s %11.2f ms %9.2f ms %9.2f ms\n", tree, mp[tree], mw[tree], mg[tree]
        }
        if (mp["A"] > 0 && mw["A"] > 0 && mg["A"] > 0) {
            printf "B / A        %11.3f    %9.3f    %9.3f    (of the medians)\n",
                mp["B"] / mp["A"], mw["B"] / mw["A"], mg["B"] / mg["A"]
        }
        # Each round on its own: B against the A run just before it, which saw the same load.
        rounds = n["A"] < n["B"] ? n["A"] : n["B"]
        for (i = 1; i <= rounds; ++i) {
            rp[i] = post["A", i] > 0 ? post["B", i] / post["A", i] : 0
            rw[i] = whole["A", i] > 0 ? whole["B", i] / whole["A", i] : 0
            rg[i] = game["A", i] > 0 ? game["B", i] / game["A", i] : 0
        }
        if (rounds > 0) {
            ratio = median(rp, rounds)
            printf "B / A        %11.3f    %9.3f    %9.3f    (median of the rounds)\n",
                ratio, median(rw, rounds), median(rg, rounds)
            printf "post-processing pass %.0f%% cheaper in B (median of the rounds)\n",
                100 * (1 - ratio)
        }
    }' "$results"
