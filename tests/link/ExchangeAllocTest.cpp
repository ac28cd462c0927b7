#include <cstdlib>
#include <cstring>
#include <new>

#include <gtest/gtest.h>

#include "link/CGasLink.h"
#include "link/Protocol.h"
#include "support/ScriptedPeer.h"

// Counts the allocations of the thread that armed the counter; the peer's
// thread allocates freely.
namespace {
thread_local bool t_counting = false;
thread_local int t_allocations = 0;

void* allocate(std::size_t size)
{
    if (t_counting)
        ++t_allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
} // namespace

void* operator new(std::size_t size)
{
    return allocate(size);
}
void* operator new[](std::size_t size)
{
    return allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

TEST(ExchangeAllocation, RequestAndReplyAllocateNothing)
{
    ScriptedPeer peer;
    int n = 0;
    peer.serve([&n](const Bytes& req) {
        // Every third command is refused: a failing exchange must not allocate either.
        const std::uint8_t status = (++n % 3 == 0) ? 0x01 : 0x10;
        if (req[4] == CMD_DIAG)
            return makeFrame(MSG_TYPE_DIAG, Bytes(76, 0x21));
        return makeFrame(MSG_TYPE_COMMAND, {CMD_DONE, 0, 0, 0x55, 0, status});
    });
    CGasLink link;
    link.serialPort().open(peer.slavePath());
    link.serialPort().configureLine();

    std::uint8_t buf[kExchangeBufferSize];
    std::uint8_t len = 0;
    std::uint8_t type = 0;
    auto request = [&](std::uint8_t code) {
        std::memset(buf, 0, sizeof buf);
        buf[0] = code;
        len = kCommandPayloadSize;
        type = MSG_TYPE_COMMAND;
    };
    request(CMD_TEST);
    ASSERT_TRUE(link.transact(buf, len, type)); // warm-up
    request(CMD_DIAG);
    ASSERT_EQ(link.transactDiag(buf, len, type), 0);

    int accepted = 0;
    int records = 0;
    t_allocations = 0;
    t_counting = true;
    for (int i = 0; i < 9; ++i) {
        request(CMD_TEST);
        accepted += link.transact(buf, len, type) ? 1 : 0;
        request(CMD_DIAG);
        records += link.transactDiag(buf, len, type) == 0 ? 1 : 0;
    }
    t_counting = false;

    EXPECT_EQ(t_allocations, 0);
    EXPECT_EQ(records, 9);
    EXPECT_EQ(accepted, 6);
}
