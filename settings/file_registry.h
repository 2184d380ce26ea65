// The per-user keys kept in one text file in the registry editor's export
// format, for systems without a registry. Reads see the file as it was when a
// key was opened from the root. Changes are held in the open handles and saved
// together when the last handle of that opening is closed (for the settings
// writer: when it closes the main key), so one save is one replacement of the
// whole file: under an exclusive flock() on "<file>.lock", the current file is
// read again, the changes are applied to it, the result goes to a temporary
// file in the same folder, which is fsync()ed and rename()d over the old one,
// and then the folder is fsync()ed. A kill at any instant leaves the complete
// old or the complete new file; concurrent savers take turns and keep each
// other's changes. Keys and values the program does not know are kept. A file
// that is not wholly readable is kept as "<file>.bad-<time>" before it is
// replaced, and its readable values are still used. A directory, a dangling
// link or anything else that is not a regular file in place of the file reads
// as missing, and a save then fails and changes nothing. Failures print one
// line on standard error and are otherwise only the returned codes.
// Not for use from several threads at once.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "settings/reg_file.h"
#include "settings/registry.h"

namespace settings {

class FileRegistry final : public Registry {
public:
    // `path` is the file; with an empty path every operation fails with
    // kPathNotFound.
    explicit FileRegistry(std::string path);
    // Saves the changes of handles that were never closed.
    ~FileRegistry() override;
    FileRegistry(const FileRegistry&) = delete;
    FileRegistry& operator=(const FileRegistry&) = delete;

    RegResult CreateKey(RegKey parent, std::string_view subKey, RegKey* key) override;
    RegResult OpenKey(RegKey parent, std::string_view subKey, RegKey* key) override;
    RegResult QueryValue(RegKey key, std::string_view name, void* data,
                         std::uint32_t length) override;
    RegResult SetValue(RegKey key, std::string_view name, RegType type, const void* data,
                       std::uint32_t length) override;
    RegResult CloseKey(RegKey key) override;

    const std::string& Path() const { return path_; }

private:
    struct Change {
        std::string section;
        bool hasValue = false;
        RegValue value;
    };
    struct Session {
        RegFile view;  // the file at opening, with this session's changes
        std::vector<Change> changes;
        int openHandles = 0;
    };
    struct Handle {
        std::shared_ptr<Session> session;
        std::string section;  // full key path, "HKEY_CURRENT_USER\..."
    };

    RegResult Open(RegKey parent, std::string_view subKey, bool create, RegKey* key);
    RegResult Commit(const Session& session);

    std::string path_;
    std::map<RegKey, Handle> handles_;
    RegKey nextHandle_ = 1;
};

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

// For tests: called with a short name before each system call that loading
// or saving makes. Returning an errno value makes that call fail with it
// instead of being made; the hook may also end the process to simulate a
// crash there. An empty hook switches it off.
using SysCallHook = std::function<int(const char* call)>;
void SetSysCallHookForTesting(SysCallHook hook);

}  // namespace settings
