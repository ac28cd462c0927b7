#include "link/ReplyCheck.h"

EReplyCheck checkReply(std::span<const std::uint8_t, kFrameHeaderSize> header,
                       std::span<std::uint8_t> body, bool judgeStatus, std::uint8_t& len,
                       std::uint8_t& type) noexcept
{
    if (header[0] != FRAME_HEAD_1 || header[1] != FRAME_HEAD_2)
        return EReplyCheck::BadHeader;

    const std::uint8_t replyLen = header[2];
    const std::uint8_t replyType = header[3];
    if (body.size() < std::size_t{replyLen} + kFrameChecksumSize)
        return EReplyCheck::Truncated;

    const std::uint16_t received =
        static_cast<std::uint16_t>((body[replyLen] << 8) | body[replyLen + 1]);
    const std::uint16_t expected =
        static_cast<std::uint16_t>(replyLen + replyType + frameSum(body.data(), replyLen));
    if (received != expected)
        return EReplyCheck::BadChecksum;

    len = replyLen;
    type = replyType;
    fromWire(body.data(), replyType, replyLen);

    // A controller that merely holds fault codes still carried the command
    // out. A reply too short to carry the word refuses nothing.
    if (judgeStatus && replyType == MSG_TYPE_COMMAND &&
        replyLen >= kCommandStatusOffset + sizeof(std::uint16_t) &&
        (payloadWord(body.data() + kCommandStatusOffset) & ~STATUS_HAS_ERRORS) != 0)
        return EReplyCheck::Refused;
    return EReplyCheck::Ok;
}
