#!/usr/bin/env python3
"""Fails when a layer of the main program includes a header of a layer above it, when the layers below the
screen include a widget header, when a room of the screen includes a header of a room it may not see, or
when port/ (its headers and sources; its tests may use the test support) includes a header from outside
itself.

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
# The screen's rooms and the rooms each may include besides its own: the controls see no window, a window
# sees the controls (the layout editor also places the list log), the site panel every window, the main
# window everything.
WINDOW_ROOMS = {"logs", "settings", "items", "layout"}
SCREEN_ROOMS = {
    "widgets": set(),
    "logs": {"widgets"},
    "settings": {"widgets"},
    "items": {"widgets"},
    "layout": {"widgets", "logs"},
    "panel": {"widgets"} | WINDOW_ROOMS,
    "main": {"widgets", "panel"} | WINDOW_ROOMS,
}


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


def room_of(path, screen):
    """The room of a file under the screen folder; None for the screen's tests and loose files."""
    parts = path.relative_to(screen).parts
    return parts[0] if len(parts) > 1 and parts[0] in SCREEN_ROOMS else None


def check_screen_rooms(screen):
    problems = []
    owners = {}
    for header in screen.rglob("*.h"):
        room = room_of(header, screen)
        if room is not None:
            owners[header.name] = room
    for path in sources(screen):
        room = room_of(path, screen)
        if room is None:
            continue
        for number, kind, name in includes(path):
            owner = owners.get(pathlib.PurePosixPath(name).name) if kind == '"' else None
            if owner is not None and owner != room and owner not in SCREEN_ROOMS[room]:
                problems.append(f"{path}:{number}: the {room} room includes {name} of the {owner} room")
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
    problems = check_app(root / "app") + check_screen_rooms(root / "app" / "screen") + check_port(root / "port")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
