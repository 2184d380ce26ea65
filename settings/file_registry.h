// The per-user keys kept in one text file in the registry editor's export
// format, for systems without a registry. Reads see the file as it was when a
// key was opened from the root. Changes are held in the open handles and saved
// together when the last handle of that opening is closed (for the settings
// writer: when it closes the main key), so one save is one replacement of the
// whole file (settings_file.h), made on the file as it is then: the changes
// are applied to it, and keys and values the program does not know are kept.
// Not for use from several threads at once.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "settings/reg_file.h"
#include "settings/registry.h"
#include "settings/settings_file.h"

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

}  // namespace settings
