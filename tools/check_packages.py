#!/usr/bin/env python3
"""Checks that a fresh Debian 12 machine gets every package the build and the suite use.

It lists the files from outside the tree that a build used (the headers in the compiler's
dependency records, the libraries on the link lines, the build's own programs) and the programs
and Python modules the suite runs, finds the Debian package that owns each, and fails, naming the
package and the file, when a package is neither named by tools/setup.sh nor pulled in by the
dependencies of those it names (or by the minimal base system every Debian root starts with).

    check_packages.py BUILD_DIR [--without PACKAGE ...]

--without drops packages from setup.sh's list, to see the check fail as it would have.
"""

import argparse
import ast
import glob
import importlib.util
import os
import re
import subprocess
import sys

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DPKG = "/var/lib/dpkg"


def read_status():
    """The installed packages: name -> fields of the dpkg status record."""
    packages = {}
    with open(os.path.join(DPKG, "status"), encoding="utf-8") as status:
        for record in status.read().split("\n\n"):
            fields, key = {}, None
            for line in record.splitlines():
                if line.startswith((" ", "\t")) and key:
                    fields[key] += " " + line.strip()
                elif ":" in line:
                    key, value = line.split(":", 1)
                    fields[key] = value.strip()
            if "Package" in fields and fields.get("Status", "").endswith(" installed"):
                packages[fields["Package"]] = fields
    return packages


def bare(name):
    return re.sub(r"\s*\(.*?\)", "", name).split(":")[0].strip()


def closure(roots, packages):
    """The packages a fresh root gets for `roots`: their Depends and Pre-Depends, recursively
    (no Recommends: setup.sh installs without them); of alternatives, the first one installed."""
    providers = {}
    for name, fields in packages.items():
        for provided in fields.get("Provides", "").split(","):
            if provided.strip():
                providers.setdefault(bare(provided), []).append(name)

    def real(name):
        if name in packages:
            return name
        return (providers.get(name) or [None])[0]

    seen, todo = set(), list(roots)
    while todo:
        name = real(todo.pop())
        if name is None or name in seen:
            continue
        seen.add(name)
        fields = packages[name]
        for field in ("Pre-Depends", "Depends"):
            for group in fields.get(field, "").split(","):
                choices = [real(bare(choice)) for choice in group.split("|") if choice.strip()]
                chosen = next((choice for choice in choices if choice), None)
                if chosen:
                    todo.append(chosen)
    return seen


def file_owners():
    owners = {}
    for listing in glob.glob(os.path.join(DPKG, "info", "*.list")):
        package = os.path.basename(listing)[: -len(".list")].split(":")[0]
        with open(listing, encoding="utf-8", errors="replace") as files:
            for line in files:
                owners.setdefault(line.rstrip("\n"), set()).add(package)
    return owners


def spellings(path):
    """The path as dpkg may record it: Debian 12 merges /bin, /lib into /usr, and a package may
    name a file through a linked folder."""
    forms = {path, os.path.join(os.path.realpath(os.path.dirname(path)), os.path.basename(path))}
    for form in list(forms):
        match = re.match(r"^/usr(/(?:bin|sbin|lib|lib64)/.*)$", form)
        if match:
            forms.add(match.group(1))
        elif re.match(r"^/(?:bin|sbin|lib|lib64)/", form):
            forms.add("/usr" + form)
    return forms


def owners_of(path, owners):
    """Every package the file needs: the owners of each link on the way to it (an alternative such
    as /usr/bin/c++ is a link no package holds) and of the file it leads to; None when no package
    holds that file."""
    needed, step = set(), path
    for _ in range(40):
        needed |= set().union(*(owners.get(form, set()) for form in spellings(step)))
        if not os.path.islink(step):
            break
        step = os.path.normpath(os.path.join(os.path.dirname(step), os.readlink(step)))
    final = set().union(*(owners.get(form, set()) for form in spellings(os.path.realpath(path))))
    return needed | final if final else None


def ninja(build, *arguments):
    return subprocess.run(["ninja", "-C", build, "-t", *arguments], check=True, capture_output=True,
                          text=True).stdout


def read_cache(build):
    with open(os.path.join(build, "CMakeCache.txt"), encoding="utf-8") as cache:
        values = dict(re.findall(r"^(\w+):\w+=(.*)$", cache.read(), re.M))
    return values


