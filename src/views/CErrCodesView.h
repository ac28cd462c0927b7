// The error codes view ("Kody błędów"): the faults the controller reports,
// one text line each, read by a button and every 40 display ticks, and the
// clearing of them, which resets the controller.
// Thread safety: the user-interface thread only.
#pragma once

#include <QString>

#include "app/CMainMenuView.h"
#include "app/CMultiLangWnd.h"

class QPlainTextEdit;
class QPushButton;

class CErrCodesTexts : public CMultiLangWnd {
public:
    void init() override { addTable("CErrCodesTexts"); }
};

class CErrCodesView : public CMainMenuView, private CErrCodesTexts {
    Q_OBJECT
public:
    static constexpr int READ_TICKS = 40;

    // Connect titleChanged, then call refreshControls.
    explicit CErrCodesView(CAutrelDoc& doc, QWidget* parent = nullptr);

    void onDiagRecord(const diag_t&) override { updateLiveValues(); }
    void refreshControls() override { fillControls(); }

    // Title and texts; the buttons work only while the link is up.
    void fillControls();
    // One display tick: every READ_TICKS ticks the faults are read again,
    // quietly, while the link is up.
    void updateLiveValues();
    // The handlers of the two buttons.
    void readErrorCodes();
    void clearErrorCodes();

    QString errorText() const;

    // Shared by every instance and kept between openings.
    static int readCountdown() { return s_countdown; }
    static void setReadCountdown(int ticks) { s_countdown = ticks; }

signals:
    void titleChanged(const QString& title);

private:
    // False when the controller did not answer; `report` shows that.
    bool readAndShow(bool report);
    void enableButtons();
    void showPlaceholder();

    QPlainTextEdit* m_text;
    QPushButton* m_read;
    QPushButton* m_clear;
    // A command is waiting for the controller: the periodic reading must
    // not run inside it.
    bool m_busy = false;
    // Polish hint shown in the empty field, or none.
    const char* m_placeholder = nullptr;

    static int s_countdown;
};
