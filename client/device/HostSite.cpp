#include "client/device/HostSite.h"

#include <QByteArrayView>
#include <QImage>
#include <QStringList>

#include "client/device/HostDialogs.h"

namespace fonedesk {

using namespace fonerix;

HRESULT CHostSite::ShowModal(const DialogContent& content) {
    if (m_service == nullptr) {
        return E_NOTIMPL;
    }
    if ((content.lineCount > 0 && content.lines == nullptr) ||
        (content.imagePngSize > 0 && content.imagePng == nullptr)) {
        return E_POINTER;
    }
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(content.lineCount));
    for (uint32_t i = 0; i < content.lineCount; ++i) {
        lines.append(content.lines[i] != nullptr ? QString::fromUtf16(content.lines[i])
                                                 : QString());
    }
    QImage image;
    if (content.imagePngSize > 0) {
        // A picture that does not decode leaves the dialog without one rather than unshown.
        image.loadFromData(
            QByteArrayView(content.imagePng, static_cast<qsizetype>(content.imagePngSize)), "PNG");
    }
    const QString title = content.title != nullptr ? QString::fromUtf16(content.title) : QString();
    // The service may run a nested event loop in which the wrapper releases the control, and
    // with it the control's reference to this site.
    const CComPtr<IHostDialogs> self(this);
    m_service->ShowModal(title, lines, image);
    return S_OK;
}

}  // namespace fonedesk
