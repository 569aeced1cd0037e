"""Types into the player's search box as a user does (XTest key events) and times, from
outside, what the screen shows: how long after Enter a one-letter search shows rows down
to the bottom of the result list, and how long each key typed while searches run takes to
show in the box. The controls are found through AT-SPI by name, the screen read with X.

usage: search_latency.py ROUNDS; prints one line per figure, in milliseconds."""
import collections
import ctypes
import statistics
import sys
import time

import pyatspi

x11 = ctypes.CDLL("libX11.so.6")
xtst = ctypes.CDLL("libXtst.so.6")


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]


x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XGetImage.restype = ctypes.POINTER(XImage)
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                          ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x11.XStringToKeysym.restype = ctypes.c_ulong
x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
x11.XFlush.argtypes = [ctypes.c_void_p]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
x11.XFree.argtypes = [ctypes.c_void_p]
xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                      ctypes.c_ulong]
xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                      ctypes.c_ulong]

display = x11.XOpenDisplay(None)
root = x11.XDefaultRootWindow(display)


def grab(box):
    x, y, w, h = box
    image = x11.XGetImage(display, root, x, y, w, h, 0xFFFFFFFF, 2)  # ZPixmap
    data = ctypes.string_at(image.contents.data, image.contents.bytes_per_line * h)
    x11.XFree(image.contents.data)
    x11.XFree(image)
    return data


def key(name):
    code = x11.XKeysymToKeycode(display, x11.XStringToKeysym(name.encode()))
    xtst.XTestFakeKeyEvent(display, code, 1, 0)
    xtst.XTestFakeKeyEvent(display, code, 0, 0)
    x11.XFlush(display)


def click(x, y):
    xtst.XTestFakeMotionEvent(display, -1, x, y, 0)
    xtst.XTestFakeButtonEvent(display, 1, 1, 0)
    xtst.XTestFakeButtonEvent(display, 1, 0, 0)
    x11.XSync(display, 0)


def find(name, timeout=60.0):
    """The control named `name`; lists and tables are not entered (a million rows)."""
    skip = {pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_LIST}
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is None or app.name.lower() != "tornavel":
                continue
            todo = [app]
            while todo:
                node = todo.pop()
                if node is None:
                    continue
                if node.name == name:
                    return node
                if node.getRole() not in skip:
                    todo.extend(node[i] for i in range(node.childCount))
        time.sleep(0.2)
    sys.exit(f"FAIL: {name} not found through AT-SPI")


def extents(control):
    e = control.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return e.x, e.y, e.width, e.height


def until_changed(box, before, limit=2.0):
    """Milliseconds until the pixels of `box` differ from `before`."""
    t0 = time.perf_counter()
    while time.perf_counter() - t0 < limit:
        if grab(box) != before:
            return (time.perf_counter() - t0) * 1e3
    return float("inf")


def ink_columns(image, width):
    """Columns of a one-row image that differ from its commonest pixel (the background)."""
    pixels = [image[4 * x:4 * x + 4] for x in range(width)]
    background = collections.Counter(pixels).most_common(1)[0][0]
    return sum(1 for p in pixels if p != background)


def until_letter(line, before, limit=2.0):
    """Milliseconds until a row through the middle of the search box shows a letter more: at
    least three more columns of ink (the blinking cursor alone is one)."""
    t0 = time.perf_counter()
    while time.perf_counter() - t0 < limit:
        if ink_columns(grab(line), line[2]) >= before + 3:
            return (time.perf_counter() - t0) * 1e3
    return float("inf")


def select_all_and_type(text):
    control = x11.XKeysymToKeycode(display, x11.XStringToKeysym(b"Control_L"))
    xtst.XTestFakeKeyEvent(display, control, 1, 0)
    key("a")
    xtst.XTestFakeKeyEvent(display, control, 0, 0)
    x11.XFlush(display)
    for letter in text:
        key(letter)


rounds = int(sys.argv[1])
box = extents(find("txtbusq"))
# The result list lies where the library list does, and is hidden until the first search.
results = extents(find("lstdata"))
print(f"search box at {box}, lists at {results}")
# A band across the tenth row of the result list: rows there mean the first screen is in.
band = (results[0] + 4, results[1] + results[3] - 19 * 2, results[2] - 24, 10)
line = (box[0] + 4, box[1] + box[3] // 2, box[2] - 8, 1)
click(box[0] + box[2] // 2, box[1] + box[3] // 2)
time.sleep(0.5)
first, keys = [], []
for r in range(rounds):
    # An empty result list in front: a search that finds nothing.
    select_all_and_type("zzz")
    key("Return")
    time.sleep(1.0)
    empty = grab(band)
    select_all_and_type("a")
    time.sleep(0.5)
    key("Return")
    first.append(until_changed(band, empty))
    time.sleep(0.5)
    # Keys while searches run: each letter, then Enter for a new search at once.
    for letter in "eeee":
        before = ink_columns(grab(line), line[2])
        key(letter)
        keys.append(until_letter(line, before))
        key("Return")
    time.sleep(0.5)


def row(name, values):
    p90 = statistics.quantiles(values, n=10, method="inclusive")[-1]
    print(f"{name}: min {min(values):.1f} median {statistics.median(values):.1f} "
          f"p90 {p90:.1f} max {max(values):.1f} ms ({len(values)} runs)")


row("first screen of one-letter results after Enter", first)
row("a key shown in the search box while searches run", keys)
