#!/usr/bin/env python3
"""Packs the downloads into one folder: the Windows zip, the Linux tarball, the browser board's
zip and SHA256SUMS.

    tools/dist.py --cache BUILD/CMakeCache.txt --linux ENGINE --windows ENGINE.exe
                  [--web SITE_FOLDER] [--out dist]

The version comes from the CMake cache (project(Gravik VERSION ...)). Every archive is the same
bytes for the same commit: each entry carries the commit time, owner 0, fixed permissions and a
name in sorted order; text files get fixed line ends. SOURCE_DATE_EPOCH, when set, replaces the
commit time. It stops if the README shipped in the tarball understates the glibc the Linux engine
needs.
"""
import argparse
import gzip
import hashlib
import io
import os
import re
import subprocess
import sys
import tarfile
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def project_version(cache_path):
    with open(cache_path, encoding="utf-8") as cache:
        for line in cache:
            found = re.match(r"CMAKE_PROJECT_VERSION:STATIC=(\S+)$", line.strip())
            if found:
                return found.group(1)
    sys.exit(f"dist: no CMAKE_PROJECT_VERSION in {cache_path}")


def commit_time():
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    out = subprocess.run(["git", "-C", ROOT, "log", "-1", "--format=%ct"], check=True,
                         capture_output=True, text=True).stdout
    return int(out.strip())


def glibc_needed(engine):
    """The newest glibc symbol version the engine links to: the oldest glibc it runs on."""
    symbols = subprocess.run(["objdump", "-T", engine], check=True, capture_output=True,
                             text=True).stdout
    found = {tuple(int(n) for n in v.split("."))
             for v in re.findall(r"\bGLIBC_([0-9]+(?:\.[0-9]+)+)\b", symbols)}
    return max(found) if found else None


def check_glibc_claim(engine, readme):
    """The README in the tarball says which glibc the engine needs; that must stay true."""
    need = glibc_needed(engine)
    if need is None:
        sys.exit(f"dist: found no glibc symbol versions in {engine}")
    need_text = ".".join(map(str, need))
    with open(readme, encoding="utf-8") as f:
        said = re.search(r"glibc ([0-9]+(?:\.[0-9]+)+) or newer", f.read())
    if said is None:
        sys.exit(f"dist: README.md should say the Linux engine needs glibc {need_text} or newer")
    if tuple(int(n) for n in said.group(1).split(".")) < need:
        sys.exit(f"dist: the Linux engine needs glibc {need_text}, README.md says "
                 f"{said.group(1)} or newer")
    print(f"dist: the Linux engine needs glibc {need_text} (README.md: {said.group(1)} or newer)")


def text(path, crlf, version=None):
    """A text file with LF line ends (CR LF for Windows), whatever the checkout gave it."""
    with open(path, encoding="utf-8") as f:
        body = f.read().replace("\r\n", "\n")
    if version is not None:
        body = body.replace("@VERSION@", version)
    return (body.replace("\n", "\r\n") if crlf else body).encode("utf-8")


def binary(path):
    with open(path, "rb") as f:
        return f.read()


def write_zip(path, entries, epoch):
    """entries: (name, bytes, mode); a name ending in '/' is a folder."""
    stamp = time.gmtime(epoch)[:6]
    with zipfile.ZipFile(path, "w") as archive:
        for name, data, mode in sorted(entries):
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.create_system = 3  # Unix, so the permissions below are read
            if name.endswith("/"):
                info.external_attr = (0o040000 | mode) << 16 | 0x10
                info.compress_type = zipfile.ZIP_STORED
            else:
                info.external_attr = (0o100000 | mode) << 16
                info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, data, compresslevel=9)


