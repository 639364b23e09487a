#!/usr/bin/env python3
"""The README and the pages under docs/ as a reader uses them: every link
leads to a file (and a heading) that exists, every shell block is valid
shell, the scripts and files its commands name exist, every option given to
kvxtest or ./run.sh is one the manual page names, and the commands that only
ask the program (--help, --version) run.

Arguments: the source folder, the program (or the script that runs it
through the emulator).
"""
import pathlib
import re
import subprocess
import sys
import unicodedata

quelle = pathlib.Path(sys.argv[1])
programm = sys.argv[2]
seiten = [quelle / "README.md"] + sorted((quelle / "docs").glob("*.md"))
handbuch = (quelle / "packaging" / "kvxtest.1").read_text(encoding="utf-8").replace("\\-", "-")
fehler = []


def anker(titel):
    """The anchor a heading gets on the project's web pages."""
    t = "".join(c for c in titel.strip().lower()
                if c in " -_" or unicodedata.category(c)[0] in "LN")
    return t.replace(" ", "-")


def anker_von(seite):
    text = seite.read_text(encoding="utf-8")
    return {anker(m.group(1)) for m in re.finditer(r"^#+ (.+)$", text, re.M)}


# Paths a command names inside the source folder: scripts, packaging, ...
PFAD = re.compile(r"(?:^|\s)(\./[\w.-]+\.sh|(?:scripts|packaging|docs|tools|tests)/[\w./-]+)")

for seite in seiten:
    name = seite.relative_to(quelle)
    text = seite.read_text(encoding="utf-8")

    for ziel in re.findall(r"\]\(([^)\s]+)\)", text):
        if re.match(r"[a-z]+:", ziel):
            continue
        datei, _, teil = ziel.partition("#")
        ort = (seite.parent / datei) if datei else seite
        if not ort.exists():
            fehler.append(f"{name}: Verweis auf {ziel}: die Datei gibt es nicht")
        elif teil and ort.suffix == ".md" and teil not in anker_von(ort):
            fehler.append(f"{name}: Verweis auf {ziel}: die Überschrift gibt es nicht")

    for block in re.findall(r"^```sh\n(.*?)^```", text, re.M | re.S):
        r = subprocess.run(["bash", "-n"], input=block, text=True, capture_output=True)
        if r.returncode != 0:
            fehler.append(f"{name}: kein gültiger Shell-Block:\n{block}{r.stderr}")
        for zeile in block.splitlines():
            befehl = zeile.split("#", 1)[0].strip()
            for pfad in PFAD.findall(befehl):
                if not (quelle / pfad).exists():
                    fehler.append(f"{name}: {befehl}: {pfad} gibt es nicht")
            worte = befehl.split()
            while worte and (worte[0] == "sudo" or "=" in worte[0]):
                worte.pop(0)
            if not worte or worte[0] not in ("kvxtest", "./run.sh"):
                continue
            optionen = [w for w in worte[1:] if w.startswith("--")]
            for o in optionen:
                if o not in handbuch:
                    fehler.append(f"{name}: {befehl}: die Handbuchseite kennt {o} nicht")
            # Only asking the program: run it as written, without the build.
            if optionen and all(o in ("--help", "--version") for o in optionen) and len(worte) == 2:
                r = subprocess.run(programm.split() + worte[1:], capture_output=True, text=True,
                                   env={"QT_QPA_PLATFORM": "offscreen", "PATH": "/usr/bin:/bin"})
                if r.returncode != 0 or not r.stdout:
                    fehler.append(f"{name}: {befehl}: Status {r.returncode}\n{r.stderr}")

for f in fehler:
    print(f)
print(f"{len(seiten)} Seiten, {len(fehler)} Fehler")
sys.exit(1 if fehler else 0)
