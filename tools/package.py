#!/usr/bin/env python3
"""Packs the release zip: LumbraPanel.exe, README.ja.md, README.md and LICENSE.

The archive is reproducible: fixed entry order, fixed timestamps and permissions, no extra
fields, so the same inputs give the same bytes.
"""
import argparse
import pathlib
import sys
import zipfile

FIXED_TIME = (1980, 1, 1, 0, 0, 0)


def pack(output: pathlib.Path, files: list[tuple[str, pathlib.Path]]) -> None:
    output.parent.mkdir(parents=True, exist_ok=True)
    tmp = output.with_suffix(".tmp")
    with zipfile.ZipFile(tmp, "w", compression=zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        for name, path in files:
            info = zipfile.ZipInfo(name, date_time=FIXED_TIME)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0  # MS-DOS: no Unix owner or mode bits
            info.external_attr = 0x20  # archive attribute only
            z.writestr(info, path.read_bytes(), compresslevel=9)
    tmp.replace(output)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--exe", required=True, type=pathlib.Path)
    parser.add_argument("--source", required=True, type=pathlib.Path)
    parser.add_argument("--output", required=True, type=pathlib.Path)
    args = parser.parse_args()
    prefix = args.output.stem + "/"
    files = [
        (prefix + "LumbraPanel.exe", args.exe),
        (prefix + "README.ja.md", args.source / "README.ja.md"),
        (prefix + "README.md", args.source / "README.md"),
        (prefix + "LICENSE", args.source / "LICENSE"),
    ]
    missing = [str(p) for _, p in files if not p.is_file()]
    if missing:
        print("package: missing " + ", ".join(missing), file=sys.stderr)
        return 1
    pack(args.output, files)
    print(args.output)
    return 0


if __name__ == "__main__":
    sys.exit(main())
