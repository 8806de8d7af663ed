#pragma once

namespace velmarsk {

class Settings;

// A batch of settings writes, for a window that stores many keys at once: while it is open, writes
// change memory only, and commit() puts them into the file in one replacement. A batch that is not
// committed, because a write threw or the caller left early, is abandoned when the guard goes:
// memory returns to what the file holds, and the next write reaches the file again. Batches nest;
// the outermost one writes. Settings opens batches through this guard only, so none stays open.
class SettingsBatch {
public:
    explicit SettingsBatch(Settings& settings);
    ~SettingsBatch();
    SettingsBatch(const SettingsBatch&) = delete;
    SettingsBatch& operator=(const SettingsBatch&) = delete;

    // Closes the batch and writes; throws SettingsWriteError as a write does, the batch closed
    // all the same and memory back at what the file holds.
    void commit();

private:
    Settings& m_settings;
    bool m_open = true;
};

}  // namespace velmarsk
