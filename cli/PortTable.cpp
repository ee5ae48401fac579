#include "cli/PortTable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <array>

namespace varnu::cli {

namespace {

constexpr std::string_view kNoPorts = "No serial ports found on this machine.\n";
constexpr std::string_view kColumnGap = "  ";
constexpr std::string_view kNothing = "-";

constexpr std::array kHeadings{"PATH", "BY-ID", "DESCRIPTION", "MANUFACTURER", "SERIAL", "USB ID", "ACCESS"};
using Row = std::array<std::string, kHeadings.size()>;

std::string orNothing(const std::string& text) {
    return text.empty() ? std::string(kNothing) : text;
}

Row rowOf(const ListedPort& listed) {
    const SerialPortEntry& port = listed.port;
    const std::string usbId =
        port.vendorId && port.productId ? usbIdText(*port.vendorId, *port.productId) : std::string(kNothing);
    return {port.path,
            orNothing(port.byId),
            orNothing(port.description),
            orNothing(port.manufacturer),
            orNothing(port.serialNumber),
            usbId,
            portAccessText(listed.access)};
}

QJsonValue textOrNull(const std::string& text) {
    return text.empty() ? QJsonValue(QJsonValue::Null) : QJsonValue(QString::fromStdString(text));
}

QJsonValue idOrNull(const std::optional<unsigned>& id) {
    return id ? QJsonValue(QString::fromStdString(usbIdDigits(*id))) : QJsonValue(QJsonValue::Null);
}

} // namespace

std::string portTableText(const std::vector<ListedPort>& ports) {
    if (ports.empty())
        return std::string(kNoPorts);
    std::vector<Row> rows;
    rows.push_back({});
    std::copy(kHeadings.begin(), kHeadings.end(), rows.front().begin());
    for (const ListedPort& port : ports)
        rows.push_back(rowOf(port));
    std::array<std::size_t, kHeadings.size()> widths{};
    for (const Row& row : rows) {
        for (std::size_t column = 0; column < row.size(); ++column)
            widths[column] = std::max(widths[column], row[column].size());
    }
    std::string text;
    for (const Row& row : rows) {
        std::string line;
        for (std::size_t column = 0; column < row.size(); ++column) {
            line += row[column];
            if (column + 1 < row.size())
                line += std::string(widths[column] - row[column].size(), ' ') + std::string(kColumnGap);
        }
        text += line + "\n";
    }
    return text;
}

std::string portJsonText(const std::vector<ListedPort>& ports) {
    QJsonArray array;
    for (const ListedPort& listed : ports) {
        const SerialPortEntry& port = listed.port;
        QJsonObject object;
        object.insert(QStringLiteral("path"), QString::fromStdString(port.path));
        object.insert(QStringLiteral("byId"), textOrNull(port.byId));
        object.insert(QStringLiteral("description"), QString::fromStdString(port.description));
        object.insert(QStringLiteral("manufacturer"), QString::fromStdString(port.manufacturer));
        object.insert(QStringLiteral("serialNumber"), QString::fromStdString(port.serialNumber));
        object.insert(QStringLiteral("vendorId"), idOrNull(port.vendorId));
        object.insert(QStringLiteral("productId"), idOrNull(port.productId));
        object.insert(QStringLiteral("access"), QString::fromStdString(portAccessText(listed.access)));
        array.append(object);
    }
    return QJsonDocument(array).toJson(QJsonDocument::Indented).toStdString();
}

} // namespace varnu::cli
