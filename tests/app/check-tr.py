#!/usr/bin/env python3
"""Fails when widget code shows a text to the user that does not go through tr().

Looks in src/gui and src/app for string literals handed straight to the calls
that put text on screen (labels, buttons, titles, tool tips, message boxes,
menus, accessible names). Literals inside tr(...) or QT_TR_NOOP(...) pass; so
do texts without letters, and lines marked with a trailing "// notr" comment
(file names, style sheet fragments and the like).
"""
import pathlib
import re
import sys

VISIBLE_CALLS = (
    "setText", "setWindowTitle", "setToolTip", "setStatusTip", "setWhatsThis",
    "setPlaceholderText", "setAccessibleName", "setAccessibleDescription", "setTitle",
    "addAction", "addMenu", "setLabelText", "setButtonText", "setHeaderLabels",
    "showMessage", "setSubTitle", "information", "warning", "critical", "question",
    "setItemText", "addItem", "addTab", "setTabText", "QLabel", "QPushButton",
    "QToolButton", "QCheckBox", "QRadioButton", "QGroupBox", "QAction", "QMenu",
)
CALL = re.compile(r"\b(" + "|".join(VISIBLE_CALLS) + r")\s*\(")
LITERAL = re.compile(r'(?:QStringLiteral|QLatin1String|QString::fromUtf8|QString)?\s*\(?\s*"((?:[^"\\]|\\.)*)"')
WRAPPED = re.compile(r"\b(tr|translate|QT_TR_NOOP|QT_TRANSLATE_NOOP|qtTrId)\s*\(")
# Calls whose text arguments are formats, keys or names, never shown as they are.
NOT_SHOWN = re.compile(r"\b(toString|fromString|arg|setObjectName|property|setProperty|value|"
                       r"contains|startsWith|endsWith|pixmap|QIcon|QUrl|QRegularExpression)\s*\(")


def arguments(text, start):
    """The text of the call's argument list that opens at `start`."""
    depth = 0
    for i in range(start, len(text)):
        if text[i] == "(":
            depth += 1
        elif text[i] == ")":
            depth -= 1
            if depth == 0:
                return text[start + 1:i]
    return text[start + 1:]


def unwrapped(args):
    """Literals in the arguments that are not inside a tr() call."""
    masked = args
    for call in list(WRAPPED.finditer(args)) + list(NOT_SHOWN.finditer(args)):
        inner = arguments(args, call.end() - 1)
        masked = masked.replace(inner, " " * len(inner), 1)
    return [m.group(1) for m in LITERAL.finditer(masked) if re.search(r"[A-Za-z]{2}", m.group(1))]


def main(root):
    problems = []
    for folder in ("src/gui", "src/app"):
        for path in sorted(pathlib.Path(root, folder).rglob("*.cpp")):
            lines = path.read_text(encoding="utf-8").splitlines()
            text = "\n".join(lines)
            for call in CALL.finditer(text):
                line_no = text.count("\n", 0, call.start()) + 1
                if lines[line_no - 1].rstrip().endswith("// notr"):
                    continue
                for literal in unwrapped(arguments(text, call.end() - 1)):
                    # Resource paths, object names and style sheet text are not shown.
                    if literal.startswith((":/", "qrc:", "#", "image:", "QWidget", "Q")) or \
                            re.fullmatch(r"[\w.\-/:%]+\.(png|svg|qss|ui|html|js)", literal):
                        continue
                    problems.append(f"{path.relative_to(root)}:{line_no}: {call.group(1)}(\"{literal}\")")
    for problem in problems:
        print(problem)
    print(f"{len(problems)} user-visible text(s) without tr()")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "."))
