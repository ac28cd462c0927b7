#include "data/CIniDocument.h"

#include <cstdint>

namespace {

using U16 = std::u16string;

constexpr char16_t kReplacement = 0xFFFD;

// Malformed UTF-8 becomes one U+FFFD per byte, even where a sequence was
// merely cut short, as the desktop application's decoder does.
U16 fromUtf8(std::string_view in)
{
    U16 out;
    out.reserve(in.size());
    std::size_t i = 0;
    while (i < in.size()) {
        const auto b = static_cast<unsigned char>(in[i]);
        if (b < 0x80) {
            out += static_cast<char16_t>(b);
            ++i;
            continue;
        }
        const int extra = (b >= 0xC2 && b <= 0xDF)   ? 1
                          : (b >= 0xE0 && b <= 0xEF) ? 2
                          : (b >= 0xF0 && b <= 0xF4) ? 3
                                                     : 0;
        std::uint32_t cp = extra == 3 ? b & 0x07u : extra == 2 ? b & 0x0Fu : b & 0x1Fu;
        std::size_t used = 1;
        bool good = extra > 0;
        for (int k = 0; good && k < extra; ++k) {
            const std::size_t at = i + used;
            if (at >= in.size() || (static_cast<unsigned char>(in[at]) & 0xC0) != 0x80) {
                good = false;
                break;
            }
            cp = (cp << 6) | (static_cast<unsigned char>(in[at]) & 0x3Fu);
            ++used;
        }
        // Overlong forms and encoded surrogates are malformed too.
        if (good &&
            ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
             (cp >= 0xD800 && cp <= 0xDFFF)))
            good = false;
        if (!good) {
            out += kReplacement;
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += used;
    }
    return out;
}

void appendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool isHigh(char16_t u)
{
    return u >= 0xD800 && u <= 0xDBFF;
}
bool isLow(char16_t u)
{
    return u >= 0xDC00 && u <= 0xDFFF;
}

// Appends the unit at s[i] (and its pair partner); returns the units used.
std::size_t appendUnitUtf8(std::string& out, const U16& s, std::size_t i)
{
    const char16_t u = s[i];
    if (isHigh(u) && i + 1 < s.size() && isLow(s[i + 1])) {
        appendUtf8(out, 0x10000 + ((std::uint32_t(u) - 0xD800) << 10) + (s[i + 1] - 0xDC00u));
        return 2;
    }
    appendUtf8(out, isHigh(u) || isLow(u) ? kReplacement : u);
    return 1;
}

std::string toUtf8(const U16& s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();)
        i += appendUnitUtf8(out, s, i);
    return out;
}

bool startsWith(const U16& s, std::u16string_view prefix)
{
    return std::u16string_view(s).substr(0, prefix.size()) == prefix;
}

bool isHexDigit(char16_t c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hexValue(char16_t c)
{
    return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char x = (a[i] >= 'A' && a[i] <= 'Z') ? char(a[i] | 0x20) : a[i];
        const char y = (b[i] >= 'A' && b[i] <= 'Z') ? char(b[i] | 0x20) : b[i];
        if (x != y)
            return false;
    }
    return true;
}

// --- keys -----------------------------------------------------------------

// Only letters, digits, "_", "-" and "." stand for themselves; "/" becomes
// "\" and everything else "%XX" (up to U+00FF) or "%UXXXX".
std::string escapedKey(const U16& key)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char16_t ch : key) {
        if (ch == '/') {
            out += '\\';
        } else if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') ||
                   (ch >= '0' && ch <= '9') || ch == '_' || ch == '-' || ch == '.') {
            out += static_cast<char>(ch);
        } else if (ch <= 0xFF) {
            out += '%';
            out += kHex[ch >> 4];
            out += kHex[ch & 0xF];
        } else {
            out += "%U";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += kHex[(ch >> shift) & 0xF];
        }
    }
    return out;
}

