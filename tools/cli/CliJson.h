// Just enough JSON for nimo-cli's output: escaped strings, numbers and flat
// objects and arrays built in the order the fields are added.
// Thread safety: plain values; one instance per thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// A JSON string literal, quotes included. Control characters are escaped and
// bytes that are not UTF-8 become U+FFFD, so the output is always valid.
std::string jsonString(std::string_view text);
// Whole numbers without a fraction, others in their shortest exact form;
// null for NaN and infinities, which JSON cannot carry.
std::string jsonNumber(double value);
// "[a,b,...]" of values that are already JSON.
std::string jsonArray(const std::vector<std::string>& values);

class CJsonObject {
public:
    CJsonObject& text(std::string_view key, std::string_view value);
    CJsonObject& number(std::string_view key, double value);
    CJsonObject& boolean(std::string_view key, bool value);
    // A value that is already JSON (an array, an object, null).
    CJsonObject& raw(std::string_view key, std::string_view json);

    std::string str() const { return "{" + m_body + "}"; }

private:
    std::string m_body;
};
