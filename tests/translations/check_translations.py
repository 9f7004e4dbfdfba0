#!/usr/bin/env python3
"""Fails when a user-visible text lacks a German translation.

Collects the texts from the sources into a copy of the German file, with the options the build's
update_translations target uses, except that texts which left the sources are kept: they show
up as obsolete or vanished, so a stale entry in the committed file fails as well.

Usage: check_translations.py LUPDATE TS_FILE WORK_FOLDER SOURCE_FOLDER...
"""
import os
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

lupdate, ts_file, work_folder, *sources = sys.argv[1:]
os.makedirs(work_folder, exist_ok=True)
copy = os.path.join(work_folder, os.path.basename(ts_file))
shutil.copyfile(ts_file, copy)
subprocess.run([lupdate, "-silent", "-tr-function-alias", "QT_TRANSLATE_NOOP3+=TONVERA_TRANSLATE",
                "-locations", "none", *sources, "-ts", copy], check=True)

problems = []
for message in ElementTree.parse(copy).getroot().iter("message"):
    translation = message.find("translation")
    kind = translation.get("type") if translation is not None else "unfinished"
    if kind in ("unfinished", "obsolete", "vanished"):
        comment = message.findtext("comment") or ""
        problems.append(f"{kind}: {message.findtext('source')} | {comment}")

for problem in problems:
    print(problem)
if problems:
    print(f"{len(problems)} German translations are missing or stale in {ts_file}")
    sys.exit(1)
print(f"every text has its German translation ({copy})")
