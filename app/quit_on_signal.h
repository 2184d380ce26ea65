// Ends the main loop, like the quit request, when the process is asked to
// terminate (SIGTERM, SIGHUP, SIGINT), as happens at the end of a desktop
// session; the settings are then saved as after any other end of the loop.
#pragma once

// Installs the handlers; call once, after the application object exists.
void QuitLoopOnTerminationSignals();
