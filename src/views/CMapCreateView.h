// The map creation view ("Autokalibracja w czasie jazdy"): while the fitter
// drives, part of the way on petrol and part on LPG, it records the petrol
// time the engine computer commands by manifold vacuum and fuel, draws the
// samples as an injection map, and turns them into corrections added to the
// controller's correction table. The samples stay until the next drive, so
// the corrections can be computed again from the same drive.
// Thread safety: the user-interface thread only.
#pragma once

#include <cstdint>

#include <QString>

#include "app/CMainMenuView.h"
#include "calib/CMapRecorder.h"
#include "calib/MapCorrection.h"
#include "views/CMapCreateTexts.h"

class CMapChart;
class QLabel;
class QPushButton;

class CMapCreateView : public CMainMenuView {
    Q_OBJECT
public:
    // Sized as the upper pane on this screen. Connect titleChanged and
    // commandRequested, then call refreshControls.
    explicit CMapCreateView(CAutrelDoc& doc, QWidget* parent = nullptr);

    void onDiagRecord(const diag_t& rec) override;
    // Titles the document, ends a drive, takes up the language, enables the
    // buttons by the link and repaints the map.
    void refreshControls() override;

    // Jazda: empties the map and starts a drive when the vacuum sensor reads.
    void startDrive();
    // Stop: ends the drive; its samples stay.
    void stopDrive();
    // Policz korekty: the corrections from the drive's samples, added to the
    // table and written (after a backup of what the controller held).
    void computeCorrections();

    bool recording() const { return m_map.recording(); }
    const CMapRecorder& recorder() const { return m_map; }
    CMapChart& chart() { return *m_chart; }
    // What the last Policz korekty computed.
    const SMapCorrection& lastCorrection() const { return m_last; }

signals:
    void titleChanged(const QString& title);
    // The frame shows the view of this command, once this view's handler
    // has returned (the switch deletes this view).
    void commandRequested(int command);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showVacuum();
    void enableButtons();
    void layOut();

    CMapCreateTexts m_texts;
    CMapRecorder m_map;
    SMapCorrection m_last;
    // The live history's count of records already taken into the bins.
    std::uint64_t m_seen = 0;
    CMapChart* m_chart;
    QLabel* m_vacuumLabel;
    QLabel* m_vacuum;
    QPushButton* m_drive;
    QPushButton* m_stop;
    QPushButton* m_compute;
};
