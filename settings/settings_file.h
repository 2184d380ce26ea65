// The settings file on disk, crash-safe: one save is one replacement of the
// whole file. Under an exclusive flock() on "<file>.lock", the current file is
// read again, changed, written to a temporary file in the same folder, which
// is fsync()ed and rename()d over the old one, and then the folder is
// fsync()ed. A kill at any instant leaves the complete old or the complete new
// file; concurrent savers take turns and keep each other's changes. A file
// that is not wholly readable is kept as "<file>.bad-<time>" before it is
// replaced, and its readable values are still used. A directory, a dangling
// link or anything else that is not a regular file in place of the file reads
// as missing, and a save then fails and changes nothing. Failures print one
// line on standard error and are otherwise only the returned codes.
// Not for use from several threads at once.
#pragma once

#include <functional>
#include <string>

#include "settings/reg_file.h"
#include "settings/registry.h"

namespace settings {

// $XDG_CONFIG_HOME/Orvanholt/Tessarin.reg; $HOME/.config instead when that
// variable is unset, empty or relative; the home directory of the passwd entry
// when HOME is unset, empty or relative too. Empty when there is no home.
std::string DefaultSettingsPath();
// The same rule over given values (null: unset).
std::string SettingsPathFrom(const char* xdgConfigHome, const char* home, const char* passwdHome);

// What is at the file's place.
struct LoadedRegFile {
    enum Kind { kMissing, kRead, kUnusable } kind = kMissing;
    RegParseResult parsed;       // kRead: the readable content; Damaged() if not all of it
    RegResult error = kSuccess;  // kUnusable: why
    std::string reason;          // kUnusable or damaged: for the diagnostic line
};
LoadedRegFile LoadRegFile(const std::string& path);

// One save as described above: `modify` gets the current content (empty when
// there is no file) and changes it.
RegResult SaveRegFile(const std::string& path, const std::function<void(RegFile&)>& modify);

// The one line on standard error about the file at `path`.
void ReportSettingsFileProblem(const std::string& path, const std::string& what);

// For tests: called with a short name before each system call that loading
// or saving makes. Returning an errno value makes that call fail with it
// instead of being made; the hook may also end the process to simulate a
// crash there. An empty hook switches it off.
using SysCallHook = std::function<int(const char* call)>;
void SetSysCallHookForTesting(SysCallHook hook);

}  // namespace settings
