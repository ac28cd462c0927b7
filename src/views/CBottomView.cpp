#include "app/CWaitCursor.h"
#include "views/CBottomView.h"

#include <cmath>
#include <memory>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "app/CAutrelDoc.h"
#include "controls/CColorStatic.h"
#include "data/StatusBarValues.h"
#include "errors/IError.h"
#include "lang/Translation.h"
#include "views/StatusFields.h"

namespace {

// Control identifiers of the bar.
constexpr int ID_LINK = 1112;
constexpr int ID_FUEL = 1081;
constexpr int ID_ERRORS = 1113;
constexpr int ID_PETROL = 1011;
constexpr int ID_AUTO = 1012;
constexpr int ID_LPG = 1013;

// Design layout, 1024 × 100: the three state fields on the left, six value
// columns (label above, value and unit below), the mode buttons on the right.
constexpr int STATE_X = 8;
constexpr int STATE_WIDTH = 180;
constexpr int ROW_Y[3] = {6, 37, 68};
constexpr int ROW_HEIGHT = 27;
constexpr int COLUMN_X = 200;
constexpr int COLUMN_PITCH = 118;
constexpr int LABEL_Y = 6;
constexpr int LABEL_HEIGHT = 34;
constexpr int VALUE_Y = 44;
constexpr int VALUE_WIDTH = 82;
constexpr int VALUE_HEIGHT = 34;
constexpr int UNIT_WIDTH = 32;
constexpr int BUTTON_X = 914;
constexpr int BUTTON_WIDTH = 102;

constexpr int VALUE_FONT_PX = 24;

QFont valueFont(const CScaledForm& form)
{
    QFont f;
    // A stroke font of technical lettering where it is installed; otherwise a
    // monospace one, so digits keep their places as the values change.
    f.setFamilies({QStringLiteral("WST_Engl"), QStringLiteral("DejaVu Sans Mono"),
                   QStringLiteral("Monospace")});
    f.setStyleHint(QFont::Monospace);
    f.setPixelSize(form.scaledPixels(VALUE_FONT_PX));
    f.setWeight(QFont::Normal);
    return f;
}

} // namespace

CBottomView::CBottomView(CAutrelDoc& doc, QWidget* parent, const CScreenInfo& screen)
    : QWidget(parent), CScaledForm(screen), m_doc(doc)
{
    applyControlColors(this);
    setFont(formFont());
    m_texts.init();

    // Bold, so the state texts still read on the saturated reds and blue.
    QFont stateFont = font();
    stateFont.setBold(true);
    m_link = addField(ID_LINK, {STATE_X, ROW_Y[0], STATE_WIDTH, ROW_HEIGHT});
    m_fuel = addField(ID_FUEL, {STATE_X, ROW_Y[1], STATE_WIDTH, ROW_HEIGHT});
    m_errors = addField(ID_ERRORS, {STATE_X, ROW_Y[2], STATE_WIDTH, ROW_HEIGHT});
    for (CColorStatic* field : {m_link, m_fuel, m_errors})
        field->setFont(stateFont);

    m_petrolTime = addValue(1107, "Czas benz.", 1110, 1039, "ms", 0);
    m_lpgTime = addValue(1109, "Czas LPG", 1111, 1040, "ms", 1);
    m_rpm = addValue(1115, "RPM", 1108, 0, nullptr, 2);
    m_reducerTemp = addValue(1018, "T. reduktora", 1303, 1036, "°C", 3);
    m_gasPressure = addValue(1120, "Ciśnienie", 1304, 1038, "kPa", 4);
    m_lambda = addValue(1019, "Lambda", 1305, 1037, "V", 5);

    m_buttons[0] = addButton(ID_PETROL, "BENZYNA", 0);
    m_buttons[1] = addButton(ID_AUTO, "AUTOMAT", 1);
    m_buttons[2] = addButton(ID_LPG, "LPG", 2);
    connect(m_buttons[0], &QPushButton::clicked, this, [this] {
        if (runModeCommand(&CGasDevice::workGas, "Nie powiodło się przełączenie na benzynę!"))
            showPetrolMode();
    });
    // The controller goes through petrol on its way to automatic mode, and
    // automatic mode starts on petrol, so petrol is what the bar can show.
    connect(m_buttons[1], &QPushButton::clicked, this, [this] {
        if (runModeCommand(&CGasDevice::workAuto, "Nie powiodło się przełączenie w tryb AUTO!"))
            showPetrolMode();
    });
    connect(m_buttons[2], &QPushButton::clicked, this, [this] {
        if (runModeCommand(&CGasDevice::workLpg, "Nie powiodło się przełączenie na LPG!"))
            showLpgMode();
    });

    resetValues();
}

CColorStatic* CBottomView::addField(int id, const QRect& design)
{
    auto* field = new CColorStatic(this);
    field->setObjectName(QString::number(id));
    field->setGeometry(scaled(design));
    return field;
}