// A "%" that does not start a complete escape is taken as it stands.
U16 unescapedKey(std::string_view raw)
{
    const U16 in = fromUtf8(raw);
    U16 out;
    std::size_t i = 0;
    while (i < in.size()) {
        const char16_t ch = in[i];
        if (ch == '\\') {
            out += u'/';
            ++i;
            continue;
        }
        if (ch != '%' || i + 1 == in.size()) {
            out += ch;
            ++i;
            continue;
        }
        std::size_t first = i + 1;
        std::size_t digits = 2;
        if (in[first] == 'U') {
            ++first;
            digits = 4;
        }
        bool ok = first + digits <= in.size();
        char16_t value = 0;
        for (std::size_t k = 0; ok && k < digits; ++k) {
            ok = isHexDigit(in[first + k]);
            value = static_cast<char16_t>((value << 4) | (ok ? hexValue(in[first + k]) : 0));
        }
        if (!ok) {
            out += u'%';
            ++i;
            continue;
        }
        out += value;
        i = first + digits;
    }
    return out;
}

// --- values ---------------------------------------------------------------

// A value is quoted when it holds a separator or starts or ends with a
// space. After a "\x" escape a following hex digit is escaped as well, or
// the reader would take it into the escape's number.
void appendEscapedString(std::string& out, const U16& str)
{
    const bool useUtf8 = !(startsWith(str, u"@ByteArray(") || startsWith(str, u"@Variant("));
    const std::size_t start = out.size();
    bool needsQuotes = false;
    bool escapeNextIfDigit = false;
    auto hexEscape = [&out](char16_t ch) {
        static constexpr char kHex[] = "0123456789abcdef";
        std::string digits;
        do {
            digits.insert(digits.begin(), kHex[ch & 0xF]);
            ch = static_cast<char16_t>(ch >> 4);
        } while (ch != 0);
        out += "\\x";
        out += digits;
    };
    for (std::size_t i = 0; i < str.size();) {
        const char16_t ch = str[i];
        if (ch == ';' || ch == ',' || ch == '=')
            needsQuotes = true;
        if (escapeNextIfDigit && isHexDigit(ch)) {
            hexEscape(ch);
            ++i;
            continue;
        }
        escapeNextIfDigit = false;
        switch (ch) {
        case 0:
            out += "\\0";
            escapeNextIfDigit = true;
            break;
        case '\a':
            out += "\\a";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
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
        case '\v':
            out += "\\v";
            break;
        case '"':
        case '\\':
            out += '\\';
            out += static_cast<char>(ch);
            break;
        default:
            if (ch <= 0x1F || (ch >= 0x7F && !useUtf8)) {
                hexEscape(ch);
                escapeNextIfDigit = true;
            } else if (useUtf8) {
                i += appendUnitUtf8(out, str, i);
                continue;
            } else {
                out += static_cast<char>(ch);
            }
        }
        ++i;
    }
    if (needsQuotes || (start < out.size() && (out[start] == ' ' || out.back() == ' '))) {
        out.insert(start, 1, '"');
        out += '"';
    }
}

void chopTrailingSpaces(U16& s, std::size_t limit)
{
    while (s.size() > limit && (s.back() == ' ' || s.back() == '\t'))
        s.pop_back();
}

