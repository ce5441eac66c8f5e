#include "tools/camsim/CamRoutes.h"

#include <algorithm>
#include <charconv>

namespace camsim {
namespace {

using enum Generation;

bool parseInt(std::string_view text, int& value)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size();
}

// "?10,20" (the "?" is part of the value in these URL forms) or "10,20".
bool parsePoint(std::string_view text, int& x, int& y)
{
    if (!text.empty() && text.front() == '?')
        text.remove_prefix(1);
    std::size_t comma = text.find(',');
    return comma != std::string_view::npos && parseInt(text.substr(0, comma), x) &&
           parseInt(text.substr(comma + 1), y);
}

Route badRequest(std::string why)
{
    Route route;
    route.kind = RouteKind::BadRequest;
    route.error = std::move(why);
    return route;
}

bool resolveCamera(const SimModel& model, const HttpRequest& request, Route& route)
{
    std::string text = request.param("camera").value_or("");
    if (text.empty()) {
        route.camera = 1;
        return true;
    }
    return parseInt(text, route.camera) && route.camera >= 1 && route.camera <= model.inputs;
}

Route media(const SimModel& model, Generation generation, RouteKind kind,
            std::string_view resolution, const HttpRequest& request)
{
    Route route;
    route.kind = kind;
    if (!resolveCamera(model, request, route))
        return badRequest("Invalid camera");
    if (resolution.empty())
        resolution = model.resolutions[model.defaultResolution];
    if (!resolutionSize(generation, resolution, route.width, route.height))
        return badRequest("Invalid resolution");
    return route;
}

void defaultImageSize(const SimModel& model, Generation generation, PtzCommand& command)
{
    resolutionSize(generation, model.resolutions[model.defaultResolution], command.imageWidth,
                   command.imageHeight);
}

Route ptzRoute(const SimModel& model, const HttpRequest& request, PtzCommand command)
{
    if (!model.ptz)
        return {};
    Route route;
    route.kind = RouteKind::Ptz;
    if (!resolveCamera(model, request, route))
        return badRequest("Invalid camera");
    command.camera = route.camera;
    command.target = request.target;
    route.ptz = std::move(command);
    return route;
}

bool readImageSize(const HttpRequest& request, PtzCommand& command)
{
    auto w = request.param("imagewidth");
    auto h = request.param("imageheight");
    if (!w && !h)
        return true; // keeps the default
    return w && h && parseInt(*w, command.imageWidth) && parseInt(*h, command.imageHeight) &&
           command.imageWidth > 0 && command.imageHeight > 0;
}

// /cgi-bin/control of the two oldest generations; "speed" is accepted and ignored.
Route controlRoute(const SimModel& model, Generation generation, const HttpRequest& request)
{
    PtzCommand command;
    if (auto extrem = request.param("extrem")) {
        command.kind = PtzCommand::Kind::Center;
        defaultImageSize(model, generation, command);
        if (!parsePoint(*extrem, command.x, command.y) || !readImageSize(request, command))
            return badRequest("Invalid position");
    } else if (auto rel = request.param("zoomrel")) {
        command.kind = PtzCommand::Kind::Zoom;
        command.relative = true;
        if (*rel == "tele")
            command.zoom = 500;
        else if (*rel == "wide")
            command.zoom = -500;
        else
            return badRequest("Invalid zoom");
    } else if (auto zoom = request.param("zoom")) {
        int value = 0;
        if (!parseInt(*zoom, value))
            return badRequest("Invalid zoom");
        if (request.param("pan") && request.param("tilt")) {
            command.kind = PtzCommand::Kind::Home;
        } else {
            // These cameras zoom 1 … 999.
            command.kind = PtzCommand::Kind::Zoom;
            command.zoom = 1 + (std::clamp(value, 1, 999) - 1) * (kMaxZoom - 1) / 998;
        }
    } else {
        return badRequest("Unknown command");
    }
    return ptzRoute(model, request, std::move(command));
}

Route ptzCgiRoute(const SimModel& model, Generation generation, const HttpRequest& request)
{
    PtzCommand command;
    if (auto center = request.param("center")) {
        command.kind = PtzCommand::Kind::Center;
        defaultImageSize(model, generation, command);
        if (!parsePoint(*center, command.x, command.y) || !readImageSize(request, command))
            return badRequest("Invalid position");
    } else if (auto move = request.param("move")) {
        if (*move != "home")
            return badRequest("Unknown move");
        command.kind = PtzCommand::Kind::Home;
    } else if (auto rzoom = request.param("rzoom")) {
        command.kind = PtzCommand::Kind::Zoom;
        command.relative = true;
        if (!parseInt(*rzoom, command.zoom))
            return badRequest("Invalid zoom");
    } else if (auto zoom = request.param("zoom")) {
        command.kind = PtzCommand::Kind::Zoom;
        if (!parseInt(*zoom, command.zoom))
            return badRequest("Invalid zoom");
    } else {
        return badRequest("Unknown command");
    }
    return ptzRoute(model, request, std::move(command));
}

bool cutSuffix(std::string_view& name, std::string_view suffix)
{
    if (!name.ends_with(suffix) || name.size() == suffix.size())
        return false;
    name.remove_suffix(suffix.size());
    return true;
}

} // namespace

