#!/usr/bin/python3
"""Synthesises the 25 sound effects resources/wav/101.wav .. 125.wav.

Every sound is made here from sine partials, plucked strings and filtered
noise: short, musical rather than spoken (the game speaks five languages),
22,050 samples per second, 16-bit mono PCM. Loudness is balanced: each sound is
scaled so that its loudest 50 ms have the same level, with quieter ticks for
the sounds that repeat all the time (the move timer, the cell click).

  101 last piece laid / a winner     fanfare            (background)
  102 tool button, window activated  wood-block click   (background)
  103 a draw                         two even notes     (background)
  104-106 piece goes back (3rd miss) three "oh no" falls (waits)
  107 a joker drawn                  magic glissando    (waits)
  108 shuffling at a game's start    card riffle        (waits)
  109 picture choice steps           soft swish         (background)
  110 click on a cell                light tap          (background)
  111 score shows 0, joker blinks    small bleep        (background)
  112-116 right placement comments   five jingles       (waits)
  117 a piece drawn                  card flick         (background)
  118, 119 not played                gong, drum roll
  120 move timer tick                clock tick         (background)
  121 time is up                     falling buzzer     (waits)
  122-124 new champion               three fanfares     (background)
  125 a score shown                  coin chime         (waits)

Run again:  tools/make_sounds.py  (installs what it needs with apt)
"""
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from toolkit import ensure_packages  # noqa: E402
import wave

NEEDED = ["python3-numpy"]

ensure_packages(NEEDED)

import numpy as np  # noqa: E402

ROOT = pathlib.Path(__file__).resolve().parent.parent
RATE = 22050
RNG = np.random.default_rng(125)


def t_axis(seconds):
    return np.arange(int(seconds * RATE)) / RATE


def note(name):
    """MIDI-style note name to frequency: 'C4', 'F#5', 'Bb3'."""
    names = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}
    semitone = names[name[0]]
    rest = name[1:]
    if rest[0] == "#":
        semitone += 1
        rest = rest[1:]
    elif rest[0] == "b":
        semitone -= 1
        rest = rest[1:]
    midi = 12 * (int(rest) + 1) + semitone
    return 440.0 * 2 ** ((midi - 69) / 12)


def envelope(n, attack=0.005, decay=0.3):
    t = np.arange(n) / RATE
    env = np.exp(-t / decay)
    a = max(1, int(attack * RATE))
    env[:a] *= np.linspace(0, 1, a)
    return env


def marimba(freq, seconds=0.5):
    t = t_axis(seconds)
    tone = (np.sin(2 * np.pi * freq * t) + 0.35 * np.sin(2 * np.pi * freq * 3.93 * t) * np.exp(-t / 0.05)
            + 0.12 * np.sin(2 * np.pi * freq * 9.2 * t) * np.exp(-t / 0.02))
    return tone * envelope(len(t), 0.002, seconds / 3.5)


def bell(freq, seconds=1.2):
    t = t_axis(seconds)
    partials = [(1, 1.0, 1.0), (2.76, 0.5, 0.6), (5.4, 0.3, 0.35), (8.93, 0.2, 0.2), (2.0, 0.25, 0.8)]
    tone = sum(a * np.sin(2 * np.pi * freq * r * t) * np.exp(-t / (seconds * d / 3)) for r, a, d in partials)
    return tone * envelope(len(t), 0.001, seconds)


def brass(freq, seconds=0.4, vibrato=5.0):
    t = t_axis(seconds)
    wobble = 1 + 0.004 * np.sin(2 * np.pi * vibrato * t)
    phase = 2 * np.pi * np.cumsum(freq * wobble) / RATE
    tone = sum(np.sin(k * phase) / k ** 1.1 for k in range(1, 9))
    env = np.minimum(1, t / 0.03) * np.minimum(1, (seconds - t) / 0.06).clip(0, 1)
    brightness = np.minimum(1, t / 0.05)
    return tone * env * (0.6 + 0.4 * brightness)


def pluck(freq, seconds=0.6):
    """Karplus-Strong plucked string."""
    n = int(seconds * RATE)
    period = max(2, int(RATE / freq))
    buffer = RNG.uniform(-1, 1, period)
    out = np.empty(n)
    for i in range(n):
        out[i] = buffer[i % period]
        buffer[i % period] = 0.996 * 0.5 * (buffer[i % period] + buffer[(i + 1) % period])
    return out


def square(freq, seconds):
    t = t_axis(seconds)
    return np.sign(np.sin(2 * np.pi * freq * t)) * 0.6 + 0.4 * np.sin(2 * np.pi * freq * t)


def noise_burst(seconds, low, high, decay):
    n = int(seconds * RATE)
    spectrum = np.fft.rfft(RNG.normal(0, 1, n))
    freqs = np.fft.rfftfreq(n, 1 / RATE)
    spectrum[(freqs < low) | (freqs > high)] = 0
    return np.fft.irfft(spectrum, n) * envelope(n, 0.001, decay)


