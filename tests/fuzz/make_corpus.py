#!/usr/bin/env python3
"""Writes the hostile input files into tests/fuzz/corpus/. They seed the fuzzers and the loader
tests read them as they stand, so keep every name that a test uses. Run from anywhere:
    python3 tests/fuzz/make_corpus.py
"""
import os
import re
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
KEYS_SOURCE = os.path.join(HERE, "..", "..", "app", "Keys.cpp")


def dds(width, height, four_cc=b"DXT1", linear_size=None, data_bytes=None, magic=b"DDS "):
    """A DDS file: magic, 124-byte header with the fields the game reads, then data bytes."""
    block = 8 if four_cc == b"DXT1" else 16
    level = ((width + 3) // 4) * ((height + 3) // 4) * block
    if linear_size is None:
        linear_size = level
    if data_bytes is None:
        data_bytes = linear_size
    header = bytearray(124)
    struct.pack_into("<IIIII", header, 0, 124, 0x81007, height, width, linear_size)
    struct.pack_into("<I", header, 72, 32)  # pixel format size
    struct.pack_into("<I", header, 76, 4)  # pixel format flags: four-character code
    header[80:84] = four_cc
    return magic + bytes(header) + bytes((i * 37) & 0xFF for i in range(data_bytes))


DDS_FILES = {
    "valid_8x8_dxt1.dds": dds(8, 8),
    "valid_8x4_dxt5.dds": dds(8, 4, b"DXT5"),
    "valid_5x3_dxt3.dds": dds(5, 3, b"DXT3"),
    "empty.dds": b"",
    "short_header.dds": dds(8, 8)[:60],
    "magic_only.dds": b"DDS ",
    "wrong_magic.dds": dds(8, 8, magic=b"DDSX"),
    "linear_size_zero.dds": dds(8, 8, linear_size=0, data_bytes=32),
    "linear_size_beyond_file.dds": dds(8, 8, linear_size=0x7FFFFFF0, data_bytes=32),
    "width_zero.dds": dds(0, 8, linear_size=32, data_bytes=32),
    "height_zero.dds": dds(8, 0, linear_size=32, data_bytes=32),
    "huge_size.dds": dds(0xFFFFFFFF, 0xFFFFFFFF, b"DXT5", linear_size=0xFFFFFFFF, data_bytes=64),
    "huge_width_small_data.dds": dds(0x40000000, 4, b"DXT5", linear_size=64, data_bytes=64),
    "unknown_format_dx10.dds": dds(8, 8, b"DX10", linear_size=64, data_bytes=64),
    "unknown_format_zero.dds": dds(8, 8, b"\0\0\0\0", linear_size=64, data_bytes=64),
    "truncated_data.dds": dds(256, 256, linear_size=32768, data_bytes=100),
}


def action_names():
    """The actions' names in the [keys] section, in order, from the game's own table of them."""
    with open(KEYS_SOURCE, encoding="utf-8") as source:
        table = re.search(r"actions = \{\{(.*?)\}\};", source.read(), re.S)
    names = re.findall(r'^\s*\{"([a-z]+)",', table.group(1), re.M) if table else []
    if not names:
        raise SystemExit("make_corpus: no action names found in " + KEYS_SOURCE)
    return names


ACTIONS = action_names()

with open(os.path.join(HERE, "..", "..", "assets", "settings.ini"), encoding="latin-1") as f:
    SHIPPED = f.read()


def mebibyte_of_keys():
    """[keys] with as many unknown actions as fit in the 1 MiB the game reads at most."""
    lines = ["[keys]\n"]
    size = len(lines[0])
    number = 0
    while True:
        line = "unknown_action_%07d = W, Up\n" % number
        if size + len(line) > 1 << 20:
            return "".join(lines)
        lines.append(line)
        size += len(line)
        number += 1


SETTINGS_FILES = {
    "all_keys.ini": "[window]\nwidth=1024\nheight=768\nrefresh_rate=144\nfullscreen=true\n"
    "title=Arena\nbrightness=2.5\n[camera]\nfov=75\nnear=0.5\nfar=250\n",
    "empty.ini": "",
    "zero_size.ini": "[window]\nwidth=0\nheight=-600\n",
    "size_beyond_int.ini": "[window]\nwidth=4294968096\nheight=99999999999999999999\n",
    "fov_out_of_range.ini": "[camera]\nfov=180\n",
    "non_finite.ini": "[window]\nbrightness=nan\n[camera]\nfov=inf\nnear=-inf\nfar=1e999\n",
    "near_beyond_far.ini": "[camera]\nnear=150\nfar=4\n",
    "malformed_lines.ini": "[window\nwidth\n=800\n[camera]]\nfov==60\n;comment\n#x\n",
    "binary_junk.ini": "\x00\xff\xfe[\x01]\n\x7f=\x80\n" * 4,
    "long_line.ini": "[window]\ntitle=" + "T" * 3000 + "\n",
    "render_scale_auto.ini": "[window]\nrender_scale = Auto\n",
    "render_scale_unusable.ini": "[window]\nrender_scale=0.2\nrender_scale=1.0001\n"
    "render_scale=-nan\nrender_scale=0x1p-1\nrender_scale=1e-400\nrender_scale= 0.5 x\n",
    # [keys], as the shipped file or a player's own.
    "keys_valid.ini": "[keys]\nforward = Up\npause = W\nhud = F4, kp5\nrestart = /, Comma\n",
    "keys_overlong_names.ini": "[keys]\nforward = " + "W" * 190 + "\n" + "x" * 150 + " = Up\n"
    "pause = F" + "1" * 150 + "\n",
    "keys_control_bytes.ini": "[keys]\nforward = \x1b[2J, \x07\npause = F\x004\n\x01 = W\n"
    "hud = \x7f\x9b\n",
    "keys_1000_bindings.ini": "[keys]\n" + "".join(
        "%s = %s\n" % (ACTIONS[i % len(ACTIONS)], chr(ord("A") + i % 26)) for i in range(1000)),
    "keys_one_key_for_every_action.ini": "[keys]\n" + "".join("%s = W\n" % a for a in ACTIONS),
    # A player's copy of the shipped file, changed as players change it: at its end, and with
    # indented lines.
    "shipped_copy_with_window_appended.ini": SHIPPED
    + "\n[window]\nwidth = 1280\nvsync = false\nfullscreen = true\ntitle = Mine\n",
    "indented_lines.ini": "[window]\n    width = 1280\n    height = 720\n    vsync = false\n"
    "[keys]\n  forward = I\n  forward = O\n",
    # The largest file the game reads: a mebibyte of actions it does not know.
    "keys_a_mebibyte_of_unknown_actions.ini": mebibyte_of_keys(),
}


def write(folder, files):
    os.makedirs(folder, exist_ok=True)
    for name, content in files.items():
        data = content if isinstance(content, bytes) else content.encode("latin-1")
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)


write(os.path.join(HERE, "corpus", "dds"), DDS_FILES)
write(os.path.join(HERE, "corpus", "settings"), SETTINGS_FILES)
