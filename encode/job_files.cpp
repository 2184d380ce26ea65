#include "encode/job_files.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace encode {

namespace {

// Renames without replacing. Where the file system cannot do that in one
// step, a hard link (which fails on an existing name) and an unlink do it;
// where it has no hard links either (FAT), a look just before the rename.
int RenameNoReplace(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    if (link(from.c_str(), to.c_str()) == 0) {
        unlink(from.c_str());
        return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP) return errno;
    struct stat st {};
    if (lstat(to.c_str(), &st) == 0) return EEXIST;
    return rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int64_t FreeBytes(const std::string& folder) {
    struct statvfs fs {};
    if (statvfs(folder.c_str(), &fs) != 0) return -1;
    return static_cast<int64_t>(fs.f_bavail) * static_cast<int64_t>(fs.f_frsize);
}

std::string WorkFolder::Placeholder(const std::string& output) {
    const std::string folder = FolderOf(output);
    return (folder == "." ? "" : folder + "/") + "." + NameOf(output) + ".tessarin-XXXXXX";
}

int WorkFolder::Create(const std::string& output) {
    Remove();
    std::string path = Placeholder(output);
    // mkdtemp makes it readable by us alone.
    if (mkdtemp(path.data()) == nullptr) return errno;
    m_path = path;
    return 0;
}

void WorkFolder::Remove() {
    if (m_path.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
    m_path.clear();
}

int PutInPlace(const std::vector<std::string>& from, const std::vector<std::string>& to,
               bool replace, std::string* clash) {
    for (std::size_t i = 0; i < from.size() && i < to.size(); ++i) {
        const int error = replace ? (rename(from[i].c_str(), to[i].c_str()) == 0 ? 0 : errno)
                                  : RenameNoReplace(from[i], to[i]);
        if (error == 0) continue;
        if (error == EEXIST && clash != nullptr) *clash = to[i];
        // Back where they were, so that the work folder takes them away.
        for (std::size_t k = 0; k < i; ++k)
            rename(to[k].c_str(), from[k].c_str());
        return error;
    }
    return 0;
}

}  // namespace encode
