#include <memory>

#include <gtest/gtest.h>

#include "errors/CThreadError.h"

TEST(Error, ThreadErrorDescribesItsCodeWithoutTerminator)
{
    CThreadError e(6, "CThread::create()", 149, "msglib/threadlib");
    EXPECT_EQ(e.description(), "Nie można utworzyć wątku.");
}
