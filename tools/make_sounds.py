#!/usr/bin/python3
"""Synthesises the game's three sounds: a piece set down, a capture and a take-back.

    tools/make_sounds.py [--out DIR] [--plot PNG]   write sound/*.wav (and the plot)
    tools/make_sounds.py --check                    synthesise afresh and compare with sound/

Each sound is a piece of wood striking a wooden board, made by modal synthesis: a very short
excitation (the contact: a click plus a burst of noise, a millisecond or two) rings a handful
of damped resonances (the modes of the board and the piece). Wood damps its modes within tens
of milliseconds, the higher ones fastest, which is what makes the knock dry rather than a
bell. The values below were tuned by looking at the plot in docs/sounds.png.

The output is deterministic (fixed noise seeds, no dithering), so a rerun writes the same
bytes and --check can tell when the committed files no longer match their recipe.
Needs python3-numpy; the plot also needs python3-matplotlib.
"""

import argparse
import filecmp
import os
import sys
import tempfile
import wave

import numpy as np

RATE = 22050
REPO = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
FULL_SCALE = 32767
SIZE_LIMIT = 20 * 1024


class Knock:
    """One wooden knock: the modes it rings and how it is struck.

    modes: (frequency Hz, decay time constant s, relative amplitude)
    strike: length of the contact in seconds; a longer, rounder contact excites the high
    modes less, which is what a gentle placement sounds like.
    """

    def __init__(self, name, modes, strike, noise, peak, length, seed):
        self.name = name
        self.modes = modes
        self.strike = strike
        self.noise = noise  # share of noise in the contact: the grain of the wood
        self.peak = peak  # peak level as a fraction of full scale
        self.length = length  # seconds, fade included
        self.seed = seed


# The piece lands on the board's surface: bright upper modes over a body of around 600 Hz.
MOVE = Knock("move",
             modes=[(610, 0.030, 0.55), (1190, 0.022, 1.0), (1870, 0.016, 0.75),
                    (2690, 0.011, 0.55), (3560, 0.008, 0.40), (4710, 0.005, 0.25),
                    (6150, 0.0035, 0.15)],
             strike=0.0006, noise=0.35, peak=0.60, length=0.16, seed=1)

# A capture is set down harder on a square already struck: lower, fuller body modes that
# ring longer, and a louder contact.
CAPTURE = Knock("capture",
                modes=[(240, 0.045, 0.45), (520, 0.040, 0.85), (1020, 0.028, 1.0),
                       (1640, 0.020, 0.70), (2380, 0.013, 0.50), (3300, 0.009, 0.35),
                       (4400, 0.006, 0.20)],
                strike=0.0008, noise=0.40, peak=0.78, length=0.26, seed=2)

# Taking a move back lifts the piece and sets it down gently: a rounder contact, fewer and
# duller modes, and a lower level.
TAKE_BACK = Knock("takeback",
                  modes=[(560, 0.026, 0.70), (1100, 0.018, 1.0), (1720, 0.012, 0.55),
                         (2500, 0.008, 0.30)],
                  strike=0.0022, noise=0.15, peak=0.32, length=0.14, seed=3)

KNOCKS = [MOVE, CAPTURE, TAKE_BACK]

FADE = 0.012  # seconds of half-cosine fade at the end, well below audibility by then


def excitation(knock):
    """The contact: a raised-cosine force pulse with a little decaying noise on top."""
    count = max(2, int(round(knock.strike * RATE)))
    pulse = 0.5 - 0.5 * np.cos(2 * np.pi * np.arange(count + 1) / count)
    rng = np.random.default_rng(knock.seed)
    grain_length = int(0.004 * RATE)
    grain = rng.standard_normal(grain_length) * np.exp(-np.arange(grain_length) / (0.0008 * RATE))
    force = np.zeros(grain_length)
    force[:len(pulse)] += pulse / pulse.sum()
    force += knock.noise * grain / np.abs(grain).sum()
    return force


