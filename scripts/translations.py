#!/usr/bin/env python3
"""Keeps translations/*.ts in step with the sources and checks them.

  translations.py update <lupdate> <source dir>   rewrites the .ts files from the sources
  translations.py check  <lupdate> <source dir>   fails on any text without a finished
                                                  translation, and on .ts files the sources
                                                  have moved away from

English translates every text; French is the source language, so its file holds only the
plural forms (texts with %n).
"""
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path

FILES = {  # file name -> extra lupdate options
    "kelvane_en.ts": ["-source-language", "fr_FR", "-target-language", "en_US"],
    "kelvane_fr.ts": ["-source-language", "fr_FR", "-target-language", "fr_FR", "-pluralonly"],
}


def run_lupdate(lupdate, root, ts, extra):
    cmd = [lupdate, "-silent", "-no-obsolete", "-locations", "none", "-I", str(root / "src"),
           str(root / "src"), "-ts", str(ts)] + extra
    result = subprocess.run(cmd, capture_output=True, text=True)
    # lupdate reports texts it cannot place (tr() outside a class it knows) on stderr: each
    # would end up in the wrong context and never be translated.
    problems = [l for l in (result.stdout + result.stderr).splitlines() if l.strip()]
    if result.returncode != 0 or problems:
        raise SystemExit("lupdate failed:\n" + "\n".join(problems))


def messages(ts):
    """(context, source, comment) -> (translation type, [forms], numerus)."""
    out = {}
    for context in ET.parse(ts).getroot().iter("context"):
        name = context.findtext("name")
        for m in context.iter("message"):
            key = (name, m.findtext("source"), m.findtext("comment") or "")
            t = m.find("translation")
            forms = [f.text or "" for f in t.iter("numerusform")] or [t.text or ""]
            out[key] = (t.get("type"), forms, m.get("numerus") == "yes")
    return out


PLACEHOLDER = re.compile(r"%(?:L?[1-9][0-9]?|n)")


def problems_of(name, found):
    problems = []
    for (context, source, _), (kind, forms, numerus) in sorted(found.items()):
        where = f"{name}: {context}: {source!r}"
        if kind is not None:
            problems.append(f"{where}: {kind}")
            continue
        if any(not f for f in forms):
            problems.append(f"{where}: empty translation")
            continue
        wanted = sorted(set(PLACEHOLDER.findall(source)))
        for f in forms:
            # A plural form may leave out %n ("one song" for 1); every other placeholder
            # must be there, or a value vanishes from the text.
            have = sorted(set(PLACEHOLDER.findall(f)))
            need = [p for p in wanted if not (numerus and p == "%n")]
            if [p for p in need if p not in have] or [p for p in have if p not in wanted]:
                problems.append(f"{where}: placeholders {have} in {f!r}, source has {wanted}")
    return problems


def main():
    if len(sys.argv) != 4 or sys.argv[1] not in ("update", "check"):
        raise SystemExit(__doc__)
    mode, lupdate, root = sys.argv[1], sys.argv[2], Path(sys.argv[3])
    problems = []
    with tempfile.TemporaryDirectory() as tmp:
        for name, extra in FILES.items():
            committed = root / "translations" / name
            fresh = Path(tmp) / name
            shutil.copy(committed, fresh)
            run_lupdate(lupdate, root, fresh, extra)
            if mode == "update":
                shutil.copy(fresh, committed)
                continue
            before, after = messages(committed), messages(fresh)
            for key in sorted(set(after) - set(before)):
                problems.append(f"{name}: {key[0]}: {key[1]!r}: new text, not in the .ts")
            for key in sorted(set(before) - set(after)):
                problems.append(f"{name}: {key[0]}: {key[1]!r}: no longer in the sources")
            problems += problems_of(name, after)
    if mode == "update":
        print("translations/*.ts updated; translate the unfinished entries")
        return
    if problems:
        print("\n".join(problems))
        print(f"{len(problems)} translation problem(s); run "
              "`cmake --build build --target update-translations` and translate.")
        sys.exit(1)
    print("translations complete")


if __name__ == "__main__":
    main()
