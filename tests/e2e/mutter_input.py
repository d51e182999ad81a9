#!/usr/bin/python3
"""Drives mutter's own pointer and keyboard through its remote-desktop interface on the
session bus: what a person's mouse does, not what an X client pretends.

One remote-desktop session for the whole run (mutter ignores the input of a second one).
Reads one action a line from standard input and answers "ok" once mutter took it:
  to X Y      the pointer to screen pixel X, Y (pushed into the top-left corner the first time)
  click       a left click where the pointer is
  key CODE    a press and release of the evdev key CODE
"""
import sys

from gi.repository import Gio, GLib

BUS_NAME = "org.gnome.Mutter.RemoteDesktop"
SESSION = BUS_NAME + ".Session"
BTN_LEFT = 0x110
KEY_LEFTSHIFT = 42


class RemoteInput:
    def __init__(self):
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        self.where = None  # unknown until pushed into the corner
        self.session = self.call("/org/gnome/Mutter/RemoteDesktop", BUS_NAME, "CreateSession", None, "(o)")[0]
        self.call(self.session, SESSION, "Start")
        # The first key of a new virtual keyboard only brings its key map along, and is lost:
        # spend it on a Shift.
        self.act(["key", str(KEY_LEFTSHIFT)])

    def call(self, path, interface, method, args=None, reply="()"):
        return self.bus.call_sync(BUS_NAME, path, interface, method, args, GLib.VariantType(reply),
                                  Gio.DBusCallFlags.NONE, 5000, None)

    def notify(self, method, signature, *values):
        self.call(self.session, SESSION, method, GLib.Variant(signature, values))

    def act(self, words):
        if words[0] == "to":
            if self.where is None:
                # Motion is clamped to the screen: far up and left lands on 0, 0.
                self.notify("NotifyPointerMotionRelative", "(dd)", -10000.0, -10000.0)
                self.where = (0.0, 0.0)
            # From where it is rather than through the corner each time: a detour over the
            # bare desktop is a leave, and the panel would start back under a click.
            target = (float(words[1]), float(words[2]))
            self.notify("NotifyPointerMotionRelative", "(dd)", target[0] - self.where[0], target[1] - self.where[1])
            self.where = target
        elif words[0] == "click":
            for pressed in (True, False):
                self.notify("NotifyPointerButton", "(ib)", BTN_LEFT, pressed)
        elif words[0] == "key":
            for pressed in (True, False):
                self.notify("NotifyKeyboardKeycode", "(ub)", int(words[1]), pressed)
        else:
            raise ValueError(f"unknown action {words[0]}")

    def stop(self):
        try:
            self.call(self.session, SESSION, "Stop")
        except GLib.Error:
            pass  # mutter went first


def main():
    remote = RemoteInput()
    try:
        for line in sys.stdin:
            if line.split():
                remote.act(line.split())
            print("ok", flush=True)
    finally:
        remote.stop()


if __name__ == "__main__":
    main()
