// The gauges view ("Wyświetlenie"): one gauge panel over the whole view, fed
// from the live record on every display tick.
// Thread safety: the user-interface thread only.
#pragma once

#include <QString>

#include "app/CMainMenuView.h"

class CAnalogDisplay;

class CDisplayView : public CMainMenuView {
    Q_OBJECT
public:
    // Sized as the upper pane on this screen, with the panel set up for the
    // document's injector count and the dials at 0. Connect titleChanged,
    // then call refreshControls.
    explicit CDisplayView(CAutrelDoc& doc, QWidget* parent = nullptr);

    // Nothing while the link is down.
    void onDiagRecord(const diag_t& rec) override;
    // The injector count may have changed: the bars are laid out afresh.
    void reloadSettings() override;
    // Takes up the current language, titles the document and repaints.
    void refreshControls() override;

    CAnalogDisplay& panel() { return *m_panel; }

signals:
    void titleChanged(const QString& title);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    CAnalogDisplay* m_panel;
};