bool resolutionSize(Generation generation, std::string_view name, int& width, int& height)
{
    struct Named {
        std::string_view name;
        int width, height;
    };
    static constexpr Named kNamed[] = {
        {"fullsize", 640, 480}, {"hugesize", 1280, 960}, {"4CIF", 704, 576},    {"CIF", 352, 288},
        {"QCIF", 176, 144},     {"2CIF", 704, 288},      {"2CIFEXP", 704, 576},
    };
    if (equalsIgnoringCase(name, "halfsize")) {
        // The current generation's half size is the NTSC quarter picture.
        bool current = generation == G210 || generation == G211;
        width = current ? 176 : 320;
        height = current ? 112 : 240;
        return true;
    }
    for (const Named& named : kNamed)
        if (equalsIgnoringCase(name, named.name)) {
            width = named.width;
            height = named.height;
            return true;
        }
    if (name.starts_with("video") || name.starts_with("image"))
        name.remove_prefix(5);
    std::size_t x = name.find_first_of("xX");
    if (x == std::string_view::npos || !parseInt(name.substr(0, x), width) ||
        !parseInt(name.substr(x + 1), height))
        return false;
    return width >= 16 && width <= 1920 && height >= 16 && height <= 1080;
}

Route routeRequest(const SimModel& model, Generation generation, bool paramCgi,
                   const HttpRequest& request)
{
    std::string_view path = request.path;
    if (path == "/" || path == "/index.html") {
        Route route;
        route.kind = RouteKind::HomePage;
        return route;
    }
    if (path == kAudioStreamPath || path == kAudioUploadPath) {
        Route route;
        route.kind = path == kAudioStreamPath ? RouteKind::AudioStream : RouteKind::AudioUpload;
        return route;
    }
    if (paramCgi && path == "/orvel-cgi/view/param.cgi") {
        Route route;
        route.kind = RouteKind::ParamList;
        return route;
    }
    auto cgiName = [&path](std::string_view prefix, std::string_view& rest) {
        if (!path.starts_with(prefix))
            return false;
        rest = path.substr(prefix.size());
        return true;
    };
    std::string_view name;
    switch (generation) {
    case G100:
        if (path == "/video.html" && request.param("extrem")) {
            Route route = controlRoute(model, generation, request);
            route.htmlAnswer = true;
            return route;
        }
        if (cgiName("/cgi-bin/", name)) {
            if (name == "control")
                return controlRoute(model, generation, request);
            if (cutSuffix(name, ".srvpushs") || cutSuffix(name, ".srvpushb"))
                return media(model, generation, RouteKind::Stream, name, request);
            if (cutSuffix(name, ".jpg"))
                return media(model, generation, RouteKind::Image, name, request);
        }
        break;
    case G110:
        if (cgiName("/cgi-bin/", name)) {
            if (name == "control")
                return controlRoute(model, generation, request);
            // One URL form for both: motion=1 streams, anything else is one picture.
            if (cutSuffix(name, ".jpg"))
                return media(model, generation,
                             request.param("motion") == "1" ? RouteKind::Stream : RouteKind::Image,
                             name, request);
        }
        break;
    case G200:
        if (cgiName("/cgi-bin/", name)) {
            if (cutSuffix(name, ".mjpg"))
                return media(model, generation, RouteKind::Stream, name, request);
            if (cutSuffix(name, ".jpg"))
                return media(model, generation, RouteKind::Image, name, request);
        }
        break;
    case G201:
    case G210:
    case G211: {
        std::string_view root = generation == G201 ? "/cgi-bin" : "/orvel-cgi";
        if (!path.starts_with(root))
            break;
        std::string_view cgi = path.substr(root.size());
        std::string resolution = request.param("resolution").value_or("");
        if (cgi == "/mjpg/video.cgi")
            return media(model, generation, RouteKind::Stream, resolution, request);
        if (cgi == "/jpg/image.cgi")
            return media(model, generation, RouteKind::Image, resolution, request);
        if (cgi == "/com/ptz.cgi" && generation != G201)
            return ptzCgiRoute(model, generation, request);
        break;
    }
    }
    return {};
}

namespace {

std::string mediaPath(const SimModel& model, Generation generation, bool video, int camera,
                      std::string_view resolution)
{
    std::string r(resolution.empty() ? model.resolutions[model.defaultResolution] : resolution);
    std::string cam = std::to_string(camera);
    switch (generation) {
    case G100:
        return "/cgi-bin/" + r +
               (video ? (equalsIgnoringCase(r, "halfsize") ? ".srvpushs" : ".srvpushb") : ".jpg") +
               (model.inputs > 1 ? "?camera=" + cam : "");
    case G110:
        return "/cgi-bin/" + r + ".jpg?camera=" + cam + (video ? "&motion=1" : "&motion=0");
    case G200:
        return "/cgi-bin/" + std::string(video ? "video" : "image") + r +
               (video ? ".mjpg" : ".jpg");
    case G201:
        return video ? "/cgi-bin/mjpg/video.cgi?resolution=" + r + "&camera=" + cam
                     : "/cgi-bin/jpg/image.cgi?resolution=" + r + "&camera=" + cam;
    case G210:
    case G211:
        return video ? "/orvel-cgi/mjpg/video.cgi?resolution=" + r + "&camera=" + cam
                     : "/orvel-cgi/jpg/image.cgi?resolution=" + r + "&camera=" + cam;
    }
    return {};
}

} // namespace

std::string videoPath(const SimModel& model, Generation generation, int camera,
                      std::string_view resolution)
{
    return mediaPath(model, generation, true, camera, resolution);
}

std::string imagePath(const SimModel& model, Generation generation, int camera,
                      std::string_view resolution)
{
    return mediaPath(model, generation, false, camera, resolution);
}

} // namespace camsim
