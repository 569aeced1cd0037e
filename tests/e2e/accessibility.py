"""Finds the player's controls through AT-SPI as a screen reader does, by name, and works them.

usage: accessibility.py STOP_SECONDS: presses BTStop(0), waits, presses BTPlay(0); checks that
XVolBT(0) is a slider at its full value; prints what it found."""
import sys
import time

import pyatspi


def find(name, timeout=60.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is None or app.name.lower() != "tornavel":
                continue
            found = pyatspi.findDescendant(app, lambda a: a is not None and a.name == name)
            if found is not None:
                return found
        time.sleep(0.2)
    sys.exit(f"FAIL: {name} not found through AT-SPI")


def press(control):
    """Presses a control found by find(), or the one of that name."""
    if isinstance(control, str):
        control = find(control)
    name = control.name
    action = control.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "Press" not in names and "press" not in names:
        sys.exit(f"FAIL: {name} has no press action: {names}")
    action.doAction(names.index("Press") if "Press" in names else names.index("press"))
    print(f"pressed {name} ({control.description})")


if __name__ == "__main__":
    volume = find("XVolBT(0)")
    if volume.getRole() != pyatspi.ROLE_SLIDER:
        sys.exit(f"FAIL: XVolBT(0) is a {volume.getRoleName()}, not a slider")
    value = volume.queryValue().currentValue
    if value != 100:
        sys.exit(f"FAIL: XVolBT(0) reads {value}, not 100")
    print(f"XVolBT(0): {volume.getRoleName()} at {value} ({volume.description})")
    # Both found first: on a loaded machine a walk of the tree can take longer than the
    # capture's window for the deck to come back.
    stop, play = find("BTStop(0)"), find("BTPlay(0)")
    press(stop)
    time.sleep(float(sys.argv[1]))
    press(play)
