// Dictionary keyed by the Polish text, holding its forms in the other four
// languages; what translate() looks texts up in.
// Thread safety: build it on one thread; once built, any thread may read it.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CTranslationDict {
public:
    using TTexts = std::vector<std::pair<int, std::string>>; // (language, text), languages 1 to 4

    // A Polish text already present keeps its first texts. An empty
    // translation is left out, so that text reads in Polish rather than blank.
    void add(const std::string& pl, const std::string& en, const std::string& ru,
             const std::string& it, const std::string& de);

    // The text for the language, or nullptr when the dictionary has none.
    const std::string* find(std::string_view polish, int language) const;
    bool contains(std::string_view polish) const;

    // Polish keys in the order they were first added.
    const std::vector<std::string>& keys() const { return m_order; }
    std::size_t size() const { return m_order.size(); }

private:
    std::map<std::string, TTexts, std::less<>> m_texts;
    std::vector<std::string> m_order;
};
