#!/usr/bin/python3
"""Writes the five background songs resources/midi/1001.mid .. 1005.mid.

All five are our own arrangements of public-domain compositions, written note
by note here as standard MIDI files (General MIDI instruments):

  1001  Johann Pachelbel, Canon in D: three violins in canon over the ground bass (format 1)
  1002  Johann Sebastian Bach, Prelude in C major BWV 846, on the piano           (format 1)
  1003  Ludwig van Beethoven, "Ode to Joy" from the Ninth Symphony, three verses  (format 1)
  1004  Erik Satie, Gymnopedie No. 1, piano and soft strings                      (format 0)
  1005  Johannes Brahms, Lullaby (Wiegenlied) Op. 49 No. 4, music box and harp    (format 1)

Each lasts between one and three minutes; `--render` also renders them with
fluidsynth into /tmp to listen to.

Run again:  tools/make_songs.py  (installs what it needs with apt)
"""
import pathlib
import subprocess
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from toolkit import ensure_packages  # noqa: E402

NEEDED = ["python3-mido"]

ensure_packages(NEEDED)

import mido  # noqa: E402

ROOT = pathlib.Path(__file__).resolve().parent.parent
TPB = 480  # ticks per quarter note
NOTE_NAMES = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}


def n(name):
    """'C4' -> 60, 'F#5' -> 78, 'Bb3' -> 58."""
    semitone = NOTE_NAMES[name[0]]
    rest = name[1:]
    while rest and rest[0] in "#b":
        semitone += 1 if rest[0] == "#" else -1
        rest = rest[1:]
    return 12 * (int(rest) + 1) + semitone


class Part:
    """One instrument: notes at absolute times in quarter notes."""

    def __init__(self, name, channel, program, volume=100, pan=64):
        self.name, self.channel, self.program = name, channel, program
        self.volume, self.pan = volume, pan
        self.notes = []  # (start, length, pitch, velocity)

    def add(self, start, length, pitches, velocity=70):
        if isinstance(pitches, (str, int)):
            pitches = [pitches]
        for p in pitches:
            self.notes.append((start, length, n(p) if isinstance(p, str) else p, velocity))

    def line(self, start, notes, velocity=70, legato=0.95):
        """Plays (pitch or None, length) pairs one after the other; returns the end time."""
        t = start
        for pitch, length in notes:
            if pitch is not None:
                self.add(t, length * legato, pitch, velocity)
            t += length
        return t

    def track(self):
        events = [(0, mido.MetaMessage("track_name", name=self.name)),
                  (0, mido.Message("program_change", channel=self.channel, program=self.program)),
                  (0, mido.Message("control_change", channel=self.channel, control=7, value=self.volume)),
                  (0, mido.Message("control_change", channel=self.channel, control=10, value=self.pan)),
                  (0, mido.Message("control_change", channel=self.channel, control=91, value=50))]
        for start, length, pitch, velocity in self.notes:
            on = round(start * TPB)
            off = max(on + 1, round((start + length) * TPB))
            events.append((on, mido.Message("note_on", channel=self.channel, note=pitch, velocity=velocity)))
            events.append((off, mido.Message("note_off", channel=self.channel, note=pitch, velocity=0)))
        # note_off before note_on at the same tick, so repeated notes are not cut
        events.sort(key=lambda e: (e[0], 0 if e[1].type == "note_off" else 1))
        track = mido.MidiTrack()
        last = 0
        for tick, message in events:
            track.append(message.copy(time=tick - last))
            last = tick
        track.append(mido.MetaMessage("end_of_track", time=TPB))
        return track


def song(title, bpm, parts, numerator=4, file_type=1, loudness=1.0):
    """`loudness` scales every velocity, so that the five songs play equally loud."""
    for part in parts:
        part.notes = [(s, l, p, min(127, round(v * loudness))) for s, l, p, v in part.notes]
    conductor = mido.MidiTrack()
    conductor.append(mido.MetaMessage("track_name", name=title))
    conductor.append(mido.MetaMessage("set_tempo", tempo=mido.bpm2tempo(bpm)))
    conductor.append(mido.MetaMessage("time_signature", numerator=numerator, denominator=4))
    conductor.append(mido.MetaMessage("end_of_track", time=0))
    tracks = [conductor] + [p.track() for p in parts]
    midi = mido.MidiFile(type=1, ticks_per_beat=TPB)
    if file_type == 0:
        midi = mido.MidiFile(type=0, ticks_per_beat=TPB)
        midi.tracks.append(mido.merge_tracks(tracks))
    else:
        midi.tracks.extend(tracks)
    return midi


