#pragma once
// The URL forms each camera generation answers: which path and query name a stream, a single
// image, a PTZ command or the parameter list, and the picture size a resolution name stands for.

#include "tools/camsim/HttpRequest.h"
#include "tools/camsim/PtzController.h"
#include "tools/camsim/SimModels.h"

#include <string>
#include <string_view>

namespace camsim {

enum class RouteKind {
    Stream,
    Image,
    Ptz,
    ParamList,
    NotFound,
    BadRequest,
    HomePage,
    AudioStream, // the camera's sound, whatever the generation (404 without audio)
    AudioUpload, // sound for the camera's loudspeaker
};

// Audio has one URL form on every generation.
inline constexpr std::string_view kAudioStreamPath = "/orvel-cgi/audio/receive.cgi";
inline constexpr std::string_view kAudioUploadPath = "/orvel-cgi/audio/transmit.cgi";
inline constexpr std::string_view kAudioParamGroup = "root.Audiod";

struct Route {
    RouteKind kind = RouteKind::NotFound;
    int camera = 1;
    int width = 0; // Stream and Image
    int height = 0;
    PtzCommand ptz;          // Ptz
    bool htmlAnswer = false; // the oldest generation centres through a page, not a command
    std::string error;       // BadRequest: why
};

Route routeRequest(const SimModel& model, Generation generation, bool paramCgi,
                   const HttpRequest& request);

// "640x480", "video320x240", "halfsize", "CIF" … (ignoring case); false for names the camera
// does not know or sizes outside 16×16 … 1920×1080.
bool resolutionSize(Generation generation, std::string_view name, int& width, int& height);

// The paths a client of the generation asks for (what the client's targets format), for tests
// and the program's start-up message. Empty resolution: the model's default.
std::string videoPath(const SimModel& model, Generation generation, int camera,
                      std::string_view resolution = {});
std::string imagePath(const SimModel& model, Generation generation, int camera,
                      std::string_view resolution = {});

} // namespace camsim
