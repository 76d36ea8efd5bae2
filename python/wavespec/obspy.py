"""wavespec on ObsPy Streams.

Duck-typed: a stream is any sequence of three traces, each with ``.data`` (samples),
``.stats.delta`` (s), ``.stats.channel`` (its last letter names the component) and
``.stats.starttime``. ObsPy itself is never imported, so it is not a dependency.

Components are matched by the channel's last letter: the horizontals N or 1, E or 2, and the
vertical Z, passed on in that order (horizontals first, as RotD and H/V take them). The traces
must share delta and start time; the record is cut to the shortest of them.
"""

from __future__ import annotations

from typing import Sequence, Tuple

import numpy as np

import wavespec

_ROLES = (("N", "1"), ("E", "2"), ("Z", "3"))


def _matched(stream: Sequence) -> Tuple[np.ndarray, float, Tuple[str, str, str]]:
    """The (3, n) samples in the order N/1, E/2, Z, their interval and channel names."""
    traces = list(stream)
    if len(traces) != 3:
        raise ValueError(f"the stream holds {len(traces)} traces; three components are needed")
    chosen = []
    for letters in _ROLES:
        found = [t for t in traces if str(t.stats.channel)[-1:].upper() in letters]
        if len(found) != 1:
            channels = ", ".join(str(t.stats.channel) for t in traces)
            raise ValueError(
                f"the stream ({channels}) needs exactly one channel ending in "
                f"{' or '.join(letters)}"
            )
        chosen.append(found[0])
    deltas = {float(t.stats.delta) for t in chosen}
    if len(deltas) != 1:
        raise ValueError(f"the traces' sampling intervals differ: {sorted(deltas)}")
    if any(t.stats.starttime != chosen[0].stats.starttime for t in chosen):
        raise ValueError("the traces start at different times; trim them to a common start")
    n = min(len(t.data) for t in chosen)
    data = np.vstack([np.asarray(t.data)[:n] for t in chosen])
    return data, deltas.pop(), tuple(str(t.stats.channel) for t in chosen)


def response_spectra(stream: Sequence, **options) -> wavespec.ResponseSpectra:
    """wavespec.response_spectra of the stream's three components (acceleration); the columns
    name the channels, then RotD00, RotD50 and RotD100 of the horizontals."""
    data, dt, channels = _matched(stream)
    return wavespec.response_spectra(data, dt, names=channels, **options)


def hv(stream: Sequence, **options) -> wavespec.HV:
    """wavespec.hv of the stream's three components."""
    data, dt, _ = _matched(stream)
    return wavespec.hv(data, dt, **options)
