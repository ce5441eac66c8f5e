#pragma once
// As CamTarget210, for firmware without the 704-wide field resolutions.

#include "client/CamTarget21x.h"

namespace lumin {

class CamTarget211 final : public CamTarget21x<CamTarget211, FieldResolutions::Omitted> {};

} // namespace lumin
