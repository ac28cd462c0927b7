// The base of every view of the upper pane. The main frame creates a view
// afresh on every switch, calls onDiagRecord on each display tick with the
// newest live record, and the other two when the settings or the language
// change. A view keeps no state that must survive a switch.
// Thread safety: the user-interface thread only.
#pragma once

#include <QWidget>

#include "app/CCtrlColorManager.h"
#include "app/CScaledForm.h"
#include "data/DiagRecord.h"

class CAutrelDoc;

// Views lay out their controls at design rectangles through CScaledForm
// (`place`, `scaled`, `formFont`) and take the application's control colours.
class CMainMenuView : public QWidget, protected CCtrlColorManager, protected CScaledForm {
    Q_OBJECT
public:
    CMainMenuView(CAutrelDoc& doc, QWidget* parent = nullptr,
                  const CScreenInfo& screen = screenInfo())
        : QWidget(parent), CScaledForm(screen), m_doc(doc)
    {
        applyControlColors(this);
        setFont(formFont());
    }

    // The newest record of the live-data buffer, only while the link is up
    // and the buffer holds one.
    virtual void onDiagRecord(const diag_t&) {}
    // Take up the settings block of the document afresh.
    virtual void reloadSettings() {}
    // Re-apply the current language's texts and enable the controls.
    virtual void refreshControls() {}

protected:
    CAutrelDoc& m_doc;
};
