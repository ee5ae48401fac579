#pragma once
// The fixed numbers of the serial link: driver queues, device time-outs, the attempt rules of
// the timed transfers and the receive buffer. The projector firmware was tuned against them.

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace varnu {

using std::chrono::milliseconds;

// Driver queues asked for when the port opens.
inline constexpr std::size_t kInputQueueBytes = 4096;
inline constexpr std::size_t kOutputQueueBytes = 4096;

// Device time-outs set when the port opens. A read ends when every requested byte came, when
// the line stays quiet for the interval after a byte, or when constant + per byte x requested
// have passed; a write gives up after its constant.
inline constexpr milliseconds kReadIntervalMs{100};
inline constexpr milliseconds kReadTotalPerByteMs{100};
inline constexpr milliseconds kReadTotalConstantMs{100};
inline constexpr milliseconds kWriteTotalPerByteMs{0};
inline constexpr milliseconds kWriteTotalMs{5000};

// The longest a transfer attempt is waited for, whatever the device time-outs say.
inline constexpr milliseconds kWaitAttemptMs{1000};
// The pause after a write attempt that did not finish in time.
inline constexpr milliseconds kWriteRetryPauseMs{1000};

inline constexpr int kMaxWriteAttempts = 2;
// A read ends after this many attempts in a row that brought nothing.
inline constexpr int kMaxEmptyReadAttempts = 2;

// A frame without data bytes: ESC, length, attribute, class, function, checksum. The first
// request of a frame read asks for this many bytes.
inline constexpr int kFrameHeadBytes = 6;
// The longest frame taken: its hex text must fit the 100-byte line buffers of the receive
// report (two digits a byte and the terminator).
inline constexpr int kMaxReceivedFrameBytes = 49;
// A frame read gives up after dropping this much junk (one input queue), so a line that
// never stops babbling cannot hold a transmit run for ever.
inline constexpr std::size_t kMaxDroppedJunkBytes = kInputQueueBytes;
// A frame refused for its length is read to its end before the caller purges and answers
// NAK, or until the line is quiet for the read interval; never longer than this. The longest
// frame a length byte can announce, 255 bytes, lasts 1.06 s at 2400 bit/s, the slowest speed
// the settings offer.
inline constexpr milliseconds kMaxRefusedFrameDrainMs{1200};

// Network ports (a projector behind a device server). Connecting gives up after this long: a
// host that does not answer is a port that cannot be opened, like a missing device.
inline constexpr milliseconds kConnectTimeoutMs{3000};
// How long a Telnet COM-PORT-OPTION request waits for the server's answer. A server that stays
// silent (ser2net ignores SET-CONTROL on a pseudo-terminal) has refused the setting, as a
// driver refuses DTR on a pseudo-terminal; the port stays open. Loopback and LAN servers
// answer within a few milliseconds.
inline constexpr milliseconds kComPortReplyMs{300};

// Software flow-control characters and limits written into the line settings.
inline constexpr std::uint8_t kXonChar = 0x11;
inline constexpr std::uint8_t kXoffChar = 0x13;
inline constexpr std::uint16_t kXonLimit = 100;
inline constexpr std::uint16_t kXoffLimit = 100;

} // namespace varnu
