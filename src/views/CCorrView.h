// The manual mixture correction view ("Ręczna modyfikacja mieszanki"): the
// controller's correction table in the editable chart, every point the
// fitter moves written to the controller at once. The table itself lives
// in the document's settings block; the view keeps nothing of its own.
// Thread safety: the user-interface thread only.
#pragma once

#include <QString>

#include "app/CMainMenuView.h"

class CTimeCorrChart;

class CCorrView : public CMainMenuView {
    Q_OBJECT
public:
    // Sized as the upper pane on this screen, the chart over all of it.
    // Connect titleChanged, then call reloadSettings and refreshControls.
    explicit CCorrView(CAutrelDoc& doc, QWidget* parent = nullptr);

    // The chart's points from the table, each truncated toward zero.
    void reloadSettings() override;
    // Titles the document, takes up the language and the table, repaints.
    void refreshControls() override;

    // A point the fitter moved: stored and written while the controller is
    // linked (not in demonstration mode), nothing when the value is the
    // table's already. A failed write keeps the new value in the block and
    // on the chart and tells the fitter.
    void pointChanged(int index, double value);

    CTimeCorrChart& chart() { return *m_chart; }

signals:
    void titleChanged(const QString& title);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showTable();

    CTimeCorrChart* m_chart;
};
