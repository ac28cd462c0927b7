// Error objects: every failure of the link, the thread library, the texts and
// the live-data stream is thrown as a heap-allocated IError*. The catcher owns
// it at once (std::unique_ptr<IError>), so each is deleted exactly once.
// Thread safety: an error object belongs to the thread that caught it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class IError {
public:
    IError();
    explicit IError(IError* cause);
    IError(std::int32_t code, std::string text, std::int32_t line, std::string file);
    IError(std::int32_t code, std::string text, IError* cause, std::int32_t line, std::string file);
    IError(const IError&) = delete;
    IError& operator=(const IError&) = delete;
    virtual ~IError();

    virtual const char* className() const { return "IError"; }
    // What the user sees: the message of the code alone, never text, file or line.
    virtual std::string description() const;

    std::int32_t code() const { return m_code; }
    void setCode(std::int32_t code) { m_code = code; }
    std::int32_t line() const { return m_line; }
    void setLine(std::int32_t line) { m_line = line; }
    const std::string& text() const { return m_text; }
    void setText(std::string text) { m_text = std::move(text); }
    const std::string& file() const { return m_file; }
    void setFile(std::string file) { m_file = std::move(file); }
    IError* cause() const { return m_cause; }
    // Takes ownership; a previous cause is deleted.
    void setCause(IError* cause);

    // The table entry of the code; entry 0 for any code outside the table.
    std::string message() const;
    std::size_t messageCount() const { return m_messages.size(); }

protected:
    void initMessages();
    std::vector<std::string>& messages() { return m_messages; }

private:
    IError* m_cause = nullptr;
    std::int32_t m_code = 0;
    std::int32_t m_line = 0;
    std::string m_text;
    std::string m_file;
    std::vector<std::string> m_messages;
};

// Gives a class the two throwing operations for its one kind of error.
template <class E>
class IErrorHelper {
public:
    virtual ~IErrorHelper() = default;

    [[noreturn]] virtual void throwError(std::int32_t code, const std::string& text,
                                         std::int32_t line, const std::string& file) const
    {
        throw static_cast<IError*>(new E(code, text, line, file));
    }
    [[noreturn]] virtual void throwError(std::int32_t code, const std::string& text, IError* cause,
                                         std::int32_t line, const std::string& file) const
    {
        throw static_cast<IError*>(new E(code, text, cause, line, file));
    }
};
