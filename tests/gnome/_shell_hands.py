#!/usr/bin/python3
# The GNOME scripts' hands and eyes: input injected through Mutter's remote desktop and pictures
# taken by the shell, over one session-bus connection that lives as long as this program, so
# that the virtual keyboard and pointer stay the same devices for the whole test.
#
# Prints "ready" once an injected key and an injected pointer movement reach the shell, then
# reads one command a line and answers each with "ok" once the shell has taken it, or
# "error TEXT":
#   key CODE     presses and releases the key of that evdev code
#   move DX DY   moves the pointer by that many pixels
#   shot FILE    a PNG of every monitor
import sys
import time

from gi.repository import Gio, GLib

bus = Gio.bus_get_sync(Gio.BusType.SESSION)
MUTTER = 'org.gnome.Mutter.RemoteDesktop'
SESSION = 'org.gnome.Mutter.RemoteDesktop.Session'
LEFT_SHIFT = 42


def call(name, path, interface, method, signature=None, *args):
    parameters = GLib.Variant('(' + signature + ')', args) if signature else None
    return bus.call_sync(name, path, interface, method, parameters, None,
                         Gio.DBusCallFlags.NO_AUTO_START, 10000, None).unpack()


def idletime():
    return call('org.gnome.Mutter.IdleMonitor', '/org/gnome/Mutter/IdleMonitor/Core',
                'org.gnome.Mutter.IdleMonitor', 'GetIdletime')[0]


def move(dx, dy):
    call(MUTTER, session, SESSION, 'NotifyPointerMotionRelative', 'dd', float(dx), float(dy))


def key(code):
    for pressed in (True, False):
        call(MUTTER, session, SESSION, 'NotifyKeyboardKeycode', 'ub', code, pressed)


# The shell hands its pictures only to the owner of the screenshot tool's name.
if call('org.freedesktop.DBus', '/org/freedesktop/DBus', 'org.freedesktop.DBus', 'RequestName',
        'su', 'org.gnome.Screenshot', 4)[0] != 1:
    sys.exit('org.gnome.Screenshot is taken')
session = call(MUTTER, '/org/gnome/Mutter/RemoteDesktop', MUTTER, 'CreateSession')[0]
call(MUTTER, session, SESSION, 'Start')
# The virtual devices come each with its first event, which it loses: tap Shift, then nudge the
# pointer to and fro, until the shell's idle time shows that one arrived.
for name, event in (('key', lambda: key(LEFT_SHIFT)), ('pointer movement', lambda: move(1, 0))):
    deadline = time.monotonic() + 10
    while True:
        sent = time.monotonic()
        event()
        time.sleep(0.05)
        if idletime() < (time.monotonic() - sent) * 1000:
            break
        if time.monotonic() > deadline:
            sys.exit('no injected ' + name + ' reaches the shell')
move(-1, 0)
print('ready', flush=True)

for line in sys.stdin:
    words = line.split()
    try:
        if words[0] == 'key':
            key(int(words[1]))
        elif words[0] == 'move':
            move(words[1], words[2])
        elif words[0] == 'shot':
            done, _ = call('org.gnome.Shell.Screenshot', '/org/gnome/Shell/Screenshot',
                           'org.gnome.Shell.Screenshot', 'Screenshot', 'bbs', False, False, words[1])
            if not done:
                raise RuntimeError('the shell took no picture')
        else:
            raise RuntimeError('unknown command ' + words[0])
        print('ok', flush=True)
    except (GLib.Error, RuntimeError, IndexError, ValueError) as error:
        print('error', error, flush=True)
call(MUTTER, session, SESSION, 'Stop')
