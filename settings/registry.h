// The registry operations the settings code needs, and nothing more: create or
// open a key below the per-user root, open an existing key, query a value of an
// exact length, set a value of a given type, close. Results are the registry's
// own error codes, so a Windows build can put the native registry behind this
// interface unchanged; on Linux a hive file stands behind it (file_registry.h).
// Key and value names are compared without regard to ASCII case.
#pragma once

#include <cstdint>
#include <string_view>

namespace settings {

// A key handle. Handles are small numbers owned by the Registry that issued
// them; 0 is never a valid handle.
using RegKey = std::uintptr_t;

// The root of the current user's keys. It is always open; closing it is a
// no-op. (0x80000001 is the value the native registry uses for this root.)
inline constexpr RegKey kCurrentUser = 0x80000001u;

// Result codes, numbered as the registry numbers them.
using RegResult = std::int32_t;
inline constexpr RegResult kSuccess = 0;
inline constexpr RegResult kFileNotFound = 2;  // key or value does not exist
inline constexpr RegResult kPathNotFound = 3;  // no place for the store at all
inline constexpr RegResult kAccessDenied = 5;
inline constexpr RegResult kInvalidHandle = 6;
inline constexpr RegResult kInvalidData = 13;  // stored value shorter than asked for
inline constexpr RegResult kInvalidParameter = 87;
inline constexpr RegResult kDiskFull = 112;
inline constexpr RegResult kMoreData = 234;    // stored value longer than asked for
inline constexpr RegResult kCantWrite = 1013;  // the store could not be saved

// Value types, numbered as the registry numbers them.
using RegType = std::uint32_t;
inline constexpr RegType kRegNone = 0;
inline constexpr RegType kRegSz = 1;
inline constexpr RegType kRegExpandSz = 2;
inline constexpr RegType kRegBinary = 3;
inline constexpr RegType kRegDword = 4;
inline constexpr RegType kRegMultiSz = 7;
inline constexpr RegType kRegQword = 11;

class Registry {
public:
    virtual ~Registry() = default;

    // Opens `subKey` (components separated by '\') below `parent`, creating it
    // and any missing parents. On success `*key` receives a new handle.
    virtual RegResult CreateKey(RegKey parent, std::string_view subKey, RegKey* key) = 0;

    // Opens an existing key; kFileNotFound when it does not exist.
    virtual RegResult OpenKey(RegKey parent, std::string_view subKey, RegKey* key) = 0;

    // Copies the data of value `name` (empty: the key's default value) into
    // `data`, but only when exactly `length` bytes are stored; the stored type
    // is not checked. A longer value gives kMoreData, a shorter one
    // kInvalidData, a missing one kFileNotFound; on any failure `data` is left
    // untouched, so a setting that cannot be read keeps its state.
    virtual RegResult QueryValue(RegKey key, std::string_view name, void* data,
                                 std::uint32_t length) = 0;

    // Stores `length` bytes of type `type` as value `name`, replacing any value
    // of that name. A store may hold changes back until the key is closed.
    virtual RegResult SetValue(RegKey key, std::string_view name, RegType type, const void* data,
                               std::uint32_t length) = 0;

    // Releases the handle. When a store holds changes back, the close that
    // makes them permanent returns the result of doing so.
    virtual RegResult CloseKey(RegKey key) = 0;
};

}  // namespace settings
