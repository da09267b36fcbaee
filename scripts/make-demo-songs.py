#!/usr/bin/env python3
"""Writes the demo songs of VESK MIDI PLAYER into demo/ (or the folder given).

Three short General MIDI arrangements, written for the project: two public-domain
melodies ("Ode to Joy", Beethoven; "さくらさくら", Japanese traditional) and one
original piece ("Night Drive"). Each file is format 1 at 480 ticks per beat and starts
with a conductor track that holds the title, the copyright line, a GS reset and the
tempo changes, so the player's header scan finds title and copyright in its first
kilobyte. The Japanese title is stored in Shift-JIS.

Only the standard library is used and the output is the same on every run.

    python3 scripts/make-demo-songs.py [OUTPUT_FOLDER]
"""

import os
import struct
import sys

PPQ = 480
GS_RESET = bytes([0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7])
COPYRIGHT = "(C) 2026 VESK MIDI PLAYER Project, free to use"
DRUMS = 9

# General MIDI programs (0-based) and drum notes used below.
ACOUSTIC_GRAND, NYLON_GUITAR, FINGER_BASS, ACOUSTIC_BASS = 0, 24, 33, 32
SYNTH_BASS, STRINGS, SLOW_STRINGS, FLUTE, TRUMPET = 38, 48, 49, 73, 56
SHAKUHACHI, KOTO, SAW_LEAD, WARM_PAD, EPIANO = 77, 107, 81, 89, 4
KICK, SIDE_STICK, SNARE, CLAP, CLOSED_HAT, OPEN_HAT = 36, 37, 38, 39, 42, 46
LOW_FLOOR_TOM, LOW_TOM, MID_TOM, HIGH_TOM, CRASH, RIDE = 41, 45, 47, 50, 49, 51
TAMBOURINE, CLAVES, TRIANGLE = 54, 75, 81

NOTE_INDEX = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}


def note(name):
    """'C4' is 60; '#' and 'b' after the letter raise or lower by a semitone."""
    pitch = NOTE_INDEX[name[0]]
    rest = name[1:]
    while rest and rest[0] in "#b":
        pitch += 1 if rest[0] == "#" else -1
        rest = rest[1:]
    return 12 * (int(rest) + 1) + pitch


def vlq(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


class Humanizer:
    """Small, repeatable velocity variations (a fixed linear congruential generator)."""

    def __init__(self, seed):
        self.state = seed

    def vary(self, velocity, spread=6):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        offset = (self.state >> 16) % (2 * spread + 1) - spread
        return max(1, min(127, velocity + offset))


class Track:
    def __init__(self, name=None, channel=None, program=None, volume=100, pan=64, reverb=40,
                 chorus=0):
        self.events = []  # (tick, order, bytes); order puts note-offs before note-ons
        self.channel = channel
        if name is not None:
            self.meta(0, 0x03, name.encode("ascii"))
        if channel is not None:
            # After the GS reset of the conductor track has had time to take effect.
            setup = PPQ // 4
            if program is not None:
                self.control(setup, 0, 0)
                self.raw(setup, 1, bytes([0xC0 | channel, program]))
            self.control(setup, 7, volume)
            self.control(setup, 10, pan)
            self.control(setup, 91, reverb)
            self.control(setup, 93, chorus)

    def raw(self, tick, order, data):
        self.events.append((int(tick), order, data))

    def meta(self, tick, kind, data):
        self.raw(tick, 0, bytes([0xFF, kind]) + vlq(len(data)) + data)

    def control(self, tick, number, value):
        self.raw(tick, 1, bytes([0xB0 | self.channel, number, value]))

    def add(self, tick, pitch, length, velocity):
        tick, length = int(tick), max(1, int(length))
        self.raw(tick, 3, bytes([0x90 | self.channel, pitch, velocity]))
        self.raw(tick + length, 2, bytes([0x80 | self.channel, pitch, 64]))

    def encode(self):
        body = bytearray()
        now = 0
        for tick, _, data in sorted(self.events, key=lambda e: (e[0], e[1])):
            body += vlq(tick - now) + data
            now = tick
        body += vlq(0) + b"\xFF\x2F\x00"
        return b"MTrk" + struct.pack(">I", len(body)) + bytes(body)


def conductor(title, tempos, numerator=4, sharps=0, minor=False, text=None):
    """Title first (the scan takes the earliest title event), then copyright and reset."""
    track = Track()
    track.meta(0, 0x03, title)
    track.meta(0, 0x02, COPYRIGHT.encode("ascii"))
    if text:
        track.meta(0, 0x01, text)
    track.raw(0, 1, b"\xF0" + vlq(len(GS_RESET)) + GS_RESET)
    track.meta(0, 0x58, bytes([numerator, 2, 24, 8]))
    track.meta(0, 0x59, bytes([sharps & 0xFF, 1 if minor else 0]))
    for tick, bpm in tempos:
        track.meta(tick, 0x51, struct.pack(">I", round(60_000_000 / bpm))[1:])
    return track


def write_song(path, tracks):
    data = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), PPQ)
    data += b"".join(t.encode() for t in tracks)
    with open(path, "wb") as out:
        out.write(data)


