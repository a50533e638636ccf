# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT

"""Checks that every hand-made fault in tests/mutants still fits the code it faults.

A fault whose text no longer stands in its file is never applied, and one that no longer
compiles fails every test: either way the mutation tool would count it for the wrong reason.
So each is applied to a scratch copy of src/, and this fails, naming it, when one of its
snippets does not occur exactly once in its file, or when the faulted file no longer compiles.
The file is compiled for syntax only, with the command the build gives it
(compile_commands.json); a file the build leaves out here (the Windows half of a pair) borrows
the command of one beside it, and is only compiled when it compiles unfaulted that way.

Usage: mutant_check.py SOURCE_DIR BUILD_DIR"""

import json
import os
import shlex
import shutil
import subprocess
import sys
import tempfile
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

SOURCE, BUILD = Path(sys.argv[1]).resolve(), Path(sys.argv[2]).resolve()


def mutants():
    """(id, file, [(old lines, new lines)]) for each block of each tests/mutants/*.txt."""
    found = []
    for listing in sorted((SOURCE / "tests" / "mutants").glob("*.txt")):
        for line in listing.read_text(encoding="utf-8").splitlines():
            if line.startswith("## "):
                found.append({"id": line[3:].split()[0], "file": None, "edits": []})
            elif not found:
                continue
            elif line.startswith("file:"):
                found[-1]["file"] = line[5:].strip()
            elif line.startswith(("-", "+")):
                text = line[2:] if line[1:2] == " " else ""
                edits = found[-1]["edits"]
                if line[0] == "-" and (not edits or edits[-1][1]):
                    edits.append(([], []))
                edits[-1][line[0] == "+"].append(text)
    return found


def compile_commands():
    entries = json.loads((BUILD / "compile_commands.json").read_text())
    return {Path(e["file"]).resolve(): (e["directory"], shlex.split(e["command"]))
            for e in entries}


def command_for(path, commands):
    """The build's command for `path`, as (folder, arguments, borrowed)."""
    if path in commands:
        folder, arguments = commands[path]
        return folder, arguments, False
    for other, (folder, arguments) in commands.items():
        if other.parent == path.parent:
            return folder, [str(path) if a == str(other) else a for a in arguments], True
    return None


def syntax_check(arguments, folder, tree):
    """Compiles for syntax only, with the sources read from `tree` instead of SOURCE."""
    checked, skip = [], False
    for argument in arguments:
        if skip:
            skip = False
        elif argument in ("-o", "-MF", "-MT"):
            skip = True
        elif argument not in ("-c", "-MD"):
            checked.append(argument.replace(str(SOURCE / "src"), str(tree / "src")))
    run = subprocess.run(checked + ["-fsyntax-only"], cwd=folder, capture_output=True, text=True)
    return run.returncode == 0, run.stderr


def check(mutant, commands, scratch):
    """What is wrong with `mutant`, or None."""
    if not mutant["file"] or not mutant["edits"]:
        return "names no file or makes no change"
    path = (SOURCE / mutant["file"]).resolve()
    if not path.is_file():
        return f"its file {mutant['file']} is gone"
    text = path.read_text(encoding="utf-8")
    for old, new in mutant["edits"]:
        snippet = "\n".join(old)
        if text.count(snippet) != 1:
            return f"found {text.count(snippet)} times: {old[0].strip()!r}"
        text = text.replace(snippet, "\n".join(new))
    command = command_for(path, commands)
    if command is None or not path.suffix == ".cpp":
        return None
    folder, arguments, borrowed = command
    tree = Path(tempfile.mkdtemp(dir=scratch))
    shutil.copytree(SOURCE / "src", tree / "src")
    if borrowed and not syntax_check(arguments, folder, tree)[0]:
        return None  # not compilable here at all
    (tree / mutant["file"]).write_text(text, encoding="utf-8")
    compiles, errors = syntax_check(arguments, folder, tree)
    return None if compiles else "no longer compiles:\n" + errors[-1500:]


def main():
    commands = compile_commands()
    listed = mutants()
    with tempfile.TemporaryDirectory() as scratch, \
            ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
        problems = list(pool.map(lambda m: check(m, commands, Path(scratch)), listed))
    failed = [(m["id"], p) for m, p in zip(listed, problems) if p]
    seen = [m["id"] for m in listed]
    failed += [(i, "the same name is given twice") for i in sorted(set(seen)) if seen.count(i) > 1]
    for name, problem in failed:
        print(f"{name}: {problem}")
    print(f"{len(listed)} mutants, {len(failed)} that no longer fit")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