# ---------------------------------------------------------------- 1001 Pachelbel

def canon():
    ground = ["D3", "A2", "B2", "F#2", "G2", "D2", "G2", "A2"]
    chords = [["D", "F#", "A"], ["A", "C#", "E"], ["B", "D", "F#"], ["F#", "A", "C#"],
              ["G", "B", "D"], ["D", "F#", "A"], ["G", "B", "D"], ["A", "C#", "E"]]
    q = 1.0
    variations = [
        [("F#5", 2), ("E5", 2), ("D5", 2), ("C#5", 2)],
        [("B4", 2), ("A4", 2), ("B4", 2), ("C#5", 2)],
        [("D5", 2), ("C#5", 2), ("B4", 2), ("A4", 2)],
        [("G4", 2), ("F#4", 2), ("G4", 2), ("E4", 2)],
        [("D4", q), ("F#4", q), ("A4", q), ("G4", q), ("F#4", q), ("D4", q), ("F#4", q), ("E4", q)],
        [("D4", q), ("B3", q), ("D4", q), ("A4", q), ("G4", q), ("B4", q), ("A4", q), ("G4", q)],
        [("F#4", .5), ("D4", .5), ("E4", .5), ("C#5", .5), ("D5", .5), ("F#5", .5), ("A5", .5), ("A4", .5),
         ("B4", .5), ("G4", .5), ("A4", .5), ("F#4", .5), ("D4", .5), ("D5", .5), ("D5", .75), ("C#5", .25)],
        [("D5", .5), ("C#5", .5), ("D5", .5), ("D4", .5), ("C#4", .5), ("A4", .5), ("E4", .5), ("F#4", .5),
         ("D4", .5), ("D5", .5), ("C#5", .5), ("B4", .5), ("C#5", .5), ("F#5", .5), ("A5", .5), ("B5", .5)],
        [("G5", .5), ("F#5", .5), ("E5", .5), ("G5", .5), ("F#5", .5), ("E5", .5), ("D5", .5), ("C#5", .5),
         ("B4", .5), ("A4", .5), ("G4", .5), ("F#4", .5), ("E4", .5), ("G4", .5), ("F#4", .5), ("E4", .5)],
        [("D4", .5), ("E4", .5), ("F#4", .5), ("G4", .5), ("A4", .5), ("E4", .5), ("A4", .5), ("G4", .5),
         ("F#4", .5), ("B4", .5), ("A4", .5), ("G4", .5), ("A4", .5), ("G4", .5), ("F#4", .5), ("E4", .5)],
        [("F#5", 2), ("E5", 2), ("D5", 2), ("C#5", 2)],
        [("B4", 2), ("A4", 2), ("B4", 2), ("C#5", 2)],
    ]
    bass = Part("Cello", 0, 42, 100, 40)
    keys = Part("Harpsichord", 1, 6, 72, 64)
    violins = [Part(f"Violin {i + 1}", 2 + i, 40 if i < 2 else 41, 92, [88, 64, 100][i]) for i in range(3)]
    grounds = len(variations) + 2 * 2 + 1
    for g in range(grounds):
        start = g * 8
        for k, pitch in enumerate(ground):
            bass.add(start + k, 0.95, pitch, 78)
            root, third, fifth = chords[k]
            keys.add(start + k + 0.5, 0.45, [f"{root}4", f"{third}4", f"{fifth}4"], 48)
    for i, violin in enumerate(violins):
        t = 8 + i * 16
        for variation in variations:
            t = violin.line(t, variation, velocity=72 - 4 * i, legato=0.98)
    end = grounds * 8
    bass.add(end, 4, ["D2", "D3"], 80)
    keys.add(end, 4, ["D4", "F#4", "A4"], 55)
    for i, violin in enumerate(violins):
        violin.add(end, 4, ["D5", "A4", "F#4"][i], 70)
    return song("Canon in D", 66, [bass, keys] + violins)


