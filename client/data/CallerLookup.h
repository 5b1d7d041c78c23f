#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "client/data/ReferenceFiles.h"

namespace fonedesk {

class CDatabase;

// Who is calling, as far as the program knows (UTF-8; empty when unknown).
struct CallerInfo {
    std::string subscriber;
    std::string comment;
    bool found = false;  // in phone_book or in a reference file
};

// The caller of `number`: phone_book first; failing that, the first of `references` (in order)
// whose lines list the number, its second and third fields. A database error is passed over
// silently (the reference files are still asked): an incoming call is shown whatever the
// database does.
CallerInfo LookupCaller(CDatabase& db, std::string_view number,
                        std::vector<CReferenceFile>& references, char delimiter);

}  // namespace fonedesk
