#include "tools/camsim/ExamplePage.h"

#include "tools/camsim/CamRoutes.h"

namespace camsim {
namespace {

std::string attributeText(std::string_view text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

std::string examplePage(const SimModel& model, Generation generation, std::string_view firmware,
                        bool audio)
{
    int width = 320;
    int height = 240;
    resolutionSize(generation, model.resolutions[model.defaultResolution], width, height);
    if (audio)
        height += 80; // the sound panel's strip below the picture
    const bool ptzCgi =
        model.ptz && (generation == Generation::G210 || generation == Generation::G211);
    std::string page = "<!DOCTYPE html>\r\n<html><head><title>" + std::string(model.name) +
                       " Live View</title></head>\r\n<body>\r\n<h1>" + std::string(model.name) +
                       " Network Camera</h1>\r\n<p>Live view of camera 1, firmware " +
                       std::string(firmware) + ".";
    if (ptzCgi)
        page += " Click the picture to centre the camera there; turn the wheel to zoom.";
    page += "</p>\r\n"
            "<object id=\"CamImage\" classid=\"clsid:917623D1-D8E5-11D2-BE8B-00104B06BDE3\" "
            "width=\"" +
            std::to_string(width) + "\" height=\"" + std::to_string(height) +
            "\">\r\n"
            "  <param name=\"URL\" value=\"" +
            attributeText(videoPath(model, generation, 1)) + "\">\r\n";
    if (ptzCgi)
        page += "  <param name=\"image_pan_tilt\" "
                "value=\"/orvel-cgi/com/ptz.cgi?camera=1&amp;center=\">\r\n";
    if (audio)
        page += "  <param name=\"SoundURL\" value=\"" + std::string(kAudioStreamPath) +
                "\">\r\n"
                "  <param name=\"RecordSoundURL\" value=\"" +
                std::string(kAudioUploadPath) +
                "\">\r\n"
                "  <param name=\"AudioParameterURL\" "
                "value=\"/orvel-cgi/view/param.cgi?action=list&amp;group=" +
                std::string(kAudioParamGroup) +
                "\">\r\n"
                "  <param name=\"DisplaySoundPanel\" value=\"1\">\r\n";
    page += "  <param name=\"Stretch\" value=\"0\">\r\n"
            "</object>\r\n</body></html>\r\n";
    return page;
}

} // namespace camsim
