// The tool tips of the Transmit List and the Receive List: the decode of the frame on the line
// under the mouse, named by the catalogue (protocol/FrameDecode.h).

#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextBlock>

#include "protocol/FrameDecode.h"
#include "protocol/FrameText.h"
#include "resources/ResourceIds.h"
#include "shell/CVarnuDlg.h"
#include "shell/ExtentListWidget.h"

namespace varnu {

QString CVarnuDlg::frameTipAt(const QWidget* viewport, const QPoint& position) const {
    std::optional<std::vector<std::uint8_t>> frame;
    FrameOrigin origin = FrameOrigin::Sent;
    if (viewport == transmitListView()->viewport()) {
        if (const QListWidgetItem* item = transmitListView()->itemAt(position))
            frame = BuildFrame(transmitList.text(transmitListView()->row(item)));
    } else if (const auto* receive = static_cast<const QPlainTextEdit*>(control(ids::kReceiveList));
               viewport == receive->viewport()) {
        const QTextCursor cursor = receive->cursorForPosition(position);
        const QRect line = receive->cursorRect(cursor); // the nearest line may be far from the mouse
        if (position.y() >= line.top() && position.y() <= line.bottom()) {
            frame = frameInReceiveLine(cursor.block().text().toStdString());
            origin = FrameOrigin::Received;
        }
    }
    if (!frame || frame->empty())
        return {};
    return display(describeFrame(*frame, catalogue_, origin));
}

} // namespace varnu
