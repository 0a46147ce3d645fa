#!/usr/bin/env python3
"""Reads a recording of the show's sound (44.1 kHz mono s16le, as parec
writes it) against the whole run's sound (a capture's audio.wav).

  sound_check.py tail RAW silent|sound SECONDS   exit 0 when the recording's last SECONDS are so
  sound_check.py pause RAW REFERENCE.wav          one pause: silence between two stretches of the
                                                  module that follow on from each other
  sound_check.py loop RAW REFERENCE.wav           the reference's start heard again and again,
                                                  each time round reaching as far as the others
  sound_check.py volume RAW REFERENCE.wav G,G,..  the module heard in one stretch of time, its
                                                  level against the reference's stepping through
                                                  the gains G (0: muted, a silence)

Sound is placed in the reference by normalised cross-correlation."""
import sys
import wave

import numpy as np

RATE = 44100
SILENT = 8  # |sample| at most this is silence (a null sink's silence is 0)
MATCH = 0.9  # the least correlation of a stretch found in the reference
GAP = 10  # samples of silence that are a gap in the sound, not the module's
PIECE = RATE // 10  # the stretch placed in the reference


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


def segments(sound, start, end):
    """The stretches of sound[start:end] between silences of GAP samples or
    more, as (start, end). A sound server that falls behind (on a loaded
    machine) plays silence and goes on about where it was, a sample or so
    lost; the module itself has no such silence."""
    found, at = [], start
    for a, b in silent_runs(sound[start:end], GAP):
        if start + a > at:
            found.append((at, start + a))
        at = start + b
    if at < end:
        found.append((at, end))
    return found


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
    """The last stretch of a tenth of a second before the pause, and the
    first after it, placed in the reference: the sound after is where the
    sound before left off, less what gaps may have lost (a few ms each)."""
    sound, reference = read_raw(path), read_wav_mono(reference_path)
    loud = np.flatnonzero(np.abs(sound) > SILENT)
    if len(loud) == 0:
        print("nothing was heard")
        return 1
    first, last = loud[0], loud[-1] + 1
    pauses = [(first + a, first + b) for a, b in silent_runs(sound[first:last], RATE // 2)]
    if len(pauses) != 1:
        print(f"{len(pauses)} silences of half a second or more, one expected (the pause)")
        return 1
    paused, resumed = pauses[0]
    before = [seg for seg in segments(sound, first, paused) if seg[1] - seg[0] >= PIECE]
    after = [seg for seg in segments(sound, resumed, last) if seg[1] - seg[0] >= PIECE]
    if not before or not after:
        print("too little sound on one side of the pause")
        return 1
    piece_end, piece_start = before[-1][1], after[0][0]
    # The sound heard between the pieces and the pause, gaps left out.
    heard_after_piece = sum(e - a for a, e in segments(sound, piece_end, paused))
    heard_before_piece = sum(e - a for a, e in segments(sound, resumed, piece_start))
    gaps = len(segments(sound, before[-1][0], paused)) + len(segments(sound, resumed, after[0][1])) - 2
    stopped, match_before = place(reference, sound[piece_end - PIECE: piece_end])
    went_on, match_after = place(reference, sound[piece_start: piece_start + PIECE])
    stopped += PIECE + heard_after_piece
    went_on -= heard_before_piece
    print(f"pause of {(resumed - paused) / RATE:.2f} s: the sound stopped at the reference's {stopped / RATE:.3f} s "
          f"(correlation {match_before:.3f}) and went on from {went_on / RATE:.3f} s ({match_after:.3f}); "
          f"{gaps} gaps in the sound around it")
    if min(match_before, match_after) < MATCH:
        print("the sound on a side of the pause is not the module's")
        return 1
    jump_ms = (went_on - stopped) * 1000 / RATE
    if abs(jump_ms) > 5 + 5 * gaps:
        print(f"the sound resumed {jump_ms:+.1f} ms from where it stopped")
        return 1
    return 0


def check_loop(path, reference_path):
    """Every tenth of a second of the recording placed in the reference: the
    places go back to the stretch's start (within the frame a time round
    starts on, and a gap) again and again, and each time round reaches as
    far as the others."""
    sound, reference = read_raw(path), read_wav_mono(reference_path)
    places = []
    for a, e in segments(sound, 0, len(sound)):
        for at in range(a, e - PIECE + 1, PIECE):
            found, match = place(reference, sound[at: at + PIECE])
            if match >= MATCH:
                places.append(found / RATE)
    rounds = [[]]
    for found in places:
        if rounds[-1] and found < rounds[-1][-1] - 0.5:
            rounds.append([])
        rounds[-1].append(found)
    print("times round: " + ", ".join(f"from {r[0]:.2f} s to {r[-1] + PIECE / RATE:.2f} s of the stretch" for r in rounds))
    if len(rounds) < 3:
        print("the stretch was heard fewer than three times")
        return 1
    if any(r[0] > 0.25 for r in rounds[1:]):
        print("a time round did not start at the stretch's start")
        return 1
    # Each time round (but the last, which Escape may cut) reaches as far as the others.
    ends = [r[-1] for r in rounds[:-1]]
    if max(ends) - min(ends) > 0.25:
        print("the times round do not reach as far as each other")
        return 1
    return 0


def check_volume(path, reference_path, gains_text):
    """Every tenth of a second of the recording placed in the reference: the
    module heard in one stretch of time, whatever the volume, and the level of
    each piece against the reference's at its place one of the gains, in the
    order given; a gain of 0 is a silence of half a second or more.

    In one stretch of time: from piece to piece the place moves by as much as
    the recording, but for silences between them. Across a silence of half a
    second or more (the mute) it moves by as much as the recording too, or
    nearly; across a shorter one (a sound server that fell behind, on a
    loaded machine) it may also stand still, as the sound waited."""
    sound, reference = read_raw(path), read_wav_mono(reference_path)
    gains = [float(g) for g in gains_text.split(",")]
    pieces = []  # (recording sample, offset in ms, level)
    for a, e in segments(sound, 0, len(sound)):
        for at in range(a, e - PIECE + 1, PIECE):
            piece = sound[at: at + PIECE]
            found, match = place(reference, piece)
            heard = reference[found: found + PIECE]
            if match < MATCH or np.dot(heard, heard) <= 0:
                continue
            pieces.append((at, (found - at) * 1000 / RATE, float(np.sqrt(np.dot(piece, piece) / np.dot(heard, heard)))))
    if not pieces:
        print("nothing of the module was heard")
        return 1
    moved = []
    for (at, offset, _), (next_at, next_offset, _) in zip(pieces, pieces[1:]):
        silent_ms = sum(b - a for a, b in silent_runs(sound[at + PIECE: next_at], GAP)) * 1000 / RATE
        jump = next_offset - offset
        # Across a short silence the sound may have waited for all of it;
        # across the mute for a small part of it at most (the server falling
        # behind while the muted sound played), never for the mute itself.
        waited = abs(jump + silent_ms) <= 10 if silent_ms < 500 else -0.25 * silent_ms - 10 <= jump <= 10
        if abs(jump) > 10 and not waited:
            moved.append(f"{jump:+.1f} ms at {next_at / RATE:.2f} s of the recording (after {silent_ms:.0f} ms of silence)")
    # The levels in order, each piece taken as the gain it is nearest to
    # (pieces a ramp cuts through, between two gains, left out), and the
    # silences between them.
    silences = [(a, b) for a, b in silent_runs(sound, RATE // 2) if a > 0 and b < len(sound)]
    steps = []
    for at, _, level in pieces:
        while silences and silences[0][1] <= at:
            steps.append(0.0)
            silences.pop(0)
        near = min((g for g in gains if g > 0), key=lambda g: abs(level - g) / g)
        if abs(level - near) / near <= 0.1 and (not steps or steps[-1] != near):
            steps.append(near)
    print(f"levels heard: {', '.join(f'{g:g}' for g in steps)}; {len(pieces)} pieces of the module placed, "
          f"{len(moved)} moves in time")
    if moved:
        print("the volume moved the sound in time: " + "; ".join(moved))
        return 1
    if steps != gains:
        print(f"the levels heard are not the gains {gains_text}")
        return 1
    return 0


def main(argv):
    if len(argv) == 5 and argv[1] == "tail":
        return tail(argv[2], argv[3], argv[4])
    if len(argv) == 4 and argv[1] == "pause":
        return check_pause(argv[2], argv[3])
    if len(argv) == 4 and argv[1] == "loop":
        return check_loop(argv[2], argv[3])
    if len(argv) == 5 and argv[1] == "volume":
        return check_volume(argv[2], argv[3], argv[4])
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