def play_line(track, start, line, velocity, human, legato=0.92):
    """`line` is a list of (note name or None for a rest, beats)."""
    tick = start
    for name, beats in line:
        if name is not None:
            track.add(tick, note(name), beats * PPQ * legato, human.vary(velocity))
        tick += beats * PPQ
    return tick


TRIADS = {
    "C": ("C", "E", "G"), "G": ("G", "B", "D"), "F": ("F", "A", "C"), "Am": ("A", "C", "E"),
    "Em": ("E", "G", "B"), "Dm": ("D", "F", "A"), "E": ("E", "G#", "B"),
}


def chord_notes(chord, octave):
    """Closed triad from the root upwards, starting in `octave`."""
    notes = []
    base = None
    for name in TRIADS[chord]:
        pitch = note(name + str(octave))
        if base is not None:
            while pitch <= base:
                pitch += 12
        notes.append(pitch)
        base = pitch
    return notes


# --- Ode to Joy (Ludwig van Beethoven, 1824; public domain) -------------------------------

ODE_PHRASE_A = [("E4", 1), ("E4", 1), ("F4", 1), ("G4", 1), ("G4", 1), ("F4", 1), ("E4", 1),
                ("D4", 1), ("C4", 1), ("C4", 1), ("D4", 1), ("E4", 1)]
ODE_END_1 = [("E4", 1.5), ("D4", 0.5), ("D4", 2)]
ODE_END_2 = [("D4", 1.5), ("C4", 0.5), ("C4", 2)]
ODE_MIDDLE = [("D4", 1), ("D4", 1), ("E4", 1), ("C4", 1),
              ("D4", 1), ("E4", 0.5), ("F4", 0.5), ("E4", 1), ("C4", 1),
              ("D4", 1), ("E4", 0.5), ("F4", 0.5), ("E4", 1), ("D4", 1),
              ("C4", 1), ("D4", 1), ("G3", 2)]
# One chord per half bar, bars 1 to 16, then the closing bar.
ODE_CHORDS = ["C", "C", "G", "G", "C", "C", "C", "G",
              "C", "C", "G", "G", "C", "C", "G", "C",
              "G", "C", "G", "C", "G", "G", "C", "G",
              "C", "C", "G", "G", "C", "C", "G", "C",
              "C", "C"]


