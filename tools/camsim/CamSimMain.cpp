// camsim: one simulated camera on a loopback address until SIGINT or SIGTERM.

#include "tools/camsim/CamSim.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>

using namespace camsim;

namespace {

void usage()
{
    std::cout << "usage: camsim --address 127.0.0.N --model NAME [options]\n"
                 "  --firmware X.YY          firmware version (default: the model's)\n"
                 "  --fps N                  1-60, 0 = as fast as the client reads (default 10)\n"
                 "  --seed N                 picture seed (default 1)\n"
                 "  --clock-start MS         picture clock start, ms since the epoch (repeatable "
                 "output)\n"
                 "  --auth basic|digest --user U --password P\n"
                 "  --https                  also serve HTTPS with a self-signed certificate\n"
                 "  --http-port N --banner-port N --https-port N\n"
                 "  --boundary TEXT          multipart boundary (default myboundary)\n"
                 "  --boundary-form plain|dashes|quoted|blanks\n"
                 "  --no-content-length      parts without Content-Length\n"
                 "  --lf                     bare LF line ends in the stream\n"
                 "  --banner normal|slow|none|unknown|closed   --banner-text TEXT\n"
                 "  --stop-after N | --close-after N | --reset-after N   (parts)\n"
                 "  --force-status CODE      answer every request with CODE\n"
                 "  --stall-after N          answers stop after N bytes (0: never answer)\n"
                 "  --close-after-bytes N    answers end after N bytes, the connection closed\n"
                 "  --reset-after-bytes N    answers end after N bytes, the connection reset\n"
                 "  --extra-body-bytes N     answers carry N more body bytes ('x')\n"
                 "  --param NAME=VALUE       set or add a parameter list line (repeatable)\n"
                 "  --omit-param NAME        leave a parameter out of the list (repeatable)\n"
                 "  --tricky-jpeg            zero bytes and CR LF -- inside the JPEG data\n"
                 "  --audio on|off           sound stream and upload (default: the model's)\n"
                 "  --audio-duplex MODE      full|half|get|post|disabled_full|disabled_half|...\n"
                 "  --audio-encoding G721|G723   --audio-message-type multipart|singlepart\n"
                 "  --audio-max-clients N    listener slots (default 4)\n"
                 "  --tone-hz HZ             the tone the camera's microphone hears (1000)\n"
                 "  --log                    print each request\n"
                 "  --list-models            print the simulated models and exit\n";
}

void listModels()
{
    for (const SimModel& model : simModels()) {
        std::cout << model.name << "  inputs " << model.inputs << ", PTZ "
                  << (model.ptz ? "yes" : "no") << ", sizes";
        for (std::string_view size : model.resolutions)
            std::cout << ' ' << size;
        std::cout << "\n  firmware:";
        for (const SimFirmware& row : model.firmware)
            std::cout << ' ' << row.version << " (" << generationName(row.generation) << ")";
        std::cout << "\n  banner:   " << bannerFor(model, model.defaultFirmware) << "\n";
    }
}

} // namespace

