#include "res/qt_resources.h"

#include "res/resource_ids.h"

namespace {

// The program icon at the sizes desktops ask for; the section toggles' and
// the Info dialog's icons at scale factors 1.5 and 2.
constexpr int kWindowSizes[] = {22, 24, 32, 48, 64, 128, 256};
constexpr int kScaledSizes[] = {48, 64};

}  // namespace

QString IconResourcePath(int iconId) {
    return QStringLiteral(":/icons/%1.png").arg(iconId);
}

QString IconResourcePath(int iconId, int size) {
    return QStringLiteral(":/icons/%1_%2.png").arg(iconId).arg(size);
}

std::span<const int> IconExtraSizes(int iconId) {
    if (iconId == res::kIconWindow) return kWindowSizes;
    if (iconId == res::kIconInfo || iconId == res::kIconCollapsed || iconId == res::kIconExpanded)
        return kScaledSizes;
    return {};
}
