// The INI dialect of the desktop application's settings store, read and
// written the way that store does it, so that a file one program rewrites
// comes out as the other would have written it: keys percent-encoded,
// values quoted and backslash-escaped, sections and keys sorted, lines the
// reader cannot use dropped.
// Thread safety: a value type; one instance per thread.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

// One stored value as the store keeps it in text form: UTF-16 code units,
// because its escapes and its sort order work on those, and with its "@"
// type prefixes ("@@", "@Invalid()", "@ByteArray(...)") still in place.
struct SIniValue {
    std::vector<std::u16string> m_items;
    // Unquoted commas make a list; a list never reads as one text.
    bool m_isList = false;
};

class CIniDocument {
public:
    // Lenient as the store itself: a missing "=", a stray quote or a broken
    // escape costs that line or character, never the whole file.
    static CIniDocument parse(std::string_view bytes);
    std::string serialize() const;

    // key: UTF-8, a "/" separating a group from its key ("Other/k");
    // keys without one live in [General]. Case counts.
    const SIniValue* find(std::string_view key) const;
    void set(std::string_view key, SIniValue value);

    // What reading the value as text gives in the desktop application:
    // the text of a string or a byte array, empty for anything else.
    static std::string text(const SIniValue& value);
    static SIniValue fromText(std::string_view utf8);

private:
    std::map<std::u16string, SIniValue> m_values;
};
