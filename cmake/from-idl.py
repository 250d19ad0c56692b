#!/usr/bin/env python3
"""Files made from the IDL, the one list of the library's classes and methods.

  from-idl.py reference IDL OUT        the reference page (docs/reference.md)
  from-idl.py registry IDL OUT ID VIEW  the installer's registry rows for one build, as a WiX
                                        fragment: component IDClasses in the folder IDDIR for the
                                        file IDdll, VIEW win32 or win64
"""
import re
import sys
from xml.sax.saxutils import quoteattr

VB_TYPES = {"BSTR": "String", "VARIANT_BOOL": "Boolean", "short": "Integer", "long": "Long",
            "double": "Double", "DATE": "Date", "VARIANT": "Variant", "IDispatch": "Object"}


def attributes(text):
    """Splits an attribute list at its top-level commas."""
    parts, depth, quoted, start = [], 0, False, 0
    for i, c in enumerate(text):
        if c == '"':
            quoted = not quoted
        elif not quoted and c == "(":
            depth += 1
        elif not quoted and c == ")":
            depth -= 1
        elif not quoted and depth == 0 and c == ",":
            parts.append(text[start:i].strip())
            start = i + 1
    parts.append(text[start:].strip())
    return [p for p in parts if p]


def attribute(attrs, name):
    for a in attrs:
        m = re.fullmatch(name + r'\((.*)\)', a, re.S)
        if m:
            return m.group(1).strip().strip('"')
    return None


def parse(path):
    text = re.sub(r"//[^\n]*", "", open(path, encoding="utf-8").read())
    lib = re.search(r"\[([^\]]*)\]\s*library\s+(\w+)", text)
    lib_attrs = attributes(lib.group(1))
    library = {"name": lib.group(2), "uuid": attribute(lib_attrs, "uuid").upper(),
               "version": attribute(lib_attrs, "version"), "help": attribute(lib_attrs, "helpstring")}
    interfaces = {}
    for m in re.finditer(r"\[([^\]]*)\]\s*interface\s+(\w+)\s*:\s*IDispatch\s*\{(.*?)\};", text, re.S):
        methods = []
        for f in re.finditer(r"\[((?:[^\[\]]|\"[^\"]*\")*)\]\s*HRESULT\s+(\w+)\((.*?)\);", m.group(3), re.S):
            attrs = attributes(f.group(1))
            params = []
            for p in re.finditer(r"\[([^\]]*)\]\s*([\w ]+?)\s*(\*?)\s*(\w+)\s*(?:,|$)", f.group(3).strip()):
                pattrs = attributes(p.group(1))
                params.append({"name": p.group(4), "type": p.group(2).strip(), "attrs": pattrs,
                               "default": attribute(pattrs, "defaultvalue")})
            errors = attribute(attrs, "ERRORS")
            if not errors or not attribute(attrs, "helpstring"):
                sys.exit(f"{path}: {f.group(2)} needs ERRORS(...) and helpstring(...)")
            methods.append({"name": f.group(2), "id": attribute(attrs, "id"),
                            "help": attribute(attrs, "helpstring"), "errors": errors, "params": params})
        interfaces[m.group(2)] = {"uuid": attribute(attributes(m.group(1)), "uuid").upper(), "methods": methods}
    classes = []
    for m in re.finditer(r"\[([^\]]*)\]\s*coclass\s+(\w+)\s*\{\s*\[default\]\s*interface\s+(\w+);", text, re.S):
        attrs = attributes(m.group(1))
        classes.append({"name": m.group(2), "uuid": attribute(attrs, "uuid").upper(),
                        "help": attribute(attrs, "helpstring"), "interface": m.group(3),
                        **{"iid": interfaces[m.group(3)]["uuid"], "methods": interfaces[m.group(3)]["methods"]}})
    return library, classes


def vb_type(t):
    return VB_TYPES[t.replace("*", "").strip()]


def parameter_text(p):
    a = p["attrs"]
    words = [f"`{p['name']}` {vb_type(p['type'])}", "in/out (by reference)" if "out" in a else "in"]
    if "optional" in a:
        words.append("optional" + (f", default \"{p['default']}\"" if p["default"] is not None else ""))
    return " ".join(words[:1]) + ", " + ", ".join(words[1:])


def failure(errors):
    mode, _, value = errors.partition(": ")
    names = {"untrapped": "untrapped", "trapped": "trapped", "error text": "error text",
             "skipped": "failures skipped"}
    if mode not in names:
        sys.exit(f"unknown error mode: {errors}")
    if mode == "untrapped":
        value = "HRESULT 0x800A0000 + n"
    elif mode == "error text":
        value = f"`{value}`"
    return names[mode], value


