#!/usr/bin/env python3
"""Writes resources/factory.json, the factory preset bank, from the readable
table of patches below.

Patches are written here in each parameter's own units (milliseconds, Hz,
percent, cents, note values); the script converts them to the normalised
0..1 values that preset files store, using the ranges, skews and symmetric
flags of src/params/ParameterTable.h (read from that file, so the two never
disagree). "INIT PATCH" is the exception: its normalised values are fixed
and written exactly as they stand.

Usage: scripts/make-factory-bank.py [output]   (default: resources/factory.json)
"""

import json
import math
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent

# ---------------------------------------------------------------------------
# Parameter table


def read_parameter_table():
    text = (ROOT / "src/params/ParameterTable.h").read_text()
    table = {}
    order = []
    pattern = re.compile(
        r'\{\s*"(\w+)",\s*"[^"]*",\s*Kind::(\w+),\s*([-\d.]+)f,\s*([-\d.]+)f,\s*([-\d.]+)f,\s*(\d+)'
        r'(?:,\s*([-\d.]+)f,\s*([-\d.]+)f(?:,\s*(true|false))?)?\s*\}')
    for m in pattern.finditer(text):
        pid, kind, lo, hi, default, _version, interval, skew, symmetric = m.groups()
        table[pid] = {
            "kind": kind,
            "min": float(lo),
            "max": float(hi),
            "default": float(default),
            "interval": float(interval) if interval else 0.01,
            "skew": float(skew) if skew else 1.0,
            "symmetric": symmetric == "true",
        }
        order.append(pid)
    if len(order) != 63:
        sys.exit(f"expected 63 parameters in ParameterTable.h, found {len(order)}")
    return table, order


PARAMS, PARAM_ORDER = read_parameter_table()


def normalise(pid, raw):
    """The normalised value of a raw value, as juce::NormalisableRange does it."""
    p = PARAMS[pid]
    if p["kind"] == "Bool":
        return 1.0 if raw > 0.5 else 0.0
    lo, hi = p["min"], p["max"]
    if p["kind"] == "Int":
        return (round(raw) - lo) / (hi - lo)
    # Floats land on their interval, so the value read back is the one meant.
    step = p["interval"]
    raw = lo + round((raw - lo) / step) * step
    proportion = min(1.0, max(0.0, (raw - lo) / (hi - lo)))
    if p["skew"] == 1.0:
        return proportion
    if not p["symmetric"]:
        return proportion ** p["skew"]
    d = 2.0 * proportion - 1.0
    return (1.0 + math.copysign(abs(d) ** p["skew"], d)) / 2.0


# ---------------------------------------------------------------------------
# Units -> raw parameter values (the inverses of the processor's mappings)

BEATS = {"4/1": 16, "2/1": 8, "1/1": 4, "1/2": 2, "1/2T": 4 / 3, "1/4": 1, "1/4T": 2 / 3, "1/8": 1 / 2,
         "1/8T": 1 / 3, "1/16": 1 / 4, "1/32": 1 / 8, "1/64": 1 / 16, "1/128": 1 / 32}
DIVISIONS = list(BEATS)  # index 0 (16 beats) .. 12 (1/32 beat)


def ms(t):
    """Start/end spacing `s`/`e` free-running: t milliseconds (1..2000)."""
    x = 0.65 * math.log10(t) / 3.0 if t <= 1000 else 0.65 + 0.35 * math.log2(t / 1000.0)
    return x * 1000.0


def note(div):
    """Start/end spacing `s`/`e` with Tap Sync: a note value."""
    return (12 - DIVISIONS.index(div)) / 12.0 * 1000.0


def beat_ms(div, bpm=120.0):
    """A note value in milliseconds at a tempo (for the free-running predelay)."""
    return BEATS[div] * 60000.0 / bpm


def length(t):
    """Window length `fb`: t milliseconds (10..14000)."""
    return 1000.0 * math.log(t / 10.0) / math.log(1400.0)


def curve(c):
    """Decay curve `dcv` giving the engine's curve value c (-140..140)."""
    if -100 <= c <= 100:
        return 200.0 * math.acos(-c / 100.0) / math.pi
    w = 100.0 * (2.0 / math.pi) * math.acos(1.0 - (abs(c) - 100.0) / 40.0)
    return 200.0 + w if c > 0 else -w


def hp(f):
    return 1000.0 * math.log(f / 20.0) / math.log(200.0)


def lp(f):
    return 1000.0 * math.log(f / 500.0) / math.log(44.0)


def rate(hz):
    """Wave rate `lrs` / tremolo rate `tremR`, free-running: hz (0.15..8)."""
    return 1000.0 * math.log(hz / 0.15) / math.log(53.333)


def synced_rate(div):
    """Wave rate `lrs` / tremolo rate `tremR` with sync: a note value per cycle."""
    return DIVISIONS.index(div) / 12.0 * 1000.0


