#include "views/CSettingsView.h"

#include <memory>
#include <string>

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPointer>

#include "app/CAutrelDoc.h"
#include "app/CScreenInfo.h"
#include "app/CWaitCursor.h"
#include "controls/CStrValueCmbBox.h"
#include "controls/CValueCmbBox.h"
#include "data/SettingsChange.h"
#include "data/SettingsKeys.h"
#include "data/SettingsLists.h"
#include "errors/IError.h"
#include "lang/Translation.h"
#include "link/SettingsTransfer.h"

namespace {

// Lists whose handlers need more than the value of a field.
constexpr int ID_INJECTOR_TYPE = 1017;
constexpr int ID_PETROL_INJECTION = 1026;
constexpr int ID_BUZZER = 1040;
constexpr int ID_PRESSURE_SENSOR = 1055;
// Check boxes.
constexpr int ID_INJECTOR_WARMING = 1019;
constexpr int ID_IGNORE_SHORT = 1020;
constexpr int ID_PLUS_12V = 1027;
constexpr int ID_OVERLOAD = 1039;

// Device flags (flags1) that say what this controller has.
constexpr std::uint32_t FLAG_OVERLOAD_CHECK = 0x01;
constexpr std::uint32_t FLAG_BUZZER = 0x02;
constexpr std::uint32_t FLAG_SHORT_PULSES = 0x08; // it ignores short pulses; +12 V drive is fixed
constexpr std::uint32_t FLAG_SENSOR_CHOICE = 0x10;

// Which byte and bit each check box stands for.
struct SCheckBit {
    int control;
    std::uint8_t CSettings::*field;
    std::uint8_t bit;
};
constexpr SCheckBit kCheckBits[] = {
    {ID_INJECTOR_WARMING, &CSettings::m_behaviorFlags, 0x01},
    {ID_OVERLOAD, &CSettings::m_behaviorFlags, 0x02},
    {ID_IGNORE_SHORT, &CSettings::m_behaviorFlags, 0x08},
    {ID_PLUS_12V, &CSettings::m_engineSignalBehavior, 0x01},
};

const SCheckBit& checkBit(int control)
{
    for (const SCheckBit& c : kCheckBits)
        if (c.control == control)
            return c;
    return kCheckBits[0];
}

void setBits(std::uint8_t& byte, std::uint8_t bits, bool on)
{
    byte = on ? std::uint8_t(byte | bits) : std::uint8_t(byte & ~bits);
}

// Design layout of the 1024 × 580 pane: the switch-over conditions and the
// pressure on the left, the signals, injectors and probe on the right with
// the option check boxes under them. Labels wrap onto a second line where a
// language needs it.
constexpr int ROW_Y = 24;
constexpr int ROW_PITCH = 48;
constexpr int LABEL_HEIGHT = 36;
constexpr int LIST_HEIGHT = 24;
constexpr int LIST_OFFSET = (LABEL_HEIGHT - LIST_HEIGHT) / 2;

constexpr int LEFT_LABEL_X = 24;
constexpr int LEFT_LABEL_WIDTH = 300;
constexpr int LEFT_LIST_X = 332;
// Numbers and the short texts of the left column ("Rozszerzona", "AF1").
constexpr int SHORT_LIST_WIDTH = 116;
constexpr int DIVIDER_X = 468;
constexpr int RIGHT_LABEL_X = 488;
constexpr int RIGHT_LABEL_WIDTH = 212;
constexpr int RIGHT_LIST_X = 708;
constexpr int TEXT_LIST_WIDTH = 296;
constexpr int CHECK_WIDTH = 1004 - RIGHT_LABEL_X;

struct SListPlace {
    int label;
    int list;
    bool right;
    int row;
};
// In tab order.
constexpr SListPlace kListPlaces[] = {
    {1035, 1012, false, 0}, {1033, 1013, false, 1}, {1032, 1014, false, 2}, {1031, 1015, false, 3},
    {1030, 1023, false, 4}, {1029, 1024, false, 5}, {1056, 1055, false, 6}, {1041, 1040, false, 7},
    {1034, 1016, true, 0},  {1037, 1026, true, 1},  {1028, 1017, true, 2},  {1025, 1021, true, 3},
    {1036, 1018, true, 4},
};
struct SCheckPlace {
    int control;
    int row;
};
// 1020 and 1027 share a row: a controller shows one or the other.
constexpr SCheckPlace kCheckPlaces[] = {
    {ID_INJECTOR_WARMING, 5}, {ID_PLUS_12V, 6}, {ID_IGNORE_SHORT, 6}, {ID_OVERLOAD, 7}};

int rowY(int row)
{
    return ROW_Y + row * ROW_PITCH;
}

QRect labelRect(const SListPlace& p)
{
    return p.right ? QRect(RIGHT_LABEL_X, rowY(p.row), RIGHT_LABEL_WIDTH, LABEL_HEIGHT)
                   : QRect(LEFT_LABEL_X, rowY(p.row), LEFT_LABEL_WIDTH, LABEL_HEIGHT);
}

QRect listRect(const SListPlace& p, bool numbers)
{
    const int width = numbers || !p.right ? SHORT_LIST_WIDTH : TEXT_LIST_WIDTH;
    return {p.right ? RIGHT_LIST_X : LEFT_LIST_X, rowY(p.row) + LIST_OFFSET, width, LIST_HEIGHT};
}

// The upper pane's design height.
constexpr int kPaneHeight = 580;

} // namespace

