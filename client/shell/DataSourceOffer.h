#pragma once

#include <QString>

class QWidget;

namespace fonedesk {

// A first start, when no data source FNDB exists at all: asks whether to create the user's own
// SQLite one and creates it as fndb-setup does. (A data source that exists but does not open, a
// shared server that is down or a moved file, is never offered for replacement.) True when FNDB
// was created; false when the user declined, or creation failed (failure then holds why).
bool OfferDataSourceCreation(QWidget* parent, QString* failure);

}  // namespace fonedesk
