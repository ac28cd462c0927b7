#include "views/CFuelSensorView.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "app/CAutrelDoc.h"
#include "app/CScreenInfo.h"
#include "controls/CConsole.h"
#include "data/FuelLevelLamps.h"
#include "data/TickCountdown.h"
#include "lang/Translation.h"
#include "views/ViewCommand.h"

namespace {

constexpr int kPaneHeight = 580;

// Control identifiers.
constexpr int ID_THRESHOLD_0 = 1135; // to 1138 for threshold 3
constexpr int ID_READING = 1155;
constexpr int ID_TYPES = 1157;
constexpr int ID_WRITE = 1068;
constexpr int ID_LAMPS = 1022;
constexpr int ID_READING_LABEL = 1240;
constexpr int ID_TYPES_LABEL = 1242;
constexpr int ID_CALIBRATION = 1285;

// Design layout of the 1024 × 580 pane. The group reads like the tank
// gauge: full at the top, reserve at the bottom, each threshold on the
// border between the two levels it separates.
const QRect kCalibration{24, 16, 250, 420};
constexpr int MARK_X = 36;
constexpr int MARK_WIDTH = 56;
constexpr int MARK_HEIGHT = 24;
constexpr int MARK_Y[5] = {36, 116, 196, 276, 356}; // "1/1" down to "R"
constexpr int EDIT_X = 110;
constexpr int EDIT_WIDTH = 90;
constexpr int EDIT_HEIGHT = 26;
const char* const kMarks[5] = {"1/1", "3/4", "1/2", "1/4", "R"};

constexpr int SIDE_X = 310;
constexpr int SIDE_WIDTH = 300;
const QRect kTypesLabel{SIDE_X, 24, SIDE_WIDTH, 20};
const QRect kTypes{SIDE_X, 46, SIDE_WIDTH, 28};
const QRect kWrite{SIDE_X, 92, SIDE_WIDTH, 32};
const QRect kReadingLabel{SIDE_X, 160, 150, 20};
const QRect kReading{SIDE_X, 182, 90, EDIT_HEIGHT};
const QRect kLamps{660, 24, 80, 300};

// Thresholds 0 to 3 stand from the bottom border up.
int editY(int threshold)
{
    const int above = 3 - threshold; // the mark above this border
    return (MARK_Y[above] + MARK_HEIGHT + MARK_Y[above + 1]) / 2 - EDIT_HEIGHT / 2;
}

// The switch copy and its refresh rate are the car's, not the view's: they
// carry on where they were when the view is opened again.
CFuelLampDriver& lampDriver()
{
    static CFuelLampDriver driver;
    return driver;
}

CTickCountdown& refreshCountdown()
{
    static CTickCountdown countdown(3);
    return countdown;
}

QString qtext(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

CFuelSensorView::CFuelSensorView(CAutrelDoc& doc, QWidget* parent) : CMainMenuView(doc, parent)
{
    m_texts.init();
    resize(screenInfo().width(), screenInfo().scaleY(kPaneHeight));

    auto* group = new QGroupBox(this);
    group->setObjectName(QString::number(ID_CALIBRATION));
    place(group, kCalibration);
    for (int i = 0; i < 5; ++i) {
        auto* mark = new QLabel(QString::fromLatin1(kMarks[i]), group);
        mark->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        place(mark, {MARK_X, MARK_Y[i], MARK_WIDTH, MARK_HEIGHT});
    }
    // Up to three digits; the range is checked when the values are taken.
    const QRegularExpression digits(QStringLiteral("[0-9]{0,3}"));
    for (int i = 0; i < 4; ++i) {
        auto* edit = new QLineEdit(group);
        edit->setObjectName(QString::number(ID_THRESHOLD_0 + i));
        edit->setValidator(new QRegularExpressionValidator(digits, edit));
        edit->setAlignment(Qt::AlignRight);
        place(edit, {EDIT_X, editY(i), EDIT_WIDTH, EDIT_HEIGHT});
        m_edits[i] = edit;
    }

    auto* typesLabel = new QLabel(this);
    typesLabel->setObjectName(QString::number(ID_TYPES_LABEL));
    place(typesLabel, kTypesLabel);
    m_types = new QComboBox(this);
    m_types->setObjectName(QString::number(ID_TYPES));
    place(m_types, kTypes);
    typesLabel->setBuddy(m_types);
    // Only the user's choice sets thresholds; a selection made after a read
    // merely names the type that was read.
    connect(m_types, &QComboBox::activated, this, &CFuelSensorView::typeChosen);

    m_write = new QPushButton(this);
    m_write->setObjectName(QString::number(ID_WRITE));
    place(m_write, kWrite);
    connect(m_write, &QPushButton::clicked, this, &CFuelSensorView::writeThresholds);

    auto* readingLabel = new QLabel(this);
    readingLabel->setObjectName(QString::number(ID_READING_LABEL));
    place(readingLabel, kReadingLabel);
    m_reading = new QLineEdit(this);
    m_reading->setObjectName(QString::number(ID_READING));
    m_reading->setReadOnly(true);
    m_reading->setAlignment(Qt::AlignRight);
    place(m_reading, kReading);
    readingLabel->setBuddy(m_reading);

    auto* frame = new QFrame(this);
    frame->setObjectName(QString::number(ID_LAMPS));
    place(frame, kLamps);
    m_lamps = new CConsole(this);
    m_lamps->takePlaceOf(frame);

    fillTypes();
    showThresholds();
    showReading();
}

void CFuelSensorView::fillTypes()
{
    const int previous = m_types->currentIndex();
    m_types->clear();
    for (const SFuelSensorType& type : fuelSensorTypes())
        m_types->addItem(qtext(translate(type.name)));
    if (previous >= 0) {
        m_types->setCurrentIndex(previous);
        return;
    }
    // Nothing chosen or read yet: name what the fields hold.
    const SFuelSensorType& match = matchFuelSensorType(m_thresholds);
    m_types->setCurrentIndex(int(&match - fuelSensorTypes().data()));
}

void CFuelSensorView::refreshControls()
{
    const QString title = qtext(translate("Czujnik poziomu LPG"));
    setWindowTitle(title);
    emit titleChanged(title);
    try {
        m_texts.apply(this);
    } catch (IError* e) {
        std::unique_ptr<IError> owned(e); // no text in this language: keep the ones shown
    }
    for (int i = 0; i < 4; ++i) {
        // "Threshold 2: 1/2 – 3/4": the marks on either side of the field.
        m_edits[i]->setAccessibleName(
            qtext(translateFill("Próg %1", {std::to_string(i)})) +
            QStringLiteral(": %1 – %2").arg(kMarks[4 - i], kMarks[3 - i]));
    }
    m_lamps->setText(qtext(translate("Wskaźnik poziomu LPG")));
    m_write->setEnabled(m_doc.isConnected());
    fillTypes();
}

void CFuelSensorView::reloadSettings()
{
    if (!m_doc.isConnected() || m_busy)
        return;
    if (m_doc.m_diagData.count() > 0) {
        diag_t rec{};
        m_doc.m_diagData.getLast(rec);
        m_currentReading = rec.fuelLevel;
    }
    QPointer<CFuelSensorView> alive(this);
    CAutrelDoc& doc = m_doc;
    SFuelSensorRecord record{};
    m_busy = true;
    const std::string message = runViewCommand([&]() -> std::string {
        if (!doc.readFuelSensor(record))
            return translate("Nie można wczytać ustawień czujnika poziomu gazu z urządzenia");
        return {};
    });
    if (!alive) // the user moved on while the retries let events through
        return;
    m_busy = false;
    if (!message.empty()) {
        showError(message);
        return;
    }
    m_thresholds = fuelThresholdsOf(record.data());
    showThresholds();
    showReading();
    const SFuelSensorType& match = matchFuelSensorType(m_thresholds);
    m_types->setCurrentIndex(int(&match - fuelSensorTypes().data()));
}

void CFuelSensorView::typeChosen(int index)
{
    const auto& types = fuelSensorTypes();
    if (index < 0 || index >= int(types.size()))
        return;
    if (types[std::size_t(index)].preset) {
        m_thresholds = types[std::size_t(index)].thresholds;
    } else {
        // "Inny" keeps what the fitter entered; a field left unreadable
        // keeps the thresholds the lamps already use.
        SFuelThresholds t{};
        if (takeForm(t))
            m_thresholds = t;
    }
    showThresholds();
}

void CFuelSensorView::writeThresholds()
{
    if (m_busy || !m_doc.isConnected())
        return;
    SFuelThresholds t{};
    if (!takeForm(t)) {
        showError(translate("Progi muszą być liczbami całkowitymi od 0 do 255."));
        return;
    }
    m_thresholds = t;
    std::string message;
    if (!checkFuelThresholds(t, &message)) {
        showError(message);
        return;
    }
    QPointer<CFuelSensorView> alive(this);
    CAutrelDoc& doc = m_doc;
    m_busy = true;
    message = runViewCommand([&]() -> std::string {
        if (!doc.writeFuelSensor(fuelRecordOrder(t)))
            return translate("Nie można wpisać ustawień czujnika poziomu gazu do urządzenia");
        return {};
    });
    if (!alive) {
        if (!message.empty())
            doc.shell().errorBox(message);
        return;
    }
    m_busy = false;
    if (!message.empty())
        showError(message);
}

bool CFuelSensorView::takeForm(SFuelThresholds& t) const
{
    std::string joined;
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            joined += ',';
        joined += m_edits[i]->text().trimmed().toStdString();
    }
    return parseFuelThresholds(joined, t);
}

void CFuelSensorView::showThresholds()
{
    for (int i = 0; i < 4; ++i)
        m_edits[i]->setText(QString::number(m_thresholds[i]));
}

void CFuelSensorView::showReading()
{
    m_reading->setText(QString::number(m_currentReading));
}

void CFuelSensorView::showError(const std::string& message)
{
    m_doc.shell().errorBox(message);
}

void CFuelSensorView::onDiagRecord(const diag_t& rec)
{
    if (!refreshCountdown().tick() || !m_doc.isConnected())
        return;
    m_currentReading = rec.fuelLevel;
    showReading();
    m_lamps->setLamps(lampDriver().refresh(rec.workMode, rec.fuel, m_thresholds, m_currentReading));
}
