#include "settings/file_registry.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <utility>

namespace settings {

namespace {

constexpr std::string_view kRootName = "HKEY_CURRENT_USER";
constexpr std::size_t kMaxNameLength = 16383;  // the registry's limit for value names
constexpr std::size_t kMaxKeyNameLength = 255;

bool BadName(std::string_view name, std::size_t maxLength) {
    return name.size() > maxLength || std::any_of(name.begin(), name.end(), [](char c) {
               return static_cast<unsigned char>(c) < 0x20;
           });
}

}  // namespace

FileRegistry::FileRegistry(std::string path) : path_(std::move(path)) {}

FileRegistry::~FileRegistry() {
    std::set<Session*> done;
    for (auto& [key, handle] : handles_) {
        if (done.insert(handle.session.get()).second && !handle.session->changes.empty())
            Commit(*handle.session);
    }
}

RegResult FileRegistry::Open(RegKey parent, std::string_view subKey, bool create, RegKey* key) {
    if (key == nullptr) return kInvalidParameter;
    if (path_.empty()) return kPathNotFound;
    // Components must be non-empty: no leading, trailing or double '\'.
    std::size_t start = 0;
    while (!subKey.empty()) {
        const std::size_t end = std::min(subKey.find('\\', start), subKey.size());
        if (BadName(subKey.substr(start, end - start), kMaxKeyNameLength) || end == start)
            return kInvalidParameter;
        if (end == subKey.size()) break;
        start = end + 1;
        if (start == subKey.size()) return kInvalidParameter;
    }

    std::shared_ptr<Session> session;
    std::string section;
    if (parent == kCurrentUser) {
        LoadedRegFile loaded = LoadRegFile(path_);
        if (loaded.kind == LoadedRegFile::kUnusable) {
            ReportSettingsFileProblem(path_, loaded.reason);
            return create ? loaded.error : kFileNotFound;
        }
        if (loaded.kind == LoadedRegFile::kMissing && !create) return kFileNotFound;
        if (!create && loaded.parsed.Damaged()) ReportSettingsFileProblem(path_, loaded.reason);
        session = std::make_shared<Session>();
        session->view = std::move(loaded.parsed.file);
        section = kRootName;
    } else {
        const auto it = handles_.find(parent);
        if (it == handles_.end()) return kInvalidHandle;
        session = it->second.session;
        section = it->second.section;
    }
    if (!subKey.empty()) {
        section += '\\';
        section += subKey;
    }
    if (create) {
        session->view.Ensure(section);
        session->changes.push_back({section, false, {}});
    } else if (!session->view.KeyExists(section)) {
        return kFileNotFound;
    }
    if (nextHandle_ == kCurrentUser) ++nextHandle_;
    *key = nextHandle_++;
    ++session->openHandles;
    handles_[*key] = Handle{std::move(session), std::move(section)};
    return kSuccess;
}

RegResult FileRegistry::CreateKey(RegKey parent, std::string_view subKey, RegKey* key) {
    return Open(parent, subKey, true, key);
}

RegResult FileRegistry::OpenKey(RegKey parent, std::string_view subKey, RegKey* key) {
    return Open(parent, subKey, false, key);
}

RegResult FileRegistry::QueryValue(RegKey key, std::string_view name, void* data,
                                   std::uint32_t length) {
    const auto it = handles_.find(key);
    if (it == handles_.end()) return kInvalidHandle;
    if (data == nullptr && length != 0) return kInvalidParameter;
    const RegSection* section = it->second.session->view.Find(it->second.section);
    const RegValue* value = section ? section->Find(name) : nullptr;
    if (value == nullptr || value->form == ValueForm::kDelete) return kFileNotFound;
    const std::vector<std::uint8_t> bytes = value->QueryBytes();
    if (bytes.size() > length) return kMoreData;
    if (bytes.size() < length) return kInvalidData;
    if (length != 0) std::memcpy(data, bytes.data(), length);
    return kSuccess;
}

RegResult FileRegistry::SetValue(RegKey key, std::string_view name, RegType type, const void* data,
                                 std::uint32_t length) {
    const auto it = handles_.find(key);
    if (it == handles_.end()) return kInvalidHandle;
    if ((data == nullptr && length != 0) || BadName(name, kMaxNameLength)) return kInvalidParameter;
    RegValue value;
    value.name = std::string(name);
    value.type = type;
    value.form = type == kRegDword && length == 4 ? ValueForm::kDword : ValueForm::kHex;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    value.data.assign(bytes, bytes + length);
    Session& session = *it->second.session;
    session.view.Ensure(it->second.section).Set(value);
    session.changes.push_back({it->second.section, true, std::move(value)});
    return kSuccess;
}

RegResult FileRegistry::CloseKey(RegKey key) {
    if (key == kCurrentUser) return kSuccess;
    const auto it = handles_.find(key);
    if (it == handles_.end()) return kInvalidHandle;
    const std::shared_ptr<Session> session = std::move(it->second.session);
    handles_.erase(it);
    if (--session->openHandles > 0 || session->changes.empty()) return kSuccess;
    return Commit(*session);
}

RegResult FileRegistry::Commit(const Session& session) {
    return SaveRegFile(path_, [&](RegFile& file) {
        for (const Change& c : session.changes) {
            RegSection& section = file.Ensure(c.section);
            if (c.hasValue) section.Set(c.value);
        }
    });
}

}  // namespace settings