def pitch_rate(hz):
    """Pitch modulation rate `pitchRt`: hz (0.01..8)."""
    return 1000.0 * (math.log(hz / 0.01) / math.log(800.0)) ** (1.0 / 0.61)


# ---------------------------------------------------------------------------
# Patches

# Key order of every patch object; INIT PATCH alone also stores dcFall.
KEY_ORDER = ["g", "s", "e", "fb", "pd", "fbk", "io2x", "lk", "mu", "rev", "flipped", "tapCnt", "dcv", "dc",
             "dcMode", "dcSteps", "dcFall", "chaos", "cwT", "cwW", "cwTr", "cwG", "hp", "lp", "mix", "mixByp",
             "mout", "spread", "sideOnly", "ppOn", "ppW", "tp", "tOd", "tBoost", "td", "sat", "flutter", "flutSpd",
             "tpWet", "tDarken", "headBump", "pitchOn", "pitchSync", "pitchWide", "pitch2x", "pitchCt", "pitchRt",
             "pitchDp", "pitchSh", "pitchMix", "pitchFbk", "pitchGLink", "pitchWLAmt", "pitchLB", "wo", "waveSync",
             "lrs", "lfoDp", "lsh", "woPh", "woOff", "trem", "tremSync", "tremR", "tremD", "tremPh", "tremOff",
             "tremSh"]

# Keys that name no parameter; the bank has always carried them.
EXTRA_DEFAULTS = {"chaos": 0.0, "cwT": 0.800000011920929, "cwW": 0.600000023841858,
                  "cwTr": 0.600000023841858, "cwG": 0.5}

INIT_PATCH = {
    "g": 0.5, "s": 0.416669994592667, "e": 0.416669994592667, "fb": 0.651539981365204, "pd": 0.163045004010201,
    "fbk": 0.0, "io2x": 0.0, "lk": 1.0, "mu": 1.0, "rev": 0.0, "flipped": 0.0, "tapCnt": 1.0,
    "dcv": 0.433349996805191, "dc": 1.0, "dcMode": 0.0, "dcSteps": 0.200000002980232, "dcFall": 0.797749996185303,
    "chaos": 0.0, "cwT": 0.800000011920929, "cwW": 0.600000023841858, "cwTr": 0.600000023841858, "cwG": 0.5,
    "hp": 0.434569984674454, "lp": 0.732999980449677, "mix": 1.0, "mixByp": 0.0, "mout": 0.812651991844177,
    "spread": 0.500666677951813, "sideOnly": 0.0, "ppOn": 0.0, "ppW": 0.0, "tp": 0.0, "tOd": 0.0,
    "tBoost": 0.495299994945526, "td": 0.416699975728989, "sat": 0.773399949073792, "flutter": 0.0,
    "flutSpd": 0.449999988079071, "tpWet": 1.0, "tDarken": 0.310000002384186, "headBump": 0.0, "pitchOn": 0.0,
    "pitchSync": 0.0, "pitchWide": 0.0, "pitch2x": 0.0, "pitchCt": 0.5, "pitchRt": 0.230769991874695,
    "pitchDp": 0.63245552778244, "pitchSh": 0.0, "pitchMix": 0.503999948501587, "pitchFbk": 0.158199995756149,
    "pitchGLink": 0.0, "pitchWLAmt": 0.025000000372529, "pitchLB": 0.5, "wo": 0.0, "waveSync": 0.0,
    "lrs": 0.523000001907349, "lfoDp": 0.699999988079071, "lsh": 0.0, "woPh": 0.5, "woOff": 0.5, "trem": 0.0,
    "tremSync": 1.0, "tremR": 0.583000004291534, "tremD": 0.751299977302551, "tremPh": 0.5, "tremOff": 0.5,
    "tremSh": 0.0,
}


def base():
    """The starting point of every designed patch: a plain, moderately wet
    delay with the parameters at their defaults."""
    raw = {pid: PARAMS[pid]["default"] for pid in PARAM_ORDER}
    raw.update(mix=30.0, hp=hp(120), lp=lp(7000))
    return raw


def patch(name, extras=None, omit=(), **raw):
    """A patch from raw values; ppW above 0 also turns the ping-pong switch on.
    `extras` adds or changes keys that name no parameter; `omit` leaves
    parameters out of the patch (they load at their defaults)."""
    values = base()
    for key, value in raw.items():
        if key not in PARAMS:
            sys.exit(f"{name}: unknown parameter {key}")
        values[key] = float(value)
    if values["ppW"] > 0:
        values["ppOn"] = 1.0
    return {"name": name, "raw": values, "extras": dict(EXTRA_DEFAULTS, **(extras or {})), "omit": list(omit)}


def synced(div, repeats, first=None, **raw):
    """Tap Sync at a note value; the predelay puts the first echo one note
    after the dry sound at 120 BPM, and the window holds about `repeats`
    echoes there."""
    spacing = beat_ms(div)
    pd = beat_ms(first or div)
    return dict(dict(mu=1, s=note(div), e=note(div), pd=pd, fb=length(spacing * repeats)), **raw)