def place(parts, total=None):
    """Mixes (start seconds, samples) pairs into one signal."""
    length = max(int(s * RATE) + len(x) for s, x in parts)
    out = np.zeros(total and int(total * RATE) or length)
    for s, x in parts:
        i = int(s * RATE)
        out[i:i + len(x)] += x[:max(0, len(out) - i)]
    return out


def chord(voice, names, seconds, spread=0.0):
    return place([(k * spread, voice(note(n), seconds)) for k, n in enumerate(names)])


def fade_out(x, seconds=0.02):
    n = min(len(x), int(seconds * RATE))
    x = x.copy()
    x[-n:] *= np.linspace(1, 0, n)
    return x


# ---------------------------------------------------------------- the sounds

def s101():  # fanfare: the board is complete
    seq = [("C5", 0.0, 0.14), ("E5", 0.15, 0.14), ("G5", 0.3, 0.14), ("C6", 0.45, 0.5)]
    parts = [(s, brass(note(n), d)) for n, s, d in seq]
    parts.append((0.45, 0.6 * chord(lambda f, d: brass(f, d), ["C4", "E4", "G4"], 0.55)))
    parts.append((0.45, 0.5 * bell(note("C6"), 0.9)))
    return place(parts)


def s102():  # wood block
    return marimba(note("G5"), 0.09) + 0.3 * noise_burst(0.09, 1500, 5000, 0.01)


def s103():  # a draw: two even, questioning notes
    return place([(0.0, marimba(note("E4"), 0.45)), (0.0, 0.5 * marimba(note("G4"), 0.45)),
                  (0.35, marimba(note("E4"), 0.55)), (0.35, 0.5 * marimba(note("A4"), 0.55))])


def s104():  # trombone "wah wah wah"
    parts = []
    for k, (n, d) in enumerate([("G3", 0.22), ("F#3", 0.22), ("F3", 0.45)]):
        parts.append((k * 0.24, brass(note(n), d, vibrato=7 if k == 2 else 5)))
    return place(parts)


def s105():  # falling minor third on the marimba
    return place([(0.0, marimba(note("E5"), 0.3)), (0.16, marimba(note("C#5"), 0.3)), (0.32, marimba(note("A4"), 0.5))])


def s106():  # a falling "boing"
    t = t_axis(0.55)
    freq = 600 * np.exp(-t * 3.2) + 120
    phase = 2 * np.pi * np.cumsum(freq) / RATE
    return (np.sin(phase) + 0.3 * np.sin(2 * phase)) * envelope(len(t), 0.003, 0.25)


def s107():  # joker: a sparkling rising glissando
    names = ["C5", "E5", "G5", "B5", "D6", "F#6", "A6", "C7"]
    parts = [(k * 0.06, 0.7 * bell(note(n), 0.5)) for k, n in enumerate(names)]
    parts.append((0.48, bell(note("C7"), 0.45)))
    return place(parts)


def s108():  # shuffling: a riffle of card clicks, speeding up, and a soft chime
    parts = []
    time = 0.0
    gap = 0.05
    while time < 0.65:
        parts.append((time, 0.7 * noise_burst(0.03, 1800, 7000, 0.006)))
        time += gap
        gap = max(0.018, gap * 0.9)
    parts.append((0.7, 0.5 * bell(note("A5"), 0.25)))
    return place(parts)


def s109():  # swish
    n = int(0.22 * RATE)
    x = noise_burst(0.22, 500, 6000, 1.0)
    env = np.sin(np.linspace(0, np.pi, n)) ** 2
    return x * env


def s110():  # light tap
    return marimba(note("C6"), 0.06) + 0.2 * noise_burst(0.06, 2000, 8000, 0.005)


def s111():  # small bleep
    t = t_axis(0.09)
    return np.sin(2 * np.pi * note("A5") * t) * envelope(len(t), 0.003, 0.03)


def s112():  # "ding ding"
    return place([(0.0, bell(note("E6"), 0.35)), (0.14, bell(note("A6"), 0.5))])


def s113():  # major triad up on the marimba
    return place([(k * 0.09, marimba(note(n), 0.35)) for k, n in enumerate(["C5", "E5", "G5", "C6"])])


def s114():  # plucked happy turn
    return place([(k * 0.08, 0.8 * pluck(note(n), 0.45)) for k, n in enumerate(["G4", "B4", "D5", "G5", "D5", "G5"])])


def s115():  # trill and leap
    parts = [(k * 0.05, marimba(note("E5" if k % 2 == 0 else "F#5"), 0.12)) for k in range(6)]
    parts.append((0.32, marimba(note("B5"), 0.45)))
    return place(parts)


