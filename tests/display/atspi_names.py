"""What a screen reader hears in one window of orxboot, read over AT-SPI: every control that
takes the focus has a name, none a misleading one. Usage: atspi_names.py TITLE [ROLE]
(TITLE an extended regular expression; ROLE one the window must hold, e.g. terminal).
Prints each fault; exit 1 when there is one."""
import re
import sys
import time

import pyatspi

S = pyatspi


def window(title):
    for _ in range(100):  # the bridge registers a new window a moment after it shows
        for app in pyatspi.Registry.getDesktop(0):
            if app is None or app.name != "orxboot":
                continue
            for win in app:
                if win and re.search(title, win.name) and win.getState().contains(S.STATE_SHOWING):
                    return win
        time.sleep(0.1)
    sys.exit(f"no window /{title}/ in the accessibility tree")


def value(combo):
    for part in combo:
        if part.getRoleName() == "text":
            return part.queryText().getText(0, -1)
        for item in part:
            if item.getState().contains(S.STATE_SELECTED):
                return item.name
    return None


def faults(node, parent_shows, where):
    role, name, state = node.getRoleName(), node.name, node.getState()
    here = f"{where} > {role} '{name}'"
    if parent_shows and state.contains(S.STATE_FOCUSABLE):
        if not name.strip():
            yield f"{here}: no name"
        if name and node.description == name:
            yield f"{here}: the description repeats the name"
        if "&" in name:
            yield f"{here}: a mnemonic mark in the name"
        if role == "combo box" and value(node) and name == value(node):
            yield f"{here}: named by its value, not by what it sets"
    if role == "progress bar" and state.contains(S.STATE_SHOWING):
        label = node.parent[node.getIndexInParent() - 1] if node.getIndexInParent() else None
        if label and label.getRoleName() == "label" and not name.startswith(label.name + ":"):
            yield f"{here}: not named by '{label.name}' beside it"
    if state.contains(S.STATE_SHOWING):
        for child in node:
            if child is not None:
                yield from faults(child, True, here)


def main():
    win = window(sys.argv[1])
    found = list(faults(win, True, ""))
    if win.getRoleName() in ("filler", "panel", "unknown"):
        found.append(f"'{win.name}' is announced as a {win.getRoleName()}, not as a window")
    if len(sys.argv) > 2 and not pyatspi.findDescendant(
        win, lambda n: n.getRoleName() == sys.argv[2]
    ):
        found.append(f"'{win.name}' holds no {sys.argv[2]}")
    for fault in found:
        print(fault)
    return 1 if found else 0


sys.exit(main())