def echo(t, repeats, **raw):
    """A free-running echo every t ms, the first one t ms after the dry sound."""
    return dict(dict(s=ms(t), e=ms(t), pd=t, fb=length(t * repeats)), **raw)


TAPE = dict(tp=1)
CHORUS = dict(pitchOn=1)
WAVE = dict(wo=1)
TREM = dict(trem=1)

CHARACTER = [
    patch("Analog Synth Bounce", **synced("1/4", 6, s=note("1/4"), e=note("1/16"), g=-20, ppW=50, lp=lp(5500),
                                          dcv=curve(-30), mix=35, **TAPE, tBoost=20, sat=60, flutter=8)),
    patch("Chicken Pickin' Slap", **echo(90, 2, tapCnt=2, hp=hp(160), lp=lp(9000), dcv=curve(-80), mix=30, **TAPE,
                                         tBoost=15, sat=80, headBump=30)),
    patch("Delay Pedal Emulation", **echo(380, 9, lp=lp(3500), hp=hp(110), dcv=curve(-20), mix=35, **TAPE, tBoost=25,
                                          sat=40, flutter=12, flutSpd=55, tDarken=40)),
    patch("Delicate Echoes", **synced("1/4", 6, lp=lp(7000), hp=hp(250), dcv=curve(-60), mix=22, spread=10, ppW=25)),
    patch("Desert Canyon Wash", pd=180, s=ms(200), e=ms(600), fb=length(9000), g=25, lp=lp(4500), hp=hp(200),
          dcv=curve(40), mix=45, **WAVE, lrs=rate(0.3), lfoDp=20, spread=12),
    patch("Empty Oil Drum", pd=8, s=ms(12), e=ms(12), fb=length(350), tapCnt=32, hp=hp(180), lp=lp(2800),
          dcv=curve(-30), mix=40, **TAPE, headBump=60, sat=50),
    patch("Intimate Vocal Slap", **echo(70, 3, tapCnt=3, hp=hp(250), lp=lp(6000), dcv=curve(-80), mix=20)),
    patch("Lead Vocal Doubler", pd=18, s=ms(22), e=ms(22), fb=length(60), tapCnt=2, **CHORUS, pitchCt=8,
          pitchDp=20, pitchRt=pitch_rate(0.6), pitchMix=100, pitchSh=0, mix=30, spread=13, hp=hp(150)),
    patch("Long Flutter", **echo(500, 12, dcv=curve(20), mix=35, lp=lp(4500), **TAPE, flutter=70, flutSpd=35,
                                 tDarken=50, sat=50)),
    patch("Long Tail Sat", **echo(450, 18, dcv=curve(60), mix=35, lp=lp(5000), **TAPE, tBoost=60, sat=50, td=45,
                                  headBump=35)),
    patch("Long Wash", pd=80, s=ms(120), e=ms(350), fb=length(10000), g=-30, dcv=curve(80), lp=lp(5000),
          **WAVE, lrs=rate(0.25), lfoDp=30, mix=45, spread=12),
    patch("Mellow Echo", **echo(330, 8, lp=lp(2500), hp=hp(150), dcv=curve(-30), mix=30, **TAPE, sat=20,
                                tDarken=50)),
    patch("Modular Drift", pd=250, s=ms(250), e=ms(180), fb=length(4000), **WAVE, lsh=6, lrs=rate(0.4), lfoDp=45,
          **CHORUS, pitchDp=25, pitchRt=pitch_rate(0.15), pitchSh=6, pitchMix=50, dcv=curve(0), mix=40),
    patch("Muted Trumpet Echo", **echo(280, 7, hp=hp(600), lp=lp(2200), dcv=curve(-40), mix=30, **TAPE, tOd=1,
                                       tBoost=30, sat=60)),
    patch("Paper Undulations", **echo(200, 15, **TREM, tremR=rate(0.8), tremD=50, lp=lp(4000), **TAPE, sat=30,
                                      **WAVE, lrs=rate(0.5), lfoDp=15, mix=35)),
    patch("Percussion Bounce", pd=300, s=ms(300), e=ms(40), fb=length(1800), dcv=curve(-40), mix=35, hp=hp(200),
          ppW=30),
    patch("Pizz-Like", **synced("1/16", 5, dcv=curve(-100), lp=lp(5000), hp=hp(300), mix=35, dcMode=1,
                                dcSteps=3)),
    patch("Rimshot Echo", **synced("1/8", 6, tapCnt=6, hp=hp(400), lp=lp(10000), dcv=curve(-50), mix=30)),
    patch("Sequenced Pulse", **synced("1/16", 16, dcMode=1, dcSteps=4, **TREM, tremSync=1,
                                      tremR=synced_rate("1/16"), tremD=60, tremSh=2, ppW=40, mix=40)),
    patch("Surf Guitar Slap", **echo(110, 4, tapCnt=4, **TAPE, flutter=15, headBump=40, lp=lp(7000), mix=35,
                                     dcv=curve(-50))),
    patch("Thick Synthy Delay", **synced("1/4T", 8, **CHORUS, pitchDp=40, pitchRt=pitch_rate(0.8), pitchMix=50,
                                         pitchSh=1, spread=13, dcv=curve(0), mix=40)),
    patch("Whispering Repeat", **echo(450, 8, hp=hp(500), lp=lp(3000), sideOnly=1, spread=12, dcv=curve(-20),
                                      mix=35)),
]

