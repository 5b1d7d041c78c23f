#pragma once

// Resource identifiers of the settings sheet's pages; included by client/resources/resource.h.
namespace fonedesk {}  // namespace fonedesk
