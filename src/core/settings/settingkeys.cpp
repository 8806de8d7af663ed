#include "settings/settingkeys.h"

#include <iterator>

namespace velmarsk {
namespace {

#define VELMARSK_SETTING_ADDRESS(SECTION, NAME, KIND, NUMBER, TEXT) &setting::SECTION::NAME,
const SettingKey* const kAll[] = {VELMARSK_SETTING_KEYS(VELMARSK_SETTING_ADDRESS)};
#undef VELMARSK_SETTING_ADDRESS

}  // namespace

std::span<const SettingKey* const> allSettingKeys() {
    return kAll;
}

const SettingKey* findSettingKey(QStringView section, QStringView key) {
    for (const SettingKey* k : kAll)
        if (section.compare(QLatin1StringView(k->section), Qt::CaseInsensitive) == 0 &&
            key.compare(QLatin1StringView(k->key), Qt::CaseInsensitive) == 0)
            return k;
    return nullptr;
}

const SettingKey* findSettingKey(QStringView iniName) {
    const qsizetype comma = iniName.indexOf(QLatin1Char(','));
    if (comma < 0) return nullptr;
    return findSettingKey(iniName.left(comma), iniName.mid(comma + 1));
}

}  // namespace velmarsk