def write_tar_gz(path, entries, epoch):
    raw = io.BytesIO()
    with tarfile.open(fileobj=raw, mode="w", format=tarfile.USTAR_FORMAT) as archive:
        for name, data, mode in sorted(entries):
            info = tarfile.TarInfo(name.rstrip("/"))
            info.mtime, info.mode = epoch, mode
            info.uid = info.gid = 0
            info.uname = info.gname = "root"
            if name.endswith("/"):
                info.type = tarfile.DIRTYPE
                archive.addfile(info)
            else:
                info.size = len(data)
                archive.addfile(info, io.BytesIO(data))
    with open(path, "wb") as out:
        # No file name in the gzip header; its time is the commit's too.
        with gzip.GzipFile(filename="", mode="wb", fileobj=out, mtime=epoch,
                           compresslevel=9) as packed:
            packed.write(raw.getvalue())


def folder_entries(top, folder):
    """Every file under `folder` below the archive folder `top`, with fixed permissions."""
    entries = [(top + "/", b"", 0o755)]
    for here, dirs, files in os.walk(folder):
        dirs.sort()
        rel = os.path.relpath(here, folder).replace(os.sep, "/")
        prefix = top + "/" + ("" if rel == "." else rel + "/")
        if rel != ".":
            entries.append((prefix, b"", 0o755))
        for name in sorted(files):
            entries.append((prefix + name, binary(os.path.join(here, name)), 0o644))
    return entries


def main():
    parser = argparse.ArgumentParser(description="Pack the downloads.")
    parser.add_argument("--cache", required=True, help="CMakeCache.txt holding the version")
    parser.add_argument("--linux", required=True, help="the Linux engine")
    parser.add_argument("--windows", required=True, help="the Windows engine (.exe)")
    parser.add_argument("--web", help="the browser board's static site, if built")
    parser.add_argument("--out", default=os.path.join(ROOT, "dist"))
    args = parser.parse_args()

    version, epoch = project_version(args.cache), commit_time()
    licence, readme = os.path.join(ROOT, "LICENSE"), os.path.join(ROOT, "README.md")
    check_glibc_claim(args.linux, readme)
    # The folder holds this run's files only: earlier downloads and sums go first.
    os.makedirs(args.out, exist_ok=True)
    for old in os.listdir(args.out):
        if old == "SHA256SUMS" or re.match(r"gravik-.*\.(zip|tar\.gz)$", old):
            os.remove(os.path.join(args.out, old))
    made = []

    name = f"gravik-{version}-windows-x64.zip"  # the engine at the top, as Gomocup takes it
    write_zip(os.path.join(args.out, name), [
        ("pbrain-gravik.exe", binary(args.windows), 0o755),
        ("LICENSE.txt", text(licence, crlf=True), 0o644),
        ("README.txt", text(os.path.join(ROOT, "tools", "windows-readme.txt"), crlf=True,
                            version=version), 0o644),
    ], epoch)
    made.append(name)

    top = f"gravik-{version}-linux-x64"
    write_tar_gz(os.path.join(args.out, top + ".tar.gz"), [
        (top + "/", b"", 0o755),
        (top + "/pbrain-gravik", binary(args.linux), 0o755),
        (top + "/README.md", text(readme, crlf=False), 0o644),
        (top + "/LICENSE", text(licence, crlf=False), 0o644),
    ], epoch)
    made.append(top + ".tar.gz")

    if args.web and os.path.isdir(args.web):
        top = f"gravik-{version}-web"
        entries = folder_entries(top, args.web)
        if not any(entry[0] == top + "/LICENSE.txt" for entry in entries):
            entries.append((top + "/LICENSE.txt", text(licence, crlf=False), 0o644))
        write_zip(os.path.join(args.out, top + ".zip"), entries, epoch)
        made.append(top + ".zip")
    else:
        print(f"dist: no browser board site at {args.web or '(none given)'}, so no web zip")

    with open(os.path.join(args.out, "SHA256SUMS"), "w", encoding="utf-8", newline="\n") as sums:
        for name in sorted(made):
            digest = hashlib.sha256(binary(os.path.join(args.out, name))).hexdigest()
            sums.write(f"{digest}  {name}\n")
    for name in sorted(made) + ["SHA256SUMS"]:
        size = os.path.getsize(os.path.join(args.out, name))
        print(f"dist: {os.path.relpath(os.path.join(args.out, name), ROOT)} ({size} bytes)")


if __name__ == "__main__":
    main()
