// The stored settings: the last filter specification and a few display choices, kept per user
// between runs. Every read that finds a value missing writes its default back, so after the
// first run every value exists.
#pragma once

#include <cstdint>
#include <string>

#include "engine/filter_spec.h"
#include "settings/settings_store.h"

namespace ondela {

class Preferences {
  public:
    explicit Preferences(SettingsStore* store);  // not owned; null means "no key open"
    virtual ~Preferences();

    // Opens, or creates, the root key and then the Preferences key. True when both are open.
    bool OpenKeys();
    bool IsOpen() const;

    // The stored DWORD, or def (then written) when it is missing or not a DWORD. 0 when no key
    // is open.
    uint32_t GetUnsigned(const char* name, uint32_t def);
    // Puts the stored text into out and returns its length. A text counts as present only when
    // it fits the reading room (128 bytes with the terminator; 521 for "FileInPath") and holds a
    // visible character; otherwise def (at most 520 characters) is put into out and written.
    // 0 (out untouched) when no key is open.
    int GetString(const char* name, std::string& out, const char* def);
    // The stored number ("%lf" text), or def when missing (then written with six decimals);
    // 0 when the text is not a number or no key is open.
    double GetDouble(const char* name, double def);
    void SetString(const char* name, const std::string& text);
    void SetUnsigned(const char* name, uint32_t value);

    // Fills spec from "TYPE", "FS", "F1", "F2", "ATT", "RIPPLE" and "NBCOEFS", with the defaults
    // and the accepted ranges applied.
    void LoadSpec(FilterSpec& spec);
    // Stores those seven values; a maxCoefs outside 0..4096 is first set to 1024 in spec.
    void SaveSpec(FilterSpec& spec);

  private:
    SettingsStore* m_store;
};

}  // namespace ondela
