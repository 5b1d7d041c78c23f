#pragma once

#include "platform/automation/HostServices.h"

namespace fonedesk {

class IHostDialogService;

// The site the wrapper gives the control: its IHostDialogs draws the control's modal dialogs
// through the client's dialog service.
class CHostSite final : public fonerix::CObjectRoot<fonerix::IHostDialogs> {
  public:
    // `service` may be null: the host then has no user interface for the control (E_NOTIMPL).
    explicit CHostSite(IHostDialogService* service) : m_service(service) {}

    // The wrapper lets go of the service; a control that still holds the site gets E_NOTIMPL.
    void Detach() { m_service = nullptr; }

    fonerix::HRESULT ShowModal(const fonerix::DialogContent& content) override;

  private:
    IHostDialogService* m_service;
};

}  // namespace fonedesk
