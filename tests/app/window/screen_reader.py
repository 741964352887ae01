#!/usr/bin/python3
"""Reads the window of the program with process id PID over AT-SPI, as a screen reader
does, prints what it would announce for each focusable control and fails unless every
focusable control has a name and a role that a control kind of the form has, and the
slot buttons are four radio buttons named after their slots, the default one checked.
    screen_reader.py PID
"""
import sys
import time

import pyatspi

# The roles of the form's kinds of focusable control.
KIND_ROLES = {
    pyatspi.ROLE_PUSH_BUTTON: "push and picture buttons",
    pyatspi.ROLE_CHECK_BOX: "check boxes",
    pyatspi.ROLE_RADIO_BUTTON: "slot buttons",
    pyatspi.ROLE_TEXT: "edit, list and result boxes",
    pyatspi.ROLE_ENTRY: "single-line edit boxes",
    pyatspi.ROLE_COMBO_BOX: "drop-down lists",
}
# What the slot buttons are called in fresh settings.
SLOT_NAMES = ["默认配置", "行业 1", "行业 2", "行业 3"]
DEADLINE_SECONDS = 30


def focusable_nodes(node):
    """The focusable nodes under node, in tree order."""
    found = []
    for child in node:
        if child is None:
            continue
        if child.getState().contains(pyatspi.STATE_FOCUSABLE):
            found.append(child)
        # A drop-down list's entries are read as its value, not as controls of their own.
        if child.getRole() != pyatspi.ROLE_COMBO_BOX:
            found.extend(focusable_nodes(child))
    return found


def read_window(pid):
    """The program's focusable nodes once its application is registered and its window
    has any; waits up to the deadline, since registering trails the window."""
    deadline = time.monotonic() + DEADLINE_SECONDS
    while time.monotonic() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == pid:
                nodes = focusable_nodes(app)
                if nodes:
                    return nodes
        time.sleep(0.2)
    sys.exit(f"no application with process id {pid} and focusable controls within {DEADLINE_SECONDS} s")


def name_of(node):
    """What a screen reader says the control is called: for a drop-down list, whose own
    name is its current entry, the label that names it."""
    if node.getRole() != pyatspi.ROLE_COMBO_BOX:
        return node.name
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY and relation.getNTargets() > 0:
            return relation.getTarget(0).name
    return ""


def announce(node):
    state = node.getState()
    words = [name_of(node) or "(no name)", node.getRoleName()]
    if node.getRole() == pyatspi.ROLE_COMBO_BOX:
        words.append(node.name)
    if node.getRole() in (pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_RADIO_BUTTON):
        words.append("checked" if state.contains(pyatspi.STATE_CHECKED) else "not checked")
    return ", ".join(words)


def main():
    nodes = read_window(int(sys.argv[1]))
    faults = []
    for node in nodes:
        print(announce(node))
        if not name_of(node).strip():
            faults.append(f"a focusable {node.getRoleName()} has no name")
        if node.getRole() not in KIND_ROLES:
            faults.append(f"'{node.name}' is a focusable {node.getRoleName()}, a role no control kind has: "
                          f"give it the role of its kind, or add its kind's role to this test")
    for role, kind in KIND_ROLES.items():
        if role != pyatspi.ROLE_ENTRY and not any(node.getRole() == role for node in nodes):
            faults.append(f"no focusable control has the role of the {kind}")

    radios = [node for node in nodes if node.getRole() == pyatspi.ROLE_RADIO_BUTTON]
    names = sorted(node.name for node in radios)
    if names != sorted(SLOT_NAMES):
        faults.append(f"the radio buttons are {names}, not the four slots {SLOT_NAMES}")
    checked = [node.name for node in radios if node.getState().contains(pyatspi.STATE_CHECKED)]
    if checked != [SLOT_NAMES[0]]:
        faults.append(f"checked radio buttons {checked}, not the default slot alone")

    for fault in faults:
        print("FAULT:", fault)
    print(f"{len(nodes)} focusable controls read, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
