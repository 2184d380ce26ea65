#!/usr/bin/python3
"""Log-off, restart and power-off, clicked in the real window, against mocks.

Starts two private D-Bus buses of its own, refuses to go on unless both bus
addresses are those buses (checked by asking each bus for its daemon's
process), runs python3-dbusmock's logind on the system one and the desktops'
session managers on the session one, and has system_command_probe click a
menu item. A monitor on each bus records every method call to these
services, in order, with its signature and arguments; the mocks' own call
logs must agree. The probe itself checks that the window kept answering.

Usage: system_commands_test.py PROBE
"""

import os
import subprocess
import sys
import time
import unittest

import dbus
import dbus.mainloop.glib
from dbusmock import MOCK_IFACE
from gi.repository import GLib

from private_buses import BusMonitor, PrivateBusTestCase

LOG_OFF, RESTART, POWER_OFF = 32771, 32772, 32773

LOGIND = ('org.freedesktop.login1', '/org/freedesktop/login1', 'org.freedesktop.login1.Manager')
OWN_SESSION = ('org.freedesktop.login1', '/org/freedesktop/login1/session/c1',
               'org.freedesktop.login1.Session')
GNOME = ('org.gnome.SessionManager', '/org/gnome/SessionManager', 'org.gnome.SessionManager')
XFCE = ('org.xfce.SessionManager', '/org/xfce/SessionManager', 'org.xfce.Session.Manager')
# Desktop: the name its session runs under, where its requests go, the methods
# its manager has (name: in signature), and the calls that log off, restart
# and power off make, in order, as (method, arguments...).
DESKTOPS = {
    'KDE Plasma': ('org.kde.ksmserver', ('org.kde.Shutdown', '/Shutdown', 'org.kde.Shutdown'),
                   {'logout': '', 'logoutAndReboot': '', 'logoutAndShutdown': ''},
                   ([('logout',)], [('logoutAndReboot',)], [('logoutAndShutdown',)])),
    # No call without a dialog: RequestReboot is an unknown method.
    'GNOME': (GNOME[0], GNOME, {'Logout': 'u', 'Reboot': '', 'Shutdown': ''},
              ([('Logout', 1)], [('RequestReboot',), ('Reboot',)],
               [('RequestShutdown',), ('Shutdown',)])),
    'MATE': (GNOME[0], GNOME, {'Logout': 'u', 'Shutdown': '', 'RequestReboot': '',
                               'RequestShutdown': ''},
             ([('Logout', 1)], [('RequestReboot',)], [('RequestShutdown',)])),
    'Xfce': (XFCE[0], XFCE, {'Logout': 'bb', 'Restart': 'b', 'Shutdown': 'b'},
             ([('Logout', False, True)], [('Restart', True)], [('Shutdown', True)])),
    'LXQt': ('org.lxqt.session', ('org.lxqt.session', '/LXQtSession', 'org.lxqt.session'),
             {'logout': '', 'reboot': '', 'powerOff': ''},
             ([('logout',)], [('reboot',)], [('powerOff',)])),
}
WATCHED = {LOGIND[0]} | {d[0] for d in DESKTOPS.values()} | {d[1][0] for d in DESKTOPS.values()}

PROBE_PID = object()  # stands for the probe's process id
ERROR = 'raise dbus.exceptions.DBusException("no", name="org.freedesktop.DBus.Error.AccessDenied")'
HANG = 'time.sleep(6)'  # longer than the probe waits: an answer that never comes
HANG_YES = HANG + '; ret = "yes"'
SLOW_YES = 'time.sleep(0.5); ret = "yes"'


def call(target, member, signature='', *args):
    return (*target, member, signature, list(args))


def desktop_call(desktop, member, *args):
    _, target, methods, _ = DESKTOPS[desktop]
    return call(target, member, methods.get(member, ''), *args)


GNOME_LOGOUT = desktop_call('GNOME', 'Logout', 1)
XFCE_LOGOUT = desktop_call('Xfce', 'Logout', False, True)
MATE_REBOOT = desktop_call('MATE', 'RequestReboot')
CAN_REBOOT, REBOOT = call(LOGIND, 'CanReboot'), call(LOGIND, 'Reboot', 'b', True)
CAN_POWER_OFF, POWER_OFF_CALL = call(LOGIND, 'CanPowerOff'), call(LOGIND, 'PowerOff', 'b', True)
TERMINATE_7 = call(LOGIND, 'TerminateSession', 's', '7')