// The reverse of appendEscapedString, as forgiving as the store's reader:
// an unknown escape drops its character, an unclosed quote runs to the end.
SIniValue unescapedValue(std::string_view str)
{
    SIniValue result;
    U16 current;
    bool inQuotes = false;
    bool currentIsQuoted = false;
    // A value that ends inside an escape keeps its trailing blanks.
    bool endsInEscape = false;
    std::size_t i = 0;
    auto skipSpaces = [&] {
        while (i < str.size() && (str[i] == ' ' || str[i] == '\t'))
            ++i;
    };
    skipSpaces();
    std::size_t chopLimit = 0;
    while (i < str.size()) {
        const char ch = str[i];
        if (ch == '\\') {
            ++i;
            if (i >= str.size() || (str[i] == 'x' && i + 1 == str.size())) {
                endsInEscape = true;
                break;
            }
            const char code = str[i++];
            static constexpr char kCodes[][2] = {
                {'a', '\a'}, {'b', '\b'}, {'f', '\f'}, {'n', '\n'},  {'r', '\r'}, {'t', '\t'},
                {'v', '\v'}, {'"', '"'},  {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
            bool simple = false;
            for (const auto& c : kCodes) {
                if (code == c[0]) {
                    current += static_cast<char16_t>(c[1]);
                    simple = true;
                    break;
                }
            }
            if (!simple) {
                const bool hex = code == 'x';
                const bool octal = code >= '0' && code <= '7';
                if ((hex && i < str.size() && isHexDigit(str[i])) || octal) {
                    char16_t value = octal ? static_cast<char16_t>(code - '0') : 0;
                    while (i < str.size() &&
                           (hex ? isHexDigit(str[i]) : (str[i] >= '0' && str[i] <= '7'))) {
                        value = static_cast<char16_t>(hex ? (value << 4) | hexValue(str[i])
                                                          : (value << 3) | (str[i] - '0'));
                        ++i;
                    }
                    current += value;
                } else if ((code == '\n' || code == '\r') && i < str.size() &&
                           (str[i] == '\n' || str[i] == '\r') && str[i] != code) {
                    ++i; // an escaped line end continues the value
                }
            }
            chopLimit = current.size();
        } else if (ch == '"') {
            ++i;
            currentIsQuoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes) {
                skipSpaces();
                chopLimit = current.size();
            }
        } else if (ch == ',' && !inQuotes) {
            if (!currentIsQuoted)
                chopTrailingSpaces(current, chopLimit);
            result.m_isList = true;
            result.m_items.push_back(std::move(current));
            current.clear();
            currentIsQuoted = false;
            ++i;
            skipSpaces();
            chopLimit = 0;
        } else {
            std::size_t j = i + 1;
            while (j < str.size() && str[j] != '\\' && str[j] != '"' && str[j] != ',')
                ++j;
            current += fromUtf8(str.substr(i, j - i));
            i = j;
        }
    }
    if (!currentIsQuoted && !endsInEscape)
        chopTrailingSpaces(current, chopLimit);
    result.m_items.push_back(std::move(current));
    return result;
}

// A text as the store types it: a leading "@" is doubled so it cannot pass
// for a type prefix, and a NUL needs the explicit string form.
U16 typedText(U16 s)
{
    if (s.find(u'\0') != U16::npos)
        return u"@String(" + s + u")";
    if (!s.empty() && s.front() == '@')
        return u"@" + s;
    return s;
}

// What the store makes of a text it has read when it writes it back: the
// types it knows keep their form, a string form loses its wrapper where it
// no longer needs it, and an "@" it does not know gets doubled.
U16 roundTripped(U16 s)
{
    if (s.empty() || s.front() != '@')
        return s;
    if (s.back() == ')') {
        for (std::u16string_view kept :
             {u"@ByteArray(", u"@Variant(", u"@DateTime(", u"@Rect(", u"@Size(", u"@Point("}) {
            if (startsWith(s, kept))
                return s;
        }
        if (s == u"@Invalid()")
            return s;
        if (startsWith(s, u"@String("))
            return typedText(s.substr(8, s.size() - 9));
    }
    if (startsWith(s, u"@@"))
        return s;
    return u"@" + s;
}

// --- lines ----------------------------------------------------------------

struct SLine {
    std::string_view text;
    std::ptrdiff_t equals = -1; // offset of the first unquoted "=" in text
};

// One logical line from pos on: a "\" or an open quote carries it over a
// line end, an unquoted ";" ends it, and ";" lines are skipped whole.
bool nextLine(std::string_view data, std::size_t& pos, SLine& line)
{
    std::size_t start = pos;
    while (start < data.size() && isSpace(data[start]))
        ++start;
    std::size_t i = start;
    bool inQuotes = false;
    std::ptrdiff_t equals = -1;
    while (i < data.size()) {
        const char ch = data[i++];
        if (ch == '=') {
            if (!inQuotes && equals < 0)
                equals = static_cast<std::ptrdiff_t>(i - 1);
        } else if (ch == '\n' || ch == '\r') {
            if (i == start + 1) {
                ++start;
            } else if (!inQuotes) {
                --i;
                break;
            }
        } else if (ch == '\\') {
            if (i < data.size()) {
                const char next = data[i++];
                if (i < data.size() &&
                    ((next == '\n' && data[i] == '\r') || (next == '\r' && data[i] == '\n')))
                    ++i;
            }
        } else if (ch == '"') {
            inQuotes = !inQuotes;
        } else if (ch == ';') {
            if (i == start + 1) {
                while (i < data.size() && data[i] != '\n' && data[i] != '\r')
                    ++i;
                while (i < data.size() && isSpace(data[i]))
                    ++i;
                start = i;
            } else if (!inQuotes) {
                --i;
                break;
            }
        }
    }
    pos = i;
    line.text = data.substr(start, i - start);
    line.equals = equals < 0 ? -1 : equals - static_cast<std::ptrdiff_t>(start);
    return !line.text.empty();
}

} // namespace

