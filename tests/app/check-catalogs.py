#!/usr/bin/env python3
"""Fails when a shipped catalog is incomplete or would show a broken text.

Every language catalog in translations/ (all but English, which holds only
plural forms) must translate each message that any of them holds, with every
placeholder of the source (%1..%99, %n) kept and every plural form filled.
"""
import pathlib
import re
import sys
import xml.etree.ElementTree as ET

PLACEHOLDER = re.compile(r"%(?:n|L?\d{1,2})")


def messages(path):
    found = {}
    for context in ET.parse(path).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            translation = message.find("translation")
            if translation.get("type") in ("obsolete", "vanished"):
                continue
            key = (name, message.findtext("source"), message.findtext("comment") or "")
            if message.get("numerus") == "yes":
                forms = [form.text or "" for form in translation.findall("numerusform")]
            else:
                forms = [translation.text or ""]
            found[key] = (forms, translation.get("type") == "unfinished")
    return found


def main(root):
    folder = pathlib.Path(root, "translations")
    catalogs = {path.stem.rsplit("_", 1)[1]: messages(path) for path in sorted(folder.glob("*.ts"))}
    problems = []
    every = set()
    for language, found in catalogs.items():
        if language != "en":
            every |= set(found)
    for language, found in catalogs.items():
        keys = set(found) if language == "en" else every
        for key in sorted(keys):
            context, source, _ = key
            where = f"{language} [{context}] {source!r}"
            if key not in found:
                problems.append(f"{where}: missing")
                continue
            forms, unfinished = found[key]
            if unfinished or any(not form for form in forms):
                problems.append(f"{where}: not translated")
                continue
            wanted = sorted(set(PLACEHOLDER.findall(source)))
            for form in forms:
                if sorted(set(PLACEHOLDER.findall(form))) != wanted:
                    problems.append(f"{where}: {form!r} does not keep the placeholders {wanted}")
    for problem in problems:
        print(problem)
    print(f"{len(problems)} catalog problem(s) in {', '.join(sorted(catalogs))}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "."))
