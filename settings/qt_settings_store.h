// The user's settings store: an INI file in the user's configuration folder, through QSettings
// (organisation "MQ", application "Ondela", values in the group "Preferences").
#pragma once

#include <memory>
#include <string>

#include "settings/settings_store.h"

class QSettings;

namespace ondela {

class QtSettingsStore : public SettingsStore {
  public:
    QtSettingsStore();
    ~QtSettingsStore() override;
    QtSettingsStore(const QtSettingsStore&) = delete;
    QtSettingsStore& operator=(const QtSettingsStore&) = delete;

    bool OpenKey(SettingsKey key) override;
    bool IsOpen() const override { return m_prefOpen; }
    std::optional<uint32_t> ReadUnsigned(const std::string& name) override;
    std::optional<std::string> ReadString(const std::string& name, std::size_t maxBytes) override;
    bool WriteUnsigned(const std::string& name, uint32_t value) override;
    bool WriteString(const std::string& name, const std::string& text) override;

    // Full path of the INI file (empty before a key was opened).
    std::string FileName() const;

  private:
    std::unique_ptr<QSettings> m_settings;
    bool m_prefOpen = false;
};

}  // namespace ondela
