// Time to paint the whole gauges view once, fed with demonstration records,
// at the design size. Prints the median of many paints (target: under 3 ms).
// With --grab FILE it also saves one picture of the view; --small lays it out
// for an 800 × 570 screen and --lang N picks the language (0 Polish, 1 English).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "app/CAutrelDoc.h"
#include "app/CScreenInfo.h"
#include "data/DiagSimulation.h"
#include "lang/Translation.h"
#include "views/CDisplayView.h"

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const char* grab = nullptr;
    int rounds = 200;
    setCurrentLanguage(LANG_PL);
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--grab") && i + 1 < argc)
            grab = argv[++i];
        else if (!std::strcmp(argv[i], "--small"))
            screenInfo().setWorkArea(800, 570);
        else if (!std::strcmp(argv[i], "--lang") && i + 1 < argc)
            setCurrentLanguage(std::atoi(argv[++i]));
        else
            rounds = std::max(5, std::atoi(argv[i]));
    }

    CQuietShell shell;
    CAutrelDoc doc(shell);
    doc.enterDemo();
    CDisplayView view(doc);
    view.refreshControls();
    diag_t rec{};
    for (int i = 0; i < 40; ++i) {
        nextSimulatedRecord(rec);
        view.onDiagRecord(rec);
    }

    QImage target(view.size(), QImage::Format_ARGB32_Premultiplied);
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        nextSimulatedRecord(rec);
        view.onDiagRecord(rec);
        const auto start = std::chrono::steady_clock::now();
        view.render(&target);
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("gauges view %dx%d, one full paint: median %.3f ms over %d paints\n", view.width(),
                view.height(), ms[ms.size() / 2], rounds);

    if (grab && !view.grab().save(QString::fromLocal8Bit(grab))) {
        std::fprintf(stderr, "cannot save %s\n", grab);
        return 1;
    }
    return 0;
}
