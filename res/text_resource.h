// Text resources of the program as plain bytes, found by type and number the
// way a resource file is searched. Today there is one: the version history
// ("TEXTE", 138) in code page 1252.
#pragma once

#include <span>

inline constexpr int kHistoryTextId = 138;

// The bytes of resource (`type`, `id`), or an empty span when there is none.
std::span<const unsigned char> FindTextResource(const char* type, int id);
