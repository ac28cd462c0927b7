// GoogleTest base for tests that need a controller on a pseudo-terminal.
// Thread safety: as CEmuFixture.
#pragma once

#include <memory>

#include <gtest/gtest.h>

#include "EmuFixture.h"

class EmuTest : public ::testing::Test {
protected:
    void SetUp() override { m_emu = std::make_unique<CEmuFixture>(serverConfig()); }
    void TearDown() override { m_emu.reset(); }

    // Override to pace the line, trace frames, log records, ...
    virtual SEmuServerConfig serverConfig() const { return {}; }

    CEmuFixture& emu() { return *m_emu; }

private:
    std::unique_ptr<CEmuFixture> m_emu;
};
