#pragma once
// The default target: the /orvel-cgi/ interface of current firmware.

#include "client/CamTarget21x.h"

namespace lumin {

class CamTarget210 final : public CamTarget21x<CamTarget210, FieldResolutions::Included> {};

} // namespace lumin
