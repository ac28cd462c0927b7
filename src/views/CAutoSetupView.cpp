#include "views/CAutoSetupView.h"

#include <cerrno>
#include <cstdio>
#include <memory>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QToolButton>

#include "app/AppTexts.h"
#include "app/CAutrelDoc.h"
#include "app/CMountDataDlg.h"
#include "app/CQtShell.h"
#include "app/CScreenInfo.h"
#include "app/CWaitCursor.h"
#include "calib/AutoSetupRules.h"
#include "controls/CColorButton.h"
#include "controls/CProgressBar.h"
#include "controls/CSpinButton.h"
#include "data/Conversions.h"
#include "errors/IError.h"
#include "lang/Translation.h"
#include "views/CAutoSetupDisplay.h"

namespace {

constexpr int ID_DISPLAY = 1007;
constexpr int ID_START = 1019;
constexpr int ID_STOP = 1020;
constexpr int ID_PROGRESS = 1021;
constexpr int ID_LABELS[2] = {1014, 1015};
constexpr int ID_EDITS[2] = {1198, 1199};
constexpr int ID_SPINS[2] = {1200, 1201};
constexpr int ID_CYLINDERS[2][CAutoSetupView::CYLINDERS] = {
    {1054, 1055, 1056, 1057, 1062, 1063, 1064, 1065},
    {1074, 1075, 1076, 1077, 1078, 1079, 1080, 1081},
};

// Design layout of the 1024 × 580 upper pane: the panel on top, the buttons
// and the progress below it, then one row per correction with its field,
// its spin and the cylinders that use it.
constexpr int kPaneHeight = 580;
constexpr int kRightMargin = 5;
const QRect kPanel(0, 0, 1024 - kRightMargin, 400);
const QRect kButtons[2] = {QRect(10, 410, 170, 30), QRect(190, 410, 170, 30)};
const QRect kProgress(0, 448, 1024 - kRightMargin, 22);
constexpr int kRowY[2] = {484, 520};
constexpr int kRowHeight = 26;
constexpr int kLabelX = 10;
constexpr int kLabelWidth = 200;
constexpr int kEditX = 215;
constexpr int kEditWidth = 72;
constexpr int kSpinWidth = 18;
constexpr int kCylinderX = 330;
constexpr int kCylinderPitch = 42;
constexpr int kCylinderWidth = 36;

const QColor kOnColour(0, 200, 0);
const QColor kOffColour(170, 170, 170);

constexpr const char* kWriteFailed = "Nie powiodło się wpisanie ustawień do urządzenia!";

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

// Stands between the procedure and the view: a view switch deletes the view
// while the procedure still runs inside its event dispatch, and from then on
// every call must find nobody there instead of a freed object. A view that
// is gone, or a window that was closed, stops the procedure.
class CViewGuard : public IAutoSetupUi {
public:
    explicit CViewGuard(CAutoSetupView* view) : m_view(view) {}

    void warningBox(const std::string& text) override
    {
        if (m_view)
            m_view->warningBox(text);
    }
    void errorBox(const std::string& text) override
    {
        if (m_view)
            m_view->errorBox(text);
    }
    void plainBox(const std::string& text) override
    {
        if (m_view)
            m_view->plainBox(text);
    }
    bool confirm(const std::string& text) override { return m_view && m_view->confirm(text); }
    bool askMountData(SDevInfo& info) override { return m_view && m_view->askMountData(info); }
    std::string storedInstallerName() override
    {
        return m_view ? m_view->storedInstallerName() : std::string();
    }
    void storeInstallerName(const std::string& name) override
    {
        if (m_view)
            m_view->storeInstallerName(name);
    }
    void showProgress(int percent) override
    {
        if (m_view)
            m_view->showProgress(percent);
    }
    void showCorrections() override
    {
        if (m_view)
            m_view->showCorrections();
    }
    void pumpEvents() override
    {
        if (m_view)
            m_view->pumpEvents();
    }
    void sleep(std::uint32_t ms) override
    {
        if (m_view)
            m_view->sleep(ms);
    }
    bool running() override { return m_view && m_view->running(); }
    void finished() override
    {
        if (m_view)
            m_view->finished();
    }

private:
    QPointer<CAutoSetupView> m_view;
};

QString correctionText(double ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", ms);
    return QString::fromLatin1(text);
}

} // namespace