BUZZY = [
    patch("Blown Speaker Trail", **echo(220, 13, **TAPE, tOd=1, tBoost=80, sat=10, hp=hp(300), lp=lp(2500),
                                        dcv=curve(20), mix=40, mout=-3)),
    patch("Distorted Feedback Loop", **synced("1/16", 32, **TAPE, tOd=1, tBoost=100, headBump=50, dcv=curve(80),
                                              mix=40, mout=-4)),
    patch("Fried Circuit", pd=25, s=ms(25), e=ms(25), fb=length(800), **TAPE, tOd=1, tBoost=90, **TREM,
          tremR=rate(8), tremSh=2, tremD=70, **WAVE, lsh=5, lrs=rate(6), lfoDp=50, hp=hp(600), mix=40, mout=-2),
    patch("Overloaded Preamp", **echo(180, 8, **TAPE, tBoost=100, td=60, headBump=70, lp=lp(4500), mix=35,
                                      mout=-3)),
    patch("Rusty Gears", pd=90, s=ms(90), e=ms(160), fb=length(2000), dcMode=2, dcSteps=5, **WAVE, lsh=2,
          lrs=rate(3), lfoDp=40, **TAPE, tOd=1, tBoost=60, tDarken=70, hp=hp(400), lp=lp(3500), mix=40),
]

COSMIC = [
    patch("Black Hole Bloom", pd=60, s=ms(60), e=ms(300), fb=length(6000), g=85, dcv=curve(140), mix=45,
          lp=lp(5000), **CHORUS, pitchDp=20, pitchRt=pitch_rate(0.3), pitchMix=40),
    patch("Collapsing Star", pd=150, s=ms(150), e=ms(150), fb=length(4000), g=100, dcv=curve(60), **TAPE,
          tBoost=40, mix=40),
    patch("Cosmic Undertow", pd=100, s=ms(400), e=ms(400), fb=length(12000), g=-60, lp=lp(2500), hp=hp(80),
          **WAVE, lrs=rate(0.2), lfoDp=60, dcv=curve(100), **CHORUS, pitchCt=-10, pitchFbk=30, pitchMix=50,
          mix=45),
    patch("Dark Matter Trail", pd=300, s=ms(300), e=ms(700), fb=length(9000), g=30, lp=lp(1200), hp=hp(60),
          dcv=curve(60), **TAPE, tDarken=60, sat=30, mix=45),
    patch("Floaty Ripples", pd=90, s=ms(90), e=ms(90), fb=length(3000), g=-20, **WAVE, lrs=rate(1.5), lfoDp=60,
          lp=lp(8000), spread=13, mix=40),
    patch("Mass Well", pd=200, s=ms(200), e=ms(200), fb=length(5000), g=-90, dcv=curve(0), **CHORUS,
          pitchGLink=1, pitchWLAmt=200, pitchMix=60, mix=45),
    patch("Interstellar Echo", **echo(700, 16, ppW=60, **WAVE, lrs=rate(0.2), lfoDp=20, **CHORUS, pitchCt=50,
                                      pitchFbk=35, pitchMix=40, lp=lp(6000), dcv=curve(60), mix=40)),
    patch("Neutron Star Ping", pd=8, s=ms(8), e=ms(8), fb=length(400), tapCnt=40, g=60, ppW=80, hp=hp(800),
          lp=lp(9000), dcv=curve(-30), mix=35),
    patch("Orbital Decay", pd=400, s=ms(400), e=ms(120), fb=length(6000), g=40, **WAVE, lsh=1, lrs=rate(0.5),
          lfoDp=50, dcv=curve(-10), ppW=40, mix=40),
    patch("Spacetime Ripple", pd=160, s=ms(160), e=ms(160), fb=length(5000), g=20, **WAVE, lrs=rate(0.9),
          lfoDp=80, woOff=90, spread=14, **CHORUS, pitchGLink=1, pitchWLAmt=60, pitchMix=50, mix=40),
]

