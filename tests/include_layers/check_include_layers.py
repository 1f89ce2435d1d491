#!/usr/bin/env python3
"""Fails when a layer of the main program includes a header of a layer above it, when the layers below the
screen include a widget header, or when port/ (its headers and sources; its tests may use the test support) includes a header from outside itself.

Usage: check_include_layers.py <source root>    (prints each offending include line)
"""
import pathlib
import re
import sys

# Lowest first; a layer may include its own headers and those of the layers before it.
APP_LAYERS = ["base", "testrun", "screen", "program"]
NO_WIDGETS = {"base", "testrun"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
WIDGET_HEADER = re.compile(r"^(QtWidgets/.*|QApplication|QWidget|QDialog|QMainWindow|QFileDialog|QMessageBox|"
                           r"Q\w*(Widget|Dialog|Box|Edit|Button|Label|View|Bar|Layout))$")
SOURCE_SUFFIXES = {".h", ".hpp", ".cpp", ".cc"}


def sources(folder):
    return [p for p in folder.rglob("*") if p.suffix in SOURCE_SUFFIXES and p.is_file()]


def includes(path):
    for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
        match = INCLUDE.match(line)
        if match:
            yield number, match.group(1), match.group(2)


def header_owners(app):
    """Header file name -> the layer whose folder holds it."""
    owners = {}
    for layer in APP_LAYERS:
        for header in (app / layer).rglob("*.h"):
            if "tests" not in header.relative_to(app / layer).parts:
                owners[header.name] = layer
    return owners


def check_app(app):
    problems = []
    owners = header_owners(app)
    for rank, layer in enumerate(APP_LAYERS):
        for path in sources(app / layer):
            for number, kind, name in includes(path):
                owner = owners.get(pathlib.PurePosixPath(name).name) if kind == '"' else None
                if owner is not None and APP_LAYERS.index(owner) > rank:
                    problems.append(f"{path}:{number}: {layer} includes {name} of the {owner} layer")
                if kind == "<" and layer in NO_WIDGETS and WIDGET_HEADER.match(name):
                    problems.append(f"{path}:{number}: {layer} includes the widget header {name}")
    return problems


def check_port(port):
    problems = []
    own = {p.relative_to(port / "include").as_posix() for p in (port / "include").rglob("*.h")}
    own |= {p.name for p in (port / "src").rglob("*.h")}
    for path in sources(port / "include") + sources(port / "src"):
        for number, kind, name in includes(path):
            if kind == '"' and name not in own:
                problems.append(f"{path}:{number}: port includes {name} from outside port/")
    return problems


def main():
    root = pathlib.Path(sys.argv[1])
    problems = check_app(root / "app") + check_port(root / "port")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
