#!/usr/bin/env python3
"""Reads a recording of the show's sound (44.1 kHz mono s16le, as parec
writes it) against the whole run's sound (a capture's audio.wav).

  sound_check.py tail RAW silent|sound SECONDS   exit 0 when the recording's last SECONDS are so
  sound_check.py pause RAW REFERENCE.wav          one pause: silence between two stretches of the
                                                  module that follow on from each other
  sound_check.py loop RAW REFERENCE.wav           the reference's start heard again and again,
                                                  each time round as long as the others

Sound is placed in the reference by normalised cross-correlation."""
import sys
import wave

import numpy as np

RATE = 44100
SILENT = 8  # |sample| at most this is silence (a null sink's silence is 0)
MATCH = 0.9  # the least correlation of a stretch found in the reference


def read_raw(path):
    with open(path, "rb") as f:
        return np.frombuffer(f.read(), dtype="<i2").astype(np.float64)


def read_wav_mono(path):
    with wave.open(path, "rb") as w:
        frames = np.frombuffer(w.readframes(w.getnframes()), dtype="<i2").astype(np.float64)
        return frames.reshape(-1, w.getnchannels()).mean(axis=1)


def correlation(whole, part):
    """Normalised correlation of `part` at every offset of `whole`."""
    n = len(whole) + len(part)
    size = 1 << (n - 1).bit_length()
    raw = np.fft.irfft(np.fft.rfft(whole, size) * np.conj(np.fft.rfft(part, size)), size)[: len(whole) - len(part) + 1]
    energy = np.concatenate(([0.0], np.cumsum(whole * whole)))
    window = energy[len(part):] - energy[: len(whole) - len(part) + 1]
    norm = np.sqrt(np.maximum(window, 1e-9) * float(np.dot(part, part)))
    return raw / norm


def place(reference, part):
    c = correlation(reference, part)
    at = int(np.argmax(c))
    return at, float(c[at])


def silent_runs(sound, least):
    """(start, end) of each run of silence at least `least` samples long."""
    quiet = np.abs(sound) <= SILENT
    edges = np.diff(np.concatenate(([0], quiet.astype(np.int8), [0])))
    starts, ends = np.flatnonzero(edges == 1), np.flatnonzero(edges == -1)
    return [(s, e) for s, e in zip(starts, ends) if e - s >= least]


def tail(path, state, seconds):
    sound = read_raw(path)
    n = int(float(seconds) * RATE)
    if len(sound) < n:
        return 1
    last = sound[-n:]
    if state == "silent":
        return 0 if np.max(np.abs(last)) <= SILENT else 1
    # Sound throughout: no tenth of a second of it silent.
    blocks = last[: n - n % 4410].reshape(-1, 4410)
    return 0 if np.all(np.max(np.abs(blocks), axis=1) > SILENT) else 1


def check_pause(path, reference_path):
    sound, reference = read_raw(path), read_wav_mono(reference_path)
    loud = np.flatnonzero(np.abs(sound) > SILENT)
    if len(loud) == 0:
        print("nothing was heard")
        return 1
    heard = sound[loud[0]: loud[-1] + 1]
    gaps = silent_runs(heard, RATE // 2)
    if len(gaps) != 1:
        print(f"{len(gaps)} silences of half a second or more, one expected (the pause)")
        return 1
    start, end = gaps[0]
    piece = RATE // 4
    if start < piece or len(heard) - end < piece:
        print("too little sound on one side of the pause")
        return 1
    before, at_before = place(reference, heard[start - piece: start])
    after, at_after = place(reference, heard[end: end + piece])
    print(f"pause of {(end - start) / RATE:.2f} s; before it the reference's {before / RATE:.3f} s to "
          f"{(before + piece) / RATE:.3f} s (correlation {at_before:.3f}), after it from {after / RATE:.3f} s ({at_after:.3f})")
    if min(at_before, at_after) < MATCH:
        print("the sound on a side of the pause is not the module's")
        return 1
    jump_ms = (after - (before + piece)) * 1000 / RATE
    if abs(jump_ms) > 5:
        print(f"the sound resumed {jump_ms:+.1f} ms from where it stopped")
        return 1
    return 0


def check_loop(path, reference_path):
    """A time round starts on the first frame at or after the stretch's start,
    up to a frame (at most 1/24 s) into its sound; the template is taken
    from after that."""
    sound, reference = read_raw(path), read_wav_mono(reference_path)
    lead = RATE // 20
    c = correlation(sound, reference[lead: lead + RATE // 4])
    rounds = []
    for at in np.argsort(-c):
        if c[at] < MATCH:
            break
        if all(abs(at - r) > RATE // 2 for r in rounds):
            rounds.append(int(at))
    rounds.sort()
    print("the stretch's start heard at " + ", ".join(f"{(r - lead) / RATE:.2f} s" for r in rounds))
    if len(rounds) < 3:
        print("the loop's start was heard fewer than three times")
        return 1
    # Each time round lasts as long as the others: the stretch, and the seek
    # back, within the frame each starts on.
    lengths = np.diff(rounds) / RATE
    if np.ptp(lengths) > 2 / 30:
        print("the times round last " + ", ".join(f"{l:.3f} s" for l in lengths))
        return 1
    return 0


def main(argv):
    if len(argv) == 5 and argv[1] == "tail":
        return tail(argv[2], argv[3], argv[4])
    if len(argv) == 4 and argv[1] == "pause":
        return check_pause(argv[2], argv[3])
    if len(argv) == 4 and argv[1] == "loop":
        return check_loop(argv[2], argv[3])
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
