#pragma once

#include <QString>

namespace fonedesk {

// One page of the settings sheet. Every change on a page reaches the set (or the profile) at the
// moment the control changes; nothing waits for a final apply.
class ISettingsPage {
  public:
    virtual ~ISettingsPage() = default;
    // The page's tab text.
    virtual QString Title() const = 0;
    // Reads the page's values from the set (or the profile) again.
    virtual void Refresh() = 0;
};

}  // namespace fonedesk
