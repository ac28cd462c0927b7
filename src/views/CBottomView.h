// The status bar under every view: the main live values, the fuel in use,
// the link and fault indicators, and the petrol / automatic / LPG buttons.
// It keeps no copy of the live data; each refresh reads the newest record.
// Thread safety: the user-interface thread only.
#pragma once

#include <QWidget>

#include "app/CCtrlColorManager.h"
#include "app/CScaledForm.h"
#include "views/CLPGBarTexts.h"

class CAutrelDoc;
class CColorStatic;
class CGasDevice;
class QPushButton;
struct SFieldLook;
struct SStatusBarValues;

constexpr int BOTTOM_VIEW_HEIGHT = 100; // design pixels, scaled like every height

class CBottomView : public QWidget, private CCtrlColorManager, private CScaledForm {
    Q_OBJECT
public:
    explicit CBottomView(CAutrelDoc& doc, QWidget* parent = nullptr,
                         const CScreenInfo& screen = screenInfo());

    // Each display tick: the six values and the fuel in use from the newest
    // record; nothing changes while the link is down or no record came yet.
    void updateLiveValues();
    // While a recording plays its records are shown as live ones, with or
    // without a link.
    void setPlayback(bool on) { m_playback = on; }
    void setConnectionState(bool connected);
    void setErrorIndicator(bool errors);
    // Every 20th display tick: reads the controller's fault record while the
    // link is up; a failed read leaves the indicator as it was.
    void refreshErrorIndicator();
    // The current language's texts and the initial values; at start and after
    // every change of language.
    void resetValues();
    void showPetrolMode();
    void showLpgMode();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CColorStatic* addField(int id, const QRect& design);
    CColorStatic* addValue(int labelId, const char* label, int valueId, int unitId,
                           const char* unit, int column);
    QPushButton* addButton(int id, const char* text, int row);
    void showLook(CColorStatic* field, const SFieldLook& look);
    void showValues(const SStatusBarValues& values);
    void applyTexts();
    // Runs a mode command under the wait cursor; true when it was acknowledged.
    bool runModeCommand(bool (CGasDevice::*command)(), const char* failure);

    CAutrelDoc& m_doc;
    CLPGBarTexts m_texts;
    bool m_errorsShown = false;
    bool m_playback = false;
    CColorStatic* m_link = nullptr;
    CColorStatic* m_fuel = nullptr;
    CColorStatic* m_errors = nullptr;
    CColorStatic* m_petrolTime = nullptr;
    CColorStatic* m_lpgTime = nullptr;
    CColorStatic* m_rpm = nullptr;
    CColorStatic* m_reducerTemp = nullptr;
    CColorStatic* m_gasPressure = nullptr;
    CColorStatic* m_lambda = nullptr;
    QPushButton* m_buttons[3] = {};
};