# ---------------------------------------------------------------- 1002 Bach

def prelude():
    bars = [
        "C3 E3 G3 C4 E4", "C3 D3 A3 D4 F4", "B2 D3 G3 D4 F4", "C3 E3 G3 C4 E4",
        "C3 E3 A3 E4 A4", "C3 D3 F#3 A3 D4", "B2 D3 G3 D4 G4", "B2 C3 E3 G3 C4",
        "A2 C3 E3 G3 C4", "D2 A2 D3 F#3 C4", "G2 B2 D3 G3 B3", "G2 Bb2 E3 G3 C#4",
        "F2 A2 D3 A3 D4", "F2 Ab2 D3 F3 B3", "E2 G2 C3 G3 C4", "E2 F2 A2 C3 F3",
        "D2 F2 A2 C3 F3", "G1 D2 G2 B2 F3", "C2 E2 G2 C3 E3", "C2 G2 Bb2 C3 E3",
        "F1 F2 A2 C3 E3", "F#1 C2 A2 C3 Eb3", "Ab1 F2 B2 C3 D3", "G1 F2 G2 B2 D3",
        "G1 E2 G2 C3 E3", "G1 D2 G2 C3 F3", "G1 D2 G2 B2 F3", "G1 Eb2 A2 C3 F#3",
        "G1 E2 G2 C3 G3", "G1 D2 G2 C3 F3", "G1 D2 G2 B2 F3", "C1 C2 G2 Bb2 E3",
    ]
    piano = Part("Piano", 0, 0, 100, 64)
    strings = Part("Strings", 1, 49, 55, 64)
    t = 0.0
    for bar in bars:
        p = bar.split()
        for half in (0, 2):
            piano.add(t + half, 2, p[0], 58)
            piano.add(t + half + 0.25, 1.75, p[1], 54)
            for k, idx in enumerate([2, 3, 4, 2, 3, 4]):
                piano.add(t + half + 0.5 + k * 0.25, 0.3, p[idx], 62 if k % 3 == 0 else 56)
        strings.add(t, 3.9, [p[0], p[2]], 40)
        t += 4
    # the close: a held bass with rising and falling figures, then the last chord
    piano.line(t, [(p, 0.25) for p in ["C2", "C3", "F3", "A3", "C4", "F4", "C4", "A3", "C4", "A3", "F3", "A3",
                                       "F3", "D3", "F3", "D3"]], velocity=58)
    piano.add(t, 4, "C2", 55)
    t += 4
    piano.line(t, [(p, 0.25) for p in ["C2", "B2", "G4", "B4", "D5", "F5", "D5", "B4", "D5", "B4", "G4", "B4",
                                       "D4", "F4", "E4", "D4"]], velocity=58)
    piano.add(t, 4, "C2", 55)
    t += 4
    piano.add(t, 4, ["C2", "C3", "E4", "G4", "C5"], 62)
    strings.add(t - 8, 12, ["C3", "G3"], 40)
    return song("Prelude in C", 70, [piano, strings], loudness=1.55)


# ---------------------------------------------------------------- 1003 Beethoven

