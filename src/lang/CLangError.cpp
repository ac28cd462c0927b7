#include "lang/CLangError.h"

#include "lang/Translation.h"

CLangError::CLangError(std::int32_t code, std::string text, std::int32_t line, std::string file)
    : IError(code, std::move(text), line, std::move(file))
{
    initMessages();
}

CLangError::CLangError(std::int32_t code, std::string text, IError* cause, std::int32_t line,
                       std::string file)
    : IError(code, std::move(text), cause, line, std::move(file))
{
    initMessages();
}

void CLangError::initMessages()
{
    messages().push_back(translate("Taki język nie jest obsługiwany."));
    messages().push_back(translate("Nie można znaleźć żądanego tekstu."));
}
