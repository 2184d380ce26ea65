// Where the program's icons live among the compiled-in Qt resources.
#pragma once

#include <QString>

// ":/icons/<number>.png" for icon resource `iconId` (131, 132, ...).
QString IconResourcePath(int iconId);