def modal_response(knock, count):
    """The impulse response of the resonators: a sum of damped sines, each starting at 0."""
    t = np.arange(count) / RATE
    response = np.zeros(count)
    for frequency, decay, amplitude in knock.modes:
        response += amplitude * np.exp(-t / decay) * np.sin(2 * np.pi * frequency * t)
    return response


def high_pass(signal, corner):
    """A second-order Butterworth high-pass: a board radiates next to nothing below its
    lowest mode, and damped sines alone would leave a flat shelf down to DC."""
    w = 2 * np.pi * corner / RATE
    alpha = np.sin(w) / np.sqrt(2)
    cosine = np.cos(w)
    b = np.array([(1 + cosine) / 2, -(1 + cosine), (1 + cosine) / 2]) / (1 + alpha)
    a = np.array([-2 * cosine, 1 - alpha]) / (1 + alpha)
    out = np.zeros_like(signal)
    x1 = x2 = y1 = y2 = 0.0
    for n, x in enumerate(signal):
        y = b[0] * x + b[1] * x1 + b[2] * x2 - a[0] * y1 - a[1] * y2
        out[n] = y
        x1, x2, y1, y2 = x, x1, y, y1
    return out


def synthesise(knock):
    """The knock as 16-bit samples."""
    count = int(round(knock.length * RATE))
    signal = np.convolve(excitation(knock), modal_response(knock, count))[:count]
    signal = high_pass(signal, 0.5 * min(frequency for frequency, _, _ in knock.modes))
    # A smooth fade makes the last sample exactly zero, so the end can never click.
    fade = int(FADE * RATE)
    signal[-fade:] *= 0.5 + 0.5 * np.cos(np.pi * np.arange(fade) / fade)
    # Damped sines leave a small net offset. Taking it out with a bump that is zero at both
    # ends removes the DC without moving the first or last sample.
    bump = np.sin(np.pi * np.arange(count) / (count - 1)) ** 2
    signal -= bump * signal.mean() / bump.mean()
    signal *= knock.peak / np.abs(signal).max()
    return np.round(signal * FULL_SCALE).astype("<i2")


def write_wav(path, samples):
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(samples.tobytes())


def read_wav(path):
    with wave.open(path, "rb") as source:
        if (source.getnchannels(), source.getsampwidth(), source.getframerate()) != (1, 2, RATE):
            raise ValueError(f"{path}: not mono 16-bit {RATE} Hz")
        return np.frombuffer(source.readframes(source.getnframes()), dtype="<i2")


def problems(path):
    """What is wrong with a written sound, as sentences; empty when it is fit to ship."""
    samples = read_wav(path).astype(np.float64)
    found = []
    if os.path.getsize(path) >= SIZE_LIMIT:
        found.append(f"{os.path.getsize(path)} bytes, not under {SIZE_LIMIT}")
    peak = np.abs(samples).max()
    if peak >= FULL_SCALE:
        found.append("clips")
    if abs(samples.mean()) > 0.001 * peak:
        found.append(f"DC offset {samples.mean():.1f}")
    # A knock, not a swell: the first two milliseconds are within 6 dB of the loudest two.
    window = 2 * RATE // 1000
    blocks = len(samples) // window
    level = np.sqrt((samples[:blocks * window].reshape(blocks, window) ** 2).mean(axis=1))
    if level[0] < 0.5 * level.max():
        found.append(f"slow attack: loudest after {np.argmax(level) * 2} ms")
    # Below -50 dB for its last 5 ms and exactly zero at both ends: nothing left to click.
    tail = np.abs(samples[-int(0.005 * RATE):]).max()
    if tail > 0.003 * peak or samples[0] != 0 or samples[-1] != 0:
        found.append("does not start and end at silence")
    return found


