#include "errors/CThreadError.h"

CThreadError::CThreadError(std::int32_t code, std::string text, std::int32_t line, std::string file)
    : IError(code, std::move(text), line, std::move(file))
{
    initMessages();
}

void CThreadError::initMessages()
{
    messages().insert(messages().end(), {
                                            "Błąd biblioteki ThreadLib.",
                                            "Nie można utworzyć wątku.",
                                        });
}

void throwThreadError(std::int32_t code, const std::string& text, std::int32_t line,
                      const std::string& file)
{
    throw static_cast<IError*>(new CThreadError(code, text, line, file));
}
