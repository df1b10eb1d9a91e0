#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes data/Skins/UserDengColor_3.userd, the template of the user colour modes.

The program copies the template into the user's folder as the colour file of each on-board
profile and copies it again when a profile's lighting is restored to its defaults. It holds ten
modes; each gives every key slot a colour and a link flag (set when the key follows the mode's
base colour), plus the painting tool, the base colour and the paint colour.

Run it from anywhere; it rewrites the file in place:  scripts/make-colour-template.py
"""

import colorsys
import pathlib

# Key slot -> key, as the colour bank numbers them (slot = 7 * column + row of the matrix).
# Several keys share a slot: Delete and keypad "." use 93; right Win, keypad *, -, +, Enter and
# 0..9 use 116; Fn uses 75 and the G keys 125.
SLOT_KEYS = {
    0: "Esc", 1: "`", 2: "Tab", 3: "CapsLock", 4: "LShift", 5: "LCtrl",
    7: "F1", 8: "1", 9: "Q", 10: "A", 11: "K45", 12: "LWin",
    14: "F2", 15: "2", 16: "W", 17: "S", 18: "Z", 19: "LAlt",
    21: "F3", 22: "3", 23: "E", 24: "D", 25: "X",
    28: "F4", 29: "4", 30: "R", 31: "F", 32: "C",
    35: "F5", 36: "5", 37: "T", 38: "G", 39: "V",
    42: "F6", 43: "6", 44: "Y", 45: "H", 46: "B", 47: "Space",
    49: "F7", 50: "7", 51: "U", 52: "J", 53: "N",
    56: "F8", 57: "8", 58: "I", 59: "K", 60: "M",
    63: "F9", 64: "9", 65: "O", 66: "L", 67: ",", 68: "RAlt",
    70: "F10", 71: "0", 72: "P", 73: ";", 74: ".", 75: "Fn",
    77: "F11", 78: "-", 79: "[", 80: "'", 81: "/", 82: "App",
    84: "F12", 85: "=", 86: "]", 87: "\\", 88: "K56", 89: "RCtrl",
    91: "Print", 92: "Insert", 93: "Delete", 94: "Backspace", 96: "Left",
    98: "Scroll", 99: "Home", 100: "End", 102: "Up", 103: "Down", 104: "NumLock",
    105: "Pause", 106: "PageUp", 107: "PageDown", 108: "Enter", 109: "RShift", 110: "Right",
    111: "Num/", 116: "Numpad", 125: "G",
}

# Where each key sits on the keyboard: (column 0..22, row 0..5), the grid of the lighting
# preview; keys two cells wide sit between their cells.
KEY_CELLS = {
    "Esc": (2, 0), "F1": (3, 0), "F2": (4, 0), "F3": (5, 0), "F4": (6, 0), "F5": (8, 0),
    "F6": (9, 0), "F7": (10, 0), "F8": (11, 0), "F9": (12, 0), "F10": (13, 0), "F11": (14, 0),
    "F12": (15, 0), "Print": (16, 0), "Scroll": (17, 0), "Pause": (18, 0),
    "`": (1, 1), "1": (2, 1), "2": (3, 1), "3": (4, 1), "4": (5, 1), "5": (6, 1), "6": (7, 1),
    "7": (8, 1), "8": (9, 1), "9": (10, 1), "0": (11, 1), "-": (12, 1), "=": (13, 1),
    "Backspace": (14.5, 1), "Insert": (16, 1), "Home": (17, 1), "PageUp": (18, 1),
    "NumLock": (19, 1), "Num/": (20, 1),
    "Tab": (1, 2), "Q": (2, 2), "W": (3, 2), "E": (4, 2), "R": (5, 2), "T": (6, 2), "Y": (7, 2),
    "U": (8, 2), "I": (9, 2), "O": (10, 2), "P": (11, 2), "[": (12, 2), "]": (13, 2),
    "Delete": (16, 2), "End": (17, 2), "PageDown": (18, 2),
    "CapsLock": (1, 3), "A": (2, 3), "S": (3, 3), "D": (4, 3), "F": (5, 3), "G": (6, 3),
    "H": (7, 3), "J": (8, 3), "K": (9, 3), "L": (10, 3), ";": (11, 3), "'": (12, 3),
    "\\": (13, 3), "Enter": (14, 3),
    "LShift": (0, 4), "K45": (1, 4), "Z": (2, 4), "X": (3, 4), "C": (4, 4), "V": (5, 4),
    "B": (6, 4), "N": (7, 4), "M": (8, 4), ",": (9, 4), ".": (10, 4), "/": (11, 4),
    "K56": (13, 4), "RShift": (14.5, 4), "Up": (17, 4),
    "LCtrl": (0, 5), "LWin": (1, 5), "LAlt": (2, 5), "Space": (6, 5), "RAlt": (9.5, 5),
    "Fn": (11, 5), "App": (12, 5), "RCtrl": (14.5, 5), "Left": (16, 5), "Down": (17, 5),
    "Right": (18, 5),
    # The keypad block shares one slot; the G keys stand left of the keyboard.
    "Numpad": (20.5, 3), "G": (-1, 2.5),
}

SLOT_COUNT = 128  # the larger model; the smaller one reads slots 0..125
COLUMNS = 22.0
ROWS = 5.0


def cell_of(slot):
    """Position of a slot on the keyboard, estimated from its matrix neighbours when no key
    of ours uses it (such slots are written so that every slot has a value)."""
    if slot in SLOT_KEYS:
        return KEY_CELLS[SLOT_KEYS[slot]]
    column, row = divmod(slot, 7)
    known = [KEY_CELLS[SLOT_KEYS[s]][0] for s in range(column * 7, column * 7 + 7)
             if s in SLOT_KEYS and SLOT_KEYS[s] not in ("Numpad", "G")]
    x = sum(known) / len(known) if known else COLUMNS
    return (x, min(row, 5))


def clamp(v):
    return max(0, min(255, int(round(v))))


def rgb(r, g, b):
    return (clamp(r), clamp(g), clamp(b))


def hsv(h, s, v):
    r, g, b = colorsys.hsv_to_rgb(h % 1.0, s, v)
    return rgb(r * 255, g * 255, b * 255)


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return rgb(*(a[i] + (b[i] - a[i]) * t for i in range(3)))


def ramp(stops, t):
    """Colour at t (0..1) along evenly spaced colour stops."""
    t = max(0.0, min(1.0, t)) * (len(stops) - 1)
    i = min(int(t), len(stops) - 2)
    return mix(stops[i], stops[i + 1], t - i)


WHITE = (255, 255, 255)


def mode_rgb(x, y, key):
    return hsv(0.83 * x, 1.0, 1.0)


def mode_aurora(x, y, key):
    return ramp([(0, 255, 140), (0, 200, 255), (90, 40, 255), (200, 0, 255)],
                0.8 * y + 0.2 * x)


WASD_KEYS = {"W", "A", "S", "D", "Up", "Down", "Left", "Right"}
WASD_NEAR = {"Q", "E", "R", "F", "LShift", "LCtrl", "Space", "Tab", "Esc"}
WASD_BASE = (0, 40, 170)


def mode_wasd(x, y, key):
    if key in WASD_KEYS:
        return (255, 24, 0)
    if key in WASD_NEAR:
        return (255, 140, 0)
    return WASD_BASE


def mode_magma_polar(x, y, key):
    if x < 0.5:
        return ramp([(255, 0, 0), (255, 80, 0), (255, 190, 0)], x / 0.5)
    return ramp([(0, 255, 230), (0, 140, 255), (40, 0, 255)], (x - 0.5) / 0.5)


def mode_neon(x, y, key):
    pink, cyan = (255, 0, 190), (0, 230, 255)
    first, second = (pink, cyan) if int(round(y * ROWS)) % 2 == 0 else (cyan, pink)
    return mix(first, second, x * 0.35)


def mode_aqua(x, y, key):
    return ramp([(150, 255, 255), (0, 220, 255), (0, 110, 230), (0, 30, 180)], y)


def mode_sakura(x, y, key):
    blossom = ramp([(255, 205, 230), (255, 120, 190), (235, 40, 140)], x)
    return WHITE if key in ("Esc", "Space", "Enter") else blossom


def mode_matrix(x, y, key):
    column = int(round(x * COLUMNS))
    # Each column has its own falling trail: bright at the head, fading above it.
    head = (column * 5 + 2) % 7
    row = int(round(y * ROWS))
    distance = (head - row) % 7
    level = max(0.25, 1.0 - distance * 0.18)
    return rgb(40 * level * level, 255 * level, 60 * level)


def mode_tropical(x, y, key):
    return ramp([(110, 255, 0), (255, 230, 0), (255, 120, 0), (255, 0, 120)],
                0.75 * x + 0.25 * y)


def mode_mono(x, y, key):
    return WHITE


# name, painting tool, base colour, paint colour, colour of a key at (x, y)
MODES = [
    ("RGB", 0, WHITE, (255, 0, 0), mode_rgb),
    ("Aurora", 0, WHITE, (0, 255, 140), mode_aurora),
    ("WASD", 1, WASD_BASE, (255, 24, 0), mode_wasd),
    ("Magma/Polar", 0, WHITE, (255, 80, 0), mode_magma_polar),
    ("Neon", 0, WHITE, (255, 0, 190), mode_neon),
    ("Aqua", 0, WHITE, (0, 220, 255), mode_aqua),
    ("Sakura", 0, WHITE, (255, 120, 190), mode_sakura),
    ("Matrix", 0, WHITE, (0, 255, 60), mode_matrix),
    ("Tropical", 0, WHITE, (255, 130, 0), mode_tropical),
    ("Mono", 1, WHITE, WHITE, mode_mono),
]


def triple(c):
    return "%d,%d,%d" % c


def build():
    lines = [
        "; Factory user colour modes, copied to each profile's colour file.",
        "; Written by scripts/make-colour-template.py; change the script, not this file.",
        "[PRESENTMODE]",
        "mode=0",
        "[MODENAME]",
    ]
    lines += ["%d=%s" % (n, m[0]) for n, m in enumerate(MODES)]
    for n, (name, tool, base, paint, colour_at) in enumerate(MODES):
        lines += ["[Mode%d]" % n, "tool=%d" % tool, "jcolor=" + triple(base),
                  "color=" + triple(paint)]
        for slot in range(SLOT_COUNT):
            cx, cy = cell_of(slot)
            x = max(0.0, min(1.0, cx / COLUMNS))
            y = max(0.0, min(1.0, cy / ROWS))
            c = colour_at(x, y, SLOT_KEYS.get(slot))
            # A key follows the base colour exactly when it shows it, as the program
            # decides again when the keyboard arrives.
            lines.append("%d=%s,%d" % (slot, triple(c), 1 if c == base else 0))
    return "\n".join(lines) + "\n"


def main():
    target = pathlib.Path(__file__).resolve().parent.parent / "data/Skins/UserDengColor_3.userd"
    target.parent.mkdir(parents=True, exist_ok=True)
    target.write_text(build(), encoding="utf-8", newline="\n")
    print(target)


if __name__ == "__main__":
    main()
