#include "settings/memory_settings_store.h"

namespace ondela {

bool MemorySettingsStore::OpenKey(SettingsKey key) {
    if (m_openFails) return false;
    if (key == SettingsKey::Root)
        m_rootOpen = true;
    else
        m_prefOpen = true;
    return true;
}

std::optional<uint32_t> MemorySettingsStore::ReadUnsigned(const std::string& name) {
    if (!m_prefOpen) return std::nullopt;
    const auto it = m_values.find(name);
    if (it == m_values.end()) return std::nullopt;
    if (const uint32_t* v = std::get_if<uint32_t>(&it->second)) return *v;
    return std::nullopt;
}

std::optional<std::string> MemorySettingsStore::ReadString(const std::string& name,
                                                           std::size_t maxBytes) {
    if (!m_prefOpen) return std::nullopt;
    const auto it = m_values.find(name);
    if (it == m_values.end()) return std::nullopt;
    const std::string* text = std::get_if<std::string>(&it->second);
    if (text == nullptr || text->size() + 1 > maxBytes) return std::nullopt;
    return *text;
}

bool MemorySettingsStore::WriteUnsigned(const std::string& name, uint32_t value) {
    if (!m_prefOpen || m_writeFails) return false;
    m_values[name] = value;
    return true;
}

bool MemorySettingsStore::WriteString(const std::string& name, const std::string& text) {
    if (!m_prefOpen || m_writeFails) return false;
    m_values[name] = text;
    return true;
}

}  // namespace ondela