GLITCH = [
    patch("Broken Sequencer", extras={"chaos": 0.6}, mu=1, s=note("1/16"), e=note("1/8T"), pd=125,
          fb=length(3000), dcMode=1, dcSteps=6, **WAVE, lsh=5, lrs=rate(4), lfoDp=60, **TREM, tremSync=1,
          tremR=synced_rate("1/16"), tremSh=5, tremD=70, mix=45),
    patch("Flipped Reality", extras={"chaos": 0.3}, flipped=1, rev=1, g=50, pd=40, s=ms(40), e=ms(400),
          fb=length(3000), dcv=curve(20), mix=45),
    patch("Jittery Pulse Field", extras={"chaos": 0.8}, pd=50, s=ms(50), e=ms(50), fb=length(2500), tapCnt=48,
          **WAVE, lsh=5, lrs=rate(8), lfoDp=90, **TREM, tremR=rate(8), tremSh=2, tremD=70, mix=40, mout=-3),
    patch("Malfunction Loop", extras={"chaos": 0.5}, **synced("1/16", 16, dcMode=2, dcSteps=3, **TAPE, tOd=1,
                                                               tBoost=50, **WAVE, lsh=2, lrs=rate(2), lfoDp=50,
                                                               **CHORUS, pitchLB=-600, pitchMix=60, mix=45)),
    patch("Reverse Fragments", extras={"chaos": 0.2}, rev=1, pd=80, s=ms(80), e=ms(260), fb=length(2200), g=-30,
          dcv=curve(40), lp=lp(7000), mix=45),
    patch("Scrambled Signal", extras={"chaos": 1.0}, pd=60, s=ms(60), e=ms(200), fb=length(2500), **WAVE, lsh=6,
          lrs=rate(5), lfoDp=100, woOff=180, g=70, ppW=50, **CHORUS, pitchSh=5, pitchDp=60,
          pitchRt=pitch_rate(3), pitchMix=60, mix=45),
]

LONG_COSMIC = [
    patch("Deep Space Sustain", pd=250, s=ms(250), e=ms(450), fb=length(14000), dcv=curve(140), lp=lp(3500),
          hp=hp(100), **CHORUS, pitchDp=15, pitchRt=pitch_rate(0.2), pitchMix=40, spread=13, mix=45, mout=-2),
    patch("Endless Horizon", **echo(600, 23, dcv=curve(100), ppW=50, lp=lp(5000), **WAVE, lrs=rate(0.15),
                                    lfoDp=15, mix=40)),
    patch("Eternal Return", **synced("1/2", 13, dcv=curve(120), **TAPE, flutter=20, tDarken=40, ppW=30, mix=40)),
    patch("Fading into Void", pd=150, s=ms(150), e=ms(900), fb=length(12000), g=40, dcv=curve(-100), lp=lp(2000),
          spread=13, mix=45),
    patch("Frozen in Time", pd=80, s=ms(80), e=ms(80), fb=length(5000), dcv=curve(140), lp=lp(4000), **CHORUS,
          pitchDp=30, pitchRt=pitch_rate(0.3), pitchMix=50, mix=50, mout=-2),
    patch("Glacial Drift", pd=900, s=ms(900), e=ms(300), fb=length(14000), g=-25, **WAVE, lrs=rate(0.15),
          lfoDp=40, lp=lp(3000), hp=hp(150), **CHORUS, pitchCt=-8, pitchMix=50, mix=45),
    patch("Vanishing Point", pd=200, s=ms(200), e=ms(200), fb=length(10000), g=100, dcv=curve(-60), lp=lp(2500),
          ppW=40, mix=40),
]

METALLIC = [
    patch("Anti-Phase Bloom", pd=40, s=ms(40), e=ms(40), fb=length(2500), g=50, sideOnly=1, spread=15,
          dcv=curve(40), mix=40),
    patch("Out of Phase Drift", pd=120, s=ms(120), e=ms(120), fb=length(3000), **WAVE, lrs=rate(0.3), lfoDp=50,
          woOff=180, spread=14, mix=40),
    patch("Phase Cancellation Drift", pd=60, s=ms(60), e=ms(60), fb=length(2000), sideOnly=1, **TREM,
          tremR=rate(0.25), tremOff=180, tremD=60, **WAVE, lrs=rate(0.2), lfoDp=30, mix=40),
    patch("Resonant Comb", pd=5, s=ms(5), e=ms(5), fb=length(120), tapCnt=24, dcv=curve(-20), hp=hp(150),
          lp=lp(8000), mix=35, mout=-1),
    patch("Sheet Metal Echo", pd=18, s=ms(18), e=ms(18), fb=length(700), tapCnt=40, hp=hp(900), lp=lp(10000),
          dcv=curve(-10), ppW=60, mix=35),
    patch("Wobble Phase Loop", pd=30, s=ms(30), e=ms(30), fb=length(1200), **WAVE, lrs=rate(2.5), lfoDp=60,
          woOff=120, **TREM, tremR=rate(2.5), tremOff=90, tremD=50, mix=40, mout=-2),
]

