"""Sets up a headphone cue through AT-SPI, as a script or a screen reader would: deck B takes
the playlist's second entry, deck A plays the first again, deck B's volume knob goes to the
bottom from the keyboard, and deck B's CUE is pressed."""
import subprocess
import sys
import time

import pyatspi

from accessibility import find, press  # noqa: E402

press("cmdnext")
time.sleep(0.5)
press("BTPlay(0)")
knob = find("XVolBT(1)")
# Keys go to the window under the pointer (there is no window manager); the knob takes them
# once it has the focus.
x, y = (int(v) for v in sys.argv[1:3])
subprocess.run(["xdotool", "mousemove", "--sync", str(x + 480), str(y + 40)], check=True)
knob.queryComponent().grabFocus()
time.sleep(0.3)
subprocess.run(["xdotool", "key", "--delay", "50"] + ["Page_Down"] * 6, check=True)
time.sleep(0.3)
value = knob.queryValue().currentValue
if value != 0:
    sys.exit(f"FAIL: XVolBT(1) reads {value} after the keys, not 0")
press("BTCue(1)")
