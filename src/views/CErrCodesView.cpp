#include "views/CErrCodesView.h"

#include <memory>

#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

#include "app/CAutrelDoc.h"
#include "app/CWaitCursor.h"
#include "errors/IError.h"
#include "lang/Translation.h"
#include "views/ViewCommand.h"

namespace {

constexpr int ID_TEXT = 1105;
constexpr int ID_READ = 1048;
constexpr int ID_CLEAR = 1011;

// Design layout of the 1024 × 580 pane: the lines over the whole width, the
// two buttons under them.
const QRect TEXT_RECT{16, 16, 992, 478};
const QRect READ_RECT{16, 510, 280, 36};
const QRect CLEAR_RECT{312, 510, 280, 36};
constexpr int PANE_HEIGHT = 580;
constexpr int TEXT_FONT_PX = 15;

} // namespace

int CErrCodesView::s_countdown = CErrCodesView::READ_TICKS;

CErrCodesView::CErrCodesView(CAutrelDoc& doc, QWidget* parent)
    : CMainMenuView(doc, parent), m_text(new QPlainTextEdit(this)), m_read(new QPushButton(this)),
      m_clear(new QPushButton(this))
{
    CErrCodesTexts::init();
    resize(formScreen().width(), formScreen().scaleY(PANE_HEIGHT));

    m_text->setObjectName(QString::number(ID_TEXT));
    m_text->setReadOnly(true);
    m_text->setFont(formFont(TEXT_FONT_PX));
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    place(m_text, TEXT_RECT);
    m_read->setObjectName(QString::number(ID_READ));
    place(m_read, READ_RECT);
    m_clear->setObjectName(QString::number(ID_CLEAR));
    place(m_clear, CLEAR_RECT);

    connect(m_read, &QPushButton::clicked, this, &CErrCodesView::readErrorCodes);
    connect(m_clear, &QPushButton::clicked, this, &CErrCodesView::clearErrorCodes);
}

QString CErrCodesView::errorText() const
{
    return m_text->toPlainText();
}

void CErrCodesView::fillControls()
{
    const QString title = QString::fromStdString(translate("Kody błędów"));
    setWindowTitle(title);
    m_text->setAccessibleName(title);
    emit titleChanged(title);
    apply(this);
    showPlaceholder();
    enableButtons();
}

void CErrCodesView::showPlaceholder()
{
    m_text->setPlaceholderText(m_placeholder ? QString::fromStdString(translate(m_placeholder))
                                             : QString());
}

void CErrCodesView::enableButtons()
{
    const bool linked = m_doc.isConnected();
    m_read->setEnabled(linked);
    m_clear->setEnabled(linked);
}

bool CErrCodesView::readAndShow(bool report)
{
    QPointer<CErrCodesView> alive(this);
    CAutrelDoc& doc = m_doc;
    SErrorRecord record{};
    bool read = false;
    {
        CWaitCursor wait;
        read = doc.readErrors(record);
    }
    if (!alive)
        return read;
    if (!read) {
        if (report)
            doc.shell().errorBox(translate("Nie można wczytać błędów urządzenia"));
        return false;
    }
    QString text = QString::fromStdString(doc.describeErrors(record));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_text->setPlainText(text);
    // The lines stay empty, as the indicator reads them; only the hint tells
    // a reading without faults from no reading yet.
    m_placeholder = text.isEmpty() ? "Sterownik nie zgłasza błędów." : nullptr;
    showPlaceholder();
    doc.shell().setFaultIndicator(!text.isEmpty());
    return true;
}

void CErrCodesView::readErrorCodes()
{
    if (!m_doc.isConnected() || m_busy)
        return;
    QPointer<CErrCodesView> alive(this);
    m_busy = true;
    runGuarded(m_doc.shell(), [&] { readAndShow(true); });
    if (alive)
        m_busy = false;
}

void CErrCodesView::clearErrorCodes()
{
    if (!m_doc.isConnected() || m_busy)
        return;
    QPointer<CErrCodesView> alive(this);
    CAutrelDoc& doc = m_doc;
    m_busy = true;
    // The lines stay as they are: the next reading shows what the
    // controller holds after its reset.
    runGuarded(doc.shell(), [&] {
        bool cleared = false;
        {
            CWaitCursor wait;
            cleared = doc.clearErrors();
        }
        if (!cleared)
            doc.shell().errorBox(translate("Nie można skasować błędów urządzenia"));
    });
    if (alive)
        m_busy = false;
}

void CErrCodesView::updateLiveValues()
{
    enableButtons();
    if (--s_countdown > 0)
        return;
    s_countdown = READ_TICKS;
    if (!m_doc.isConnected() || m_busy)
        return;
    // Quietly: a box every 12 seconds would stack up on a controller that
    // keeps refusing, and the lines simply keep what they showed.
    QPointer<CErrCodesView> alive(this);
    m_busy = true;
    try {
        readAndShow(false);
    } catch (IError* e) {
        std::unique_ptr<IError> owned(e);
    }
    if (alive)
        m_busy = false;
}
