#!/usr/bin/env python3
"""make_zip.py - a zip archive that depends on nothing but the files' content.

    make_zip.py OUTPUT.zip BASE_DIR EPOCH PATH...

Stores each PATH (relative to BASE_DIR; a folder adds everything below it) in
sorted order, with forward slashes, a folder entry before its content, every
entry stamped with EPOCH (seconds since 1970, UTC), permissions 0644 for files
and 0755 for folders, no owner or extra fields, deflated at level 9. Two runs
over the same content give the same bytes, whoever runs them and whenever.
"""
import os
import sys
import time
import zipfile


def entries(base, paths):
    found = set()
    for path in paths:
        full = os.path.join(base, path)
        if not os.path.exists(full):
            sys.exit(f"make_zip: {full} does not exist")
        parts = path.strip("/").split("/")
        for i in range(1, len(parts)):
            found.add("/".join(parts[:i]) + "/")
        if os.path.isdir(full):
            found.add(path.strip("/") + "/")
            for folder, dirs, files in os.walk(full):
                rel = os.path.relpath(folder, base).replace(os.sep, "/")
                for d in dirs:
                    found.add(f"{rel}/{d}/")
                for f in files:
                    found.add(f"{rel}/{f}")
        else:
            found.add(path.strip("/"))
    return sorted(found)


def main():
    if len(sys.argv) < 5:
        sys.exit(__doc__)
    output, base, epoch = sys.argv[1], sys.argv[2], int(sys.argv[3])
    stamp = time.gmtime(max(epoch, 315532800))[:6]  # the zip format starts in 1980
    with zipfile.ZipFile(output + ".part", "w") as archive:
        for name in entries(base, sys.argv[4:]):
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.create_system = 3  # Unix, so that the permissions below count
            if name.endswith("/"):
                info.external_attr = (0o040755 << 16) | 0x10
                archive.writestr(info, b"")
            else:
                info.external_attr = 0o100644 << 16
                info.compress_type = zipfile.ZIP_DEFLATED
                with open(os.path.join(base, name), "rb") as source:
                    archive.writestr(info, source.read(), compresslevel=9)
    os.replace(output + ".part", output)


if __name__ == "__main__":
    main()