def ode_to_joy(path):
    bar = 4 * PPQ
    start = PPQ  # one beat of count-in
    tempos = [(0, 120), (start + 8 * bar, 126), (start + 12 * bar, 120),
              (start + 14 * bar, 108), (start + 15 * bar, 96), (start + 16 * bar, 80)]
    human = Humanizer(1824)
    flute = Track("Flute", 0, FLUTE, volume=116, pan=70, reverb=60)
    trumpet = Track("Trumpet", 1, TRUMPET, volume=82, pan=52, reverb=50)
    piano = Track("Piano", 2, ACOUSTIC_GRAND, volume=100, pan=58, reverb=45)
    strings = Track("Strings", 3, STRINGS, volume=70, pan=80, reverb=70, chorus=20)
    bass = Track("Bass", 4, FINGER_BASS, volume=112, pan=64, reverb=20)
    drums = Track("Drums", DRUMS, None, volume=92, reverb=30)

    melody = (ODE_PHRASE_A + ODE_END_1 + ODE_PHRASE_A + ODE_END_2 + ODE_MIDDLE +
              ODE_PHRASE_A + ODE_END_2)
    play_line(flute, start, melody, 92, human)
    # The trumpet doubles the last eight bars an octave lower, from the middle part on.
    tick = start
    for name, beats in melody:
        if name is not None and tick >= start + 8 * bar:
            trumpet.add(tick, note(name) - 12, beats * PPQ * 0.9, human.vary(74))
        tick += beats * PPQ
    flute.add(start + 16 * bar, note("C5"), bar * 0.95, 88)
    trumpet.add(start + 16 * bar, note("E4"), bar * 0.95, 76)

    for half, chord in enumerate(ODE_CHORDS):
        at = start + half * 2 * PPQ
        root = note(TRIADS[chord][0] + "2")
        fifth = root + 7
        last = half >= len(ODE_CHORDS) - 2
        if last:
            if half == len(ODE_CHORDS) - 2:
                bass.add(at, root, bar * 0.95, 96)
                for pitch in chord_notes(chord, 3) + [note("C5")]:
                    piano.add(at, pitch, bar * 0.95, 78)
                    strings.add(at, pitch + 12, bar * 0.95, 70)
            continue
        bass.add(at, root, PPQ * 0.9, human.vary(96))
        bass.add(at + PPQ, fifth if half % 4 != 3 else root + 12, PPQ * 0.9, human.vary(86))
        triad = chord_notes(chord, 3)
        for step, pitch in enumerate([triad[0], triad[2], triad[1] + 12, triad[2]]):
            piano.add(at + step * PPQ // 2, pitch, PPQ * 0.45, human.vary(62 if step else 72))
        if half == 0 or ODE_CHORDS[half - 1] != chord or half % 2 == 0:
            # Held until the chord changes or the bar ends.
            halves = 1 if half % 2 == 1 or ODE_CHORDS[half + 1] != chord else 2
            for pitch in chord_notes(chord, 4):
                strings.add(at, pitch, halves * 2 * PPQ * 0.98, 52 if half < 16 else 64)

    bars = 16
    for b in range(bars):
        at = start + b * bar
        for beat in range(4):
            t = at + beat * PPQ
            if beat in (0, 2):
                drums.add(t, KICK, PPQ // 4, human.vary(96))
            else:
                drums.add(t, SNARE if b >= 4 else SIDE_STICK, PPQ // 4, human.vary(78))
            for eighth in range(2):
                drums.add(t + eighth * PPQ // 2, CLOSED_HAT, PPQ // 8,
                          human.vary(58 if eighth == 0 else 42))
        if b in (0, 8):
            drums.add(at, CRASH, PPQ, 96)
        if b in (7, 15):  # a short tom fill into the next part
            for i, tom in enumerate([HIGH_TOM, MID_TOM, LOW_TOM, LOW_FLOOR_TOM]):
                drums.add(at + 3 * PPQ + i * PPQ // 4, tom, PPQ // 4, human.vary(84))
    drums.add(start + bars * bar, CRASH, bar, 100)
    drums.add(start + bars * bar, KICK, PPQ // 4, 100)

    title = "Ode to Joy".encode("ascii")
    write_song(path, [conductor(title, tempos, text=b"Beethoven, arranged for VESK"),
                      flute, trumpet, piano, strings, bass, drums])


# --- Sakura Sakura (Japanese traditional; public domain) -----------------------------------

SAKURA_MELODY = [
    ("A4", 1), ("A4", 1), ("B4", 2),
    ("A4", 1), ("A4", 1), ("B4", 2),
    ("A4", 1), ("B4", 1), ("C5", 1), ("B4", 1),
    ("A4", 1), ("B4", 0.5), ("A4", 0.5), ("F4", 2),
    ("E4", 1), ("C4", 1), ("E4", 1), ("F4", 1),
    ("E4", 1), ("E4", 0.5), ("C4", 0.5), ("B3", 2),
    ("A4", 1), ("B4", 1), ("C5", 1), ("B4", 1),
    ("A4", 1), ("B4", 0.5), ("A4", 0.5), ("F4", 2),
    ("E4", 1), ("C4", 1), ("E4", 1), ("F4", 1),
    ("E4", 1), ("E4", 0.5), ("C4", 0.5), ("B3", 2),
    ("A4", 1), ("A4", 1), ("B4", 2),
    ("A4", 1), ("A4", 1), ("B4", 2),
    ("E4", 1), ("F4", 1), ("B4", 0.5), ("A4", 0.5), ("F4", 1),
    ("E4", 4),
]
# Root of the koto and bass figure in each bar: the intro bar, the 14 bars of the song.
SAKURA_ROOTS = ["A", "A", "A", "A", "F", "A", "E", "A", "F", "A", "E", "A", "A", "F", "E"]
# The note above the octave in each koto figure, kept inside the scale A B C E F.
KOTO_COLOUR = {"A": 15, "F": 16, "E": 13}


def sakura(path):
    bar = 4 * PPQ
    start = PPQ // 2
    song = start + bar  # one bar of koto alone first
    tempos = [(0, 100), (song + 12 * bar, 90), (song + 13 * bar, 78),
              (song + 13 * bar + 2 * PPQ, 64)]
    human = Humanizer(1888)
    shakuhachi = Track("Shakuhachi", 0, SHAKUHACHI, volume=120, pan=60, reverb=80)
    koto = Track("Koto", 1, KOTO, volume=110, pan=44, reverb=70)
    strings = Track("Strings", 2, SLOW_STRINGS, volume=64, pan=84, reverb=90)
    bass = Track("Bass", 3, ACOUSTIC_BASS, volume=110, pan=64, reverb=40)
    drums = Track("Percussion", DRUMS, None, volume=84, reverb=60)

    play_line(shakuhachi, song, SAKURA_MELODY, 90, human, legato=0.97)
    for b, root_name in enumerate(SAKURA_ROOTS):
        at = start + b * bar
        root = note(root_name + "3")
        final = b == len(SAKURA_ROOTS) - 1
        figure = [root, root + 7, root + 12, root + 7, root + 12, root + KOTO_COLOUR[root_name],
                  root + 12, root + 7]
        if final:
            for i, pitch in enumerate([root, root + 7, root + 12, root + 19]):
                koto.add(at + i * PPQ // 6, pitch, bar - i * PPQ // 6, 80 - i * 4)
        else:
            for i, pitch in enumerate(figure):
                koto.add(at + i * PPQ // 2, pitch, PPQ * 0.8, human.vary(70 if i % 2 else 80))
        bass.add(at, root - 12, (bar if final else 2 * PPQ) * 0.95, human.vary(90))
        if not final:
            bass.add(at + 2 * PPQ, root - 5, 2 * PPQ * 0.95, human.vary(80))
        if b >= 1:
            for pitch in (root + 12, root + 19):
                strings.add(at, pitch, bar * 0.98, 50 if b < 11 else 60)
        if b >= 1 and not final:
            drums.add(at, LOW_FLOOR_TOM, PPQ // 2, human.vary(88))
            drums.add(at + 2 * PPQ, LOW_TOM, PPQ // 2, human.vary(64))
            drums.add(at + 3 * PPQ + PPQ // 2, CLAVES, PPQ // 4, human.vary(56))
            if b % 4 == 0:
                drums.add(at, TRIANGLE, PPQ, 60)
    drums.add(start + (len(SAKURA_ROOTS) - 1) * bar, LOW_FLOOR_TOM, PPQ, 96)
    drums.add(start + (len(SAKURA_ROOTS) - 1) * bar, TRIANGLE, bar, 66)

    title = "さくらさくら".encode("shift_jis")
    write_song(path, [conductor(title, tempos, minor=True,
                                text="日本古謡".encode("shift_jis")),
                      shakuhachi, koto, strings, bass, drums])


# --- Night Drive (written for VESK MIDI PLAYER) -------------------------------------------

DRIVE_LEAD = [
    # A part, over Am F C G twice.
    ("E5", 1), ("A4", 0.5), ("C5", 0.5), ("E5", 1), ("D5", 0.5), ("C5", 0.5),
    ("C5", 1.5), ("A4", 0.5), ("F4", 2),
    ("G4", 0.5), ("C5", 0.5), ("E5", 1), ("G5", 1), ("E5", 1),
    ("D5", 3), ("B4", 1),
    ("E5", 1), ("A4", 0.5), ("C5", 0.5), ("E5", 1), ("G5", 0.5), ("A5", 0.5),
    ("A5", 1.5), ("G5", 0.5), ("F5", 1), ("C5", 1),
    ("E5", 0.5), ("D5", 0.5), ("C5", 1), ("G4", 1), ("C5", 1),
    ("B4", 2), ("D5", 1), ("G4", 1),
    # B part, over F G Em Am.
    ("A5", 1), ("A5", 0.5), ("G5", 0.5), ("F5", 1), ("A5", 1),
    ("G5", 1.5), ("F5", 0.5), ("D5", 2),
    ("E5", 1), ("G5", 1), ("B5", 1), ("G5", 1),
    ("A5", 4),
    # Outro over Am F, then the last Am.
    ("E5", 1), ("C5", 1), ("A4", 1), ("E4", 1),
    ("F4", 1), ("A4", 1), ("C5", 1), ("B4", 1),
    ("A4", 4),
]
DRIVE_CHORDS = ["Am", "F", "C", "G", "Am", "F", "C", "G", "F", "G", "Em", "Am", "Am", "F", "Am"]


def night_drive(path):
    bar = 4 * PPQ
    start = PPQ // 2
    intro = 2
    song = start + intro * bar
    tempos = [(0, 120), (song, 124), (song + 8 * bar, 128), (song + 12 * bar, 122),
              (song + 14 * bar, 104)]
    human = Humanizer(2026)
    lead = Track("Lead", 0, SAW_LEAD, volume=88, pan=64, reverb=50, chorus=30)
    keys = Track("E.Piano", 1, EPIANO, volume=78, pan=40, reverb=50, chorus=40)
    pad = Track("Pad", 2, WARM_PAD, volume=72, pan=88, reverb=80, chorus=60)
    bass = Track("Bass", 3, SYNTH_BASS, volume=100, pan=64, reverb=10)
    drums = Track("Drums", DRUMS, None, volume=100, reverb=25)

    play_line(lead, song, DRIVE_LEAD, 96, human, legato=0.88)
    chords = ["Am", "Am"] + DRIVE_CHORDS
    for b, chord in enumerate(chords):
        at = start + b * bar
        final = b == len(chords) - 1
        root = note(TRIADS[chord][0] + "1")
        if root < note("E1"):
            root += 12
        if final:
            bass.add(at, root, bar * 0.95, 100)
        else:
            for i in range(8):
                pitch = root + 12 if i == 7 else root
                bass.add(at + i * PPQ // 2, pitch, PPQ * 0.4, human.vary(100 if i % 2 == 0 else 84))
        if b >= intro:
            for pitch in chord_notes(chord, 4):
                pad.add(at, pitch, bar * 0.98, 58 if not final else 66)
            triad = chord_notes(chord, 4)
            if b >= intro + 8 and not final:  # from the B part on, moving keys
                for i in range(8):
                    keys.add(at + i * PPQ // 2, triad[i % 3] + (12 if i in (3, 7) else 0),
                             PPQ * 0.4, human.vary(66))
            elif not final:
                for beat in (0.5, 1.5, 2.5, 3.5):  # off-beat stabs
                    for pitch in triad:
                        keys.add(at + beat * PPQ, pitch, PPQ * 0.3, human.vary(58, 4))
            else:
                for pitch in triad:
                    keys.add(at, pitch, bar * 0.95, 70)
        if final:
            drums.add(at, CRASH, bar, 104)
            drums.add(at, KICK, PPQ // 4, 104)
            continue
        for beat in range(4):
            t = at + beat * PPQ
            drums.add(t, KICK, PPQ // 4, human.vary(104))
            if beat in (1, 3) and b >= 1:
                drums.add(t, SNARE, PPQ // 4, human.vary(92))
                if b >= intro:
                    drums.add(t, CLAP, PPQ // 4, human.vary(70))
            hat = OPEN_HAT if beat == 3 else CLOSED_HAT
            drums.add(t + PPQ // 2, hat, PPQ // 4, human.vary(70))
            drums.add(t, CLOSED_HAT, PPQ // 8, human.vary(52))
            if b >= intro + 8:
                drums.add(t + PPQ // 2, TAMBOURINE, PPQ // 8, human.vary(50))
        if b in (intro, intro + 8, intro + 12):
            drums.add(at, CRASH, PPQ, 100)
        if b in (intro - 1, intro + 7, intro + 11):
            for i in range(4):
                drums.add(at + 3 * PPQ + i * PPQ // 4, SNARE, PPQ // 8, 70 + 8 * i)

    title = "Night Drive".encode("ascii")
    write_song(path, [conductor(title, tempos, minor=True,
                                text=b"Written for VESK MIDI PLAYER"),
                      lead, keys, pad, bass, drums])


SONGS = [("night_drive.mid", night_drive), ("ode_to_joy.mid", ode_to_joy),
         ("sakura.mid", sakura)]
LIST_HEADER = "MultiListFile Copyright(C)Studio Tavorin"


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    folder = argv[1] if len(argv) > 1 else os.path.join(here, os.pardir, "demo")
    os.makedirs(folder, exist_ok=True)
    for name, make in SONGS:
        make(os.path.join(folder, name))
    # The list names its songs relative to its own folder, so it works wherever it lies.
    lines = [LIST_HEADER, "APP HERE"] + ["    " + name for name, _ in SONGS] + ["END APP"]
    with open(os.path.join(folder, "demo.mlt"), "wb") as out:
        out.write("\r\n".join(lines).encode("ascii") + b"\r\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
