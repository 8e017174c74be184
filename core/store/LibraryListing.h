#pragma once

#include <memory>
#include <vector>

#include "core/store/SkippedDocument.h"

namespace brevanor {

// What a listing of the library found: its entries (whole recordings or their
// summaries), newest first, and the document files it passed over, in the folder's order.
template <typename Entry>
struct LibraryListing {
    std::vector<std::shared_ptr<const Entry>> entries;
    std::vector<SkippedDocument> skipped;
};

}  // namespace brevanor
