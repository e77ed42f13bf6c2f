#!/usr/bin/env python3
"""Holds two raw captures of SDL's disk audio driver (16-bit stereo) against
each other: the stretches that sound (runs of frames that are not silent)
must be the same bytes in the same order. The silence between two sounds
follows each machine's timing, so its length is not compared.
    sounding_stretches.py EXPECTED.raw ACTUAL.raw
With --ended, exits 0 once the capture ends in a quarter second of silence
after its last sounding stretch, and holds as many as EXPECTED if given:
    sounding_stretches.py --ended ACTUAL.raw [EXPECTED.raw]"""
import os
import re
import sys


def stretches(path):
    with open(path, "rb") as raw:
        data = raw.read()
    data = data[: len(data) // 4 * 4]
    frames = [data[i : i + 4] for i in range(0, len(data), 4)]
    marks = "".join("0" if frame == b"\0\0\0\0" else "1" for frame in frames)
    return [data[m.start() * 4 : m.end() * 4] for m in re.finditer("1+", marks)]


if sys.argv[1] == "--ended":
    if not os.path.exists(sys.argv[2]):  # the driver has not opened it yet
        sys.exit(1)
    with open(sys.argv[2], "rb") as raw:
        tail = raw.read()[-44100:]  # about a quarter second of 16-bit stereo
    enough = len(stretches(sys.argv[2])) >= (len(stretches(sys.argv[3])) if sys.argv[3:] else 1)
    sys.exit(0 if enough and len(tail) == 44100 and not any(tail) else 1)
expected, actual = stretches(sys.argv[1]), stretches(sys.argv[2])
sounding = sum(len(s) for s in expected)
print(f"{len(expected)} sounding stretches, {sounding} bytes expected; {len(actual)} found")
sys.exit(0 if expected and expected == actual else 1)