PITCH = [
    patch("Alien Chorus", **echo(100, 15, **CHORUS, pitchCt=40, pitchDp=80, pitchRt=pitch_rate(3), pitchSh=6,
                                 pitch2x=1, pitchFbk=30, pitchMix=80, mix=40)),
    patch("Deep Pitch Wash", **echo(300, 27, **CHORUS, pitchCt=-50, pitch2x=1, pitchFbk=60, pitchMix=70,
                                    lp=lp(3000), dcv=curve(40), mix=45, mout=-2)),
    patch("Detuned Cosmos", pd=200, s=ms(200), e=ms(500), fb=length(10000), g=30, **CHORUS, pitchCt=15,
          pitchDp=30, pitchRt=pitch_rate(0.2), pitchMix=70, dcv=curve(60), mix=45),
    patch("Fast Flutter Chorus", **echo(60, 16, **CHORUS, pitchDp=35, pitchRt=pitch_rate(7), pitchSh=1,
                                        pitchMix=70, **TAPE, flutter=40, flutSpd=90, mix=40)),
    patch("Twisted Chorus", pd=80, s=ms(80), e=ms(250), fb=length(3000), g=60, **CHORUS, pitchGLink=1,
          pitchWLAmt=400, pitchDp=40, pitchRt=pitch_rate(1), pitchMix=70, mix=40),
]

SHORT_TO_LONG = [
    patch("Backwards Bloom", rev=1, pd=30, s=ms(30), e=ms(500), fb=length(4000), g=30, dcv=curve(60), mix=45),
    patch("Inverted Spread", flipped=1, pd=40, s=ms(600), e=ms(40), fb=length(4000), spread=15, ppW=60, mix=40),
    patch("Long Fuse Short Snap", pd=900, s=ms(900), e=ms(20), fb=length(5000), g=70, dcv=curve(60), hp=hp(200),
          mix=40),
]

TRADITIONAL = [
    patch("8th w stretch", **synced("1/8", 10, e=note("1/4"), dcv=curve(-20))),
    patch("8th-triplets", **synced("1/8T", 12, dcv=curve(-30))),
    patch("Cathedral Wash", pd=90, s=ms(90), e=ms(330), fb=length(14000), g=-20, dcv=curve(100), lp=lp(4500),
          hp=hp(150), spread=13, **CHORUS, pitchDp=12, pitchRt=pitch_rate(0.25), pitchMix=40, **WAVE,
          lrs=rate(0.2), lfoDp=10, mix=45),
    patch("Dance Vocal", **synced("1/8", 8, ppW=70, hp=hp(350), lp=lp(8000), dcv=curve(-40), mix=25)),
    patch("Dark Concert Hall", pd=25, s=ms(25), e=ms(110), fb=length(3500), g=-30, lp=lp(2500), hp=hp(120),
          dcv=curve(-20), spread=12, mix=35),
    patch("Eighth Note Pulse", **synced("1/8", 8, dcv=curve(-40), **TREM, tremSync=1, tremR=synced_rate("1/8"),
                                        tremSh=2, tremD=40)),
    patch("Eighth Triplet Bounce", **synced("1/8T", 15, ppW=80, dcv=curve(-30))),
    patch("Gentle Cascade", pd=350, s=ms(350), e=ms(120), fb=length(3000), g=-15, dcv=curve(-40), lp=lp(6000),
          ppW=30),
    patch("Half Note Wash", **synced("1/2", 10, dcv=curve(60), lp=lp(4000), spread=12, mix=35)),
    {"name": "INIT PATCH", "normalised": INIT_PATCH},
    patch("Long Hall Tail", pd=40, s=ms(40), e=ms(180), fb=length(6000), g=-40, dcv=curve(20), lp=lp(4000),
          hp=hp(120), spread=12, mix=40),
    patch("Medium Hall Pretty", pd=30, s=ms(30), e=ms(120), fb=length(2800), g=-25, dcv=curve(-10), lp=lp(7000),
          hp=hp(180), **CHORUS, pitchDp=15, pitchRt=pitch_rate(0.4), pitchMix=40, spread=12, mix=35),
    patch("Nostalgic Repeats", **echo(420, 8, **TAPE, flutter=25, tDarken=60, sat=40, lp=lp(3500),
                                      dcv=curve(-10), mix=35)),
    patch("Old Reel Repeats", **echo(300, 10, **TAPE, flutter=35, flutSpd=30, headBump=60, tDarken=70, tBoost=35,
                                     lp=lp(3000), dcv=curve(0), mix=35)),
    patch("Phasey Ambience", pd=20, s=ms(20), e=ms(20), fb=length(1200), **WAVE, lrs=rate(0.4), lfoDp=40,
          woOff=90, spread=13, dcv=curve(-40), lp=lp(6000), mix=35),
    patch("Ping Pong Eighths", **synced("1/8", 12, ppW=100, dcv=curve(-25))),
    patch("Reel to Reel", **echo(250, 14, **TAPE, flutter=15, headBump=45, tBoost=25, sat=60, tDarken=45,
                                 dcv=curve(-15))),
    patch("Rockabilly Slap", **echo(110, 1, tapCnt=1, **TAPE, tBoost=20, headBump=30, lp=lp(6000))),
    patch("Room Bloom", pd=12, s=ms(12), e=ms(45), fb=length(900), g=35, dcv=curve(-20), lp=lp(7000),
          hp=hp(150)),
    patch("Sixteenth Flutter", **synced("1/16", 12, **TAPE, flutter=45, flutSpd=70, dcv=curve(-40))),
    patch("Soft Room Bloom", pd=15, s=ms(15), e=ms(50), fb=length(1100), g=25, dcv=curve(-30), lp=lp(4000),
          hp=hp(150), mix=25),
    patch("Standard Delay", **echo(375, 9, dcv=curve(-20))),
    patch("Steady 8ths", **synced("1/8", 16, dcv=curve(0))),
    patch("Tape Saturation Echo", **echo(340, 10, **TAPE, tBoost=55, sat=50, headBump=40, tDarken=35,
                                         dcv=curve(-10), mix=35)),
    patch("Vocal Thickener", pd=12, s=ms(18), e=ms(18), fb=length(50), tapCnt=3, **CHORUS, pitchCt=6,
          pitchDp=15, pitchRt=pitch_rate(0.5), pitchMix=100, spread=12),
    patch("Warm Room Reflections", pd=10, s=ms(10), e=ms(35), fb=length(600), g=-10, lp=lp(3500), hp=hp(120),
          dcv=curve(-40), mix=25),
    patch("Wobbly Tape Echo", **echo(320, 9, **TAPE, flutter=80, flutSpd=60, tDarken=50, mix=35)),
    patch("Worn Tape Loop", **echo(500, 12, **TAPE, tDarken=90, flutter=30, tBoost=40, sat=30, lp=lp(2500),
                                   dcv=curve(40), mix=40)),
]

