#include "link/CRSError.h"

#include "lang/Translation.h"

CRSError::CRSError(std::int32_t code, std::string text, std::int32_t line, std::string file)
    : IError(code, std::move(text), line, std::move(file))
{
    initMessages();
}

CRSError::CRSError(std::int32_t code, std::string text, IError* cause, std::int32_t line,
                   std::string file)
    : IError(code, std::move(text), cause, line, std::move(file))
{
    initMessages();
}

void CRSError::initMessages()
{
    messages().push_back(translate("Nie można otworzyć portu RS."));
    messages().push_back(translate("Nie można wykonać operacji na RS."));
}
