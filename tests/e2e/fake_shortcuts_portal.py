#!/usr/bin/python3
"""A stand-in for the desktop's shortcuts portal on a private session bus: it answers
CreateSession and BindShortcuts as the portal does (through Request objects named after the
caller and its token), writes each call to stdout, and emits Activated for a shortcut when
told to through its own Press method."""
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

PATH = "/org/freedesktop/portal/desktop"
SHORTCUTS = "org.freedesktop.portal.GlobalShortcuts"


def log(*words):
    print(*words, flush=True)


class Request(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.portal.Request", signature="ua{sv}")
    def Response(self, status, results):
        pass


class Portal(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, PATH)
        self.bus = bus
        self.sessions = {}

    def request(self, sender, token):
        name = sender[1:].replace(".", "_")
        return Request(self.bus, f"{PATH}/request/{name}/{token}")

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, prop):
        if interface == SHORTCUTS and prop == "version":
            return dbus.UInt32(1, variant_level=1)
        raise dbus.exceptions.DBusException("no such property", name="org.freedesktop.DBus.Error.InvalidArgs")

    @dbus.service.method(SHORTCUTS, in_signature="a{sv}", out_signature="o", sender_keyword="sender")
    def CreateSession(self, options, sender):
        session = f"{PATH}/session/{sender[1:].replace('.', '_')}/{options['session_handle_token']}"
        request = self.request(sender, options["handle_token"])
        log("CreateSession", sender)
        GLib.timeout_add(50, lambda: request.Response(0, {"session_handle": session}) and False)
        return request

    @dbus.service.method(SHORTCUTS, in_signature="oa(sa{sv})sa{sv}", out_signature="o", sender_keyword="sender")
    def BindShortcuts(self, session, shortcuts, parent, options, sender):
        self.sessions[str(session)] = [str(s[0]) for s in shortcuts]
        for shortcut_id, props in shortcuts:
            log("BindShortcuts", session, shortcut_id, repr(str(props.get("description", ""))))
        request = self.request(sender, options["handle_token"])
        GLib.timeout_add(50, lambda: request.Response(0, {"shortcuts": dbus.Array(shortcuts, signature="(sa{sv})")}) and False)
        return request

    @dbus.service.signal(SHORTCUTS, signature="osta{sv}")
    def Activated(self, session, shortcut_id, timestamp, options):
        pass

    @dbus.service.method("net.vanupelro.test.FakePortal", in_signature="s")
    def Press(self, shortcut_id):
        for session, ids in self.sessions.items():
            if shortcut_id in ids:
                self.Activated(dbus.ObjectPath(session), shortcut_id, dbus.UInt64(0), dbus.Dictionary({}, signature="sv"))
                log("Activated", session, shortcut_id)


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    portal = Portal(bus)
    name = dbus.service.BusName("org.freedesktop.portal.Desktop", bus)  # held while referenced
    log("ready")
    GLib.MainLoop().run()
    del portal, name


if __name__ == "__main__":
    sys.exit(main())