CSettingsView::CSettingsView(CAutrelDoc& doc, QWidget* parent) : CMainMenuView(doc, parent)
{
    m_texts.init();
    resize(formScreen().width(), formScreen().scaleY(kPaneHeight));
    buildControls();
}

void CSettingsView::buildControls()
{
    for (const SListPlace& at : kListPlaces) {
        const SSettingsList* entries = settingsListByControl(at.list);
        if (entries == nullptr)
            continue;
        const bool numbers = entries->precision >= 0;
        auto* label = new QLabel(this);
        label->setObjectName(QString::number(at.label));
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        place(label, labelRect(at));
        CEntryCmbBox* box = nullptr;
        if (numbers) {
            auto* values = new CValueCmbBox(this);
            m_numLists[at.list] = values;
            box = values;
        } else {
            auto* texts = new CStrValueCmbBox(this);
            m_strLists[at.list] = texts;
            box = texts;
        }
        box->setObjectName(QString::number(at.list));
        place(box, listRect(at, numbers));
        label->setBuddy(box);
        m_labels[at.list] = label;
        const int control = at.list;
        if (entries->bits != 0)
            connect(box, &QComboBox::activated, this,
                    [this, control] { onBitListChosen(control); });
        else
            connect(box, &QComboBox::activated, this, [this, control] { onValueChosen(control); });
    }
    for (const SCheckPlace& at : kCheckPlaces) {
        auto* check = new QCheckBox(this);
        check->setObjectName(QString::number(at.control));
        place(check, {RIGHT_LABEL_X, rowY(at.row) + LIST_OFFSET, CHECK_WIDTH, LIST_HEIGHT});
        m_checks[at.control] = check;
        const int control = at.control;
        connect(check, &QAbstractButton::clicked, this,
                [this, control] { onCheckClicked(control); });
    }
    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::VLine);
    divider->setFrameShadow(QFrame::Sunken);
    place(divider, {DIVIDER_X, ROW_Y, 2, rowY(7) + LABEL_HEIGHT - ROW_Y});
}

QComboBox* CSettingsView::list(int control) const
{
    if (const auto it = m_numLists.find(control); it != m_numLists.end())
        return it->second;
    if (const auto it = m_strLists.find(control); it != m_strLists.end())
        return it->second;
    return nullptr;
}

QCheckBox* CSettingsView::checkBox(int control) const
{
    const auto it = m_checks.find(control);
    return it != m_checks.end() ? it->second : nullptr;
}

void CSettingsView::fillControls()
{
    const QString title = QString::fromStdString(translate("Konfiguracja"));
    setWindowTitle(title);
    emit titleChanged(title);
    applyDeviceFlags();
    applyTexts();
    refillLists();
    loadSettings();
}

void CSettingsView::applyDeviceFlags()
{
    const std::uint32_t flags = m_doc.m_devInfo.m_flags.flags1;
    const bool buzzer = (flags & FLAG_BUZZER) != 0;
    m_labels[ID_BUZZER]->setVisible(buzzer);
    list(ID_BUZZER)->setVisible(buzzer);
    m_checks[ID_OVERLOAD]->setVisible((flags & FLAG_OVERLOAD_CHECK) != 0);
    list(ID_PRESSURE_SENSOR)->setEnabled((flags & FLAG_SENSOR_CHOICE) != 0);
    const bool shortPulses = (flags & FLAG_SHORT_PULSES) != 0;
    m_checks[ID_IGNORE_SHORT]->setVisible(shortPulses);
    m_checks[ID_PLUS_12V]->setVisible(!shortPulses);
}

void CSettingsView::applyTexts()
{
    try {
        m_texts.apply(this);
    } catch (IError* e) {
        std::unique_ptr<IError> owned(e); // no text in this language: keep the ones shown
    }
    // A combo box reads out its current entry; its label says what it is.
    for (const auto& [control, label] : m_labels)
        list(control)->setAccessibleName(label->text());
}

void CSettingsView::refillLists()
{
    for (const SSettingsList& entries : settingsLists()) {
        if (QComboBox* box = list(entries.control); box != nullptr) {
            const int selected = box->currentIndex();
            if (auto* values = qobject_cast<CValueCmbBox*>(box)) {
                values->clear();
                for (const SSettingsChoice& c : entries.choices)
                    values->addValue({c.value, entries.precision});
            } else if (auto* texts = qobject_cast<CStrValueCmbBox*>(box)) {
                texts->clear();
                for (const SSettingsChoice& c : entries.choices)
                    texts->addValue({QString::fromStdString(translate(c.text)), c.value, 0});
            }
            box->setCurrentIndex(selected >= 0 && selected < box->count() ? selected : 0);
        }
    }
}

