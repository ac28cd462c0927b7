// The installation report on paper: the core's report laid out as HTML in a
// QTextDocument on A4 pages with a foot line, the correction table drawn by
// the correction view's own chart, written as a PDF that replaces its target
// only once it is whole.
// Thread safety: the user-interface thread (the chart is a widget).
#pragma once

#include <array>
#include <ctime>
#include <string>

#include <QByteArray>
#include <QImage>
#include <QString>

#include "data/InstallationReport.h"

class CGasDevice;

// The correction chart as the correction view draws it, on white, without a
// selected point; width × height pixels.
QImage correctionChartImage(const std::array<double, SETUP_TIMES_COUNT>& corrections, int width,
                            int height);

// The whole PDF; empty when it could not be drawn.
QByteArray reportPdf(const SInstallationReport& report);

// Reads the controller, builds its report and writes it to path. Empty on
// success, otherwise why (translated); path is untouched then. Port failures
// are thrown as the controller object throws them.
std::string writeInstallationReport(CGasDevice& device, const std::string& workshop,
                                    const std::string& path, std::time_t now);

// The name a save proposes: the controller's serial and the day.
QString reportFileName(const std::string& serial, std::time_t now);
