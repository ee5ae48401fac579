#include "serial/core/PortControl.h"

#include "serial/core/LinkTimings.h"

namespace varnu {

CommTimeouts portTimeouts() {
    return {kReadIntervalMs, kReadTotalPerByteMs, kReadTotalConstantMs, kWriteTotalPerByteMs, kWriteTotalMs};
}

LineState withPortSettings(LineState state, const PortSettings& settings) {
    state.baudRate = settings.baudRate;
    state.dataBits = settings.dataBits;
    state.parity = settings.parity;
    state.stopBits = settings.stopBits;
    state.xonChar = kXonChar;
    state.xoffChar = kXoffChar;
    state.xonLimit = kXonLimit;
    state.xoffLimit = kXoffLimit;
    // DTR is the input flow-control line; RTS is simply held on.
    state.dtrControl = DtrControl::Handshake;
    state.rtsControl = RtsControl::Enable;
    state.binary = true;
    state.parityCheck = true;
    return state;
}

bool OpenPort(SerialDevice& device, const PortSettings& settings) {
    if (!device.open(settings.portName)) {
        return false;
    }
    // The queue sizes and time-outs are requests the driver may round; only the line state
    // decides whether the port is usable.
    device.setQueueSizes(kInputQueueBytes, kOutputQueueBytes);
    device.setTimeouts(portTimeouts());

    const std::optional<LineState> current = device.lineState();
    if (!current || !device.setLineState(withPortSettings(*current, settings))) {
        device.close();
        return false;
    }
    device.setDtr(true);
    device.purge();
    return true;
}

void ClosePort(SerialDevice& device) {
    if (!device.isOpen()) {
        return;
    }
    device.setDtr(false);
    device.close();
}

} // namespace varnu
