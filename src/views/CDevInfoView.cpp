#include "views/CDevInfoView.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <memory>

#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

#include "app/CAutrelDoc.h"
#include "app/CMountDataDlg.h"
#include "app/CPasswdDlg.h"
#include "app/CQtShell.h"
#include "app/CWaitCursor.h"
#include "data/CUserConfig.h"
#include "data/DeviceInfoText.h"
#include "data/MountDataEdit.h"
#include "errors/IError.h"
#include "lang/Translation.h"
#include "views/ViewCommand.h"

namespace {

constexpr int ID_TEXT = 1038;
constexpr int ID_CLEAR = 1041;
constexpr int ID_CHANGE = 1042;

// Design layout of the 1024 × 580 pane: the text over the whole width, the
// two buttons under it.
const QRect TEXT_RECT{16, 16, 992, 478};
const QRect CLEAR_RECT{16, 510, 280, 36};
const QRect CHANGE_RECT{312, 510, 280, 36};
constexpr int PANE_HEIGHT = 580;
constexpr int TEXT_FONT_PX = 15;

const char* const WRITE_FAILED = "Nie powiodło się wpisanie ustawień do urządzenia!";
const char* const READ_FAILED = "Nie powiodło się odczytanie ustawień urządzenia!";

// The work times and the installation data; both are asked even when the
// first fails, as each fills its own fields.
bool readDeviceInfo(CAutrelDoc& doc)
{
    bool ok = doc.readStatistic();
    ok = doc.readMountData() && ok;
    return ok;
}

// True when the controller took the installation data now in the block;
// otherwise the block gets `before` back and the failure is shown. The view
// may be gone when it returns (the retries keep the window alive), so only
// the document is touched.
bool writeInstallationData(CAutrelDoc& doc, const SDevInfo& before)
{
    bool written = false;
    {
        CWaitCursor wait;
        written = doc.writeMountData();
    }
    if (written)
        return true;
    // The block mirrors the controller, which still holds the old data; a
    // settings file saved now must not carry what was never stored.
    SDevInfo& info = doc.m_devInfo;
    info.m_mountDate = before.m_mountDate;
    info.m_mountService = before.m_mountService;
    info.m_injSize = before.m_injSize;
    info.m_engine = before.m_engine;
    doc.shell().errorBox(translate(WRITE_FAILED));
    return false;
}

} // namespace

int CDevInfoView::s_countdown = CDevInfoView::RELOAD_TICKS;

CDevInfoView::CDevInfoView(CAutrelDoc& doc, CUserConfig& config, QWidget* parent)
    : CMainMenuView(doc, parent), m_config(config), m_text(new QPlainTextEdit(this)),
      m_clear(new QPushButton(this)), m_change(new QPushButton(this))
{
    CDevInfoTexts::init();
    resize(formScreen().width(), formScreen().scaleY(PANE_HEIGHT));

    m_text->setObjectName(QString::number(ID_TEXT));
    m_text->setReadOnly(true);
    m_text->setFont(formFont(TEXT_FONT_PX));
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    place(m_text, TEXT_RECT);
    m_clear->setObjectName(QString::number(ID_CLEAR));
    place(m_clear, CLEAR_RECT);
    m_change->setObjectName(QString::number(ID_CHANGE));
    place(m_change, CHANGE_RECT);

    connect(m_clear, &QPushButton::clicked, this, &CDevInfoView::clearInstallationData);
    connect(m_change, &QPushButton::clicked, this, &CDevInfoView::changeInstallationData);
}

QString CDevInfoView::infoText() const
{
    return m_text->toPlainText();
}

void CDevInfoView::fillControls()
{
    const QString title = QString::fromStdString(translate("Informacje o sterowniku"));
    setWindowTitle(title);
    m_text->setAccessibleName(title);
    emit titleChanged(title);
    apply(this);
    enableButtons();
    buildInfoText();
}

