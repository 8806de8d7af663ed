#include "settings/settingsbatch.h"

#include "settings/settings.h"

namespace velmarsk {

SettingsBatch::SettingsBatch(Settings& settings) : m_settings(settings) {
    m_settings.beginBatch();
}

SettingsBatch::~SettingsBatch() {
    if (m_open) m_settings.abandonBatch();
}

void SettingsBatch::commit() {
    if (!m_open) return;
    m_open = false;
    m_settings.endBatch();
}

}  // namespace velmarsk
