// A settings store held in memory: for tests and for the command-line designer, which must not
// touch the user's stored settings.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>

#include "settings/settings_store.h"

namespace ondela {

class MemorySettingsStore : public SettingsStore {
  public:
    using Value = std::variant<uint32_t, std::string>;

    MemorySettingsStore() = default;

    bool OpenKey(SettingsKey key) override;
    bool IsOpen() const override { return m_prefOpen; }
    std::optional<uint32_t> ReadUnsigned(const std::string& name) override;
    std::optional<std::string> ReadString(const std::string& name, std::size_t maxBytes) override;
    bool WriteUnsigned(const std::string& name, uint32_t value) override;
    bool WriteString(const std::string& name, const std::string& text) override;

    // Simulated failures: a store whose keys cannot be opened or created, and one that refuses
    // every write.
    void SetOpenFails(bool fails) { m_openFails = fails; }
    void SetWriteFails(bool fails) { m_writeFails = fails; }

    // Direct access for inspection and for planting values of any type, whether a key is open
    // or not.
    const std::map<std::string, Value>& Values() const { return m_values; }
    void Plant(const std::string& name, Value value) { m_values[name] = std::move(value); }
    void Remove(const std::string& name) { m_values.erase(name); }

  private:
    std::map<std::string, Value> m_values;
    bool m_rootOpen = false;
    bool m_prefOpen = false;
    bool m_openFails = false;
    bool m_writeFails = false;
};

}  // namespace ondela