CAutoSetupView::CAutoSetupView(CAutrelDoc& doc, QWidget* parent)
    : CMainMenuView(doc, parent), m_panel(new CAutoSetupDisplay(this)),
      m_progress(new CProgressBar(this)), m_start(new QPushButton(this)),
      m_stop(new QPushButton(this))
{
    m_texts.init();
    resize(screenInfo().width(), screenInfo().scaleY(kPaneHeight));

    m_panel->setObjectName(QString::number(ID_DISPLAY));
    m_progress->setObjectName(QString::number(ID_PROGRESS));
    m_start->setObjectName(QString::number(ID_START));
    m_stop->setObjectName(QString::number(ID_STOP));
    connect(m_start, &QPushButton::clicked, this, &CAutoSetupView::start);
    connect(m_stop, &QPushButton::clicked, this, &CAutoSetupView::stop);

    for (int c = 0; c < 2; ++c) {
        auto* label = new QLabel(this);
        label->setObjectName(QString::number(ID_LABELS[c]));
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::number(ID_EDITS[c]));
        edit->setReadOnly(true);
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setBuddy(edit);
        auto* spin = new CSpinButton(this);
        spin->setObjectName(QString::number(ID_SPINS[c]));
        spin->setBuddy(edit);
        spin->upButton()->setAccessibleName(QStringLiteral("+0.025 ms"));
        spin->downButton()->setAccessibleName(QStringLiteral("-0.025 ms"));
        connect(spin, &CSpinButton::deltaPos, this,
                [this, c](int delta) { stepCorrection(c, delta); });
        m_labels[c] = label;
        m_edits[c] = edit;
        m_spins[c] = spin;
        for (int i = 0; i < CYLINDERS; ++i) {
            auto* button = new CColorButton(this);
            button->setObjectName(QString::number(ID_CYLINDERS[c][i]));
            button->setText(QString::number(i + 1));
            // Both rows of a cylinder move it to the other correction.
            connect(button, &QPushButton::clicked, this, [this, i] { toggleCylinder(i); });
            m_cylinders[c][i] = button;
        }
    }
    layOut();
    m_panel->setup(m_doc.m_devInfo.m_injCount);
}

CAutoSetupView::~CAutoSetupView() = default;

void CAutoSetupView::layOut()
{
    place(m_panel, kPanel);
    place(m_progress, kProgress);
    place(m_start, kButtons[0]);
    place(m_stop, kButtons[1]);
    for (int c = 0; c < 2; ++c) {
        place(m_labels[c], QRect(kLabelX, kRowY[c], kLabelWidth, kRowHeight));
        place(m_edits[c], QRect(kEditX, kRowY[c], kEditWidth, kRowHeight));
        place(m_spins[c], QRect(kEditX + kEditWidth, kRowY[c], kSpinWidth, kRowHeight));
        for (int i = 0; i < CYLINDERS; ++i)
            place(m_cylinders[c][i],
                  QRect(kCylinderX + i * kCylinderPitch, kRowY[c], kCylinderWidth, kRowHeight));
    }
    // The panel and the progress span the view, whatever its width.
    m_panel->setGeometry(0, 0, std::max(0, width() - kRightMargin), m_panel->height());
    m_progress->setGeometry(m_progress->x(), m_progress->y(), std::max(0, width() - kRightMargin),
                            m_progress->height());
}

void CAutoSetupView::resizeEvent(QResizeEvent*)
{
    layOut();
}

void CAutoSetupView::onDiagRecord(const diag_t& rec)
{
    if (!m_doc.isConnected())
        return;
    m_panel->showRecord(rec, m_doc.m_devInfo.m_injCount, m_doc.m_engineSignalBehavior);
}

