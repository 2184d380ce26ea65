// Settings are not stored yet: reading finds nothing and every value keeps
// its initial state; writing stores nothing. Both report "not found".
#include "mainwnd/rate_dlg.h"

namespace {
constexpr uint32_t kErrorFileNotFound = 2;
}

uint32_t CRateDlg::ReadSettings() {
    return kErrorFileNotFound;
}
uint32_t CRateDlg::WriteSettings() {
    return kErrorFileNotFound;
}
