#!/usr/bin/env python3
"""Copies a built Sprig.dll, giving the copy's version block other version numbers, so that the
tests can install it as an earlier release:  older-dll.py IN OUT MAJOR.MINOR.PATCH"""
import struct
import sys

source, target, version = sys.argv[1:]
major, minor, patch = (int(part) for part in version.split("."))
data = bytearray(open(source, "rb").read())
# VS_FIXEDFILEINFO: signature, structure version, then the file and the product version.
signature = struct.pack("<I", 0xFEEF04BD)
at = data.find(signature)
if at < 0 or data.find(signature, at + 1) >= 0:
    sys.exit(f"{source}: not exactly one version block")
high, low = major << 16 | minor, patch << 16
struct.pack_into("<4I", data, at + 8, high, low, high, low)
open(target, "wb").write(data)