void CDevInfoView::enableButtons()
{
    const bool linked = m_doc.isConnected();
    m_clear->setEnabled(linked);
    m_change->setEnabled(linked);
}

void CDevInfoView::buildInfoText()
{
    const SDevInfo& info = m_doc.m_devInfo;
    // The values start in one column after the longest label of this
    // language, rather than at whichever tab stop each label happens to reach.
    const QFontMetrics metrics(m_text->font());
    int widest = 0;
    for (const auto& [label, value] : deviceInfoLines(info))
        widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(label)));
    m_text->setTabStopDistance(widest + metrics.horizontalAdvance(QStringLiteral("    ")));

    QString text = QString::fromStdString(deviceInfoText(info));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text != m_text->toPlainText())
        m_text->setPlainText(text);
}

void CDevInfoView::loadDeviceInfo()
{
    if (!m_doc.isConnected() || m_busy) {
        buildInfoText();
        return;
    }
    QPointer<CDevInfoView> alive(this);
    CAutrelDoc& doc = m_doc;
    IGasShell& shell = doc.shell();
    m_busy = true;
    bool read = true;
    const bool ran = runGuarded(shell, [&] {
        CWaitCursor wait;
        read = readDeviceInfo(doc);
    });
    if (!alive)
        return;
    m_busy = false;
    buildInfoText();
    if (ran && !read)
        shell.errorBox(translate(READ_FAILED));
}

void CDevInfoView::updateLiveValues()
{
    enableButtons();
    if (--s_countdown > 0)
        return;
    s_countdown = RELOAD_TICKS;
    if (!m_doc.isConnected() || m_busy)
        return;
    // Quietly: a box every 15 seconds would stack up on a controller that
    // keeps refusing, and the text simply keeps what it showed.
    QPointer<CDevInfoView> alive(this);
    m_busy = true;
    try {
        readDeviceInfo(m_doc);
    } catch (IError* e) {
        std::unique_ptr<IError> owned(e);
    }
    if (!alive)
        return;
    m_busy = false;
    buildInfoText();
}

void CDevInfoView::clearInstallationData()
{
    if (!m_doc.isConnected() || m_busy)
        return;
    QPointer<CDevInfoView> alive(this);
    CAutrelDoc& doc = m_doc;
    m_busy = true;
    runGuarded(doc.shell(), [&] {
        if (!CPasswdDlg::unlock(doc, this) || !alive)
            return;
        const SDevInfo before = doc.m_devInfo;
        clearMountData(doc.m_devInfo);
        writeInstallationData(doc, before);
    });
    if (!alive)
        return;
    m_busy = false;
    buildInfoText();
}

void CDevInfoView::changeInstallationData()
{
    if (!m_doc.isConnected() || m_busy)
        return;
    QPointer<CDevInfoView> alive(this);
    CAutrelDoc& doc = m_doc;
    CUserConfig& config = m_config;
    m_busy = true;
    runGuarded(doc.shell(), [&] {
        // The proposal lives in the dialog only: a cancelled dialog leaves
        // the block as the controller has it.
        const SMountDataProposal offer =
            proposeMountData(doc.m_devInfo, std::time(nullptr), config.mountServiceName());
        CMountDataDlg dlg(offer.info, offer.nameEditable, this);
        if (dlg.exec() != QDialog::Accepted || !alive)
            return;
        const SDevInfo before = doc.m_devInfo;
        dlg.takeInto(doc.m_devInfo);
        // A name that cannot be stored is typed once more next time; the
        // fitter is told so rather than left to look for it.
        if (writeInstallationData(doc, before) &&
            !config.storeMountServiceName(doc.m_devInfo.m_mountService)) {
            const std::string why =
                CQtShell::workshopNotKeptText(config, doc.m_devInfo.m_mountService, errno);
            if (!why.empty())
                doc.shell().errorBox(why);
        }
    });
    if (!alive)
        return;
    m_busy = false;
    buildInfoText();
}
