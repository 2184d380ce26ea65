// Where the program's icons live among the compiled-in Qt resources, and
// which of them are also drawn at other sizes.
#pragma once

#include <QString>
#include <span>

// ":/icons/<number>.png" for icon resource `iconId` (131, 132, ...).
QString IconResourcePath(int iconId);

// ":/icons/<number>_<size>.png", the same icon drawn `size` pixels square.
QString IconResourcePath(int iconId, int size);

// The extra sizes of `iconId` beyond its own image, smallest first; empty for
// icons that exist at one size only.
std::span<const int> IconExtraSizes(int iconId);
