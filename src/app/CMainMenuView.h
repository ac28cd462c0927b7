// The base of every view of the upper pane. The main frame creates a view
// afresh on every switch, calls onDiagRecord on each display tick with the
// newest live record, and the other two when the settings or the language
// change. A view keeps no state that must survive a switch.
// Thread safety: the user-interface thread only.
#pragma once

#include <QWidget>

#include "data/DiagRecord.h"

class CAutrelDoc;

class CMainMenuView : public QWidget {
    Q_OBJECT
public:
    CMainMenuView(CAutrelDoc& doc, QWidget* parent = nullptr) : QWidget(parent), m_doc(doc) {}

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
