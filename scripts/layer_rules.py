#!/usr/bin/env python3
"""Checks the rules of the layer map that the include roots cannot enforce on their own.

Usage: layer_rules.py SOURCE_DIR LINK_GRAPH

- No include climbs out of its folder ("../"): each target sees headers through its include roots.
- Only the renderer calls OpenGL or includes its headers; the window hosts the GL widget and asks
  whether a context can be made, nothing more.
- Only the editor and the window use Qt's undo classes.
- The plain layers include no Qt header and reach no Qt module through their links; the Qt
  modules a layer may reach are listed below (LINK_GRAPH is written by the configure step).

Each breach is printed as FILE:LINE (or the target) with the rule; the exit status is 1 when there
is any.
"""

import pathlib
import re
import sys

CODE_FOLDERS = ("src", "app", "tests", "bench", "fuzz")

# Layers built without Qt, and the Qt modules the others may reach.
PLAIN_LAYERS = ("level", "floordata", "check", "exchange", "inspect", "demo", "pieces", "view",
                "program")
QT_LAYERS = {
    "textures": {"Core", "Gui"},
    "editor": {"Core", "Gui"},
    "render": {"Core", "Gui", "OpenGL"},
    "ui": None,  # any
}
# Qt's own interface targets that come with any module.
QT_INTERNAL = {"Qt6::Platform"}
# Who owns a Qt module: whatever reaches the module links the owner (or is it).
MODULE_OWNERS = {"OpenGL": "render", "Widgets": "ui", "OpenGLWidgets": "ui"}

GL_FOLDERS = ("src/render/",)
# The widget that hosts the renderer, and the window's check for a usable context.
GL_HOST_FOLDERS = ("src/ui/",)
GL_HOST_HEADERS = {"QOpenGLWidget", "QOpenGLContext", "QSurfaceFormat"}
UNDO_FOLDERS = ("src/editor/", "src/ui/", "tests/editor/", "tests/ui/")

# Work still landing elsewhere; each must still be needed, or the check fails until it goes.
WAIVERS = {}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
GL_CALL = re.compile(r"\bgl[A-Z][A-Za-z0-9]*\s*\(")
GL_NAME = re.compile(r"\bGL_[A-Z0-9_]+\b")
GL_HEADER = re.compile(r"^(GL|GLES[0-9]*|EGL|KHR)/|^(QtOpenGL|QtOpenGLWidgets)/|^qopengl|^QOpenGL|"
                       r"^QtGui/(qopengl|QOpenGL)|^QSurfaceFormat$")
UNDO_HEADER = re.compile(r"^(QtGui/|QtWidgets/)?(QUndo[A-Za-z]*|qundo[a-z]*\.h)$")
QT_HEADER = re.compile(r"^(Qt[A-Za-z]*/)?(Q[A-Z][A-Za-z0-9]*|q[a-z0-9_]+\.h)$")


def code_lines(text):
    """The lines of a C++ file with comments and the insides of literals blanked, so that words
    in them are not taken for code. Include lines are kept whole."""
    out = []
    in_block = False
    for line in text.split("\n"):
        if INCLUDE.match(line) and not in_block:
            out.append(line)
            continue
        kept = []
        i = 0
        while i < len(line):
            if in_block:
                end = line.find("*/", i)
                if end < 0:
                    i = len(line)
                else:
                    in_block = False
                    i = end + 2
                continue
            c = line[i]
            if line.startswith("//", i):
                break
            if line.startswith("/*", i):
                in_block = True
                i += 2
                continue
            if c in "\"'":
                j = i + 1
                while j < len(line) and line[j] != c:
                    j += 2 if line[j] == "\\" else 1
                kept.append(c + " " * max(0, min(j, len(line)) - i - 1) + c)
                i = j + 1
                continue
            kept.append(c)
            i += 1
        out.append("".join(kept))
    return out


def layer_of(path):
    parts = path.split("/")
    if len(parts) > 2 and parts[0] in ("src", "tests"):
        return parts[1]
    return None