def s116():  # "ta-da"
    return place([(0.0, 0.7 * chord(brass, ["G4", "B4", "D5"], 0.12)), (0.16, 0.8 * chord(brass, ["C5", "E5", "G5"], 0.5))])


def s117():  # card flick
    return place([(0.0, noise_burst(0.1, 1200, 6000, 0.018)), (0.0, 0.3 * marimba(note("E6"), 0.05))])


def s118():  # gong (carried, not played)
    t = t_axis(1.6)
    partials = [(1, 1.0), (1.41, 0.6), (2.03, 0.4), (2.66, 0.3), (3.3, 0.2)]
    return sum(a * np.sin(2 * np.pi * 98 * r * t + r) for r, a in partials) * envelope(len(t), 0.01, 0.6)


def s119():  # drum roll (carried, not played)
    parts = [(k * 0.035, (0.5 + 0.5 * k / 30) * noise_burst(0.05, 150, 3000, 0.02)) for k in range(30)]
    t = t_axis(0.3)
    parts.append((1.05, np.sin(2 * np.pi * 80 * t) * envelope(len(t), 0.002, 0.1)))
    return place(parts)


def s120():  # clock tick
    return marimba(note("D7"), 0.035) * 0.6 + 0.4 * noise_burst(0.035, 3000, 9000, 0.004)


def s121():  # time is up: falling buzzer steps
    parts = [(k * 0.2, 0.5 * square(note(n), 0.17) * envelope(int(0.17 * RATE), 0.005, 0.3))
             for k, n in enumerate(["A4", "F4", "D4"])]
    parts.append((0.6, 0.6 * square(note("A3"), 0.35) * envelope(int(0.35 * RATE), 0.005, 0.25)))
    return place(parts)


def fanfare(names, rhythm, final):
    parts = []
    time = 0.0
    for n, d in zip(names, rhythm):
        parts.append((time, brass(note(n), d * 0.92)))
        time += d
    parts.append((time, 0.7 * chord(brass, final, 0.8)))
    parts.append((time, 0.4 * bell(note(final[-1]), 1.0)))
    return place(parts)


def s122():
    return fanfare(["G4", "C5", "E5", "G5", "E5"], [0.12, 0.12, 0.12, 0.25, 0.12], ["C4", "G4", "C5", "E5", "G5"])


def s123():
    return fanfare(["D5", "D5", "D5", "G5"], [0.1, 0.1, 0.1, 0.35], ["G3", "D4", "G4", "B4", "D5"])


def s124():
    return fanfare(["C5", "E5", "G5", "A5", "G5", "E5"], [0.1, 0.1, 0.1, 0.1, 0.1, 0.1], ["F3", "C4", "F4", "A4", "C5"])


def s125():  # coin chime
    return place([(0.0, bell(note("B5"), 0.25)), (0.08, bell(note("E6"), 0.4))])


SOUNDS = {101: s101, 102: s102, 103: s103, 104: s104, 105: s105, 106: s106, 107: s107, 108: s108, 109: s109,
          110: s110, 111: s111, 112: s112, 113: s113, 114: s114, 115: s115, 116: s116, 117: s117, 118: s118,
          119: s119, 120: s120, 121: s121, 122: s122, 123: s123, 124: s124, 125: s125}

# Level of the loudest 50 ms, in dB below full scale; the ever-repeating ones sit lower.
TARGET = {120: -26.0, 110: -22.0, 111: -22.0, 102: -21.0, 117: -21.0}
DEFAULT_TARGET = -16.0


def balance(x, number):
    x = fade_out(x - np.mean(x))
    window = min(len(x), int(0.05 * RATE))
    level = 20 * np.log10(np.sqrt(max(np.convolve(x ** 2, np.ones(window) / window, mode="same").max(), 1e-12)))
    gain = 10 ** ((TARGET.get(number, DEFAULT_TARGET) - level) / 20)
    x = x * gain
    peak = np.abs(x).max()
    if peak > 0.89:  # keep 1 dB of headroom
        x *= 0.89 / peak
    return x


def write_wav(path, x):
    data = (x * 32767).clip(-32768, 32767).astype("<i2")
    with wave.open(str(path), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(data.tobytes())


def main():
    folder = ROOT / "resources" / "wav"
    folder.mkdir(parents=True, exist_ok=True)
    for number, make in SOUNDS.items():
        x = balance(make(), number)
        write_wav(folder / f"{number}.wav", x)
        rms = 20 * np.log10(np.sqrt(np.mean(x ** 2)))
        print(f"resources/wav/{number}.wav: {len(x) / RATE:.2f} s, peak {20 * np.log10(np.abs(x).max()):.1f} dBFS, "
              f"rms {rms:.1f} dBFS")


if __name__ == "__main__":
    main()
