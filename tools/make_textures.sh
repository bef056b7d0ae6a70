#!/usr/bin/env bash
# Makes the game's DDS textures in assets/textures/ from nothing but ImageMagick drawing
# commands and seeded noise, so every run gives the same files:
#   bash tools/make_textures.sh
# Opaque textures are DXT1, the smoke puff (soft alpha) is DXT5. Only the top level is
# written: the game builds its own mipmaps. Noise is blurred with tiling edges so the
# textures repeat without seams. Needs ImageMagick 6 (Debian: imagemagick).
set -euo pipefail

out="$(cd "$(dirname "$0")/.." && pwd)/assets/textures"
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

dxt1() { convert "$1" -alpha off -define dds:compression=dxt1 -define dds:mipmaps=0 "DDS:$2"; }
dxt5() { convert "$1" -alpha set -define dds:compression=dxt5 -define dds:mipmaps=0 "DDS:$2"; }

# Seamless grey noise: random pixels blurred with the image wrapping round at its edges.
noise() {  # size seed blur file
    convert -size "$1" xc:gray50 -seed "$2" +noise Random -colorspace Gray \
        -virtual-pixel tile -blur "0x$3" -auto-level "$4"
}

# Floor grass in a cel-shaded look: a few flat bands of green.
noise 256x256 11 6 "$work/grass_noise.png"
convert "$work/grass_noise.png" -posterize 4 +level-colors '#2e6b1c','#7cc243' "$work/celgrass.png"
dxt1 "$work/celgrass.png" "$out/celgrass.dds"

# Uncut grass: dark blades (noise stretched along one axis) over a mottled base, even in
# brightness so neighbouring tiles blend into one meadow.
noise 256x32 12 1 "$work/blades.png"
noise 256x256 16 8 "$work/meadow.png"
convert "$work/blades.png" -resize 256x256! "$work/meadow.png" -compose Multiply -composite \
    -auto-level +level-colors '#1f5212','#63b534' "$work/grass_unmown.png"
dxt1 "$work/grass_unmown.png" "$out/grass_unmown.dds"

# Wooden planks: grain streaks along x, four planks with dark joints.
noise 32x256 13 1 "$work/grain.png"
convert "$work/grain.png" -resize 256x256! +level-colors '#5b3517','#b98245' \
    -fill '#3a200c' -draw 'rectangle 0,0 255,2' -draw 'rectangle 0,64 255,66' \
    -draw 'rectangle 0,128 255,130' -draw 'rectangle 0,192 255,194' \
    -fill '#3a200c' -draw 'rectangle 100,3 102,63' -draw 'rectangle 30,67 32,127' \
    -draw 'rectangle 180,131 182,191' -draw 'rectangle 70,195 72,255' "$work/wood.png"
dxt1 "$work/wood.png" "$out/wood_texture.dds"

# Robot paint: orange panels with grey seams, rivets and a dark vent.
noise 256x256 14 3 "$work/paint_noise.png"
convert "$work/paint_noise.png" -level 0%,400% +level-colors '#d9731f','#f0953a' \
    -fill '#5a5a60' -draw 'rectangle 0,0 255,3' -draw 'rectangle 0,126 255,129' \
    -draw 'rectangle 0,0 3,255' -draw 'rectangle 126,0 129,255' \
    -fill '#2a2a2e' -draw 'rectangle 150,150 230,160' -draw 'rectangle 150,170 230,180' \
    -draw 'rectangle 150,190 230,200' \
    -fill '#c8c8cc' -draw 'circle 16,16 20,16' -draw 'circle 110,16 114,16' \
    -draw 'circle 16,110 20,110' -draw 'circle 110,110 114,110' \
    -draw 'circle 144,144 148,144' -draw 'circle 240,240 244,240' "$work/robot.png"
dxt1 "$work/robot.png" "$out/robot.dds"

# Wheel rubber: dark tiles with a lighter tread groove.
convert -size 256x256 xc:'#262628' \
    -fill '#3c3c40' -draw 'rectangle 0,0 127,127' -draw 'rectangle 128,128 255,255' \
    -fill '#0e0e10' -draw 'rectangle 0,60 255,67' -draw 'rectangle 0,188 255,195' \
    -fill '#8a8a90' -draw 'rectangle 0,0 255,1' -draw 'rectangle 0,0 1,255' "$work/tiles.png"
dxt1 "$work/tiles.png" "$out/tiles_specular.dds"

# Beach ball: six coloured segments round the ball, white caps at both poles.
convert -size 256x256 xc:white \
    -fill '#e0302a' -draw 'rectangle 0,0 42,255' \
    -fill '#ffffff' -draw 'rectangle 43,0 85,255' \
    -fill '#2a62d8' -draw 'rectangle 86,0 127,255' \
    -fill '#f5d21c' -draw 'rectangle 128,0 170,255' \
    -fill '#ffffff' -draw 'rectangle 171,0 212,255' \
    -fill '#2fae45' -draw 'rectangle 213,0 255,255' \
    -fill white -draw 'rectangle 0,0 255,22' -draw 'rectangle 0,233 255,255' "$work/ball.png"
dxt1 "$work/ball.png" "$out/beachball.dds"

# Smoke: a soft grey puff, its shape in the alpha channel (bright centre, fading edge).
noise 128x128 15 4 "$work/puff_noise.png"
convert -size 128x128 radial-gradient:white-black "$work/puff_noise.png" \
    -fx 'pow(u,1.6)*(0.65+0.35*v)' -colorspace Gray "$work/puff_alpha.png"
convert -size 128x128 xc:'#d8d8d8' "$work/puff_alpha.png" -alpha off \
    -compose CopyOpacity -composite "$work/smoke.png"
dxt5 "$work/smoke.png" "$out/smoke.dds"

echo "textures written to $out"
