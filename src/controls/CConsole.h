// A read-only console of text lines. It keeps the newest lines only and
// follows new ones unless the user has scrolled up to read.
// Thread safety: the user-interface thread only.
#pragma once

#include <QPlainTextEdit>

class CConsole : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int MAX_LINES = 1000;

    explicit CConsole(QWidget* parent = nullptr);

    void appendLine(const QString& line);
};
