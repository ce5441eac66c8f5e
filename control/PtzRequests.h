#pragma once
// The two PTZ requests the control builds from its image_pan_tilt prefix: a click centres the
// camera on the clicked point, a wheel turn zooms by one step.

#include <string>
#include <string_view>

namespace pictra {

// prefix + "x,y": the prefix is expected to end in a key such as "&center=". The coordinates
// are client-area pixels, not scaled to the image. Empty for an empty prefix.
std::string centerRequest(std::string_view prefix, unsigned x, unsigned y);

// The prefix before "&center=" (the whole prefix without one) + "&rzoom=" + "1000", or "-1000"
// when the wheel turned towards the user (a negative delta, whatever its size). Empty for an
// empty prefix.
std::string zoomRequest(std::string_view prefix, int wheelDelta);

} // namespace pictra