int main(int argc, char** argv)
{
    CamSimConfig config;
    bool printLog = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::cerr << "camsim: " << arg << " needs a value\n";
                std::exit(2);
            }
            return argv[++i];
        };
        auto number = [&]() {
            return std::atoi(value().c_str());
        };
        if (arg == "--address")
            config.address = value();
        else if (arg == "--model")
            config.model = value();
        else if (arg == "--firmware")
            config.firmware = value();
        else if (arg == "--fps")
            config.fps = number();
        else if (arg == "--seed")
            config.seed = static_cast<std::uint32_t>(std::strtoul(value().c_str(), nullptr, 10));
        else if (arg == "--clock-start")
            config.clockStartMs = std::strtoll(value().c_str(), nullptr, 10);
        else if (arg == "--auth") {
            std::string mode = value();
            config.auth = mode == "basic"    ? AuthMode::Basic
                          : mode == "digest" ? AuthMode::Digest
                                             : AuthMode::None;
        } else if (arg == "--user")
            config.user = value();
        else if (arg == "--password")
            config.password = value();
        else if (arg == "--https")
            config.https = true;
        else if (arg == "--http-port")
            config.httpPort = static_cast<std::uint16_t>(number());
        else if (arg == "--banner-port")
            config.bannerPort = static_cast<std::uint16_t>(number());
        else if (arg == "--https-port")
            config.httpsPort = static_cast<std::uint16_t>(number());
        else if (arg == "--boundary")
            config.stream.boundary = value();
        else if (arg == "--boundary-form") {
            std::string form = value();
            config.stream.boundaryForm = form == "dashes"   ? BoundaryForm::LeadingDashes
                                         : form == "quoted" ? BoundaryForm::Quoted
                                         : form == "blanks" ? BoundaryForm::BlanksAroundEquals
                                                            : BoundaryForm::Plain;
        } else if (arg == "--no-content-length")
            config.stream.partContentLength = false;
        else if (arg == "--lf")
            config.stream.lineEnd = LineEnd::Lf;
        else if (arg == "--banner") {
            std::string mode = value();
            config.bannerMode = mode == "slow"      ? BannerMode::Slow
                                : mode == "none"    ? BannerMode::None
                                : mode == "unknown" ? BannerMode::UnknownWords
                                : mode == "closed"  ? BannerMode::Closed
                                                    : BannerMode::Normal;
        } else if (arg == "--banner-text")
            config.bannerText = value();
        else if (arg == "--stop-after")
            config.faults.stopAfterParts = number();
        else if (arg == "--close-after")
            config.faults.closeAfterParts = number();
        else if (arg == "--reset-after")
            config.faults.resetAfterParts = number();
        else if (arg == "--force-status")
            config.faults.forceStatus = number();
        else if (arg == "--stall-after")
            config.faults.stallAfterBytes = number();
        else if (arg == "--close-after-bytes")
            config.faults.closeAfterBytes = number();
        else if (arg == "--reset-after-bytes")
            config.faults.resetAfterBytes = number();
        else if (arg == "--extra-body-bytes")
            config.faults.extraBodyBytes = static_cast<std::size_t>(number());
        else if (arg == "--param") {
            std::string line = value();
            std::size_t eq = line.find('=');
            if (eq == std::string::npos || eq == 0) {
                std::cerr << "camsim: --param needs NAME=VALUE\n";
                return 2;
            }
            config.paramList.values.emplace_back(line.substr(0, eq), line.substr(eq + 1));
        } else if (arg == "--omit-param")
            config.paramList.omitted.push_back(value());
        else if (arg == "--audio") {
            std::string mode = value();
            if (mode != "on" && mode != "off") {
                std::cerr << "camsim: --audio needs on or off\n";
                return 2;
            }
            config.audio.enabled = mode == "on";
        } else if (arg == "--audio-duplex") {
            std::string mode = value();
            if (!parseDuplex(mode, config.audio.duplex)) {
                std::cerr << "camsim: unknown duplex mode " << mode << "\n";
                return 2;
            }
        } else if (arg == "--audio-encoding") {
            std::string name = value();
            if (name != "G721" && name != "G723") {
                std::cerr << "camsim: --audio-encoding needs G721 or G723\n";
                return 2;
            }
            config.audio.encoding = name == "G723" ? AudioEncoding::G723 : AudioEncoding::G721;
        } else if (arg == "--audio-message-type") {
            std::string name = value();
            if (name != "multipart" && name != "singlepart") {
                std::cerr << "camsim: --audio-message-type needs multipart or singlepart\n";
                return 2;
            }
            config.audio.messageType =
                name == "singlepart" ? AudioMessageType::Singlepart : AudioMessageType::Multipart;
        } else if (arg == "--audio-max-clients")
            config.audio.maxListeners = number();
        else if (arg == "--tone-hz")
            config.audio.toneHz = std::atof(value().c_str());
        else if (arg == "--tricky-jpeg")
            config.faults.trickyJpegData = true;
        else if (arg == "--log")
            printLog = true;
        else if (arg == "--list-models") {
            listModels();
            return 0;
        } else if (arg == "--help" || arg == "-h") {
            usage();
            return 0;
        } else {
            std::cerr << "camsim: unknown option " << arg << "\n";
            usage();
            return 2;
        }
    }

    // Block the stop signals before any thread starts, so that only sigwait below sees them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    StartError error;
    std::unique_ptr<CamSim> sim = CamSim::start(config, &error);
    if (!sim) {
        std::cerr << "camsim: " << error.message << "\n";
        return 1;
    }
    std::cout << "camsim: " << sim->model().name << " firmware " << sim->firmware() << " ("
              << generationName(sim->generation()) << ") on " << sim->host() << "\n"
              << "  greeting: " << sim->banner() << "\n"
              << "  stream:   " << sim->url(sim->videoPath()) << "\n"
              << "  image:    " << sim->url(sim->imagePath()) << std::endl;
    if (sim->hasAudio())
        std::cout << "  sound:    " << sim->url(CamSim::audioStreamPath())
                  << "?http-type=multipart\n"
                  << "  upload:   " << sim->url(CamSim::audioUploadPath()) << "\n"
                  << "  audio parameters: " << sim->url(CamSim::audioParameterPath()) << std::endl;

    // Reports requests from a thread of its own while the main thread waits for the signal.
    std::atomic<bool> done{false};
    std::thread reporter;
    if (printLog)
        reporter = std::thread([&] {
            std::size_t shown = 0;
            while (!done) {
                if (!sim->waitForRequests(shown + 1, std::chrono::milliseconds(200)))
                    continue;
                auto requests = sim->requests();
                for (; shown < requests.size(); ++shown)
                    std::cout << requests[shown].status << " " << requests[shown].request.method
                              << " " << requests[shown].request.target << std::endl;
            }
        });

    int signal = 0;
    sigwait(&signals, &signal);
    done = true;
    if (reporter.joinable())
        reporter.join();
    sim->stop();
    std::cout << "camsim: stopped (" << strsignal(signal) << ")" << std::endl;
    return 0;
}
