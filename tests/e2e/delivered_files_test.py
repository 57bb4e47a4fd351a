#!/usr/bin/env python3
"""The delivered program files start as the builder ("MZP") and hold no upper-case
section marker anywhere, so the program never takes its own bytes for a section."""
import sys

failures = []
for path in sys.argv[1:]:
    with open(path, "rb") as f:
        data = f.read()
    if not data.startswith(b"MZP"):
        failures.append(f"{path}: starts with {data[:3]!r}")
    for marker in (b"SO!#", b"EO!#"):
        at = data.find(marker)
        if at >= 0:
            failures.append(f"{path}: holds {marker!r} at {at}")
print("\n".join(failures) or f"checked {len(sys.argv) - 1} files")
sys.exit(1 if failures else 0)
