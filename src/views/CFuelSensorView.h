// The fuel-level sensor view ("Czujnik poziomu LPG"): the sensor type and
// its four thresholds, written to the controller on request, and a live
// copy of the switch's four level lamps with the sensor's raw reading.
// Thread safety: the user-interface thread only.
#pragma once

#include <array>

#include <QString>

#include "app/CMainMenuView.h"
#include "data/FuelSensorCheck.h"
#include "views/CFuelSensorTexts.h"

class CConsole;
class QComboBox;
class QLineEdit;
class QPushButton;

class CFuelSensorView : public CMainMenuView {
    Q_OBJECT
public:
    // Connect titleChanged, then call reloadSettings and refreshControls.
    explicit CFuelSensorView(CAutrelDoc& doc, QWidget* parent = nullptr);

    // Every third call refreshes the reading and the lamps from the record.
    void onDiagRecord(const diag_t& rec) override;
    // Reads the thresholds from the controller while the link is up and
    // selects the sensor type they belong to.
    void reloadSettings() override;
    // Title, texts, the write button by the link, the type list refilled in
    // the current language with its selection kept.
    void refreshControls() override;

    // The thresholds the lamps are drawn with: those last taken from the form.
    const SFuelThresholds& thresholds() const { return m_thresholds; }

signals:
    void titleChanged(const QString& title);

private:
    void fillTypes();
    void typeChosen(int index);
    void writeThresholds();
    // False when a field does not hold a whole number from 0 to 255.
    bool takeForm(SFuelThresholds& t) const;
    void showThresholds();
    void showReading();
    void showError(const std::string& message);

    CFuelSensorTexts m_texts;
    std::array<QLineEdit*, 4> m_edits{};
    QLineEdit* m_reading = nullptr;
    QComboBox* m_types = nullptr;
    QPushButton* m_write = nullptr;
    CConsole* m_lamps = nullptr;
    SFuelThresholds m_thresholds{};
    int m_currentReading = 0;
    // A command's retries dispatch window events; a second one must wait.
    bool m_busy = false;
};