# name, command, clicks, desktop, logind parameters (None: no logind),
# changed logind or desktop methods, XDG_SESSION_ID, how long the probe
# waits after its clicks (ms), the method calls expected in order.
CASES = [(f'{desktop}, {label}', command, 1, desktop, {}, {}, '7', 700,
          [desktop_call(desktop, *c) for c in DESKTOPS[desktop][3][i]])
         for desktop in DESKTOPS
         for i, (label, command) in enumerate((('log off', LOG_OFF), ('restart', RESTART),
                                               ('power off', POWER_OFF)))]
CASES += [
    ('no session manager', LOG_OFF, 1, None, {}, {}, '7', 700, [TERMINATE_7]),
    ('no session manager, no XDG_SESSION_ID', LOG_OFF, 1, None, {}, {}, None, 700,
     [call(LOGIND, 'GetSessionByPID', 'u', PROBE_PID), call(OWN_SESSION, 'Terminate')]),
    ('the session manager refuses', LOG_OFF, 1, 'GNOME', {}, {'Logout': ERROR}, '7', 700,
     [GNOME_LOGOUT]),
    ('the session manager never answers', LOG_OFF, 1, 'GNOME', {}, {'Logout': HANG}, '7', 1500,
     [GNOME_LOGOUT]),
    ('nothing answers', LOG_OFF, 1, None, None, {}, '7', 700, [TERMINATE_7]),
    ('two clicks', LOG_OFF, 2, 'Xfce', {}, {}, '7', 700, [XFCE_LOGOUT, XFCE_LOGOUT]),
    ('restart refused by the session manager', RESTART, 1, 'MATE', {}, {'RequestReboot': ERROR},
     '7', 700, [MATE_REBOOT]),
    ('restart, the session manager never answers', RESTART, 1, 'MATE', {},
     {'RequestReboot': HANG}, '7', 4500, [MATE_REBOOT]),
    ('restart', RESTART, 1, None, {}, {}, '7', 700, [CAN_REBOOT, REBOOT]),
    ('restart, CanReboot "no"', RESTART, 1, None, {'CanReboot': 'no'}, {}, '7', 700,
     [CAN_REBOOT, REBOOT]),
    ('restart, CanReboot "na"', RESTART, 1, None, {'CanReboot': 'na'}, {}, '7', 700,
     [CAN_REBOOT, REBOOT]),
    ('restart refused', RESTART, 1, None, {}, {'Reboot': ERROR}, '7', 700, [CAN_REBOOT, REBOOT]),
    ('restart without logind', RESTART, 1, None, None, {}, '7', 700, [CAN_REBOOT, REBOOT]),
    ('restart twice while the first is pending', RESTART, 2, None, {}, {'CanReboot': SLOW_YES},
     '7', 2000, [CAN_REBOOT, CAN_REBOOT, REBOOT, REBOOT]),
    ('power off', POWER_OFF, 1, None, {}, {}, '7', 700, [CAN_POWER_OFF, POWER_OFF_CALL]),
    ('power off, CanPowerOff fails', POWER_OFF, 1, None, {}, {'CanPowerOff': ERROR}, '7', 700,
     [CAN_POWER_OFF, POWER_OFF_CALL]),
    ('power off, CanPowerOff never answers', POWER_OFF, 1, None, {}, {'CanPowerOff': HANG_YES}, '7',
     4500, [CAN_POWER_OFF, POWER_OFF_CALL]),
]

SIGNATURES = {'CanReboot': ('', 's'), 'CanPowerOff': ('', 's'), 'Reboot': ('b', ''),
              'PowerOff': ('b', '')}


def fail(message):
    sys.exit(f'system_commands_test: {message}')


class CallMonitor(BusMonitor):
    """Every method call to a watched service on one bus, in order."""

    def __init__(self, address):
        self.calls = []
        super().__init__(address, "type='method_call'")

    def take(self, message):
        if message.get_destination() in WATCHED and message.get_interface() != MOCK_IFACE:
            self.calls.append((message.get_destination(), message.get_path(),
                               message.get_interface(), message.get_member(),
                               message.get_signature(), message.get_args_list()))


