// Readers of what fonerixctl writes, strict enough that malformed output fails a test: JSON
// (RFC 8259, \u escapes with surrogate pairs) and CSV (RFC 4180).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace fonerix::test {

struct JsonValue {
    using Array = std::vector<JsonValue>;
    using Object = std::map<std::string, JsonValue>;
    std::variant<std::nullptr_t, bool, double, std::string, Array, Object> value;

    bool IsObject() const { return std::holds_alternative<Object>(value); }
    bool IsArray() const { return std::holds_alternative<Array>(value); }
    const Array& AsArray() const { return std::get<Array>(value); }
    const Object& AsObject() const { return std::get<Object>(value); }
    // Members of an object; throws std::out_of_range / std::bad_variant_access otherwise.
    const JsonValue& operator[](const std::string& key) const { return AsObject().at(key); }
    const std::string& Text() const { return std::get<std::string>(value); }
    double Number() const { return std::get<double>(value); }
};

// The whole of `text` as one JSON value (blanks around it allowed); nullopt when malformed.
std::optional<JsonValue> ParseJson(std::string_view text);

// Records of CSV text; nullopt when a quoted field is not closed or a quote stands mid-field.
std::optional<std::vector<std::vector<std::string>>> ParseCsv(std::string_view text);

}  // namespace fonerix::test
