#!/usr/bin/env python3
"""Fails when a source file includes a header of a layer it may not use.

Every quoted #include under src/ is resolved to the layer (unit) that owns it; an edge
that is not listed in ALLOWED below is an upward or sideways dependency and is reported
with the file and line. Includes that name no file under src/ are reported too.
"""
import pathlib
import re
import sys

# Units from bottom to top, and what each may include besides itself. This list is the
# architecture: change it only together with docs/architecture.md.
ALLOWED = {
    "platform": set(),
    "config": {"platform"},
    "sequencer": {"platform"},
    "engine": {"sequencer", "platform"},
    "intake/rcp": set(),
    "intake": {"intake/rcp", "engine", "config", "platform"},
    "player": {"intake", "intake/rcp", "engine", "config", "platform"},
    "ui/common": {"player", "intake", "config", "platform"},
    "ui/info": {"ui/common", "player", "intake", "config", "platform"},
    "ui/options": {"ui/common", "player", "config", "platform"},
    "ui/main": {"ui/info", "ui/common", "player", "intake", "config", "platform"},
    "ui/tray": {"ui/info", "ui/common", "player", "intake", "config", "platform"},
    "ui/lyrics": {"ui/common", "player", "config", "platform"},
    "ui/channels": {"ui/common", "player", "config", "platform"},
    "ui/host": {"ui/main", "ui/tray", "ui/common", "player", "config", "platform"},
    "ui/mpris": {"player", "intake", "config", "platform"},
    "app": {
        "ui/host", "ui/mpris", "ui/main", "ui/tray", "ui/options", "ui/lyrics", "ui/channels",
        "ui/info",
        "ui/common", "player", "intake", "intake/rcp", "engine", "sequencer", "config", "platform",
    },
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def unit_of(relative):
    """The longest unit folder that holds `relative` (a path below src/)."""
    best = None
    for unit in ALLOWED:
        if relative == unit or relative.startswith(unit + "/"):
            if best is None or len(unit) > len(best):
                best = unit
    return best


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    src = root / "src"
    problems = []
    files = sorted(p for p in src.rglob("*") if p.suffix in (".h", ".cpp"))
    for path in files:
        relative = path.relative_to(src).as_posix()
        own = unit_of(relative)
        if own is None:
            problems.append(f"src/{relative}: lies in no layer folder")
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            target = match.group(1)
            if not (src / target).is_file():
                problems.append(f"src/{relative}:{number}: \"{target}\" is no file under src/")
                continue
            other = unit_of(target)
            if other != own and other not in ALLOWED[own]:
                problems.append(f"src/{relative}:{number}: {own} may not include {other} "
                                f"(\"{target}\")")
    for problem in problems:
        print(problem)
    print(f"check-layers: {len(files)} files, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
