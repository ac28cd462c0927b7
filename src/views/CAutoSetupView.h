// The autocalibration view ("Autokalibracja"): the display panel with live
// values, Start and Stop of the procedure with its progress, the main and
// second corrections with their spin steps, and the cylinders' assignment to
// the two corrections. It reads and writes the document's settings block
// directly and keeps no copy of it.
// The procedure runs on the user-interface thread and keeps the window alive
// by dispatching events between its short sleeps; switching to another view
// or closing the window meanwhile stops it at its next wait.
// Thread safety: the user-interface thread only.
#pragma once

#include <array>
#include <functional>
#include <string>

#include <QString>

#include "app/CMainMenuView.h"
#include "calib/CAutoSetup.h"
#include "views/CAutoSetupTexts.h"

class CAutoSetupDisplay;
class CColorButton;
class CProgressBar;
class CSpinButton;
class QLabel;
class QLineEdit;
class QPushButton;

enum class EAutoSetupBox { Information, Warning, Plain };

class CAutoSetupView : public CMainMenuView, public IAutoSetupUi {
    Q_OBJECT
public:
    static constexpr int CYLINDERS = 8;

    // Sized as the upper pane on this screen, the panel set up for the
    // document's injector count. Connect titleChanged, then call refreshControls.
    explicit CAutoSetupView(CAutrelDoc& doc, QWidget* parent = nullptr);
    ~CAutoSetupView() override;

    void onDiagRecord(const diag_t& rec) override;
    void reloadSettings() override;
    void refreshControls() override;

    // Start: the procedure begins as soon as the event loop is reached.
    void start();
    void stop();
    bool isRunning() const { return m_running; }
    // Cylinder i (0 to 7) to the other correction, written at once.
    void toggleCylinder(int i);
    // A step of spin 1200 (correction 0) or 1201 (correction 1).
    void stepCorrection(int correction, int delta);

    CAutoSetupDisplay& panel() { return *m_panel; }
    CProgressBar& progressBar() { return *m_progress; }
    // How the procedure last ended, and how many times it did.
    EAutoSetupEnd lastEnd() const { return m_lastEnd; }
    int runsEnded() const { return m_runsEnded; }

    // Tests shorten the procedure's waits and take the place of a person
    // at its boxes and its installation-data dialog; error boxes go to the
    // shell like every view's.
    SAutoSetupTiming m_timing;
    std::function<void(EAutoSetupBox, const std::string&)> onMessageBox;
    std::function<bool(SDevInfo&)> onMountData;

    // What the procedure shows and asks.
    void warningBox(const std::string& text) override;
    void errorBox(const std::string& text) override;
    void plainBox(const std::string& text) override;
    bool confirm(const std::string& text) override;
    bool askMountData(SDevInfo& info) override;
    std::string storedInstallerName() override;
    void storeInstallerName(const std::string& name) override;
    void showProgress(int percent) override;
    void showCorrections() override;
    void pumpEvents() override;
    void sleep(std::uint32_t ms) override;
    bool running() override;
    void finished() override;

signals:
    void titleChanged(const QString& title);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void doWork();
    void messageBox(EAutoSetupBox kind, const std::string& text);
    // Corrections from both fields, on the grid, written to the controller.
    void applyCorrections();
    // A settings write under the wait cursor, its failure in a box.
    void writeSettings();
    double shownCorrection(int correction) const;
    void showCorrection(int correction, double ms);
    void showCylinderColours();
    void layOut();

    CAutoSetupTexts m_texts;
    bool m_running = false;
    EAutoSetupEnd m_lastEnd = EAutoSetupEnd::Stopped;
    int m_runsEnded = 0;
    CAutoSetupDisplay* m_panel;
    CProgressBar* m_progress;
    QPushButton* m_start;
    QPushButton* m_stop;
    std::array<QLabel*, 2> m_labels{};
    std::array<QLineEdit*, 2> m_edits{};
    std::array<CSpinButton*, 2> m_spins{};
    // [0] the first row (first correction), [1] the second.
    std::array<std::array<CColorButton*, CYLINDERS>, 2> m_cylinders{};
};
