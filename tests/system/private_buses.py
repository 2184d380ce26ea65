"""Two private D-Bus buses for a test that may reach the system commands or
the desktop's services, and the check that both bus addresses lead to them.

A test case derived from PrivateBusTestCase starts a system and a session
bus of its own, listening only in its temporary folder, and exits before any
test runs unless both addresses are those buses, checked by asking each bus
for its daemon's process. Call private_bus_problem() again right before
anything acts.
"""

import os
import shutil
import sys
import tempfile

import dbus
from dbusmock import DBusTestCase

# The machine's own buses: the usual places and whatever this run inherited.
MACHINE_BUSES = ('unix:path=/run/dbus/system_bus_socket',
                 'unix:path=/var/run/dbus/system_bus_socket',
                 f'unix:path={os.environ.get("XDG_RUNTIME_DIR", "/run/user")}/bus')
MACHINE_BUSES += tuple(os.environ[v] for v in ('DBUS_SYSTEM_BUS_ADDRESS',
                                                'DBUS_SESSION_BUS_ADDRESS') if os.environ.get(v))


class PrivateBusTestCase(DBusTestCase):
    folder = None
    buses = {}  # 'system' / 'session' -> (daemon pid, address)

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='tessarin-buses-')
        cls.buses = {}
        conf = os.path.join(cls.folder, 'bus.conf')
        # Like a session bus, listening only in our folder, starting nothing.
        with open(conf, 'w', encoding='utf-8') as f:
            f.write('<!DOCTYPE busconfig PUBLIC'
                    ' "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"'
                    ' "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">'
                    f'<busconfig><listen>unix:dir={cls.folder}</listen>'
                    '<policy context="default"><allow send_destination="*" eavesdrop="true"/>'
                    '<allow eavesdrop="true"/><allow own="*"/></policy></busconfig>')
        for kind in ('system', 'session'):
            cls.buses[kind] = cls.start_dbus(conf=conf)
            os.environ[f'DBUS_{kind.upper()}_BUS_ADDRESS'] = cls.buses[kind][1]
        os.environ.pop('DBUS_STARTER_ADDRESS', None)
        os.environ.pop('DBUS_STARTER_BUS_TYPE', None)
        problem = cls.private_bus_problem()
        if problem:
            cls.tearDownClass()
            sys.exit(f'{os.path.basename(sys.argv[0])}: refused: {problem}')

    @classmethod
    def tearDownClass(cls):
        for pid, _ in cls.buses.values():
            cls.stop_dbus(pid)
        shutil.rmtree(cls.folder, ignore_errors=True)

    @classmethod
    def private_bus_problem(cls):
        """Why the bus addresses may not be used, or None when both lead to our daemons."""
        for kind, (pid, address) in cls.buses.items():
            current = os.environ.get(f'DBUS_{kind.upper()}_BUS_ADDRESS', '')
            if (current != address or not current.startswith(f'unix:path={cls.folder}/')
                    or any(current.startswith(machine) for machine in MACHINE_BUSES)):
                return f'the {kind} bus address {current!r} is not a bus of this test'
            bus = dbus.bus.BusConnection(current)
            daemon = bus.get_object('org.freedesktop.DBus', '/org/freedesktop/DBus')
            served_by = daemon.GetConnectionUnixProcessID('org.freedesktop.DBus',
                                                          dbus_interface='org.freedesktop.DBus')
            bus.close()
            if served_by != pid:
                return f'the {kind} bus is not served by the daemon this test started'
        return None


class BusMonitor:
    """The messages on one bus that match `rule`, handed to take() in order."""

    def __init__(self, address, rule):
        self.bus = dbus.bus.BusConnection(address)
        self.bus.add_message_filter(lambda _, message: self.take(message))
        self.bus.call_blocking('org.freedesktop.DBus', '/org/freedesktop/DBus',
                               'org.freedesktop.DBus.Monitoring', 'BecomeMonitor', 'asu',
                               ([rule], 0))

    def take(self, message):
        raise NotImplementedError

    def close(self):
        self.bus.close()
