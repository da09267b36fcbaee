#!/usr/bin/env python3
"""Writes the crafted hostile inputs into seed folders below OUT (one per fuzz target).

They are made here, from a few lines each, instead of being kept as binaries:
  smf_reader/  note pairs all on one tick; a century-long song; restrikes on one tick; a song
               whose time saturates
  mlt/         wildcard member lines; an over-long line
  archive/     members named like the player's own entries; an LZH name CP932 cannot read
"""
import io
import struct
import sys
import zipfile
from pathlib import Path


def vlq(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, (value & 0x7F) | 0x80)
        value >>= 7
    return bytes(out)


def smf(division, track, fmt=0):
    header = b"MThd" + struct.pack(">IHHH", 6, fmt, 1, division)
    return header + b"MTrk" + struct.pack(">I", len(track)) + track


def same_tick(pairs):
    body = b"".join(bytes([0, 0x90, i % 128, 0x64, 0, 0x80, i % 128, 0]) for i in range(pairs))
    return smf(96, body + b"\x00\xFF\x2F\x00")


def century():
    body = vlq(0) + b"\xFF\x51\x03\xFF\xFF\xFF"
    for _ in range(8):
        body += vlq(0x0FFFFFFF) + b"\x90\x3C\x64"
    return smf(1, body + vlq(0x0FFFFFFF) + b"\xFF\x2F\x00")


def saturated():
    slowest = b"\xFF\x51\x03\xFF\xFF\xFF"
    body = vlq(0) + slowest + (vlq(0x0FFFFFFF) + b"\x90\x3C\x64") * 9 + vlq(0) + slowest
    return smf(1, body + vlq(0x0FFFFFFF) + b"\xFF\x2F\x00")


def restrikes():
    body = b"".join(bytes([0, 0x90, k, 0x64]) for k in range(0, 128, 3))
    body += vlq(96) + b"".join(bytes([0x90, k, 0x64, 0, 0x80, k, 0, 0]) for k in range(0, 128, 3))
    return smf(96, body + b"\xFF\x2F\x00")


def zip_of(members):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_STORED) as z:
        for name, data in members:
            z.writestr(name, data)
    return buffer.getvalue()


def crc16(data):
    crc = 0
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def lzh0(members):
    """Level 0 headers, stored (-lh0-)."""
    out = b""
    for name, data in members:
        rest = (b"-lh0-" + struct.pack("<IIIBB", len(data), len(data), 0, 0x20, 0) +
                bytes([len(name)]) + name + struct.pack("<H", crc16(data)))
        out += bytes([len(rest), sum(rest) & 0xFF]) + rest + data
    return out + b"\x00"


HOSTILE_MEMBERS = [
    (b"FileNames/0.File", b'"/tmp/injected.mid"\r\n'),
    (b"Lock", b"x"),
    (b"Lock/instance.lock", b"x"),
    (b"\x85\x20bad.mid", b"MThd"),
    (b"after.mid", b"MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60"),
]


def main():
    out = Path(sys.argv[1])
    seeds = {
        "smf_reader/same-tick-8000.mid": same_tick(8000),
        "smf_reader/century.mid": century(),
        "smf_reader/restrikes.mid": restrikes(),
        "smf_reader/saturated.mid": saturated(),
        "mlt/wildcard.mlt": b"[MIDILIST]\n/m/a.zip/*\nAPP /m/b.lzh\n*.*\nEND APP\n/m/c.rar/*.mid\n",
        "mlt/long-line.mlt": b"[MIDILIST]\n/m/" + b"y" * 5000 + b".mid\n/m/b.mid\n",
        "archive/own-entries.zip": b"\x00" + zip_of(
            [(n.decode("latin-1"), d) for n, d in HOSTILE_MEMBERS if n.isascii()]),
        "archive/own-entries.lzh": b"\x01" + lzh0(HOSTILE_MEMBERS),
    }
    for name, data in seeds.items():
        path = out / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)


if __name__ == "__main__":
    main()