CIniDocument CIniDocument::parse(std::string_view bytes)
{
    CIniDocument doc;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    U16 section; // with its trailing "/", empty for [General]
    std::size_t pos = 0;
    SLine line;
    while (nextLine(bytes, pos, line)) {
        if (line.text.front() == '[') {
            const std::size_t close = line.text.find(']');
            const std::string_view name =
                trimmed(line.text.substr(1, close == std::string_view::npos ? close : close - 1));
            if (equalsNoCase(name, "general")) {
                section.clear();
            } else {
                // "[%General]" is a group that happens to be called General.
                section =
                    equalsNoCase(name, "%general") ? fromUtf8(name.substr(1)) : unescapedKey(name);
                section += u'/';
            }
            continue;
        }
        if (line.equals < 0)
            continue;
        const auto eq = static_cast<std::size_t>(line.equals);
        SIniValue value = unescapedValue(line.text.substr(eq + 1));
        for (U16& item : value.m_items)
            item = roundTripped(std::move(item));
        doc.m_values[section + unescapedKey(trimmed(line.text.substr(0, eq)))] = std::move(value);
    }
    return doc;
}

std::string CIniDocument::serialize() const
{
    // Sections in name order with [General] first, keys in order within;
    // a key's group is what comes before its first "/".
    std::map<U16, std::map<U16, const SIniValue*>> sections;
    for (const auto& [key, value] : m_values) {
        const std::size_t slash = key.find(u'/');
        if (slash == U16::npos)
            sections[U16()][key] = &value;
        else
            sections[key.substr(0, slash)][key.substr(slash + 1)] = &value;
    }
    std::string out;
    bool first = true;
    for (const auto& [name, keys] : sections) {
        const std::string escaped = escapedKey(name);
        if (!first)
            out += '\n';
        first = false;
        if (escaped.empty())
            out += "[General]";
        else if (equalsNoCase(escaped, "general"))
            out += "[%General]";
        else
            out += "[" + escaped + "]";
        out += '\n';
        for (const auto& [key, value] : keys) {
            out += escapedKey(key);
            out += '=';
            if (value->m_isList && value->m_items.empty())
                out += "@Invalid()";
            for (std::size_t i = 0; i < value->m_items.size(); ++i) {
                if (i != 0)
                    out += ", ";
                appendEscapedString(out, value->m_items[i]);
                if (!value->m_isList)
                    break;
            }
            out += '\n';
        }
    }
    return out;
}

const SIniValue* CIniDocument::find(std::string_view key) const
{
    const auto it = m_values.find(fromUtf8(key));
    return it == m_values.end() ? nullptr : &it->second;
}

void CIniDocument::set(std::string_view key, SIniValue value)
{
    m_values[fromUtf8(key)] = std::move(value);
}

std::string CIniDocument::text(const SIniValue& value)
{
    if (value.m_isList || value.m_items.empty())
        return {};
    const U16& s = value.m_items.front();
    if (s.empty() || s.front() != '@')
        return toUtf8(s);
    if (startsWith(s, u"@@"))
        return toUtf8(s.substr(1));
    if (s.back() == ')' && startsWith(s, u"@String("))
        return toUtf8(s.substr(8, s.size() - 9));
    if (s.back() == ')' && startsWith(s, u"@ByteArray(")) {
        // The units are the bytes; the application reads them as UTF-8.
        std::string bytes;
        for (std::size_t i = 11; i + 1 < s.size(); ++i)
            bytes += static_cast<char>(s[i] & 0xFF);
        return toUtf8(fromUtf8(bytes));
    }
    return {};
}

SIniValue CIniDocument::fromText(std::string_view utf8)
{
    SIniValue value;
    value.m_items.push_back(typedText(fromUtf8(utf8)));
    return value;
}
