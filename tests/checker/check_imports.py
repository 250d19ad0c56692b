#!/usr/bin/env python3
"""The imports of built DLLs, read from `objdump -p`.

check_imports.py release OBJDUMP TABLE DLL...  fails on an import from zorcheck.dll, and on any
    imported function whose documented minimum client is newer than Windows 7 (functions the
    table does not list pass)
check_imports.py checked OBJDUMP DLL...        fails unless each DLL imports from zorcheck.dll
check_imports.py refresh SOURCE TABLE          rewrites TABLE with SOURCE's rows for the DLLs
    the project imports (SOURCE: the full table made from the platform documentation)
"""
import re
import subprocess
import sys

DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
        "oleaut32.dll", "winmm.dll", "msimg32.dll", "version.dll", "comdlg32.dll", "comctl32.dll",
        "shlwapi.dll", "psapi.dll", "ntdll.dll"}
ORDER = {"2000": 0, "XP": 1, "Vista": 2, "7": 3, "8": 4, "8.1": 5, "10": 6, "11": 7, "Build": 6}
WINDOWS_7 = ORDER["7"]


def imports(objdump, dll):
    text = subprocess.run([objdump, "-p", dll], check=True, capture_output=True, text=True).stdout
    found, current = [], None
    for line in text.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            current = m.group(1).lower()
            continue
        m = re.match(r"\t[0-9a-f]+\t\s*\d+\s+(\S+)", line)
        if m and current:
            found.append((current, m.group(1)))
    return found


def earliest(client):
    """The earliest Windows client version a documentation line names, or None."""
    versions = re.findall(r"Windows (2000|XP|Vista|8\.1|7|8|10|11|Build)", client)
    return min((ORDER[v] for v in versions), default=None)


def main(argv):
    mode = argv[1]
    if mode == "refresh":
        with open(argv[2], encoding="utf-8") as src, open(argv[3], "w", encoding="utf-8") as out:
            out.write("# From the platform documentation's minimum versions (../shared/platform/min-windows.tsv),\n"
                      "# the rows of the DLLs the project imports. Refresh: tests/checker/check_imports.py refresh SOURCE THIS\n")
            for line in src:
                cells = line.rstrip("\n").split("\t")
                if not line.startswith("#") and len(cells) > 2 and cells[1].lower() in DLLS:
                    out.write(line)
        return 0
    objdump = argv[2]
    bad = 0
    if mode == "checked":
        for dll in argv[3:]:
            n = sum(1 for d, _ in imports(objdump, dll) if d == "zorcheck.dll")
            print(f"{dll}: {n} functions from zorcheck.dll")
            bad += n == 0
        print("imports: " + ("FAILED" if bad else "ok"))
        return 1 if bad else 0
    table = {}
    with open(argv[3], encoding="utf-8") as f:
        for line in f:
            cells = line.rstrip("\n").split("\t")
            if not line.startswith("#") and len(cells) > 2:
                table[(cells[0], cells[1].lower())] = cells[2]
    for dll in argv[4:]:
        found = imports(objdump, dll)
        for d, name in found:
            client = table.get((name, d))
            if d == "zorcheck.dll":
                print(f"FAIL: {dll} imports {name} from the checker")
                bad += 1
            elif client is not None and (earliest(client) or 0) > WINDOWS_7:
                print(f"FAIL: {dll} imports {name} ({d}), minimum client: {client}")
                bad += 1
        print(f"{dll}: {len(found)} imports checked")
    print("imports: " + ("FAILED" if bad else "ok"))
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