WEIRD = [
    patch("Bats!", pd=8, s=ms(8), e=ms(30), fb=length(700), hp=hp(3000), lp=lp(16000), **CHORUS, pitchCt=50,
          pitch2x=1, pitchFbk=40, pitchMix=80, ppW=100, mix=40),
    patch("Bouncy Ball", pd=400, s=ms(400), e=ms(25), fb=length(2400), dcv=curve(-20), ppW=40, mix=40),
    patch("Buzzy Mouth Sounds", pd=3, s=ms(3), e=ms(3), fb=length(120), tapCnt=20, **TREM, tremR=rate(8),
          tremD=50, **TAPE, tOd=1, tBoost=60, hp=hp(400), lp=lp(4000), mix=35, mout=-1),
    patch("Catch and Release", pd=150, s=ms(150), e=ms(150), fb=length(5000), g=-80, dcv=curve(40), **TREM,
          tremR=rate(0.3), tremD=40, mix=40),
    patch("Embarrassed Robot", pd=70, s=ms(70), e=ms(70), fb=length(1000), dcMode=1, dcSteps=4, **CHORUS,
          pitchCt=-30, pitch2x=1, pitchSh=2, pitchDp=50, pitchRt=pitch_rate(6), pitchMix=90, hp=hp(500),
          lp=lp(4000), mix=45),
    patch("Galactic Waves", pd=200, s=ms(200), e=ms(200), fb=length(8000), **WAVE, lsh=1, lrs=rate(0.3),
          lfoDp=90, woOff=90, **CHORUS, pitchDp=25, pitchRt=pitch_rate(0.5), pitchMix=50, spread=14, mix=45),
    patch("Glitchy Cloud", rev=1, pd=20, s=ms(20), e=ms(90), fb=length(4000), **WAVE, lsh=5, lrs=rate(6),
          lfoDp=80, dcv=curve(40), mix=45, mout=-2),
    patch("Horror Voices", rev=1, pd=180, s=ms(180), e=ms(180), fb=length(5000), **CHORUS, pitchCt=-50,
          pitch2x=1, pitchDp=60, pitchSh=6, pitchRt=pitch_rate(1.5), pitchFbk=50, pitchMix=90, lp=lp(2500),
          mix=45),
    patch("Icy Cloud", pd=30, s=ms(30), e=ms(120), fb=length(5000), hp=hp(1500), lp=lp(14000), **CHORUS,
          pitchCt=50, pitch2x=1, pitchFbk=40, pitchMix=60, **WAVE, lrs=rate(0.6), lfoDp=30, dcv=curve(60),
          mix=45),
    patch("Long Rubber Band", **echo(250, 16, **CHORUS, pitchLB=1200, pitchMix=80, **WAVE, lrs=rate(0.7),
                                     lfoDp=40, mix=40)),
    patch("Magic Reverses", rev=1, g=40, **synced("1/8", 8, pd=0, dcv=curve(60), ppW=50, mix=45)),
    patch("Midrangey Chorus", pd=40, s=ms(40), e=ms(40), fb=length(800), hp=hp(700), lp=lp(2500), **CHORUS,
          pitchDp=45, pitchRt=pitch_rate(1.2), pitchMix=80, mix=40),
    patch("Moaning Aliens", pd=300, s=ms(300), e=ms(500), fb=length(6000), **CHORUS, pitchLB=-700,
          pitchCt=-20, pitchDp=50, pitchSh=0, pitchRt=pitch_rate(0.5), pitchFbk=40, pitchMix=90, lp=lp(3000),
          mix=45),
    patch("Reverse String Bounce", rev=1, pd=300, s=ms(300), e=ms(40), fb=length(2500), lp=lp(6000),
          hp=hp(200), dcv=curve(-10), ppW=40, mix=40),
    patch("Ring the Bell", pd=3, s=ms(3), e=ms(3), fb=length(80), tapCnt=24, dcv=curve(100), hp=hp(300),
          lp=lp(9000), **CHORUS, pitchCt=50, pitchFbk=30, pitchMix=50, mix=30, mout=-2),
    patch("Robot Pan Drum", **synced("1/16", 24, ppW=100, dcMode=1, dcSteps=8, **TREM, tremSync=1,
                                     tremR=synced_rate("1/16"), tremSh=2, tremD=80, **TAPE, tOd=1, tBoost=40,
                                     hp=hp(200), lp=lp(5000), mix=40)),
    patch("Seasick Bobbleheads", pd=150, s=ms(150), e=ms(150), fb=length(3000), **WAVE, lrs=rate(0.7), lfoDp=100,
          **TAPE, flutter=90, flutSpd=10, **CHORUS, pitchDp=60, pitchRt=pitch_rate(0.5), pitchMix=70, mix=45),
    patch("Skids", extras={"falloff": 0.35, "endFreq": 0.62}, omit=("io2x", "tapCnt", "mixByp", "sideOnly", "tOd"),
          pd=25, s=ms(25), e=ms(350), fb=length(2500), g=60, **TAPE, flutter=50, flutSpd=80, **CHORUS,
          pitchLB=-300, pitchMix=70, mix=40),
    patch("Slippery Cello", pd=250, s=ms(250), e=ms(250), fb=length(4000), **CHORUS, pitchLB=200, pitchDp=30,
          pitchRt=pitch_rate(4.5), pitchMix=70, lp=lp(3500), hp=hp(100), dcv=curve(20), mix=40),
]

