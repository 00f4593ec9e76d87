#!/usr/bin/env python3
"""Writes the translations of tools/translations/<lang>.py into
src/resources/translations/tavimo_<lang>.ts.

Each language file holds T = {context: {source: translation}} and KEYS, the
names of keys as that language prints them in a menu ("Ctrl" -> "Strg"). A menu
caption "Open Subtitles\\tCtrl+S" may be given without its shortcut
("Open Subtitles"): the shortcut is appended with the language's key names.

Texts the sources do not use yet (PENDING) are written too, as lupdate keeps
them ("vanished"), so that they are translated as soon as the code uses them.
lupdate first brings the files up to date with the sources; the script then
refuses a language with a missing text, a placeholder lost or an accelerator
(&) more or less than the source has, and runs lupdate once more, so that the
files are exactly what `update_translations` makes of them.

    tools/translations/fill_ts.py [LANG ...]
"""
import importlib.util
import os
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
TS_DIR = os.path.join(ROOT, "src", "resources", "translations")
LANGUAGES = ["de", "fr", "es", "pl", "pt_BR", "ru", "it", "cs"]
# As in src/resources/translations/sources.cmake.
LUPDATE_OPTIONS = ["-locations", "none", "-tr-function-alias", "translate+=TrText", "-silent"]
LUPDATE = "/usr/lib/qt6/bin/lupdate"

# Texts other work is adding to the program, translated ahead of it.
PENDING = [
    ("Menu", "Deinterlace"),
    ("Menu", "Auto"),
    ("Menu", "On"),
    ("Menu", "Off"),
    ("Menu", "Synchronise Subtitles to Speech"),
    ("Menu", "Synchronise Subtitles to Speech\tY"),
    ("Menu", "(remembered)"),
    ("Notes", "Deinterlace: Auto"),
    ("Notes", "Deinterlace: On"),
    ("Notes", "Deinterlace: Off"),
    ("Notes", "Synchronising subtitles\u2026 %1%"),
    ("Notes", "Synchronisation cancelled"),
    ("Notes", "Could not match the subtitles to the speech"),
    ("Notes", "Subtitles synchronised: %1"),
    ("Notes", "(remembered)"),
    ("Notes", "in %1 parts"),
    ("Boxes", "Could not match the subtitles to the speech"),
]

PLACEHOLDER = re.compile(r"%(?:[1-9]|x)")
KEY_NAMES = ["Ctrl", "Shift", "DEL", "ENTER", "SPACE", "PgUp", "PgDn", "Backspace", "Esc"]


def load(language):
    module_spec = importlib.util.spec_from_file_location(language, os.path.join(HERE, language + ".py"))
    module = importlib.util.module_from_spec(module_spec)
    module_spec.loader.exec_module(module)
    return module.T, module.KEYS


def shortcut(keys, names):
    parts = keys.split("+")
    return "+".join(names.get(p, p) for p in parts)


def translate(table, names, context, source):
    texts = table.get(context, {})
    text = texts.get(source)
    if text is None and "\t" in source:
        text = texts.get(source.split("\t")[0])
    if text is None:
        return None
    if "\t" in source and "\t" not in text:
        text += "\t" + shortcut(source.split("\t", 1)[1], names)
    return text


def check(language, context, source, text):
    problems = []
    if sorted(PLACEHOLDER.findall(source)) != sorted(PLACEHOLDER.findall(text)):
        problems.append("placeholders differ")
    if source.replace("&&", "").count("&") != text.replace("&&", "").count("&"):
        problems.append("accelerator count differs")
    return [f"{language} {context} {source!r}: {p}" for p in problems]


def fill(language):
    table, names = load(language)
    path = os.path.join(TS_DIR, f"tavimo_{language}.ts")
    tree = ET.parse(path)
    root = tree.getroot()
    problems = []
    contexts = {c.find("name").text: c for c in root.findall("context")}
    present = set()
    for name, context in contexts.items():
        for message in context.findall("message"):
            source = message.find("source").text or ""
            present.add((name, source))
            element = message.find("translation")
            text = translate(table, names, name, source)
            if text is None:
                problems.append(f"{language} {name} {source!r}: not translated")
                continue
            problems += check(language, name, source, text)
            vanished = element.get("type") == "vanished"
            element.attrib.clear()
            if vanished:
                element.set("type", "vanished")
            element.text = text
    for name, source in PENDING:
        if (name, source) in present:
            continue
        text = translate(table, names, name, source)
        if text is None:
            problems.append(f"{language} {name} {source!r}: not translated")
            continue
        problems += check(language, name, source, text)
        context = contexts.get(name)
        if context is None:
            context = ET.SubElement(root, "context")
            ET.SubElement(context, "name").text = name
            contexts[name] = context
        message = ET.SubElement(context, "message")
        ET.SubElement(message, "source").text = source
        ET.SubElement(message, "translation", type="vanished").text = text
    if problems:
        sys.exit("\n".join(problems))
    root.set("language", language)
    tree.write(path, encoding="utf-8", xml_declaration=True)
    return path


def sources():
    found = []
    for folder, _, files in os.walk(os.path.join(ROOT, "src")):
        found += [os.path.join(folder, f) for f in files if f.endswith((".cpp", ".h"))]
    return sorted(found)


def lupdate(paths):
    subprocess.run([LUPDATE, *LUPDATE_OPTIONS, *sources(), "-I", os.path.join(ROOT, "src"),
                    "-ts", *paths], check=True)


def main():
    languages = sys.argv[1:] or LANGUAGES
    paths = [os.path.join(TS_DIR, f"tavimo_{language}.ts") for language in languages]
    lupdate(paths)  # the texts the sources have now
    for language in languages:
        fill(language)
    lupdate(paths)  # written as lupdate writes them


if __name__ == "__main__":
    main()
