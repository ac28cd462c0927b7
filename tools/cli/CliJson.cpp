#include "CliJson.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "data/SettingsKeys.h"

namespace {

// Length of the UTF-8 sequence starting at s[i], 0 when it is not one.
std::size_t utf8Length(std::string_view s, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = byte(i);
    std::size_t n = 0;
    std::uint32_t cp = 0;
    if (c < 0x80)
        return 1;
    if ((c & 0xE0) == 0xC0) {
        n = 2;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        n = 3;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        n = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are not text.
    static constexpr std::uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

} // namespace

std::string jsonString(std::string_view text)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        const std::size_t n = utf8Length(text, i);
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        if (n > 1) {
            out.append(text.substr(i, n));
            i += n;
            continue;
        }
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                char esc[8];
                std::snprintf(esc, sizeof esc, "\\u%04x", static_cast<unsigned>(c));
                out += esc;
            } else {
                out += c;
            }
        }
        ++i;
    }
    out += '"';
    return out;
}

std::string jsonNumber(double value)
{
    if (!std::isfinite(value))
        return "null";
    return formatSettingsNumber(value);
}

std::string jsonArray(const std::vector<std::string>& values)
{
    std::string out = "[";
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i)
            out += ',';
        out += values[i];
    }
    return out + "]";
}

CJsonObject& CJsonObject::text(std::string_view key, std::string_view value)
{
    return raw(key, jsonString(value));
}

CJsonObject& CJsonObject::number(std::string_view key, double value)
{
    return raw(key, jsonNumber(value));
}

CJsonObject& CJsonObject::boolean(std::string_view key, bool value)
{
    return raw(key, value ? "true" : "false");
}

CJsonObject& CJsonObject::raw(std::string_view key, std::string_view json)
{
    if (!m_body.empty())
        m_body += ',';
    m_body += jsonString(key);
    m_body += ':';
    m_body += json;
    return *this;
}