def reference(library, classes):
    out = [f"# {library['name']} reference", "",
           "Generated from `src/frame/ZorUtility.idl` by `cmake/from-idl.py` (the build makes it again",
           "in `build/generated/reference.md`; a test compares the two). Do not edit by hand.", "",
           f"{library['help']}. Type library `{{{library['uuid']}}}`, version {library['version']}. "
           "Each class is created by its ProgID, `ZorUtility.` and the class name, and has one dual "
           "interface. Types are the automation types (String is a BSTR, Boolean a VARIANT_BOOL "
           "of -1 or 0); a by-reference parameter is in/out.", "",
           "Error modes: *untrapped*, the call fails with HRESULT 0x800A0000 + n (in VBScript "
           "`Err.Number` n) and IErrorInfo carries the description; *trapped*, the call succeeds "
           "with the failure value as its result; *error text*, the call succeeds with the error "
           "text as its result (n: the error number); *failures skipped*, a failing step is "
           "passed over and the call succeeds with what it has built.", ""]
    count = sum(len(c["methods"]) for c in classes)
    out += [f"{len(classes)} classes, {count} methods.", ""]
    for c in classes:
        out += [f"## {c['name']}", "", f"{c['help']}. ProgID `ZorUtility.{c['name']}`, CLSID `{{{c['uuid']}}}`, "
                f"interface `{c['interface']}` `{{{c['iid']}}}`.", "",
                "| Method | DISPID | Parameters | Result | Error mode | On failure | Description |",
                "|---|---|---|---|---|---|---|"]
        for m in c["methods"]:
            params = [p for p in m["params"] if "retval" not in p["attrs"]]
            retval = [p for p in m["params"] if "retval" in p["attrs"]]
            mode, value = failure(m["errors"])
            out.append("| `{}` | {} | {} | {} | {} | {} | {} |".format(
                m["name"], m["id"], "; ".join(parameter_text(p) for p in params) or "none",
                vb_type(retval[0]["type"]) if retval else "none", mode, value, m["help"]))
        out.append("")
    return "\n".join(out)


def registry(library, classes, group, view):
    """The keys that registration writes, as rows of the installer's own Registry table. Their
    root HKCR is not the merged view here: Windows Installer writes it to
    HKLM\\Software\\Classes in a per-machine installation and HKCU\\Software\\Classes in a
    per-user one."""
    dll = f"[#{group}dll]"
    psoa = "{00020424-0000-0000-C000-000000000046}"  # the type-library marshaller
    lib = "{" + library["uuid"] + "}"
    ver = library["version"]
    rows = []

    def row(key, value, name=None):
        rows.append((key, name, value))

    for c in classes:
        progid, clsid = f"ZorUtility.{c['name']}", "{" + c["uuid"] + "}"
        key = f"CLSID\\{clsid}"
        row(key, progid)
        row(key + "\\InprocServer32", dll)
        row(key + "\\InprocServer32", "Apartment", "ThreadingModel")
        row(key + "\\ProgID", progid)
        row(key + "\\TypeLib", lib)
        row(key + "\\VERSION", ver)
        row(key + "\\Programmable", None)
        row(progid, progid)
        row(progid + "\\CLSID", clsid)
        ikey = "Interface\\{" + c["iid"] + "}"
        row(ikey, c["interface"])
        row(ikey + "\\ProxyStubClsid", psoa)
        row(ikey + "\\ProxyStubClsid32", psoa)
        row(ikey + "\\TypeLib", lib)
        row(ikey + "\\TypeLib", ver, "Version")
    tkey = f"TypeLib\\{lib}\\{ver}"
    row(tkey, library["help"])
    row(tkey + "\\0\\" + view, dll)
    row(tkey + "\\FLAGS", "0")
    row(tkey + "\\HELPDIR", f"[{group}DIR]")
    out = ['<?xml version="1.0" encoding="utf-8"?>',
           f"<!-- Made from ZorUtility.idl by cmake/from-idl.py: the registration of the {view} library. -->",
           '<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">', "  <Fragment>",
           f'    <DirectoryRef Id="{group}DIR">',
           f'      <Component Id="{group}Classes" Guid="*"' + (' Win64="yes"' if view == "win64" else "") + ">"]
    for key, name, value in rows:
        attrs = 'Root="HKCR" Key=' + quoteattr(key)
        if value is None:  # a key without values: "*" creates it, and removes it again
            out.append(f'        <RegistryValue {attrs} Name="*" Type="string" Value=""/>')
            continue
        if name:
            attrs += f" Name={quoteattr(name)}"
        out.append(f'        <RegistryValue {attrs} Type="string" Value={quoteattr(value)}/>')
    out += ["      </Component>", "    </DirectoryRef>", "  </Fragment>", "</Wix>", ""]
    return "\n".join(out)


def main():
    what, idl, dest = sys.argv[1:4]
    library, classes = parse(idl)
    if what == "reference":
        text = reference(library, classes)
    else:
        text = registry(library, classes, sys.argv[4], sys.argv[5])
    with open(dest, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


main()
