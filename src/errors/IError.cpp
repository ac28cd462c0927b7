#include "errors/IError.h"

IError::IError()
{
    initMessages();
}

IError::IError(IError* cause) : m_cause(cause)
{
    initMessages();
}

IError::IError(std::int32_t code, std::string text, std::int32_t line, std::string file)
    : m_code(code), m_line(line), m_text(std::move(text)), m_file(std::move(file))
{
    initMessages();
}

IError::IError(std::int32_t code, std::string text, IError* cause, std::int32_t line,
               std::string file)
    : m_cause(cause), m_code(code), m_line(line), m_text(std::move(text)), m_file(std::move(file))
{
    initMessages();
}

IError::~IError()
{
    delete m_cause;
}

void IError::initMessages()
{
    m_messages.insert(m_messages.end(), {
                                            "Błąd z poza zdefiniowanego zakresu",
                                            "Operacja nie zaimplementowana",
                                            "",
                                            "",
                                            "Błąd czasu wykonania",
                                        });
}

void IError::setCause(IError* cause)
{
    if (cause == m_cause)
        return;
    delete m_cause;
    m_cause = cause;
}

std::string IError::message() const
{
    // Compared unsigned, so a negative code falls outside the table as well.
    auto index = static_cast<std::uint32_t>(m_code);
    if (index >= m_messages.size())
        return m_messages[0];
    return m_messages[index];
}

std::string IError::description() const
{
    return message();
}
