// A strict JSON syntax check for the tests: the whole text must be exactly
// one JSON value (RFC 8259), so "--json output is valid JSON" is asserted
// without pulling in a JSON library.
#pragma once

#include <cctype>
#include <string_view>

class CJsonCheck {
public:
    static bool valid(std::string_view text)
    {
        CJsonCheck c(text);
        c.blanks();
        if (!c.value())
            return false;
        c.blanks();
        return c.m_pos == text.size();
    }

private:
    explicit CJsonCheck(std::string_view t) : m_t(t) {}

    bool value()
    {
        if (m_pos >= m_t.size())
            return false;
        switch (m_t[m_pos]) {
        case '{':
            return object();
        case '[':
            return array();
        case '"':
            return string();
        case 't':
            return word("true");
        case 'f':
            return word("false");
        case 'n':
            return word("null");
        default:
            return number();
        }
    }
    bool object()
    {
        ++m_pos;
        blanks();
        if (peek('}'))
            return ++m_pos, true;
        for (;;) {
            blanks();
            if (!string())
                return false;
            blanks();
            if (!peek(':'))
                return false;
            ++m_pos;
            blanks();
            if (!value())
                return false;
            blanks();
            if (peek('}'))
                return ++m_pos, true;
            if (!peek(','))
                return false;
            ++m_pos;
        }
    }
    bool array()
    {
        ++m_pos;
        blanks();
        if (peek(']'))
            return ++m_pos, true;
        for (;;) {
            blanks();
            if (!value())
                return false;
            blanks();
            if (peek(']'))
                return ++m_pos, true;
            if (!peek(','))
                return false;
            ++m_pos;
        }
    }
    bool string()
    {
        if (!peek('"'))
            return false;
        for (++m_pos; m_pos < m_t.size(); ++m_pos) {
            const auto c = static_cast<unsigned char>(m_t[m_pos]);
            if (c == '"')
                return ++m_pos, true;
            if (c < 0x20)
                return false;
            if (c == '\\') {
                if (++m_pos >= m_t.size())
                    return false;
                const char e = m_t[m_pos];
                if (e == 'u') {
                    for (int i = 0; i < 4; ++i) {
                        if (++m_pos >= m_t.size() ||
                            !std::isxdigit(static_cast<unsigned char>(m_t[m_pos])))
                            return false;
                    }
                } else if (std::string_view("\"\\/bfnrt").find(e) == std::string_view::npos) {
                    return false;
                }
            }
        }
        return false;
    }
    bool number()
    {
        const std::size_t start = m_pos;
        if (peek('-'))
            ++m_pos;
        if (peek('0')) {
            ++m_pos;
        } else if (!digits()) {
            return false;
        }
        if (peek('.')) {
            ++m_pos;
            if (!digits())
                return false;
        }
        if (peek('e') || peek('E')) {
            ++m_pos;
            if (peek('+') || peek('-'))
                ++m_pos;
            if (!digits())
                return false;
        }
        return m_pos > start;
    }
    bool digits()
    {
        const std::size_t start = m_pos;
        while (m_pos < m_t.size() && std::isdigit(static_cast<unsigned char>(m_t[m_pos])))
            ++m_pos;
        return m_pos > start;
    }
    bool word(std::string_view w)
    {
        if (m_t.substr(m_pos, w.size()) != w)
            return false;
        m_pos += w.size();
        return true;
    }
    bool peek(char c) const { return m_pos < m_t.size() && m_t[m_pos] == c; }
    void blanks()
    {
        while (m_pos < m_t.size() && (m_t[m_pos] == ' ' || m_t[m_pos] == '\t' ||
                                      m_t[m_pos] == '\n' || m_t[m_pos] == '\r'))
            ++m_pos;
    }

    std::string_view m_t;
    std::size_t m_pos = 0;
};