def ode():
    e, q, h, dq = 0.5, 1.0, 2.0, 1.5
    verse = [("E4", q), ("E4", q), ("F4", q), ("G4", q), ("G4", q), ("F4", q), ("E4", q), ("D4", q),
             ("C4", q), ("C4", q), ("D4", q), ("E4", q), ("E4", dq), ("D4", e), ("D4", h),
             ("E4", q), ("E4", q), ("F4", q), ("G4", q), ("G4", q), ("F4", q), ("E4", q), ("D4", q),
             ("C4", q), ("C4", q), ("D4", q), ("E4", q), ("D4", dq), ("C4", e), ("C4", h),
             ("D4", q), ("D4", q), ("E4", q), ("C4", q), ("D4", q), ("E4", e), ("F4", e), ("E4", q), ("C4", q),
             ("D4", q), ("E4", e), ("F4", e), ("E4", q), ("D4", q), ("C4", q), ("D4", q), ("G3", h),
             ("E4", q), ("E4", q), ("F4", q), ("G4", q), ("G4", q), ("F4", q), ("E4", q), ("D4", q),
             ("C4", q), ("C4", q), ("D4", q), ("E4", q), ("D4", dq), ("C4", e), ("C4", h)]
    harmony = ["C", "G", "C", "G", "C", "G", "C", "G C", "G", "G C", "G C", "G", "C", "G", "C", "G C"]
    triads = {"C": ("C3", "E3", "G3"), "G": ("B2", "D3", "G3")}
    roots = {"C": "C2", "G": "G1"}

    def shift(notes, octaves):
        out = []
        for pitch, length in notes:
            out.append((pitch[:-1] + str(int(pitch[-1]) + octaves), length))
        return out

    melody = Part("Flute", 0, 73, 100, 70)
    clarinet = Part("Clarinet", 1, 71, 90, 50)
    strings = Part("Strings", 2, 48, 80, 64)
    horns = Part("Horns", 3, 60, 70, 80)
    bass = Part("Bass", 4, 32, 95, 64)
    t = 0.0
    for verse_no in range(3):
        if verse_no == 0:
            clarinet.line(t, verse, velocity=72)
        elif verse_no == 1:
            melody.line(t, shift(verse, 1), velocity=70)
            clarinet.line(t, shift(verse, -1), velocity=50)
        else:
            melody.line(t, shift(verse, 1), velocity=78)
            horns.line(t, verse, velocity=60)
        for bar, chord in enumerate(harmony):
            names = chord.split()
            for half, name in enumerate(names if len(names) == 2 else names * 2):
                start = t + bar * 4 + half * 2
                strings.add(start, 1.95, list(triads[name]), 48 + 8 * verse_no)
                bass.add(start, 0.9, roots[name], 70)
                bass.add(start + 1, 0.9, roots[name][:-1] + str(int(roots[name][-1]) + 1), 60)
        t += 64
    strings.add(t, 4, ["C3", "E3", "G3", "C4"], 60)
    bass.add(t, 4, "C2", 70)
    melody.add(t, 4, "C5", 70)
    return song("Ode to Joy", 112, [melody, clarinet, strings, horns, bass])


# ---------------------------------------------------------------- 1004 Satie

