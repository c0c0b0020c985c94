#!/usr/bin/env python3
"""Every step of every trapped procedure carries its own number, and the
numbers stay what the error reports have always named.

Lists each procedure's step numbers as written in src/ (module, procedure,
then the numbers in the order they are written) and compares the list with
step_numbers.txt beside this script. A step whose number changes changes what
a player reads in an error report and what the error log has kept: if that is
meant, write the list anew with --write and say why in the commit.

Usage: step_numbers.py SRC_FOLDER [--write]
"""
import pathlib
import re
import sys

GOLDEN = pathlib.Path(__file__).with_name("step_numbers.txt")
# A procedure's name is a literal, or the name of the variable that holds it.
PROCEDURE = re.compile(r'\b(?:trapped\(\s*"([^"]*)"\s*,\s*"?([\w.:>-]*)"?|(ignoringErrors)\()')
STEP = re.compile(r'\bstep\(')


def first_argument(text, start):
    """The text of the call's first argument, from just after its '('."""
    depth = 0
    for i in range(start, len(text)):
        c = text[i]
        if c in "([{":
            depth += 1
        elif c in ")]}":
            if depth == 0:
                return text[start:i]
            depth -= 1
        elif c == "," and depth == 0:
            return text[start:i]
    return text[start:]


def without_comments(text):
    text = re.sub(r"/\*.*?\*/", lambda m: " " * len(m.group()), text, flags=re.S)
    return re.sub(r"//[^\n]*", lambda m: " " * len(m.group()), text)


def scan(src):
    procedures, faults = [], []
    for path in sorted(pathlib.Path(src).rglob("*")):
        if path.suffix not in (".cpp", ".h") or path.name in ("Trap.h", "Trap.cpp"):
            continue
        text = without_comments(path.read_text(encoding="utf-8"))
        marks = [(m.start(), "procedure", m) for m in PROCEDURE.finditer(text)]
        marks += [(m.start(), "step", m) for m in STEP.finditer(text)]
        current = None
        for _, kind, m in sorted(marks, key=lambda mark: mark[0]):
            if kind == "procedure":
                name = "(errors ignored)" if m.group(3) else f"{m.group(1)} {m.group(2)}"
                current = [name, []]
                procedures.append(current)
                continue
            line = text.count("\n", 0, m.start()) + 1
            argument = " ".join(first_argument(text, m.end()).split())
            if current is None:
                faults.append(f"{path}:{line}: a step outside a trapped procedure")
            elif argument.startswith("["):
                faults.append(f"{path}:{line}: a step of {current[0]} without its own number")
            else:
                current[1].append(argument)
    lines = sorted(f"{name}: {' '.join(numbers)}" for name, numbers in procedures if name != "(errors ignored)")
    return lines, faults


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    lines, faults = scan(sys.argv[1])
    for fault in faults:
        print(fault)
    if "--write" in sys.argv[2:]:
        GOLDEN.write_text("".join(line + "\n" for line in lines), encoding="utf-8")
        return 1 if faults else 0
    golden = GOLDEN.read_text(encoding="utf-8").splitlines()
    if lines != golden:
        for line in sorted(set(golden) - set(lines)):
            print(f"step_numbers: was  {line}")
        for line in sorted(set(lines) - set(golden)):
            print(f"step_numbers: now  {line}")
        return 1
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
