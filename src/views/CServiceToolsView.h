// The service tools view ("Narzędzia serwisowe"): switching single LPG
// injectors off and on while the engine runs on LPG. Eight coloured fields
// show the controller's injector mask, one bit each; the button under a
// field flips that injector and sends the new mask at once.
// Thread safety: the user-interface thread only.
#pragma once

#include <array>
#include <cstdint>

#include <QString>

#include "app/CMainMenuView.h"
#include "views/CServiceToolsTexts.h"

class CColorStatic;
class QPushButton;

class CServiceToolsView : public CMainMenuView {
    Q_OBJECT
public:
    static constexpr int INJECTORS = 8;

    // Connect titleChanged, then call refreshControls.
    explicit CServiceToolsView(CAutrelDoc& doc, QWidget* parent = nullptr);

    // Every 20th call rereads the mask, so a change the controller made
    // itself (leaving LPG, say) shows within seconds.
    void onDiagRecord(const diag_t& rec) override;
    // Title, texts, enabling by link and injector count, and the mask read
    // afresh while the link is up.
    void refreshControls() override;

    // Shows the bits the controller's injectors have; a mask already shown
    // changes nothing and repaints nothing.
    void showMask(std::uint8_t mask);
    // The mask the fields show.
    std::uint8_t currentMask() const;

    // The button of injector n (1 to 8): only while the engine runs on LPG.
    void toggleInjector(int n);

signals:
    void titleChanged(const QString& title);

private:
    void enableControls();
    // A failed read changes nothing and shows nothing.
    void readMask(bool waitCursor);
    // True when the controller took the mask.
    bool sendMask();
    void showBit(int injector, bool on);

    CServiceToolsTexts m_texts;
    std::array<CColorStatic*, INJECTORS> m_fields{};
    std::array<QPushButton*, INJECTORS> m_buttons{};
    // A command's pauses dispatch window events; a second one must wait.
    bool m_busy = false;
};

// The field colours: green for a set bit, grey for a clear one.
QColor injectorFieldColor(bool bitSet);
