// The device information view ("Informacje o sterowniku"): the controller's
// identity, its work times and the installation data in one read-only text,
// refreshed from the controller when opened and every 50 display ticks, with
// the clearing of the installation data (behind the service password) and
// their change through the installation-data dialog.
// Thread safety: the user-interface thread only.
#pragma once

#include <QString>

#include "app/CMainMenuView.h"
#include "app/CMultiLangWnd.h"

class CUserConfig;
class QPlainTextEdit;
class QPushButton;

class CDevInfoTexts : public CMultiLangWnd {
public:
    void init() override { addTable("CDevInfoTexts"); }
};

class CDevInfoView : public CMainMenuView, private CDevInfoTexts {
    Q_OBJECT
public:
    static constexpr int RELOAD_TICKS = 50;

    // config: where the workshop name of this computer is remembered.
    // Connect titleChanged, then call reloadSettings and refreshControls.
    CDevInfoView(CAutrelDoc& doc, CUserConfig& config, QWidget* parent = nullptr);

    void onDiagRecord(const diag_t&) override { updateLiveValues(); }
    // The view was opened: the work times and installation data afresh.
    void reloadSettings() override { loadDeviceInfo(); }
    void refreshControls() override { fillControls(); }

    // Title, texts, and the text from the settings block as it stands.
    void fillControls();
    // Reads the work times and installation data while the link is up, then
    // rebuilds the text; a failed read is reported.
    void loadDeviceInfo();
    // One display tick: every RELOAD_TICKS ticks, a quiet loadDeviceInfo.
    void updateLiveValues();
    void buildInfoText();
    // The handlers of the two buttons; nothing while the link is down.
    void clearInstallationData();
    void changeInstallationData();

    QString infoText() const;

    // Shared by every instance and kept between openings.
    static int reloadCountdown() { return s_countdown; }
    static void setReloadCountdown(int ticks) { s_countdown = ticks; }

signals:
    void titleChanged(const QString& title);

private:
    void enableButtons();

    CUserConfig& m_config;
    QPlainTextEdit* m_text;
    QPushButton* m_clear;
    QPushButton* m_change;
    // A command is waiting for the controller or the fitter: the periodic
    // reading must not run inside it.
    bool m_busy = false;

    static int s_countdown;
};
