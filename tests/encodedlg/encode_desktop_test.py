#!/usr/bin/python3
"""What the desktop is told about an encode job, against mocks.

Starts two private D-Bus buses of its own, refuses to go on unless both bus
addresses are those buses (checked by asking each bus for its daemon's
process), runs python3-dbusmock's logind on the system one and its
notification daemon on the session one, and has encode_desktop_probe run a
job in the real dialog. While the probe runs, logind's inhibitors are polled
and the session bus is monitored for the task bar's progress signals.

Usage: encode_desktop_test.py PROBE
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

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'system'))
from private_buses import BusMonitor, PrivateBusTestCase  # noqa: E402

LOGIND = ('org.freedesktop.login1', '/org/freedesktop/login1')
NOTIFICATIONS = ('org.freedesktop.Notifications', '/org/freedesktop/Notifications')
LAUNCHER = 'com.canonical.Unity.LauncherEntry'
APP_URI = 'application://de.orvanholt.tessarin.desktop'
INHIBITOR = ('sleep', 'Tessarin', 'Ein Film wird kodiert', 'block')
DONE = 'film.tessarin.mkv ist fertig: alle 2 Dateien passen.'

# name, probe mode, mocks running, the notification expected as
# (summary, start of the body) or None.
CASES = [
    ('fits while another program is active', 'fits-inactive', True,
     ('Film kodiert', DONE)),
    ('fits while the program is active', 'fits', True, None),
    ('cancelled', 'cancel-inactive', True, None),
    ('fails while another program is active', 'fails-inactive', True,
     ('Kodieren fehlgeschlagen', 'film.tessarin.mkv konnte nicht kodiert werden: ')),
    ('no services on the buses', 'fits-inactive', False, None),
]


def fail(message):
    sys.exit(f'encode_desktop_test: {message}')


class LauncherMonitor(BusMonitor):
    """The task bar's progress signals on the session bus, in order."""

    def __init__(self, address):
        self.updates = []
        super().__init__(address, f"type='signal',interface='{LAUNCHER}'")

    def take(self, message):
        if message.get_interface() == LAUNCHER and message.get_member() == 'Update':
            uri, properties = message.get_args_list()
            self.updates.append((str(uri), float(properties['progress']),
                                 bool(properties['progress-visible'])))


class EncodeDesktopTest(PrivateBusTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        subprocess.run(['ffmpeg', '-v', 'error', '-f', 'lavfi', '-i',
                        'testsrc2=size=160x90:rate=25', '-f', 'lavfi', '-i',
                        'sine=frequency=440', '-t', '6', '-c:v', 'mpeg4', '-c:a', 'aac',
                        os.path.join(cls.folder, 'film.mkv')], check=True, timeout=60)

    def run_probe(self, probe, mode, logind):
        """Runs the probe; returns its status, output, and the inhibitors seen meanwhile."""
        problem = self.private_bus_problem()
        if problem:
            self.fail(f'refused to run the probe: {problem}')
        for name in os.listdir(self.folder):
            if name.startswith('film.tessarin'):
                os.remove(os.path.join(self.folder, name))
        process = subprocess.Popen(
            [probe, self.buses['system'][1], self.buses['session'][1], mode,
             os.path.join(self.folder, 'film.mkv')],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        context = GLib.MainContext.default()
        seen = set()
        deadline = time.monotonic() + 240
        while process.poll() is None and time.monotonic() < deadline:
            while context.pending():
                context.iteration(False)
            if logind is not None:
                seen.update(tuple(str(v) for v in i[:4]) for i in logind.ListInhibitors(
                    dbus_interface='org.freedesktop.login1.Manager'))
            time.sleep(0.02)
        if process.poll() is None:
            process.kill()
        out, err = process.communicate()
        time.sleep(0.3)  # signals already on their way to the monitor
        while context.pending():
            context.iteration(False)
        return process.returncode, out + err, seen

    def test_desktop(self):
        probe = sys.argv[1]
        for name, mode, services, notification in CASES:
            with self.subTest(name):
                mocks = []
                try:
                    logind = notifier = None
                    if services:
                        mocks.append(self.spawn_server_template(
                            'logind', {}, subprocess.DEVNULL)[0])
                        mocks.append(self.spawn_server_template(
                            'notification_daemon', {}, subprocess.DEVNULL)[0])
                        logind = self.get_dbus(True).get_object(*LOGIND)
                        notifier = self.get_dbus(False).get_object(*NOTIFICATIONS)
                    monitor = LauncherMonitor(self.buses['session'][1])
                    status, output, seen = self.run_probe(probe, mode, logind)
                    monitor.close()
                    self.assertEqual(status, 0, output)

                    updates = monitor.updates
                    self.assertTrue(updates, 'no progress on the task bar')
                    self.assertTrue(all(u[0] == APP_URI for u in updates), updates)
                    self.assertTrue(updates[0][2], 'the progress is shown from the start')
                    self.assertFalse(updates[-1][2], 'the progress is hidden at the end')
                    progress = [u[1] for u in updates if u[2]]
                    self.assertEqual(progress, sorted(progress), 'the progress never goes back')
                    if not services:
                        continue
                    inhibits = [list(a) for _, m, a in logind.GetCalls(dbus_interface=MOCK_IFACE)
                                if m == 'Inhibit']
                    self.assertEqual(inhibits, [list(INHIBITOR)])
                    if not mode.startswith('fails'):  # a failing ffmpeg ends it at once
                        self.assertIn(INHIBITOR, seen, 'the inhibitor is held while the job runs')
                    self.assertEqual(list(logind.ListInhibitors(
                        dbus_interface='org.freedesktop.login1.Manager')), [],
                        'the inhibitor is released at the end')
                    notes = [a for _, m, a in notifier.GetCalls(dbus_interface=MOCK_IFACE)
                             if m == 'Notify']
                    if notification is None:
                        self.assertEqual(notes, [])
                    else:
                        self.assertEqual(len(notes), 1, notes)
                        app, _, icon, summary, body = (str(v) for v in notes[0][:5])
                        self.assertEqual((app, icon, summary),
                                         ('Tessarin', 'de.orvanholt.tessarin', notification[0]))
                        self.assertTrue(body.startswith(notification[1]), body)
                finally:
                    for mock in mocks:
                        mock.terminate()
                        mock.wait()


if __name__ == '__main__':
    if len(sys.argv) != 2:
        fail('usage: encode_desktop_test.py PROBE')
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    unittest.main(argv=sys.argv[:1], verbosity=2)
