#!/usr/bin/env python3
"""Compares the samples of two WAV files (the headers may differ):
compare_wav.py A B exits non-zero, naming the first differing sample."""
import struct, sys
def samples(path):
    data = open(path, 'rb').read()
    if data[:4] != b'RIFF' or data[8:12] != b'WAVE':
        sys.exit(f"{path}: not a WAV file")
    pos, fmt = 12, None
    while pos + 8 <= len(data):
        tag, size = data[pos:pos + 4], struct.unpack('<I', data[pos + 4:pos + 8])[0]
        body = data[pos + 8:pos + 8 + size]
        if tag == b'fmt ':
            fmt = struct.unpack('<HHIIHH', body[:16])
        if tag == b'data':
            return fmt, body
        pos += 8 + size + (size & 1)
    sys.exit(f"{path}: no audio data")
(fa, a), (fb, b) = samples(sys.argv[1]), samples(sys.argv[2])
if fa[1:] != fb[1:] or len(a) != len(b):
    sys.exit(f"{sys.argv[2]}: format or length differs from {sys.argv[1]}")
width = fa[5] // 8
count = len(a) // width
if a != b:
    first = next(i for i in range(0, len(a), width) if a[i:i + width] != b[i:i + width]) // width
    sys.exit(f"{sys.argv[2]}: differs from {sys.argv[1]}, first at sample {first} of {count}")
print(f"{count} samples identical")
