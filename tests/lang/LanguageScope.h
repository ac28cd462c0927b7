// Sets the current language for one test and restores the previous one.
#pragma once

#include "lang/Translation.h"

class CLanguageScope {
public:
    explicit CLanguageScope(int language) : m_saved(currentLanguage())
    {
        setCurrentLanguage(language);
    }
    ~CLanguageScope() { setCurrentLanguage(m_saved); }
    CLanguageScope(const CLanguageScope&) = delete;
    CLanguageScope& operator=(const CLanguageScope&) = delete;

private:
    int m_saved;
};