BANKS = [
    ("Character", [("", CHARACTER)]),
    ("Sound Design", [("Buzzy & Distorted", BUZZY), ("Cosmic & Mass", COSMIC), ("Glitch & Chaos", GLITCH),
                      ("Long & Cosmic", LONG_COSMIC), ("Metallic & Resonant", METALLIC),
                      ("Pitch Chorus Extremes", PITCH), ("Short to Long", SHORT_TO_LONG)]),
    ("Traditional", [("", TRADITIONAL)]),
    ("Weird", [("", WEIRD)]),
]

# Cosmic & Mass is listed in this order in the bank (not sorted by name).
COSMIC_ORDER = ["Black Hole Bloom", "Collapsing Star", "Cosmic Undertow", "Dark Matter Trail", "Floaty Ripples",
                "Mass Well", "Interstellar Echo", "Neutron Star Ping", "Orbital Decay", "Spacetime Ripple"]


def rounded(x):
    return float(f"{x:.15f}")


def params_of(entry):
    if "normalised" in entry:
        return {k: rounded(entry["normalised"][k]) for k in KEY_ORDER}

    omit = set(entry.get("omit", []))
    out = {}
    for key in KEY_ORDER:
        if key == "dcFall" or key in omit:
            continue
        if key in PARAMS:
            out[key] = rounded(normalise(key, entry["raw"][key]))
        else:
            out[key] = rounded(entry["extras"][key])
    for key, value in entry["extras"].items():
        if key not in out and key not in EXTRA_DEFAULTS:
            out[key] = rounded(value)
    return out


def build():
    banks = []
    seen = {}
    for bank, categories in BANKS:
        patches = []
        for category, entries in categories:
            if category == "Cosmic & Mass":
                assert [e["name"] for e in entries] == COSMIC_ORDER
            for entry in entries:
                params = params_of(entry)
                key = json.dumps(params, sort_keys=True)
                if key in seen:
                    sys.exit(f"{entry['name']} is identical to {seen[key]}")
                seen[key] = entry["name"]
                for k, v in params.items():
                    if not 0.0 <= v <= 1.0:
                        sys.exit(f"{entry['name']}: {k} = {v} is outside 0..1")
                patches.append({"name": entry["name"], "bank": bank, "category": category, "params": params})
        banks.append({"bank": bank, "patches": patches})
    count = sum(len(b["patches"]) for b in banks)
    if count != 111:
        sys.exit(f"expected 111 patches, made {count}")
    return {"banks": banks}


def main():
    out = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else ROOT / "resources/factory.json"
    text = json.dumps(build(), indent=2, ensure_ascii=False) + "\n"
    out.write_text(text, encoding="utf-8")
    print(f"wrote {out} ({len(text.encode('utf-8'))} bytes)")


if __name__ == "__main__":
    main()
