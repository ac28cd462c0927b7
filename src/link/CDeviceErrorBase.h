// One group of the controller's fault record: a byte whose bits are faults.
// Texts are translated when the group is built, in the language current then.
// Thread safety: read-only after construction.
#pragma once

#include <string>
#include <vector>

class CDeviceErrorBase {
public:
    CDeviceErrorBase() = default;
    virtual ~CDeviceErrorBase() = default;

    // The group's name in the language current when it is called.
    virtual std::string title() const;

    // The fault text of a bit; empty when the group has none for it.
    std::string text(unsigned bit) const;
    bool hasText(unsigned bit) const { return bit < m_texts.size(); }
    // "\r\n" before the text of each set bit that has one; empty for a clear byte.
    std::string describe(unsigned char bits) const;

protected:
    // Index is the bit number.
    std::vector<std::string> m_texts;
};
