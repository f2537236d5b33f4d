#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora (tests/fuzz/corpus/<target>) from
real files: the plug-in states and preset files of tests/plugin/legacy (saved
by the plug-in), patches of the factory bank in the user preset format,
settings and favourites files in the form the plug-in writes, the texts the
sliders show, and twist-render command lines from the README. Run it after
scripts/write-legacy-fixtures.sh; the corpora are kept in the repository."""
import json
import pathlib
import struct

root = pathlib.Path(__file__).resolve().parent.parent
corpus = root / "tests" / "fuzz" / "corpus"
legacy = root / "tests" / "plugin" / "legacy"


def write(target, name, data):
    folder = corpus / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data if isinstance(data, bytes) else data.encode("utf-8"))


def crlf(text):
    return text.replace("\r\n", "\n").replace("\n", "\r\n")


# State blobs: as the host hands them back (first byte even) and as the XML
# inside them (first byte odd).
for state in sorted((legacy / "states").glob("*.state")):
    blob = state.read_bytes()
    magic, length = struct.unpack_from("<II", blob)
    assert magic == 0x21324356
    write("state_blob", "blob-" + state.stem, b"\x00" + blob)
    write("state_blob", "xml-" + state.stem, b"\x01" + blob[8 : 8 + length].rstrip(b"\x00"))

# Preset files: the plug-in's own, and factory patches in the same format.
for preset in sorted((legacy / "presets").rglob("*.json")):
    write("preset_file", "saved-" + preset.stem.replace(" ", "-"), preset.read_bytes())
bank = json.loads((root / "resources" / "factory.json").read_text(encoding="utf-8"))
wanted = {"INIT PATCH", "Skids", "Black Hole Bloom", "Ping Pong Eighths", "Bouncy Ball", "Alien Chorus"}
for b in bank["banks"]:
    for p in b["patches"]:
        if p["name"] in wanted:
            text = crlf(json.dumps({"name": p["name"], "params": p["params"]}, indent=2))
            write("preset_file", "factory-" + p["name"].replace(" ", "-"), text)

# settings.json in the form the plug-in writes it, and the odd ones it must survive.
settings = {
    "both": {"presetFolder": "/tmp/Twist Presets", "defaultPatchId": "Weird/Skids"},
    "default-only": {"defaultPatchId": "Traditional/INIT PATCH"},
    "folder-only": {"presetFolder": "/nonexistent/folder"},
    "other-keys": {"windowScale": 1.5, "recent": ["a", "b"], "defaultPatchId": "Live/Guitar/Slapback"},
    "empty-id": {"defaultPatchId": ""},
}
for name, obj in settings.items():
    write("settings_file", name, crlf(json.dumps(obj, indent=2)))
write("settings_file", "array", "[1, 2, 3]")
write("settings_file", "empty", "")

# favorites.txt: ids joined with CR LF, and the blank lines and duplicates it may hold.
write("favorites_file", "two", "Traditional/INIT PATCH\r\nWeird/Skids")
write("favorites_file", "blanks-and-duplicates",
      "Weird/Bouncy Ball\n\n\nWeird/Bouncy Ball\r\nSound Design/Cosmic & Mass/Black Hole Bloom\r")
write("favorites_file", "user-ids", "Live/Guitar/Slapback\r\nSlapback\r\nTraditional/INIT PATCH")

# Slider texts: kind, modes (bit 0 sync, bit 1 phase, bit 2 tempo known, bits 3-4 scale), text.
texts = {
    0: ["250 ms", "1.5 s", "2000"], 1: ["2500.00 Hz", "20 hz"], 2: ["35%", "12 %"], 3: ["42%"],
    4: ["16", "64"], 5: ["0.50"], 6: ["1.50 s", "780 ms", "14 s"], 7: ["1000 ms", "1/4", "2.00 s"],
    8: ["1.2 Hz", "4b", "1/128"], 9: ["-70", "+140", "120"], 10: ["-350.0c", "12 ct"],
    11: ["0.25 Hz", "8.00 Hz"], 12: ["3.0 dB", "6 db"], 13: ["MONO", "WIDEST", "+50", "mono"],
}
for kind, ts in texts.items():
    for i, t in enumerate(ts):
        for modes in (0, 5):
            write("slider_text", f"kind{kind}-{i}-modes{modes}", bytes([kind, modes]) + t.encode("utf-8"))
write("slider_text", "phase-beat", bytes([9, 7]) + b"1/8")

# Parameter texts from a host: parameter index, switches and tempo (bits 0-5
# tap sync, 4X, pitch 2x, pitch sync, wave sync, tremolo sync; bit 6 90 BPM), text.
parameter_texts = [
    (1, 0, "30 ms"), (1, 1, "1/8"), (1, 2, "120 ms"), (3, 0, "2.41 s"), (4, 0, "1.50 s"), (6, 0, "On"),
    (11, 0, "16"), (12, 0, "-70"), (14, 0, "Wavey"), (15, 0, "4 steps"), (16, 0, "OFF"), (17, 0, "200 Hz"),
    (17, 0, "1.2 kHz"), (18, 0, "6.0 kHz"), (19, 0, "80%"), (21, 0, "-\u221e dB"), (21, 0, "+3.0 dB"),
    (22, 0, "MONO"), (28, 0, "BYP"), (29, 0, "-6.0 dB"), (30, 0, "12.0 kHz"), (40, 4, "20.0c"),
    (41, 8, "1/128"), (41, 4, "16.00 Hz"), (43, 0, "Saw Up"), (51, 16, "1/4"), (51, 64, "1/4"),
    (53, 0, "Flat"), (54, 16, "1/8"), (60, 32, "1/2 off"), (62, 0, "Smooth Random"), (0, 0, "+25%"),
]
for i, (index, switches, t) in enumerate(parameter_texts):
    write("parameter_text", f"param{index}-{i}-switches{switches}", bytes([index, switches]) + t.encode("utf-8"))

# twist-render command lines (arguments separated by zero bytes).
lines = [
    ["--preset", "Traditional/Rockabilly Slap", "vocal.wav", "vocal-slap.wav"],
    ["--set", "g=-60", "--set", "tapCnt=24", "--set", "mix=50", "--tail", "6", "drums.flac", "drums-twisted.flac"],
    ["--preset", "Traditional/Ping Pong Eighths", "--bpm", "93", "--ppq-start", "4", "loop.aiff", "loop-93.aiff"],
    ["--state", "my-song.state", "--seed", "3", "--format", "wav", "--bits", "32", "guitar.flac", "guitar.wav"],
    ["--preset", "Weird/Bouncy Ball", "--set", "rev=1", "--taps", "--taps-json", "taps.json"],
    ["--preset", "Weird/Bouncy Bal", "--taps"],
    ["--set", "wo=on", "--block", "64", "--tail", "auto", "--quiet", "out.wav"],
    ["--list-presets", "--json"],
]
for i, args in enumerate(lines):
    write("render_command_line", f"readme-{i}", "\0".join(args))
print("wrote", corpus)
