#include "views/CCorrView.h"

#include <cmath>
#include <memory>

#include <QLabel>

#include "app/CAutrelDoc.h"
#include "app/CScreenInfo.h"
#include "app/CWaitCursor.h"
#include "errors/IError.h"
#include "lang/Translation.h"
#include "link/SettingsTransfer.h"
#include "views/CTimeCorrChart.h"

namespace {
// The upper pane's design height.
constexpr int kPaneHeight = 580;
constexpr int kChartId = 1014;
} // namespace

CCorrView::CCorrView(CAutrelDoc& doc, QWidget* parent)
    : CMainMenuView(doc, parent), m_chart(new CTimeCorrChart(this))
{
    resize(formScreen().width(), formScreen().scaleY(kPaneHeight));
    // The form's static marks the chart's corner; the chart reaches from
    // there over the whole client area and keeps the static's identifier.
    auto* placeholder = new QLabel(QStringLiteral("Poprawki"), this);
    placeholder->setObjectName(QString::number(kChartId));
    placeholder->setGeometry(rect());
    m_chart->takePlaceOf(placeholder);
    m_chart->setScale(formScreen().scale());
    setFocusProxy(m_chart);
    connect(m_chart, &CTimeCorrChart::pointChanged, this, &CCorrView::pointChanged);
}

void CCorrView::showTable()
{
    for (int i = 0; i < m_chart->count(); ++i)
        m_chart->setValue(i, std::trunc(m_doc.m_setupTimes[static_cast<std::size_t>(i)]));
}

void CCorrView::reloadSettings()
{
    showTable();
    // Drawn with the next paint: a table taken up afresh must not stay
    // hidden behind the old points.
    m_chart->update();
}

void CCorrView::refreshControls()
{
    const QString title = QString::fromStdString(translate("Ręczna modyfikacja mieszanki"));
    setWindowTitle(title);
    emit titleChanged(title);
    m_chart->setTexts();
    showTable();
    m_chart->repaint();
    m_chart->setFocus();
}

void CCorrView::pointChanged(int index, double value)
{
    if (index < 0 || index >= static_cast<int>(m_doc.m_setupTimes.size()))
        return;
    // While the link is down the chart moves on screen only; the next
    // refresh shows the stored table again.
    if (!m_doc.isConnected() || m_doc.isDemo())
        return;
    const double v = std::trunc(value);
    double& stored = m_doc.m_setupTimes[static_cast<std::size_t>(index)];
    if (v == stored)
        return;
    std::string message;
    {
        CWaitCursor wait;
        try {
            stored = v;
            SSettingsPlan plan;
            plan.setupTable = true;
            const STransferOutcome outcome = applySettingsPlan(m_doc, plan);
            if (!outcome.ok())
                message = outcome.message;
        } catch (IError* e) {
            std::unique_ptr<IError> owned(e);
            message = owned->description();
        } catch (...) {
            message = translate("Błąd krytyczny.");
        }
    }
    if (!message.empty())
        m_doc.shell().errorBox(message);
}

void CCorrView::resizeEvent(QResizeEvent*)
{
    m_chart->setGeometry(rect());
}
