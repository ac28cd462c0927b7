#include <climits>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lang/CLangError.h"
#include "errors/CRunTime.h"
#include "errors/CThreadError.h"
#include "lang/Translation.h"
#include "link/CRSError.h"

namespace {

const std::string kOutOfRange = "Błąd z poza zdefiniowanego zakresu";

struct SMessageCase {
    const char* name;
    std::unique_ptr<IError> (*make)(std::int32_t code);
    std::int32_t code;
    std::string expected;
};

// Keeps the raw bytes of the case out of every test's name in CTest.
void PrintTo(const SMessageCase& c, std::ostream* os)
{
    *os << c.name;
}

std::unique_ptr<IError> makePlain(std::int32_t code)
{
    return std::make_unique<IError>(code, "t", 1, "f");
}
std::unique_ptr<IError> makeRunTime(std::int32_t code)
{
    return std::make_unique<CRunTime>(code, "t", 1, "f");
}
std::unique_ptr<IError> makeThread(std::int32_t code)
{
    return std::make_unique<CThreadError>(code, "t", 1, "f");
}

class ErrorMessage : public testing::TestWithParam<SMessageCase> {};

// Each class's table: first and last entries, one past the end, and codes that
// must never index the table (negative, extreme).
INSTANTIATE_TEST_SUITE_P(
    Tables, ErrorMessage,
    testing::Values(SMessageCase{"PlainFirst", makePlain, 0, kOutOfRange},
                    SMessageCase{"PlainNotImpl", makePlain, 1, "Operacja nie zaimplementowana"},
                    SMessageCase{"PlainTwoIsEmpty", makePlain, 2, ""},
                    SMessageCase{"PlainThreeIsEmpty", makePlain, 3, ""},
                    SMessageCase{"PlainLast", makePlain, 4, "Błąd czasu wykonania"},
                    SMessageCase{"PlainPastEnd", makePlain, 5, kOutOfRange},
                    SMessageCase{"PlainNegative", makePlain, -1, kOutOfRange},
                    SMessageCase{"PlainMin", makePlain, INT_MIN, kOutOfRange},
                    SMessageCase{"RunTimeInherits", makeRunTime, 4, "Błąd czasu wykonania"},
                    SMessageCase{"RunTimeFirst", makeRunTime, 5, "Przekroczyłeś dozwolony zakres."},
                    SMessageCase{"RunTimeAlloc", makeRunTime, 6,
                                 "Nie udało się dynamicznie przydzielić pamięci."},
                    SMessageCase{"RunTimeLast", makeRunTime, 9, "Błąd, errLast nie jest błędem."},
                    SMessageCase{"RunTimePastEnd", makeRunTime, 10, kOutOfRange},
                    SMessageCase{"RunTimeMax", makeRunTime, INT_MAX, kOutOfRange},
                    SMessageCase{"ThreadLib", makeThread, 5, "Błąd biblioteki ThreadLib."},
                    SMessageCase{"ThreadCreate", makeThread, 6, "Nie można utworzyć wątku."},
                    SMessageCase{"ThreadPastEnd", makeThread, 7, kOutOfRange},
                    SMessageCase{"ThreadNegative", makeThread, -1, kOutOfRange}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(ErrorMessage, DescribesItselfByTheEntryOfItsCode)
{
    const auto& c = GetParam();
    auto e = c.make(c.code);
    EXPECT_EQ(e->message(), c.expected);
    EXPECT_EQ(e->description(), c.expected);
    // A terminator inside a message would cut it short in a message box.
    EXPECT_EQ(e->description().find('\0'), std::string::npos);
}

TEST(Error, ClassNames)
{
    EXPECT_STREQ(IError().className(), "IError");
    EXPECT_STREQ(makeRunTime(0)->className(), "CRunTime");
    EXPECT_STREQ(makeThread(0)->className(), "CThreadError");
    EXPECT_STREQ(CLangError(0, "", 0, "").className(), "CLangError");
    EXPECT_STREQ(CRSError(0, "", 0, "").className(), "CRSError");
}

class CCountedError : public IError {
public:
    explicit CCountedError(int& deaths) : m_deaths(deaths) {}
    ~CCountedError() override { ++m_deaths; }

private:
    int& m_deaths;
};

TEST(Error, CauseIsDeletedExactlyOnceWithItsOwner)
{
    int deaths = 0;
    {
        IError outer(6, "outer", new CCountedError(deaths), 10, "f");
        ASSERT_NE(outer.cause(), nullptr);
        // A cause does not change what the owner says about itself.
        EXPECT_EQ(outer.description(), "Błąd z poza zdefiniowanego zakresu");
        outer.setCause(outer.cause()); // same object again: nothing to delete
        EXPECT_EQ(deaths, 0);
    }
    EXPECT_EQ(deaths, 1);
}

TEST(Error, ReplacingTheCauseDeletesTheOldOne)
{
    int first = 0;
    int second = 0;
    {
        auto outer = std::make_unique<IError>(new CCountedError(first));
        outer->setCause(new CCountedError(second));
        EXPECT_EQ(first, 1);
        EXPECT_EQ(second, 0);
    }
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 1);
}

TEST(Error, NestedCausesAreDeletedAlongTheChain)
{
    int deaths = 0;
    {
        auto* inner = new CCountedError(deaths);
        auto* middle = new CThreadError(5, "m", 1, "f");
        middle->setCause(inner);
        CLangError outer(6, "CMultiLangText::text()", middle, 3, "multilang");
        EXPECT_EQ(outer.cause(), middle);
        EXPECT_EQ(outer.cause()->cause(), inner);
    }
    EXPECT_EQ(deaths, 1);
}

TEST(Error, ThrowHelpersThrowTheirClassWithThePlaceOfFailure)
{
    try {
        throwThreadError(CThreadError::errCreate, "CThread::create()", 149, "msglib/threadlib");
        FAIL() << "nothing thrown";
    } catch (IError* raw) {
        std::unique_ptr<IError> e(raw);
        EXPECT_STREQ(e->className(), "CThreadError");
        EXPECT_EQ(e->code(), 6);
        EXPECT_EQ(e->text(), "CThread::create()");
        EXPECT_EQ(e->line(), 149);
        EXPECT_EQ(e->file(), "msglib/threadlib");
    }
    try {
        throwIError(4, "read", 7, "deviceinput");
        FAIL() << "nothing thrown";
    } catch (IError* raw) {
        std::unique_ptr<IError> e(raw);
        EXPECT_STREQ(e->className(), "IError");
        EXPECT_EQ(e->description(), "Błąd czasu wykonania");
    }
}

TEST(Error, HelperPassesTheCauseToTheNewError)
{
    struct SThrower : IErrorHelper<CLangError> {};
    SThrower thrower;
    int deaths = 0;
    try {
        thrower.throwError(CLangError::errNoText, "CMultiLangText::text()",
                           new CCountedError(deaths), 42, "multilang");
        FAIL() << "nothing thrown";
    } catch (IError* raw) {
        std::unique_ptr<IError> e(raw);
        EXPECT_STREQ(e->className(), "CLangError");
        EXPECT_EQ(e->line(), 42);
        EXPECT_NE(e->cause(), nullptr);
    }
    EXPECT_EQ(deaths, 1);
}

TEST(Error, AllocationHandlerNamesTheSize)
{
    try {
        rtl_new_heandler(4096);
        FAIL() << "nothing thrown";
    } catch (IError* raw) {
        std::unique_ptr<IError> e(raw);
        EXPECT_STREQ(e->className(), "CRunTime");
        EXPECT_EQ(e->code(), 6);
        EXPECT_EQ(e->line(), 124);
        EXPECT_EQ(e->text(), "rtl_new_heandler(size_t size)\n"
                             "\t\tPróba przydzielenia: 4096 bajtów nie powidła się.");
        EXPECT_EQ(e->description(), "Nie udało się dynamicznie przydzielić pamięci.");
    }
}

class LangErrorLanguage : public testing::Test {
protected:
    void TearDown() override { setCurrentLanguage(LANG_PL); }
};

TEST_F(LangErrorLanguage, OwnTextsFollowTheLanguageAtConstructionOthersStayPolish)
{
    setCurrentLanguage(LANG_EN);
    const std::string unsupported = translate("Taki język nie jest obsługiwany.");
    const std::string missing = translate("Nie można znaleźć żądanego tekstu.");
    CLangError lang(CLangError::errLang, "CMultiLangText::checkLang()", 1, "multilang");
    CLangError text(CLangError::errNoText, "CMultiLangText::text()", 1, "multilang");
    CThreadError thread(CThreadError::errCreate, "CThread::create()", 149, "msglib/threadlib");

    setCurrentLanguage(LANG_PL);
    // Built in English, they keep English after the language changes back.
    EXPECT_EQ(lang.description(), unsupported);
    EXPECT_EQ(text.description(), missing);
    lang.setCode(4);
    EXPECT_EQ(lang.description(), "Błąd czasu wykonania");
    EXPECT_EQ(thread.description(), "Nie można utworzyć wątku.");

    CLangError polish(CLangError::errLang, "", 1, "");
    EXPECT_EQ(polish.description(), "Taki język nie jest obsługiwany.");
}

} // namespace