void CAutoSetupView::reloadSettings()
{
    m_panel->setup(m_doc.m_devInfo.m_injCount);
    showCorrections();
}

void CAutoSetupView::refreshControls()
{
    const QString title = qs(translate("Autokalibracja"));
    setWindowTitle(title);
    emit titleChanged(title);
    m_panel->retranslate();
    try {
        m_texts.apply(this);
    } catch (IError* e) {
        std::unique_ptr<IError> owned(e); // no text in this language: keep the ones shown
    }

    const bool linked = m_doc.isConnected() && !m_doc.isDemo();
    const bool available = m_doc.isConnected() || m_doc.isDemo();
    m_start->setEnabled(available && !m_running);
    m_stop->setEnabled(available && m_running);
    // Neither correction nor the cylinders' assignment may change under a
    // running calibration: it measures with them.
    for (int c = 0; c < 2; ++c) {
        m_edits[c]->setEnabled(linked && !m_running);
        m_spins[c]->setEnabled(linked && !m_running);
        for (CColorButton* button : m_cylinders[c])
            button->setEnabled(!m_running);
    }
    const bool second = (m_doc.m_devInfo.m_flags.flags1 & FLAGS1_EXTENDED_SETUP) != 0;
    m_labels[1]->setVisible(second);
    m_edits[1]->setVisible(second);
    m_spins[1]->setVisible(second);
    for (auto& row : m_cylinders)
        for (CColorButton* button : row)
            button->setVisible(second);
    showCorrections();
}

void CAutoSetupView::start()
{
    if (m_running)
        return;
    m_running = true;
    refreshControls();
    // From the event loop rather than inside the button's click: the view
    // may be switched away and deleted while the procedure runs.
    QTimer::singleShot(0, this, &CAutoSetupView::doWork);
}

void CAutoSetupView::stop()
{
    m_running = false;
    refreshControls();
}

void CAutoSetupView::doWork()
{
    if (!m_running)
        return; // stopped before it began
    QPointer<CAutoSetupView> self(this);
    CViewGuard ui(this);
    CAutoSetup setup(m_doc, ui, m_timing);
    const EAutoSetupEnd end = setup.doWork();
    if (!self)
        return;
    m_lastEnd = end;
    ++m_runsEnded;
}

void CAutoSetupView::messageBox(EAutoSetupBox kind, const std::string& text)
{
    if (onMessageBox) {
        onMessageBox(kind, text);
        return;
    }
    const QMessageBox::Icon icon = kind == EAutoSetupBox::Information ? QMessageBox::Information
                                   : kind == EAutoSetupBox::Warning   ? QMessageBox::Warning
                                                                      : QMessageBox::NoIcon;
    QMessageBox box(icon, QString::fromUtf8(kAppTitle), qs(text), QMessageBox::Ok, this);
    box.exec();
}

void CAutoSetupView::warningBox(const std::string& text)
{
    messageBox(EAutoSetupBox::Warning, text);
}

void CAutoSetupView::errorBox(const std::string& text)
{
    m_doc.shell().errorBox(text);
}

void CAutoSetupView::plainBox(const std::string& text)
{
    messageBox(EAutoSetupBox::Plain, text);
}

bool CAutoSetupView::confirm(const std::string& text)
{
    messageBox(EAutoSetupBox::Information, text);
    return true;
}

