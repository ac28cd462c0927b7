// Failures of the thread library and the synchronisation objects.
#pragma once

#include "errors/IError.h"

class CThreadError : public IError {
public:
    enum ECode { errThreadLib = 5, errCreate = 6 };

    CThreadError(std::int32_t code, std::string text, std::int32_t line, std::string file);
    const char* className() const override { return "CThreadError"; }

protected:
    void initMessages();
};

[[noreturn]] void throwThreadError(std::int32_t code, const std::string& text, std::int32_t line,
                                   const std::string& file);
