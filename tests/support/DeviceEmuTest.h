// GoogleTest base for the controller object against the virtual controller:
// the emulator is port 1 of the port list, no real port is touched, texts
// are Polish, and the shell is a recording fake.
#pragma once

#include "EmuGTest.h"
#include "lang/Translation.h"
#include "link/CPortList.h"
#include "support/FakeShell.h"

class DeviceEmuTest : public EmuTest {
protected:
    void SetUp() override
    {
        EmuTest::SetUp();
        setCurrentLanguage(LANG_PL);
        CPortList::setSystemScan(false);
        CPortList::setUserPaths({emu().path()});
    }
    void TearDown() override
    {
        CPortList::setUserPaths({});
        EmuTest::TearDown();
    }

    CFakeShell shell;
};
