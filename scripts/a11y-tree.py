#!/usr/bin/python3
"""Prints the accessibility tree of the running nimo as a screen reader sees it
through AT-SPI: one line per object with its role, name, value and the label
it is related to. With --check, exits 1 when a readable object has no name."""
import sys
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

warnings.simplefilter("ignore", DeprecationWarning)

SILENT_ROLES = {"filler", "panel", "split pane", "scroll pane", "viewport", "separator",
                "tool bar", "menu bar", "window", "frame", "application", "redundant object",
                "popup menu"}


def value_of(obj):
    try:
        v = obj.get_value_iface()
        if v is not None:
            return f"{v.get_current_value():g}"
    except Exception:
        pass
    try:
        t = obj.get_text_iface()
        if t is not None:
            return t.get_text(0, t.get_character_count())
    except Exception:
        pass
    return ""


def labelled_by(obj):
    names = []
    try:
        for rel in obj.get_relation_set():
            if rel.get_relation_type() == Atspi.RelationType.LABELLED_BY:
                for i in range(rel.get_n_targets()):
                    names.append(rel.get_target(i).get_name())
    except Exception:
        pass
    return names


def walk(obj, depth, problems):
    role = obj.get_role_name()
    states = obj.get_state_set()
    # Hidden objects (a toolbar's overflow button, closed menus) are not read.
    if depth > 1 and not states.contains(Atspi.StateType.SHOWING):
        return
    name = obj.get_name() or ""
    value = value_of(obj)
    labels = labelled_by(obj)
    line = "  " * depth + f"[{role}] {name!r}"
    if value and value != name:
        line += f" = {value!r}"
    if labels:
        line += f" (label: {', '.join(labels)})"
    description = obj.get_description() or ""
    if description:
        line += f" — {description!r}"
    print(line)
    if role not in SILENT_ROLES and not name and not labels and not value:
        problems.append(line.strip())
    for i in range(obj.get_child_count()):
        child = obj.get_child_at_index(i)
        if child is not None:
            walk(child, depth + 1, problems)


def main():
    check = "--check" in sys.argv
    desktop = Atspi.get_desktop(0)
    app = None
    for _ in range(50):
        for i in range(desktop.get_child_count()):
            a = desktop.get_child_at_index(i)
            if a is not None and (a.get_name() or "").startswith("nimo"):
                app = a
        if app is not None:
            break
        time.sleep(0.2)
    if app is None:
        print("a11y-tree: nimo is not on the accessibility bus", file=sys.stderr)
        return 2
    problems = []
    walk(app, 0, problems)
    if problems:
        print(f"\n{len(problems)} readable objects without a name:")
        for p in problems:
            print("  " + p)
    return 1 if check and problems else 0


if __name__ == "__main__":
    sys.exit(main())
