#include "views/CServiceToolsView.h"

#include <QGroupBox>
#include <QPointer>
#include <QPushButton>

#include "app/CAutrelDoc.h"
#include "app/CScreenInfo.h"
#include "controls/CColorStatic.h"
#include "data/InjectorMask.h"
#include "data/TickCountdown.h"
#include "lang/Translation.h"
#include "views/ViewCommand.h"

namespace {

constexpr int kPaneHeight = 580;

// Control identifiers: the group, the fields of injectors 1 to 8, their
// buttons (1044 to 1051).
constexpr int ID_GROUP = 1042;
constexpr int ID_FIELDS[CServiceToolsView::INJECTORS] = {1052, 1061, 1062, 1063,
                                                         1064, 1065, 1066, 1067};
constexpr int ID_FIRST_BUTTON = 1044;

// Design layout of the 1024 × 580 pane; inside the group, one column per
// injector, the field above its button.
const QRect kGroup{24, 16, 640, 146};
constexpr int COLUMN_X = 24;
constexpr int COLUMN_PITCH = 76;
constexpr int COLUMN_WIDTH = 60;
constexpr int FIELD_Y = 36;
constexpr int FIELD_HEIGHT = 50;
constexpr int BUTTON_Y = 96;
constexpr int BUTTON_HEIGHT = 30;

// The mask is read every 6 seconds at the 300 ms display tick, whichever
// instance of the view is open.
CTickCountdown& readCountdown()
{
    static CTickCountdown countdown(20);
    return countdown;
}

} // namespace

QColor injectorFieldColor(bool bitSet)
{
    return bitSet ? QColor(0, 200, 0) : QColor(90, 90, 90);
}

CServiceToolsView::CServiceToolsView(CAutrelDoc& doc, QWidget* parent) : CMainMenuView(doc, parent)
{
    m_texts.init();
    resize(screenInfo().width(), screenInfo().scaleY(kPaneHeight));

    auto* group = new QGroupBox(this);
    group->setObjectName(QString::number(ID_GROUP));
    place(group, kGroup);
    for (int i = 0; i < INJECTORS; ++i) {
        const int x = COLUMN_X + i * COLUMN_PITCH;
        auto* field = new CColorStatic(group);
        field->setObjectName(QString::number(ID_FIELDS[i]));
        place(field, {x, FIELD_Y, COLUMN_WIDTH, FIELD_HEIGHT});
        m_fields[i] = field;
        showBit(i, false);

        auto* button = new QPushButton(QString::number(i + 1), group);
        button->setObjectName(QString::number(ID_FIRST_BUTTON + i));
        place(button, {x, BUTTON_Y, COLUMN_WIDTH, BUTTON_HEIGHT});
        const int injector = i + 1;
        connect(button, &QPushButton::clicked, this,
                [this, injector] { toggleInjector(injector); });
        m_buttons[i] = button;
    }
}

void CServiceToolsView::refreshControls()
{
    const QString title = QString::fromStdString(translate("Narzędzia serwisowe"));
    setWindowTitle(title);
    emit titleChanged(title);
    try {
        m_texts.apply(this);
    } catch (IError* e) {
        std::unique_ptr<IError> owned(e); // no text in this language: keep the ones shown
    }
    for (int i = 0; i < INJECTORS; ++i)
        showBit(i, currentMask() >> i & 1); // the spoken state in the new language
    enableControls();
    if (m_doc.isConnected())
        readMask(true);
}

void CServiceToolsView::enableControls()
{
    const bool linked = m_doc.isConnected();
    const int switchable = switchableInjectors(m_doc.m_devInfo.m_injCount);
    for (int i = 0; i < INJECTORS; ++i) {
        m_fields[i]->setEnabled(linked);
        m_buttons[i]->setEnabled(linked && i < switchable);
    }
}

void CServiceToolsView::onDiagRecord(const diag_t&)
{
    if (!readCountdown().tick() || !m_doc.isConnected())
        return;
    readMask(false);
}

void CServiceToolsView::readMask(bool waitCursor)
{
    if (m_busy)
        return;
    QPointer<CServiceToolsView> alive(this);
    CAutrelDoc& doc = m_doc;
    std::uint8_t mask = 0;
    bool read = false;
    m_busy = true;
    const std::string message = runViewCommand(
        [&]() -> std::string {
            read = doc.getInjectorMask(mask);
            return {};
        },
        waitCursor);
    if (!alive) // the user moved on during the pause before the read
        return;
    m_busy = false;
    if (!message.empty())
        doc.shell().errorBox(message);
    else if (read)
        showMask(mask);
}

void CServiceToolsView::showMask(std::uint8_t mask)
{
    // Bits of injectors the controller lacks are not shown, so reading the
    // same mask again repaints nothing.
    mask &= injectorMaskLimit(m_doc.m_devInfo.m_injCount);
    if (mask == currentMask())
        return;
    for (int i = 0; i < INJECTORS; ++i)
        showBit(i, mask >> i & 1);
    update();
}

std::uint8_t CServiceToolsView::currentMask() const
{
    // The fields are the only copy of the mask.
    unsigned mask = 0;
    for (int i = 0; i < INJECTORS; ++i)
        if (m_fields[i]->backgroundColor() == injectorFieldColor(true))
            mask |= 1u << i;
    return static_cast<std::uint8_t>(mask);
}

void CServiceToolsView::showBit(int injector, bool on)
{
    CColorStatic* field = m_fields[injector];
    field->setColors(Qt::black, injectorFieldColor(on));
    field->setSpokenText(
        QString::fromStdString(translateFill("Wtryskiwacz %1", {std::to_string(injector + 1)}) +
                               " " + translate(on ? "wł." : "wył.")));
}

void CServiceToolsView::toggleInjector(int n)
{
    if (n < 1 || n > INJECTORS || m_busy || !m_doc.isConnected())
        return;
    if (m_doc.m_diagData.count() == 0)
        return;
    diag_t rec{};
    m_doc.m_diagData.getLast(rec);
    // On petrol the controller ignores the mask; the button does nothing.
    if (!injectorMaskAllowed(rec.fuel))
        return;
    const int i = n - 1;
    const bool wasOn = currentMask() >> i & 1;
    showBit(i, !wasOn);
    m_fields[i]->repaint();
    QPointer<CServiceToolsView> alive(this);
    if (!sendMask() && alive) {
        // The field shows what the controller holds, not what was asked.
        showBit(i, wasOn);
        m_fields[i]->repaint();
    }
}

bool CServiceToolsView::sendMask()
{
    QPointer<CServiceToolsView> alive(this);
    CAutrelDoc& doc = m_doc;
    const std::uint8_t mask = currentMask();
    m_busy = true;
    const std::string message = runViewCommand([&]() -> std::string {
        if (!doc.setInjectorMask(mask))
            return translate("Nie powiodło się ustawienie urządzenia!");
        return {};
    });
    if (alive)
        m_busy = false;
    if (!message.empty())
        doc.shell().errorBox(message);
    return message.empty();
}
