// A small JSON writer for the command-line designer's reports: objects and arrays indented by
// two spaces, strings escaped (invalid UTF-8 becomes U+FFFD), and doubles with 17 significant
// digits so that they read back as the same double. A double that is NaN or infinite has no JSON
// form and is written as null.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ondela::cli {

class JsonWriter {
  public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    // The name of the next member of the current object.
    JsonWriter& Key(std::string_view name);

    JsonWriter& String(std::string_view text);
    JsonWriter& Number(double value);
    JsonWriter& Integer(long long value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();
    // A number, or null when there is none.
    JsonWriter& OptionalInteger(const std::optional<long long>& value);

    // The text written so far; a line end follows the outermost value once it is closed.
    const std::string& Text() const { return m_text; }

  private:
    struct Level {
        bool object;
        int count;
    };
    // Separator, line break and indentation before a value or a key.
    void BeforeValue();
    void Close(char bracket);

    std::string m_text;
    std::vector<Level> m_levels;
    bool m_afterKey = false;
};

// text as a JSON string literal, quotes included.
std::string JsonString(std::string_view text);
// value with 17 significant digits ("%.17g"), or "null" when it is NaN or infinite.
std::string JsonNumber(double value);

}  // namespace ondela::cli
