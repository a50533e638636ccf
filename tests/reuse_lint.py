# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT

"""Checks with reuse that every file of the sources says under which licence it stands.

It lints a copy of the sources alone: what .gitignore names (the build folders, and the
Debian systems that tools/on-debian.sh makes) is left out whether or not git is at hand to
tell reuse so. A reuse older than REUSE.toml (Debian 12 has 1.1) is given the same
annotations in its own .reuse/dep5 form."""

import fnmatch
import re
import shutil
import subprocess
import sys
import tempfile
import tomllib
from pathlib import Path

SOURCE = Path(sys.argv[1])


def ignored_by_git(source):
    patterns = [line.strip() for line in (source / ".gitignore").read_text().splitlines()
                if line.strip() and not line.startswith("#")]
    patterns.append("/.git/")

    def ignore(folder, names):
        top = Path(folder) == source
        return {name for name in names for pattern in patterns
                if (top or not pattern.startswith("/"))
                and fnmatch.fnmatch(name, pattern.strip("/"))}
    return ignore


def dep5_from(reuse_toml):
    lines = ["Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"]
    for annotation in reuse_toml["annotations"]:
        paths = annotation["path"]
        paths = [paths] if isinstance(paths, str) else paths
        lines += ["", "Files: " + " ".join(p.replace("**", "*") for p in paths),
                  "Copyright: " + annotation["SPDX-FileCopyrightText"],
                  "License: " + annotation["SPDX-License-Identifier"]]
    return "\n".join(lines) + "\n"


def main():
    reuse = shutil.which("reuse")
    version = subprocess.run([reuse, "--version"], check=True, capture_output=True,
                             text=True).stdout
    major = int(re.search(r"(\d+)\.", version).group(1))
    with tempfile.TemporaryDirectory(prefix="telvaronix-reuse-") as scratch:
        copy = Path(scratch) / "sources"
        shutil.copytree(SOURCE, copy, symlinks=True, ignore=ignored_by_git(SOURCE))
        if major < 3:
            reuse_toml = copy / "REUSE.toml"
            (copy / ".reuse").mkdir(exist_ok=True)
            (copy / ".reuse/dep5").write_text(dep5_from(tomllib.loads(reuse_toml.read_text())))
            reuse_toml.unlink()
        return subprocess.run([reuse, "--root", str(copy), "lint"]).returncode


if __name__ == "__main__":
    sys.exit(main())
