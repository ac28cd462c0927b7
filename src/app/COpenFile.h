// The file dialog for settings files: open or save, starting in a directory,
// with a filter ("Pliki ustawień (*.ssf)", Qt's form, ";;" between several)
// and a default extension added to a name typed without one.
//
//   const QString path = COpenFile(dir, filter, "ssf", true).exec(frame);
//
// Thread safety: the user-interface thread only.
#pragma once

#include <QString>

class QWidget;

class COpenFile {
public:
    COpenFile(QString initialDir, QString filter, QString defaultExt, bool save);

    // The chosen full path; empty when the fitter cancels.
    QString exec(QWidget* parent = nullptr) const;

    // The system's own dialog (the default) cannot be driven from a test;
    // Qt's own can.
    static void setNativeDialogs(bool on);

private:
    QString m_initialDir;
    QString m_filter;
    QString m_defaultExt;
    bool m_save;
};
