#!/usr/bin/env bash
# Runs the frame benchmark of two checkouts in turn, A B A B ..., so that both see the same load
# on the machine, and prints for every run the grass fields, the smoke, the post-processing pass
# and the whole frame (from the phase table), the game's frame time and processor time per frame,
# the draw calls per game frame and the smoke's fragments where the build counts them; then the
# median of each over the runs and B against A:
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

# One run, as "grass smoke post whole game cpu scene-draws hud-draws load smoke-rasterised
# smoke-passed": the grass fields, the smoke, the post-processing pass and the whole frame (medians
# of the phase table), the game's frame time (median) and its processor time per frame (median of
# the blocks), all in ms, then the draw calls per game frame of the scene and of the HUD ("-" from
# a build that does not count them), the load average at the start, and the smoke's fragments per
# game frame in thousands, rasterised and passed ("-" from a build that does not count them).
measure() {
    bash "$1/tools/bench.sh" "${bench_args[@]}" 2>/dev/null | tr -d '\000' | awk '
        /^Fragments per game frame/ { fragments = 1; draws = 0 }
        /^  grass fields / && !fragments { grass = $(NF - 3) }
        /^  smoke / && !fragments { smoke = $(NF - 3) }
        /^  post-processing pass  / && post == "" { post = $(NF - 3) }
        /^  whole frame / && whole == "" { whole = $(NF - 3) }
        /^  frame time median / && game == "" { game = $(NF - 1) }
        /^  processor time per frame, game / { cpu = $6 }
        /^Draw calls per game frame/ { draws = 1 }
        draws && /^  scene / { scene = $(NF - 2) }
        draws && /^  HUD / { hud = $(NF - 2) }
        /^  load average at start/ { load = $(NF - 2) }
        fragments && /^  smoke  / { smokeRasterised = $(NF - 1); smokePassed = $NF }
        END {
            if (grass == "" || smoke == "" || post == "" || whole == "" || game == "" || cpu == "")
                exit 1
            print grass, smoke, post, whole, game, cpu, (scene == "" ? "-" : scene),
                (hud == "" ? "-" : hud), load, (smokePassed == "" ? "-" : smokeRasterised),
                (smokePassed == "" ? "-" : smokePassed)
        }'
}

echo "A: $tree_a"
echo "B: $tree_b"
echo "benchmark arguments: ${bench_args[*]}"
echo "times in ms: phases and whole frame from the phase table, the game frame's median wall time"
echo "and its processor time; draw calls per game frame (scene / HUD) where the build counts them"
printf '%-5s %-4s %8s %8s %8s %8s %8s %8s %11s %6s\n' \
    run tree grass smoke post whole game cpu "draws s/h" load
for round in $(seq 1 "$rounds"); do
    for tree in A B; do
        dir=$tree_a
        [ "$tree" = B ] && dir=$tree_b
        if ! figures=$(measure "$dir"); then
            echo "bench_compare: the run of $dir printed no figures"
            exit 1
        fi
        read -r grass smoke post whole game cpu scene hud load rasterised passed <<<"$figures"
        printf '%-5s %-4s %8s %8s %8s %8s %8s %8s %11s %6s\n' \
            "$round" "$tree" "$grass" "$smoke" "$post" "$whole" "$game" "$cpu" "$scene/$hud" "$load"
        echo "$tree $grass $smoke $post $whole $game $cpu $scene $hud $rasterised $passed" >>"$results"
    done
done

# Medians over the runs of each tree, B against A (of the medians, and the median of the rounds:
# B against the A run just before it, which saw the same load), and the draw calls.
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
    BEGIN { columns = 6; split("grass smoke post whole game cpu", names) }
    {
        k = ++n[$1]
        for (c = 1; c <= columns; ++c) value[$1, c, k] = $(c + 1)
        scene[$1] = $8
        hud[$1] = $9
        rasterised[$1] = $10
        passed[$1] = $11
    }
    END {
        printf "%-10s", ""
        for (c = 1; c <= columns; ++c) printf " %8s", names[c]
        printf "\n"
        split("A B", trees)
        for (t = 1; t <= 2; ++t) {
            tree = trees[t]
            printf "median %-3s", tree
            for (c = 1; c <= columns; ++c) {
                for (i = 1; i <= n[tree]; ++i) list[i] = value[tree, c, i]
                m[tree, c] = median(list, n[tree])
                printf " %8.2f", m[tree, c]
            }
            printf "\n"
        }
        printf "%-10s", "B / A"
        for (c = 1; c <= columns; ++c) {
            printf " %8.3f", (m["A", c] > 0 ? m["B", c] / m["A", c] : 0)
        }
        printf "   (of the medians)\n"
        rounds = n["A"] < n["B"] ? n["A"] : n["B"]
        printf "%-10s", "B / A"
        for (c = 1; c <= columns; ++c) {
            for (i = 1; i <= rounds; ++i) {
                a = value["A", c, i]
                ratio[i] = a > 0 ? value["B", c, i] / a : 0
            }
            printf " %8.3f", (rounds > 0 ? median(ratio, rounds) : 0)
        }
        printf "   (median of the rounds)\n"
        printf "draw calls per game frame, scene / HUD: A %s / %s, B %s / %s (last run of each)\n",
            scene["A"], hud["A"], scene["B"], hud["B"]
        printf "smoke fragments per game frame in thousands, rasterised / passed: " \
            "A %s / %s, B %s / %s (last run of each)\n", rasterised["A"], passed["A"],
            rasterised["B"], passed["B"]
    }' "$results"
