// Failures of the text tables. Its own two messages are translated when the
// object is built, so they read in the language current at that moment.
#pragma once

#include "errors/IError.h"

class CLangError : public IError {
public:
    enum ECode { errLang = 5, errNoText = 6 };

    CLangError(std::int32_t code, std::string text, std::int32_t line, std::string file);
    CLangError(std::int32_t code, std::string text, IError* cause, std::int32_t line,
               std::string file);
    const char* className() const override { return "CLangError"; }

protected:
    void initMessages();
};
