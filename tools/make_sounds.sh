#!/usr/bin/env bash
# Makes the game's sounds in assets/sounds/ from nothing but SoX's synthesiser, so every run
# gives the same files (-R: SoX's noise is repeatable):
#   bash tools/make_sounds.sh
# All are FLAC, mono (the game places them in the arena), 44.1 kHz, 16 bits. Needs SoX with its
# FLAC support (Debian: sox, libsox-fmt-base).
set -euo pipefail

out="$(cd "$(dirname "$0")/.." && pwd)/assets/sounds"
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

make() {  # file, then SoX effects after the format options
    local file=$1
    shift
    sox -R -n -r 44100 -c 1 -b 16 "$file" "$@"
}

# The engine: a loop of exactly one second. Every partial (a sawtooth at 55 Hz, a square an
# octave up, a 25 Hz throb) repeats a whole number of times in it, and the first second is
# dropped so that the filter has settled: the end runs on into the start without a click. The
# game raises its pitch and gain with the robot's speed.
make "$out/engine.flac" synth 2.0 sawtooth 55 synth 2.0 square mix 110 synth 2.0 sine amod 25 \
    lowpass 500 trim 1 1 gain -n -3

# A cut: a short hiss of high noise that dies away fast, like a blade through grass.
make "$out/cut.flac" synth 0.14 whitenoise gain -6 highpass 2500 lowpass 9000 fade p 0.002 0.14 0.12 \
    gain -n -3

# A bump: a thud, a sine falling from 90 to 40 Hz over low noise.
make "$out/bump.flac" synth 0.3 sine 90:40 synth 0.3 brownnoise mix lowpass 400 \
    fade p 0.002 0.3 0.27 gain -n -1

# A tick of the last ten seconds: a short, bright click.
make "$out/tick.flac" synth 0.06 sine 1500 synth 0.06 square mix 3000 fade p 0.001 0.06 0.055 \
    gain -n -6

# "YOU WON!": a rising arpeggio, C E G, ending on the octave's chord.
note() {  # file, length, frequency...
    local file=$1 length=$2
    shift 2
    local voices=(synth "$length" pluck "$1")
    shift
    for frequency in "$@"; do voices+=(synth "$length" pluck mix "$frequency"); done
    make "$file" "${voices[@]}" fade p 0.005 "$length" 0.05
}
note "$work/won1.flac" 0.14 523.25
note "$work/won2.flac" 0.14 659.26
note "$work/won3.flac" 0.14 783.99
note "$work/won4.flac" 0.9 1046.5 783.99 659.26
sox -R "$work"/won1.flac "$work"/won2.flac "$work"/won3.flac "$work"/won4.flac "$out/won.flac" \
    gain -n -2

# "GAME OVER!": three falling steps and a long low note that wavers.
step() {  # file, length, frequency
    make "$1" synth "$2" sawtooth "$3" synth "$2" sine fmod 6 lowpass 1200 fade p 0.01 "$2" 0.08
}
step "$work/lost1.flac" 0.3 392
step "$work/lost2.flac" 0.3 370
step "$work/lost3.flac" 0.3 349.23
make "$work/lost4.flac" synth 1.2 sawtooth 329.63 synth 1.2 sine fmod 5 lowpass 1000 \
    fade p 0.01 1.2 0.6
sox -R "$work"/lost1.flac "$work"/lost2.flac "$work"/lost3.flac "$work"/lost4.flac \
    "$out/lost.flac" gain -n -2

ls -l "$out"
