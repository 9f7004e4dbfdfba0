#!/usr/bin/env python3
# Fails when a user-visible text lacks a German translation, or a text that counts ("%n …")
# lacks a plural form in German or English (where only the English file gives "1 output" and
# "5 outputs"). Collects the texts into copies of the files as the update_translations target
# does, but keeps texts that left the sources, so a stale entry shows up as obsolete or vanished.
# Usage: check_translations.py LUPDATE GERMAN_TS ENGLISH_TS WORK_FOLDER SOURCE_FOLDER...
import os, shutil, subprocess, sys
import xml.etree.ElementTree as ElementTree

lupdate, german_ts, english_ts, work_folder, *sources = sys.argv[1:]
os.makedirs(work_folder, exist_ok=True)

def collected(ts_file):
    copy = shutil.copy(ts_file, work_folder)
    subprocess.run([lupdate, "-silent", "-tr-function-alias",
                    "QT_TRANSLATE_NOOP3+=TONVERA_TRANSLATE,QT_TRANSLATE_N_NOOP3+=TONVERA_TRANSLATE_N",
                    "-locations", "none", *sources, "-ts", copy], check=True)
    return ElementTree.parse(copy).getroot().iter("message")

def plural_gaps(language, messages):  # German and English both have "one" and "many"
    for message in (message for message in messages if message.get("numerus") == "yes"):
        forms = [form.text or "" for form in message.iter("numerusform")]
        if len(forms) != 2 or not all(form.strip() for form in forms):
            yield f"{language} plural forms {forms}: {message.findtext('source')}"

german = list(collected(german_ts))
problems = [f"{kind}: {message.findtext('source')} | {message.findtext('comment') or ''}"
            for message in german for kind in [message.find("translation").get("type")]
            if kind in ("unfinished", "obsolete", "vanished")]
problems += [*plural_gaps("German", german), *plural_gaps("English", collected(english_ts))]
print("\n".join(problems) or "every text has its German translation and plural forms")
if problems:
    sys.exit(f"{len(problems)} translations are missing or stale")