def build(out):
    os.makedirs(out, exist_ok=True)
    names = []
    for knock in KNOCKS:
        name = f"{knock.name}.wav"
        write_wav(os.path.join(out, name), synthesise(knock))
        names.append(name)
    return names


def plot(folder, path):
    """Waveform, level in dB and spectrum of each sound, one row each."""
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    figure, axes = plt.subplots(len(KNOCKS), 3, figsize=(13, 3.1 * len(KNOCKS)),
                                gridspec_kw={"width_ratios": [1.3, 1, 1.3]})
    for row, knock in zip(axes, KNOCKS):
        samples = read_wav(os.path.join(folder, f"{knock.name}.wav")) / FULL_SCALE
        ms = np.arange(len(samples)) / RATE * 1000
        row[0].plot(ms, samples, linewidth=0.7, color="#5a3a1a")
        row[0].set_ylim(-1, 1)
        row[0].axhline(0, color="0.6", linewidth=0.5)
        row[0].set_title(f"{knock.name}.wav: waveform "
                         f"({len(samples)} samples, {os.path.getsize(os.path.join(folder, knock.name + '.wav'))} bytes)",
                         fontsize=9)
        row[0].set_xlabel("ms")

        # Level per millisecond, so that a smooth decay and a quiet end are plain to see.
        window = RATE // 1000
        blocks = len(samples) // window
        level = np.sqrt((samples[:blocks * window].reshape(blocks, window) ** 2).mean(axis=1))
        row[1].plot(np.arange(blocks), 20 * np.log10(np.maximum(level, 1e-6)), color="#a0522d")
        row[1].set_ylim(-100, 0)
        row[1].set_title("RMS level per ms (dBFS)", fontsize=9)
        row[1].set_xlabel("ms")
        row[1].grid(alpha=0.3)

        spectrum = np.abs(np.fft.rfft(samples, 8192))
        frequencies = np.fft.rfftfreq(8192, 1 / RATE)
        row[2].semilogx(frequencies[1:], 20 * np.log10(np.maximum(spectrum[1:], 1e-6)),
                        linewidth=0.8, color="#2f4f4f")
        for frequency, _, _ in knock.modes:
            row[2].axvline(frequency, color="#c08040", linewidth=0.5, linestyle=":")
        row[2].set_xlim(30, RATE / 2)
        row[2].set_ylim(-60, 40)
        row[2].set_title("spectrum (dB); dotted: the modes", fontsize=9)
        row[2].set_xlabel("Hz")
        row[2].grid(alpha=0.3, which="both")
    figure.tight_layout()
    figure.savefig(path, dpi=80)
    plt.close(figure)


def check(out):
    """0 when sound/ holds exactly what the recipe makes and every file is fit to ship."""
    failed = False
    with tempfile.TemporaryDirectory() as scratch:
        for name in build(scratch):
            committed = os.path.join(out, name)
            if not os.path.exists(committed) or not filecmp.cmp(
                    os.path.join(scratch, name), committed, shallow=False):
                print(f"{name}: differs from a fresh synthesis")
                failed = True
                continue
            for problem in problems(committed):
                print(f"{name}: {problem}")
                failed = True
    if not failed:
        print(f"all {len(KNOCKS)} sounds match a fresh synthesis and are fit to ship")
    return 1 if failed else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(REPO, "sound"))
    parser.add_argument("--plot", default=os.path.join(REPO, "docs", "sounds.png"),
                        help="where to draw waveform and spectrum ('' for no plot)")
    parser.add_argument("--check", action="store_true",
                        help="synthesise into a temporary folder and compare with --out")
    args = parser.parse_args()
    if args.check:
        return check(args.out)
    names = build(args.out)
    for name in names:
        for problem in problems(os.path.join(args.out, name)):
            print(f"warning: {name}: {problem}")
    print(f"wrote {len(names)} sounds under {args.out}")
    if args.plot:
        plot(args.out, args.plot)
        print(f"plotted them into {args.plot}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