class SystemCommandsTest(PrivateBusTestCase):
    def spawn(self, name, path, interface, system_bus, methods):
        self.mocks.append(self.spawn_server(name, path, interface, system_bus, subprocess.DEVNULL))
        mock = self.get_dbus(system_bus).get_object(name, path)
        for method, signature, code in methods:
            mock.AddMethod('', method, signature[0], signature[1], code, dbus_interface=MOCK_IFACE)
        return mock

    def start_mocks(self, desktop, logind, changed):
        """The mock objects as {(service, path): (proxy, the methods it logs)}."""
        objects = {}
        if logind is not None:
            self.mocks.append(self.spawn_server_template('logind', logind, subprocess.DEVNULL)[0])
            manager = self.get_dbus(True).get_object(*LOGIND[:2])
            manager.AddMethod('', 'GetSessionByPID', 'u', 'o', f'ret = "{OWN_SESSION[1]}"',
                              dbus_interface=MOCK_IFACE)
            manager.AddSession('c1', 'seat0', 1000, 'user', True, dbus_interface=MOCK_IFACE)
            for method, code in changed.items():
                if method in SIGNATURES:
                    manager.AddMethod('', method, *SIGNATURES[method], code,
                                      dbus_interface=MOCK_IFACE)
            manager.ClearCalls(dbus_interface=MOCK_IFACE)  # AddSession logs itself
            objects[LOGIND[:2]] = (manager, None)
            objects[OWN_SESSION[:2]] = (self.get_dbus(True).get_object(*OWN_SESSION[:2]), None)
        if desktop is not None:
            running, target, methods, _ = DESKTOPS[desktop]
            if running != target[0]:
                objects[(running, '/')] = (self.spawn(running, '/', running, False, []), set())
            objects[target[:2]] = (self.spawn(*target, False, [
                (method, (signature, ''), changed.get(method, ''))
                for method, signature in methods.items()]), set(methods))
        return objects

    def stop_mocks(self):
        for mock in self.mocks:
            mock.terminate()
            mock.wait()
        for kind in ('system', 'session'):
            bus = self.get_dbus(kind == 'system')
            while any(bus.name_has_owner(name) for name in WATCHED):
                time.sleep(0.05)

    def run_probe(self, probe, command, clicks, session_id, run_ms):
        """Runs the probe while the monitors take what the buses carry."""
        env = dict(os.environ)
        env.pop('XDG_SESSION_ID', None)
        if session_id is not None:
            env['XDG_SESSION_ID'] = session_id
        problem = self.private_bus_problem()
        if problem:
            self.fail(f'refused to click: {problem}')
        process = subprocess.Popen(
            [probe, self.buses['system'][1], self.buses['session'][1], str(command), str(clicks),
             str(run_ms)], env=env, stderr=subprocess.PIPE, text=True)
        context = GLib.MainContext.default()
        deadline = time.monotonic() + 60
        while process.poll() is None and time.monotonic() < deadline:
            while context.pending():
                context.iteration(False)
            time.sleep(0.01)
        if process.poll() is None:
            process.kill()
        stderr = process.communicate()[1]
        settle = time.monotonic() + 0.3  # calls already on their way to the monitors
        while time.monotonic() < settle:
            while context.pending():
                context.iteration(False)
            time.sleep(0.01)
        return process.pid, process.returncode, stderr

    def test_requests(self):
        probe = sys.argv[1]
        for name, command, clicks, desktop, logind, changed, session_id, run_ms, expected in CASES:
            with self.subTest(name):
                self.mocks = []
                try:
                    objects = self.start_mocks(desktop, logind, changed)
                    monitors = {kind: CallMonitor(self.buses[kind][1]) for kind in self.buses}
                    pid, status, stderr = self.run_probe(probe, command, clicks, session_id,
                                                         run_ms)
                    self.assertEqual(status, 0, stderr)
                    expected = [(*c[:5], [pid if a is PROBE_PID else a for a in c[5]])
                                for c in expected]
                    for kind, monitor in monitors.items():
                        monitor.close()
                        on_bus = [c for c in expected if (c[0] == LOGIND[0]) == (kind == 'system')]
                        self.assertEqual(monitor.calls, on_bus, f'{kind} bus')
                    for key, (mock, known) in objects.items():
                        logged = [(m, list(a)) for _, m, a in
                                  mock.GetCalls(dbus_interface=MOCK_IFACE)]
                        self.assertEqual(logged, [(c[3], c[5]) for c in expected if c[:2] == key
                                                  and (known is None or c[3] in known)],
                                         f'call log of {key}')
                finally:
                    self.stop_mocks()


if __name__ == '__main__':
    if len(sys.argv) != 2:
        fail('usage: system_commands_test.py PROBE')
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    unittest.main(argv=sys.argv[:1], verbosity=2)