bool CAutoSetupView::askMountData(SDevInfo& info)
{
    if (onMountData)
        return onMountData(info);
    // The name comes from this PC's memory, not from the controller: the
    // fitter may always correct it.
    CMountDataDlg dialog(info, true, this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    dialog.takeInto(info);
    return true;
}

std::string CAutoSetupView::storedInstallerName()
{
    auto* shell = dynamic_cast<CQtShell*>(&m_doc.shell());
    return shell ? shell->config().mountServiceName() : std::string();
}

void CAutoSetupView::storeInstallerName(const std::string& name)
{
    // Only the next prefill is lost if the file cannot be written, but the
    // fitter would otherwise look for it there next time.
    auto* shell = dynamic_cast<CQtShell*>(&m_doc.shell());
    if (shell == nullptr || shell->config().storeMountServiceName(name))
        return;
    if (const std::string why = CQtShell::workshopNotKeptText(shell->config(), name, errno);
        !why.empty())
        warningBox(why);
}

void CAutoSetupView::showProgress(int percent)
{
    m_progress->setPercent(percent);
}

void CAutoSetupView::showCorrections()
{
    showCorrection(0, m_doc.m_mainCorr);
    showCorrection(1, m_doc.m_mainCorr2);
    showCylinderColours();
}

void CAutoSetupView::pumpEvents()
{
    // Nothing of the view may be touched after this: it can be gone.
    QCoreApplication::processEvents();
}

void CAutoSetupView::sleep(std::uint32_t ms)
{
    // The window stays alive through the sleep too; as in pumpEvents, no
    // member is used once events have been dispatched.
    QElapsedTimer timer;
    timer.start();
    for (qint64 left = ms; left > 0; left = qint64(ms) - timer.elapsed()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, int(left));
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(10, left)));
    }
}

bool CAutoSetupView::running()
{
    // A closed window takes the live data with it; the waits would never end.
    return m_running && isVisible();
}

void CAutoSetupView::finished()
{
    m_running = false;
    refreshControls();
}

double CAutoSetupView::shownCorrection(int correction) const
{
    return m_edits[correction]->text().toDouble();
}

void CAutoSetupView::showCorrection(int correction, double ms)
{
    m_edits[correction]->setText(correctionText(ms));
}

void CAutoSetupView::showCylinderColours()
{
    for (int i = 0; i < CYLINDERS; ++i) {
        const bool second = (m_doc.m_mainCorr2Mask >> i) & 1;
        for (int c = 0; c < 2; ++c) {
            const bool on = (c == 1) == second;
            CColorButton* button = m_cylinders[c][i];
            button->setFaceColor(on ? kOnColour : kOffColour);
            // The colour alone would leave a screen reader guessing.
            button->setAccessibleName(qs(translateFill(
                "Cylinder %1 na dodatku %2", {std::to_string(i + 1), std::to_string(c + 1)})));
            button->setAccessibleDescription(qs(translate(on ? "wybrany" : "niewybrany")));
        }
    }
}

void CAutoSetupView::stepCorrection(int correction, int delta)
{
    const std::optional<double> next = steppedCorrection(shownCorrection(correction), delta);
    if (!next)
        return;
    showCorrection(correction, *next);
    // With every cylinder on the first correction the second follows it.
    if (correction == 0 && m_doc.m_mainCorr2Mask == 0)
        showCorrection(1, *next);
    applyCorrections();
}

void CAutoSetupView::applyCorrections()
{
    m_doc.m_mainCorr = tickGrid(shownCorrection(0));
    m_doc.m_mainCorr2 = tickGrid(shownCorrection(1));
    writeSettings();
}

void CAutoSetupView::toggleCylinder(int i)
{
    if (i < 0 || i >= CYLINDERS)
        return;
    m_doc.m_mainCorr2Mask ^= static_cast<std::uint8_t>(1u << i);
    showCylinderColours();
    writeSettings();
}

void CAutoSetupView::writeSettings()
{
    bool written = false;
    std::string thrown;
    {
        CWaitCursor wait;
        try {
            written = m_doc.writeSettings();
        } catch (IError* e) {
            std::unique_ptr<IError> owned(e);
            thrown = owned->description();
        } catch (...) {
            thrown = translate("Błąd krytyczny.");
        }
    }
    // The values shown stay; the fitter sees they did not get there.
    if (!thrown.empty())
        messageBox(EAutoSetupBox::Plain, thrown);
    else if (!written)
        m_doc.shell().errorBox(translate(kWriteFailed));
}
