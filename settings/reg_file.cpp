#include "settings/reg_file.h"

#include <algorithm>
#include <utility>

namespace settings {

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool InSubtree(std::string_view path, std::string_view root) {
    return NamesEqual(path, root) || (path.size() > root.size() && path[root.size()] == '\\' &&
                                      NamesEqual(path.substr(0, root.size()), root));
}

}  // namespace

bool NamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

std::vector<std::uint8_t> RegValue::QueryBytes() const {
    std::vector<std::uint8_t> bytes = data;
    if (form == ValueForm::kString) bytes.push_back(0);
    return bytes;
}

RegValue* RegSection::Find(std::string_view name) {
    for (RegValue& v : values) {
        if (NamesEqual(v.name, name)) return &v;
    }
    return nullptr;
}

const RegValue* RegSection::Find(std::string_view name) const {
    return const_cast<RegSection*>(this)->Find(name);
}

void RegSection::Set(RegValue value) {
    if (RegValue* old = Find(value.name)) {
        *old = std::move(value);
    } else {
        values.push_back(std::move(value));
    }
}

RegSection* RegFile::Find(std::string_view path) {
    for (RegSection& s : sections) {
        if (NamesEqual(s.path, path)) return &s;
    }
    return nullptr;
}

const RegSection* RegFile::Find(std::string_view path) const {
    return const_cast<RegFile*>(this)->Find(path);
}

bool RegFile::KeyExists(std::string_view path) const {
    return std::any_of(sections.begin(), sections.end(),
                       [&](const RegSection& s) { return InSubtree(s.path, path); });
}

RegSection& RegFile::Ensure(std::string_view path) {
    if (RegSection* s = Find(path)) return *s;
    std::size_t insertAt = sections.size();
    for (std::string_view ancestor = path;;) {
        const std::size_t cut = ancestor.rfind('\\');
        if (cut == std::string_view::npos) break;
        ancestor = ancestor.substr(0, cut);
        std::size_t lastInTree = sections.size();
        for (std::size_t i = 0; i < sections.size(); ++i) {
            if (InSubtree(sections[i].path, ancestor)) lastInTree = i;
        }
        if (lastInTree != sections.size()) {
            insertAt = lastInTree + 1;
            break;
        }
    }
    auto it = sections.insert(sections.begin() + static_cast<std::ptrdiff_t>(insertAt),
                              RegSection{std::string(path), {}, {}});
    return *it;
}

}  // namespace settings
