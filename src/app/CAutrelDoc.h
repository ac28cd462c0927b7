// The application's one document: the controller object itself, plus what
// the views share for the whole run (the hidden-features flag, the name of
// a recording).
// Thread safety: the user-interface thread, except what CGasDevice says.
#pragma once

#include <string>

#include "link/CGasDevice.h"

class CAutrelDoc : public CGasDevice {
public:
    explicit CAutrelDoc(IGasShell& shell) : CGasDevice(shell) {}

    // Set once the service password was given; stays set for the run.
    bool hiddenFeatures() const { return m_hiddenFeatures; }
    void unlockHiddenFeatures() { m_hiddenFeatures = true; }

    // Where the live-data reader records, empty for no recording.
    std::string m_recording;

private:
    bool m_hiddenFeatures = false;
};
