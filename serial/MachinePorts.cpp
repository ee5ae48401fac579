#include "serial/MachinePorts.h"

#include "serial/PortFacts.h"
#include "serial/core/PortPath.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>
#include <map>

namespace varnu {

namespace {

const QString kByIdFolder = QStringLiteral("/dev/serial/by-id");

// Each device's by-id link, by the device's own path.
std::map<std::string, std::string> byIdLinks() {
    std::map<std::string, std::string> links;
    const QDir folder(kByIdFolder);
    for (const QFileInfo& link : folder.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const QString device = link.canonicalFilePath();
        if (!device.isEmpty())
            links.emplace(device.toStdString(), link.absoluteFilePath().toStdString());
    }
    return links;
}

// The name to give for a port: its device path on Unix ("/dev/ttyUSB0"), its name on Windows
// ("COM3"; the system location "\\.\COM3" is QSerialPort's own business there).
std::string portPathOf(const QSerialPortInfo& info) {
    return (kThisSystemNaming == PortNaming::Windows ? info.portName() : info.systemLocation()).toStdString();
}

} // namespace

std::vector<SerialPortEntry> listSerialPorts() {
    std::map<std::string, std::string> links = byIdLinks();
    std::vector<SerialPortEntry> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SerialPortEntry port;
        port.path = portPathOf(info);
        const QString device = QFileInfo(info.systemLocation()).canonicalFilePath();
        if (const auto link = links.find(device.toStdString()); link != links.end()) {
            port.byId = link->second;
            links.erase(link);
        }
        port.description = info.description().toStdString();
        port.manufacturer = info.manufacturer().toStdString();
        port.serialNumber = info.serialNumber().toStdString();
        if (info.hasVendorIdentifier())
            port.vendorId = info.vendorIdentifier();
        if (info.hasProductIdentifier())
            port.productId = info.productIdentifier();
        ports.push_back(std::move(port));
    }
    // A device udev named that Qt does not list is a port all the same.
    for (const auto& [device, link] : links)
        ports.push_back(SerialPortEntry{device, link, "", "", "", std::nullopt, std::nullopt});
    std::sort(ports.begin(), ports.end(), [](const auto& a, const auto& b) { return a.path < b.path; });
    return ports;
}

void addPortFacts(PortFailure& failure) {
    addSystemFacts(failure);
    const bool listPorts = failure.problem == PortProblem::NoSuchDevice ||
                           failure.problem == PortProblem::NoDeviceBehind || failure.problem == PortProblem::NotSerial;
    if (!listPorts && !failure.facts.usbModemClass)
        return;
    std::vector<SerialPortEntry> ports = listSerialPorts();
    const std::string& path = failure.devicePath.empty() ? failure.portName : failure.devicePath;
    const auto self = std::find_if(ports.begin(), ports.end(), [&](const auto& port) { return port.path == path; });
    if (self != ports.end()) {
        failure.facts.vendorId = self->vendorId;
        failure.facts.productId = self->productId;
    }
    if (listPorts)
        failure.facts.ports = std::move(ports);
}

} // namespace varnu
