#include "settings/encode_settings.h"

#include "settings/stored_settings.h"

namespace settings {

namespace {

struct ByteValue {
    std::string_view name;
    std::uint8_t StoredEncodeChoices::*field;
};
constexpr ByteValue kValues[] = {
    {"Video_Codec", &StoredEncodeChoices::videoCodec},
    {"Audio_Codec", &StoredEncodeChoices::audioCodec},
    {"Speed", &StoredEncodeChoices::speed},
};

}  // namespace

RegResult WriteEncodeSettings(Registry& r, const StoredEncodeChoices& choices) {
    RegKey main = 0;
    if (const RegResult err = r.CreateKey(kCurrentUser, kSettingsKeyPath, &main); err != kSuccess)
        return err;
    RegKey sub = 0;
    if (r.CreateKey(main, kEncodeSubKey, &sub) == kSuccess) {
        for (const ByteValue& v : kValues)
            r.SetValue(sub, v.name, kRegBinary, &(choices.*v.field), 1);
        r.CloseKey(sub);
    }
    return r.CloseKey(main);
}

RegResult ReadEncodeSettings(Registry& r, StoredEncodeChoices& choices) {
    RegKey main = 0;
    if (const RegResult err = r.OpenKey(kCurrentUser, kSettingsKeyPath, &main); err != kSuccess)
        return err;
    RegKey sub = 0;
    if (r.OpenKey(main, kEncodeSubKey, &sub) == kSuccess) {
        for (const ByteValue& v : kValues)
            QuerySetting(r, sub, v.name, &(choices.*v.field), 1);
        r.CloseKey(sub);
    }
    return r.CloseKey(main);
}

}  // namespace settings
