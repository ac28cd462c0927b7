#include "views/CMapCreateView.h"

#include <algorithm>
#include <memory>
#include <vector>

#include <QLabel>
#include <QPushButton>

#include "app/AppCommands.h"
#include "app/CAutrelDoc.h"
#include "app/CScreenInfo.h"
#include "errors/IError.h"
#include "lang/Translation.h"
#include "views/CMapChart.h"
#include "views/ViewCommand.h"

namespace {

constexpr int ID_CHART = 1140;
constexpr int ID_VACUUM_LABEL = 1133;
constexpr int ID_VACUUM = 1141;
constexpr int ID_DRIVE = 1134;
constexpr int ID_STOP = 1135;
constexpr int ID_COMPUTE = 1137;

// Design layout of the 1024 × 580 upper pane: the map over nearly all of it,
// the vacuum and the three buttons in a row below.
constexpr int kPaneHeight = 580;
constexpr int kRightMargin = 5;
const QRect kChart(0, 0, 1024 - kRightMargin, 505);
const QRect kVacuumLabel(10, 522, 170, 30);
const QRect kVacuum(185, 512, 90, 50);
const QRect kDrive(320, 522, 150, 30);
const QRect kStop(480, 522, 150, 30);
const QRect kCompute(640, 522, 210, 30);
// The vacuum reads from a distance while driving: large and bold.
constexpr int kVacuumFontPx = 24;

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

CMapCreateView::CMapCreateView(CAutrelDoc& doc, QWidget* parent)
    : CMainMenuView(doc, parent), m_chart(new CMapChart(this)), m_vacuumLabel(new QLabel(this)),
      m_vacuum(new QLabel(this)), m_drive(new QPushButton(this)), m_stop(new QPushButton(this)),
      m_compute(new QPushButton(this))
{
    m_texts.init();
    resize(formScreen().width(), formScreen().scaleY(kPaneHeight));

    // The form's static marks the chart's place; the chart keeps its
    // identifier and height and spans the view.
    auto* placeholder = new QLabel(QStringLiteral("MAP CHART"), this);
    placeholder->setObjectName(QString::number(ID_CHART));
    place(placeholder, kChart);
    m_chart->takePlaceOf(placeholder);
    m_chart->setScale(formScreen().scale());

    m_vacuumLabel->setObjectName(QString::number(ID_VACUUM_LABEL));
    m_vacuum->setObjectName(QString::number(ID_VACUUM));
    m_vacuum->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont big = formFont(kVacuumFontPx);
    big.setWeight(QFont::Bold);
    m_vacuum->setFont(big);
    m_vacuumLabel->setBuddy(m_vacuum);
    m_drive->setObjectName(QString::number(ID_DRIVE));
    m_stop->setObjectName(QString::number(ID_STOP));
    m_compute->setObjectName(QString::number(ID_COMPUTE));
    connect(m_drive, &QPushButton::clicked, this, &CMapCreateView::startDrive);
    connect(m_stop, &QPushButton::clicked, this, &CMapCreateView::stopDrive);
    connect(m_compute, &QPushButton::clicked, this, &CMapCreateView::computeCorrections);
    layOut();
}

void CMapCreateView::layOut()
{
    place(m_vacuumLabel, kVacuumLabel);
    place(m_vacuum, kVacuum);
    place(m_drive, kDrive);
    place(m_stop, kStop);
    place(m_compute, kCompute);
    m_chart->setGeometry(m_chart->x(), m_chart->y(), std::max(0, width() - kRightMargin),
                         m_chart->height());
}

void CMapCreateView::resizeEvent(QResizeEvent*)
{
    layOut();
}

void CMapCreateView::enableButtons()
{
    const bool linked = m_doc.isConnected();
    const bool recording = m_map.recording();
    m_drive->setEnabled(linked && !recording);
    m_compute->setEnabled(linked && !recording);
    m_stop->setEnabled(linked && recording);
}

void CMapCreateView::showVacuum()
{
    if (!m_doc.isConnected() || m_doc.m_diagData.count() == 0)
        return;
    diag_t rec{};
    m_doc.m_diagData.getLast(rec);
    m_vacuum->setText(qs(mapVacuumText(rec)));
}

void CMapCreateView::refreshControls()
{
    const QString title = qs(translate("Autokalibracja w czasie jazdy"));
    setWindowTitle(title);
    emit titleChanged(title);
    m_map.stop();
    try {
        m_texts.apply(this);
    } catch (IError* e) {
        std::unique_ptr<IError> owned(e); // no text in this language: keep the ones shown
    }
    enableButtons();
    m_chart->setTexts();
    m_chart->setPoints(m_map.points());
    m_chart->update();
}

void CMapCreateView::onDiagRecord(const diag_t& rec)
{
    if (!m_doc.isConnected())
        return;
    m_vacuum->setText(qs(mapVacuumText(rec)));
    if (!m_map.recording())
        return;
    // Every record the reader brought since the last tick, not only the
    // newest: a short drive then fills the bins as well as a long one.
    std::vector<STimedRecord> fresh;
    m_doc.m_history.copyAddedSince(m_seen, fresh);
    bool redraw = false;
    for (const STimedRecord& r : fresh)
        redraw = m_map.add(r.m_rec) || redraw;
    if (redraw)
        m_chart->setPoints(m_map.points());
}

void CMapCreateView::startDrive()
{
    diag_t newest{};
    m_doc.m_diagData.getLast(newest);
    const bool started = m_map.start(newest);
    m_chart->clear();
    if (!started) {
        m_doc.shell().errorBox(translate(MAP_SENSOR_MISSING_TEXT));
        return;
    }
    m_seen = m_doc.m_history.added();
    enableButtons();
}

void CMapCreateView::stopDrive()
{
    m_map.stop();
    enableButtons();
    showVacuum();
}

void CMapCreateView::computeCorrections()
{
    bool written = false;
    const std::string failure = runViewCommand([&] {
        m_last = computeMapCorrection(m_map.bins(), m_doc.m_setupTimes);
        const STransferOutcome outcome = writeMapCorrection(m_doc, m_last);
        written = outcome.ok();
        return outcome.message;
    });
    if (!failure.empty()) {
        m_doc.shell().errorBox(failure);
        return;
    }
    if (written)
        emit commandRequested(ID_VIEW_CORR_ALIAS);
}
