#!/usr/bin/env python3
# Fails when a user-visible text lacks a German translation. Collects the texts into a copy of
# the German file as the update_translations target does, but keeps texts that left the sources,
# so a stale entry shows up as obsolete or vanished.
# Usage: check_translations.py LUPDATE TS_FILE WORK_FOLDER SOURCE_FOLDER...
import os, shutil, subprocess, sys
import xml.etree.ElementTree as ElementTree

lupdate, ts_file, work_folder, *sources = sys.argv[1:]
os.makedirs(work_folder, exist_ok=True)
copy = shutil.copy(ts_file, work_folder)
subprocess.run([lupdate, "-silent", "-tr-function-alias", "QT_TRANSLATE_NOOP3+=TONVERA_TRANSLATE",
                "-locations", "none", *sources, "-ts", copy], check=True)
problems = [f"{translation.get('type')}: {message.findtext('source')} | "
            f"{message.findtext('comment') or ''}"
            for message in ElementTree.parse(copy).getroot().iter("message")
            for translation in message.iter("translation")
            if translation.get("type") in ("unfinished", "obsolete", "vanished")]
print("\n".join(problems) or f"every text has its German translation ({copy})")
if problems:
    sys.exit(f"{len(problems)} German translations are missing or stale in {ts_file}")
