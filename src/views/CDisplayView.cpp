#include "views/CDisplayView.h"

#include "app/CAutrelDoc.h"
#include "app/CScreenInfo.h"
#include "lang/Translation.h"
#include "views/CAnalogDisplay.h"

namespace {
// The upper pane's design height.
constexpr int kPaneHeight = 580;
} // namespace

CDisplayView::CDisplayView(CAutrelDoc& doc, QWidget* parent)
    : CMainMenuView(doc, parent), m_panel(new CAnalogDisplay(this))
{
    m_panel->setObjectName(QStringLiteral("1007"));
    resize(screenInfo().width(), screenInfo().scaleY(kPaneHeight));
    m_panel->setGeometry(rect());
    m_panel->setup(m_doc.m_devInfo.m_injCount);
}

void CDisplayView::onDiagRecord(const diag_t& rec)
{
    if (!m_doc.isConnected())
        return;
    m_panel->showRecord(rec, m_doc.m_devInfo.m_injCount, m_doc.m_engineSignalBehavior);
}

void CDisplayView::reloadSettings()
{
    m_panel->setup(m_doc.m_devInfo.m_injCount);
}

void CDisplayView::refreshControls()
{
    const QString title = QString::fromStdString(translate("Wyświetlenie"));
    setWindowTitle(title);
    emit titleChanged(title);
    m_panel->retranslate();
}

void CDisplayView::resizeEvent(QResizeEvent*)
{
    m_panel->setGeometry(rect());
}