void CSettingsView::loadSettings()
{
    for (const SSettingsList& entries : settingsLists()) {
        if (entries.bits != 0)
            continue;
        const SSettingsKey* key = findSettingsKey(entries.key);
        if (key == nullptr)
            continue;
        const double value = key->getNumber(m_doc);
        if (const auto it = m_numLists.find(entries.control); it != m_numLists.end())
            it->second->selectValue(value);
        else if (const auto at = m_strLists.find(entries.control); at != m_strLists.end())
            at->second->selectValue(value);
    }
    list(ID_PETROL_INJECTION)->setCurrentIndex(petrolInjectionCode(m_doc.m_engineSignalBehavior));
    for (int control : {ID_BUZZER, ID_PRESSURE_SENSOR}) {
        const std::uint8_t bits = settingsListByControl(control)->bits;
        m_strLists[control]->selectValue((m_doc.m_behaviorFlags & bits) != 0 ? 1 : 0);
    }
    for (const SCheckBit& c : kCheckBits)
        m_checks[c.control]->setChecked((m_doc.*c.field & c.bit) != 0);
    for (const auto& [control, box] : m_numLists)
        m_lastIndex[control] = box->currentIndex();
    for (const auto& [control, box] : m_strLists)
        m_lastIndex[control] = box->currentIndex();
}

void CSettingsView::setInjectorType(std::uint8_t code)
{
    m_doc.setInjectorType(code);
}

double CSettingsView::selectedValue(int control) const
{
    if (const auto it = m_numLists.find(control); it != m_numLists.end())
        return it->second->getValue();
    if (const auto it = m_strLists.find(control); it != m_strLists.end())
        return it->second->getValue();
    return -1;
}

void CSettingsView::showUnchanged(int control)
{
    if (QComboBox* box = list(control); box != nullptr)
        box->setCurrentIndex(m_lastIndex[control]);
}

void CSettingsView::onValueChosen(int control)
{
    // Nothing can be written; the list goes back to what the controller has
    // rather than showing a value it never got.
    if (!m_doc.isConnected()) {
        showUnchanged(control);
        return;
    }
    const SSettingsKey* key = findSettingsKey(settingsListByControl(control)->key);
    const double value = selectedValue(control);
    if (key == nullptr || value < 0 || value == key->getNumber(m_doc)) {
        m_lastIndex[control] = list(control)->currentIndex();
        return;
    }
    changeAndWrite(control, [this, control, key, value] {
        if (control == ID_INJECTOR_TYPE)
            setInjectorType(static_cast<std::uint8_t>(value));
        else
            key->setNumber(m_doc, value);
    });
}

void CSettingsView::onBitListChosen(int control)
{
    const double code = selectedValue(control);
    if (control == ID_PETROL_INJECTION) {
        changeAndWrite(control, [this, code] {
            m_doc.m_engineSignalBehavior =
                withPetrolInjectionCode(m_doc.m_engineSignalBehavior, static_cast<int>(code));
        });
        return;
    }
    if (!m_doc.isConnected()) {
        showUnchanged(control);
        return;
    }
    // Written every time, even when the bit already has that value.
    const std::uint8_t bits = settingsListByControl(control)->bits;
    changeAndWrite(control,
                   [this, bits, code] { setBits(m_doc.m_behaviorFlags, bits, code == 1); });
}

void CSettingsView::onCheckClicked(int control)
{
    const SCheckBit& c = checkBit(control);
    const bool on = m_checks[control]->isChecked();
    changeAndWrite(control, [this, &c, on] { setBits(m_doc.*c.field, c.bit, on); });
}

void CSettingsView::changeAndWrite(int control, const std::function<void()>& change)
{
    // The command keeps the window alive while it retries and waits; the
    // frame may even replace this view meanwhile, so nothing of the view is
    // touched once it has gone.
    CAutrelDoc& doc = m_doc;
    const QPointer<CSettingsView> self(this);
    const QPointer<QWidget> focus = focusWidget();
    std::string message;
    {
        CWaitCursor wait;
        // No second change may start inside this one.
        setEnabled(false);
        try {
            change();
            const STransferOutcome r = applySettingsPlan(doc, settingsPlanForControl(control));
            if (!r.ok())
                message = r.message;
        } catch (IError* e) {
            std::unique_ptr<IError> owned(e);
            message = owned->description();
        } catch (...) {
            message = translate("Błąd krytyczny.");
        }
        if (self) {
            setEnabled(true);
            if (QComboBox* box = list(control); box != nullptr)
                m_lastIndex[control] = box->currentIndex();
            if (focus)
                focus->setFocus();
        }
    }
    if (!message.empty())
        doc.shell().errorBox(message);
}
