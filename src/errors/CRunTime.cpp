#include "errors/CRunTime.h"

#include <sstream>

namespace {
const char* const kErrorsFile = "errors/ierror";
}

CRunTime::CRunTime(std::int32_t code, std::string text, std::int32_t line, std::string file)
    : IError(code, std::move(text), line, std::move(file))
{
    initMessages();
}

void CRunTime::initMessages()
{
    messages().insert(messages().end(), {
                                            "Przekroczyłeś dozwolony zakres.",
                                            "Nie udało się dynamicznie przydzielić pamięci.",
                                            "Operacja nie zaimplementowana.",
                                            "Operacja zaimplementowana częściowo.",
                                            "Błąd, errLast nie jest błędem.",
                                        });
}

void throwRunTime(std::int32_t code, const std::string& text, std::int32_t line,
                  const std::string& file)
{
    throw static_cast<IError*>(new CRunTime(code, text, line, file));
}

void throwIError(std::int32_t code, const std::string& text, std::int32_t line,
                 const std::string& file)
{
    throw new IError(code, text, line, file);
}

void rtl_new_heandler(std::size_t size)
{
    std::ostringstream s;
    s << "rtl_new_heandler(size_t size)\n"
      << "\t\tPróba przydzielenia: " << size << " bajtów nie powidła się.";
    throwRunTime(CRunTime::errAlloc, s.str(), 124, kErrorsFile);
}