def gymnopedie():
    piano = Part("Piano", 0, 0, 100, 64)
    pad = Part("Strings", 1, 89, 45, 64)
    bar_len = 3.0
    # the rocking accompaniment: bass on one, chord on two
    accomp = [("G2", ["B3", "D4", "F#4"]), ("D2", ["A3", "C#4", "F#4"])]
    melody = [
        None, None, None, None,
        [(None, 1), ("F#5", 1), ("A5", 1)], [("G5", 1), ("F#5", 1), ("C#5", 1)], [("B4", 1), ("C#5", 1), ("D5", 1)],
        [("A4", 3)], [("F#4", 3)], [(None, 3)], [(None, 3)], [(None, 3)],
        [(None, 1), ("F#5", 1), ("A5", 1)], [("G5", 1), ("F#5", 1), ("C#5", 1)], [("B4", 1), ("C#5", 1), ("D5", 1)],
        [("A4", 3)], [("C#5", 3)], [("F#5", 3)], [(None, 3)], [(None, 3)],
        [(None, 1), ("E5", 1), ("D5", 1)], [("C#5", 1), ("B4", 1), ("C#5", 1)], [("D5", 2), ("E5", 1)],
        [("F#5", 3)], [("A4", 3)], [("B4", 1), ("C#5", 1), ("D5", 1)], [("E5", 2), ("C#5", 1)], [("B4", 3)],
        [("D5", 3)], [("C#5", 3)], [("B4", 3)], [("A4", 3)],
    ]
    bars = melody + melody[4:] + [None, None]
    for i, bar in enumerate(bars):
        start = i * bar_len
        bass, chord = accomp[i % 2] if i < len(bars) - 2 else accomp[0]
        piano.add(start, 0.95, bass, 50)
        piano.add(start + 1, 1.9, chord, 42)
        if bar:
            piano.line(start, bar, velocity=60, legato=0.99)
        if i % 4 == 0:
            pad.add(start, 4 * bar_len - 0.1, ["D4", "F#4"] if (i // 4) % 2 == 0 else ["B3", "D4"], 30)
    end = len(bars) * bar_len
    piano.add(end, 6, ["D2", "A3", "D4", "F#4"], 45)
    return song("Gymnopedie No. 1", 76, [piano, pad], numerator=3, file_type=0, loudness=2.0)


# ---------------------------------------------------------------- 1005 Brahms

def lullaby():
    e, q, h, dh = 0.5, 1.0, 2.0, 3.0
    tune = [("E5", e), ("E5", e), ("G5", h),
            ("E5", e), ("E5", e), ("G5", h),
            ("E5", e), ("G5", e), ("C6", q), ("B5", q), ("A5", q), ("A5", q), ("G5", q), (None, q),
            ("D5", e), ("E5", e), ("F5", q), ("D5", q), ("D5", e), ("E5", e), ("F5", h),
            ("D5", e), ("F5", e), ("B5", e), ("A5", e), ("G5", q), ("B5", q), ("C6", h), (None, q),
            ("C5", e), ("C5", e), ("C6", h), ("A5", e), ("F5", e), ("G5", h),
            ("E5", e), ("C5", e), ("F5", q), ("G5", q), ("A5", q), ("G5", h), (None, q),
            ("C5", e), ("C5", e), ("C6", h), ("A5", e), ("F5", e), ("G5", h),
            ("E5", e), ("C5", e), ("F5", q), ("E5", q), ("D5", q), ("C5", dh)]
    length = sum(d for _, d in tune)
    bars = int(-(-length // 3))
    harmony = ["C", "C", "G", "G", "G", "G", "G", "C", "F", "C", "F", "C", "G", "F", "C", "G", "C", "C"]
    chords = {"C": ["C3", "G3", "C4", "E4"], "G": ["G2", "D3", "G3", "B3"], "F": ["F2", "C3", "F3", "A3"]}
    box = Part("Music box", 0, 10, 100, 64)
    harp = Part("Harp", 1, 46, 80, 50)
    pad = Part("Strings", 2, 48, 50, 78)
    t = 0.0
    for verse in range(3):
        box.line(t + (0.0 if verse != 1 else 0.0), tune, velocity=[66, 58, 62][verse])
        for bar in range(bars):
            name = harmony[bar % len(harmony)]
            notes = chords[name]
            start = t + bar * 3
            for k, pitch in enumerate([notes[0], notes[1], notes[2], notes[3], notes[2], notes[1]]):
                harp.add(start + k * 0.5, 0.9, pitch, 46)
            if verse > 0:
                pad.add(start, 2.9, notes[1:3], 34)
        t += bars * 3
    harp.add(t, 6, chords["C"], 50)
    box.add(t, 6, "C5", 55)
    return song("Lullaby", 84, [box, harp, pad], numerator=3, loudness=1.6)


SONGS = {1001: canon, 1002: prelude, 1003: ode, 1004: gymnopedie, 1005: lullaby}


def main():
    folder = ROOT / "resources" / "midi"
    folder.mkdir(parents=True, exist_ok=True)
    for number, make in SONGS.items():
        midi = make()
        path = folder / f"{number}.mid"
        midi.save(path)
        print(f"{path.relative_to(ROOT)}: format {midi.type}, {len(midi.tracks)} tracks, {midi.length:.1f} s")
    if "--render" in sys.argv:
        ensure_packages(NEEDED + ["fluidsynth", "fluid-soundfont-gm"])
        for number in SONGS:
            subprocess.run(["fluidsynth", "-ni", "-F", f"/tmp/{number}.wav", "-r", "44100",
                            "/usr/share/sounds/sf2/FluidR3_GM.sf2", str(folder / f"{number}.mid")], check=True,
                           capture_output=True)
            print(f"rendered /tmp/{number}.wav")


if __name__ == "__main__":
    main()
