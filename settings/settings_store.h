// The per-user store behind the stored settings: a root key and its "Preferences" key, holding
// named values that are either 32-bit numbers (DWORD) or texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace ondela {

enum class SettingsKey {
    Root,         // the application's own key
    Preferences,  // the key below it that holds every value
};

// A value is looked up by name under the Preferences key. A read finds a value only when it
// exists with the asked-for type and fits the reader's room; anything else reads as missing, so
// the caller falls back to its default and writes that back.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;

    // Opens the key, creating it when it does not exist yet. False when it can be neither
    // opened nor created.
    virtual bool OpenKey(SettingsKey key) = 0;
    // True once the Preferences key is open; reads and writes need it.
    virtual bool IsOpen() const = 0;

    // The stored DWORD; nullopt when the value is missing or is not a 32-bit number (a text
    // under that name, for instance).
    virtual std::optional<uint32_t> ReadUnsigned(const std::string& name) = 0;
    // The stored text; nullopt when the value is missing, is not a text, or does not fit into
    // maxBytes bytes together with its terminating zero.
    virtual std::optional<std::string> ReadString(const std::string& name,
                                                  std::size_t maxBytes) = 0;

    // Write (or replace) a value; false when the write failed.
    virtual bool WriteUnsigned(const std::string& name, uint32_t value) = 0;
    virtual bool WriteString(const std::string& name, const std::string& text) = 0;
};

}  // namespace ondela
