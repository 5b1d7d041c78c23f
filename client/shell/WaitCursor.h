#pragma once

#include <QApplication>

namespace fonedesk {

// The wait cursor for as long as it lives.
class CWaitCursor {
  public:
    CWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CWaitCursor() { QApplication::restoreOverrideCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

}  // namespace fonedesk
