#!/usr/bin/env python3
"""Per language, how many of the program's texts are translated (.ts, the
texts the sources use now) and how many of the desktop entry's and metainfo's
(.po). Texts kept for later ("vanished" in the .ts) are counted apart.

    tools/translations/tally.py
"""
import os
import re
import subprocess
import xml.etree.ElementTree as ET

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
TS_DIR = os.path.join(ROOT, "src", "resources", "translations")
PO_DIR = os.path.join(ROOT, "data", "po")


def ts_tally(path):
    done = total = kept = 0
    for message in ET.parse(path).getroot().iter("message"):
        translation = message.find("translation")
        kind = translation.get("type")
        if kind in ("vanished", "obsolete"):
            kept += 1
            continue
        total += 1
        if kind != "unfinished" and (translation.text or ""):
            done += 1
    return done, total, kept


def po_tally(path):
    out = subprocess.run(["msgfmt", "--statistics", "-o", "/dev/null", path],
                         capture_output=True, text=True).stderr
    done = int(re.search(r"(\d+) translated", out).group(1))
    rest = sum(int(n) for n in re.findall(r"(\d+) (?:fuzzy|untranslated)", out))
    return done, done + rest


def main():
    languages = open(os.path.join(PO_DIR, "LINGUAS")).read().split()
    print(f"{'language':9s} {'program':>16s} {'kept for later':>15s} {'desktop+metainfo':>17s}")
    for language in languages:
        done, total, kept = ts_tally(os.path.join(TS_DIR, f"tavimo_{language}.ts"))
        po_done, po_total = po_tally(os.path.join(PO_DIR, f"{language}.po"))
        print(f"{language:9s} {done:4d}/{total:<4d}{100 * done / total:5.1f} % {kept:15d}"
              f" {po_done:6d}/{po_total:<3d}{100 * po_done / po_total:5.1f} %")


if __name__ == "__main__":
    main()
