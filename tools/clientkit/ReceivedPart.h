#pragma once
// What a consumer of the client library reads when a part arrives: the bytes and the content
// type waiting in the request's data object.

#include "common/ICamMultipartRequest.h"

#include <string>

struct ReceivedPart {
    std::string data;
    std::string contentType = "-"; // "-" when the data object holds none
};

// Called inside ICamRequestSink::OnDataAvailable, on the client's thread, while the part is
// still current. A null request, or one without a data object, gives an empty part.
ReceivedPart readReceivedPart(ICamMultipartRequest* request);
