// Failures of the serial port. Its two messages are translated when the object
// is built; the detail text (device, errno, hint) stays in text() for tools
// that show more than the message.
#pragma once

#include "errors/IError.h"

class CRSError : public IError {
public:
    enum ECode { errOpen = 5, errOperation = 6 };

    CRSError(std::int32_t code, std::string text, std::int32_t line, std::string file);
    CRSError(std::int32_t code, std::string text, IError* cause, std::int32_t line,
             std::string file);
    const char* className() const override { return "CRSError"; }

protected:
    void initMessages();
};