CColorStatic* CBottomView::addValue(int labelId, const char* label, int valueId, int unitId,
                                    const char* unit, int column)
{
    const int x = COLUMN_X + column * COLUMN_PITCH;
    auto* caption = new QLabel(QString::fromUtf8(label), this);
    caption->setObjectName(QString::number(labelId));
    caption->setGeometry(scaled({x, LABEL_Y, VALUE_WIDTH + UNIT_WIDTH, LABEL_HEIGHT}));
    caption->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    caption->setWordWrap(true);

    CColorStatic* field = addField(valueId, {x, VALUE_Y, VALUE_WIDTH, VALUE_HEIGHT});
    field->setFont(valueFont(*this));
    field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    field->setCaption(caption);

    if (unit) {
        auto* unitLabel = new QLabel(QString::fromUtf8(unit), this);
        unitLabel->setObjectName(QString::number(unitId));
        unitLabel->setGeometry(
            scaled({x + VALUE_WIDTH + 3, VALUE_Y, UNIT_WIDTH - 3, VALUE_HEIGHT}));
        unitLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return field;
}

QPushButton* CBottomView::addButton(int id, const char* text, int row)
{
    auto* button = new QPushButton(QString::fromUtf8(text), this);
    button->setObjectName(QString::number(id));
    button->setGeometry(scaled({BUTTON_X, ROW_Y[row], BUTTON_WIDTH, ROW_HEIGHT}));
    return button;
}

QSize CBottomView::sizeHint() const
{
    return {formScreen().scaleX(DESIGN_WIDTH), formScreen().scaleY(BOTTOM_VIEW_HEIGHT)};
}

void CBottomView::paintEvent(QPaintEvent*)
{
    QPainter(this).fillRect(rect(), statusBarBackground());
}

void CBottomView::showLook(CColorStatic* field, const SFieldLook& look)
{
    field->setText(look.text);
    field->setSpokenText(look.spoken);
    field->setColors(look.textColor, look.background);
}

void CBottomView::showValues(const SStatusBarValues& values)
{
    const std::pair<CColorStatic*, const std::string*> fields[] = {
        {m_petrolTime, &values.petrolMs},
        {m_lpgTime, &values.lpgMs},
        {m_rpm, &values.rpm},
        {m_reducerTemp, &values.reducerC},
        {m_gasPressure, &values.gasKpa},
        {m_lambda, &values.lambdaV}};
    for (const auto& [field, text] : fields)
        showLook(field, valueFieldLook(QString::fromStdString(*text)));
}

void CBottomView::updateLiveValues()
{
    if (!m_doc.isConnected() && !m_playback)
        return;
    // One locked copy of the newest record: the reader may clear or trim the
    // buffer between two calls, and a record copied this way is always a real one.
    std::vector<diag_t> newest;
    const std::size_t count = m_doc.m_diagData.count();
    if (count == 0)
        return;
    m_doc.m_diagData.copyRange(newest, count - 1, count);
    if (newest.empty())
        return;
    const SStatusBarValues values = statusBarValues(newest.back());
    if (values.petrolFuel)
        showPetrolMode();
    else
        showLpgMode();
    showValues(values);
}

void CBottomView::setConnectionState(bool connected)
{
    showLook(m_link, linkFieldLook(connected));
    m_link->repaint();
}

void CBottomView::setErrorIndicator(bool errors)
{
    m_errorsShown = errors;
    showLook(m_errors, errorFieldLook(errors));
    m_errors->repaint();
}

void CBottomView::refreshErrorIndicator()
{
    if (!m_doc.isConnected())
        return;
    SErrorRecord record{};
    try {
        if (!m_doc.readErrors(record))
            return;
    } catch (IError* e) {
        std::unique_ptr<IError> owned(e); // a lost port counts as a failed read
        return;
    }
    setErrorIndicator(!m_doc.describeErrors(record).empty());
}

void CBottomView::applyTexts()
{
    try {
        m_texts.apply(this);
    } catch (IError* e) {
        std::unique_ptr<IError> owned(e); // no text in this language: keep the ones shown
    }
    for (CColorStatic* field :
         {m_petrolTime, m_lpgTime, m_rpm, m_reducerTemp, m_gasPressure, m_lambda})
        field->refreshAccessibleName();
}

void CBottomView::resetValues()
{
    applyTexts();
    // Every state field shows its state again in the new language; a link
    // that is up keeps its green, and a fault already seen stays lit.
    setConnectionState(m_doc.isConnected());
    setErrorIndicator(m_errorsShown);
    showPetrolMode();
    showValues(initialStatusBarValues());
    update();
}

void CBottomView::showPetrolMode()
{
    showLook(m_fuel, fuelFieldLook(true));
    m_fuel->repaint();
}

void CBottomView::showLpgMode()
{
    showLook(m_fuel, fuelFieldLook(false));
    m_fuel->repaint();
}

bool CBottomView::runModeCommand(bool (CGasDevice::*command)(), const char* failure)
{
    if (!m_doc.isConnected())
        return false;
    bool done = false;
    std::string message;
    {
        CWaitCursor wait;
        // The retries can take seconds; a second press meanwhile must not
        // start a second command inside the first.
        for (QPushButton* button : m_buttons)
            button->setEnabled(false);
        try {
            done = (m_doc.*command)();
            if (!done)
                message = translate(failure);
        } catch (IError* e) {
            std::unique_ptr<IError> owned(e);
            message = owned->description();
        } catch (...) {
            message = translate("Błąd krytyczny.");
        }
        for (QPushButton* button : m_buttons)
            button->setEnabled(true);
    }
    if (!done)
        m_doc.shell().errorBox(message);
    return done;
}
