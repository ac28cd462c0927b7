// Run-time failures of the support library (range, allocation).
#pragma once

#include "errors/IError.h"

class CRunTime : public IError {
public:
    enum ECode { errRange = 5, errAlloc = 6, errNotImpl = 7, errPartImpl = 8, errLast = 9 };

    CRunTime(std::int32_t code, std::string text, std::int32_t line, std::string file);
    const char* className() const override { return "CRunTime"; }

protected:
    void initMessages();
};

// Throws a CRunTime; for throw sites outside an IErrorHelper class.
[[noreturn]] void throwRunTime(std::int32_t code, const std::string& text, std::int32_t line,
                               const std::string& file);
// Throws a plain IError.
[[noreturn]] void throwIError(std::int32_t code, const std::string& text, std::int32_t line,
                              const std::string& file);

// Allocation-failure handler: throws CRunTime code 6 naming the size. Built
// but deliberately not registered, so an exhausted heap takes the standard path.
[[noreturn]] void rtl_new_heandler(std::size_t size);