def used_files(build, missing):
    """(file, what it is for) of everything outside the tree the build and the suite use; what
    cannot be found at all goes to `missing`."""
    used = {}
    inside = (SOURCE + os.sep, os.path.realpath(build) + os.sep)

    def note(path, why):
        if path and os.path.isabs(path) and not os.path.realpath(path).startswith(inside):
            used.setdefault(path, why)

    for line in ninja(build, "deps").splitlines():
        if line.startswith("    "):
            note(line.strip(), "header")
    cache = read_cache(build)
    compiler = cache["CMAKE_CXX_COMPILER"]
    for command in ninja(build, "commands").splitlines():
        words = command.split()
        if " -c " in command or "-o" not in words:
            continue
        for word in words:
            if word.startswith("-l"):
                name = word[2:]
                found = subprocess.run([compiler, f"-print-file-name=lib{name}.so"], capture_output=True,
                                       text=True).stdout.strip()
                note(found if os.path.isabs(found) else None, "library")
                if not os.path.isabs(found):
                    missing.append(f"the library -l{name} of a link line is not on this machine")
            elif re.search(r"\.(so(\.[0-9.]+)?|a)$", word):
                note(word, "library")
    for key in ("CMAKE_CXX_COMPILER", "CMAKE_MAKE_PROGRAM", "CMAKE_COMMAND", "CMAKE_AR", "CMAKE_RANLIB",
                "CMAKE_LINKER", "PKG_CONFIG_EXECUTABLE"):
        note(cache.get(key), "build program")
    for tool in ("cc1plus", "as", "ld", "collect2"):
        found = subprocess.run([compiler, f"-print-prog-name={tool}"], capture_output=True, text=True).stdout
        note(found.strip() if os.path.isabs(found.strip()) else None, "build program")
    programs = os.path.join(build, "suite_programs.txt")
    if os.path.exists(programs):
        with open(programs, encoding="utf-8") as listed:
            for line in listed:
                note(line.strip(), "program the suite or the Debian package runs")
    for module, script in python_modules():
        where = importlib.util.find_spec(module)
        origin = where.origin if where else None
        if where is None:
            missing.append(f"the Python module {module} of {os.path.relpath(script, SOURCE)} is not on this machine")
        elif origin and origin not in ("built-in", "frozen"):
            note(origin, f"Python module of {os.path.relpath(script, SOURCE)}")
    return used


def python_modules():
    """The top-level modules the suite's Python scripts import."""
    modules = set()
    for script in glob.glob(os.path.join(SOURCE, "tests", "**", "*.py"), recursive=True):
        with open(script, encoding="utf-8") as text:
            tree = ast.parse(text.read())
        for node in ast.walk(tree):
            if isinstance(node, ast.Import):
                modules |= {(alias.name.split(".")[0], script) for alias in node.names}
            elif isinstance(node, ast.ImportFrom) and node.module and node.level == 0:
                modules.add((node.module.split(".")[0], script))
    return sorted(modules)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build")
    parser.add_argument("--without", action="append", default=[])
    options = parser.parse_args()

    named = subprocess.run(["bash", os.path.join(SOURCE, "tools", "setup.sh"), "--list-packages"],
                           check=True, capture_output=True, text=True).stdout.split()
    named = [name for name in named if name not in options.without]
    packages = read_status()
    base = [name for name, fields in packages.items()
            if fields.get("Priority") == "required" or fields.get("Essential") == "yes"] + ["apt"]
    allowed = closure(named + base, packages)
    owners = file_owners()

    problems = []
    used = used_files(options.build, problems)
    unlisted = {}
    for path, why in sorted(used.items()):
        needed = owners_of(path, owners)
        if needed is None:
            problems.append(f"no Debian package holds {path} ({why})")
        for package in sorted((needed or set()) - allowed):
            unlisted.setdefault(package, []).append(f"{path} ({why})")
    for package, files in sorted(unlisted.items()):
        more = f" and {len(files) - 1} more" if len(files) > 1 else ""
        problems.append(f"{package}: not installed by tools/setup.sh, but the build or the suite uses "
                        f"{files[0]}{more}")
    for problem in problems:
        print(problem)
    print(f"{len(used)} files from outside the tree checked, {len(problems)} problems", file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
