#!/usr/bin/env python3
# Fails when a text a Linux desktop shows names something only a Mac has, or when the English or
# German texts leave the one term chosen for outputs (output, Ausgabe; not device or speaker),
# the sound server and accessibility. The English a Linux desktop shows is the override where
# tonvera_en.ts has one (its plural forms for counts), else the source text.
# Log-line texts (comment "Log: …") are exempt: the log keeps its own wording.
# Usage: check_linux_wording.py TONVERA_EN_TS TONVERA_DE_TS
import re, sys
import xml.etree.ElementTree as ElementTree

MAC_ONLY = [r"\bAirPlay\b", r"\bMacs?\b", r"\bmacOS\b", r"\bHomePod\b", r"\bSystem Settings\b",
            r"\bControl Cent(er|re)\b", r"(?i)\bmenu bar\b", r"(?i)\baccessibility (permission|settings)\b",
            r"\bSound menu\b", r"\bDock\b", r"\bFinder\b"]
ENGLISH = MAC_ONLY + [r"(?i)\b(devices?|speakers?)\b"]
GERMAN = MAC_ONLY[:4] + [r"Systemeinstellungen", r"Kontrollzentrum", r"Menüleiste",
                         # one term each: Ausgabe, Sound-Server, Barrierefreiheit
                         r"Ausg(a|ä)ng", r"(?i)\b(sound|ton)server", r"Bedienungshilfe",
                         r"Gerät", r"Lautsprecher"]

def shown(path):
    for message in ElementTree.parse(path).getroot().iter("message"):
        comment = message.findtext("comment") or ""
        if comment.startswith("Log"):
            continue
        translation = message.find("translation")
        forms = " | ".join(form.text or "" for form in translation.iter("numerusform"))
        text = forms or translation.text
        overridden = translation.get("type") is None and text
        yield message.findtext("source"), comment, text if overridden else None

problems = []
english, german = sys.argv[1:3]
for source, comment, override in shown(english):
    text = override or source
    problems += [f"English: {text!r} ({comment or 'label'}) names {pattern}"
                 for pattern in ENGLISH if re.search(pattern, text)]
for source, comment, translation in shown(german):
    problems += [f"German: {translation!r} ({source!r}) uses {pattern}"
                 for pattern in GERMAN if translation and re.search(pattern, translation)]
print("\n".join(problems) or "the Linux English and German texts name nothing Mac-only")
sys.exit(1 if problems else 0)
