// The files of one job: the names it writes, its private working folder
// beside the output (statistics, audio, the second passes and the parts
// before they are complete), and the last step that gives the parts their
// names without replacing a file that appeared meanwhile. The folder and all
// in it are removed when the object goes, whatever happened.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace encode {

// The folder of `path` ("." for a bare name) and its last component.
std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);

// Bytes that this user may still write in `folder`; -1 when unknown.
int64_t FreeBytes(const std::string& folder);

class WorkFolder {
public:
    WorkFolder() = default;
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    ~WorkFolder() { Remove(); }

    // A new folder only we may enter, ".NAME.tessarin-XXXXXX" beside
    // `output`. 0 on success, else the errno.
    int Create(const std::string& output);
    const std::string& Path() const { return m_path; }
    void Remove();

    // The pattern of the folder's name before it exists, for the commands a
    // dry run prints.
    static std::string Placeholder(const std::string& output);

private:
    std::string m_path;
};

// Renames each of `from` to the same place in `to`. Without `replace` an
// existing file is never replaced, not even one that appeared a moment ago:
// then nothing is renamed at all (those renamed already go back), `clash`
// names it and the result is EEXIST. 0 on success, else the errno.
int PutInPlace(const std::vector<std::string>& from, const std::vector<std::string>& to,
               bool replace, std::string* clash);

}  // namespace encode