def check_sources(root):
    found = []
    for folder in CODE_FOLDERS:
        for file in sorted((root / folder).rglob("*")):
            if file.suffix not in (".cpp", ".h") or not file.is_file():
                continue
            path = file.relative_to(root).as_posix()
            layer = layer_of(path)
            in_gl = path.startswith(GL_FOLDERS)
            in_host = path.startswith(GL_HOST_FOLDERS)
            text = file.read_text(encoding="utf-8", errors="replace")
            for number, line in enumerate(code_lines(text), 1):
                where = f"{path}:{number}"
                include = INCLUDE.match(line)
                if include:
                    header = include.group(2)
                    if "../" in header or "..\\" in header:
                        found.append(("parent", path, f"{where}: includes \"{header}\" through its "
                                      "parent folder; name it from an include root"))
                    if GL_HEADER.search(header) and not in_gl and not (
                            in_host and header in GL_HOST_HEADERS):
                        found.append(("opengl", path, f"{where}: includes the OpenGL header "
                                      f"<{header}>; only src/render draws"))
                    if UNDO_HEADER.match(header) and not path.startswith(UNDO_FOLDERS):
                        found.append(("undo", path, f"{where}: includes the undo header "
                                      f"<{header}>; undo belongs to the editor"))
                    if (layer in PLAIN_LAYERS and include.group(1) == "<"
                            and QT_HEADER.match(header)):
                        found.append(("qt", path, f"{where}: includes the Qt header <{header}> "
                                      f"in the plain layer {layer}"))
                    continue
                if not in_gl and (GL_CALL.search(line) or GL_NAME.search(line)):
                    call = (GL_CALL.search(line) or GL_NAME.search(line)).group(0).rstrip("( ")
                    found.append(("opengl", path, f"{where}: uses OpenGL ({call}); only "
                                  "src/render calls it"))
    return found


def check_links(graph):
    found = []
    reached = {}
    layers = set()
    for line in graph.read_text().splitlines():
        kind, _, rest = line.partition(" ")
        target, _, links = rest.partition(":")
        reached[target] = set(links.split())
        if kind == "layer":
            layers.add(target)
    for target in sorted(reached):
        modules = {name[len("Qt6::"):] for name in reached[target]
                   if name.startswith("Qt6::") and name not in QT_INTERNAL}
        if target in layers:
            layer = target[len("qavel_"):]
            if layer in PLAIN_LAYERS:
                allowed = set()
            elif layer in QT_LAYERS:
                allowed = QT_LAYERS[layer]
            else:
                found.append(("layer", target, f"{target}: a layer the rules do not know; list "
                              "it in scripts/layer_rules.py with the Qt modules it may reach"))
                continue
            if allowed is not None and modules - allowed:
                extra = ", ".join(sorted(modules - allowed))
                ours = sorted(n for n in reached[target] if n.startswith("qavel_"))
                through = f" (it links {', '.join(ours)})" if ours else ""
                found.append(("link", target, f"{target}: reaches Qt {extra}, which the layer "
                              f"{layer} may not use{through}"))
            continue
        for module, owner in MODULE_OWNERS.items():
            owner_target = f"qavel_{owner}"
            if (module in modules and target != owner_target
                    and owner_target not in reached[target]):
                found.append(("link", target, f"{target}: reaches Qt {module}, which only "
                              f"{owner} and what links it may use"))
    return found


def main():
    if len(sys.argv) != 3:
        print(__doc__.strip().split("\n\n")[1], file=sys.stderr)
        return 2
    root = pathlib.Path(sys.argv[1]).resolve()
    graph = pathlib.Path(sys.argv[2])
    found = check_sources(root) + check_links(graph)
    present = {line.split(" ")[1].rstrip(":") for line in graph.read_text().splitlines()}
    used = set()
    failed = False
    for rule, subject, message in found:
        if (rule, subject) in WAIVERS:
            used.add((rule, subject))
            continue
        print(message)
        failed = True
    for (rule, subject), why in WAIVERS.items():
        exists = subject in present if rule == "link" else (root / subject).is_file()
        if exists and (rule, subject) not in used:
            print(f"scripts/layer_rules.py: {subject} keeps its {rule} rule now; remove its "
                  f"waiver ({why})")
            failed = True
    if not failed:
        print("layer rules: kept")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
